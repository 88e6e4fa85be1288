#include "support/fake_controller.h"

#include "core/platform.h"

#include <cjson/cJSON.h>

#include <algorithm>
#include <chrono>

namespace arx::test {

namespace platform = arx::platform;

namespace {

constexpr int kIdleWaitMs = 5;

std::string command_of(const std::string& line) {
    cJSON* root = cJSON_ParseWithOpts(line.c_str(), nullptr, false);
    std::string command;
    if (const cJSON* item = cJSON_GetObjectItem(root, "command"); cJSON_IsString(item))
        command = item->valuestring;
    cJSON_Delete(root);
    return command;
}

const char kToolFrameReply[] =
    R"({"state":"current_tool_frame","tool_name":"Arm_Tip","pose":[0,0,0,0,0,0],"payload":0,"position":[0,0,0]})";
const char kWorkFrameReply[] =
    R"({"state":"current_work_frame","frame_name":"World","pose":[0,0,0,0,0,0]})";
const char kInstallPoseReply[] = R"({"state":"install_pose","pose":[0,0,0]})";

}  // namespace

// ------------------------------------------------------------------ Reply

Reply Reply::line(const std::string& text) { return raw(text + "\r\n"); }

Reply Reply::lines(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& t : texts) all += t + "\r\n";
    return raw(all);
}

Reply Reply::split(const std::string& text, const std::vector<std::size_t>& cuts) {
    std::string all = text + "\r\n";
    Reply r;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        cut = std::min(cut, all.size());
        if (cut > from) r.writes.push_back(all.substr(from, cut - from));
        from = std::max(from, cut);
    }
    if (from < all.size()) r.writes.push_back(all.substr(from));
    return r;
}

Reply Reply::raw(const std::string& bytes) {
    Reply r;
    r.writes.push_back(bytes);
    return r;
}

Reply Reply::silence() { return Reply{}; }

Reply Reply::close_mid_line(const std::string& partial) { return raw(partial).then_close(); }

Reply Reply::after(int ms) const {
    Reply r = *this;
    r.delay_ms = ms;
    return r;
}

Reply Reply::then_close() const {
    Reply r = *this;
    r.close_after = true;
    return r;
}

// --------------------------------------------------------- FakeController

struct FakeController::Connection {
    platform::Socket socket;
    bool open = true;
    bool closed_by_peer = false;
    std::string pending;  // bytes of an unfinished request line
    std::string raw;
};

struct FakeController::Action {
    std::chrono::steady_clock::time_point due;
    int connection;
    std::string bytes;
    bool close;
};

FakeController::FakeController() {
    listener_ = platform::tcp_listen_loopback(&port_);
    if (listener_ == platform::kInvalidSocket) ADD_FAILURE() << "fake controller cannot listen";
    replies_["get_current_tool_frame"] = Reply::line(kToolFrameReply);
    replies_["get_current_work_frame"] = Reply::line(kWorkFrameReply);
    replies_["get_install_pose"] = Reply::line(kInstallPoseReply);
    thread_ = std::thread([this] { run(); });
}

FakeController::~FakeController() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    thread_.join();
    for (auto& c : connections_)
        if (c->open) platform::close_socket(c->socket);
    if (listener_ != platform::kInvalidSocket) platform::close_socket(listener_);
}

void FakeController::on(const std::string& command, const std::string& reply_line) {
    on(command, Reply::line(reply_line));
}

void FakeController::on(const std::string& command, const Reply& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[command] = reply;
}

void FakeController::once(const std::string& command, const Reply& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    queued_[command].push_back(reply);
}

int FakeController::resolve(int connection) const {
    return connection < 0 ? static_cast<int>(connections_.size()) - 1 : connection;
}

void FakeController::push(const std::string& bytes, int connection) {
    std::lock_guard<std::mutex> lock(mutex_);
    int c = resolve(connection);
    if (c < 0 || c >= static_cast<int>(connections_.size())) {
        ADD_FAILURE() << "fake controller has no connection " << connection;
        return;
    }
    actions_.push_back(Action{std::chrono::steady_clock::now(), c, bytes, false});
}

void FakeController::close_connections() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t c = 0; c < connections_.size(); ++c)
        actions_.push_back(Action{std::chrono::steady_clock::now(), static_cast<int>(c), {}, true});
}

std::vector<std::string> FakeController::lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& entry : lines_) out.push_back(entry.second);
    return out;
}

std::vector<std::string> FakeController::lines_of(int connection) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& entry : lines_)
        if (entry.first == connection) out.push_back(entry.second);
    return out;
}

std::vector<std::string> FakeController::commands() const {
    std::vector<std::string> out;
    for (const std::string& line : lines()) out.push_back(command_of(line));
    return out;
}

std::size_t FakeController::count(const std::string& command) const {
    auto all = commands();
    return static_cast<std::size_t>(std::count(all.begin(), all.end(), command));
}

std::string FakeController::raw_of(int connection) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (connection < 0 || connection >= static_cast<int>(connections_.size())) return {};
    return connections_[connection]->raw;
}

