// The send queue of non-blocking commands: a ring in fixed storage.
#pragma once

#include "arx_api.h"

#include <cstddef>

namespace arx::core {

constexpr int kSendQueueCapacity = 600;     // holds kSendQueueCapacity - 1 lines
constexpr std::size_t kQueuedLineBytes = 300;

struct QueuedMessage {
    int length;
    char text[kQueuedLineBytes];
    SOCKHANDLE socket;
};

// Not synchronised: callers hold the library mutex. "Storage" is a flag over
// fixed records, so a released queue never hands out freed memory: pushes
// after release simply fail.
class MessageQueue {
public:
    // Empties the queue and gives it `capacity` records (at most
    // kSendQueueCapacity); false when the capacity cannot be provided.
    bool create(int capacity);
    void release();

    bool has_storage() const { return has_storage_; }
    bool empty() const { return !has_storage_ || head_ == tail_; }
    bool full() const { return !has_storage_ || (tail_ + 1) % capacity_ == head_; }

    // False when full or without storage; lines longer than a record are refused.
    bool push(SOCKHANDLE socket, const char* text, std::size_t length);
    bool pop(QueuedMessage& out);
    // Pops the earliest line whose socket `may_send` accepts; the lines it
    // passes over keep their places and order. False when there is none.
    template <class MaySend>
    bool pop_first(QueuedMessage& out, MaySend&& may_send);
    // Puts a popped line back at the head; false when full.
    bool push_front(const QueuedMessage& message);
    // Drops every line of `socket`, keeping the others in order.
    void remove_socket(SOCKHANDLE socket);

private:
    int at(int position) const { return (head_ + position) % capacity_; }
    int size() const { return has_storage_ ? (tail_ - head_ + capacity_) % capacity_ : 0; }
    static void copy(QueuedMessage& to, const QueuedMessage& from);

    QueuedMessage records_[kSendQueueCapacity];
    int head_;
    int tail_;
    int capacity_;
    bool has_storage_;
};

template <class MaySend>
bool MessageQueue::pop_first(QueuedMessage& out, MaySend&& may_send) {
    const int n = size();
    int found = 0;
    while (found < n && !may_send(records_[at(found)].socket)) ++found;
    if (found == n) return false;
    copy(out, records_[at(found)]);
    // The lines passed over move up one place, so the head slot frees.
    for (int position = found; position > 0; --position) copy(records_[at(position)], records_[at(position - 1)]);
    head_ = (head_ + 1) % capacity_;
    return true;
}

// The library's send queue (guarded by library_mutex()).
MessageQueue& send_queue();

}  // namespace arx::core
