#include "core/transfer_state.h"

#include "core/connections.h"
#include "core/never_destroyed.h"
#include "core/platform.h"

#include <atomic>
#include <mutex>

namespace arx::core {

namespace {

// One entry per possible simultaneous transfer; plain atomics so the check
// every command makes reads them without a lock.
struct Entry {
    std::atomic<bool> in_use;
    std::atomic<SOCKHANDLE> socket;
};
Entry g_transfers[kMaxConnections];
// Transfers running now: the common case, none, costs one load.
std::atomic<int> g_running{0};

platform::Mutex& claim_mutex() {
    static NeverDestroyed<platform::Mutex> mutex;
    return *mutex;
}

}  // namespace

bool claim_transfer(SOCKHANDLE handle) {
    std::lock_guard<platform::Mutex> lock(claim_mutex());
    if (transfer_active(handle)) return false;
    for (Entry& e : g_transfers) {
        if (e.in_use.load()) continue;
        e.socket.store(handle);
        e.in_use.store(true);
        g_running.fetch_add(1);
        return true;
    }
    return false;
}

void release_transfer(SOCKHANDLE handle) {
    std::lock_guard<platform::Mutex> lock(claim_mutex());
    for (Entry& e : g_transfers) {
        if (!e.in_use.load() || e.socket.load() != handle) continue;
        e.in_use.store(false);
        g_running.fetch_sub(1);
        return;
    }
}

bool transfer_active(SOCKHANDLE handle) {
    if (g_running.load() == 0) return false;
    for (const Entry& e : g_transfers)
        if (e.in_use.load() && e.socket.load() == handle) return true;
    return false;
}

}  // namespace arx::core
