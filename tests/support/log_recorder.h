// A log handler for tests: records every line it is given, from any thread.
// Install with Arx_Set_Log_Handler(min_level, LogRecorder::handler); a test
// that installs it turns the log off again in its TearDown.
#pragma once

#include "arx_api.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace arx::test {

struct LogLine {
    int level;
    std::string text;
};

class LogRecorder {
public:
    static void handler(int level, const char* text) {
        std::lock_guard<std::mutex> lock(mutex());
        lines().push_back(LogLine{level, text});
    }
    static std::vector<LogLine> take() {
        std::lock_guard<std::mutex> lock(mutex());
        return std::exchange(lines(), {});
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<LogLine>& lines() {
        static std::vector<LogLine> all;
        return all;
    }
};

}  // namespace arx::test
