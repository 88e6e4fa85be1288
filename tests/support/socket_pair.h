// A connected TCP pair on loopback, made with the platform layer: the
// library's end and the peer's.
#pragma once

#include "core/platform.h"

namespace arx::test {

struct SocketPair {
    platform::Socket listener, ours = platform::kInvalidSocket, peer = platform::kInvalidSocket;
    SocketPair() {
        int port = 0;
        listener = platform::tcp_listen_loopback(&port);
        ours = platform::tcp_socket();
        if (platform::tcp_connect(ours, "127.0.0.1", port, 1000)) peer = platform::tcp_accept(listener);
    }
    ~SocketPair() {
        for (platform::Socket s : {peer, ours, listener})
            if (s != platform::kInvalidSocket) platform::close_socket(s);
    }
    SocketPair(const SocketPair&) = delete;
    SocketPair& operator=(const SocketPair&) = delete;
    void close_ours() {
        platform::close_socket(ours);
        ours = platform::kInvalidSocket;
    }
};

}  // namespace arx::test
