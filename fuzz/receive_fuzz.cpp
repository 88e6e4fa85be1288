// The receive side on arbitrary bytes: two connections' streams arrive in
// chunks of any size, interleaved with slot registrations and removals, and
// go through the same framing, classification and routing as the receive
// thread's. Checked after every input:
//   - framing does not depend on how the stream was chunked (the lines equal
//     those of the whole stream split at once, cut to the reply capacity);
//   - every line reached the slot a plain model of the table picks (the
//     earliest registration of its connection and kind that may take it),
//     stored whole, or the callback with a record of its connection;
//   - the table's order list, use marks and count agree, and every stored
//     text is zero-terminated at its length.
#include "core/classifier.h"
#include "core/library.h"
#include "core/line_assembler.h"
#include "core/pending_table.h"
#include "core/receive.h"
#include "protocol/reports.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using arx::core::Kind;
using arx::core::kReplyCapacity;

constexpr int kConnections = 2;
constexpr SOCKHANDLE kSockets[kConnections] = {41, 0x1'0000'002Aull};  // the second needs 64 bits

void fail(const char* what) {
    std::fprintf(stderr, "receive invariant broken: %s\n", what);
    std::abort();
}

// What the table should hold: one entry per registration, in order.
struct ModelSlot {
    int id;
    SOCKHANDLE socket;
    Kind kind;
    bool waiting;
    bool arrived = false;
    std::string text;
};

struct Model {
    std::vector<ModelSlot> slots;
    std::vector<CallbackData> expected_reports;

    // The routing rule written out plainly, as a second opinion.
    void route(SOCKHANDLE socket, std::string_view line) {
        const Kind kind = arx::core::classify(line);
        if (kind == Kind::None) return;
        const bool report = arx::core::is_report(kind);
        for (auto it = slots.begin(); it != slots.end(); ++it) {
            if (it->socket != socket || it->kind != kind) continue;
            if (it->waiting && it->arrived) continue;
            if (!it->waiting && !report) continue;
            if (it->waiting) {
                it->arrived = true;
                it->text = std::string(line.substr(0, kReplyCapacity));
            } else {
                CallbackData d{};
                d.socket = static_cast<int32_t>(socket & 0xFFFFFFFFu);
                d.code = arx::protocol::callback_code(kind);
                expected_reports.push_back(d);
                slots.erase(it);
            }
            return;
        }
    }
};

std::vector<CallbackData> g_reports;
void record_report(CallbackData data) { g_reports.push_back(data); }

// A line feed ends each line; CR before it goes; only kReplyCapacity bytes are kept.
std::vector<std::string> split_whole(const std::string& stream) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = stream.find('\n', at)) != std::string::npos; at = end + 1) {
        std::string line = stream.substr(at, end - at);
        if (line.size() > kReplyCapacity) line.resize(kReplyCapacity);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

void check_table(const arx::core::PendingReplyTable& table, const Model& model) {
    if (table.count() != static_cast<int>(model.slots.size())) fail("slot count differs from the model");
    int used = 0;
    for (int id = 0; id < arx::core::kPendingSlots; ++id) used += table.in_use(id);
    if (used != table.count()) fail("use marks and count disagree");
    for (int position = 0; position < table.count(); ++position) {
        const int id = table.id_at(position);
        const ModelSlot& want = model.slots[position];
        if (id != want.id || !table.in_use(id)) fail("registration order differs from the model");
        const arx::core::PendingSlot& s = table.slot(id);
        if (s.socket != want.socket || s.kind != want.kind || s.waiting != want.waiting) fail("slot fields changed");
        if (s.arrived != want.arrived) fail("a reply reached the wrong slot");
        if (s.length > kReplyCapacity || table.text(id)[s.length] != '\0') fail("stored text not terminated at its length");
        if (s.arrived && std::string_view(table.text(id), s.length) != want.text) fail("stored text differs from the line");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool ready = [] {
        arx::core::library().callback.store(record_report);
        arx::core::library().report_decoder.store(arx::protocol::decode_report);
        return true;
    }();
    (void)ready;

    FuzzedDataProvider in(data, size);
    arx::core::PendingReplyTable& table = arx::core::pending_table();
    // Large (over 4 KiB each): on the heap, so ASan sees their edges.
    auto assemblers = std::make_unique<arx::core::LineAssembler[]>(kConnections);
    Model model;
    std::string streams[kConnections];
    std::vector<std::string> framed[kConnections];
    g_reports.clear();

    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 7)) {
            case 0:
            case 1: {  // register a slot (a kind of the table, or one no line has)
                const int c = in.ConsumeIntegralInRange<int>(0, kConnections - 1);
                const std::size_t row = in.ConsumeIntegralInRange<std::size_t>(0, arx::core::kReplyPatternCount);
                const Kind kind = row < arx::core::kReplyPatternCount ? arx::core::kReplyPatterns[row].kind : Kind::None;
                const bool waiting = in.ConsumeBool();
                const int id = table.add(kSockets[c], kind, waiting);
                if (id < 0) fail("a nearly empty table refused a slot");
                model.slots.push_back({id, kSockets[c], kind, waiting, false, {}});
                break;
            }
            case 2: {  // a caller gives up its slot
                if (model.slots.empty()) break;
                const std::size_t position = in.ConsumeIntegralInRange<std::size_t>(0, model.slots.size() - 1);
                table.remove(model.slots[position].id);
                model.slots.erase(model.slots.begin() + static_cast<long>(position));
                break;
            }
            default: {  // a chunk arrives on one connection
                const int c = in.ConsumeIntegralInRange<int>(0, kConnections - 1);
                const std::string chunk = in.ConsumeRandomLengthString(2 * kReplyCapacity);
                // An exact heap block per chunk, as a socket read fills one.
                auto bytes = std::make_unique<char[]>(chunk.size());
                std::copy(chunk.begin(), chunk.end(), bytes.get());
                streams[c] += chunk;
                assemblers[c].feed(bytes.get(), chunk.size(), [&](std::string_view line) {
                    framed[c].emplace_back(line);
                    model.route(kSockets[c], line);
                    arx::core::route_line(kSockets[c], 6, line);
                });
                break;
            }
        }
    }

    for (int c = 0; c < kConnections; ++c)
        if (framed[c] != split_whole(streams[c])) fail("framing depends on how the stream was chunked");
    check_table(table, model);
    if (g_reports.size() != model.expected_reports.size()) fail("reports and callback-mode slots disagree");
    for (std::size_t i = 0; i < g_reports.size(); ++i) {
        const CallbackData& got = g_reports[i];
        if (got.socket != model.expected_reports[i].socket || got.code != model.expected_reports[i].code)
            fail("a report reached the callback with the wrong connection or code");
        if (got.err_code != 0 && got.err_code != ARX_REPLY_NOT_JSON && got.err_code != ARX_TYPE_ERROR)
            fail("a report's err_code is not one of 0, 9, 11");
    }

    // Closing both connections empties the table; every waiting slot is told.
    int woken = 0, waiting = 0;
    for (const ModelSlot& s : model.slots) waiting += s.waiting;
    for (SOCKHANDLE socket : kSockets) table.remove_connection(socket, [&](int) { ++woken; });
    if (table.count() != 0 || woken != waiting) fail("closing the connections left slots or woke the wrong ones");
    return 0;
}
