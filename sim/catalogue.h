// The request words the simulated controller answers, by family.
#pragma once

#include "sim/controller.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace arx::sim {

const std::map<std::string, Handler>& arm_handlers();     // joints, limits, installation, state
const std::map<std::string, Handler>& frame_handlers();   // tool and work frames, payload
const std::map<std::string, Handler>& motion_handlers();  // moves, waypoints, teaching, drag teaching
const std::map<std::string, Handler>& device_handlers();  // controller, IO, grippers, force, Modbus, lift and base

// The library sends whole numbers of 32 bits at most; larger ones are refused.
constexpr double kWireIntegerLimit = 2147483647.0;

// Values as the wire carries them.
std::vector<double> joints_milli(const ControllerState& s, const Joints& j);  // degrees x1000, truncated
std::vector<double> pose_wire(const Pose6& p);  // millionths of metres, thousandths of radians
Pose6 pose_from(const Exchange& x, const char* key);
Joints joints_from(const Controller& c, const Exchange& x, const char* key);
void ack_bool(Exchange& x, const char* key, bool ok);

}  // namespace arx::sim
