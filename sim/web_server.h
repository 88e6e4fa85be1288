// arx-sim's viewer: a page on 127.0.0.1 that shows the simulated arm live.
// It runs on its own threads beside the controller's loop and reads the
// controller only through its snapshot; the stream of snapshots is computed
// only while a page listens.
//
//   GET  /          the page (and its scripts, from the folder beside the binary)
//   GET  /state     the snapshot as JSON
//   GET  /events    the snapshot as server-sent events, 30 a second
//   GET  /words     the request words (those a fault can be armed for)
//   POST /stop      stops the arm's motions, as the stop request does
//   POST /fault     word=<request word>&fault=<fault[:ms]>, as --fault
#pragma once

#include "sim/controller.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace arx::sim {

// The snapshot as the page reads it: millimetres and degrees.
std::string state_json(const Snapshot& snapshot);

class WebServer {
public:
    static constexpr auto kEventPeriod = std::chrono::microseconds(1000000 / 30);
    static constexpr auto kCatchUp = 5 * kEventPeriod;  // lateness made up by quicker events
    // Pages streaming at once (the HTTP library serves from a pool of eight threads).
    static constexpr int kMostStreams = 4;

    // Serves the files of `page_folder` and the state of `controller` on
    // 127.0.0.1:`port` (0: a free one). port() is 0 when that failed.
    WebServer(Controller& controller, int port, std::string page_folder);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    int port() const { return port_; }

private:
    void routes();
    // Waits one event period; false once the server stops.
    bool pace(std::chrono::steady_clock::time_point until);

    Controller& controller_;
    std::unique_ptr<httplib::Server> http_;
    int port_ = 0;
    std::thread thread_;
    std::mutex stop_mutex_;
    std::condition_variable stop_signal_;
    bool stopping_ = false;
    std::atomic<int> streams_{0};
};

// The folder of the viewer's files beside the running binary.
std::string default_page_folder();

}  // namespace arx::sim
