#include "core/connections.h"

#include "core/library.h"
#include "core/never_destroyed.h"

#include <atomic>
#include <mutex>

namespace arx::core {

namespace {

// Plain atomics with constant initialisation and trivial destructors: safe
// to read from the background threads at any time, also during process exit.
struct Entry {
    std::atomic<bool> in_use;
    std::atomic<SOCKHANDLE> socket;
    std::atomic<int> joints;
    std::atomic<int> model;
    std::atomic<int> recv_timeout_ms;
    std::atomic<std::uint32_t> generation;
};

Entry g_entries[kMaxConnections];

ConnectionView view_of(int index, const Entry& e) {
    return ConnectionView{index, e.socket.load(), e.joints.load(), e.model.load(),
                          e.recv_timeout_ms.load(), e.generation.load()};
}

}  // namespace

platform::Mutex& registry_mutex() {
    static NeverDestroyed<platform::Mutex> mutex;
    return *mutex;
}

int registry_add(SOCKHANDLE socket, int model, int recv_timeout_ms) {
    std::lock_guard<platform::Mutex> lock(registry_mutex());
    for (int i = 0; i < kMaxConnections; ++i) {
        Entry& e = g_entries[i];
        if (e.in_use.load()) continue;
        e.socket.store(socket);
        e.joints.store(model == ARM_MODEL_B ? 7 : 6);
        e.model.store(model);
        e.recv_timeout_ms.store(recv_timeout_ms);
        e.generation.fetch_add(1);
        e.in_use.store(true);  // published last: readers see a complete record
        return i;
    }
    return -1;
}

bool registry_close(SOCKHANDLE socket) {
    std::lock_guard<platform::Mutex> lock(registry_mutex());
    bool found = false;
    for (Entry& e : g_entries) {
        if (!e.in_use.load() || e.socket.load() != socket) continue;
        e.in_use.store(false);
        e.generation.fetch_add(1);
        found = true;
        break;
    }
    // Only our own sockets: a second close must not hit whatever descriptor
    // has since been given the same number.
    if (found) platform::close_socket(socket);
    return found;
}

long registry_send(SOCKHANDLE socket, const char* data, std::size_t length, bool dont_route) {
    std::lock_guard<platform::Mutex> lock(registry_mutex());
    if (!registry_find(socket, nullptr)) return -1;
    return platform::send_bytes(socket, data, length, dont_route);
}

int registry_snapshot(ConnectionView* out, int capacity) {
    int n = 0;
    for (int i = 0; i < kMaxConnections && n < capacity; ++i)
        if (g_entries[i].in_use.load()) out[n++] = view_of(i, g_entries[i]);
    return n;
}

bool registry_find(SOCKHANDLE socket, ConnectionView* out) {
    for (int i = 0; i < kMaxConnections; ++i) {
        const Entry& e = g_entries[i];
        if (e.in_use.load() && e.socket.load() == socket) {
            if (out) *out = view_of(i, e);
            return true;
        }
    }
    return false;
}

bool registry_entry_current(int entry, std::uint32_t generation) {
    const Entry& e = g_entries[entry];
    return e.in_use.load() && e.generation.load() == generation;
}

int joint_count(SOCKHANDLE handle) {
    ConnectionView v;
    return registry_find(handle, &v) ? v.joints : 6;
}

int connection_model(SOCKHANDLE handle) {
    ConnectionView v;
    return registry_find(handle, &v) ? v.model : arm_model();
}

}  // namespace arx::core
