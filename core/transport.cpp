#include "core/transport.h"

#include "core/connections.h"
#include "core/library.h"
#include "core/message_queue.h"
#include "core/never_destroyed.h"
#include "core/pending_table.h"
#include "core/platform.h"
#include "core/threads.h"

#include <array>
#include <cstring>
#include <mutex>

namespace arx::core {

namespace {

using Lock = std::lock_guard<platform::Mutex>;

constexpr int kSendCycleMs = 10;  // queued lines leave at most one per cycle

// One wake-up per pending slot, so a stored reply wakes exactly its caller.
platform::ConditionVariable& slot_arrived(int slot) {
    static NeverDestroyed<std::array<platform::ConditionVariable, kPendingSlots>> events;
    return (*events)[static_cast<std::size_t>(slot)];
}

platform::ConditionVariable& line_queued() {
    static NeverDestroyed<platform::ConditionVariable> event;
    return *event;
}

// With the library mutex held: the slot's reply copied out and the slot
// removed, or false while it has not arrived.
bool take_locked(int slot, char* reply) {
    const PendingSlot& s = pending_table().slot(slot);
    if (!pending_table().in_use(slot) || !s.arrived) return false;
    std::memcpy(reply, s.text, s.length + 1);  // the stored text is zero-terminated
    pending_table().remove(slot);
    return true;
}

// Waits with the library mutex held until the slot's reply arrived or the
// deadline passed; true when it arrived (the slot then removed, text in `reply`).
bool wait_locked(std::unique_lock<platform::Mutex>& lock, int slot, std::int64_t deadline_ms, char* reply) {
    for (;;) {
        if (take_locked(slot, reply)) return true;
        if (!pending_table().in_use(slot) || platform::monotonic_ms() >= deadline_ms) return false;
        slot_arrived(slot).wait_until(*lock.mutex(), deadline_ms);
    }
}

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

void notify_reply_stored(int slot) { slot_arrived(slot).notify_all(); }

int send_line(SOCKHANDLE handle, std::string_view line) {
    long sent = registry_send(handle, line.data(), line.size());
    return sent < 1 ? ARX_SEND_FAILED : ARX_SUCCESS;
}

std::optional<int> take_reply(int slot, ReplyDecoder decode) {
    char reply[kReplyCapacity + 1];
    {
        Lock lock(library_mutex());
        if (!take_locked(slot, reply)) return std::nullopt;
    }
    // Decoded outside the lock: a JSON parse must not hold up the receive thread.
    return decode(reply);
}

std::optional<int> await_reply(int slot, int max_ms, ReplyDecoder decode) {
    char reply[kReplyCapacity + 1];
    {
        std::unique_lock<platform::Mutex> lock(library_mutex());
        if (!wait_locked(lock, slot, platform::monotonic_ms() + max_ms, reply)) return std::nullopt;
    }
    return decode(reply);
}

int wait_reply(int slot, int limit_ms, ReplyDecoder decode) {
    char reply[kReplyCapacity + 1];
    {
        std::unique_lock<platform::Mutex> lock(library_mutex());
        if (!wait_locked(lock, slot, platform::monotonic_ms() + limit_ms, reply)) {
            pending_table().remove(slot);  // only the caller's own slot
            return ARX_REPLY_TIMEOUT;
        }
    }
    return decode(reply);
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
                     ReplyDecoder decode, int extension_ms) {
    int slot = -1;
    if (int rc = register_and_send(handle, line, kind, /*waiting=*/true, &slot)) return rc;
    return wait_reply(slot, reply_timeout_ms() + extension_ms, decode);
}

void queue_create(int capacity) {
    Lock lock(library_mutex());
    send_queue().create(capacity);
}

void queue_release() {
    Lock lock(library_mutex());
    send_queue().release();
}

int queue_line(SOCKHANDLE handle, std::string_view line) {
    Lock lock(library_mutex());
    // Full, released or oversized: the line is dropped; the command still succeeds.
    if (send_queue().push(handle, line.data(), line.size())) line_queued().notify_one();
    return ARX_SUCCESS;
}

int send_only(SOCKHANDLE handle, std::string_view line) { return send_line(handle, line); }

int request_callback(SOCKHANDLE handle, std::string_view line, Kind kind) {
    int slot = -1;
    return register_and_send(handle, line, kind, /*waiting=*/false, &slot);
}

void send_thread_main() {
    QueuedMessage message;
    for (;;) {
        {
            // Asleep until a line is queued; popped under the lock, sent
            // outside it, so a controller that stops reading delays only the
            // lines behind it, never another thread's command.
            std::unique_lock<platform::Mutex> lock(library_mutex());
            while (!send_queue().pop(message)) line_queued().wait(library_mutex());
        }
        // A line that fails to send is lost, as the non-blocking path promises nothing.
        registry_send(message.socket, message.text, static_cast<std::size_t>(message.length));
        platform::sleep_ms(kSendCycleMs);
    }
}

}  // namespace arx::core
