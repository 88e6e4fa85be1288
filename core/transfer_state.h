// Which connections are downloading a trajectory file. While a file travels
// as raw pieces, a JSON line on the same connection would land in the middle
// of its content, so every other command on that connection is refused;
// other connections carry on.
#pragma once

#include "arx_api.h"

namespace arx::core {

// Marks the connection as transferring; false (nothing marked) when it
// already transfers. Atomic: of two transfers started together on one
// connection exactly one claims it.
bool claim_transfer(SOCKHANDLE handle);
void release_transfer(SOCKHANDLE handle);
bool transfer_active(SOCKHANDLE handle);

// Holds a claim for its lifetime, so every way out of a transfer releases it.
class TransferClaim {
public:
    explicit TransferClaim(SOCKHANDLE handle) : handle_(handle), held_(claim_transfer(handle)) {}
    ~TransferClaim() {
        if (held_) release_transfer(handle_);
    }
    TransferClaim(const TransferClaim&) = delete;
    TransferClaim& operator=(const TransferClaim&) = delete;
    explicit operator bool() const { return held_; }

private:
    SOCKHANDLE handle_;
    bool held_;
};

}  // namespace arx::core
