/* Tool and work frames: define, list, activate, read back, delete. */
#include "example.h"

static void list(const char* what, FRAME_NAME* names, int count) {
    printf("    %s:", what);
    for (int i = 0; i < count; ++i) printf(" %s", names[i].name);
    printf("\n");
}

int main(int argc, char** argv) {
    Example ex = example_start(argc, argv);
    FRAME_NAME names[ARX_FRAME_NAME_CAPACITY];
    int count = 0;
    FRAME tool;
    const POSE tip = {0, 0, 0.1f, 0, 0, 0};
    const POSE table = {0.4f, 0, 0.02f, 0, 0, 1.5708f};
    STEP(&ex, "Manual_Set_Tool_Frame \"probe\"", Manual_Set_Tool_Frame(ex.arm, "probe", tip, 2, 0, 0, 0.04f, true));
    STEP(&ex, "Change_Tool_Frame \"probe\"", Change_Tool_Frame(ex.arm, "probe", true));
    STEP(&ex, "Get_Current_Tool_Frame", Get_Current_Tool_Frame(ex.arm, &tool));
    printf("    active tool %s, tip z %.3f m, payload %.1f kg\n", tool.name.name, tool.pose.z, tool.payload);
    STEP(&ex, "Get_All_Tool_Frame", Get_All_Tool_Frame(ex.arm, names, &count));
    list("tools", names, count);
    STEP(&ex, "Manual_Set_Work_Frame \"table\"", Manual_Set_Work_Frame(ex.arm, "table", table, true));
    STEP(&ex, "Get_All_Work_Frame", Get_All_Work_Frame(ex.arm, names, &count));
    list("work frames", names, count);
    STEP(&ex, "Delete_Work_Frame \"table\"", Delete_Work_Frame(ex.arm, "table", true));
    STEP(&ex, "Change_Tool_Frame back to \"Arm_Tip\"", Change_Tool_Frame(ex.arm, "Arm_Tip", true));
    STEP(&ex, "Delete_Tool_Frame \"probe\"", Delete_Tool_Frame(ex.arm, "probe", true));
    return example_finish(&ex);
}
