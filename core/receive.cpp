#include "core/receive.h"

#include "core/classifier.h"
#include "core/clock.h"
#include "core/connections.h"
#include "core/library.h"
#include "core/line_assembler.h"
#include "core/log.h"
#include "core/pending_table.h"
#include "core/platform.h"
#include "core/threads.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

namespace arx::core {

namespace {

using ConnectionInput = Connection::Input;

// The sockets waited on: slot 0 is the registry's wake-up, then one per
// connection that has not ended. Rebuilt only when the registry changed or a
// connection ended, not on every pass.
struct WaitList {
    std::uint32_t registry_version = ~0u;
    bool stale = true;
    int count = 0;
    ConnectionView views[kMaxConnections];
    platform::Socket sockets[kMaxConnections + 1];
    bool ready[kMaxConnections + 1];
    int view_of_socket[kMaxConnections + 1];
    char chunk[kReplyCapacity];
};
WaitList g_wait;

// A begun line is waited for at least as long as a caller waits for its
// reply, so a reply that stalls half-way can still complete in time.
int mid_line_limit_ms(const ConnectionView& v) { return std::max(v.recv_timeout_ms, reply_timeout_ms()); }

void rebuild_wait_list() {
    g_wait.registry_version = registry().version();
    g_wait.stale = false;
    ConnectionView* views = g_wait.views;
    const int n = registry().snapshot(views, kMaxConnections);
    g_wait.sockets[0] = registry().changed().socket();
    g_wait.count = 1;
    for (int i = 0; i < n; ++i) {
        ConnectionInput& input = registry().input(views[i].entry);
        if (input.generation != views[i].generation) {
            input.generation = views[i].generation;
            input.ended = false;
            input.lines.reset();
        }
        if (input.ended) continue;
        g_wait.sockets[g_wait.count] = views[i].socket;
        g_wait.view_of_socket[g_wait.count] = i;
        ++g_wait.count;
    }
}

void read_ready_connection(const ConnectionView& v, ConnectionInput& input) {
    const long got = registry().receive(v.entry, v.generation, g_wait.chunk, sizeof g_wait.chunk);
    if (got > 0) {
        input.lines.feed(g_wait.chunk, static_cast<std::size_t>(got), [&v, &input](std::string_view line) {
            if (input.lines.line_was_cut())
                log(LogLevel::Warning, "connection %llu: a reply line longer than %zu bytes was cut to them",
                    static_cast<unsigned long long>(v.socket), kReplyCapacity);
            route_line(v.socket, v.joints, line);
        });
        input.last_bytes_ms = clock().now_ms();
        return;
    }
    // End of stream or a failed socket: an unfinished line is no reply and is
    // dropped; the connection is not waited on again until its entry changes.
    log(LogLevel::Info, "connection %llu ended by the controller (%s)%s", static_cast<unsigned long long>(v.socket),
        got == 0 ? "end of stream" : "read failed", input.lines.has_partial() ? "; an unfinished line is dropped" : "");
    input.ended = true;
    input.lines.reset();
    g_wait.stale = true;
    // From now on a send on it fails at once instead of reporting success.
    registry().mark_ended(v.entry, v.generation);
}

// Drops begun lines that stalled past their limit; the time until the next
// such limit, or -1 when no line is unfinished.
int drop_stalled_lines() {
    const std::int64_t now = clock().now_ms();
    std::int64_t next = -1;
    for (int k = 1; k < g_wait.count; ++k) {
        const ConnectionView& v = g_wait.views[g_wait.view_of_socket[k]];
        ConnectionInput& input = registry().input(v.entry);
        if (!input.lines.has_partial()) continue;
        const std::int64_t left = input.last_bytes_ms + mid_line_limit_ms(v) - now;
        if (left <= 0) {
            // Given up without a caller: the waiting call ends at its own
            // limit or takes the next whole line.
            log(LogLevel::Warning, "connection %llu: a reply line stalled for %d ms and is dropped",
                static_cast<unsigned long long>(v.socket), mid_line_limit_ms(v));
            input.lines.reset();
            continue;
        }
        if (next < 0 || left < next) next = left;
    }
    return static_cast<int>(next);
}

void receive_pass() {
    if (g_wait.stale || g_wait.registry_version != registry().version()) rebuild_wait_list();
    const int timeout_ms = clock().system_wait_ms(drop_stalled_lines());
    if (platform::wait_readable(g_wait.sockets, g_wait.ready, g_wait.count, timeout_ms) <= 0) return;
    if (g_wait.ready[0]) registry().changed().drain();
    for (int k = 1; k < g_wait.count; ++k) {
        if (!g_wait.ready[k]) continue;
        const ConnectionView& v = g_wait.views[g_wait.view_of_socket[k]];
        read_ready_connection(v, registry().input(v.entry));
    }
}

}  // namespace

void route_line(SOCKHANDLE socket, int joints, std::string_view line) {
    const Kind kind = classify(line);
    if (kind == Kind::None) return;
    ArxCallback callback = nullptr;
    ReportDecoder decode = nullptr;
    int id = -1;
    {
        std::lock_guard<platform::Mutex> lock(library_mutex());
        PendingReplyTable& table = pending_table();
        id = table.route_target(socket, kind, is_report(kind));
        if (id >= 0 && table.slot(id).waiting) {
            table.store(id, line.data(), line.size());
            notify_reply_stored(id);
            return;
        }
        if (id >= 0) {
            // Each report frees exactly one callback-mode slot, the earliest,
            // and reaches the callback when there is one.
            table.remove(id);
            callback = application_callback();
            decode = report_decoder();
            if (!callback || !decode) return;
        }
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
    for (;;) receive_pass();
}

}  // namespace arx::core
