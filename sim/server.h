// The simulated controller's network side: a listener on 127.0.0.1 and one
// epoll loop that accepts, reads and writes for every client and runs the
// motion clock. No socket call blocks: a client that stops reading holds up
// nobody but itself and is dropped when it takes nothing for a while. The loop
// sleeps until a client sends, a socket has room for what waits, a reply falls
// due or, only while something moves, the clock's 10 ms timer fires: an idle
// simulator does not wake.
#pragma once

#include "sim/controller.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
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
    // Makes the loop look at the controller again: for a change made outside
    // a client's request (a motion started elsewhere needs the clock). Safe
    // from any thread.
    void wake();

private:
    // A connection as the loop sees it, indexed by its socket number.
    struct Client {
        std::shared_ptr<Session> session;
        uint32_t watched = 0;  // the events epoll reports for it now
        bool touched = false;  // to be settled at the end of this turn
    };

    void accept_clients();
    void read_from(const std::shared_ptr<Session>& session);
    // Feeds received bytes: request lines, or the raw content of a file
    // download. False when the client is to be dropped.
    bool feed(const std::shared_ptr<Session>& session);
    void touch(int fd);
    // Writes what is due, ends what has ended, and sets what epoll watches.
    void settle(int fd, SimClock::time_point now);
    void drop(int fd);
    // The motion clock: runs the controller by the time since its last tick.
    void tick(SimClock::time_point now);
    // Arms the clock's timer while something moves, disarms it otherwise.
    void set_clock();
    int wait_ms(SimClock::time_point now) const;
    bool watch(int fd, uint32_t events, int operation);

    Controller& controller_;
    int listener_ = -1;
    int port_ = 0;
    int epoll_ = -1;
    int timer_ = -1;                        // the motion clock, armed only while something moves
    int wake_read_ = -1, wake_write_ = -1;  // stop()'s and wake()'s nudge to the loop
    std::atomic<bool> stopping_{false};
    std::vector<Client> clients_;  // by socket number; the loop's alone
    std::vector<int> touched_;     // sockets to settle this turn
    std::vector<int> turns_;       // sockets with received lines still to answer
    std::vector<int> working_;     // the list being gone through (its capacity kept)
    std::size_t connected_ = 0;    // clients served now
    std::set<int> timed_;          // sockets with a write due later or a peer that takes nothing
    bool listening_ = true;        // the listener watched (not while out of descriptors)
    SimClock::time_point accept_paused_until_{};
    bool clock_running_ = false;
    SimClock::time_point last_tick_{};
};

}  // namespace arx::sim
