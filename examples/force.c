/* Force sensing and force-position control: readings, zeroing, and
 * force-position set-points whose reports reach the callback. */
#include "example.h"

#include <stdatomic.h>
#include <unistd.h>

/* Counted on the library's receive thread, read on this one. */
static atomic_int g_reports;

static void on_report(CallbackData data) {
    if (data.code == 3 && data.err_code == ARX_SUCCESS) atomic_fetch_add(&g_reports, 1);
}

int main(int argc, char** argv) {
    Example ex = example_start_with(argc, argv, on_report);
    float force[ARX_FORCE_DATA_CAPACITY] = {0};
    float joints[7];
    STEP(&ex, "Get_Force_Data", Get_Force_Data(ex.arm, force));
    printf("    Fx %.2f Fy %.2f Fz %.2f N\n", force[0], force[1], force[2]);
    STEP(&ex, "Clear_Force_Data", Clear_Force_Data(ex.arm, true));
    STEP(&ex, "Get_Joint_Degree", Get_Joint_Degree(ex.arm, joints));
    STEP(&ex, "Start_Force_Position_Move", Start_Force_Position_Move(ex.arm, true));
    for (int i = 0; i < 10; ++i) {
        joints[5] += 0.5f; /* turn the wrist in small set-points */
        STEP(&ex, "Force_Position_Move_Joint", Force_Position_Move_Joint(ex.arm, joints, 0, 0, 2, 5));
        usleep(20000);
    }
    STEP(&ex, "Stop_Force_Postion_Move", Stop_Force_Postion_Move(ex.arm, true));
    printf("    %d force-position reports reached the callback\n", atomic_load(&g_reports));
    return example_finish(&ex);
}
