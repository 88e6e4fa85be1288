#include "kinematics/kinematic_state.h"

#include <type_traits>

#include "kinematics/conversions.h"
#include "kinematics/state.h"

namespace arx::kin {

namespace {

static_assert(std::is_trivially_destructible_v<KinematicState>, "state must outlive every thread at exit");

KinematicState g_state;

float degrees_to_radians(float degrees) { return static_cast<float>(degrees * kMountingAnglePi / 180.0); }

void derive_install_rotation() {
    g_state.install_rotation = euler_transform({g_state.install[0], g_state.install[1], g_state.install[2]}, 0, 0, 0);
    g_state.install_rotation_inverse = inverse_or_zero(g_state.install_rotation);
}

void derive_tool_inverse() {
    g_state.tool_invertible = invert(g_state.tool, &g_state.tool_inverse);
    g_state.tool_is_identity = g_state.tool == Transform::identity();
}

}  // namespace

const KinematicState& kinematic_state() { return g_state; }

void store_install_angles_deg(float x, float y, float z) {
    g_state.install[0] = degrees_to_radians(x);
    g_state.install[1] = degrees_to_radians(y);
    g_state.install[2] = degrees_to_radians(z);
    derive_install_rotation();
}

bool store_end_link_length(float length) {
    if (!(length > 0.0f && length <= kMaxEndLinkMetres)) return false;  // NaN fails too
    g_state.end_link = length;
    return true;
}

void store_tool_frame(const Matrix& tool) {
    g_state.tool = Transform::from(tool);
    derive_tool_inverse();
}

void store_work_frame(const Matrix& work) { g_state.work = Transform::from(work); }

}  // namespace arx::kin

using namespace arx::kin;

void Init_Sys_Data(int model) { load_arm_model(model); }

void arx::kin::load_arm_model(int model) {
    const ArmModelSpec* arm = arm_model_spec(model);
    if (arm == nullptr) return;
    g_state.arm = arm;
    g_state.end_link = arm->end_link[0];
    if (arm->resets_frames_on_init) {
        g_state.tool = Transform::identity();
        g_state.install[0] = 0.0f;
        g_state.install[1] = 0.0f;
        derive_install_rotation();
        derive_tool_inverse();
    }
}

void setAngle(float x, float y, float z) { store_install_angles_deg(x, y, z); }

void setLwt(int type) {
    if (g_state.arm == nullptr || type < 0 || type > 2) return;
    g_state.end_link = g_state.arm->end_link[type];
}

int Arx_Arm_Model_From_Name(const char* name) {
    const ArmModelSpec* arm = name ? arm_model_by_name(name) : nullptr;
    return arm ? arm->model : -1;
}

const char* Arx_Arm_Model_Name(int model) {
    const ArmModelSpec* arm = arm_model_spec(model);
    return arm ? arm->name : nullptr;
}
