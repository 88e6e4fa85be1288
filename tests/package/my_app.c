#include "arx_api.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Prints the library version; with --port N it also connects to arx-sim on
 * 127.0.0.1:N and reads the joint angles, exiting with the result code. */
int main(int argc, char** argv) {
    printf("%s\n", API_Version());
    if (argc < 3 || strcmp(argv[1], "--port") != 0) return 0;
    Arx_API_Init(ARM_MODEL_A, NULL);
    SOCKHANDLE arm = Arm_Socket_Start("127.0.0.1", atoi(argv[2]), 200);
    if (!ARX_HANDLE_IS_VALID(arm)) {
        printf("Arm_Socket_Start: %s\n", Arx_Result_Text((int)arm));
        return 1;
    }
    float joint[7] = {0};
    int rc = Get_Joint_Degree(arm, joint);
    printf("Get_Joint_Degree: %d %.1f %.1f %.1f %.1f %.1f %.1f\n", rc, joint[0], joint[1], joint[2], joint[3],
           joint[4], joint[5]);
    Arm_Socket_Close(arm);
    Arx_API_UnInit();
    return rc;
}
