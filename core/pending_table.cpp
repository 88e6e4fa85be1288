#include "core/pending_table.h"

#include <algorithm>
#include <cstring>

namespace arx::core {

int PendingReplyTable::add(SOCKHANDLE socket, Kind kind, bool waiting) {
    if (count_ >= kPendingSlots) return -1;
    int id = 0;
    while (used_[id]) ++id;
    PendingSlot& s = slots_[id];
    s.socket = socket;
    s.kind = kind;
    s.arrived = false;
    s.waiting = waiting;
    s.length = 0;
    texts_[id][0] = '\0';
    ++s.generation;
    used_[id] = true;
    order_[count_++] = id;
    return id;
}

void PendingReplyTable::remove(int id) {
    if (!in_use(id)) return;
    int* end = order_ + count_;
    int* at = std::find(order_, end, id);
    if (at == end) return;
    std::copy(at + 1, end, at);
    --count_;
    used_[id] = false;
    slots_[id].arrived = false;
    slots_[id].socket = 0;
    slots_[id].kind = Kind::None;
}

int PendingReplyTable::route_target(SOCKHANDLE socket, Kind kind, bool with_callback_slots) const {
    for (int position = 0; position < count_; ++position) {
        int id = order_[position];
        const PendingSlot& s = slots_[id];
        if (s.socket != socket || s.kind != kind) continue;
        // A reply never overwrites one its caller has not consumed yet.
        if (s.waiting && s.arrived) continue;
        if (!s.waiting && !with_callback_slots) continue;
        return id;
    }
    return -1;
}

int PendingReplyTable::callback_slots(SOCKHANDLE socket) const {
    int n = 0;
    for (int position = 0; position < count_; ++position) {
        const PendingSlot& s = slots_[order_[position]];
        n += s.socket == socket && !s.waiting;
    }
    return n;
}

void PendingReplyTable::store(int id, const char* text, std::size_t length) {
    PendingSlot& s = slots_[id];
    length = std::min(length, kReplyCapacity);
    std::memcpy(texts_[id], text, length);
    texts_[id][length] = '\0';
    s.length = length;
    s.arrived = true;
}


}  // namespace arx::core
