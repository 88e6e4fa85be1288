// Connection start-up: the queries that load the controller's frames into the
// kinematic state before a new handle is handed out.
#pragma once

#include "arx_api.h"

namespace arx::protocol {

// 0 on success, else the result of the query that failed.
int run_connection_startup(SOCKHANDLE handle);

// Tests replace the start-up that Arm_Socket_Start runs (null restores it).
using ConnectionStartup = int (*)(SOCKHANDLE handle);
void override_connection_startup(ConnectionStartup startup);

}  // namespace arx::protocol
