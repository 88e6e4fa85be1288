/* Motion: a joint move, a straight line, a step, a paused and continued move,
 * and what the controller is running. */
#include "example.h"

int main(int argc, char** argv) {
    Example ex = example_start(argc, argv);
    const float ready[7] = {0, 30, 60, 0, 90, 0, 0};
    const float far[7] = {60, 30, 60, 0, 90, 0, 0};
    float joints[7];
    POSE pose;
    unsigned short arm_err, sys_err;
    STEP(&ex, "Movej_Cmd to ready", Movej_Cmd(ex.arm, ready, 40, 0, true));
    STEP(&ex, "Get_Current_Arm_State", Get_Current_Arm_State(ex.arm, joints, &pose, &arm_err, &sys_err));
    pose.z -= 0.05f;
    STEP(&ex, "Movel_Cmd 5 cm down", Movel_Cmd(ex.arm, pose, 20, 0, true));
    STEP(&ex, "Joint_Step_Cmd joint 6 by 15 deg", Joint_Step_Cmd(ex.arm, 6, 15, 20, true));
    /* Queued: the move runs while the program pauses and continues it. */
    STEP(&ex, "Movej_Cmd queued", Movej_Cmd(ex.arm, far, 10, 0, false));
    STEP(&ex, "Move_Pause_Cmd", Move_Pause_Cmd(ex.arm, true));
    ARM_CTRL_MODES type = ARM_CTRL_NONE;
    float data[7];
    STEP(&ex, "Get_Current_Trajectory", Get_Current_Trajectory(ex.arm, &type, data));
    printf("    running trajectory type %d\n", (int)type);
    STEP(&ex, "Move_Continue_Cmd", Move_Continue_Cmd(ex.arm, true));
    STEP(&ex, "Move_Stop_Cmd", Move_Stop_Cmd(ex.arm, true));
    STEP(&ex, "Movej_Cmd back to ready", Movej_Cmd(ex.arm, ready, 40, 0, true));
    return example_finish(&ex);
}
