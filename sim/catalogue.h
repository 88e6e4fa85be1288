// The request words the simulated controller answers, by family.
#pragma once

#include "sim/controller.h"

#include <algorithm>

namespace arx::sim {

const std::map<std::string, Handler>& arm_handlers();
const std::map<std::string, Handler>& device_handlers();

}  // namespace arx::sim
