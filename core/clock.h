// What every wait of the library reads time through: the reply and move
// waits, the stall limit of a begun line, the 20 ms pause and the 10 ms pacing
// of queued lines. The library runs on the real monotonic clock; a test puts
// in a clock it moves by hand, so a 23 s limit is checked in milliseconds with
// the same assertions.
#pragma once

#include "core/platform.h"

#include <cstdint>

namespace arx::core {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds; only differences are meaningful.
    virtual std::int64_t now_ms() = 0;
    // Returns once now_ms() has reached `deadline_ms`.
    virtual void sleep_until(std::int64_t deadline_ms) = 0;
    // With `mutex` held (released while waiting): returns when `event` is
    // notified or now_ms() reaches `deadline_ms`, or earlier; callers check
    // their condition and the time again.
    virtual void wait_until(platform::ConditionVariable& event, platform::Mutex& mutex, std::int64_t deadline_ms) = 0;
    // How long the receive thread may block in the system's wait for readable
    // sockets when the next limit of this clock is `ms` away (negative: none).
    virtual int system_wait_ms(int ms) = 0;
};

// The clock in use (the real one unless a test put in its own).
Clock& clock();
// Puts `replacement` in (nullptr: the real clock again). For tests, before the
// library runs calls that wait; the clock must outlive its use.
void use_clock(Clock* replacement);

inline void sleep_ms(int milliseconds) {
    Clock& c = clock();
    c.sleep_until(c.now_ms() + milliseconds);
}

}  // namespace arx::core
