#include "core/threads.h"

#include "core/platform.h"
#include "core/receive.h"

namespace arx::core {

void start_background_threads() {
    platform::start_detached_thread(send_thread_main);
    platform::start_detached_thread(receive_thread_main);
}

}  // namespace arx::core
