// An application of arx.dll, built like a user's: the header without
// ARX_STATIC (dllimport), linked through the import library. Talks to a small
// controller on loopback through both the C functions and Arx_Service.
#include "arx_api.h"

#include <winsock2.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

int failed = 0, passed = 0;

void check(bool ok, const char* what) {
    ++(ok ? passed : failed);
    if (!ok) std::printf("FAILED: %s\n", what);
}

// Answers the start-up queries and the joint speed query, one line each,
// until the library closes the connection.
void controller(SOCKET listener) {
    const SOCKET s = accept(listener, nullptr, nullptr);
    std::string pending;
    char buffer[512];
    for (int got; (got = recv(s, buffer, sizeof buffer, 0)) > 0;) {
        pending.append(buffer, got);
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            const std::string line = pending.substr(0, end);
            const char* reply = nullptr;
            if (line.find("get_current_tool_frame") != std::string::npos)
                reply = R"({"state":"current_tool_frame","tool_name":"Arm_Tip","pose":[0,0,0,0,0,0],"payload":0,"position":[0,0,0]})";
            else if (line.find("get_current_work_frame") != std::string::npos)
                reply = R"({"state":"current_work_frame","frame_name":"World","pose":[0,0,0,0,0,0]})";
            else if (line.find("get_install_pose") != std::string::npos)
                reply = R"({"state":"install_pose","pose":[0,0,0]})";
            else if (line.find("get_joint_max_speed") != std::string::npos)
                reply = R"({"state":"joint_max_speed","joint_speed":[1000,2000,3000,4000,5000,6000]})";
            if (reply) send(s, (std::string(reply) + "\r\n").c_str(), static_cast<int>(std::strlen(reply) + 2), 0);
        }
    }
    closesocket(s);
}

}  // namespace

int main() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, 4);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);
    char ip[] = "127.0.0.1";

    Arx_Service service;
    check(std::strcmp(API_Version(), "4.0.6") == 0, "version");
    check(Arm_Socket_Start(ip, port, 100) == ARX_NOT_INITIALISED, "start before init: 2");
    check(service.Service_Arx_API_Init(ARM_MODEL_A, nullptr) == 0, "init through the class");

    const float joints[6] = {10, -20, 30, 5, 60, -15};
    const Pose a = Forward_Kinematics(joints), b = service.Service_Forward_Kinematics(joints);
    check(std::memcmp(&a, &b, sizeof a) == 0, "forward kinematics alike");
    float out[7];
    check(service.Service_Inverse_Kinematics(joints, nullptr, out, 0) == ARX_NULL_POINTER, "inverse: 19");

    std::thread peer(controller, listener);
    const SOCKHANDLE h = service.Service_Arm_Socket_Start(ip, port, 200);
    check(h > 5 && h != ARX_START_FAILED_HANDLE, "connect and start-up through the DLL");
    float speed[7] = {};
    check(Get_Joint_Speed(h, speed) == 0 && speed[0] == 1.0f && speed[5] == 6.0f, "query through the function");
    std::memset(speed, 0, sizeof speed);
    check(service.Service_Get_Joint_Speed(h, speed) == 0 && speed[1] == 2.0f, "query through the class");
    check(service.Service_Get_Joint_Speed(h, nullptr) == ARX_NULL_POINTER, "query: 19");
    service.Service_Arm_Socket_Close(h);
    peer.join();
    closesocket(listener);
    // Nobody listens any more: refused.
    check(Arm_Socket_Start(ip, port, 100) == ARX_CONNECT_FAILED, "refused: 5");
    std::printf("dll_client: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
