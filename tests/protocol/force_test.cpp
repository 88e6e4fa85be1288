// Force sensing: the set-point reports and their places in the table of awaited replies.
#include "core/library.h"
#include "core/pending_table.h"
#include "core/transport.h"
#include "support/command_cases.h"

#include <mutex>
#include <thread>

using arx::test::CommandTest;
using arx::test::list;

namespace {

constexpr float kJoints[7] = {1.0005f, 90, 0, 0, 0, -0.5f, 12.345f};

std::mutex g_mutex;
std::vector<CallbackData> g_reports;
void record(CallbackData data) { std::lock_guard<std::mutex> lock(g_mutex); g_reports.push_back(data); }
std::size_t reports_seen() { std::lock_guard<std::mutex> lock(g_mutex); return g_reports.size(); }
CallbackData report(std::size_t i) { std::lock_guard<std::mutex> lock(g_mutex); return g_reports.at(i); }
bool wait_reports(std::size_t n) { return arx::test::wait_until([n] { return reports_seen() >= n; }, 2000); }
int pending_slots() {
    std::lock_guard<arx::platform::Mutex> lock(arx::core::library_mutex());
    return arx::core::pending_table().count();
}
}  // namespace

using Force = CommandTest;  // its SetUp starts the library again without a callback

// Each set-point asks for one state report; the next report on the connection reaches the callback once, decoded.
// Without a callback the report still frees its set-point's place: a later report finds no set-point waiting.
TEST_F(Force, SetPointReportsReachTheCallbackOnce) {
    const std::size_t before = reports_seen();
    ASSERT_EQ(Force_Position_Move_Joint(h, kJoints, 1, 0, 2, 1.0f), 0);
    ASSERT_TRUE(fc.wait_lines(1));
    fc.push_line(R"({"state":"Force_Position_State","joint":[1,2,3,4,5,6],"force":99,"arm_err":1})");
    ASSERT_TRUE(arx::test::wait_until([] { return pending_slots() == 0; }, 2000));

    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, record), 0);
    fc.push_line(R"({"state":"Force_Position_State","joint":[0,0,0,0,0,0],"force":1})");  // no set-point awaits it
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(reports_seen(), before);
    ASSERT_EQ(Force_Position_Move_Joint(h, kJoints, 1, 0, 2, 1.0f), 0);
    fc.push_line(R"({"state":"Force_Position_State","joint":[1.5,-2,0,0,0,90],"force":-127,"arm_err":4})");
    ASSERT_TRUE(wait_reports(before + 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(reports_seen(), before + 1);
    const CallbackData d = report(before);
    EXPECT_EQ(std::vector<int>({d.socket, d.code, d.err_code, d.force, d.arm_err}),
              std::vector<int>({static_cast<int>(h), 3, 0, -12, 4}));
    EXPECT_EQ(list(d.joint, 7), "1.5,-2,0,0,0,90,0");

    // Members of the wrong type are not read as zeros.
    ASSERT_EQ(Force_Position_Move_Joint(h, kJoints, 1, 0, 2, 1.0f), 0);
    fc.push_line(R"({"state":"Force_Position_State","joint":[1,2,3,4,5,6],"force":"55","arm_err":"ok"})");
    ASSERT_TRUE(wait_reports(before + 2));
    const CallbackData e = report(before + 1);
    EXPECT_EQ(std::vector<int>({e.err_code, e.force, e.arm_err}), std::vector<int>({0, 0, 8}));
}

const char kForceReport[] = R"({"state":"Force_Position_State","joint":[0,0,0,0,0,0]})";

// Unanswered set-points fill only their connection's share of the table of awaited replies: the next is refused unsent,
// while the connection's other commands and other connections carry on; reports free the places again.
TEST_F(Force, UnansweredSetPointsFillOnlyTheirConnectionsShare) {
    const POSE pose{};
    for (int i = 0; i < arx::core::kCallbackSlotsPerConnection; ++i)
        ASSERT_EQ(Force_Position_Move_POSE(h, pose, 0, 0, 0, 0), 0) << i;
    ASSERT_TRUE(fc.wait_lines(arx::core::kCallbackSlotsPerConnection));
    EXPECT_EQ(Force_Position_Move_POSE(h, pose, 0, 0, 0, 0), ARX_PENDING_TABLE_FULL);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(fc.lines().size(), static_cast<std::size_t>(arx::core::kCallbackSlotsPerConnection));
    fc.on("get_Fz", R"({"state":"get_Fz","set_state":true,"Fz":2})");
    EXPECT_EQ(Get_Fz(h, &f[0]), 0);
    const SOCKHANDLE second = arx::test::connect_to(fc);
    ASSERT_TRUE(ARX_HANDLE_IS_VALID(second));
    EXPECT_EQ(Force_Position_Move_POSE(second, pose, 0, 0, 0, 0), 0);
    Arm_Socket_Close(second);

    const std::size_t before = reports_seen();
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, record), 0);
    std::string all = kForceReport;
    for (int i = 1; i < arx::core::kCallbackSlotsPerConnection; ++i) all += std::string("\r\n") + kForceReport;
    fc.push_line(all);
    ASSERT_TRUE(wait_reports(before + arx::core::kCallbackSlotsPerConnection));
    EXPECT_EQ(Force_Position_Move_POSE(h, pose, 0, 0, 0, 0), 0);
}

TEST_F(Force, ClosedConnectionsLeaveTheTableEmpty) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, record), 0);
    const POSE pose{};
    std::vector<SOCKHANDLE> arms;
    for (int c = 0; c < 9; ++c) {
        arms.push_back(arx::test::connect_to(fc));
        ASSERT_TRUE(ARX_HANDLE_IS_VALID(arms.back()));
    }
    for (SOCKHANDLE arm : arms) {
        for (int i = 0; i < 250; ++i) {
            const int rc = Force_Position_Move_POSE(arm, pose, 0, 0, 0, 0);
            ASSERT_TRUE(rc == 0 || rc == ARX_PENDING_TABLE_FULL) << rc;
        }
    }
    EXPECT_EQ(pending_slots(), arx::core::kPendingSlots);
    for (SOCKHANDLE arm : arms) Arm_Socket_Close(arm);
    Arm_Socket_Close(h);
    EXPECT_EQ(pending_slots(), 0);
    const SOCKHANDLE fresh = arx::test::connect_to(fc);
    ASSERT_TRUE(ARX_HANDLE_IS_VALID(fresh));
    std::vector<arx::core::SlotRef> waits;
    for (int i = 0; i < arx::core::kPendingSlots; ++i) {
        auto slot = arx::core::register_slot(fresh, arx::core::Kind::JointDegree, true);
        ASSERT_TRUE(slot) << i;
        waits.push_back(*slot);
    }
    for (arx::core::SlotRef slot : waits) arx::core::remove_slot(slot);
    Arm_Socket_Close(fresh);
}
