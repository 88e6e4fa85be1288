// Sweep rows: tool frames, work frames and payload.
#include "support/sweep.h"

#include <cstring>

namespace arx::test {
namespace {

const POSE kPose{0.1f, 0, 0, 0, 0, 1.5708f};  // on the wire: 100000 and 1570

// "name|x|payload|cx,cy,cz" of a frame read back.
std::string frame_text(const FRAME& f) {
    return std::string(f.name.name, strnlen(f.name.name, sizeof f.name.name)) + "|" + list(&f.pose.x, 1) + "|" +
           list(&f.payload, 1) + "|" + list(&f.x, 3);
}

// "count|first|last" of a name list.
std::string names_text(const FRAME_NAME* names, int count) {
    if (count <= 0) return std::to_string(count);
    return std::to_string(count) + "|" + names[0].name + "|" + names[count - 1].name;
}

const char kTwelveTools[] = R"({"state":"total_tool_frame","tool_names":["t1","t2","t3","t4","t5","t6","t7","t8","t9","t10","t11","t12"]})";

// clang-format off
const SweepTable kFrames("frames", {
    {ARX_CALL(Auto_Set_Tool_Frame, "queued", 2, false), R"({"command":"set_auto_tool_frame","point_num":2})"},
    {ARX_CALL(Auto_Set_Tool_Frame, "blocking", 2, true), R"({"command":"set_auto_tool_frame","point_num":2})", R"({"command":"set_auto_tool_frame","auto_tool_frame":true})"},
    {ARX_CALL(Generate_Auto_Tool_Frame, "queued, payload x1000 kept whole", "t", 1.5f, 0.1f, 0, -0.0015f, false), R"({"command":"generate_auto_tool_frame","tool_name":"t","payload":1500,"position":[100,0,-1]})"},
    {ARX_CALL(Generate_Auto_Tool_Frame, "blocking, payload with fraction", "t", 0.0005f, 0, 0, 0, true), R"({"command":"generate_auto_tool_frame","tool_name":"t","payload":0.500000,"position":[0,0,0]})", R"({"command":"generate_auto_tool_frame","auto_tool_frame":true})"},
    {ARX_CALL(Manual_Set_Tool_Frame, "queued, payload unscaled", "t2", kPose, 2.0f, 0, 0.05f, 0, false), R"({"command":"set_manual_tool_frame","tool_name":"t2","tool_pose":[100000,0,0,0,0,1570],"payload":2,"position":[0,50,0]})"},
    {ARX_CALL(Manual_Set_Tool_Frame, "blocking", "t2", kPose, 2.0f, 0, 0.05f, 0, true), R"({"command":"set_manual_tool_frame","tool_name":"t2","tool_pose":[100000,0,0,0,0,1570],"payload":2,"position":[0,50,0]})", R"({"command":"set_manual_tool_frame","Manual_Tool_Frame":false})", ARX_CONTROLLER_FALSE},
    {ARX_CALL(Change_Tool_Frame, "queued", "t2", false), R"({"command":"set_change_tool_frame","tool_name":"t2"})"},
    {ARX_CALL(Change_Tool_Frame, "blocking", "t2", true), R"({"command":"set_change_tool_frame","tool_name":"t2"})", R"({"command":"set_change_tool_frame","change_tool_frame":true})"},
    {ARX_CALL(Delete_Tool_Frame, "queued", "t2", false), R"({"command":"set_delete_tool_frame","tool_name":"t2"})"},
    {ARX_CALL(Delete_Tool_Frame, "blocking", "t2", true), R"({"command":"set_delete_tool_frame","tool_name":"t2"})", R"({"command":"set_delete_tool_frame","delete_tool_frame":true})"},
    {ARX_CALL(Set_Payload, "queued", 3, 0.1f, 0, -0.02f, false), R"({"command":"set_payload","payload":3,"position":[100,0,-20]})"},
    {ARX_CALL(Set_Payload, "blocking", 3, 0.1f, 0, -0.02f, true), R"({"command":"set_payload","payload":3,"position":[100,0,-20]})", R"({"command":"set_payload","set_state":true})"},
    {ARX_CALL(Set_None_Payload, "queued", false), R"({"command":"set_none_payload"})"},
    {ARX_CALL(Set_None_Payload, "blocking", true), R"({"command":"set_none_payload"})", R"({"command":"set_none_payload","set_state":true})"},
    {"Get_Current_Tool_Frame", "payload as its whole number", [](SOCKHANDLE h) { FRAME f{}; int rc = Get_Current_Tool_Frame(h, &f); got(frame_text(f)); return rc; }, R"({"command":"get_current_tool_frame"})", R"({"state":"current_tool_frame","tool_name":"tip","pose":[250000,0,-1000000,1571,0,0],"payload":2.75,"position":[1000,2000,3000]})", 0, "tip|0.25|2|0.001,0.002,0.003"},
    {"Get_Given_Tool_Frame", "payload with fraction, name not written", [](SOCKHANDLE h) { FRAME f{}; int rc = Get_Given_Tool_Frame(h, "tip", &f); got(frame_text(f)); return rc; }, R"({"command":"get_tool_frame","tool_name":"tip"})", R"({"state":"given_tool_frame","pose":[250000,0,-1000000,1571,0,0],"payload":2.75,"position":[1,2,3]})", 0, "|0.25|2.75|1e-06,2e-06,3e-06"},
    {"Get_Given_Tool_Frame", "pose not six values", [](SOCKHANDLE h) { FRAME f{}; return Get_Given_Tool_Frame(h, "tip", &f); }, R"({"command":"get_tool_frame","tool_name":"tip"})", R"({"state":"given_tool_frame","pose":[1,2,3],"payload":2.75,"position":[1,2,3]})", ARX_POSE_ARRAY_ERROR},
    {"Get_All_Tool_Frame", "up to NULL", [](SOCKHANDLE h) { FRAME_NAME n[ARX_FRAME_NAME_CAPACITY]{}; int count = kUnset; int rc = Get_All_Tool_Frame(h, n, &count); got(names_text(n, count)); return rc; }, R"({"command":"get_total_tool_frame"})", R"({"state":"total_tool_frame","tool_names":["tip","gripper","NULL","late"]})", 0, "2|tip|gripper"},
    {"Get_All_Tool_Frame", "twelve names: the list is cut at the capacity", [](SOCKHANDLE h) { FRAME_NAME n[ARX_FRAME_NAME_CAPACITY]{}; int count = kUnset; int rc = Get_All_Tool_Frame(h, n, &count); got(names_text(n, count)); return rc; }, R"({"command":"get_total_tool_frame"})", kTwelveTools, 0, "10|t1|t10"},
    {ARX_CALL(Auto_Set_Work_Frame, "queued", "w1", 3, false), R"({"command":"set_auto_work_frame","frame_name":"w1","point_num":3})"},
    {ARX_CALL(Auto_Set_Work_Frame, "blocking", "w1", 3, true), R"({"command":"set_auto_work_frame","frame_name":"w1","point_num":3})", R"({"command":"set_auto_work_frame","auto_work_frame":true})"},
    {ARX_CALL(Manual_Set_Work_Frame, "queued", "w1", kPose, false), R"({"command":"set_manual_work_frame","frame_name":"w1","frame_pose":[100000,0,0,0,0,1570]})"},
    {ARX_CALL(Manual_Set_Work_Frame, "blocking, answered under the controller's spelling", "w1", kPose, true), R"({"command":"set_manual_work_frame","frame_name":"w1","frame_pose":[100000,0,0,0,0,1570]})", R"({"command":"set_maual_work_frame","manual_work_frame":true})"},
    {ARX_CALL(Change_Work_Frame, "queued", "w1", false), R"({"command":"set_change_work_frame","frame_name":"w1"})"},
    {ARX_CALL(Change_Work_Frame, "blocking", "w1", true), R"({"command":"set_change_work_frame","frame_name":"w1"})", R"({"command":"set_change_work_frame","change_work_frame":true})"},
    {ARX_CALL(Delete_Work_Frame, "queued", "w1", false), R"({"command":"set_delete_work_frame","frame_name":"w1"})"},
    {ARX_CALL(Delete_Work_Frame, "blocking", "w1", true), R"({"command":"set_delete_work_frame","frame_name":"w1"})", R"({"command":"set_delete_work_frame","delete_work_frame":false})", ARX_CONTROLLER_FALSE},
    {"Get_Current_Work_Frame", "", [](SOCKHANDLE h) { FRAME f{}; int rc = Get_Current_Work_Frame(h, &f); got(frame_text(f)); return rc; }, R"({"command":"get_current_work_frame"})", R"({"state":"current_work_frame","frame_name":"w1","pose":[100000,0,0,0,0,1570]})", 0, "w1|0.1|0|0,0,0"},
    {"Get_Given_Work_Frame", "", [](SOCKHANDLE h) { POSE p{}; int rc = Get_Given_Work_Frame(h, "w1", &p); got(list(&p.x, 6)); return rc; }, R"({"command":"get_work_frame","frame_name":"w1"})", R"({"state":"given_work_frame","pose":[100000,0,-2000000,0,0,1570]})", 0, "0.1,0,-2,0,0,1.57"},
    {"Get_All_Work_Frame", "twelve names: the list is cut at the capacity", [](SOCKHANDLE h) { FRAME_NAME n[ARX_FRAME_NAME_CAPACITY]{}; int count = kUnset; int rc = Get_All_Work_Frame(h, n, &count); got(names_text(n, count)); return rc; }, R"({"command":"get_total_work_frame"})", R"({"state":"total_work_frame","frame_names":["World","w1","w2","w3","w4","w5","w6","w7","w8","w9","w10","w11"]})", 0, "10|World|w9"},
    {"Get_All_Work_Frame", "no list", [](SOCKHANDLE h) { FRAME_NAME n[ARX_FRAME_NAME_CAPACITY]{}; int count = kUnset; return Get_All_Work_Frame(h, n, &count); }, R"({"command":"get_total_work_frame"})", R"({"state":"total_work_frame","frame_names":"World"})", ARX_TYPE_ERROR},
});

}  // namespace
}  // namespace arx::test
