#include "core/log.h"

#include <cstdarg>
#include <cstdio>

namespace arx::core {

namespace {

constexpr int kLogOff = static_cast<int>(LogLevel::Error) + 1;

std::atomic<LogHandler> g_handler{nullptr};

}  // namespace

std::atomic<int> detail::g_log_threshold{kLogOff};

void log(LogLevel level, const char* format, ...) {
    if (!log_enabled(level)) return;
    // Loaded after the threshold: a handler being removed is seen as null here
    // rather than called with a line it no longer wants.
    const LogHandler handler = g_handler.load(std::memory_order_acquire);
    if (handler == nullptr) return;
    char text[kLogLineCapacity];
    std::va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (length < 0) return;  // an encoding error leaves nothing worth reading
    handler(static_cast<int>(level), text);
}

void set_log_handler(int min_level, LogHandler handler) {
    if (handler == nullptr) {
        // Threshold first, so log points stop formatting before the handler goes.
        detail::g_log_threshold.store(kLogOff, std::memory_order_relaxed);
        g_handler.store(nullptr, std::memory_order_release);
        return;
    }
    int threshold = min_level;
    if (threshold < static_cast<int>(LogLevel::Debug)) threshold = static_cast<int>(LogLevel::Debug);
    if (threshold > kLogOff) threshold = kLogOff;
    // Handler first, so a log point that sees the new threshold finds it.
    g_handler.store(handler, std::memory_order_release);
    detail::g_log_threshold.store(threshold, std::memory_order_relaxed);
}

}  // namespace arx::core
