// The connection registry: one entry per open connection, which the receive
// thread serves and the commands consult for the joint count and model.
// Entries are freed by Arm_Socket_Close and reused; each reuse bumps the
// entry's generation so the receive thread never mixes two connections'
// bytes that happened to share an entry or a socket number.
#pragma once

#include "arx_api.h"
#include "core/platform.h"

#include <cstddef>
#include <cstdint>

namespace arx::core {

constexpr int kMaxConnections = 300;
// Socket values above this are refused at connect time.
constexpr SOCKHANDLE kMaxSocketValue = 100000;

struct ConnectionView {
    int entry;
    SOCKHANDLE socket;
    int joints;
    int model;
    int recv_timeout_ms;
    std::uint32_t generation;
};

// Records a connection; the entry index, or -1 when kMaxConnections are open.
int registry_add(SOCKHANDLE socket, int model, int recv_timeout_ms);
// Frees the entry of `socket` and closes the socket, atomically with respect
// to the receive thread's reads. Returns false (and closes nothing) when no
// entry matched.
bool registry_close(SOCKHANDLE socket);

// Sends on `socket` only while it is an open connection of the registry,
// atomically with respect to registry_close: a line never reaches a socket
// number that was closed and perhaps reused by another connection. The
// platform send's result, or -1 for a socket the registry does not hold.
long registry_send(SOCKHANDLE socket, const char* data, std::size_t length, bool dont_route = false);

// The live entries in entry order; returns how many were written.
int registry_snapshot(ConnectionView* out, int capacity);

// The entry of `socket`, if any.
bool registry_find(SOCKHANDLE socket, ConnectionView* out);

// Held by the receive thread around each read, by every send and by
// registry_close, so a socket is never closed (and its number reused) in the
// middle of a read or a send.
platform::Mutex& registry_mutex();
// True while the entry still holds the connection seen at `generation`.
bool registry_entry_current(int entry, std::uint32_t generation);

}  // namespace arx::core
