// The library and connection exports: initialisation, connect with its
// start-up queries, close, and the write probe.
#include "arx_version.h"
#include "core/connections.h"
#include "core/log.h"
#include "kinematics/kinematic_state.h"
#include "kinematics/arm_models.h"
#include "protocol/command.h"
#include "protocol/internals.h"
#include "protocol/reports.h"
#include "protocol/startup.h"

#include <atomic>

namespace arx::protocol {
namespace {

std::atomic<ConnectionStartup> g_startup_override{nullptr};

int connection_startup(SOCKHANDLE handle) {
    ConnectionStartup startup = g_startup_override.load();
    return startup ? startup(handle) : run_connection_startup(handle);
}

// From the project version (CMakeLists.txt), the one place it is written.
char g_version[] = ARX_VERSION_STRING;

}  // namespace

void override_connection_startup(ConnectionStartup startup) { g_startup_override.store(startup); }

}  // namespace arx::protocol

using namespace arx::protocol;
namespace core = arx::core;

int Arx_API_Init(int model, ArxCallback callback) {
    arx::kin::load_arm_model(model);
    core::initialise(model, callback, decode_report);
    return 0;
}

int Arx_API_UnInit(void) {
    core::release_send_queue();
    return 1;
}

char* API_Version(void) { return g_version; }

SOCKHANDLE Arm_Socket_Start(const char* ip, int port, int recv_timeout) {
    // Before Arx_API_Init no thread would read the start-up replies: say so at
    // once instead of connecting and timing out.
    // A model without a record is not supported: the core would not know how
    // many joints the connection's arrays carry.
    const arx::kin::ArmModelSpec* arm = arx::kin::arm_model_spec(core::arm_model());
    if (!core::initialised() || arm == nullptr) {
        log_refused("Arm_Socket_Start", ARX_NOT_INITIALISED);
        return ARX_NOT_INITIALISED;
    }
    const SOCKHANDLE socket = core::open_connection(ip, port, recv_timeout, arm->joints);
    if (socket == ARX_NETWORK_START_FAILED || socket == ARX_CONNECT_FAILED) return socket;
    if (const int rc = connection_startup(socket); rc != 0) {
        core::log(core::LogLevel::Warning, "Arm_Socket_Start: a start-up frame query failed: %d (%s); connection closed",
                  rc, result_text(rc));
        core::close_connection(socket);
        return ARX_START_FAILED_HANDLE;
    }
    return socket;
}

void Arm_Socket_Close(SOCKHANDLE handle) { core::close_connection(handle); }

int Arm_Socket_State(SOCKHANDLE h) {
    ARX_GUARD(h, Transfer, Pause, Handle, Init);
    // The probe's reply matches no pending slot and is discarded.
    return Request("get_joint_max_speed").send(h);
}
