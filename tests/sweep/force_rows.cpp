// Sweep rows: force sensing and force-position control.
#include "support/sweep.h"

namespace arx::test {
namespace {

constexpr float kJoints[7] = {1.0005f, 90, 0, 0, 0, -0.5f, 12.345f};
constexpr const char* kCalibrated = R"({"command":"set_force_sensor","set_state":true})";

// clang-format off
const SweepTable kForce("force", {
    {"Get_Force_Data", "", [](SOCKHANDLE h) { float f[ARX_FORCE_DATA_CAPACITY]; int rc = Get_Force_Data(h, f); got(list(f, 6)); return rc; }, R"({"command":"get_force_data"})", R"({"state":"get_force_data","force_data":[1500,-2000,0,10,20,30]})", 0, "1.5,-2,0,0.01,0.02,0.03"},
    {ARX_CALL(Clear_Force_Data, "queued", false), R"({"command":"clear_force_data"})"},
    {ARX_CALL(Clear_Force_Data, "blocking", true), R"({"command":"clear_force_data"})", R"({"command":"clear_force_data","clear_state":true})"},
    {"Set_Force_Sensor", "", [](SOCKHANDLE h) { return Set_Force_Sensor(h); }, R"({"command":"set_force_sensor"})", kCalibrated},
    {ARX_CALL(Manual_Set_Force, "six joints, numbers with fraction", 2, kJoints), R"({"command":"manual_set_force_pose2","joint":[1000.499939,90000,0,0,0,-500]})", R"({"command":"set_force_sensor","set_state":false})", 1},
    {ARX_CALL(Manual_Set_Force, "pose 5", 5, kJoints), nullptr, nullptr, 11},
    {ARX_CALL(Stop_Set_Force_Sensor, "queued", false), R"({"command":"stop_set_force_sensor"})"},
    {ARX_CALL(Stop_Set_Force_Sensor, "blocking", true), R"({"command":"stop_set_force_sensor"})", R"({"command":"stop_set_force_sensor","stop_state":true})"},
    {ARX_CALL(Set_Force_Postion, "queued (block 2)", 1, 0, 2, 7, 2), R"({"command":"set_force_position","sensor":1,"mode":0,"direction":2,"N":70})"},
    {ARX_CALL(Set_Force_Postion, "blocking", 1, 0, 2, 5, 1), R"({"command":"set_force_position","sensor":1,"mode":0,"direction":2,"N":50})", R"({"command":"set_force_position","set_state":true})"},
    {ARX_CALL(Stop_Force_Postion, "queued, the controller's spelling", false), R"({"command":"stop_force_positon"})"},
    {ARX_CALL(Stop_Force_Postion, "blocking", true), R"({"command":"stop_force_position"})", R"({"command":"stop_force_position","stop_state":false})", 1},
    {ARX_CALL(Start_Force_Position_Move, "queued", false), R"({"command":"Start_Force_Position_Move"})"},
    {ARX_CALL(Start_Force_Position_Move, "blocking", true), R"({"command":"Start_Force_Position_Move"})", R"({"command":"Start_Force_Position_Move","set_state":true})"},
    {ARX_CALL(Stop_Force_Postion_Move, "queued", false), R"({"command":"Stop_Force_Position_Move"})"},
    {ARX_CALL(Stop_Force_Postion_Move, "blocking", true), R"({"command":"Stop_Force_Position_Move"})", R"({"command":"Stop_Force_Position_Move","set_state":true})"},
    {ARX_CALL(Force_Position_Move_Joint, "six joints, whole force", kJoints, 1, 0, 2, 2.5f), R"({"command":"Force_Position_Move","joint":[1000,90000,0,0,0,-500],"sensor":1,"mode":0,"dir":2,"force":25})"},
    {ARX_CALL(Force_Position_Move_POSE, "force with fraction", POSE{0.1f, -0.2f, 0.3f, 1.5708f, 0, -3.1416f}, 0, 1, 5, 0.25f), R"({"command":"Force_Position_Move","pose":[100000,-200000,300000,1570,0,-3141],"sensor":0,"mode":1,"dir":5,"force":2.500000})"},
    {"Get_Fz", "", [](SOCKHANDLE h) { float fz = -99; int rc = Get_Fz(h, &fz); got(list(&fz, 1)); return rc; }, R"({"command":"get_Fz"})", R"({"state":"get_Fz","set_state":true,"Fz":-3.25})", 0, "-3.25"},
    {ARX_CALL(Clear_Fz, "queued", false), R"({"command":"clear_Fz"})"},
    {ARX_CALL(Clear_Fz, "blocking", true), R"({"command":"clear_Fz"})", R"({"command":"clear_Fz","set_state":true})"},
    {"Auto_Set_Fz", "", [](SOCKHANDLE h) { return Auto_Set_Fz(h); }, R"({"command":"auto_set_Fz"})", kCalibrated},
    {"Manual_Set_Fz", "", [](SOCKHANDLE h) { const float z[7] = {}; return Manual_Set_Fz(h, kJoints, z); }, R"({"command":"manual_set_Fz","pose1":[1000.499939,90000,0,0,0,-500],"pose2":[0,0,0,0,0,0]})", kCalibrated},
});

}  // namespace
}  // namespace arx::test
