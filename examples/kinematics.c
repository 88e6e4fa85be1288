/* The kinematics, offline: forward kinematics of a joint set, inverse
 * kinematics back to it, and a step along the tool's axis. Needs no arm. */
#include "arx_api.h"

#include <math.h>
#include <stdio.h>

int main(void) {
    Arx_API_Init(ARM_MODEL_A, NULL);
    float joints[7] = {10, 30, 60, 0, 80, 20, 0};
    const Pose pose = Forward_Kinematics(joints);
    printf("forward: x %.4f y %.4f z %.4f m, rx %.4f ry %.4f rz %.4f rad\n", pose.x, pose.y, pose.z, pose.euler.rx,
           pose.euler.ry, pose.euler.rz);

    float back[7] = {0};
    const int rc = inverse_kinematics(joints, &pose, back, 1);
    float worst = 0;
    for (int i = 0; i < 6; ++i) worst = fmaxf(worst, fabsf(back[i] - joints[i]));
    printf("inverse: code %d (1 is success), largest joint difference %.5f deg\n", rc, worst);

    const Pose deeper = Cartesian_Tool(joints, 0, 0, 0.05f, 0);
    printf("5 cm along the tool's z: x %.4f y %.4f z %.4f m\n", deeper.x, deeper.y, deeper.z);
    return rc == 1 && worst < 0.01f ? 0 : 1;
}
