#include "core/receive.h"

#include "core/classifier.h"
#include "core/clock.h"
#include "core/connections.h"
#include "core/deadline_heap.h"
#include "core/library.h"
#include "core/line_assembler.h"
#include "core/log.h"
#include "core/never_destroyed.h"
#include "core/pending_table.h"
#include "core/platform.h"
#include "core/threads.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

namespace arx::core {

namespace {

using ConnectionInput = Connection::Input;

// The key the registry's wake-up is watched under; connections are watched
// under their entry index.
constexpr std::uint64_t kWakeUpKey = kMaxConnections;

// The receive thread's own state. The connections it watches change only
// when the registry changed or a connection ended, not on every pass; a pass
// reads only the connections that are ready and looks only at the stall
// limits that are due.
struct ReceiveLoop {
    platform::ReadySet ready;
    std::uint32_t registry_version = ~0u;
    bool stale = true;
    bool watched[kMaxConnections] = {};
    ConnectionView views[kMaxConnections] = {};  // what each watched entry held when it was added
    DeadlineHeap<kMaxConnections> stall_limits;   // entries with a begun line, by when it is given up
    std::uint64_t ready_keys[kMaxConnections + 1] = {};
    char chunk[kReplyCapacity] = {};
};

// A begun line is waited for at least as long as a caller waits for its
// reply, so a reply that stalls half-way can still complete in time.
int mid_line_limit_ms(const ConnectionView& v) { return std::max(v.recv_timeout_ms, reply_timeout_ms()); }

void stop_watching(ReceiveLoop& loop, int entry) {
    loop.ready.unwatch(static_cast<std::uint64_t>(entry));
    loop.watched[entry] = false;
    loop.stall_limits.erase(entry);
}

// Brings the watched set in line with the registry: open connections that
// have not ended are watched, nothing else.
void update_watched(ReceiveLoop& loop) {
    loop.registry_version = registry().version();
    loop.stale = false;
    for (int entry = 0; entry < kMaxConnections; ++entry) {
        ConnectionView v{};
        const bool open = registry().view(entry, &v);
        ConnectionInput& input = registry().input(entry);
        if (open && input.generation != v.generation) {
            input.generation = v.generation;
            input.ended = false;
            input.lines.reset();
        }
        const bool wanted = open && !input.ended;
        if (loop.watched[entry] && (!wanted || loop.views[entry].generation != v.generation)) stop_watching(loop, entry);
        if (!wanted || loop.watched[entry]) continue;
        loop.views[entry] = v;
        loop.watched[entry] = registry().watch(entry, v.generation, loop.ready);
        if (!loop.watched[entry] && registry().view(entry, &v) && v.generation == loop.views[entry].generation)
            log(LogLevel::Error, "connection %llu: the receive thread cannot wait on it",
                static_cast<unsigned long long>(v.socket));
    }
}

void read_ready_connection(ReceiveLoop& loop, int entry) {
    if (!loop.watched[entry]) return;
    const ConnectionView& v = loop.views[entry];
    ConnectionInput& input = registry().input(entry);
    const long got = registry().receive(entry, v.generation, loop.chunk, sizeof loop.chunk);
    if (got > 0) {
        input.lines.feed(loop.chunk, static_cast<std::size_t>(got), [&v, &input](std::string_view line) {
            if (input.lines.line_was_cut())
                log(LogLevel::Warning, "connection %llu: a reply line longer than %zu bytes was cut to them",
                    static_cast<unsigned long long>(v.socket), kReplyCapacity);
            route_line(v.socket, v.joints, line);
        });
        // The stall limit counts from the last bytes of a begun line.
        if (input.lines.has_partial())
            loop.stall_limits.set(entry, clock().now_ms() + mid_line_limit_ms(v));
        else
            loop.stall_limits.erase(entry);
        return;
    }
    // End of stream or a failed socket: an unfinished line is no reply and is
    // dropped; the connection is not waited on again until its entry changes.
    log(LogLevel::Info, "connection %llu ended by the controller (%s)%s", static_cast<unsigned long long>(v.socket),
        got == 0 ? "end of stream" : "read failed", input.lines.has_partial() ? "; an unfinished line is dropped" : "");
    input.ended = true;
    input.lines.reset();
    loop.stall_limits.erase(entry);
    loop.stale = true;
    // From now on a send on it fails at once instead of reporting success.
    registry().mark_ended(entry, v.generation);
}

// Drops the begun lines whose stall limit has passed; the time until the
// next limit, or -1 when no line is unfinished.
int drop_stalled_lines(ReceiveLoop& loop) {
    const std::int64_t now = clock().now_ms();
    while (!loop.stall_limits.empty() && loop.stall_limits.first_deadline() <= now) {
        const int entry = loop.stall_limits.first();
        // Given up without a caller: the waiting call ends at its own limit
        // or takes the next whole line.
        log(LogLevel::Warning, "connection %llu: a reply line stalled for %d ms and is dropped",
            static_cast<unsigned long long>(loop.views[entry].socket), mid_line_limit_ms(loop.views[entry]));
        registry().input(entry).lines.reset();
        loop.stall_limits.erase(entry);
    }
    return loop.stall_limits.empty() ? -1 : static_cast<int>(loop.stall_limits.first_deadline() - now);
}

void receive_pass(ReceiveLoop& loop) {
    if (loop.stale || loop.registry_version != registry().version()) update_watched(loop);
    const int timeout_ms = clock().system_wait_ms(drop_stalled_lines(loop));
    const int n = loop.ready.wait(loop.ready_keys, kMaxConnections + 1, timeout_ms);
    if (n < 0) platform::sleep_ms(10);  // the host refused the wait: try again, without spinning
    for (int k = 0; k < n; ++k) {
        if (loop.ready_keys[k] == kWakeUpKey)
            registry().changed().drain();
        else
            read_ready_connection(loop, static_cast<int>(loop.ready_keys[k]));
    }
}

}  // namespace

void route_line(SOCKHANDLE socket, int joints, std::string_view line) {
    const Kind kind = classify(line);
    if (kind == Kind::None) return;
    ArxCallback callback = nullptr;
    ReportDecoder decode = nullptr;
    int id = -1;
    int stored_for_waiter = -1;
    {
        std::lock_guard<platform::Mutex> lock(library_mutex());
        PendingReplyTable& table = pending_table();
        id = table.route_target(socket, kind, is_report(kind));
        if (id >= 0 && table.slot(id).waiting) {
            table.store(id, line.data(), line.size());
            stored_for_waiter = id;
        }
        else if (id >= 0) {
            // Each report frees exactly one callback-mode slot, the earliest,
            // and reaches the callback when there is one.
            table.remove(id);
            callback = application_callback();
            decode = report_decoder();
            if (!callback || !decode) return;
        }
    }
    if (stored_for_waiter >= 0) {
        // Woken after the unlock, so the caller does not wake only to block
        // on the library mutex this thread still holds.
        notify_reply_stored(stored_for_waiter);
        return;
    }
    if (id < 0) {
        // Replies to queued lines end here too, so this is no warning.
        if (log_enabled(LogLevel::Debug))
            log(LogLevel::Debug, "connection %llu: reply of kind %d discarded, no call waits for it: %.*s",
                static_cast<unsigned long long>(socket), static_cast<int>(kind), static_cast<int>(line.size()),
                line.data());
        return;
    }
    // The callback runs on this thread with no lock held.
    callback(decode(kind, socket, line, joints));
}

void receive_thread_main() {
    // Never destroyed: the thread is never joined and may still run while
    // the process exits.
    static NeverDestroyed<ReceiveLoop> loop;
    loop->ready.watch(registry().changed().socket(), kWakeUpKey);
    for (;;) receive_pass(*loop);
}

}  // namespace arx::core
