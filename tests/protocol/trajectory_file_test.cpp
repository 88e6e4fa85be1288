// Trajectory-file downloads: the announcement, ten-byte pieces, refusals, other commands meanwhile.
#include "kinematics/state.h"
#include "support/command_cases.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <dlfcn.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cmath>
#include <filesystem>
#include <future>
#include <mutex>
#include <utility>

using arx::test::ms_since;
using Clock = std::chrono::steady_clock;

// The sizes of sends with the do-not-route flag (the file's pieces) are noted on their way. WinSock's send cannot be
// interposed: on Windows the content is checked whole.
static std::mutex g_pieces_mutex;
static std::vector<std::size_t> g_pieces;
#ifdef _WIN32
constexpr bool kSeesPieces = false;
#else
constexpr bool kSeesPieces = true;
extern "C" ssize_t send(int fd, const void* data, size_t length, int flags) {
    using Send = ssize_t (*)(int, const void*, size_t, int);
    static const Send next = reinterpret_cast<Send>(dlsym(RTLD_NEXT, "send"));
    if (flags & MSG_DONTROUTE) {
        std::lock_guard<std::mutex> lock(g_pieces_mutex);
        g_pieces.push_back(length);
    }
    return next(fd, data, length, flags);
}
#endif
static std::vector<std::size_t> take_pieces() {
    std::lock_guard<std::mutex> lock(g_pieces_mutex);
    return std::exchange(g_pieces, {});
}
const std::string kAccepted = R"({"command":"run_project","project_state":true})";
const std::string kVerdictTrue = R"({"command":"download_project","project_state":true})";

// `n` bytes of text ending in a line feed: the fake's line framing starts afresh after each file.
static std::string text_of(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i + 1 < n; ++i) s += static_cast<char>('a' + i % 26);
    return n ? s + "\n" : s;
}

static std::string announcement(std::size_t size, const std::string& escaped_name) {
    return R"({"command":"run_project","file_size":)" + std::to_string(size) + R"(,"plan_speed":50,"project_name":")" +
           escaped_name + "\"}\r\n";
}

class TrajectoryFile : public arx::test::ControllerTest {
protected:
    // A file named without a folder lands in the working directory: the test's own folder.
    void SetUp() override {
        ControllerTest::SetUp();
        std::error_code error;
        std::filesystem::current_path(dir, error);
        ASSERT_FALSE(error) << error.message();
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::current_path(working_dir, ignored);
        ControllerTest::TearDown();
    }
    // A file in the test's folder; `here`: named by `name` alone, relative to the working directory.
    std::string file(const std::string& name, const std::string& bytes, bool here = false) {
        const std::string path = folder.write(name, bytes);
        return here ? name : path;
    }
    int send_file(std::string path, int length = -2) {
        return Send_TrajectoryFile(h, path.data(), length == -2 ? static_cast<int>(path.size()) : length, 50);
    }
    // Waits until `n` bytes have reached the fake on the first connection (ten thousand sends take seconds under Wine).
    bool wait_raw(std::size_t n) const { return arx::test::wait_until([&] { return fc.raw_of(0).size() >= n; }, 10000); }
    arx::test::TempFolder folder;  // removed with everything in it after TearDown
    const std::string dir = folder.path();
    const std::filesystem::path working_dir = std::filesystem::current_path();
};

TEST_F(TrajectoryFile, RefusalsSendNothingAndLeaveTheConnectionFree) {
    const std::string good = file("pick.txt", text_of(25));
    const std::pair<std::function<int()>, int> cases[] = {
        {[&] { return Send_TrajectoryFile(h, nullptr, 4, 50); }, 19},
        {[&] { return send_file(good, 301); }, 15},
        {[&] { return send_file("pick.txt"); }, 16},  // no separator
        {[&] { return send_file(dir + "/missing.txt"); }, 17},
        {[&] { return send_file(file("zero.txt", std::string("\0abc", 4))); }, 17},
        {[&] { return send_file(file(std::string(240, 'n'), text_of(5))); }, 15},  // the name does not fit the line
    };
    for (const auto& [call, rc] : cases) {
        SCOPED_TRACE(rc);
        fc.clear();
        EXPECT_EQ(call(), rc);
        EXPECT_EQ(fc.raw_of(0), "");
        EXPECT_EQ(Move_Stop_Cmd(h, false), 0);  // the transfer state was cleared
        ASSERT_TRUE(fc.wait_lines(1));
    }
}

