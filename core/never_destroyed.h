// Process-wide objects that the send and receive threads use must outlive
// every other static: those threads are never joined, so they may still run
// while the process exits. NeverDestroyed builds its object in place once and
// never runs its destructor.
#pragma once

#include <new>
#include <utility>

namespace arx::core {

template <typename T>
class NeverDestroyed {
public:
    template <typename... Args>
    explicit NeverDestroyed(Args&&... args) {
        ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
    }
    NeverDestroyed(const NeverDestroyed&) = delete;
    NeverDestroyed& operator=(const NeverDestroyed&) = delete;

    T& get() { return *std::launder(reinterpret_cast<T*>(storage_)); }
    T& operator*() { return get(); }
    T* operator->() { return &get(); }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace arx::core
