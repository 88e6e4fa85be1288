/* Modbus devices on the controller's port: open the port, write and read
 * coils and registers, close it. */
#include "example.h"

int main(int argc, char** argv) {
    Example ex = example_start(argc, argv);
    const unsigned char coils[1] = {0x0B};                       /* coils 0, 1 and 3 on */
    const unsigned char registers[4] = {0x01, 0x2C, 0x00, 0x07}; /* 300 and 7 */
    int data = 0;
    STEP(&ex, "Set_Modbus_Mode port 0, 115200", Set_Modbus_Mode(ex.arm, 0, 115200, 2, true));
    STEP(&ex, "Write_Coils 4 coils", Write_Coils(ex.arm, 0, 0, 4, coils, 1, true));
    STEP(&ex, "Get_Read_Coils 4 coils", Get_Read_Coils(ex.arm, 0, 0, 4, 1, &data));
    printf("    coils 0..3 as bits: 0x%X\n", data);
    STEP(&ex, "Write_Registers 2 registers", Write_Registers(ex.arm, 0, 10, 2, registers, 1, true));
    STEP(&ex, "Get_Read_Holding_Registers 10", Get_Read_Holding_Registers(ex.arm, 0, 10, 1, &data));
    printf("    register 10: %d\n", data);
    STEP(&ex, "Write_Single_Register 11", Write_Single_Register(ex.arm, 0, 11, 42, 1, true));
    STEP(&ex, "Get_Read_Holding_Registers 11", Get_Read_Holding_Registers(ex.arm, 0, 11, 1, &data));
    printf("    register 11: %d\n", data);
    STEP(&ex, "Close_Modbus_Mode", Close_Modbus_Mode(ex.arm, 0, true));
    return example_finish(&ex);
}
