// The simulated controller's network side: a listener on 127.0.0.1, one poll
// loop that accepts, reads and writes for every client, and the motion clock.
// No socket call blocks: a client that stops reading holds up nobody but
// itself and is dropped when it takes nothing for a while. The clock never
// touches a client: its arrival reports go through a mailbox that the loop
// empties.
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
    // Serves clients until stop().
    void run();
    // Safe from a signal handler.
    void stop();

private:
    void clock();
    void accept_clients();
    void read_from(const std::shared_ptr<Session>& session);
    // Feeds received bytes: request lines, or the raw content of a file
    // download. False when the client is to be dropped.
    bool feed(const std::shared_ptr<Session>& session);
    void deliver_reports();

    Controller& controller_;
    int listener_ = -1;
    int port_ = 0;
    int wake_read_ = -1, wake_write_ = -1;  // the clock's and stop()'s nudge to the loop
    std::atomic<bool> stopping_{false};
    std::vector<std::shared_ptr<Session>> sessions_;  // the loop's alone
    SimClock::time_point accept_paused_until_{};
    std::mutex mailbox_mutex_;  // held only to add or take reports
    std::vector<Report> mailbox_;
    std::thread clock_;
};

}  // namespace arx::sim
