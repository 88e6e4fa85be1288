// The log handler: refusals as warnings, level filter, many threads, the all-state reply at debug, not on stdout.
#include "core/transfer_state.h"
#include "logged.h"
#include "support/command_cases.h"
#include "support/temp_folder.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <thread>
#include <tuple>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

using arx::test::LogLine;
using arx::test::LogRecorder;

namespace {

const float kJoints[7] = {0, 0, 90, 0, 90, 0, 0};

class Log : public arx::test::CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        LogRecorder::take();
    }
    void TearDown() override {
        Arx_Set_Log_Handler(ARX_LOG_DEBUG, nullptr);
        CommandTest::TearDown();
    }
};

TEST_F(Log, RefusedRequestsReachTheHandlerAsWarningsWithNameAndCode) {
    struct Case {
        const char* what;
        std::function<int()> call;
        int rc;
        const char* text;
    };
    const Case cases[] = {
        {"guard: null output", [&] { return Get_Joint_Speed(h, nullptr); }, 19,
         "Get_Joint_Speed: refused before sending: 19 (a required pointer argument is null)"},
        {"a move out of range", [&] { return Movej_Cmd(h, kJoints, 1, 3e6f, true); }, 11,
         "movej: refused before sending: 11 (a reply member has the wrong type or length, or an argument cannot be sent)"},
        {"a bare setting during a download, by its command word",
         [&] {
             const arx::core::TransferClaim transfer(h);
             return Move_Stop_Cmd(h, true);
         },
         18, "set_arm_stop: refused before sending: 18 (a trajectory file upload is in progress)"},
        {"connect with an unsupported model",
         [] {
             Arx_API_Init(99, nullptr);
             const SOCKHANDLE s = Arm_Socket_Start("127.0.0.1", 1, 100);
             Arx_API_Init(ARM_MODEL_A, nullptr);
             return static_cast<int>(s);
         },
         2, "Arm_Socket_Start: refused before sending: 2 (the library is not initialised, or the arm model is not supported)"},
    };
    Arx_Set_Log_Handler(ARX_LOG_WARNING, LogRecorder::handler);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fc.clear();
        EXPECT_EQ(c.call(), c.rc);
        EXPECT_EQ(arx::test::logged(), "2:" + std::string(c.text) + "\n");
        EXPECT_TRUE(fc.lines().empty());
    }
    // A call that goes out logs nothing at this level.
    EXPECT_EQ(Set_Joint_Speed(h, 1, 1.0f, false), 0);
    ASSERT_TRUE(fc.wait_lines(1));
    EXPECT_EQ(arx::test::logged(), "");
}

// Callers on many threads while another thread sets and clears the handler: every line arrives whole and at most once
// per call (ThreadSanitizer checks the rest); with the handler left on, exactly once.
TEST_F(Log, HandlerSetAndCalledFromManyThreadsAtOnce) {
    constexpr int kThreads = 6, kCallsPerThread = 300;
    const auto call_from_threads = [] {
        std::vector<std::thread> callers;
        for (int t = 0; t < kThreads; ++t)
            callers.emplace_back([] {
                for (int i = 0; i < kCallsPerThread; ++i) EXPECT_EQ(Set_Joint_Speed(0, 1, 1.0f, false), ARX_CONNECT_FAILED);
            });
        for (std::thread& c : callers) c.join();
    };
    std::atomic<bool> done{false};
    std::thread toggler([&] {
        for (int i = 0; !done.load(); ++i) Arx_Set_Log_Handler(ARX_LOG_WARNING, i % 2 ? nullptr : LogRecorder::handler);
    });
    call_from_threads();
    done.store(true);
    toggler.join();
    const std::vector<LogLine> toggled = LogRecorder::take();
    EXPECT_LE(toggled.size(), static_cast<std::size_t>(kThreads * kCallsPerThread));
    for (const LogLine& line : toggled) EXPECT_EQ(line.text.rfind("Set_Joint_Speed: refused before sending: 5", 0), 0u);

    Arx_Set_Log_Handler(ARX_LOG_WARNING, LogRecorder::handler);
    call_from_threads();
    EXPECT_EQ(LogRecorder::take().size(), static_cast<std::size_t>(kThreads * kCallsPerThread));
}

