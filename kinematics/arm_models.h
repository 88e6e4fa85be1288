// Geometry, joint limits and solver windows of the four arm models.
//
// Chains use the modified Denavit-Hartenberg convention: joint i contributes
// RotX(alpha) * TransX(a) * RotZ(theta) * TransZ(d), with theta = joint angle +
// offset. The last link's d is the end-link length, chosen separately (setLwt).
#pragma once

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

struct ArmModelData {
    int joints;
    Link link[kMaxJoints];
    float end_link[3];            // variants 0, 1, 2 (metres)
    Range limit_deg[kMaxJoints];  // joint angles, degrees
    Range window[kMaxJoints];     // theta, radians, used while choosing solutions
};

// clang-format off
inline constexpr ArmModelData kArmModelA{
    6,
    {{0, 0.0f, 0.2405f, 0.0f}, {90, 0.0f, 0.0f, 90.0f}, {0, 0.256f, 0.0f, 90.0f},
     {90, 0.0f, 0.21f, 0.0f}, {-90, 0.0f, 0.0f, 0.0f}, {90, 0.0f, 0.0f, 0.0f}},
    {0.144f, 0.152f, 0.1725f},
    {{-180, 180}, {-130, 130}, {-135, 135}, {-180, 180}, {-128, 128}, {-360, 360}},
    {{-3.14159f, 3.14159f}, {-0.697433f, 3.839023f}, {-0.7853975f, 3.9269876f},
     {-3.14159f, 3.14159f}, {-2.2336707f, 2.2336707f}, {-6.28318f, 6.28318f}},
};

inline constexpr ArmModelData kArmModelB{
    7,
    {{0, 0.0f, 0.2405f, 0.0f}, {-90, 0.0f, 0.0f, 0.0f}, {90, 0.0f, 0.256f, 0.0f},
     {-90, 0.0f, 0.0f, 0.0f}, {90, 0.0f, 0.21f, 0.0f}, {-90, 0.0f, 0.0f, 0.0f},
     {90, 0.0f, 0.0f, 0.0f}},
    {0.144f, 0.152f, 0.1725f},
    {{-180, 180}, {-130, 130}, {-180, 180}, {-135, 135}, {-180, 180}, {-128, 128}, {-360, 360}},
    {{-3.14159f, 3.14159f}, {-2.2689f, 2.2689f}, {-3.14159f, 3.14159f}, {-2.3562f, 2.3562f},
     {-3.14159f, 3.14159f}, {-2.234f, 2.234f}, {-6.2831855f, 6.2831855f}},
};

inline constexpr ArmModelData kArmModelC1{
    6,
    {{0, 0.0f, 0.172f, -90.0f}, {90, 0.086f, 0.0f, 90.0f}, {0, 0.38f, -0.0102f, 90.0f},
     {90, -0.069f, 0.405f, 0.0f}, {-90, 0.0f, 0.0f, 180.0f}, {-90, 0.0f, 0.0f, 90.0f}},
    {0.115f, 0.123f, 0.1435f},
    {{-180, 180}, {-180, 180}, {-150, 165}, {-180, 180}, {-180, 180}, {-360, 360}},
    {{-4.712389f, 1.5707964f}, {-1.5707964f, 4.712389f}, {-1.0367255f, 4.4516368f},
     {-3.1415927f, 3.1415927f}, {0.0f, 6.2831855f}, {-4.712389f, 7.8539815f}},
};

inline constexpr ArmModelData kArmModelC2{
    6,
    {{0, 0.0f, 0.172f, 0.0f}, {-90, -0.086f, 0.0f, -90.0f}, {0, 0.38f, 0.0f, 90.0f},
     {90, 0.069f, 0.405f, 0.0f}, {-90, 0.0f, 0.0f, 180.0f}, {-90, 0.0f, 0.0f, 180.0f}},
    {0.115f, 0.123f, 0.1435f},
    {{-178, 178}, {-178, 178}, {-178, 145}, {-178, 178}, {-178, 178}, {-360, 360}},
    {{-3.1066873f, 3.1066873f}, {-4.6774836f, 1.5358909f}, {-1.5358909f, 4.1015248f},
     {-3.1066873f, 3.1066873f}, {0.034905348f, 6.24828f}, {-3.1415927f, 9.424778f}},
};
// clang-format on

// Data of a model code, or nullptr for a code that is none of the four.
constexpr const ArmModelData* arm_model_data(int model) {
    switch (model) {
        case ARM_MODEL_A: return &kArmModelA;
        case ARM_MODEL_B: return &kArmModelB;
        case ARM_MODEL_C1: return &kArmModelC1;
        case ARM_MODEL_C2: return &kArmModelC2;
        default: return nullptr;
    }
}

}  // namespace arx::kin
