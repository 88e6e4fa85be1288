// Process-wide library state and the initialisation exports.
#include "core/library.h"

#include "core/message_queue.h"
#include "core/never_destroyed.h"
#include "core/platform.h"
#include "core/threads.h"

#include <atomic>
#include <mutex>

namespace arx::core {

namespace {

// Plain words with constant initialisation: readable from any thread without
// a lock, and never torn down while the background threads run.
std::atomic<int> g_model{ARM_MODEL_A};
std::atomic<int> g_reply_timeout_ms{kReplyTimeoutMs};
std::atomic<ArxCallback> g_callback{nullptr};
std::atomic<int> g_initialised{0};

char g_version[] = "4.0.6";

}  // namespace

bool initialised() { return g_initialised.load() >= 1; }
int arm_model() { return g_model.load(); }
ArxCallback application_callback() { return g_callback.load(); }
int reply_timeout_ms() { return g_reply_timeout_ms.load(); }
void pause_ms(int milliseconds) { platform::sleep_ms(milliseconds); }

platform::Mutex& library_mutex() {
    static NeverDestroyed<platform::Mutex> mutex;
    return *mutex;
}

}  // namespace arx::core

using namespace arx::core;

int Arx_API_Init(int model, ArxCallback callback) {
    g_callback.store(callback);
    g_reply_timeout_ms.store(kReplyTimeoutMs);
    g_model.store(model);
    Init_Sys_Data(model);
    {
        // A repeated initialisation drops the lines still queued; under the
        // mutex, so the send thread never pops from a queue being re-created.
        std::lock_guard<arx::platform::Mutex> lock(library_mutex());
        send_queue().create(kSendQueueCapacity);
    }
    int expected = 0;
    if (g_initialised.compare_exchange_strong(expected, 1)) start_background_threads();
    return 0;
}

int Arx_API_UnInit(void) {
    std::lock_guard<arx::platform::Mutex> lock(library_mutex());
    send_queue().release();
    return 1;
}

char* API_Version(void) { return g_version; }