// Standard output belongs to the application (a tool that prints JSON, say): the all-state reply goes to the log at
// debug level, whole, also when it does not decode, and never to standard output. The seventh joint's places and the
// unused members stay as they were. The rows run in order: the handler is on again after a null one.
TEST_F(Log, AllStateReplyGoesToTheDebugLogNotStandardOutputAndLevelsFilter) {
    const std::string decodes =
        R"({"state":"arm_all_state","all_state":{"temperature":[1,2,3,4,5,6],"current":[1500,0,0,0,0,-2000],)"
        R"("voltage":[24000,0,0,0,0,0],"en_flag":[1,0,1,0,1,257],"err_flag":[65538,0,0,0,0,3],"sys_err":70000}})";
    // Near the 4096 bytes a reply is kept whole; a raw terminal escape makes it no JSON.
    const std::string long_undecodable = "{\"state\":\"arm_all_state\",\"pad\":\"\x1b[2J" + std::string(3950, 'x') + "\"}";
    struct Case {
        const char* what;
        std::string reply;
        int min_level;
        ArxLogHandler handler;
        int rc;
        bool logged;
    };
    const Case cases[] = {
        {"decodes, debug", decodes, ARX_LOG_DEBUG, LogRecorder::handler, 0, true},
        {"does not decode, long, debug", long_undecodable, ARX_LOG_DEBUG, LogRecorder::handler, ARX_REPLY_NOT_JSON, true},
        {"info filters the debug line", decodes, ARX_LOG_INFO, LogRecorder::handler, 0, false},
        {"above error lets nothing through", decodes, ARX_LOG_ERROR + 1, LogRecorder::handler, 0, false},
        {"null handler: off", decodes, ARX_LOG_DEBUG, nullptr, 0, false},
        {"below debug counts as debug, on again after off", decodes, -7, LogRecorder::handler, 0, true},
    };
    std::vector<std::tuple<int, bool, std::string>> outcomes;  // the result, the untouched places kept, the lines logged
    const arx::test::TempFolder folder;
    std::FILE* capture = std::fopen(folder.file("stdout.txt").c_str(), "wb");
    ASSERT_NE(capture, nullptr);
    // File descriptor 1 itself, so both the C library's stdout and direct writes land in the file; nothing is asserted
    // while it is redirected.
    std::fflush(stdout);
    const int saved_stdout = dup(1);
    ASSERT_GE(dup2(fileno(capture), 1), 0);
    for (const Case& c : cases) {
        fc.on("get_arm_all_state", c.reply);
        Arx_Set_Log_Handler(c.min_level, c.handler);
        JOINT_STATE state, mark;
        std::memset(&state, 'Z', sizeof state);
        mark = state;
        const int rc = Get_Arm_All_State(h, &state);
        outcomes.emplace_back(rc,
                              !std::memcmp(&state, &mark, sizeof state.unused_a + sizeof state.unused_b) &&
                                  !std::memcmp(&state.current[6], &mark.current[6], sizeof(float)),
                              arx::test::logged());
    }
    std::fflush(stdout);
    dup2(saved_stdout, 1);
    close(saved_stdout);
    std::fseek(capture, 0, SEEK_END);
    EXPECT_EQ(std::ftell(capture), 0) << "standard output is the application's";
    std::fclose(capture);

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const auto& [rc, kept, logged] = outcomes[i];
        EXPECT_EQ(rc, cases[i].rc);
        EXPECT_TRUE(kept);
        EXPECT_EQ(logged, cases[i].logged ? "0:all_state:" + cases[i].reply + "\n" : "");
    }
}

}  // namespace
