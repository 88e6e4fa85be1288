/* Joint configuration and arm state: limits, speeds, the live joints and pose,
 * per-joint telemetry. */
#include "example.h"

#include <math.h>

static void print_joints(const char* what, const float* values, int count) {
    printf("    %-12s", what);
    for (int i = 0; i < count; ++i) printf(" %8.2f", values[i]);
    printf("\n");
}

int main(int argc, char** argv) {
    Example ex = example_start(argc, argv);
    float min[7], max[7], speed[7], degree[7], temperature[7];
    POSE pose;
    unsigned short arm_err = 0, sys_err = 0;
    /* The library writes one limit per joint of the connection and leaves the
     * rest of the array alone: the values written are the joint count. */
    for (int i = 0; i < 7; ++i) min[i] = NAN;
    STEP(&ex, "Get_Joint_Min_Pos", Get_Joint_Min_Pos(ex.arm, min));
    int joints = 0;
    while (joints < 7 && !isnan(min[joints])) ++joints;
    STEP(&ex, "Get_Joint_Max_Pos", Get_Joint_Max_Pos(ex.arm, max));
    print_joints("limits (deg)", min, joints);
    print_joints("", max, joints);
    STEP(&ex, "Set_Joint_Speed joint 1 to 90 deg/s", Set_Joint_Speed(ex.arm, 1, 90, true));
    STEP(&ex, "Get_Joint_Speed", Get_Joint_Speed(ex.arm, speed));
    print_joints("speed", speed, joints);
    STEP(&ex, "Get_Joint_Degree", Get_Joint_Degree(ex.arm, degree));
    print_joints("joints", degree, joints);
    STEP(&ex, "Get_Current_Arm_State", Get_Current_Arm_State(ex.arm, degree, &pose, &arm_err, &sys_err));
    printf("    pose x %.3f y %.3f z %.3f m  rx %.3f ry %.3f rz %.3f rad\n", pose.x, pose.y, pose.z, pose.rx, pose.ry,
           pose.rz);
    STEP(&ex, "Get_Joint_Temperature", Get_Joint_Temperature(ex.arm, temperature));
    print_joints("temperature", temperature, joints);
    return example_finish(&ex);
}
