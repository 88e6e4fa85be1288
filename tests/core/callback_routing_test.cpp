// Pushed reports reaching the application callback through callback-mode slots.
#include "core/library.h"
#include "core/pending_table.h"
#include "core/transport.h"
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace arx::test {
namespace {

constexpr int kForcePositionState = 161;
const char kStartLine[] = "{\"command\":\"Start_Force_Position_Move\"}\r\n";
const char kReport[] = R"({"state":"Force_Position_State","joint":[1,2,3,4,5,6],"force":123,"arm_err":0})";

struct Reports {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<CallbackData> seen;

    bool wait(std::size_t n, int timeout_ms = 1000) {
        std::unique_lock<std::mutex> lock(mutex);
        return arrived.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return seen.size() >= n; });
    }
    std::size_t count() {
        std::lock_guard<std::mutex> lock(mutex);
        return seen.size();
    }
};

Reports& reports() {
    static Reports r;
    return r;
}

void on_report(CallbackData data) {
    std::lock_guard<std::mutex> lock(reports().mutex);
    reports().seen.push_back(data);
    reports().arrived.notify_all();
}

int pending_count() {
    std::lock_guard<platform::Mutex> lock(core::library_mutex());
    return core::pending_table().count();
}

class CallbackRouting : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, on_report), 0);
    }
};

TEST_F(CallbackRouting, ReportIsDecodedAndDeliveredOnce) {
    fc.on("Start_Force_Position_Move", kReport);
    ASSERT_EQ(core::request_callback(h, kStartLine, kForcePositionState), 0);
    ASSERT_TRUE(reports().wait(1));
    const CallbackData& d = reports().seen[0];
    EXPECT_EQ(d.socket, static_cast<int32_t>(h));
    EXPECT_EQ(d.code, 3);
    EXPECT_EQ(d.err_code, 0);
    EXPECT_EQ(d.force, 12);
    EXPECT_EQ(d.arm_err, 0);
    EXPECT_FLOAT_EQ(d.joint[5], 6.0f);
    EXPECT_EQ(pending_count(), 0);
}

// One report, two callback-mode slots: only the earliest gets it.
TEST_F(CallbackRouting, EachReportReachesExactlyOneSlot) {
    ASSERT_EQ(core::request_callback(h, kStartLine, kForcePositionState), 0);
    ASSERT_EQ(core::request_callback(h, kStartLine, kForcePositionState), 0);
    ASSERT_TRUE(fc.wait_lines(2));
    fc.push_line(kReport);
    ASSERT_TRUE(reports().wait(1));
    core::pause_ms(50);
    EXPECT_EQ(reports().count(), 1u);
    EXPECT_EQ(pending_count(), 1);
    fc.push_line(R"({"state":"Force_Position_State"})");  // no joint array: 11
    ASSERT_TRUE(reports().wait(2));
    EXPECT_EQ(reports().seen[1].err_code, ARX_TYPE_ERROR);
    EXPECT_EQ(pending_count(), 0);
}

TEST_F(CallbackRouting, WithoutCallbackTheReportIsDroppedAndTheSlotStays) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    ASSERT_EQ(core::request_callback(h, kStartLine, kForcePositionState), 0);
    fc.push_line(kReport);
    core::pause_ms(60);
    EXPECT_EQ(reports().count(), 0u);
    EXPECT_EQ(pending_count(), 1);
}

TEST_F(CallbackRouting, ReportOnAnotherConnectionIsNotDelivered) {
    FakeController other;
    SOCKHANDLE h2 = connect_to(other);
    ASSERT_GT(h2, 5u);
    ASSERT_EQ(core::request_callback(h, kStartLine, kForcePositionState), 0);
    other.push_line(kReport);
    core::pause_ms(60);
    EXPECT_EQ(reports().count(), 0u);
    fc.push_line(kReport);
    EXPECT_TRUE(reports().wait(1));
    Arm_Socket_Close(h2);
}

// Kinds that are not reports never reach the callback, even on a callback-mode slot.
TEST_F(CallbackRouting, OtherKindsSkipCallbackSlots) {
    ASSERT_EQ(core::request_callback(h, "{\"command\":\"movej\"}\r\n", 64), 0);
    fc.push_line(R"({"state":"current_trajectory_state","trajectory_state":true})");
    core::pause_ms(60);
    EXPECT_EQ(reports().count(), 0u);
    EXPECT_EQ(pending_count(), 1);
}

TEST_F(CallbackRouting, PushedJointStateReportsSevenJointsOnSevenJointArm) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_B, on_report), 0);
    SOCKHANDLE h7 = connect_to(fc);
    ASSERT_GT(h7, 5u);
    ASSERT_EQ(core::request_callback(h7, "{\"command\":\"x\"}\r\n", 168), 0);
    ASSERT_TRUE(fc.wait_lines(1));
    fc.push_line(R"({"state":"joint_state","arm_err":0,"joint":[1,2,3,4,5,6,7]})", 1);
    ASSERT_TRUE(reports().wait(1));
    EXPECT_EQ(reports().seen[0].code, 1);
    EXPECT_FLOAT_EQ(reports().seen[0].joint[6], 7.0f);
    Arm_Socket_Close(h7);
}

}  // namespace
}  // namespace arx::test
