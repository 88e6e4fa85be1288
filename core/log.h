// The library's log: short lines about what went wrong or was given up
// (connection ends, time-outs, late replies discarded, lines cut or dropped,
// requests refused), handed to the application's handler. With no handler set
// a log point costs one relaxed load and formats nothing.
//
//   if (log_enabled(LogLevel::Warning)) ...;        // before work done only for the log
//   log(LogLevel::Warning, "reply to %s timed out after %d ms", word, ms);
#pragma once

#include <atomic>

#if defined(__MINGW32__)
#define ARX_PRINTF_FORMAT(format_index, first_argument) \
    __attribute__((format(gnu_printf, format_index, first_argument)))
#elif defined(__GNUC__)
#define ARX_PRINTF_FORMAT(format_index, first_argument) \
    __attribute__((format(printf, format_index, first_argument)))
#else
#define ARX_PRINTF_FORMAT(format_index, first_argument)
#endif

namespace arx::core {

// The public ARX_LOG_* values.
enum class LogLevel : int { Debug = 0, Info = 1, Warning = 2, Error = 3 };

// The application's handler; the text is valid for the call only.
using LogHandler = void (*)(int level, const char* text);

// A formatted line is cut to this many bytes (a whole 4096-byte reply and the
// words around it fit).
constexpr int kLogLineCapacity = 4096 + 256;

namespace detail {
// The lowest level that reaches the handler; above LogLevel::Error while no
// handler is set. Constant-initialised, so log points work during start-up.
extern std::atomic<int> g_log_threshold;
}  // namespace detail

// One relaxed atomic load: true when a handler is set and `level` is at or
// above its minimum.
inline bool log_enabled(LogLevel level) {
    return static_cast<int>(level) >= detail::g_log_threshold.load(std::memory_order_relaxed);
}

// printf-style; formats into a stack buffer (cut at kLogLineCapacity - 1
// bytes) and calls the handler, only when log_enabled(level). Never
// allocates. Safe from any thread, the receive and send threads included.
void log(LogLevel level, const char* format, ...) ARX_PRINTF_FORMAT(2, 3);

// Sets the handler and its minimum level (clamped: below Debug counts as
// Debug, above Error lets nothing through); a null handler turns the log off.
// Any thread, any time. A line being delivered while the handler changes may
// still reach the previous handler.
void set_log_handler(int min_level, LogHandler handler);

}  // namespace arx::core
