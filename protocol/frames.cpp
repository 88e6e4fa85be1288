// Tool frames, work frames and payload.
#include "core/library.h"
#include "protocol/command.h"
#include "protocol/internals.h"

using namespace arx::protocol;

namespace {

// The controller switches frames asynchronously; a blocking change waits for
// it to settle before the caller moves on.
constexpr int kFrameChangeSettleMs = 300;

// Payload centre of mass: three millionths.
Field Position(FRAME* frame, ArrayCodes codes) {
    return ExactElements("position", std::array<float*, 3>{&frame->x, &frame->y, &frame->z}, Millionths, codes);
}

int settle_after(bool block, int rc) {
    if (block) arx::core::sleep_ms(kFrameChangeSettleMs);
    return rc;
}

}  // namespace

// ---- tool frames

int Auto_Set_Tool_Frame(SOCKHANDLE h, unsigned char point_num, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_auto_tool_frame").add("point_num", Int(point_num)).run(h, block, Kind::SetAutoToolFrame, Boolean("auto_tool_frame"));
}

int Generate_Auto_Tool_Frame(SOCKHANDLE h, const char* name, float payload, float x, float y, float z, bool block) {
    ARX_GUARD(h, Transfer, NotNull(name), Pause);
    // The reply carries "generate_auto_tool_frame" and so classifies as 38.
    return Request("generate_auto_tool_frame")
        .add("tool_name", Text(name))
        .add("payload", MilliNumber(payload))
        .array("position", {Milli(x), Milli(y), Milli(z)})
        .run(h, block, Kind::GenerateAutoToolFrame, Boolean("auto_tool_frame"));
}

int Manual_Set_Tool_Frame(SOCKHANDLE h, const char* name, POSE pose, float payload, float x, float y, float z,
                          bool block) {
    ARX_GUARD(h, Transfer, NotNull(name), Pause);
    Request r("set_manual_tool_frame");
    r.add("tool_name", Text(name));
    r.pose("tool_pose", pose)
        .add("payload", Number(payload))
        .array("position", {Milli(x), Milli(y), Milli(z)});
    return r.run(h, block, Kind::SetManualToolFrame, Boolean("manual_tool_frame"));
}

int Change_Tool_Frame(SOCKHANDLE h, const char* name, bool block) {
    ARX_GUARD(h, Transfer, NotNull(name), Pause);
    return settle_after(block, Request("set_change_tool_frame")
                                   .add("tool_name", Text(name))
                                   .run(h, block, Kind::SetChangeToolFrame, Boolean("change_tool_frame")));
}

int Delete_Tool_Frame(SOCKHANDLE h, const char* name, bool block) {
    ARX_GUARD(h, Transfer, NotNull(name), Pause);
    return Request("set_delete_tool_frame").add("tool_name", Text(name)).run(h, block, Kind::SetDeleteToolFrame, Boolean("delete_tool_frame"));
}

int Set_Payload(SOCKHANDLE h, int payload, float x, float y, float z, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_payload")
        .add("payload", Int(payload))
        .array("position", {Milli(x), Milli(y), Milli(z)})
        .run(h, block, Kind::SetPayload, Boolean("set_state"));
}

int Set_None_Payload(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "set_none_payload", Kind::SetNonePayload, "set_state");
}

int arx::protocol::read_current_tool_frame(SOCKHANDLE h, FRAME* frame) {
    return Request("get_current_tool_frame")
        .query(h, Kind::CurrentToolFrame, All(FrameName("tool_name", &frame->name), PoseArray("pose", &frame->pose),
                          Integer("payload", &frame->payload), Position(frame, kMissingThenTypeError)));
}

int Get_Current_Tool_Frame(SOCKHANDLE h, FRAME* frame) {
    ARX_GUARD(h, Transfer, NotNull(frame), Pause);
    return read_current_tool_frame(h, frame);
}

int Get_Given_Tool_Frame(SOCKHANDLE h, const char* name, FRAME* frame) {
    ARX_GUARD(h, Transfer, NotNull(name, frame), Pause);
    return Request("get_tool_frame")
        .add("tool_name", Text(name))
        .query(h, Kind::GivenToolFrame, All(PoseArray("pose", &frame->pose), Converted("payload", &frame->payload, NumberAsFloat),
                          Position(frame, kTypeErrors)));
}

int Get_All_Tool_Frame(SOCKHANDLE h, FRAME_NAME* names, int* count) {
    ARX_GUARD(h, Transfer, NotNull(names, count), Pause);
    return Request("get_total_tool_frame").query(h, Kind::TotalToolFrame, NameList("tool_names", names, ARX_FRAME_NAME_CAPACITY, count));
}

// ---- work frames

int Auto_Set_Work_Frame(SOCKHANDLE h, const char* name, unsigned char point_num, bool block) {
    ARX_GUARD(h, Transfer, NotNull(name), Pause);
    return Request("set_auto_work_frame")
        .add("frame_name", Text(name))
        .add("point_num", Int(point_num))
        .run(h, block, Kind::SetAutoWorkFrame, Boolean("auto_work_frame"));
}

int Manual_Set_Work_Frame(SOCKHANDLE h, const char* name, POSE pose, bool block) {
    ARX_GUARD(h, Transfer, NotNull(name), Pause);
    Request r("set_manual_work_frame");
    r.add("frame_name", Text(name));
    return r.pose("frame_pose", pose).run(h, block, Kind::SetMaualWorkFrame, Boolean("manual_work_frame"));
}

int Change_Work_Frame(SOCKHANDLE h, const char* name, bool block) {
    ARX_GUARD(h, Transfer, NotNull(name), Pause);
    return settle_after(block, Request("set_change_work_frame")
                                   .add("frame_name", Text(name))
                                   .run(h, block, Kind::SetChangeWorkFrame, Boolean("change_work_frame")));
}

int Delete_Work_Frame(SOCKHANDLE h, const char* name, bool block) {
    ARX_GUARD(h, Transfer, NotNull(name), Pause);
    return Request("set_delete_work_frame").add("frame_name", Text(name)).run(h, block, Kind::SetDeleteWorkFrame, Boolean("delete_work_frame"));
}

int arx::protocol::read_current_work_frame(SOCKHANDLE h, FRAME* frame) {
    return Request("get_current_work_frame")
        .query(h, Kind::CurrentWorkFrame, All(FrameName("frame_name", &frame->name), PoseArray("pose", &frame->pose)));
}

int Get_Current_Work_Frame(SOCKHANDLE h, FRAME* frame) {
    ARX_GUARD(h, Transfer, NotNull(frame), Pause);
    return read_current_work_frame(h, frame);
}

int Get_Given_Work_Frame(SOCKHANDLE h, const char* name, POSE* pose) {
    ARX_GUARD(h, Transfer, NotNull(name, pose), Pause);
    return Request("get_work_frame").add("frame_name", Text(name)).query(h, Kind::GivenWorkFrame, PoseArray("pose", pose));
}

int Get_All_Work_Frame(SOCKHANDLE h, FRAME_NAME* names, int* count) {
    ARX_GUARD(h, Transfer, NotNull(names, count), Pause);
    return Request("get_total_work_frame").query(h, Kind::TotalWorkFrame, NameList("frame_names", names, ARX_FRAME_NAME_CAPACITY, count));
}
