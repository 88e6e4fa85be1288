/* Gripper and dexterous hand: the gripper's range, opening, picking and a
 * position (blocking calls wait for the motion to end), then hand postures. */
#include "example.h"

int main(int argc, char** argv) {
    Example ex = example_start(argc, argv);
    const int fingers[6] = {100, 200, 300, 400, 500, 600};
    STEP(&ex, "Set_Gripper_Route 0..1000", Set_Gripper_Route(ex.arm, 0, 1000, true));
    STEP(&ex, "Set_Gripper_Release", Set_Gripper_Release(ex.arm, 800, true));
    STEP(&ex, "Set_Gripper_Pick (force 300)", Set_Gripper_Pick(ex.arm, 500, 300, true));
    STEP(&ex, "Set_Gripper_Position 400", Set_Gripper_Position(ex.arm, 400, true));
    STEP(&ex, "Set_Hand_Speed", Set_Hand_Speed(ex.arm, 500, true));
    STEP(&ex, "Set_Hand_Force", Set_Hand_Force(ex.arm, 300, true));
    STEP(&ex, "Set_Hand_Posture 1", Set_Hand_Posture(ex.arm, 1, true));
    STEP(&ex, "Set_Hand_Angle", Set_Hand_Angle(ex.arm, fingers, true));
    STEP(&ex, "Set_Hand_Seq 2", Set_Hand_Seq(ex.arm, 2, true));
    return example_finish(&ex);
}