// The announcement, the text in ten-byte pieces, the controller's verdict; no content after a refused announcement.
TEST_F(TrajectoryFile, AnnouncesSendsTenBytePiecesAndTakesTheVerdict) {
    const std::string big = text_of(102400) + text_of(100);  // the cut falls after a line feed
    const std::string prefix = dir.substr(dir.rfind('/') + 1);
    const std::string verdict = file("v.txt", text_of(15)), refused = R"({"command":"run_project","project_state":false})";
    const std::string verdict_is = R"({"command":"download_project","project_state":)";
    struct Case {
        std::string path;
        int length;
        std::string announced, content;
        std::vector<std::size_t> pieces;
        std::string accept = kAccepted, verdict = kVerdictTrue;
        int rc = 0;
    };
    const Case cases[] = {
        {file("pick.txt", text_of(25)), -2, announcement(25, "pick.txt"), text_of(25), {10, 10, 5}},
        {file("z.txt", text_of(40) + '\0' + text_of(19)), -2, announcement(40, "z.txt"), text_of(40), {10, 10, 10, 10}},
        {file("big.txt", big), -2, announcement(102400, "big.txt"), big.substr(0, 102400), std::vector<std::size_t>(10240, 10)},
#ifndef _WIN32  // names that are paths, or not allowed, on Windows
        {file("D:\\data\\pick.txt", text_of(3), /*here=*/true), -2, announcement(3, "pick.txt"), text_of(3), {3}},
        // A quote or backslash in the name stays text: the line is valid JSON with four members.
        {file("we\"ird\\name.txt", text_of(11)), -2, announcement(11, R"(we\"ird\\name.txt)"), text_of(11), {10, 1}},
#endif
        // Only the counted prefix of the path names the project; the whole path is opened.
        {file("sub.txt", text_of(12)), static_cast<int>(dir.size()), announcement(12, prefix), text_of(12), {10, 2}},
        {verdict, -2, announcement(15, "v.txt"), "", {}, refused, "", 16},
        {verdict, -2, announcement(15, "v.txt"), text_of(15), {10, 5}, kAccepted, verdict_is + "false}", 16},
        {verdict, -2, announcement(15, "v.txt"), text_of(15), {10, 5}, kAccepted, verdict_is + "2}", 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.announced + c.verdict);
        fc.clear();
        fc.on("run_project", c.accept);
        take_pieces();
        auto transfer = std::async(std::launch::async, [&] { return send_file(c.path, c.length); });
        if (!c.verdict.empty()) {
            ASSERT_TRUE(wait_raw(c.announced.size() + c.content.size()));
            fc.push_line(c.verdict);
        }
        EXPECT_EQ(transfer.get(), c.rc);
        EXPECT_TRUE(fc.raw_of(0) == c.announced + c.content) << fc.raw_of(0).substr(0, 200);
        if (kSeesPieces) { EXPECT_EQ(take_pieces(), c.pieces); }
    }
    fc.on("run_project", kAccepted);  // no verdict: the reply timeout and 7 ms more
    const auto start = Clock::now();
    EXPECT_EQ(send_file(verdict), 7);
    EXPECT_GE(ms_since(start), 3007);
    EXPECT_LT(ms_since(start), 3400);
}

// Of two transfers started together one runs; meanwhile its connection carries nothing else (refused first, before
// the value and null checks and the pause, storing nothing), another is not held up.
TEST_F(TrajectoryFile, OnlyOneTransferAndOnlyItsConnectionIsBusy) {
    const SOCKHANDLE other = arx::test::connect_to(fc);
    setAngle(1, 2, 3);
    const std::string path = file("busy.txt", text_of(30));
    fc.on("run_project", kAccepted);
    fc.on("set_arm_stop", R"({"command":"set_arm_stop","arm_stop":true})");
    fc.clear();
    auto first = std::async(std::launch::async, [&] { return send_file(path); });
    auto second = std::async(std::launch::async, [&] { return send_file(path); });
    ASSERT_TRUE(wait_raw(announcement(30, "busy.txt").size() + 30));
    const float joints[6] = {};
    const auto start = Clock::now();
    EXPECT_EQ(Move_Stop_Cmd(h, true), 18);
    EXPECT_EQ(Movej_CANFD(h, joints), 18);
    EXPECT_EQ(Arm_Socket_State(h), 18);
    EXPECT_EQ(Set_Joint_Speed(h, 1, std::nanf(""), true), 18);
    EXPECT_EQ(Get_Joint_Speed(h, nullptr), 18);
    EXPECT_EQ(Set_Install_Pose(h, 0, 0, 90, false), 18);
    EXPECT_LT(ms_since(start), 20);
    EXPECT_FLOAT_EQ(arx::kin::kinematic_state().install[2], static_cast<float>(3 * 3.1415926 / 180));
    EXPECT_EQ(Move_Stop_Cmd(other, true), 0);
    fc.push_line(kVerdictTrue);
    EXPECT_EQ(std::minmax({first.get(), second.get()}), std::make_pair(0, 18));  // one ran, the other was refused
    EXPECT_EQ(fc.raw_of(0), announcement(30, "busy.txt") + text_of(30));
    EXPECT_EQ(Move_Stop_Cmd(h, false), 0);
    Arm_Socket_Close(other);
}
