#include "core/transport.h"

#include "core/connections.h"
#include "core/library.h"
#include "core/message_queue.h"
#include "core/pending_table.h"
#include "core/platform.h"
#include "core/threads.h"

#include <cstring>
#include <mutex>

namespace arx::core {

namespace {

using Lock = std::lock_guard<platform::Mutex>;

}  // namespace

std::optional<int> register_slot(SOCKHANDLE handle, Kind kind, bool waiting) {
    Lock lock(library_mutex());
    int id = pending_table().add(handle, kind, waiting);
    if (id < 0) return std::nullopt;
    return id;
}

void remove_slot(int slot) {
    Lock lock(library_mutex());
    pending_table().remove(slot);
}

int send_line(SOCKHANDLE handle, std::string_view line) {
    long sent = registry_send(handle, line.data(), line.size());
    return sent < 1 ? ARX_SEND_FAILED : ARX_SUCCESS;
}

std::optional<int> take_reply(int slot, const ReplyDecoder& decode) {
    char reply[kReplyCapacity + 1];
    {
        Lock lock(library_mutex());
        const PendingSlot& s = pending_table().slot(slot);
        if (!pending_table().in_use(slot) || !s.arrived) return std::nullopt;
        std::memcpy(reply, s.text, s.length + 1);  // the stored text is zero-terminated
        pending_table().remove(slot);
    }
    // Decoded outside the lock: a JSON parse must not hold up the receive thread.
    return decode(reply);
}

int wait_reply(int slot, int poll_ms, int limit_ms, const ReplyDecoder& decode) {
    const std::int64_t start = platform::monotonic_ms();
    platform::sleep_ms(poll_ms);
    while (platform::monotonic_ms() - start < limit_ms) {
        if (auto result = take_reply(slot, decode)) return *result;
        platform::sleep_ms(poll_ms);
    }
    // A reply stored during the last pause still counts.
    if (auto result = take_reply(slot, decode)) return *result;
    remove_slot(slot);
    return ARX_REPLY_TIMEOUT;
}

std::optional<int> await_reply(int slot, int max_ms, const ReplyDecoder& decode) {
    const std::int64_t start = platform::monotonic_ms();
    for (;;) {
        if (auto result = take_reply(slot, decode)) return result;
        const std::int64_t left = max_ms - (platform::monotonic_ms() - start);
        if (left <= 0) return std::nullopt;
        platform::sleep_ms(static_cast<int>(left < kReplyPollMs ? left : kReplyPollMs));
    }
}

long send_raw_piece(SOCKHANDLE handle, std::string_view bytes) {
    return registry_send(handle, bytes.data(), bytes.size(), /*dont_route=*/true);
}

namespace {

// Registers the slot before sending, so that no reply can arrive unexpected;
// a failed send takes its slot back. The slot id, or the code to return.
int register_and_send(SOCKHANDLE handle, std::string_view line, Kind kind, bool waiting, int* slot) {
    std::optional<int> id = register_slot(handle, kind, waiting);
    if (!id) return ARX_PENDING_TABLE_FULL;
    if (send_line(handle, line) != ARX_SUCCESS) {
        remove_slot(*id);
        return ARX_SEND_FAILED;
    }
    *slot = *id;
    return ARX_SUCCESS;
}

}  // namespace

int start_request(SOCKHANDLE handle, std::string_view line, Kind kind, int* slot) {
    return register_and_send(handle, line, kind, /*waiting=*/true, slot);
}

int request_blocking(SOCKHANDLE handle, std::string_view line, Kind kind,
                     const ReplyDecoder& decode, int extension_ms) {
    int slot = -1;
    if (int rc = register_and_send(handle, line, kind, /*waiting=*/true, &slot)) return rc;
    return wait_reply(slot, kReplyPollMs, reply_timeout_ms() + extension_ms, decode);
}

int queue_line(SOCKHANDLE handle, std::string_view line) {
    Lock lock(library_mutex());
    // Full, released or oversized: the line is dropped; the command still succeeds.
    send_queue().push(handle, line.data(), line.size());
    return ARX_SUCCESS;
}

int send_only(SOCKHANDLE handle, std::string_view line) { return send_line(handle, line); }

int request_callback(SOCKHANDLE handle, std::string_view line, Kind kind) {
    int slot = -1;
    return register_and_send(handle, line, kind, /*waiting=*/false, &slot);
}

bool send_one_queued_line() {
    Lock lock(library_mutex());
    QueuedMessage message;
    if (!send_queue().pop(message)) return false;
    // A line that fails to send is lost, as the non-blocking path promises nothing.
    registry_send(message.socket, message.text, static_cast<std::size_t>(message.length));
    return true;
}

}  // namespace arx::core
