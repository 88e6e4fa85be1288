// The receive side: one thread waits on all connections at once, frames each
// connection's bytes into lines and routes every line on its own.
#pragma once

#include "arx_api.h"

#include <string_view>

namespace arx::core {

// Routes one complete reply line of `socket`: classifies it and stores it in
// the first slot that expects it, or reports it to the application callback
// when that slot is a callback-mode one. Lines nobody expects are discarded.
void route_line(SOCKHANDLE socket, int joints, std::string_view line);

// The thread body; never returns.
void receive_thread_main();

}  // namespace arx::core
