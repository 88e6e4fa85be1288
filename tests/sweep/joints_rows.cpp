// Sweep rows: joint configuration and calibration.
#include "support/sweep.h"

namespace arx::test {
namespace {

const float kOffsets[7] = {1.5f, -2.25f, 0, 0.0009f, 90, -0.5678f, 7};  // six of seven are sent

// clang-format off
const SweepTable kJoints("joints", {
    {ARX_CALL(Set_Joint_Speed, "queued", 1, 0.5f, false), R"({"command":"set_joint_max_speed","joint_max_speed":[1,500]})"},
    {ARX_CALL(Set_Joint_Speed, "blocking", 1, 0.5f, true), R"({"command":"set_joint_max_speed","joint_max_speed":[1,500]})", R"({"command":"set_joint_max_speed","joint_max_speed":false})", 1},
    {"Get_Joint_Speed", "", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Speed(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_joint_max_speed"})", R"({"state":"joint_max_speed","joint_speed":[1000,2500,0,0,0,-1]})", 0, "1,2.5,0,0,0,-0.001"},
    {ARX_CALL(Set_Joint_Acc, "queued", 2, 1.25f, false), R"({"command":"set_joint_max_acc","joint_max_acc":[2,1250]})"},
    {ARX_CALL(Set_Joint_Acc, "blocking", 2, 1.25f, true), R"({"command":"set_joint_max_acc","joint_max_acc":[2,1250]})", R"({"command":"set_joint_max_acc","joint_max_acc":true})"},
    {ARX_CALL(Set_Joint_Min_Pos, "queued", 3, -170.5f, false), R"({"command":"set_joint_min_pos","joint_min_pos":[3,-170500]})"},
    {ARX_CALL(Set_Joint_Min_Pos, "blocking, state not true/false", 3, -170.5f, true), R"({"command":"set_joint_min_pos","joint_min_pos":[3,-170500]})", R"({"command":"set_joint_min_pos","joint_min_pos":1})", ARX_STATE_TYPE_ERROR},
    {ARX_CALL(Set_Joint_Max_Pos, "queued", 3, 170.5f, false), R"({"command":"set_joint_max_pos","joint_max_pos":[3,170500]})"},
    {ARX_CALL(Set_Joint_Max_Pos, "blocking", 3, 170.5f, true), R"({"command":"set_joint_max_pos","joint_max_pos":[3,170500]})", R"({"command":"set_joint_max_pos","joint_max_pos":true})"},
    {ARX_CALL(Set_Joint_EN_State, "queued", 4, true, false), R"({"command":"set_joint_en_state","joint_en_state":[4,1]})"},
    {ARX_CALL(Set_Joint_EN_State, "blocking", 4, false, true), R"({"command":"set_joint_en_state","joint_en_state":[4,0]})", R"({"command":"set_joint_en_state","joint_en_state":true})"},
    {ARX_CALL(Set_Joint_Zero_Pos, "queued", 5, false), R"({"command":"set_joint_zero_pos","joint_zero_pos":5})"},
    {ARX_CALL(Set_Joint_Zero_Pos, "blocking", 5, true), R"({"command":"set_joint_zero_pos","joint_zero_pos":5})", R"({"command":"set_joint_zero_pos","joint_zero_pos":true})"},
    {ARX_CALL(Set_Joint_Err_Clear, "queued", 6, false), R"({"command":"set_joint_clear_err","joint_clear_err":6})"},
    {ARX_CALL(Set_Joint_Err_Clear, "blocking", 6, true), R"({"command":"set_joint_clear_err","joint_clear_err":6})", R"({"command":"set_joint_clear_err","joint_clear_err":true})"},
    {ARX_CALL(Set_Joint_Zero_Offset, "queued", kOffsets, false), R"({"command":"set_joint_zero_offset","offset":[1500,-2250,0,0,90000,-567]})"},
    {ARX_CALL(Set_Joint_Zero_Offset, "blocking, state not true/false", kOffsets, true), R"({"command":"set_joint_zero_offset","offset":[1500,-2250,0,0,90000,-567]})", R"({"command":"set_joint_zero_offset","set_state":1})", ARX_TYPE_ERROR},
    {ARX_CALL(Start_Calibrate, "queued", false), R"({"command":"start_calibrate"})"},
    {ARX_CALL(Start_Calibrate, "blocking", true), R"({"command":"start_calibrate"})", R"({"command":"start_calibrate","calibrate_state":true})"},
    {ARX_CALL(Stop_Calibrate, "queued", false), R"({"command":"stop_calibrate"})"},
    {ARX_CALL(Stop_Calibrate, "blocking", true), R"({"command":"stop_calibrate"})", R"({"command":"stop_calibrate","calibrate_state":false})", ARX_CONTROLLER_FALSE},
    {"Get_Joint_Degree", "at most the joint count written", [](SOCKHANDLE h) { float v[8]; int rc = Get_Joint_Degree(h, unset(v)); got(list(v, 8)); return rc; }, R"({"command":"get_joint_degree"})", R"({"state":"joint_degree","joint":[1000,2000,3000,4000,5000,6000,7000]})", 0, "1,2,3,4,5,6,-99,-99"},
    {"Get_Joint_Acc", "", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Acc(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_joint_max_acc"})", R"({"state":"joint_max_acc","joint_acc":[1000,2000,3000,4000,5000,6500]})", 0, "1,2,3,4,5,6.5"},
    {"Get_Joint_Min_Pos", "", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Min_Pos(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_joint_min_pos"})", R"({"state":"joint_min_pos","min_pos":[-170000,-120000,-170000,-170000,-120000,-360000]})", 0, "-170,-120,-170,-170,-120,-360"},
    {"Get_Joint_Min_Pos", "wrong length", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Min_Pos(h, unset(v)); got(list(v, 1)); return rc; }, R"({"command":"get_joint_min_pos"})", R"({"state":"joint_min_pos","min_pos":[1,2,3,4,5,6,7]})", ARX_ARRAY_ERROR, "-99"},
    {"Get_Joint_Max_Pos", "", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Max_Pos(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_joint_max_pos"})", R"({"state":"joint_max_pos","max_pos":[170000,120000,170000,170000,120000,360000]})", 0, "170,120,170,170,120,360"},
    {"Get_Joint_Max_Pos", "wrong length", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Max_Pos(h, unset(v)); got(list(v, 1)); return rc; }, R"({"command":"get_joint_max_pos"})", R"({"state":"joint_max_pos","max_pos":[1,2,3]})", ARX_TYPE_ERROR, "-99"},
    {"Get_Joint_EN_State", "low 8 bits", [](SOCKHANDLE h) { unsigned char v[7]; int rc = Get_Joint_EN_State(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_joint_en_state"})", R"({"state":"joint_en_state","en_state":[1,0,1,1,257,0]})", 0, "1,0,1,1,1,0"},
    {"Get_Joint_Err_Flag", "low 16 bits", [](SOCKHANDLE h) { unsigned short v[7]; int rc = Get_Joint_Err_Flag(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_joint_err_flag"})", R"({"state":"joint_err_flag","err_flag":[0,1,65537,0,0,2]})", 0, "0,1,1,0,0,2"},
    {"Get_Joint_Err_Flag", "not an array", [](SOCKHANDLE h) { unsigned short v[7]; return Get_Joint_Err_Flag(h, v); }, R"({"command":"get_joint_err_flag"})", R"({"state":"joint_err_flag","err_flag":0})", ARX_ARRAY_ERROR},
    {"Get_Joint_Software_Version", "", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Software_Version(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_joint_software_version"})", R"({"state":"joint_software_version","version":[1100,1100,1100,1200,1200,1200]})", 0, "1.1,1.1,1.1,1.2,1.2,1.2"},
    {"Get_Calibrate_State", "low byte, second and third untouched", [](SOCKHANDLE h) { float v[7]; unsigned short second = 7; int third = 8; int rc = Get_Calibrate_State(h, v, &second, &third); got(list(v, 6) + "|" + std::to_string(second) + "," + std::to_string(third)); return rc; }, R"({"command":"get_calibrate_state"})", R"({"state":"calibrate_state","joint_state":[300,1,2,3,4,255]})", 0, "44,1,2,3,4,255|7,8"},
    {"Get_Calibrate_State", "not an array", [](SOCKHANDLE h) { float v[7]; unsigned short second = 0; int third = 0; return Get_Calibrate_State(h, v, &second, &third); }, R"({"command":"get_calibrate_state"})", R"({"state":"calibrate_state","joint_state":5})", ARX_REPLY_NOT_JSON},
});

}  // namespace
}  // namespace arx::test
