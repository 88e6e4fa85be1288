#include "core/transport.h"

#include "core/clock.h"
#include "core/connections.h"
#include "core/library.h"
#include "core/log.h"
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

enum class Wait { Arrived, Gone, TimedOut };

// With the library mutex held: the slot's reply copied out and the slot
// removed (Arrived), the slot removed by its connection's close (Gone), or
// nothing yet (TimedOut).
Wait take_locked(SlotRef slot, char* reply) {
    PendingReplyTable& table = pending_table();
    if (!table.holds(slot)) return Wait::Gone;
    const PendingSlot& s = table.slot(slot.index);
    if (!s.arrived) return Wait::TimedOut;
    std::memcpy(reply, table.text(slot.index), s.length + 1);  // the stored text is zero-terminated
    table.remove(slot.index);
    return Wait::Arrived;
}

// Waits with the library mutex held until the slot's reply arrived, the slot
// went with its connection, or the deadline passed.
Wait wait_locked(std::unique_lock<platform::Mutex>& lock, SlotRef slot, std::int64_t deadline_ms, char* reply) {
    for (;;) {
        const Wait state = take_locked(slot, reply);
        if (state != Wait::TimedOut || clock().now_ms() >= deadline_ms) return state;
        clock().wait_until(slot_arrived(slot.index), *lock.mutex(), deadline_ms);
    }
}

}  // namespace

std::optional<SlotRef> register_slot(SOCKHANDLE handle, Kind kind, bool waiting) {
    Lock lock(library_mutex());
    PendingReplyTable& table = pending_table();
    if (!waiting && table.callback_slots(handle) >= kCallbackSlotsPerConnection) return std::nullopt;
    const int id = table.add(handle, kind, waiting);
    if (id < 0) return std::nullopt;
    return table.ref(id);
}

void remove_slot(SlotRef slot) {
    Lock lock(library_mutex());
    if (pending_table().holds(slot)) pending_table().remove(slot.index);
}

void notify_reply_stored(int slot) { slot_arrived(slot).notify_all(); }

int send_line(SOCKHANDLE handle, std::string_view line) {
    return registry().send(handle, line.data(), line.size(), SendRoute::Line);
}

namespace {
// A wait's end as its callers report it: the decoded reply (parsed outside
// the lock, so a JSON parse never holds up the receive thread), 6 for a slot
// that went with its closed connection, nothing while no reply has come.
std::optional<int> outcome(Wait state, const char* reply, ReplyDecoder decode) {
    if (state == Wait::Gone) return ARX_SEND_FAILED;
    if (state == Wait::TimedOut) return std::nullopt;
    return decode(reply);
}
}  // namespace

std::optional<int> take_reply(SlotRef slot, ReplyDecoder decode) {
    char reply[kReplyCapacity + 1];
    Wait state;
    {
        Lock lock(library_mutex());
        state = take_locked(slot, reply);
    }
    return outcome(state, reply, decode);
}

std::optional<int> await_reply(SlotRef slot, int max_ms, ReplyDecoder decode) {
    char reply[kReplyCapacity + 1];
    Wait state;
    {
        std::unique_lock<platform::Mutex> lock(library_mutex());
        state = wait_locked(lock, slot, clock().now_ms() + max_ms, reply);
    }
    return outcome(state, reply, decode);
}

int wait_reply(SlotRef slot, int limit_ms, ReplyDecoder decode) {
    if (const std::optional<int> result = await_reply(slot, limit_ms, decode)) return *result;
    SOCKHANDLE socket = 0;
    Kind kind = Kind::None;
    {
        Lock lock(library_mutex());
        if (pending_table().holds(slot)) {  // only the caller's own slot
            socket = pending_table().slot(slot.index).socket;
            kind = pending_table().slot(slot.index).kind;
            pending_table().remove(slot.index);
        }
    }
    // Logged outside the lock: the application's handler holds up no other call.
    log(LogLevel::Warning, "connection %llu: no reply of kind %d within %d ms", static_cast<unsigned long long>(socket),
        static_cast<int>(kind), limit_ms);
    return ARX_REPLY_TIMEOUT;
}

