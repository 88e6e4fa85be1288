// Helpers shared by the kinematics tests: seeded joint samples and pose checks.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "arx_api.h"
#include "kinematics/arm_models.h"
#include "kinematics/conversions.h"

namespace arx::kin::test {

struct ModelCase {
    const char* name;
    int model;
};
inline const ModelCase kAllModels[] = {
    {"A", ARM_MODEL_A}, {"B", ARM_MODEL_B}, {"C1", ARM_MODEL_C1}, {"C2", ARM_MODEL_C2}};

inline std::string model_name(const testing::TestParamInfo<ModelCase>& info) { return info.param.name; }

// Joint angles (degrees) drawn uniformly from the limits shrunk by `margin_deg`.
inline std::vector<float> random_joints(std::mt19937& rng, const ArmModelData& arm, float margin_deg) {
    std::vector<float> q(arm.joints);
    for (int i = 0; i < arm.joints; ++i) {
        std::uniform_real_distribution<float> d(arm.limit_deg[i].min + margin_deg, arm.limit_deg[i].max - margin_deg);
        q[i] = d(rng);
    }
    return q;
}

inline Pose make_pose(float x, float y, float z, float rx, float ry, float rz) {
    Pose p{};
    p.x = x;
    p.y = y;
    p.z = z;
    p.euler = {rx, ry, rz};
    p.quaternion = euler2quaternion(p.euler);
    return p;
}

// Largest element difference of the two poses' homogeneous transforms (so
// Euler angles that differ by a turn still compare equal).
inline double transform_distance(const Pose& a, const Pose& b) {
    const Matrix ma = pos2matrix(a), mb = pos2matrix(b);
    double worst = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) worst = std::max(worst, std::fabs(double(ma.data[i][j]) - mb.data[i][j]));
    return worst;
}

}  // namespace arx::kin::test
