#include "core/callback_report.h"

#include <gtest/gtest.h>

#include <vector>

namespace arx::core {
namespace {

struct ReportCase {
    const char* what;
    int kind;
    const char* line;
    int joints;
    int code;
    int err_code;
    std::vector<float> joint;  // all seven
    POSE pose;
    int force;
    int arm_err;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.what; }

const std::vector<float> kNone(7, 0.0f);

class Report : public ::testing::TestWithParam<ReportCase> {};

TEST_P(Report, DecodesIntoCallbackData) {
    const ReportCase& c = GetParam();
    CallbackData d = decode_report(c.kind, 0x1'0000'0021ull, c.line, c.joints);
    EXPECT_EQ(d.socket, 0x21);  // low 32 bits of the handle
    EXPECT_EQ(d.code, c.code);
    EXPECT_EQ(d.err_code, c.err_code);
    EXPECT_EQ(std::vector<float>(d.joint, d.joint + 7), c.joint);
    EXPECT_FLOAT_EQ(d.pose.x, c.pose.x);
    EXPECT_FLOAT_EQ(d.pose.rz, c.pose.rz);
    EXPECT_EQ(d.force, c.force);
    EXPECT_EQ(d.arm_err, c.arm_err);
}

INSTANTIATE_TEST_SUITE_P(
    Core, Report,
    ::testing::Values(
        ReportCase{"joint_state", 168, R"({"state":"joint_state","arm_err":0,"joint":[1.5,2,3,4,5,6,7],"pose":[0.25,0,0,0,0,3]})",
                   6, 1, 0, {1.5f, 2, 3, 4, 5, 6, 0}, {0.25f, 0, 0, 0, 0, 3}, 0, 8},
        ReportCase{"seven_joints", 168, R"({"state":"joint_state","arm_err":0,"joint":[1,2,3,4,5,6,7]})",
                   7, 1, 0, {1, 2, 3, 4, 5, 6, 7}, {}, 0, 8},
        ReportCase{"short_array_reads_zero", 66, R"({"Arm_Err":1,"JOINT":[1,2]})",
                   6, 2, 0, {1, 2, 0, 0, 0, 0, 0}, {}, 0, 8},
        ReportCase{"pose_state_no_arm_err", 66, R"({"state":"pose_state","joint":[1]})",
                   6, 2, 9, kNone, {}, 0, 8},
        ReportCase{"not_json", 168, "joint_state garbage", 6, 1, 9, kNone, {}, 0, 8},
        ReportCase{"force_state", 161, R"({"state":"Force_Position_State","joint":[1,2,3,4,5,6],"arm_err":3,"force":-25})",
                   6, 3, 0, {1, 2, 3, 4, 5, 6, 0}, {}, -2, 3},
        ReportCase{"force_without_extras", 161, R"({"state":"Force_Position_State","joint":[1,2,3,4,5,6,7],"force":19})",
                   7, 3, 0, {1, 2, 3, 4, 5, 6, 7}, {}, 1, 8},
        ReportCase{"force_no_state", 161, R"({"joint":[1,2,3,4,5,6]})", 6, 3, 9, kNone, {}, 0, 8},
        ReportCase{"force_joint_not_array", 161, R"({"state":"Force_Position_State","joint":5})",
                   6, 3, 11, kNone, {}, 0, 8},
        ReportCase{"trailing_text_ignored", 161, R"({"state":1,"joint":[9]} {"x")", 6, 3, 0,
                   {9, 0, 0, 0, 0, 0, 0}, {}, 0, 8}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace arx::core
