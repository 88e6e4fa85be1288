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
// Static storage, zero before any code runs, trivially destructible.
PendingReplyTable g_pending;
MessageQueue g_queue;
Registry g_connections;
}  // namespace

Library& library() {
    static NeverDestroyed<Library> the_library(g_pending, g_queue, g_connections);
    return *the_library;
}

bool initialised() { return library().initialised.load() >= 1; }
int arm_model() { return library().model.load(); }
ArxCallback application_callback() { return library().callback.load(); }
ReportDecoder report_decoder() { return library().report_decoder.load(); }
int reply_timeout_ms() { return library().reply_timeout_ms.load(); }
platform::Mutex& library_mutex() { return library().mutex; }
PendingReplyTable& pending_table() { return library().pending; }
MessageQueue& send_queue() { return library().queue; }

void initialise(int model, ArxCallback callback, ReportDecoder decode_report) {
    Library& lib = library();
    lib.callback.store(callback);
    lib.report_decoder.store(decode_report);
    lib.reply_timeout_ms.store(kReplyTimeoutMs);
    lib.model.store(model);
    // A repeated initialisation drops the lines still queued; under the
    // mutex, so the send thread never pops from a queue being re-created.
    queue_create(kSendQueueCapacity);
    int expected = 0;
    if (lib.initialised.compare_exchange_strong(expected, 1)) start_background_threads();
}

void release_send_queue() { queue_release(); }

}  // namespace arx::core
