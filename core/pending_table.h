// The pending-reply table: one slot per request that expects a reply.
// Slots keep their storage place for life (a slot id stays valid until the
// slot is removed); a separate order list keeps registration order, so every
// scan visits the earliest registered slot first and removal never moves
// reply texts around.
#pragma once

#include "arx_api.h"
#include "core/reply_kinds.h"

#include <cstddef>

namespace arx::core {

constexpr int kPendingSlots = 2000;
// A stored reply line holds this many bytes; longer lines are cut to it.
// (A full all-state reply of a seven-joint arm is well past 300 bytes.)
constexpr std::size_t kReplyCapacity = 4096;

struct PendingSlot {
    SOCKHANDLE socket;
    Kind kind;
    bool arrived;   // the receive thread stored a reply
    bool waiting;   // a blocking caller polls it; false: callback-mode slot
    std::size_t length;
    char text[kReplyCapacity + 1];  // always zero-terminated
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

    int count() const { return count_; }
    // Slot id at `position` in registration order (0 = earliest).
    int id_at(int position) const { return order_[position]; }
    bool in_use(int id) const { return id >= 0 && id < kPendingSlots && used_[id]; }
    PendingSlot& slot(int id) { return slots_[id]; }
    const PendingSlot& slot(int id) const { return slots_[id]; }

    // The first slot in registration order for this connection and kind that
    // may take a reply: a waiting slot with no reply yet or, when
    // `with_callback_slots`, a callback-mode slot. -1 when none.
    int route_target(SOCKHANDLE socket, Kind kind, bool with_callback_slots) const;

    // Stores a reply line into a slot and marks it arrived (cut to capacity).
    void store(int id, const char* text, std::size_t length);

private:
    PendingSlot slots_[kPendingSlots];
    bool used_[kPendingSlots];
    int order_[kPendingSlots];
    int count_;
};

// The library's table (guarded by library_mutex()).
PendingReplyTable& pending_table();

}  // namespace arx::core
