#include "core/message_queue.h"

#include <cstring>

namespace arx::core {

bool MessageQueue::create(int capacity) {
    if (capacity < 2 || capacity > kSendQueueCapacity) {
        release();
        return false;
    }
    for (int i = 0; i < capacity; ++i) std::memset(records_[i].text, 0, kQueuedLineBytes);
    head_ = tail_ = 0;
    capacity_ = capacity;
    has_storage_ = true;
    return true;
}

void MessageQueue::release() {
    head_ = tail_;
    has_storage_ = false;
}

bool MessageQueue::push(SOCKHANDLE socket, const char* text, std::size_t length) {
    if (full() || length > kQueuedLineBytes) return false;
    QueuedMessage& m = records_[tail_];
    m.length = static_cast<int>(length);
    m.socket = socket;
    std::memcpy(m.text, text, length);
    tail_ = (tail_ + 1) % capacity_;
    return true;
}

bool MessageQueue::pop(QueuedMessage& out) {
    return pop_first(out, [](SOCKHANDLE) { return true; });
}

void MessageQueue::copy(QueuedMessage& to, const QueuedMessage& from) {
    to.length = from.length;
    to.socket = from.socket;
    std::memcpy(to.text, from.text, static_cast<std::size_t>(from.length));
}

bool MessageQueue::push_front(const QueuedMessage& message) {
    if (full()) return false;
    head_ = (head_ - 1 + capacity_) % capacity_;
    copy(records_[head_], message);
    return true;
}

void MessageQueue::remove_socket(SOCKHANDLE socket) {
    const int n = size();
    int kept = 0;
    for (int position = 0; position < n; ++position) {
        const QueuedMessage& m = records_[at(position)];
        if (m.socket == socket) continue;
        if (kept != position) copy(records_[at(kept)], m);
        ++kept;
    }
    if (has_storage_) tail_ = at(kept);
}


}  // namespace arx::core
