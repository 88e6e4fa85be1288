// Deadlines of up to `Capacity` keys (0 .. Capacity-1), the earliest first:
// an indexed binary min-heap, so setting, moving or dropping one key's
// deadline costs O(log n) and finding the next one costs nothing. The
// receive thread keeps the stall limits of begun lines in one, so a wake
// looks only at the lines whose limit is due.
#pragma once

#include <cstdint>

namespace arx::core {

template <int Capacity>
class DeadlineHeap {
public:
    bool empty() const { return size_ == 0; }
    int size() const { return size_; }
    bool holds(int key) const { return place_of_[key] > 0; }
    // The key due first and its deadline; only when not empty().
    int first() const { return heap_[0]; }
    std::int64_t first_deadline() const { return deadline_[heap_[0]]; }

    // Sets or moves `key`'s deadline.
    void set(int key, std::int64_t deadline) {
        if (!holds(key)) {
            heap_[size_] = key;
            place_of_[key] = ++size_;
        }
        deadline_[key] = deadline;
        sift_up(place_of_[key] - 1);
        sift_down(place_of_[key] - 1);
    }

    // Drops `key`'s deadline, if it has one.
    void erase(int key) {
        if (!holds(key)) return;
        const int at = place_of_[key] - 1;
        place_of_[key] = 0;
        if (--size_ == at) return;
        const int moved = heap_[size_];  // the last key fills the hole, then finds its level
        place(at, moved);
        sift_up(at);
        sift_down(place_of_[moved] - 1);
    }

private:
    void place(int at, int key) {
        heap_[at] = key;
        place_of_[key] = at + 1;
    }
    bool earlier(int a, int b) const { return deadline_[heap_[a]] < deadline_[heap_[b]]; }
    void swap_places(int a, int b) {
        const int key_a = heap_[a];
        place(a, heap_[b]);
        place(b, key_a);
    }
    void sift_up(int at) {
        while (at > 0 && earlier(at, (at - 1) / 2)) {
            swap_places(at, (at - 1) / 2);
            at = (at - 1) / 2;
        }
    }
    void sift_down(int at) {
        for (;;) {
            int smallest = at;
            for (int child = 2 * at + 1; child <= 2 * at + 2 && child < size_; ++child)
                if (earlier(child, smallest)) smallest = child;
            if (smallest == at) return;
            swap_places(at, smallest);
            at = smallest;
        }
    }

    std::int64_t deadline_[Capacity] = {};
    int heap_[Capacity] = {};
    int place_of_[Capacity] = {};  // 1 + the key's index in heap_, 0: no deadline
    int size_ = 0;
};

}  // namespace arx::core
