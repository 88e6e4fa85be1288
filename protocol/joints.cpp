// Joint configuration and calibration.
#include "protocol/command.h"

using namespace arx::protocol;

int Set_Joint_Speed(SOCKHANDLE h, unsigned char joint, float speed, bool block) {
    ARX_GUARD(h, Transfer, Handle, Init);
    return Request("set_joint_max_speed")
        .array("joint_max_speed", {Int(joint), Milli(speed)})
        .run(h, block, 2, Boolean8("joint_max_speed"));
}

int Get_Joint_Speed(SOCKHANDLE h, float* speed) {
    ARX_GUARD(h, Transfer, NotNull(speed), Pause);
    return Request("get_joint_max_speed")
        .query(h, 1, JointArray(h, "joint_speed", speed, Thousandths, /*not array*/ 10, /*length*/ 10));
}

int Get_Joint_Degree(SOCKHANDLE h, float* degree) {
    ARX_GUARD(h, Transfer, NotNull(degree), Pause);
    return Request("get_joint_degree").query(h, 159, JointArrayUpTo(h, "joint", degree, Thousandths, 11));
}
