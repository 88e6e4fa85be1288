// The pending-reply table: one slot per request that expects a reply.
// Slots keep their storage place for life; a separate order list keeps
// registration order, so every scan visits the earliest registered slot first
// and removal never moves reply texts around.
//
// A slot is named by its place and its generation (SlotRef): closing a
// connection removes slots that callers may still wait on, and such a caller
// must find its slot gone, never mistake the place's next registration for
// its own.
#pragma once

#include "arx_api.h"
#include "core/reply_kinds.h"

#include <cstddef>
#include <cstdint>

namespace arx::core {

constexpr int kPendingSlots = 2000;
// A stored reply line holds this many bytes; longer lines are cut to it.
// (A full all-state reply of a seven-joint arm is well past 300 bytes.)
constexpr std::size_t kReplyCapacity = 4096;
// Callback-mode slots one connection may hold: a controller that never
// answers its force-position set-points fills only its own share.
constexpr int kCallbackSlotsPerConnection = 1000;

// A registered slot: its place in the table and the registration it was.
struct SlotRef {
    int index;
    std::uint32_t generation;
};

struct PendingSlot {
    SOCKHANDLE socket;
    Kind kind;
    bool arrived;   // the receive thread stored a reply
    bool waiting;   // a blocking caller polls it; false: callback-mode slot
    std::uint32_t generation;  // bumped by every registration of this place
    std::size_t length;
};

// Not synchronised: callers hold the library mutex. Value-initialise
// (`PendingReplyTable{}` or static storage) before use.
class PendingReplyTable {
public:
    // Registers a slot at the end of the order; its id, or -1 when all
    // kPendingSlots are in use.
    int add(SOCKHANDLE socket, Kind kind, bool waiting);
    // Frees the slot and closes the gap in the order; unknown ids are ignored.
    void remove(int id);
    // Frees every slot of `socket`; calls on_removed(id) for each waiting one
    // before it goes, so its caller can be woken. Returns how many went.
    template <class OnRemoved>
    int remove_connection(SOCKHANDLE socket, OnRemoved&& on_removed);
    // Callback-mode slots of `socket`.
    int callback_slots(SOCKHANDLE socket) const;

    SlotRef ref(int id) const { return SlotRef{id, slots_[id].generation}; }
    // The slot is still the registration `ref` names.
    bool holds(SlotRef ref) const { return in_use(ref.index) && slots_[ref.index].generation == ref.generation; }

    int count() const { return count_; }
    // Slot id at `position` in registration order (0 = earliest).
    int id_at(int position) const { return order_[position]; }
    bool in_use(int id) const { return id >= 0 && id < kPendingSlots && used_[id]; }
    PendingSlot& slot(int id) { return slots_[id]; }
    const PendingSlot& slot(int id) const { return slots_[id]; }
    // The slot's stored reply, zero-terminated (empty until it arrived).
    const char* text(int id) const { return texts_[id]; }

    // The first slot in registration order for this connection and kind that
    // may take a reply: a waiting slot with no reply yet or, when
    // `with_callback_slots`, a callback-mode slot. -1 when none.
    int route_target(SOCKHANDLE socket, Kind kind, bool with_callback_slots) const;

    // Stores a reply line into a slot and marks it arrived (cut to capacity).
    void store(int id, const char* text, std::size_t length);

private:
    // The slots' small records apart from their reply texts: every routed
    // line scans the records of all pending slots, and with hundreds of
    // connections that scan must stay within a few cache lines, not touch a
    // 4 KiB text per slot.
    PendingSlot slots_[kPendingSlots];
    char texts_[kPendingSlots][kReplyCapacity + 1];
    bool used_[kPendingSlots];
    int order_[kPendingSlots];
    int count_;
};

template <class OnRemoved>
int PendingReplyTable::remove_connection(SOCKHANDLE socket, OnRemoved&& on_removed) {
    int removed = 0;
    for (int position = count_ - 1; position >= 0; --position) {
        const int id = order_[position];
        if (slots_[id].socket != socket) continue;
        if (slots_[id].waiting) on_removed(id);
        remove(id);
        ++removed;
    }
    return removed;
}

// The library's table (guarded by library_mutex(); part of core::Library).
PendingReplyTable& pending_table();

}  // namespace arx::core
