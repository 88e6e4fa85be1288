#include "core/threads.h"

#include "core/platform.h"
#include "core/receive.h"

namespace arx::core {

namespace {

constexpr int kSendCycleMs = 10;

void send_thread_main() {
    for (;;) {
        send_one_queued_line();
        platform::sleep_ms(kSendCycleMs);
    }
}

}  // namespace

void start_background_threads() {
    platform::start_detached_thread(send_thread_main);
    platform::start_detached_thread(receive_thread_main);
}

}  // namespace arx::core
