// The connection registry: one entry per open connection, which the receive
// thread serves and the commands consult for the joint count and model.
//
// No lock shared between connections is held across a socket call: the
// registry mutex guards only the bookkeeping. Every read and send holds a
// lease on its entry instead; Arm_Socket_Close marks the entry closing (no new
// lease), shuts the socket down so a blocked send or read returns, waits for
// the leases to end and only then closes the socket. So a line never reaches a
// socket number that was closed and reused by another connection, and one
// stuck controller never stalls another.
//
// Entries are reused after a close; each reuse bumps the entry's generation so
// the receive thread never mixes two connections' bytes that happened to
// share an entry or a socket number.
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
    int recv_timeout_ms;
    std::uint32_t generation;
};

// Connects to a controller and records the connection: the socket, or
// ARX_NETWORK_START_FAILED (network start-up, socket creation, socket value
// too large, registry full) or ARX_CONNECT_FAILED (refused, or no answer to
// the handshake within the reply timeout).
// `joints`: the values per joint array that the connection's arm carries.
SOCKHANDLE open_connection(const char* ip, int port, int recv_timeout_ms, int joints);
// Unregisters and closes a connection (see registry_close), ending what it
// owns in the library: its pending slots (their callers return 6 at once),
// its queued lines; balances the network start-up. False for 0 and handles
// that are not open connections.
bool close_connection(SOCKHANDLE handle);

// Records a connection; the entry index, or -1 when kMaxConnections are open.
int registry_add(SOCKHANDLE socket, int joints, int recv_timeout_ms);
// Frees the entry of `socket` and closes the socket once no read or send
// uses it any more. Returns false (and closes nothing) when no entry matched.
bool registry_close(SOCKHANDLE socket);

// How a send travels while the connection downloads a trajectory file: the
// download's own announcement and pieces go out, every other line is refused,
// so the controller never reads JSON inside the file's content.
enum class SendRoute {
    Line,           // an ordinary request line
    TransferLine,   // the download's announcement, sent by the transfer's owner
    TransferPiece,  // raw file content, with the do-not-route send flag
};

// Sends the whole of `data` on `socket` while it is an open connection of the
// registry (see above), within the connection's send limit: its receive
// timeout, or the reply timeout when that is 0. 0 when sent whole;
// ARX_SEND_FAILED when the registry does not hold the socket, the controller
// ended the connection, or the send failed or timed out part-way;
// ARX_FILE_TRANSFER_BUSY for a Line while the connection downloads a file.
int registry_send(SOCKHANDLE socket, const char* data, std::size_t length, SendRoute route = SendRoute::Line);

// The receive thread saw the connection at `entry` (as of `generation`) end:
// end of stream, reset or a failed read. Later sends on it fail at once.
void registry_mark_ended(int entry, std::uint32_t generation);

// The socket is an open connection that has not ended: a line queued for it
// can still be sent.
bool registry_usable(SOCKHANDLE socket);

// A trajectory-file download owns its connection: claimed atomically (false
// when the connection is unknown or already downloading); the claim waits
// until a line being sent on the connection is out whole, so no line lands
// inside the content. Released by the ticket, so a claim never touches a
// later connection that reuses the socket number.
struct TransferTicket {
    int entry;
    std::uint32_t generation;
};
bool registry_claim_transfer(SOCKHANDLE socket, TransferTicket* ticket);
void registry_release_transfer(TransferTicket ticket);
// Some connection downloads now: one load in the common case of none.
bool registry_transferring(SOCKHANDLE socket);

// Reads from the entry's socket while the entry still holds the connection
// seen at `generation`. The platform read's result, or -1 when it does not.
long registry_receive(int entry, std::uint32_t generation, char* buffer, std::size_t capacity);

// The live entries in entry order; returns how many were written.
int registry_snapshot(ConnectionView* out, int capacity);

// The entry of `socket`, if any.
bool registry_find(SOCKHANDLE socket, ConnectionView* out);

// Bumped by every add and close; the receive thread rebuilds its list of
// sockets when it changes.
std::uint32_t registry_version();

// Signalled by every add and close, so a receive thread blocked on the old
// list of sockets wakes up.
platform::WakeUp& registry_changed();

}  // namespace arx::core
