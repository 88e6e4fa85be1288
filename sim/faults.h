// Fault injection: what the simulated controller does wrong, chosen per
// request word ("*" for every word), from the command line
// (--fault movej=stall) and at run time (the "sim_fault" request).
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace arx::sim {

enum class FaultKind {
    None,
    Delay,   // the reply leaves `ms` later
    Drop,    // no reply at all
    Split,   // the reply in two writes, `ms` apart (default 30)
    Batch,   // the reply waits and leaves in one write with the next one
    Refuse,  // every true state in the reply becomes false
    Stall,   // a motion that never moves and never arrives
    Deaf,    // the controller stops reading this connection
    Reset,   // half the reply, then the connection is reset
};

struct Fault {
    FaultKind kind = FaultKind::None;
    int ms = 0;
};

// "drop", "delay:500", "split", ...; nullopt for an unknown name.
std::optional<Fault> parse_fault(const std::string& text);
// The name parse_fault reads, with ":ms" when the fault has a time.
std::string fault_text(Fault fault);

class FaultTable {
public:
    // "word=fault[:ms]"; false when it does not parse.
    bool set(const std::string& assignment);
    void set(const std::string& word, Fault fault);
    // The fault of a word: its own, else the "*" one.
    Fault of(const std::string& word) const;
    // Every word with a fault.
    std::map<std::string, Fault> all() const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, Fault> faults_;
};

}  // namespace arx::sim
