#include "core/startup.h"

namespace arx::core {

int run_connection_startup(SOCKHANDLE) { return 0; }

}  // namespace arx::core