void FakeController::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
    for (auto& c : connections_) c->raw.clear();
}

bool FakeController::wait_lines(std::size_t n, int timeout_ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                             [&] { return lines_.size() >= n; });
}

bool FakeController::wait_command(const std::string& command, std::size_t n, int timeout_ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
        std::size_t seen = 0;
        for (const auto& entry : lines_) seen += command_of(entry.second) == command;
        return seen >= n;
    });
}

int FakeController::connections() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(connections_.size());
}

bool FakeController::wait_connections(int n, int timeout_ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                             [&] { return static_cast<int>(connections_.size()) >= n; });
}

bool FakeController::wait_closed_by_library(int connection, int timeout_ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
        return connection < static_cast<int>(connections_.size()) &&
               connections_[connection]->closed_by_peer;
    });
}

// Called with the mutex held.
void FakeController::schedule(int connection, const Reply& reply) {
    auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(reply.delay_ms);
    for (const std::string& bytes : reply.writes) {
        actions_.push_back(Action{due, connection, bytes, false});
        due += std::chrono::milliseconds(reply.gap_ms);
    }
    if (reply.close_after) actions_.push_back(Action{due, connection, {}, true});
}

// Called with the mutex held.
void FakeController::handle_line(int connection, const std::string& line) {
    lines_.emplace_back(connection, line);
    const std::string command = command_of(line);
    auto queued = queued_.find(command);
    if (queued != queued_.end() && !queued->second.empty()) {
        schedule(connection, queued->second.front());
        queued->second.pop_front();
        return;
    }
    auto lasting = replies_.find(command);
    if (lasting != replies_.end()) schedule(connection, lasting->second);
}

// Called with the mutex held. Actions of one connection keep their order.
void FakeController::perform_due_actions() {
    const auto now = std::chrono::steady_clock::now();
    std::stable_sort(actions_.begin(), actions_.end(),
                     [](const Action& a, const Action& b) { return a.due < b.due; });
    auto it = actions_.begin();
    for (; it != actions_.end() && it->due <= now; ++it) {
        Connection& c = *connections_[it->connection];
        if (!c.open) continue;
        if (it->close) {
            platform::close_socket(c.socket);
            c.open = false;
        } else {
            platform::send_bytes(c.socket, it->bytes.data(), it->bytes.size());
        }
    }
    actions_.erase(actions_.begin(), it);
}

void FakeController::run() {
    std::vector<platform::Socket> sockets;
    std::vector<int> owners;
    std::unique_ptr<bool[]> ready;
    char buffer[8192];
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) return;
            perform_due_actions();
            sockets.assign(1, listener_);
            owners.assign(1, -1);
            for (std::size_t c = 0; c < connections_.size(); ++c) {
                if (!connections_[c]->open) continue;
                sockets.push_back(connections_[c]->socket);
                owners.push_back(static_cast<int>(c));
            }
        }
        ready = std::make_unique<bool[]>(sockets.size());
        int n = platform::wait_readable(sockets.data(), ready.get(), static_cast<int>(sockets.size()),
                                        kIdleWaitMs);
        if (n <= 0) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            if (!ready[i]) continue;
            if (owners[i] < 0) {
                platform::Socket accepted = platform::tcp_accept(listener_);
                if (accepted == platform::kInvalidSocket) continue;
                auto c = std::make_unique<Connection>();
                c->socket = accepted;
                connections_.push_back(std::move(c));
                changed_.notify_all();
                continue;
            }
            Connection& c = *connections_[owners[i]];
            long got = platform::receive_bytes(c.socket, buffer, sizeof buffer);
            if (got <= 0) {
                platform::close_socket(c.socket);
                c.open = false;
                c.closed_by_peer = true;
                changed_.notify_all();
                continue;
            }
            c.raw.append(buffer, static_cast<std::size_t>(got));
            c.pending.append(buffer, static_cast<std::size_t>(got));
            std::size_t end;
            while ((end = c.pending.find('\n')) != std::string::npos) {
                std::string line = c.pending.substr(0, end);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                c.pending.erase(0, end + 1);
                handle_line(owners[i], line);
            }
            changed_.notify_all();
        }
    }
}

SOCKHANDLE connect_to(const FakeController& fc, int recv_timeout_ms) {
    char ip[] = "127.0.0.1";
    const int before = fc.connections();
    SOCKHANDLE h = Arm_Socket_Start(ip, fc.port(), recv_timeout_ms);
    // Accepted by the fake too, so push() reaches this connection at once.
    if (h > 5 && h != ARX_START_FAILED_HANDLE) fc.wait_connections(before + 1);
    return h;
}

void ControllerTest::SetUp() {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    h = connect_to(fc);
    ASSERT_GT(h, 5u) << "connect failed with " << h;
    ASSERT_NE(h, ARX_START_FAILED_HANDLE);
    fc.clear();  // each test sees only its own lines, not the start-up queries
}

void ControllerTest::TearDown() {
    if (h != 0 && h != ARX_START_FAILED_HANDLE) Arm_Socket_Close(h);
}

}  // namespace arx::test
