// Process-wide library state.
#include "core/library.h"

#include "core/clock.h"
#include "core/message_queue.h"
#include "core/never_destroyed.h"
#include "core/platform.h"
#include "core/threads.h"
#include "core/transport.h"

#include <atomic>
#include <mutex>

namespace arx::core {

namespace {

// Plain words with constant initialisation: readable from any thread without
// a lock, and never torn down while the background threads run.
std::atomic<int> g_model{ARM_MODEL_A};
std::atomic<int> g_reply_timeout_ms{kReplyTimeoutMs};
std::atomic<ArxCallback> g_callback{nullptr};
std::atomic<ReportDecoder> g_report_decoder{nullptr};
std::atomic<int> g_initialised{0};

}  // namespace

bool initialised() { return g_initialised.load() >= 1; }
int arm_model() { return g_model.load(); }
ArxCallback application_callback() { return g_callback.load(); }
ReportDecoder report_decoder() { return g_report_decoder.load(); }
int reply_timeout_ms() { return g_reply_timeout_ms.load(); }
void pause_ms(int milliseconds) { sleep_ms(milliseconds); }

platform::Mutex& library_mutex() {
    static NeverDestroyed<platform::Mutex> mutex;
    return *mutex;
}

void initialise(int model, ArxCallback callback, ReportDecoder decode_report) {
    g_callback.store(callback);
    g_report_decoder.store(decode_report);
    g_reply_timeout_ms.store(kReplyTimeoutMs);
    g_model.store(model);
    // A repeated initialisation drops the lines still queued; under the
    // mutex, so the send thread never pops from a queue being re-created.
    queue_create(kSendQueueCapacity);
    int expected = 0;
    if (g_initialised.compare_exchange_strong(expected, 1)) start_background_threads();
}

void release_send_queue() { queue_release(); }

}  // namespace arx::core
