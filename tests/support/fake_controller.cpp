#include "support/fake_controller.h"

#include "core/clock.h"
#include "core/platform.h"

#include <cjson/cJSON.h>

#include <memory>

namespace arx::test {
namespace {

std::string command_of(const std::string& line) {
    cJSON* root = cJSON_ParseWithOpts(line.c_str(), nullptr, false);
    const cJSON* item = cJSON_GetObjectItem(root, "command");
    std::string command = cJSON_IsString(item) ? item->valuestring : "";
    cJSON_Delete(root);
    return command;
}

}  // namespace

FakeController::FakeController() {
    listener_ = platform::tcp_listen_loopback(&port_);
    if (listener_ == platform::kInvalidSocket) ADD_FAILURE() << "fake controller cannot listen";
    on("get_current_tool_frame",
       R"({"state":"current_tool_frame","tool_name":"Arm_Tip","pose":[0,0,0,0,0,0],"payload":0,"position":[0,0,0]})");
    on("get_current_work_frame", R"({"state":"current_work_frame","frame_name":"World","pose":[0,0,0,0,0,0]})");
    on("get_install_pose", R"({"state":"install_pose","pose":[0,0,0]})");
    thread_ = std::thread([this] { run(); });
}

FakeController::~FakeController() {
    locked([&] { return stop_ = true; });
    thread_.join();
    for (Connection& c : connections_)
        if (c.open) platform::close_socket(c.socket);
    if (listener_ != platform::kInvalidSocket) platform::close_socket(listener_);
}

// Writes, or closes when `close`, unless the connection is gone.
void FakeController::send(int connection, const std::string& bytes, bool close) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (connection >= size() || !connections_[connection].open) return;
    Connection& c = connections_[connection];
    if (!close) {
        platform::send_bytes(c.socket, bytes.data(), bytes.size());
        return;
    }
    platform::close_socket(c.socket);
    c.open = false;
    changed_.notify_all();
}

// Runs on the fake's thread, so a slow answer holds up only this fake.
// Delays run on the library's clock, so a test on a clock moved by hand
// moves the controller's answers with it.
void FakeController::answer(int connection, const Reply& reply) {
    core::sleep_ms(reply.delay_ms);
    for (std::size_t i = 0; i < reply.writes.size(); ++i) {
        if (i > 0) core::sleep_ms(20);
        send(connection, reply.writes[i]);
    }
    if (reply.close) send(connection, "", true);
}

void FakeController::run() {
    char buffer[8192];
    for (;;) {
        std::vector<platform::Socket> sockets{listener_};
        std::vector<int> owners{-1};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) return;
            for (int c = 0; c < size(); ++c) {
                if (!connections_[c].open) continue;
                sockets.push_back(connections_[c].socket);
                owners.push_back(c);
            }
        }
        auto ready = std::make_unique<bool[]>(sockets.size());
        if (platform::wait_readable(sockets.data(), ready.get(), static_cast<int>(sockets.size()), 5) <= 0)
            continue;
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            if (!ready[i]) continue;
            if (owners[i] < 0) {
                platform::Socket accepted = platform::tcp_accept(listener_);
                if (accepted == platform::kInvalidSocket) continue;
                std::lock_guard<std::mutex> lock(mutex_);
                connections_.push_back(Connection{accepted});
                changed_.notify_all();
                continue;
            }
            const long got = platform::receive_bytes(sockets[i], buffer, sizeof buffer);
            if (got <= 0) {  // closed by the library
                send(owners[i], "", true);
                continue;
            }
            std::vector<Reply> due;
            const auto read_at = std::chrono::steady_clock::now();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                Connection& c = connections_[owners[i]];
                changed_.notify_all();
                c.raw.append(buffer, static_cast<std::size_t>(got));
                c.pending.append(buffer, static_cast<std::size_t>(got));
                for (std::size_t end; (end = c.pending.find('\n')) != std::string::npos;) {
                    std::string line = c.pending.substr(0, end);
                    if (!line.empty() && line.back() == '\r') line.pop_back();
                    c.pending.erase(0, end + 1);
                    auto script = replies_.find(command_of(line));
                    due.push_back(script != replies_.end() ? script->second : Reply{});
                    lines_.push_back(std::move(line));
                    arrivals_.push_back(read_at);
                }
            }
            for (const Reply& reply : due) answer(owners[i], reply);
        }
    }
}

SOCKHANDLE connect_to(const FakeController& fc, int recv_timeout_ms) {
    char ip[] = "127.0.0.1";
    const int before = fc.connections();
    SOCKHANDLE h = Arm_Socket_Start(ip, fc.port(), recv_timeout_ms);
    // Accepted by the fake too, so push_line() reaches this connection at once.
    if (ARX_HANDLE_IS_VALID(h)) fc.wait_connections(before + 1);
    return h;
}

void ControllerTest::SetUp() {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    h = connect_to(fc);
    ASSERT_TRUE(ARX_HANDLE_IS_VALID(h)) << "connect failed with " << h;
    fc.clear();  // each test sees only its own lines, not the start-up queries
}

}  // namespace arx::test
