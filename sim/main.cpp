// arx-sim: a simulated robot-arm controller on 127.0.0.1 for developing and
// testing without an arm.
//
//   arx-sim [--port N] [--web N] [--model A|B|C1|C2] [--speed F] [--fault word=kind[:ms]]... [--log]
//
// --port 0 picks a free port; the first line on stdout is always
// "listening on 127.0.0.1:<port>". --web N serves the viewer, a page that
// shows the arm live, on 127.0.0.1:N (0: a free port); the second line is then
// "viewer on http://127.0.0.1:<port>/". --speed multiplies every motion's speed.
// --log writes each request and its answers to stderr.
// Faults (per request word, "*" for all): delay:ms, drop, split[:ms], batch,
// refuse, stall, deaf, reset, none. At run time a client sends
// {"command":"sim_fault","word":"movej","fault":"stall"}, and
// {"command":"sim_status"} answers how many motions are still running.
#include "arx_api.h"
#include "kinematics/arm_models.h"
#include "sim/server.h"
#include "sim/web_server.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

arx::sim::Server* g_server = nullptr;

void on_signal(int) {
    if (g_server) g_server->stop();
}

constexpr const char* kUsage =
    "usage: arx-sim [--port N] [--web N] [--model A|B|C1|C2] [--speed F] [--fault word=kind[:ms]]... [--log]\n"
    "  --port N      listen on 127.0.0.1:N (0: a free one; default 8080)\n"
    "  --web N       serve the viewer on http://127.0.0.1:N/ (0: a free port)\n"
    "  --model M     the arm: A, B, C1 or C2 (default A)\n"
    "  --speed F     every motion F times as fast (default 1)\n"
    "  --fault W=K   fault K for request word W (* for all): delay:ms, drop, split[:ms],\n"
    "                batch, refuse, stall, deaf, reset, none\n"
    "  --log         each request and its answers on stderr\n"
    "  --help        this text\n";

int usage(const char* why) {
    std::fprintf(stderr, "arx-sim: %s\n%s", why, kUsage);
    return 2;
}

bool takes_value(const std::string& option) {
    return option == "--port" || option == "--web" || option == "--model" || option == "--speed" || option == "--fault";
}

}  // namespace

int main(int argc, char** argv) {
    int port = 8080;
    int web_port = -1;  // no viewer
    int model = arx::kin::kArmModelA.model;
    double speed = 1;
    bool log = false;
    arx::sim::FaultTable faults;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (option == "--log") {
            log = true;
            continue;
        }
        if (!takes_value(option)) return usage(("unknown option " + option).c_str());
        if (i + 1 >= argc) return usage(("missing value after " + option).c_str());
        const std::string value = argv[++i];
        char* end = nullptr;
        if (option == "--port" || option == "--web") {
            const long number = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || number < 0 || number > 65535) return usage("bad port");
            (option == "--port" ? port : web_port) = static_cast<int>(number);
        } else if (option == "--model") {
            const arx::kin::ArmModelSpec* arm = arx::kin::arm_model_by_name(value);
            if (arm == nullptr) return usage("model must be A, B, C1 or C2");
            model = arm->model;
        } else if (option == "--speed") {
            speed = std::strtod(value.c_str(), &end);
            if (*end || !(speed > 0 && speed <= 1000)) return usage("speed must be a factor above 0");
        } else if (option == "--fault") {
            if (!faults.set(value)) return usage(("bad fault " + value).c_str());
        }
    }

    arx::sim::Controller controller(model, speed, faults);
    controller.log = log;
    controller.keep_log_tail = web_port >= 0;
    arx::sim::Server server(controller, port);
    if (server.port() == 0) {
        std::perror("arx-sim: cannot listen");
        return 1;
    }
    std::printf("listening on 127.0.0.1:%d\n", server.port());
    std::unique_ptr<arx::sim::WebServer> viewer;
    if (web_port >= 0) {
        const std::string folder = arx::sim::default_page_folder();
        viewer = std::make_unique<arx::sim::WebServer>(controller, web_port, folder);
        if (viewer->port() == 0) {
            std::fprintf(stderr, "arx-sim: cannot serve the viewer on port %d from %s\n", web_port, folder.c_str());
            return 1;
        }
        std::printf("viewer on http://127.0.0.1:%d/\n", viewer->port());
    }
    std::fflush(stdout);
    g_server = &server;
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    server.run();
    return 0;
}
