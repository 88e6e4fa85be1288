#include "sim/faults.h"

#include <cstdlib>

namespace arx::sim {

namespace {

const std::map<std::string, FaultKind> kNames = {
    {"none", FaultKind::None},   {"delay", FaultKind::Delay}, {"drop", FaultKind::Drop},
    {"split", FaultKind::Split}, {"batch", FaultKind::Batch}, {"refuse", FaultKind::Refuse},
    {"stall", FaultKind::Stall}, {"deaf", FaultKind::Deaf},   {"reset", FaultKind::Reset},
};

}  // namespace

std::string fault_text(Fault fault) {
    for (const auto& [name, kind] : kNames)
        if (kind == fault.kind) return fault.ms > 0 ? name + ":" + std::to_string(fault.ms) : name;
    return "none";
}

std::optional<Fault> parse_fault(const std::string& text) {
    const std::size_t colon = text.find(':');
    const auto found = kNames.find(text.substr(0, colon));
    if (found == kNames.end()) return std::nullopt;
    Fault fault{found->second, 0};
    if (colon != std::string::npos) {
        char* end = nullptr;
        const long ms = std::strtol(text.c_str() + colon + 1, &end, 10);
        if (*end != '\0' || ms < 0 || ms > 600000) return std::nullopt;
        fault.ms = static_cast<int>(ms);
    }
    return fault;
}

bool FaultTable::set(const std::string& assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    const std::optional<Fault> fault = parse_fault(assignment.substr(equals + 1));
    if (!fault) return false;
    set(assignment.substr(0, equals), *fault);
    return true;
}

void FaultTable::set(const std::string& word, Fault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fault.kind == FaultKind::None)
        faults_.erase(word);
    else
        faults_[word] = fault;
}

Fault FaultTable::of(const std::string& word) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = faults_.find(word);
    if (found == faults_.end()) found = faults_.find("*");
    return found == faults_.end() ? Fault{} : found->second;
}

std::map<std::string, Fault> FaultTable::all() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_;
}

}  // namespace arx::sim
