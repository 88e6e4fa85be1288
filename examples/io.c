/* Controller and tool IO: outputs one at a time, all channels at once, the
 * tool's channel modes and supply voltage. */
#include "example.h"

int main(int argc, char** argv) {
    Example ex = example_start(argc, argv);
    unsigned char state = 0, inputs[ARX_IO_CHANNEL_CAPACITY], outputs[ARX_IO_CHANNEL_CAPACITY];
    float analog_in[ARX_IO_CHANNEL_CAPACITY], analog_out[ARX_IO_CHANNEL_CAPACITY];
    float modes[2], states[2];
    unsigned char voltage = 0;
    STEP(&ex, "Set_IO_State DO 0 on", Set_IO_State(ex.arm, 0, 0, true, true));
    STEP(&ex, "Get_IO_State DO 0", Get_IO_State(ex.arm, 0, 0, &state));
    printf("    DO 0 is %d\n", state);
    STEP(&ex, "Get_IO_Input", Get_IO_Input(ex.arm, inputs, analog_in));
    printf("    DI 0 %d, AI 0 %.2f V\n", inputs[0], analog_in[0]);
    STEP(&ex, "Get_IO_Output", Get_IO_Output(ex.arm, outputs, analog_out));
    printf("    DO 0 %d, AO 0 %.2f V\n", outputs[0], analog_out[0]);
    STEP(&ex, "Set_Tool_IO_Mode channel 1 output", Set_Tool_IO_Mode(ex.arm, 1, true, true));
    STEP(&ex, "Set_Tool_DO_State channel 1 on", Set_Tool_DO_State(ex.arm, 1, true, true));
    STEP(&ex, "Get_Tool_IO_State", Get_Tool_IO_State(ex.arm, modes, states));
    printf("    tool channel 1: mode %.0f state %.0f\n", modes[1], states[1]);
    STEP(&ex, "Set_Tool_Voltage 24 V (type 3)", Set_Tool_Voltage(ex.arm, 3, true));
    STEP(&ex, "Get_Tool_Voltage", Get_Tool_Voltage(ex.arm, &voltage));
    printf("    tool voltage type %d\n", voltage);
    STEP(&ex, "Set_IO_State DO 0 off", Set_IO_State(ex.arm, 0, 0, false, true));
    return example_finish(&ex);
}
