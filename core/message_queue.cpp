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
    if (empty()) return false;
    const QueuedMessage& m = records_[head_];
    out.length = m.length;
    out.socket = m.socket;
    std::memcpy(out.text, m.text, static_cast<std::size_t>(m.length));
    head_ = (head_ + 1) % capacity_;
    return true;
}

MessageQueue& send_queue() {
    static MessageQueue queue;  // zero-initialised, trivially destructible
    return queue;
}

}  // namespace arx::core
