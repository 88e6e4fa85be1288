// A clock the test moves by hand: the library's waits, pauses and limits read
// it instead of the real clock, so a 23 s limit passes in a fraction of a
// second with the same assertions. Installed for its lifetime.
#pragma once

#include "core/clock.h"
#include "core/never_destroyed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace arx::test {

class ManualClock final : public core::Clock {
public:
    // One per process, never destroyed: a library thread that has just read
    // the clock in use may still call it after the test put the real one back.
    static ManualClock& instance() {
        static core::NeverDestroyed<ManualClock> clock;
        return *clock;
    }
    // Puts this clock in for the library's waits.
    void engage() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            released_ = false;
        }
        core::use_clock(this);
    }
    // The real clock takes over; whoever still sleeps on this one (a peer's
    // late answer, say) wakes now.
    void release() {
        core::use_clock(nullptr);
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        moved_.notify_all();
    }

    std::int64_t now_ms() override { return now_.load(); }
    void sleep_until(std::int64_t deadline_ms) override {
        std::unique_lock<std::mutex> lock(mutex_);
        moved_.wait(lock, [&] { return released_ || now_.load() >= deadline_ms; });
    }
    // Real waits in short slices: a notification still wakes the caller at
    // once, and a moved clock is seen within a slice.
    void wait_until(platform::ConditionVariable& event, platform::Mutex& mutex, std::int64_t deadline_ms) override {
        if (now_.load() < deadline_ms) event.wait_until(mutex, platform::monotonic_ms() + kSliceMs);
    }
    int system_wait_ms(int ms) override { return ms < 0 ? ms : std::min(ms, kSliceMs); }

    void advance(std::int64_t ms) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            now_ += ms;
        }
        moved_.notify_all();
    }
    // Moves the clock `step_ms` at a time, with a little real time between
    // steps for the library's threads and the peer to act, until done() or
    // `limit_ms` of clock time; true when done() came.
    template <class Done>
    bool advance_until(Done done, std::int64_t step_ms, std::int64_t limit_ms) {
        const std::int64_t end = now_ms() + limit_ms;
        while (!done()) {
            if (now_ms() >= end) return false;
            pause_a_little();
            advance(step_ms);
        }
        return true;
    }

private:
    // Half a millisecond of real time between steps. Where a short sleep may
    // return at once (Windows rounds it to whole milliseconds, or none), the
    // rest is waited out yielding.
    static void pause_a_little() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(500);
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        while (std::chrono::steady_clock::now() < until) std::this_thread::yield();
    }

    static constexpr int kSliceMs = 1;
    std::atomic<std::int64_t> now_{1000000};
    bool released_ = true;
    std::mutex mutex_;
    std::condition_variable moved_;
};

}  // namespace arx::test

namespace arx::test {

// The clock a timing test runs on: by hand (the quick suite) or the real one
// (the slow suite, which shows that both agree). The same test body asks it
// for the time, runs its calls through it and lets time pass with it.
class TestClock {
public:
    explicit TestClock(bool manual) : manual_(manual ? &ManualClock::instance() : nullptr) {
        if (manual_) manual_->engage();
    }
    ~TestClock() {
        if (manual_) manual_->release();
    }
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;
    std::int64_t now_ms() { return core::clock().now_ms(); }

    // Runs `call` on its own thread while the clock moves; its result. A
    // hand-moved clock moves `step_ms` at a time: no measured time is finer,
    // and a hiccup of the machine shows as a few steps more.
    template <class Call>
    auto run(Call call, std::int64_t step_ms = kStepMs) -> decltype(call()) {
        auto done = std::async(std::launch::async, call);
        wait([&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, kLongestMs, step_ms);
        return done.get();
    }
    // Waits until done() or `limit_ms` of this clock have passed; true when done() came.
    template <class Done>
    bool wait(Done done, std::int64_t limit_ms, std::int64_t step_ms = kStepMs) {
        if (manual_) return manual_->advance_until(done, std::min(step_ms, kStepMs), limit_ms);
        const std::int64_t end = now_ms() + limit_ms;
        while (!done()) {
            if (now_ms() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    // Lets `ms` of this clock pass.
    // On the hand-moved clock, what fell due meanwhile (a peer's late answer)
    // is also given real time to happen.
    void pass(std::int64_t ms) {
        wait([] { return false; }, ms, std::min<std::int64_t>(ms, kStepMs));
        if (manual_) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

private:
    // Clock time per step. Real time taken by the peer and the library's
    // threads (a reply on its way) shows as steps too: under Wine, whose
    // loopback is slower, steps are finer.
#if defined(_WIN32)
    static constexpr std::int64_t kStepMs = 5;
#else
    static constexpr std::int64_t kStepMs = 20;
#endif
    static constexpr std::int64_t kLongestMs = 10 * 60 * 1000;
    ManualClock* manual_;
};

inline std::string clock_name(const ::testing::TestParamInfo<bool>& info) { return info.param ? "ManualClock" : "RealClock"; }

}  // namespace arx::test
