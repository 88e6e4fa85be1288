#include "sim/session.h"

#include "sim/json_line.h"

#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace arx::sim {

namespace {

constexpr int kDefaultSplitPauseMs = 30;

void make_false(cJSON* item) {
    for (cJSON* child = item ? item->child : nullptr; child; child = child->next) {
        if (cJSON_IsTrue(child)) child->type = (child->type & ~cJSON_True) | cJSON_False;
        make_false(child);
    }
}

}  // namespace

std::string refused(const std::string& line) {
    JsonPtr parsed(cJSON_Parse(line.c_str()));
    if (!parsed) return line;
    make_false(parsed.get());
    std::unique_ptr<char, decltype(&cJSON_free)> text(cJSON_PrintUnformatted(parsed.get()), &cJSON_free);
    return std::string(text.get()) + "\r\n";
}

bool Session::reply(const std::string& word, const std::string& line) {
    const Fault fault = faults_.of(word);
    switch (fault.kind) {
        case FaultKind::Drop: return true;
        case FaultKind::Delay: std::this_thread::sleep_for(std::chrono::milliseconds(fault.ms)); break;
        case FaultKind::Refuse: write(refused(line)); return true;
        case FaultKind::Split: {
            const std::size_t half = line.size() / 2;
            write(line.substr(0, half));
            std::this_thread::sleep_for(std::chrono::milliseconds(fault.ms ? fault.ms : kDefaultSplitPauseMs));
            write(line.substr(half));
            return true;
        }
        case FaultKind::Batch: {
            std::lock_guard<std::mutex> lock(mutex_);
            if (held_.empty()) held_since_ = std::chrono::steady_clock::now();
            held_ += line;
            return true;
        }
        case FaultKind::Reset:
            write(line.substr(0, line.size() / 2));
            close(true);
            return false;
        default: break;
    }
    write(line);
    return true;
}

void Session::write(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    // A batched reply leaves with the next write, in the same send.
    std::string all = std::move(held_);
    held_.clear();
    write_locked(all + bytes);
}

void Session::write_locked(const std::string& bytes) {
    std::size_t sent = 0;
    while (socket_ >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

void Session::flush_held(std::chrono::milliseconds age) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (held_.empty() || std::chrono::steady_clock::now() - held_since_ < age) return;
    std::string all = std::move(held_);
    held_.clear();
    write_locked(all);
}

void Session::close(bool reset) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (socket_ < 0) return;
    if (reset) {
        const linger abort_on_close{1, 0};
        setsockopt(socket_, SOL_SOCKET, SO_LINGER, &abort_on_close, sizeof abort_on_close);
    } else {
        ::shutdown(socket_, SHUT_RDWR);
    }
    ::close(socket_);
    socket_ = -1;
}

bool Session::closed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return socket_ < 0;
}

}  // namespace arx::sim
