// arx-sim as a child process of a test: started on a free port, stopped when the
// test ends, and asked directly (faults, whether the arm moves) on connections of its own.
#pragma once

#include "arx_api.h"

#include <memory>
#include <string>
#include <vector>

namespace arx::test {

// One connection to a server on 127.0.0.1, kept: requests on it are answered
// in order. A connect that failed leaves socket() at -1 and every answer "".
class LineClient {
public:
    // receive_buffer_bytes > 0: set before the connect (a client that never reads fills it sooner).
    explicit LineClient(int port, int receive_buffer_bytes = 0);
    ~LineClient();
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;

    int socket() const { return socket_; }
    void tell(const std::string& line) const;  // line + CR LF
    // The next `lines` reply lines; those that came within two seconds each.
    std::string ask(const std::string& line, int lines = 1);

private:
    int socket_;
    std::string pending_;
};

class SimProcess {
public:
    // Runs arx-sim --port 0 with `options` and reads the port it prints.
    explicit SimProcess(const std::vector<std::string>& options);
    // Asks it to stop; one that does not within two seconds is killed.
    ~SimProcess();

    int port() const { return port_; }
    int pid() const { return pid_; }
    // One request line on a connection of its own; the reply line, or "".
    std::string ask(const std::string& line) const;
    bool set_fault(const std::string& word, const std::string& fault) const;
    bool wait_idle(int limit_ms = 10000) const;

private:
    int pid_ = -1;
    int port_ = 0;
};

// arx-sim for one model, its moves 20 times faster than on the bench, and the
// library initialised for that model and connected to it.
struct SimConnection {
    void start(const char* model, int code, std::vector<std::string> options = {});
    ~SimConnection() {
        if (ARX_HANDLE_IS_VALID(h)) Arm_Socket_Close(h);
    }
    std::unique_ptr<SimProcess> sim;
    SOCKHANDLE h = 0;
};

}  // namespace arx::test
