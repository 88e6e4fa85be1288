// The four arm models, one record each: everything that makes one model differ
// from another. The kinematics, the protocol layer, the simulator, the
// examples (through Arx_Arm_Model_From_Name) and the tests read these records
// instead of testing for a model; adding a model is one record here, plus a
// solver family if its geometry is new.
//
// Chains use the modified Denavit-Hartenberg convention: joint i contributes
// RotX(alpha) * TransX(a) * RotZ(theta) * TransZ(d), with theta = joint angle +
// offset. The last link's d is the end-link length, chosen separately (setLwt).
#pragma once

#include <string_view>

#include "arx_api.h"

namespace arx::kin {

constexpr int kMaxJoints = 7;

struct Link {
    int alpha_deg;     // 0, +90 or -90
    float a;           // metres
    float d;           // metres (the last link takes the end-link length)
    float offset_deg;  // theta = joint angle + offset
};

struct Range {
    float min, max;
    constexpr bool contains(double v) const { return v >= min && v <= max; }
    constexpr bool strictly_contains(double v) const { return v > min && v < max; }
};

// How inverse_kinematics solves a model's chain.
enum class SolverFamily {
    // Spherical wrist, six joints: the best of eight closed-form candidates
    // inside the windows. A current joint just past a limit counts as on it.
    SixAxisClosedForm,
    // Seven joints: joint 3 held at the seed's value (scanned when that fails),
    // no joint moving more than a step from the current ones unless flag 2.
    SevenAxisHeldJoint,
};

// The codes inverse_kinematics returns beside 1 (solved), per solver family.
struct IkCodes {
    int no_solution;         // nothing reaches (six-axis), or nothing near the current joints (seven-axis)
    int first_joint_limit;   // joint 1 beyond its limit; joint i gives first_joint_limit - (i - 1)
    int wrist_out_of_reach;  // the wrist point is out of reach; 0: the family never says so
};

struct ArmModelSpec {
    int model;         // its ArmModel code (include/arx_api.h)
    const char* name;  // "A", "B", "C1", "C2": what arm_model_by_name reads
    int joints;        // 6 or 7: the per-joint arrays of a connection, both ways

    // Geometry.
    Link link[kMaxJoints];
    float end_link[3];  // variants 0, 1, 2 (metres); Init_Sys_Data loads 0

    // Joint limits, degrees, checked on every inverse kinematics result.
    Range limit_deg[kMaxJoints];
    // Theta windows, radians, used while choosing among candidate solutions.
    Range window[kMaxJoints];

    SolverFamily solver;
    IkCodes ik;

