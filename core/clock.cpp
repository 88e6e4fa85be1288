#include "core/clock.h"

#include "core/never_destroyed.h"

#include <atomic>

namespace arx::core {

namespace {

class RealClock final : public Clock {
public:
    std::int64_t now_ms() override { return platform::monotonic_ms(); }
    void sleep_until(std::int64_t deadline_ms) override {
        for (std::int64_t left = deadline_ms - now_ms(); left > 0; left = deadline_ms - now_ms())
            platform::sleep_ms(static_cast<int>(left));
    }
    void wait_until(platform::ConditionVariable& event, platform::Mutex& mutex, std::int64_t deadline_ms) override {
        event.wait_until(mutex, deadline_ms);
    }
    int system_wait_ms(int ms) override { return ms; }
};

Clock& real_clock() {
    static NeverDestroyed<RealClock> clock;  // the threads may read it during process exit
    return *clock;
}

std::atomic<Clock*> g_clock{nullptr};

}  // namespace

Clock& clock() {
    Clock* c = g_clock.load(std::memory_order_acquire);
    return c ? *c : real_clock();
}

void use_clock(Clock* replacement) { g_clock.store(replacement, std::memory_order_release); }

}  // namespace arx::core
