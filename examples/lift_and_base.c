/* Lift and mobile base: a lift height (blocking: waits for arrival), the lift
 * and base state, a base speed and a station. */
#include "example.h"

int main(int argc, char** argv) {
    Example ex = example_start(argc, argv);
    int height = 0, current = 0, err = 0;
    int battery = 0, voltage = 0, base_current = 0, base_err = 0, state = 0, station = 0;
    STEP(&ex, "Set_Lift_Height 300 mm", Set_Lift_Height(ex.arm, 300, 60, true));
    STEP(&ex, "Get_Lift_State", Get_Lift_State(ex.arm, &height, &current, &err));
    printf("    lift at %d mm, error %d\n", height, err);
    STEP(&ex, "Set_Car_Move", Set_Car_Move(ex.arm, 200, 0, true));
    STEP(&ex, "Set_Car_Station 3", Set_Car_Station(ex.arm, 3, 50, true));
    STEP(&ex, "Get_Car_State", Get_Car_State(ex.arm, &battery, &voltage, &base_current, &base_err, &state, &station));
    printf("    battery %d %%, station %d\n", battery, station);
    STEP(&ex, "Set_Lift_Height 0 mm", Set_Lift_Height(ex.arm, 0, 60, true));
    return example_finish(&ex);
}