    // At an aligned wrist (middle wrist joint near 0) only the sum of the outer
    // wrist joints is determined: split it so that their difference keeps its
    // current value, instead of putting all of it on the last joint.
    bool splits_aligned_wrist;
    // Forward kinematics set the rotation entries read by the Euler extraction
    // to 0 when below 1e-6, so that round-off does not flip an atan2 quadrant.
    bool snaps_rotation;
    // Forward kinematics compute the quaternion from the Euler angles after
    // they are wrapped (an angle below -3.13 one turn higher), not before.
    bool quaternion_of_wrapped_euler;
    // Init_Sys_Data resets the tool frame to the identity and the install
    // angles about x and y to 0. The C family's controller reports its tool
    // frame and mounting at connect, so its records keep whatever stands.
    bool resets_frames_on_init;
    // Values of Set_Arm_Dynamic_Parm's request: two per joint, and two more.
    int dynamic_parameters;
};

constexpr IkCodes kSixAxisCodes{-9, -3, 0};
constexpr IkCodes kSevenAxisCodes{-3, -5, -1};

// clang-format off
inline constexpr ArmModelSpec kArmModels[] = {
    {ARM_MODEL_A, "A", 6,
     {{0, 0.0f, 0.2405f, 0.0f}, {90, 0.0f, 0.0f, 90.0f}, {0, 0.256f, 0.0f, 90.0f},
      {90, 0.0f, 0.21f, 0.0f}, {-90, 0.0f, 0.0f, 0.0f}, {90, 0.0f, 0.0f, 0.0f}},
     {0.144f, 0.152f, 0.1725f},
     {{-180, 180}, {-130, 130}, {-135, 135}, {-180, 180}, {-128, 128}, {-360, 360}},
     {{-3.14159f, 3.14159f}, {-0.697433f, 3.839023f}, {-0.7853975f, 3.9269876f},
      {-3.14159f, 3.14159f}, {-2.2336707f, 2.2336707f}, {-6.28318f, 6.28318f}},
     SolverFamily::SixAxisClosedForm, kSixAxisCodes,
     /*splits_aligned_wrist*/ true, /*snaps_rotation*/ true, /*quaternion_of_wrapped_euler*/ true,
     /*resets_frames_on_init*/ true, /*dynamic_parameters*/ 12},

    {ARM_MODEL_B, "B", 7,
     {{0, 0.0f, 0.2405f, 0.0f}, {-90, 0.0f, 0.0f, 0.0f}, {90, 0.0f, 0.256f, 0.0f},
      {-90, 0.0f, 0.0f, 0.0f}, {90, 0.0f, 0.21f, 0.0f}, {-90, 0.0f, 0.0f, 0.0f},
      {90, 0.0f, 0.0f, 0.0f}},
     {0.144f, 0.152f, 0.1725f},
     {{-180, 180}, {-130, 130}, {-180, 180}, {-135, 135}, {-180, 180}, {-128, 128}, {-360, 360}},
     {{-3.14159f, 3.14159f}, {-2.2689f, 2.2689f}, {-3.14159f, 3.14159f}, {-2.3562f, 2.3562f},
      {-3.14159f, 3.14159f}, {-2.234f, 2.234f}, {-6.2831855f, 6.2831855f}},
     SolverFamily::SevenAxisHeldJoint, kSevenAxisCodes,
     /*splits_aligned_wrist*/ false, /*snaps_rotation*/ false, /*quaternion_of_wrapped_euler*/ false,
     /*resets_frames_on_init*/ true, /*dynamic_parameters*/ 14},

    {ARM_MODEL_C1, "C1", 6,
     {{0, 0.0f, 0.172f, -90.0f}, {90, 0.086f, 0.0f, 90.0f}, {0, 0.38f, -0.0102f, 90.0f},
      {90, -0.069f, 0.405f, 0.0f}, {-90, 0.0f, 0.0f, 180.0f}, {-90, 0.0f, 0.0f, 90.0f}},
     {0.115f, 0.123f, 0.1435f},
     {{-180, 180}, {-180, 180}, {-150, 165}, {-180, 180}, {-180, 180}, {-360, 360}},
     {{-4.712389f, 1.5707964f}, {-1.5707964f, 4.712389f}, {-1.0367255f, 4.4516368f},
      {-3.1415927f, 3.1415927f}, {0.0f, 6.2831855f}, {-4.712389f, 7.8539815f}},
     SolverFamily::SixAxisClosedForm, kSixAxisCodes,
     /*splits_aligned_wrist*/ false, /*snaps_rotation*/ true, /*quaternion_of_wrapped_euler*/ false,
     /*resets_frames_on_init*/ false, /*dynamic_parameters*/ 12},

    {ARM_MODEL_C2, "C2", 6,
     {{0, 0.0f, 0.172f, 0.0f}, {-90, -0.086f, 0.0f, -90.0f}, {0, 0.38f, 0.0f, 90.0f},
      {90, 0.069f, 0.405f, 0.0f}, {-90, 0.0f, 0.0f, 180.0f}, {-90, 0.0f, 0.0f, 180.0f}},
     {0.115f, 0.123f, 0.1435f},
     {{-178, 178}, {-178, 178}, {-178, 145}, {-178, 178}, {-178, 178}, {-360, 360}},
     {{-3.1066873f, 3.1066873f}, {-4.6774836f, 1.5358909f}, {-1.5358909f, 4.1015248f},
      {-3.1066873f, 3.1066873f}, {0.034905348f, 6.24828f}, {-3.1415927f, 9.424778f}},
     SolverFamily::SixAxisClosedForm, kSixAxisCodes,
     /*splits_aligned_wrist*/ false, /*snaps_rotation*/ true, /*quaternion_of_wrapped_euler*/ false,
     /*resets_frames_on_init*/ false, /*dynamic_parameters*/ 12},
};
// clang-format on

inline constexpr const ArmModelSpec& kArmModelA = kArmModels[0];
inline constexpr const ArmModelSpec& kArmModelB = kArmModels[1];
inline constexpr const ArmModelSpec& kArmModelC1 = kArmModels[2];
inline constexpr const ArmModelSpec& kArmModelC2 = kArmModels[3];

constexpr int kArmModelCount = static_cast<int>(sizeof kArmModels / sizeof kArmModels[0]);

// Index of the record of a model code, or of the record named exactly `name`
// ("A", "B", "C1", "C2"; upper case, as the simulator's --model has always
// taken them); -1 for none. Indices, not pointers, so that the checks below
// stay constant expressions in sanitizer builds, which do not fold pointer
// comparisons.
constexpr int arm_model_index(int model) {
    for (int i = 0; i < kArmModelCount; ++i)
        if (kArmModels[i].model == model) return i;
    return -1;
}
constexpr int arm_model_index(std::string_view name) {
    for (int i = 0; i < kArmModelCount; ++i)
        if (name == kArmModels[i].name) return i;
    return -1;
}

// The record of a model code, or nullptr for a code that is none of the four.
constexpr const ArmModelSpec* arm_model_spec(int model) {
    const int i = arm_model_index(model);
    return i < 0 ? nullptr : &kArmModels[i];
}

// The record named exactly `name` (see arm_model_index), or nullptr.
constexpr const ArmModelSpec* arm_model_by_name(std::string_view name) {
    const int i = arm_model_index(name);
    return i < 0 ? nullptr : &kArmModels[i];
}

// A connection records its joint count, not its model (the core counts six for
// a handle it does not know). What a connection reads from a record it takes
// from the first record of its chain length; the records of one length agree on
// all of it (checked below). A count that no model has reads as six joints.
constexpr int kUnknownConnectionJoints = 6;
constexpr const ArmModelSpec& arm_model_of_connection(int joints) {
    for (const ArmModelSpec& spec : kArmModels)
        if (spec.joints == joints) return spec;
    return arm_model_of_connection(kUnknownConnectionJoints);
}

// The records agree with the public header and with what their readers assume.
namespace checks {
constexpr bool records_are_sound() {
    const int codes[] = {ARM_MODEL_A, ARM_MODEL_B, ARM_MODEL_C1, ARM_MODEL_C2};
    const char* names[] = {"A", "B", "C1", "C2"};
    for (int i = 0; i < 4; ++i) {
        const int index = arm_model_index(codes[i]);
        if (index < 0 || index != arm_model_index(std::string_view(names[i]))) return false;
        const ArmModelSpec& spec = kArmModels[index];
        if (spec.joints < 1 || spec.joints > kMaxJoints) return false;
        const bool seven = spec.solver == SolverFamily::SevenAxisHeldJoint;
        if (spec.joints != (seven ? 7 : 6)) return false;  // each solver family knows its chain length
        const ArmModelSpec& same_length = arm_model_of_connection(spec.joints);
        if (spec.dynamic_parameters != same_length.dynamic_parameters) return false;
    }
    bool six_joints = false;
    for (const ArmModelSpec& spec : kArmModels) six_joints = six_joints || spec.joints == kUnknownConnectionJoints;
    if (!six_joints) return false;  // arm_model_of_connection ends there
    return kArmModelCount == 4;
}
static_assert(records_are_sound(), "the arm model records disagree with arx_api.h or with their solvers");
}  // namespace checks

}  // namespace arx::kin
