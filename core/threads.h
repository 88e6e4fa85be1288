// The two background threads: started once, never stopped or joined.
#pragma once

namespace arx::core {

// Starts the send thread, then the receive thread.
void start_background_threads();

// One cycle of the send thread: pops and sends at most one queued line under
// the library mutex. Returns true when a line was taken.
bool send_one_queued_line();

}  // namespace arx::core
