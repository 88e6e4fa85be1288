// The two background threads: started once, never stopped or joined.
#pragma once

namespace arx::core {

// Starts the send thread, then the receive thread.
void start_background_threads();

// The send thread's body (core/transport.cpp): sleeps until a line is queued,
// sends it, and lets at least 10 ms pass before the next. Never returns.
void send_thread_main();

// Wakes the caller waiting on a pending slot; called with the library mutex
// held, right after the reply was stored.
void notify_reply_stored(int slot);

}  // namespace arx::core
