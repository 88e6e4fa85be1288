#include "sim/session.h"

#include "sim/json_line.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace arx::sim {

namespace {

constexpr std::chrono::milliseconds kDefaultSplitPause{30};
// A batched reply whose companion does not come leaves alone after this.
constexpr std::chrono::milliseconds kBatchHold{300};

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
    const SimClock::time_point now = SimClock::now();
    const SimClock::time_point base = due_base(now);
    switch (fault.kind) {
        case FaultKind::Drop: return true;
        case FaultKind::Delay: queue(line, base + std::chrono::milliseconds(fault.ms)); return true;
        case FaultKind::Refuse: queue(refused(line), base); return true;
        case FaultKind::Split: {
            const std::size_t half = line.size() / 2;
            queue(line.substr(0, half), base);
            queue(line.substr(half), base + (fault.ms ? std::chrono::milliseconds(fault.ms) : kDefaultSplitPause));
            return true;
        }
        case FaultKind::Batch:
            backlog_ += line.size();
            outbox_.push_back(Chunk{line, now + kBatchHold, true, false});
            return true;
        case FaultKind::Reset: queue(line.substr(0, line.size() / 2), base, true); return false;
        default: queue(line, base); return true;
    }
}

void Session::queue(std::string bytes, SimClock::time_point due, bool reset_after) {
    // A batched reply leaves with the next write, in the same send.
    for (Chunk& chunk : outbox_)
        if (chunk.held) chunk.due = std::min(chunk.due, due), chunk.held = false;
    backlog_ += bytes.size();
    outbox_.push_back(Chunk{std::move(bytes), due, false, reset_after});
    tail_due_ = due;
}

bool Session::has_due(SimClock::time_point now) const {
    return !ready_.empty() || (!outbox_.empty() && outbox_.front().due <= now);
}

SimClock::time_point Session::next_due() const {
    return outbox_.empty() ? SimClock::time_point::max() : outbox_.front().due;
}

bool Session::flush(SimClock::time_point now, std::chrono::milliseconds limit) {
    if (socket_ < 0) {  // nobody listens: what it would have been told is gone
        outbox_.clear();
        ready_.clear();
        backlog_ = 0;
        return false;
    }
    // Everything due goes out in one send, up to a connection reset.
    while (!reset_when_sent_ && !outbox_.empty() && outbox_.front().due <= now) {
        ready_ += outbox_.front().bytes;
        reset_when_sent_ = outbox_.front().reset_after;
        outbox_.pop_front();
    }
    while (!ready_.empty()) {
        const ssize_t n = ::send(socket_, ready_.data(), ready_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            ready_.erase(0, static_cast<std::size_t>(n));
            backlog_ -= static_cast<std::size_t>(n);
            waiting_ = false;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            return false;  // the peer is gone
        }
    }
    if (ready_.empty()) {
        waiting_ = false;
        if (reset_when_sent_) {
            close(true);
            return false;
        }
        return true;
    }
    // A client that takes nothing for this long is dropped, so its replies
    // cannot pile up without end.
    if (!waiting_) waiting_ = true, waiting_since_ = now;
    return now - waiting_since_ <= limit;
}

void Session::close(bool reset) {
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

}  // namespace arx::sim
