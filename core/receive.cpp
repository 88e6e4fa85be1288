#include "core/receive.h"

#include "protocol/reports.h"
#include "core/classifier.h"
#include "core/connections.h"
#include "core/library.h"
#include "core/line_assembler.h"
#include "core/pending_table.h"
#include "core/platform.h"

#include <cstdint>
#include <mutex>

namespace arx::core {

namespace {

// What the receive thread knows about one registry entry between reads.
struct ConnectionInput {
    std::uint32_t generation;
    bool ended;                      // peer closed or the socket failed
    std::int64_t last_bytes_ms;      // when the unfinished line last grew
    LineAssembler lines;
};

// Used only by the receive thread; static storage keeps the thread's stack
// small and is never destroyed.
ConnectionInput g_inputs[kMaxConnections];

struct PassStorage {
    ConnectionView views[kMaxConnections];
    platform::Socket sockets[kMaxConnections];
    bool ready[kMaxConnections];
    int view_of_socket[kMaxConnections];
    char chunk[kReplyCapacity];
};
PassStorage g_pass;

int mid_line_limit_ms(const ConnectionView& v) {
    return v.recv_timeout_ms > 0 ? v.recv_timeout_ms : kMidLineLimitMs;
}

// Routes each line framed from connection `v`.
auto deliver_from(const ConnectionView& v) {
    return [&v](std::string_view line) { route_line(v.socket, v.joints, line); };
}

void read_ready_connection(const ConnectionView& v, ConnectionInput& input) {
    long got;
    {
        std::lock_guard<platform::Mutex> lock(registry_mutex());
        // Closed (and perhaps its number reused) since the readiness wait.
        if (!registry_entry_current(v.entry, v.generation)) return;
        got = platform::receive_bytes(v.socket, g_pass.chunk, sizeof g_pass.chunk);
    }
    auto deliver = deliver_from(v);
    if (got > 0) {
        input.lines.feed(g_pass.chunk, static_cast<std::size_t>(got), deliver);
        input.last_bytes_ms = platform::monotonic_ms();
        return;
    }
    // End of stream or a failed socket: what was gathered is the last line,
    // and the connection is not waited on again until its entry changes.
    input.ended = true;
    input.lines.flush(deliver);
}

void receive_pass() {
    const int n = registry_snapshot(g_pass.views, kMaxConnections);
    const std::int64_t now = platform::monotonic_ms();
    int waiting = 0;
    for (int i = 0; i < n; ++i) {
        const ConnectionView& v = g_pass.views[i];
        ConnectionInput& input = g_inputs[v.entry];
        if (input.generation != v.generation) {
            input.generation = v.generation;
            input.ended = false;
            input.lines.reset();
        }
        if (input.ended) continue;
        // A line begun but not finished within the connection's receive
        // timeout is given up, so one broken peer cannot hold its bytes forever.
        if (input.lines.has_partial() && now - input.last_bytes_ms >= mid_line_limit_ms(v))
            input.lines.flush(deliver_from(v));
        g_pass.sockets[waiting] = v.socket;
        g_pass.view_of_socket[waiting] = i;
        ++waiting;
    }
    if (waiting == 0) {
        platform::sleep_ms(kReceiveWaitMs);
        return;
    }
    if (platform::wait_readable(g_pass.sockets, g_pass.ready, waiting, kReceiveWaitMs) <= 0) return;
    for (int k = 0; k < waiting; ++k) {
        if (!g_pass.ready[k]) continue;
        const ConnectionView& v = g_pass.views[g_pass.view_of_socket[k]];
        read_ready_connection(v, g_inputs[v.entry]);
    }
}

}  // namespace

void route_line(SOCKHANDLE socket, int joints, std::string_view line) {
    const Kind kind = classify(line);
    if (kind == Kind::None) return;
    const bool reportable = protocol::callback_code(kind) != 0;
    ArxCallback callback = nullptr;
    {
        std::lock_guard<platform::Mutex> lock(library_mutex());
        PendingReplyTable& table = pending_table();
        const int id = table.route_target(socket, kind, reportable);
        if (id < 0) return;
        if (table.slot(id).waiting) {
            table.store(id, line.data(), line.size());
            return;
        }
        callback = application_callback();
        if (!callback) return;  // no one to tell: the report is dropped, the slot stays
        // Each report reaches exactly one callback-mode slot: the earliest.
        table.remove(id);
    }
    // The callback runs on this thread with no lock held.
    callback(protocol::decode_report(kind, socket, line, joints));
}

void receive_thread_main() {
    for (;;) receive_pass();
}

}  // namespace arx::core
