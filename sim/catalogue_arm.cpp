// Request words of the arm itself: joints, limits and installation, servo,
// arm state and telemetry.
#include "sim/catalogue.h"

#include "kinematics/kinematic_state.h"

#include <cmath>

namespace arx::sim {

std::vector<double> joints_milli(const ControllerState& s, const Joints& j) {
    return scaled(j.data(), s.joint_count, 1000);
}

std::vector<double> pose_wire(const Pose6& p) {
    return {std::trunc(p.v[0] * 1e6), std::trunc(p.v[1] * 1e6), std::trunc(p.v[2] * 1e6),
            std::trunc(p.v[3] * 1e3), std::trunc(p.v[4] * 1e3), std::trunc(p.v[5] * 1e3)};
}

Pose6 pose_from(const Exchange& x, const char* key) {
    Pose6 p;
    for (int i = 0; i < 6; ++i) p.v[i] = x.element(key, i) / (i < 3 ? 1e6 : 1e3);
    return p;
}

Joints joints_from(const Controller& c, const Exchange& x, const char* key) {
    Joints j{};
    for (int i = 0; i < c.state.joint_count; ++i) j[i] = x.element(key, i) / 1000;
    return j;
}

void ack_bool(Exchange& x, const char* key, bool ok) { x.answer(JsonLine::command(x.word).flag(key, ok)); }

namespace {

using C = Controller;
using X = Exchange;

void set_joint_value(C& c, X& x, const char* key, Joints& values) {
    const std::optional<int> joint = x.whole_element(key, 0, 1, c.state.joint_count);
    const double thousandths = x.element(key, 1, kWireIntegerLimit + 1);
    const bool ok = joint && std::fabs(thousandths) <= kWireIntegerLimit;
    if (ok) values[*joint - 1] = thousandths / 1000;
    x.answer(JsonLine::command(x.word).flag(key, ok));
}

void query_joints(C& c, X& x, const char* state_word, const char* key, const Joints& values) {
    x.answer(JsonLine::state(state_word).numbers(key, joints_milli(c.state, values)));
}

JsonLine arm_state(C& c) {
    const Snapshot now = c.snapshot_locked(false);
    return JsonLine::state("current_arm_state")
        .object("arm_state", JsonLine()
                                 .numbers("pose", pose_wire(now.pose))
                                 .numbers("joint", joints_milli(c.state, now.joints))
                                 .number("arm_err", 0)
                                 .number("sys_err", 0));
}

// Telemetry that drifts a little with the joint angles, in thousandths.
std::vector<double> telemetry(const ControllerState& s, double base, double per_degree) {
    std::vector<double> out(s.joint_count);
    for (int i = 0; i < s.joint_count; ++i) out[i] = std::trunc((base + per_degree * std::fabs(s.joints[i])) * 1000);
    return out;
}

std::vector<double> flags(const ControllerState& s, bool enabled) {
    std::vector<double> out(s.joint_count);
    for (int i = 0; i < s.joint_count; ++i) out[i] = enabled ? s.enabled[i] : 0;
    return out;
}

}  // namespace

const std::map<std::string, Handler>& arm_handlers() {
    static const std::map<std::string, Handler> table = {
        // joints
        {"set_joint_max_speed", [](C& c, X& x) { set_joint_value(c, x, "joint_max_speed", c.state.max_speed); }},
        {"set_joint_max_acc", [](C& c, X& x) { set_joint_value(c, x, "joint_max_acc", c.state.max_acc); }},
        {"set_joint_min_pos", [](C& c, X& x) { set_joint_value(c, x, "joint_min_pos", c.state.min_pos); }},
        {"set_joint_max_pos", [](C& c, X& x) { set_joint_value(c, x, "joint_max_pos", c.state.max_pos); }},
        {"set_joint_en_state",
         [](C& c, X& x) {
             const std::optional<int> joint = x.whole_element("joint_en_state", 0, 1, c.state.joint_count);
             const bool ok = joint.has_value();
             if (ok) c.state.enabled[*joint - 1] = x.element("joint_en_state", 1) != 0;
             ack_bool(x, "joint_en_state", ok);
         }},
        {"set_joint_zero_pos", [](C&, X& x) { x.ack("joint_zero_pos"); }},
        {"set_joint_clear_err", [](C&, X& x) { x.ack("joint_clear_err"); }},
        {"set_joint_zero_offset", [](C&, X& x) { x.ack("set_state"); }},
        {"start_calibrate", [](C&, X& x) { x.ack("calibrate_state"); }},
        {"stop_calibrate", [](C&, X& x) { x.ack("calibrate_state"); }},
        {"get_calibrate_state",
         [](C& c, X& x) {
             x.answer(JsonLine::state("calibrate_state")
                          .numbers("joint_state", std::vector<double>(c.state.joint_count, 1)));
         }},
        {"get_joint_degree", [](C& c, X& x) { query_joints(c, x, "joint_degree", "joint", c.state.joints); }},
        {"get_joint_max_speed",
         [](C& c, X& x) { query_joints(c, x, "joint_max_speed", "joint_speed", c.state.max_speed); }},
        {"get_joint_max_acc", [](C& c, X& x) { query_joints(c, x, "joint_max_acc", "joint_acc", c.state.max_acc); }},
        {"get_joint_min_pos", [](C& c, X& x) { query_joints(c, x, "joint_min_pos", "min_pos", c.state.min_pos); }},
        {"get_joint_max_pos", [](C& c, X& x) { query_joints(c, x, "joint_max_pos", "max_pos", c.state.max_pos); }},
        {"get_joint_en_state",
         [](C& c, X& x) { x.answer(JsonLine::state("joint_en_state").numbers("en_state", flags(c.state, true))); }},
        {"get_joint_err_flag",
         [](C& c, X& x) { x.answer(JsonLine::state("joint_err_flag").numbers("err_flag", flags(c.state, false))); }},
        {"get_joint_software_version",
         [](C& c, X& x) {
             x.answer(JsonLine::state("joint_software_version")
                          .numbers("version", std::vector<double>(c.state.joint_count, 1100)));
         }},
        // limits, installation, servo
        {"set_arm_max_line_speed",
         [](C& c, X& x) {
             const bool ok = x.bounded("arm_line_speed", kWireIntegerLimit);
             if (ok) c.state.line_speed = x.number("arm_line_speed") / 1000;
             ack_bool(x, "arm_line_speed", ok);
         }},
        {"set_arm_max_line_acc",
         [](C& c, X& x) {
             const bool ok = x.bounded("arm_line_acc", kWireIntegerLimit);
             if (ok) c.state.line_acc = x.number("arm_line_acc") / 1000;
             ack_bool(x, "arm_line_acc", ok);
         }},
        {"set_arm_max_angular_speed",
         [](C& c, X& x) {
             const bool ok = x.bounded("arm_angular_speed", kWireIntegerLimit);
             if (ok) c.state.angular_speed = x.number("arm_angular_speed") / 1000;
             ack_bool(x, "arm_angular_speed", ok);
         }},
        {"set_arm_max_angular_acc",
         [](C& c, X& x) {
             const bool ok = x.bounded("arm_angular_acc", kWireIntegerLimit);
             if (ok) c.state.angular_acc = x.number("arm_angular_acc") / 1000;
             ack_bool(x, "arm_angular_acc", ok);
         }},
        {"get_arm_max_line_speed",
         [](C& c, X& x) {
             x.answer(
                 JsonLine::state("arm_max_line_speed").number("arm_line_speed", std::trunc(c.state.line_speed * 1000)));
         }},
        {"get_arm_max_line_acc",
         [](C& c, X& x) {
             x.answer(JsonLine::state("arm_max_line_acc").number("arm_line_acc", std::trunc(c.state.line_acc * 1000)));
         }},
        {"get_arm_max_angular_speed",
         [](C& c, X& x) {
             x.answer(JsonLine::state("arm_max_angular_speed")
                          .number("arm_angular_speed", std::trunc(c.state.angular_speed * 1000)));
         }},
        {"get_arm_max_angular_acc",
         [](C& c, X& x) {
             x.answer(JsonLine::state("arm_max_angular_acc")
                          .number("arm_angular_acc", std::trunc(c.state.angular_acc * 1000)));
         }},
        {"set_arm_init", [](C&, X& x) { x.ack("arm_init"); }},
        // The controller answers the stage under another word.
        {"set_collision_stage",
         [](C& c, X& x) {
             const std::optional<int> stage = x.whole("collision_stage", INT32_MIN, INT32_MAX);
             if (stage) c.state.collision_stage = *stage;
             x.answer(JsonLine::command("set_collision_state").flag("collision_state", stage.has_value()));
         }},
        {"get_collision_stage",
         [](C& c, X& x) {
             x.answer(JsonLine::state("get_collision_stage").number("collision_stage", c.state.collision_stage));
         }},
        {"set_DH_data",
         [](C& c, X& x) {
             for (int i = 0; i < 5; ++i)
                 if (!(std::fabs(x.element("data", i)) <= kWireIntegerLimit)) return ack_bool(x, "set_state", false);
             for (int i = 0; i < 5; ++i) c.state.dh[i] = x.element("data", i);
             x.ack("set_state");
         }},
        {"get_DH_data",
         [](C& c, X& x) {
             x.answer(JsonLine::state("DH_data").numbers(
                 "data", {c.state.dh[0], c.state.dh[1], c.state.dh[2], c.state.dh[3], c.state.dh[4]}));
         }},
        {"set_arm_dynamic_parm", [](C&, X& x) { x.ack("set_state"); }},
        {"set_init_pose",
         [](C& c, X& x) {
             const Joints pose = joints_from(c, x, "init_pose");
             const bool ok = c.within_limits(pose);
             if (ok) c.state.init_pose = pose;
             ack_bool(x, "init_pose", ok);
         }},
        {"get_init_pose", [](C& c, X& x) { query_joints(c, x, "init_pose", "init_pose", c.state.init_pose); }},
        {"set_install_pose",
         [](C& c, X& x) {
             for (int i = 0; i < 3; ++i)
                 if (!(std::fabs(x.element("pose", i)) <= 360)) return ack_bool(x, "set_state", false);
             for (int i = 0; i < 3; ++i) c.state.install[i] = x.element("pose", i);
             kin::store_install_angles_deg(static_cast<float>(c.state.install[0]),
                                           static_cast<float>(c.state.install[1]),
                                           static_cast<float>(c.state.install[2]));
             x.ack("set_state");
         }},
        {"get_install_pose",
         [](C& c, X& x) {
             x.answer(JsonLine::state("install_pose")
                          .numbers("pose", {c.state.install[0], c.state.install[1], c.state.install[2]}));
         }},
        {"set_arm_servo",
         [](C& c, X& x) {
             c.state.servo = x.number("arm_servo") != 0;
             x.ack("arm_servo");
         }},
        {"set_system_state_servo", [](C&, X& x) { x.ack("servo_state"); }},
        {"set_arm_power",
         [](C& c, X& x) {
             c.state.power = x.number("arm_power") != 0;
             x.ack("arm_power");
         }},
        {"get_arm_power_state",
         [](C& c, X& x) { x.answer(JsonLine::state("arm_power_state").number("power_state", c.state.power)); }},
        // arm state and telemetry
        {"get_current_arm_state", [](C& c, X& x) { x.answer(arm_state(c)); }},
        {"get_current_joint_temperature",
         [](C& c, X& x) {
             x.answer(JsonLine::state("current_joint_temperature")
                          .numbers("joint_temperature", telemetry(c.state, 30, 0.01)));
         }},
        {"get_current_joint_current",
         [](C& c, X& x) {
             x.answer(
                 JsonLine::state("current_joint_current").numbers("joint_current", telemetry(c.state, 0.5, 0.005)));
         }},
        {"get_current_joint_voltage",
         [](C& c, X& x) {
             x.answer(JsonLine::state("current_joint_voltage").numbers("joint_voltage", telemetry(c.state, 48, 0)));
         }},
        {"get_arm_all_state",
         [](C& c, X& x) {
             const ControllerState& s = c.state;
             x.answer(JsonLine::state("arm_all_state")
                          .object("all_state", JsonLine()
                                                   .numbers("temperature", telemetry(s, 30, 0.01))
                                                   .numbers("current", telemetry(s, 0.5, 0.005))
                                                   .numbers("voltage", telemetry(s, 48, 0))
                                                   .numbers("en_flag", flags(s, true))
                                                   .numbers("err_flag", flags(s, false))
                                                   .number("sys_err", 0)));
         }},
        {"get_arm_plan_num",
         [](C& c, X& x) {
             x.answer(JsonLine::state("arm_plan_num").number("plan_num", static_cast<double>(c.state.motions.size())));
         }},
    };
    return table;
}

}  // namespace arx::sim
