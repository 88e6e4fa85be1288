// The connection exports: connect and register, close, and the write probe.
#include "core/connections.h"
#include "core/library.h"
#include "core/platform.h"
#include "core/startup.h"
#include "core/transfer_state.h"
#include "core/transport.h"

#include <atomic>

namespace arx::core {
namespace {

constexpr const char kProbeLine[] = "{\"command\":\"get_joint_max_speed\"}\r\n";

bool supported_model(int model) {
    return model == ARM_MODEL_A || model == ARM_MODEL_B || model == ARM_MODEL_C1 ||
           model == ARM_MODEL_C2;
}

std::atomic<ConnectionStartup> g_startup_override{nullptr};

int connection_startup(SOCKHANDLE handle) {
    ConnectionStartup startup = g_startup_override.load();
    return startup ? startup(handle) : run_connection_startup(handle);
}

void discard(platform::Socket socket) {
    platform::close_socket(socket);
    platform::network_cleanup();
}

}  // namespace

void override_connection_startup(ConnectionStartup startup) { g_startup_override.store(startup); }

}  // namespace arx::core

using namespace arx::core;
namespace platform = arx::platform;

SOCKHANDLE Arm_Socket_Start(char* ip, int port, int recv_timeout) {
    const int model = arm_model();
    if (!supported_model(model)) return ARX_NOT_INITIALISED;
    if (!platform::network_startup()) return ARX_NETWORK_START_FAILED;
    platform::Socket socket = platform::tcp_socket();
    if (socket == platform::kInvalidSocket) {
        platform::network_cleanup();
        return ARX_NETWORK_START_FAILED;
    }
    if (socket > kMaxSocketValue) {
        discard(socket);
        return ARX_NETWORK_START_FAILED;
    }
    platform::set_receive_timeout(socket, recv_timeout);
    if (!platform::tcp_connect(socket, ip, port)) {
        discard(socket);
        return ARX_CONNECT_FAILED;
    }
    // Registered before the first request, so the receive thread already
    // serves the start-up queries' replies.
    if (registry_add(socket, model, recv_timeout) < 0) {
        discard(socket);
        return ARX_NETWORK_START_FAILED;
    }
    if (connection_startup(socket) != 0) {
        registry_close(socket);
        platform::network_cleanup();
        return ARX_START_FAILED_HANDLE;
    }
    return socket;
}

void Arm_Socket_Close(SOCKHANDLE handle) {
    if (handle == 0) return;
    if (registry_close(handle)) platform::network_cleanup();
}

int Arm_Socket_State(SOCKHANDLE handle) {
    if (transfer_active(handle)) return ARX_FILE_TRANSFER_BUSY;
    pause_ms(kCommandPauseMs);
    if (handle == 0) return ARX_CONNECT_FAILED;
    if (!initialised()) return ARX_NOT_INITIALISED;
    return send_line(handle, kProbeLine);
}