int send_raw_piece(SOCKHANDLE handle, std::string_view bytes) {
    return registry().send(handle, bytes.data(), bytes.size(), SendRoute::TransferPiece);
}

void forget_connection(SOCKHANDLE handle) {
    Lock lock(library_mutex());
    pending_table().remove_connection(handle, [](int id) { slot_arrived(id).notify_all(); });
    send_queue().remove_socket(handle);
}

namespace {

// Registers the slot before sending, so that no reply can arrive unexpected;
// a failed send takes its slot back. The slot, or the code to return.
int register_and_send(SOCKHANDLE handle, std::string_view line, Kind kind, bool waiting, SendRoute route,
                      SlotRef* slot) {
    std::optional<SlotRef> ref = register_slot(handle, kind, waiting);
    if (!ref) return ARX_PENDING_TABLE_FULL;
    if (const int rc = registry().send(handle, line.data(), line.size(), route)) {
        remove_slot(*ref);
        return rc;
    }
    *slot = *ref;
    return ARX_SUCCESS;
}

}  // namespace

int start_request(SOCKHANDLE handle, std::string_view line, Kind kind, SlotRef* slot, SendRoute route) {
    return register_and_send(handle, line, kind, /*waiting=*/true, route, slot);
}

int request_blocking(SOCKHANDLE handle, std::string_view line, Kind kind,
                     ReplyDecoder decode, int extension_ms) {
    SlotRef slot{};
    if (int rc = register_and_send(handle, line, kind, /*waiting=*/true, SendRoute::Line, &slot)) return rc;
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
    // A line for a connection that is gone would be dropped unseen later.
    if (!registry().usable(handle)) return ARX_SEND_FAILED;
    Lock lock(library_mutex());
    MessageQueue& queue = send_queue();
    // Released by Arx_API_UnInit: the line is dropped, as before any initialisation.
    if (!queue.has_storage()) return ARX_SUCCESS;
    if (!queue.push(handle, line.data(), line.size())) return ARX_PENDING_TABLE_FULL;
    line_queued().notify_one();
    return ARX_SUCCESS;
}

int send_only(SOCKHANDLE handle, std::string_view line) { return send_line(handle, line); }

int request_callback(SOCKHANDLE handle, std::string_view line, Kind kind) {
    SlotRef slot{};
    return register_and_send(handle, line, kind, /*waiting=*/false, SendRoute::Line, &slot);
}

namespace {

// The next queued line that may leave now, popped under the library mutex;
// waits while there is none. Lines of a connection that downloads a
// trajectory file stay queued until the download ends.
void next_queued_line(QueuedMessage& message) {
    std::unique_lock<platform::Mutex> lock(library_mutex());
    for (;;) {
        MessageQueue& queue = send_queue();
        if (queue.pop_first(message, [](SOCKHANDLE s) { return !registry().transferring(s); })) return;
        if (queue.empty())
            line_queued().wait(library_mutex());
        else  // only held lines: look again on the next beat
            clock().wait_until(line_queued(), library_mutex(), clock().now_ms() + kSendCycleMs);
    }
}

}  // namespace

void send_thread_main() {
    QueuedMessage message;
    // Lines leave on a 10 ms beat: a line waits for its beat, measured from
    // the previous line's, not from the end of its send, so a steady 100
    // lines per second drain as fast as they come. After an idle spell the
    // first line leaves at once.
    std::int64_t beat_ms = 0;
    for (;;) {
        next_queued_line(message);
        const std::int64_t now = clock().now_ms();
        if (now < beat_ms)
            clock().sleep_until(beat_ms);
        else
            beat_ms = now;
        beat_ms += kSendCycleMs;
        // Popped under the lock, sent outside it, so a controller that stops
        // reading delays only the lines behind it, never another thread's
        // command. A download claimed meanwhile: the line goes back to wait for
        // its end. Any other failure loses the line, as the non-blocking path
        // promises no delivery.
        if (registry().send(message.socket, message.text, static_cast<std::size_t>(message.length)) ==
            ARX_FILE_TRANSFER_BUSY) {
            Lock lock(library_mutex());
            send_queue().push_front(message);
            beat_ms -= kSendCycleMs;  // nothing left on this beat
        }
    }
}

}  // namespace arx::core
