// Sweep rows: joint configuration and calibration.
#include "support/sweep.h"

namespace arx::test {
namespace {

const SweepTable kJoints("joints", {
    {"Set_Joint_Speed", "queued", [](SOCKHANDLE h) { return Set_Joint_Speed(h, 1, 0.5f, false); },
     R"({"command":"set_joint_max_speed","joint_max_speed":[1,500]})"},
    {"Set_Joint_Speed", "blocking", [](SOCKHANDLE h) { return Set_Joint_Speed(h, 1, 0.5f, true); },
     R"({"command":"set_joint_max_speed","joint_max_speed":[1,500]})",
     R"({"command":"set_joint_max_speed","joint_max_speed":false})", 1},
    {"Get_Joint_Speed", "", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Speed(h, v); got(list(v, 6)); return rc; },
     R"({"command":"get_joint_max_speed"})", R"({"state":"joint_max_speed","joint_speed":[1000,2500,0,0,0,-1]})",
     0, "1,2.5,0,0,0,-0.001"},
});

}  // namespace
}  // namespace arx::test
