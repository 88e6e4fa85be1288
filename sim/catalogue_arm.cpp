// Request words of the arm: joints, limits and installation, frames, state,
// motion, waypoints, teaching and drag teaching.
#include "sim/catalogue.h"

#include "kinematics/kinematic_state.h"

#include <cmath>

namespace arx::sim {

namespace {

using C = Controller;
using X = Exchange;

std::vector<double> joints_milli(const ControllerState& s, const Joints& j) {
    return scaled(j.data(), s.joint_count, 1000);
}

// A pose on the wire: millionths of metres, then thousandths of radians.
std::vector<double> pose_wire(const Pose6& p) {
    return {std::trunc(p.v[0] * 1e6), std::trunc(p.v[1] * 1e6), std::trunc(p.v[2] * 1e6),
            std::trunc(p.v[3] * 1e3), std::trunc(p.v[4] * 1e3), std::trunc(p.v[5] * 1e3)};
}

Pose6 pose_from(const X& x, const char* key) {
    Pose6 p;
    for (int i = 0; i < 6; ++i) p.v[i] = x.element(key, i) / (i < 3 ? 1e6 : 1e3);
    return p;
}

Joints joints_from(const C& c, const X& x, const char* key) {
    Joints j{};
    for (int i = 0; i < c.state.joint_count; ++i) j[i] = x.element(key, i) / 1000;
    return j;
}

bool within_limits(const ControllerState& s, const Joints& j) {
    for (int i = 0; i < s.joint_count; ++i)
        if (j[i] < s.min_pos[i] - 1e-6 || j[i] > s.max_pos[i] + 1e-6) return false;
    return true;
}

// A per-joint setting: [joint number, value x1000]; false for a joint the arm lacks.
void set_joint_value(C& c, X& x, const char* key, Joints& values) {
    const int joint = static_cast<int>(x.element(key, 0));
    const bool ok = joint >= 1 && joint <= c.state.joint_count;
    if (ok) values[joint - 1] = x.element(key, 1) / 1000;
    x.answer(JsonLine::command(x.word).flag(key, ok));
}

void query_joints(C& c, X& x, const char* state_word, const char* key, const Joints& values) {
    x.answer(JsonLine::state(state_word).numbers(key, joints_milli(c.state, values)));
}

void ack_bool(X& x, const char* key, bool ok) { x.answer(JsonLine::command(x.word).flag(key, ok)); }

// ---- moves

void move_to(C& c, X& x, const Joints& target, bool reachable) {
    x.ack("trajectory_state");
    if (!reachable || !within_limits(c.state, target)) return c.refuse_arm(x);
    c.start_arm(x, {target}, x.number("v", 20));
}

void movej(C& c, X& x) {
    c.state.trajectory_type = "movej";
    move_to(c, x, joints_from(c, x, "joint"), true);
}

void movel(C& c, X& x) {
    c.state.trajectory_type = x.word;
    Joints target{};
    const bool solved = c.solve(pose_from(x, "pose"), &target);
    move_to(c, x, target, solved);
}

void movec(C& c, X& x) {
    c.state.trajectory_type = "movec";
    const cJSON* poses = cJSON_GetObjectItem(x.request, "pose");
    X inner{x.word, poses, x.session, {}};
    Joints via{}, to{};
    const bool solved = c.solve(pose_from(inner, "pose_via"), &via) && c.solve(pose_from(inner, "pose_to"), &to);
    x.ack("trajectory_state");
    if (!solved || !within_limits(c.state, via) || !within_limits(c.state, to)) return c.refuse_arm(x);
    c.start_arm(x, {via, to}, x.number("v", 20));
}

// Streamed set-points take effect at once and answer nothing.
void movej_canfd(C& c, X& x) { c.state.joints = joints_from(c, x, "joint"); }
void movep_canfd(C& c, X& x) {
    Joints target{};
    if (c.solve(pose_from(x, "pose"), &target)) c.state.joints = target;
}

void current_trajectory(C& c, X& x) {
    const ControllerState& s = c.state;
    const bool cartesian = s.trajectory_type == "movel" || s.trajectory_type == "movej_p";
    x.answer(JsonLine::state("arm_current_trajectory")
                 .text("type", s.trajectory_type)
                 .numbers("data", cartesian ? pose_wire(c.tool_pose(s.joints)) : joints_milli(s, s.joints)));
}

// A jog runs toward a far target until the teaching stops; it reports nothing.
void jog(C& c, X& x, const Joints& target, bool reachable, const char* key) {
    ack_bool(x, key, reachable);
    if (!reachable) return;
    auto& motions = c.state.motions;
    motions.erase(std::remove_if(motions.begin(), motions.end(), [](const Motion& m) { return m.jog; }), motions.end());
    c.start_arm(x, {target}, x.number("v", 20));
    motions.back().listener.reset();
    motions.back().jog = true;
}

int axis_of(const std::string& name) {
    static const char* const kAxes[] = {"x", "y", "z", "rx", "ry", "rz"};
    for (int i = 0; i < 6; ++i)
        if (name == kAxes[i] || name == std::string(kAxes[i]) + "_step") return i;
    return -1;
}

// The current tool pose moved along or about one axis.
bool shifted(C& c, int axis, double amount, Joints* target) {
    if (axis < 0) return false;
    Pose6 pose = c.tool_pose(c.state.joints);
    pose.v[axis] += amount;
    return c.solve(pose, target);
}

void joint_teach(C& c, X& x) {
    const int joint = static_cast<int>(x.number("teach_joint")) - 1;
    const bool ok = joint >= 0 && joint < c.state.joint_count;
    Joints target = c.state.joints;
    if (ok) target[joint] = x.text("direction") == "neg" ? c.state.min_pos[joint] : c.state.max_pos[joint];
    jog(c, x, target, ok, "joint_teach");
}

void cartesian_teach(C& c, X& x, double reach, const char* key) {
    Joints target{};
    const double sign = x.text("direction") == "neg" ? -1 : 1;
    // Position jogs name x, y, z; orientation jogs the same letters about them.
    const int named = axis_of(x.text("teach_type"));
    const int axis = named < 0 ? -1 : named % 3 + (reach < 0.5 ? 0 : 3);
    const bool ok = shifted(c, axis, sign * reach, &target);
    jog(c, x, target, ok, key);
}

void joint_step(C& c, X& x) {
    const int joint = static_cast<int>(x.element("joint_step", 0)) - 1;
    Joints target = c.state.joints;
    const bool ok = joint >= 0 && joint < c.state.joint_count;
    if (ok) target[joint] += x.element("joint_step", 1) / 1000;
    move_to(c, x, target, ok);
}

void cartesian_step(C& c, X& x, double scale) {
    Joints target{};
    const bool ok = shifted(c, axis_of(x.text("step_type")), x.number("step") / scale, &target);
    move_to(c, x, target, ok);
}

// ---- frames

void add_name(std::vector<std::string>& order, const std::string& name) {
    if (std::find(order.begin(), order.end(), name) == order.end()) order.push_back(name);
}

void remove_name(std::vector<std::string>& order, const std::string& name) {
    order.erase(std::remove(order.begin(), order.end(), name), order.end());
}

void store_tool(C& c, const std::string& name, const ToolFrame& tool) {
    c.state.tools[name] = tool;
    add_name(c.state.tool_order, name);
}

ToolFrame tool_from(const X& x, const char* pose_key) {
    ToolFrame t;
    if (pose_key) t.pose = pose_from(x, pose_key);
    t.payload = x.number("payload");
    for (int i = 0; i < 3; ++i) t.position[i] = x.element("position", i);
    return t;
}

// The kinematics of the pose reports follow the active tool.
void activate_tool(C& c, const std::string& name) {
    c.state.tool = name;
    const Pose6& p = c.state.tools[name].pose;
    Pose pose{};
    pose.x = static_cast<float>(p.v[0]);
    pose.y = static_cast<float>(p.v[1]);
    pose.z = static_cast<float>(p.v[2]);
    pose.euler = {static_cast<float>(p.v[3]), static_cast<float>(p.v[4]), static_cast<float>(p.v[5])};
    pose.quaternion = euler2quaternion(pose.euler);
    kin::store_tool_frame(pos2matrix(pose));
}

JsonLine tool_reply(const char* word, const ToolFrame& t) {
    return JsonLine::state(word)
        .numbers("pose", pose_wire(t.pose))
        .number("payload", t.payload)
        .numbers("position", {t.position[0], t.position[1], t.position[2]});
}

void change_tool(C& c, X& x) {
    const std::string name = x.text("tool_name");
    const bool known = c.state.tools.count(name) > 0;
    if (known) activate_tool(c, name);
    ack_bool(x, "change_tool_frame", known);
}

void delete_tool(C& c, X& x) {
    const std::string name = x.text("tool_name");
    // The active frame and the flange's own frame stay.
    const bool ok = c.state.tools.count(name) && name != c.state.tool && name != "Arm_Tip";
    if (ok) c.state.tools.erase(name), remove_name(c.state.tool_order, name);
    ack_bool(x, "delete_tool_frame", ok);
}

void given_tool(C& c, X& x) {
    const auto found = c.state.tools.find(x.text("tool_name"));
    // An unknown name: the answer carries no frame.
    if (found == c.state.tools.end()) return x.answer(JsonLine::state("given_tool_frame").flag("set_state", false));
    x.answer(tool_reply("given_tool_frame", found->second));
}

void store_work(C& c, const std::string& name, const Pose6& pose) {
    c.state.work_frames[name] = pose;
    add_name(c.state.work_order, name);
}

void change_work(C& c, X& x) {
    const std::string name = x.text("frame_name");
    const bool known = c.state.work_frames.count(name) > 0;
    if (known) c.state.work = name;
    ack_bool(x, "change_work_frame", known);
}

void delete_work(C& c, X& x) {
    const std::string name = x.text("frame_name");
    const bool ok = c.state.work_frames.count(name) && name != c.state.work && name != "World";
    if (ok) c.state.work_frames.erase(name), remove_name(c.state.work_order, name);
    ack_bool(x, "delete_work_frame", ok);
}

void given_work(C& c, X& x) {
    const auto found = c.state.work_frames.find(x.text("frame_name"));
    if (found == c.state.work_frames.end()) return x.answer(JsonLine::state("given_work_frame").flag("set_state", false));
    x.answer(JsonLine::state("given_work_frame").numbers("pose", pose_wire(found->second)));
}

// ---- state

JsonLine arm_state(C& c) {
    const ControllerState& s = c.state;
    return JsonLine::state("current_arm_state")
        .object("arm_state", JsonLine()
                                 .numbers("pose", pose_wire(c.tool_pose(s.joints)))
                                 .numbers("joint", joints_milli(s, s.joints))
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
        {"set_joint_en_state", [](C& c, X& x) {
             const int joint = static_cast<int>(x.element("joint_en_state", 0));
             const bool ok = joint >= 1 && joint <= c.state.joint_count;
             if (ok) c.state.enabled[joint - 1] = x.element("joint_en_state", 1) != 0;
             ack_bool(x, "joint_en_state", ok);
         }},
        {"set_joint_zero_pos", [](C&, X& x) { x.ack("joint_zero_pos"); }},
        {"set_joint_clear_err", [](C&, X& x) { x.ack("joint_clear_err"); }},
        {"set_joint_zero_offset", [](C&, X& x) { x.ack("set_state"); }},
        {"start_calibrate", [](C&, X& x) { x.ack("calibrate_state"); }},
        {"stop_calibrate", [](C&, X& x) { x.ack("calibrate_state"); }},
        {"get_calibrate_state", [](C& c, X& x) {
             x.answer(JsonLine::state("calibrate_state").numbers("joint_state", std::vector<double>(c.state.joint_count, 1)));
         }},
        {"get_joint_degree", [](C& c, X& x) { query_joints(c, x, "joint_degree", "joint", c.state.joints); }},
        {"get_joint_max_speed", [](C& c, X& x) { query_joints(c, x, "joint_max_speed", "joint_speed", c.state.max_speed); }},
        {"get_joint_max_acc", [](C& c, X& x) { query_joints(c, x, "joint_max_acc", "joint_acc", c.state.max_acc); }},
        {"get_joint_min_pos", [](C& c, X& x) { query_joints(c, x, "joint_min_pos", "min_pos", c.state.min_pos); }},
        {"get_joint_max_pos", [](C& c, X& x) { query_joints(c, x, "joint_max_pos", "max_pos", c.state.max_pos); }},
        {"get_joint_en_state", [](C& c, X& x) { x.answer(JsonLine::state("joint_en_state").numbers("en_state", flags(c.state, true))); }},
        {"get_joint_err_flag", [](C& c, X& x) { x.answer(JsonLine::state("joint_err_flag").numbers("err_flag", flags(c.state, false))); }},
        {"get_joint_software_version", [](C& c, X& x) {
             x.answer(JsonLine::state("joint_software_version").numbers("version", std::vector<double>(c.state.joint_count, 1100)));
         }},
        // limits, installation, servo
        {"set_arm_max_line_speed", [](C& c, X& x) { c.state.line_speed = x.number("arm_line_speed") / 1000; x.ack("arm_line_speed"); }},
        {"set_arm_max_line_acc", [](C& c, X& x) { c.state.line_acc = x.number("arm_line_acc") / 1000; x.ack("arm_line_acc"); }},
        {"set_arm_max_angular_speed", [](C& c, X& x) { c.state.angular_speed = x.number("arm_angular_speed") / 1000; x.ack("arm_angular_speed"); }},
        {"set_arm_max_angular_acc", [](C& c, X& x) { c.state.angular_acc = x.number("arm_angular_acc") / 1000; x.ack("arm_angular_acc"); }},
        {"get_arm_max_line_speed", [](C& c, X& x) { x.answer(JsonLine::state("arm_max_line_speed").number("arm_line_speed", std::trunc(c.state.line_speed * 1000))); }},
        {"get_arm_max_line_acc", [](C& c, X& x) { x.answer(JsonLine::state("arm_max_line_acc").number("arm_line_acc", std::trunc(c.state.line_acc * 1000))); }},
        {"get_arm_max_angular_speed", [](C& c, X& x) { x.answer(JsonLine::state("arm_max_angular_speed").number("arm_angular_speed", std::trunc(c.state.angular_speed * 1000))); }},
        {"get_arm_max_angular_acc", [](C& c, X& x) { x.answer(JsonLine::state("arm_max_angular_acc").number("arm_angular_acc", std::trunc(c.state.angular_acc * 1000))); }},
        {"set_arm_init", [](C&, X& x) { x.ack("arm_init"); }},
        // The controller answers the stage under another word.
        {"set_collision_stage", [](C& c, X& x) {
             c.state.collision_stage = static_cast<int>(x.number("collision_stage"));
             x.answer(JsonLine::command("set_collision_state").flag("collision_state", true));
         }},
        {"get_collision_stage", [](C& c, X& x) { x.answer(JsonLine::state("get_collision_stage").number("collision_stage", c.state.collision_stage)); }},
        {"set_DH_data", [](C& c, X& x) {
             for (int i = 0; i < 5; ++i) c.state.dh[i] = x.element("data", i);
             x.ack("set_state");
         }},
        {"get_DH_data", [](C& c, X& x) {
             x.answer(JsonLine::state("DH_data").numbers("data", {c.state.dh[0], c.state.dh[1], c.state.dh[2], c.state.dh[3], c.state.dh[4]}));
         }},
        {"set_arm_dynamic_parm", [](C&, X& x) { x.ack("set_state"); }},
        {"set_init_pose", [](C& c, X& x) { c.state.init_pose = joints_from(c, x, "init_pose"); x.ack("init_pose"); }},
        {"get_init_pose", [](C& c, X& x) { query_joints(c, x, "init_pose", "init_pose", c.state.init_pose); }},
        {"set_install_pose", [](C& c, X& x) {
             for (int i = 0; i < 3; ++i) c.state.install[i] = x.element("pose", i);
             kin::store_install_angles_deg(static_cast<float>(c.state.install[0]), static_cast<float>(c.state.install[1]),
                                           static_cast<float>(c.state.install[2]));
             x.ack("set_state");
         }},
        {"get_install_pose", [](C& c, X& x) {
             x.answer(JsonLine::state("install_pose").numbers("pose", {c.state.install[0], c.state.install[1], c.state.install[2]}));
         }},
        {"set_arm_servo", [](C& c, X& x) { c.state.servo = x.number("arm_servo") != 0; x.ack("arm_servo"); }},
        {"set_system_state_servo", [](C&, X& x) { x.ack("servo_state"); }},
        {"set_arm_power", [](C& c, X& x) { c.state.power = x.number("arm_power") != 0; x.ack("arm_power"); }},
        {"get_arm_power_state", [](C& c, X& x) { x.answer(JsonLine::state("arm_power_state").number("power_state", c.state.power)); }},
        // tool and work frames
        {"set_auto_tool_frame", [](C&, X& x) { x.ack("auto_tool_frame"); }},
        {"generate_auto_tool_frame", [](C& c, X& x) { store_tool(c, x.text("tool_name"), tool_from(x, nullptr)); x.ack("auto_tool_frame"); }},
        {"set_manual_tool_frame", [](C& c, X& x) { store_tool(c, x.text("tool_name"), tool_from(x, "tool_pose")); x.ack("Manual_Tool_Frame"); }},
        {"set_change_tool_frame", change_tool},
        {"set_delete_tool_frame", delete_tool},
        {"set_payload", [](C& c, X& x) { c.state.payload = x.number("payload"); x.ack("set_state"); }},
        {"set_none_payload", [](C& c, X& x) { c.state.payload = 0; x.ack("set_state"); }},
        {"get_current_tool_frame", [](C& c, X& x) {
             x.answer(tool_reply("current_tool_frame", c.state.tools[c.state.tool]).text("tool_name", c.state.tool));
         }},
        {"get_tool_frame", given_tool},
        {"get_total_tool_frame", [](C& c, X& x) { x.answer(JsonLine::state("total_tool_frame").texts("tool_names", c.state.tool_order)); }},
        {"set_auto_work_frame", [](C& c, X& x) { store_work(c, x.text("frame_name"), Pose6{}); x.ack("auto_work_frame"); }},
        // Answered under the controller's own spelling of the word.
        {"set_manual_work_frame", [](C& c, X& x) {
             store_work(c, x.text("frame_name"), pose_from(x, "frame_pose"));
             x.answer(JsonLine::command("set_maual_work_frame").flag("manual_work_frame", true));
         }},
        {"set_change_work_frame", change_work},
        {"set_delete_work_frame", delete_work},
        {"get_current_work_frame", [](C& c, X& x) {
             x.answer(JsonLine::state("current_work_frame").text("frame_name", c.state.work).numbers("pose", pose_wire(c.state.work_frames[c.state.work])));
         }},
        {"get_work_frame", given_work},
        {"get_total_work_frame", [](C& c, X& x) { x.answer(JsonLine::state("total_work_frame").texts("frame_names", c.state.work_order)); }},
        // arm state and telemetry
        {"get_current_arm_state", [](C& c, X& x) { x.answer(arm_state(c)); }},
        {"get_current_joint_temperature", [](C& c, X& x) { x.answer(JsonLine::state("current_joint_temperature").numbers("joint_temperature", telemetry(c.state, 30, 0.01))); }},
        {"get_current_joint_current", [](C& c, X& x) { x.answer(JsonLine::state("current_joint_current").numbers("joint_current", telemetry(c.state, 0.5, 0.005))); }},
        {"get_current_joint_voltage", [](C& c, X& x) { x.answer(JsonLine::state("current_joint_voltage").numbers("joint_voltage", telemetry(c.state, 48, 0))); }},
        {"get_arm_all_state", [](C& c, X& x) {
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
        {"get_arm_plan_num", [](C& c, X& x) { x.answer(JsonLine::state("arm_plan_num").number("plan_num", static_cast<double>(c.state.motions.size()))); }},
        // motion
        {"movej", movej},
        {"movel", movel},
        {"movej_p", movel},
        {"movec", movec},
        {"movej_canfd", movej_canfd},
        {"movep_canfd", movep_canfd},
        {"set_arm_stop", [](C& c, X& x) { c.state.motions.clear(); c.state.paused = false; x.ack("arm_stop"); }},
        {"set_arm_pause", [](C& c, X& x) { c.state.paused = true; x.ack("arm_pause"); }},
        {"set_arm_continue", [](C& c, X& x) { c.state.paused = false; x.ack("arm_continue"); }},
        {"set_delete_current_trajectory", [](C& c, X& x) {
             if (!c.state.motions.empty()) c.state.motions.pop_front();
             x.ack("delete_current_trajectory");
         }},
        {"set_arm_delete_trajectory", [](C& c, X& x) { c.state.motions.clear(); x.ack("arm_delete_trajectory"); }},
        {"get_arm_current_trajectory", current_trajectory},
        // waypoints and timer
        {"add_waypoint", [](C& c, X& x) { c.state.waypoints.push_back(joints_from(c, x, "joint")); x.ack("waypoint_state"); }},
        {"start_waypoint", [](C& c, X& x) {
             x.ack("waypoint_state");
             if (!c.state.waypoints.empty()) c.start_arm(x, c.state.waypoints, 20), c.state.motions.back().listener.reset();
         }},
        {"stop_waypoint", [](C& c, X& x) { c.state.motions.clear(); x.ack("waypoint_state"); }},
        {"clear_waypoint", [](C& c, X& x) { c.state.waypoints.clear(); x.ack("waypoint_state"); }},
        {"timer", [](C&, X& x) { x.ack("wait_time"); }},
        // teaching and stepping
        {"set_joint_teach", joint_teach},
        {"set_pos_teach", [](C& c, X& x) { cartesian_teach(c, x, 0.1, "pos_teach"); }},
        {"set_ort_teach", [](C& c, X& x) { cartesian_teach(c, x, 0.5, "ort_teach"); }},
        {"set_stop_teach", [](C& c, X& x) { c.state.motions.clear(); x.ack("stop_teach"); }},
        {"set_joint_step", joint_step},
        {"set_pos_step", [](C& c, X& x) { cartesian_step(c, x, 1e6); }},
        {"set_ort_step", [](C& c, X& x) { cartesian_step(c, x, 1e3); }},
        {"set_teach_frame", [](C&, X& x) { x.ack("set_state"); }},
        // drag teaching
        {"start_drag_teach", [](C& c, X& x) { c.state.drag_origin = c.state.joints; x.ack("drag_teach"); }},
        {"stop_drag_teach", [](C&, X& x) { x.ack("drag_teach"); }},
        {"start_multi_drag_teach", [](C& c, X& x) { c.state.drag_origin = c.state.joints; x.ack("set_state"); }},
        {"run_drag_trajectory", [](C&, X& x) { x.ack("run_state"); }},
        {"pause_drag_trajectory", [](C& c, X& x) { c.state.paused = true; x.ack("pause_state"); }},
        {"continue_drag_trajectory", [](C& c, X& x) { c.state.paused = false; x.ack("continue_state"); }},
        {"stop_drag_trajectory", [](C& c, X& x) { c.state.motions.clear(); x.ack("stop_state"); }},
        {"drag_trajectory_origin", [](C& c, X& x) { move_to(c, x, c.state.drag_origin, true); }},
    };
    return table;
}

}  // namespace arx::sim
