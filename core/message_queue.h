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

private:
    QueuedMessage records_[kSendQueueCapacity];
    int head_;
    int tail_;
    int capacity_;
    bool has_storage_;
};

// The library's send queue (guarded by library_mutex()).
MessageQueue& send_queue();

}  // namespace arx::core
