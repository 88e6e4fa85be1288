// Sweep rows: the kinematics. Pure computation on the process-wide kinematic
// state: nothing is sent; each row records what it computed. Rows that change
// the model, install angles or end link restore them.
#include "support/sweep.h"

namespace arx::test {
namespace {

constexpr float kHalfPi = 1.5707963f;
const float kZero[7] = {};
const float kBent[7] = {10, -20, 30, -40, 50, -60, 0};  // degrees

std::string pose_text(const Pose& p) { return rounded(&p.x, 3) + "|" + rounded(&p.euler.rx, 3); }
std::string matrix_text(const Matrix& m) { return rounded(&m.data[0][0], 16); }

Pose pose(float x, float y, float z, float rx, float ry, float rz) {
    return {x, y, z, euler2quaternion({rx, ry, rz}), {rx, ry, rz}};
}

// Joint angles back from the pose of kBent, starting from joints near it.
int inverse_of_bent(SOCKHANDLE) {
    const Pose target = Forward_Kinematics(kBent);
    float near[7] = {12, -18, 28, -41, 52, -58, 0};
    float out[7] = {};
    const int rc = inverse_kinematics(near, &target, out, 1);
    got(rounded(out, 6, 2));
    return rc;
}

// clang-format off
const SweepTable kKinematics("kinematics", {
    {"Init_Sys_Data", "another model's geometry", [](SOCKHANDLE) { Init_Sys_Data(ARM_MODEL_C1); Pose p = Forward_Kinematics(kZero); Init_Sys_Data(ARM_MODEL_A); got(pose_text(p)); return 0; }, nullptr, nullptr, 0, "0.0102,-0.155,1.072|0,0,0"},
    {"setAngle", "install angles turn the base", [](SOCKHANDLE) { setAngle(0, 0, 90); Pose p = Forward_Kinematics(kZero); setAngle(0, 0, 0); got(pose_text(p)); return 0; }, nullptr, nullptr, 0, "0,0,0.8505|0,0,-1.5708"},
    {"setLwt", "end-link variant 1", [](SOCKHANDLE) { setLwt(1); Pose p = Forward_Kinematics(kZero); setLwt(0); got(pose_text(p)); return 0; }, nullptr, nullptr, 0, "0,0,0.8585|0,0,3.1416"},
    {"Forward_Kinematics", "zero joints", [](SOCKHANDLE) { got(pose_text(Forward_Kinematics(kZero))); return 0; }, nullptr, nullptr, 0, "0,0,0.8505|0,0,3.1416"},
    {"Forward_Kinematics", "bent joints", [](SOCKHANDLE) { got(pose_text(Forward_Kinematics(kBent))); return 0; }, nullptr, nullptr, 0, "-0.0598,0.0615,0.7644|-0.9749,0.3292,1.341"},
    {"Forward_Kinematics", "null pointer: the zero pose", [](SOCKHANDLE) { got(pose_text(Forward_Kinematics(nullptr))); return 0; }, nullptr, nullptr, 0, "0,0,0|0,0,0"},
    {"inverse_kinematics", "solved, the joints come back", inverse_of_bent, nullptr, nullptr, 1, "10,-20,30,-40,50,-60"},
    {"inverse_kinematics", "null pointer", [](SOCKHANDLE) { float out[7]; return inverse_kinematics(kZero, nullptr, out, 1); }, nullptr, nullptr, ARX_NULL_POINTER},
    {"pos2matrix", "", [](SOCKHANDLE) { got(matrix_text(pos2matrix(pose(1, 2, 3, 0, 0, kHalfPi)))); return 0; }, nullptr, nullptr, 0, "0,-1,0,1,1,0,0,2,0,0,1,3,0,0,0,1"},
    {"matrix2pos", "", [](SOCKHANDLE) { got(pose_text(matrix2pos(pos2matrix(pose(1, 2, 3, 0.1f, -0.2f, 0.3f))))); return 0; }, nullptr, nullptr, 0, "1,2,3|0.1,-0.2,0.3"},
    {"euler2matrix", "", [](SOCKHANDLE) { got(matrix_text(euler2matrix(eul{kHalfPi, 0, 0}))); return 0; }, nullptr, nullptr, 0, "1,0,0,0,0,0,-1,0,0,1,0,0,0,0,0,0"},
    {"euler2quaternion", "", [](SOCKHANDLE) { ort q = euler2quaternion(eul{0, 0, kHalfPi}); got(rounded(&q.w, 4)); return 0; }, nullptr, nullptr, 0, "0.7071,0,0,0.7071"},
    {"quaternion2euler", "", [](SOCKHANDLE) { eul e = quaternion2euler(ort{0.96891242f, 0, 0.24740396f, 0}); got(rounded(&e.rx, 3)); return 0; }, nullptr, nullptr, 0, "0,0.5,0"},
    {"Base_To_WorkFrame", "", [](SOCKHANDLE) { got(pose_text(Base_To_WorkFrame(pos2matrix(pose(1, 0, 0, 0, 0, kHalfPi)), pose(1, 1, 0, 0, 0, 0)))); return 0; }, nullptr, nullptr, 0, "1,0,0|0,0,-1.5708"},
    {"Base_To_WorkFrame", "singular work matrix: the zero pose", [](SOCKHANDLE) { got(pose_text(Base_To_WorkFrame(Matrix{4, 4, {}}, pose(1, 1, 0, 0, 0, 0)))); return 0; }, nullptr, nullptr, 0, "0,0,0|0,0,0"},
    {"WorkFrame_To_Base", "", [](SOCKHANDLE) { got(pose_text(WorkFrame_To_Base(pos2matrix(pose(1, 0, 0, 0, 0, kHalfPi)), pose(1, 0, 0, 0, 0, 0)))); return 0; }, nullptr, nullptr, 0, "1,1,0|0,0,1.5708"},
    {"end2tool", "", [](SOCKHANDLE) { got(pose_text(end2tool(pose(0.3f, 0, 0.4f, 0, 0, 0), pose(0, 0, 0.1f, 0, 0, 0), pose(0, 0, 0, 0, 0, 0)))); return 0; }, nullptr, nullptr, 0, "0.3,0,0.5|0,0,0"},
    {"tool2end", "", [](SOCKHANDLE) { got(pose_text(tool2end(pose(0.3f, 0, 0.5f, 0, 0, 0), pose(0, 0, 0.1f, 0, 0, 0), pose(0, 0, 0, 0, 0, 0)))); return 0; }, nullptr, nullptr, 0, "0.3,0,0.4|0,0,0"},
    {"Cartesian_Tool", "", [](SOCKHANDLE) { got(pose_text(Cartesian_Tool(kBent, 0, 0, 0.05f, 0))); return 0; }, nullptr, nullptr, 0, "-0.098,0.0797,0.7909|-0.9749,0.3292,1.341"},
    {"Arx_IK_Result_Text", "six joints: joint 3", [](SOCKHANDLE) { got(Arx_IK_Result_Text(-5)); return 0; }, nullptr, nullptr, 0, "joint 3 is beyond its limit"},
    {"Arx_IK_Result_Text", "seven joints: joint 1", [](SOCKHANDLE) { Init_Sys_Data(ARM_MODEL_B); const char* text = Arx_IK_Result_Text(-5); Init_Sys_Data(ARM_MODEL_A); got(text); return 0; }, nullptr, nullptr, 0, "joint 1 is beyond its limit"},
    {"Arx_Arm_Model_From_Name", "", [](SOCKHANDLE) { got(std::to_string(Arx_Arm_Model_From_Name("C1"))); return 0; }, nullptr, nullptr, 0, "2"},
    {"Arx_Arm_Model_From_Name", "lower case is no name", [](SOCKHANDLE) { got(std::to_string(Arx_Arm_Model_From_Name("b"))); return 0; }, nullptr, nullptr, 0, "-1"},
    {"Arx_Arm_Model_Name", "", [](SOCKHANDLE) { got(Arx_Arm_Model_Name(ARM_MODEL_B)); return 0; }, nullptr, nullptr, 0, "B"},
    {"Arx_Arm_Model_Name", "unknown code: null", [](SOCKHANDLE) { got(Arx_Arm_Model_Name(4) ? "name" : "null"); return 0; }, nullptr, nullptr, 0, "null"},
    {"RotateMove", "", [](SOCKHANDLE) { got(pose_text(RotateMove(kBent, 2, 0.1f, pose(0, 0, 0, 0, 0, 0)))); return 0; }, nullptr, nullptr, 0, "-0.0598,0.0615,0.7644|-0.9731,0.3296,1.3416"},
});

}  // namespace
}  // namespace arx::test
