// What the log handler received, for the tests in this folder.
#pragma once

#include "support/log_recorder.h"

#include <string>

namespace arx::test {

// The lines logged since the last look, each "level:text\n"; "" for none.
inline std::string logged() {
    std::string out;
    for (const LogLine& line : LogRecorder::take()) out += std::to_string(line.level) + ":" + line.text + "\n";
    return out;
}

}  // namespace arx::test
