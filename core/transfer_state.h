// Which connections are downloading a trajectory file. While a file travels
// as raw pieces, a JSON line on the same connection would land in the middle
// of its content, so every other command on that connection is refused (18)
// and its queued lines wait; other connections carry on. The claim lives on
// the connection's registry entry and ends with it.
#pragma once

#include "arx_api.h"
#include "core/connections.h"

namespace arx::core {

inline bool transfer_active(SOCKHANDLE handle) { return registry().transferring(handle); }

// Holds a claim for its lifetime, so every way out of a transfer releases it.
// Of two transfers started together on one connection exactly one claims it
// (the other finds it busy); an unknown or closed connection is not claimed
// and not busy: its sends fail on their own.
class TransferClaim {
public:
    explicit TransferClaim(SOCKHANDLE handle)
        : held_(registry().claim_transfer(handle, &ticket_)), busy_(!held_ && registry().transferring(handle)) {}
    ~TransferClaim() {
        if (held_) registry().release_transfer(ticket_);
    }
    TransferClaim(const TransferClaim&) = delete;
    TransferClaim& operator=(const TransferClaim&) = delete;
    explicit operator bool() const { return held_; }
    bool busy() const { return busy_; }

private:
    TransferTicket ticket_{};
    bool held_;
    bool busy_;
};

}  // namespace arx::core
