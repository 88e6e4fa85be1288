// The simulated controller's network side: a listener on 127.0.0.1, one
// reader thread per client, and the motion clock.
#pragma once

#include "sim/controller.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace arx::sim {

class Server {
public:
    // Listens on 127.0.0.1:`port` (0: a free port). port() is 0 when that failed.
    Server(Controller& controller, int port);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    int port() const { return port_; }
    // Accepts clients until stop(); each is served on its own thread.
    void run();
    void stop();

private:
    void serve(const std::shared_ptr<Session>& session);
    void clock();
    // Feeds received bytes: request lines, or the raw content of a file
    // download. False when the connection is no longer read.
    bool feed(const std::shared_ptr<Session>& session, std::string& pending);

    Controller& controller_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex sessions_mutex_;
    std::vector<std::weak_ptr<Session>> sessions_;
    std::vector<std::thread> readers_;
    std::thread clock_;
};

}  // namespace arx::sim
