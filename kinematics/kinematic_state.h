// The parts of the process-wide kinematic state that commands and the
// connection start-up write. Implemented beside the kinematics.
#pragma once

#include "arx_api.h"

namespace arx::kin {

// Loads the model's parameters (Init_Sys_Data); an unknown model changes nothing.
void load_arm_model(int model);

// Install angles given in degrees, stored as radians (the conversion of setAngle).
void store_install_angles_deg(float x, float y, float z);

// The longest end link an arm can have, in metres.
constexpr float kMaxEndLinkMetres = 1.0f;

// Stores the active end-link length in metres (the controller's fourth DH
// value) when it is one an arm can have: above 0, at most kMaxEndLinkMetres.
// Anything else (a value in millimetres, NaN) is refused: false, the length
// kept.
bool store_end_link_length(float length);

// Flange-to-tool transform and base-to-work-frame transform (4 x 4).
void store_tool_frame(const Matrix& tool);
void store_work_frame(const Matrix& work);

}  // namespace arx::kin
