// The exports that other protocol code needs, in their internal form: the
// request and its decoding only. The export itself is its checks and the 20 ms
// pause, then this call; an internal caller runs the checks and pauses it
// wants, where it wants them, so no pause is ever taken twice unseen.
#pragma once

#include "arx_api.h"

namespace arx::protocol {

// "get_current_arm_state": the arm's joints (one per joint of the connection),
// pose and error words. Get_Current_Arm_State's result codes.
int read_arm_state(SOCKHANDLE h, float* joint, POSE* pose, unsigned short* arm_err, unsigned short* sys_err);

// "get_current_tool_frame" and "get_current_work_frame": the active frames.
int read_current_tool_frame(SOCKHANDLE h, FRAME* frame);
int read_current_work_frame(SOCKHANDLE h, FRAME* frame);

// "get_install_pose": the mounting angles in degrees, stored into the
// kinematic state when the reply decodes.
int read_install_pose(SOCKHANDLE h, float* x, float* y, float* z);

// "movel": a straight-line move, queued or waited for as Movel_Cmd waits.
int move_line(SOCKHANDLE h, POSE pose, unsigned char v, float r, bool block);

// What a result code means, for the library's own log lines (Arx_Result_Text).
const char* result_text(int code);

}  // namespace arx::protocol
