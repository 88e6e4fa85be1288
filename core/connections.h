// The connection registry: it owns one Connection per open connection, which
// the receive thread serves and the commands consult for the joint count.
//
// No lock shared between connections is held across a socket call: the
// registry's lock guards only opening and closing. Every read and send finds
// its connection in one array read and holds a lease on it (an atomic count,
// no lock), so threads streaming to different arms never meet; Arm_Socket_Close marks it closing (no new
// lease), ends what it owns in the library (pending slots, queued lines, a
// download's claim), shuts the socket down so a blocked send or read returns,
// waits for the leases to end and only then closes the socket. So a line
// never reaches a socket number that was closed and reused by another
// connection, and one stuck controller never stalls another.
#pragma once

#include "arx_api.h"
#include "core/connection.h"
#include "core/platform.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace arx::core {

constexpr int kMaxConnections = 300;
// Socket values above this are refused at connect time.
constexpr SOCKHANDLE kMaxSocketValue = 100000;

// How a send travels while the connection downloads a trajectory file: the
// download's own announcement and pieces go out, every other line is refused,
// so the controller never reads JSON inside the file's content.
enum class SendRoute {
    Line,           // an ordinary request line
    TransferLine,   // the download's announcement, sent by the transfer's owner
    TransferPiece,  // raw file content, with the do-not-route send flag
};

// A download's claim on its connection, released by this ticket, so a claim
// never touches a later connection that reuses the socket number.
struct TransferTicket {
    int entry;
    std::uint32_t generation;
};

// What the receive thread needs of a connection between reads.
struct ConnectionView {
    int entry;
    SOCKHANDLE socket;
    int joints;
    int recv_timeout_ms;
    std::uint32_t generation;
};

class Registry {
public:
    // Records a connection carrying `joints` values per joint array; the entry
    // index, or -1 when kMaxConnections are open.
    int add(SOCKHANDLE socket, int joints, int recv_timeout_ms);
    // Ends the connection of `socket` (see above). False (and nothing closed)
    // when no open connection has it.
    bool close(SOCKHANDLE socket);

    // Sends the whole of `data` within the connection's send limit (its
    // receive timeout, or the reply timeout when that is 0). 0 when sent
    // whole; ARX_SEND_FAILED when no open connection has the socket, the
    // controller ended it, or the send failed or timed out part-way;
    // ARX_FILE_TRANSFER_BUSY for a Line while the connection downloads a file.
    int send(SOCKHANDLE socket, const char* data, std::size_t length, SendRoute route = SendRoute::Line);
    // Reads from the entry's socket while it still holds the connection of
    // `generation`: the platform read's result, or -1 when it does not.
    long receive(int entry, std::uint32_t generation, char* buffer, std::size_t capacity);

    // Adds the entry's socket to the receive thread's set under the entry's
    // index while it still holds the connection of `generation` (a close
    // waits meanwhile, so the socket is open during the call). False when it
    // does not, or the host refused.
    bool watch(int entry, std::uint32_t generation, platform::ReadySet& set);

    // The receive thread saw the connection (as of `generation`) end: end of
    // stream, reset or a failed read. Later sends on it fail at once.
    void mark_ended(int entry, std::uint32_t generation);
    // An open connection that has not ended: a line queued for it can be sent.
    bool usable(SOCKHANDLE socket) const;
    // Its joint count; 6 for a handle that is no open connection.
    int joints(SOCKHANDLE socket) const;

    // A download claims its connection atomically (false when the connection
    // is unknown or already downloading); the claim waits until a line being
    // sent on it is out whole, so no line lands inside the content.
    bool claim_transfer(SOCKHANDLE socket, TransferTicket* ticket);
    void release_transfer(TransferTicket ticket);
    // One load in the common case of no download anywhere.
    bool transferring(SOCKHANDLE socket) const;

    // The entry's connection while it is open (false when it is not).
    bool view(int entry, ConnectionView* out) const;
    // The receive thread's own state of an entry.
    Connection::Input& input(int entry) { return connections_[entry].input; }

    // Bumped by every add and close; the receive thread rebuilds its list of
    // sockets when it changes, woken through changed().
    std::uint32_t version() const { return version_.load(); }
    platform::WakeUp& changed();

private:
    // The open connection of `socket`: one array read, not a scan.
    Connection* find(SOCKHANDLE socket);
    // A lease on the open connection of `socket` (counted as a line send
    // when `line_send`); false when there is none.
    bool lease(SOCKHANDLE socket, ConnectionLease& lease, bool line_send = false);
    const Connection* find(SOCKHANDLE socket) const;
    void note_change();

    // Guards opening and closing only; never held across a socket call.
    platform::Mutex& mutex();

    // Plain atomics and fixed storage: the registry lives in zero-initialised
    // static storage and is never torn down while the threads run.
    Connection connections_[kMaxConnections];
    // 1 + the entry holding each socket value, 0 for none.
    std::atomic<std::int16_t> entry_of_socket_[kMaxSocketValue + 1];
    std::atomic<std::uint32_t> version_;
    std::atomic<int> transfers_;  // downloads running now, over all connections
};

// The library's registry (part of core::Library).
Registry& registry();

// Connects to a controller and records the connection with `joints` values
// per joint array: the socket, or ARX_NETWORK_START_FAILED (network start-up,
// socket creation, socket value too large, registry full) or
// ARX_CONNECT_FAILED (refused, or no answer to the handshake within the reply
// timeout).
SOCKHANDLE open_connection(const char* ip, int port, int recv_timeout_ms, int joints);
// Unregisters and closes a connection (Registry::close) and balances the
// network start-up. False for 0 and handles that are not open connections.
bool close_connection(SOCKHANDLE handle);

}  // namespace arx::core
