// One streaming joint set-point (Movej_CANFD) on a loopback connection. The
// peer answers the connection's start-up queries and then reads and discards
// everything, as a controller taking set-points would.
#include "arx_api.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

const char* start_up_answer(const std::string& line) {
    if (line.find("get_current_tool_frame") != std::string::npos)
        return "{\"state\":\"current_tool_frame\",\"tool_name\":\"tip\",\"pose\":[0,0,0,0,0,0],\"payload\":0,\"position\":[0,0,0]}\r\n";
    if (line.find("get_current_work_frame") != std::string::npos)
        return "{\"state\":\"current_work_frame\",\"frame_name\":\"World\",\"pose\":[0,0,0,0,0,0]}\r\n";
    if (line.find("get_install_pose") != std::string::npos) return "{\"state\":\"install_pose\",\"pose\":[0,0,0]}\r\n";
    return nullptr;
}

// Accepts one connection; answers start-up queries, discards the rest until the library closes.
void serve(int listener) {
    const int fd = accept(listener, nullptr, nullptr);
    std::string pending;
    char buffer[65536];
    for (long got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        if (pending.size() > 4096) pending.clear();  // set-points: nothing to answer
        pending.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
            if (const char* answer = start_up_answer(pending.substr(0, end))) send(fd, answer, std::strlen(answer), 0);
    }
    close(fd);
}

SOCKHANDLE g_arm = 0;

void BM_MovejCanfd(benchmark::State& state) {
    const float joint[6] = {0.5f, -12.25f, 90, 0, 45.125f, -180};
    for (auto _ : state) benchmark::DoNotOptimize(Movej_CANFD(g_arm, joint));
}
BENCHMARK(BM_MovejCanfd)->Name("streaming_set_point/Movej_CANFD/arx");

}  // namespace

int main(int argc, char** argv) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 1;
    std::thread peer(serve, listener);
    Arx_API_Init(ARM_MODEL_A, nullptr);
    char ip[] = "127.0.0.1";
    g_arm = Arm_Socket_Start(ip, ntohs(address.sin_port), 1000);
    if (g_arm <= 5 || g_arm == ARX_START_FAILED_HANDLE) {
        std::fprintf(stderr, "connection failed: %llu\n", static_cast<unsigned long long>(g_arm));
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Arm_Socket_Close(g_arm);
    peer.join();
    close(listener);
    return 0;
}
