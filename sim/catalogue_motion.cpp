// Request words of motion: moves and streamed set-points, trajectory
// control, waypoints, teaching and stepping, drag teaching.
#include "sim/catalogue.h"

#include <algorithm>
#include <cmath>

namespace arx::sim {

namespace {

using C = Controller;
using X = Exchange;

void move_to(C& c, X& x, const Joints& target, bool reachable) {
    x.ack("trajectory_state");
    if (!reachable || !c.within_limits(target)) return c.refuse_arm(x);
    c.start_arm(x, {target}, x.number("v", 20));
}

// A move of the tool along the straight line to `pose` (whose joints,
// `target`, are where it ends).
void move_along(C& c, X& x, const Pose6& pose, const Joints& target, bool reachable) {
    x.ack("trajectory_state");
    if (!reachable || !c.within_limits(target)) return c.refuse_arm(x);
    c.start_path(x, Motion::Shape::Line, {pose}, x.number("v", 20));
}

void movej(C& c, X& x) {
    c.state.trajectory_type = "movej";
    move_to(c, x, joints_from(c, x, "joint"), true);
}

// "movel" takes the straight line, "movej_p" the joints' way to the same pose.
void movel(C& c, X& x) {
    c.state.trajectory_type = x.word;
    const Pose6 pose = pose_from(x, "pose");
    Joints target{};
    const bool solved = c.solve(pose, &target);
    if (x.word == "movel")
        move_along(c, x, pose, target, solved);
    else
        move_to(c, x, target, solved);
}

void movec(C& c, X& x) {
    c.state.trajectory_type = "movec";
    const cJSON* poses = cJSON_GetObjectItem(x.request, "pose");
    X inner{x.word, poses, x.session, {}};
    const Pose6 via_pose = pose_from(inner, "pose_via"), to_pose = pose_from(inner, "pose_to");
    Joints via{}, to{};
    const bool solved = c.solve(via_pose, &via) && c.solve(to_pose, &to);
    x.ack("trajectory_state");
    if (!solved || !c.within_limits(via) || !c.within_limits(to)) return c.refuse_arm(x);
    // The arc runs from where the tool stands when the move begins.
    c.start_path(x, Motion::Shape::Arc, {via_pose, to_pose}, x.number("v", 20));
}

// Streamed set-points take effect at once and answer nothing; one beyond a
// joint limit (or out of reach) is ignored, and the arm stays.
void movej_canfd(C& c, X& x) {
    const Joints target = joints_from(c, x, "joint");
    if (c.within_limits(target)) c.state.joints = target;
}
void movep_canfd(C& c, X& x) {
    Joints target{};
    if (c.solve(pose_from(x, "pose"), &target) && c.within_limits(target)) c.state.joints = target;
}

void current_trajectory(C& c, X& x) {
    const ControllerState& s = c.state;
    const bool cartesian = s.trajectory_type == "movel" || s.trajectory_type == "movej_p";
    x.answer(JsonLine::state("arm_current_trajectory")
                 .text("type", s.trajectory_type)
                 .numbers("data", cartesian ? pose_wire(c.tool_pose(s.joints)) : joints_milli(s, s.joints)));
}

// A jog runs toward a far target until the teaching stops; it reports
// nothing. A Cartesian jog (`line` given) moves the tool straight toward it.
void jog(C& c, X& x, const Joints& target, bool reachable, const char* key, const Pose6* line = nullptr) {
    ack_bool(x, key, reachable);
    if (!reachable) return;
    auto& motions = c.state.motions;
    motions.erase(std::remove_if(motions.begin(), motions.end(), [](const Motion& m) { return m.jog; }), motions.end());
    if (line)
        c.start_path(x, Motion::Shape::Line, {*line}, x.number("v", 20));
    else
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
bool shifted(C& c, int axis, double amount, Pose6* pose, Joints* target) {
    if (axis < 0) return false;
    *pose = c.tool_pose(c.state.joints);
    pose->v[axis] += amount;
    return c.solve(*pose, target);
}

void joint_teach(C& c, X& x) {
    const std::optional<int> number = x.whole("teach_joint", 1, c.state.joint_count);
    const bool ok = number.has_value();
    Joints target = c.state.joints;
    if (ok)
        target[*number - 1] =
            x.text("direction") == "neg" ? c.state.min_pos[*number - 1] : c.state.max_pos[*number - 1];
    jog(c, x, target, ok, "joint_teach");
}

void cartesian_teach(C& c, X& x, double reach, const char* key) {
    Pose6 pose;
    Joints target{};
    const double sign = x.text("direction") == "neg" ? -1 : 1;
    // Position jogs name x, y, z; orientation jogs the same letters about them.
    const int named = axis_of(x.text("teach_type"));
    const int axis = named < 0 ? -1 : named % 3 + (reach < 0.5 ? 0 : 3);
    const bool ok = shifted(c, axis, sign * reach, &pose, &target);
    jog(c, x, target, ok, key, &pose);
}

void joint_step(C& c, X& x) {
    const std::optional<int> number = x.whole_element("joint_step", 0, 1, c.state.joint_count);
    Joints target = c.state.joints;
    const bool ok = number.has_value();
    if (ok) target[*number - 1] += x.element("joint_step", 1) / 1000;
    move_to(c, x, target, ok);
}

void cartesian_step(C& c, X& x, double scale) {
    Pose6 pose;
    Joints target{};
    const bool ok = shifted(c, axis_of(x.text("step_type")), x.number("step") / scale, &pose, &target);
    move_along(c, x, pose, target, ok);
}

}  // namespace

const std::map<std::string, Handler>& motion_handlers() {
    static const std::map<std::string, Handler> table = {
        // motion
        {"movej", movej},
        {"movel", movel},
        {"movej_p", movel},
        {"movec", movec},
        {"movej_canfd", movej_canfd},
        {"movep_canfd", movep_canfd},
        {"set_arm_stop",
         [](C& c, X& x) {
             c.state.motions.clear();
             c.state.paused = false;
             x.ack("arm_stop");
         }},
        {"set_arm_pause",
         [](C& c, X& x) {
             c.state.paused = true;
             x.ack("arm_pause");
         }},
        {"set_arm_continue",
         [](C& c, X& x) {
             c.state.paused = false;
             x.ack("arm_continue");
         }},
        {"set_delete_current_trajectory",
         [](C& c, X& x) {
             if (!c.state.motions.empty()) c.state.motions.pop_front();
             x.ack("delete_current_trajectory");
         }},
        {"set_arm_delete_trajectory",
         [](C& c, X& x) {
             c.state.motions.clear();
             x.ack("arm_delete_trajectory");
         }},
        {"get_arm_current_trajectory", current_trajectory},
        // waypoints and timer
        {"add_waypoint",
         [](C& c, X& x) {
             const Joints waypoint = joints_from(c, x, "joint");
             const bool ok = c.within_limits(waypoint);
             if (ok) c.state.waypoints.push_back(waypoint);
             ack_bool(x, "waypoint_state", ok);
         }},
        {"start_waypoint",
         [](C& c, X& x) {
             x.ack("waypoint_state");
             if (!c.state.waypoints.empty())
                 c.start_arm(x, c.state.waypoints, 20), c.state.motions.back().listener.reset();
         }},
        {"stop_waypoint",
         [](C& c, X& x) {
             c.state.motions.clear();
             x.ack("waypoint_state");
         }},
        {"clear_waypoint",
         [](C& c, X& x) {
             c.state.waypoints.clear();
             x.ack("waypoint_state");
         }},
        {"timer", [](C&, X& x) { x.ack("wait_time"); }},
        // teaching and stepping
        {"set_joint_teach", joint_teach},
        {"set_pos_teach", [](C& c, X& x) { cartesian_teach(c, x, 0.1, "pos_teach"); }},
        {"set_ort_teach", [](C& c, X& x) { cartesian_teach(c, x, 0.5, "ort_teach"); }},
        {"set_stop_teach",
         [](C& c, X& x) {
             c.state.motions.clear();
             x.ack("stop_teach");
         }},
        {"set_joint_step", joint_step},
        {"set_pos_step", [](C& c, X& x) { cartesian_step(c, x, 1e6); }},
        {"set_ort_step", [](C& c, X& x) { cartesian_step(c, x, 1e3); }},
        {"set_teach_frame", [](C&, X& x) { x.ack("set_state"); }},
        // drag teaching
        {"start_drag_teach",
         [](C& c, X& x) {
             c.state.drag_origin = c.state.joints;
             x.ack("drag_teach");
         }},
        {"stop_drag_teach", [](C&, X& x) { x.ack("drag_teach"); }},
        {"start_multi_drag_teach",
         [](C& c, X& x) {
             c.state.drag_origin = c.state.joints;
             x.ack("set_state");
         }},
        {"run_drag_trajectory", [](C&, X& x) { x.ack("run_state"); }},
        {"pause_drag_trajectory",
         [](C& c, X& x) {
             c.state.paused = true;
             x.ack("pause_state");
         }},
        {"continue_drag_trajectory",
         [](C& c, X& x) {
             c.state.paused = false;
             x.ack("continue_state");
         }},
        {"stop_drag_trajectory",
         [](C& c, X& x) {
             c.state.motions.clear();
             x.ack("stop_state");
         }},
        {"drag_trajectory_origin", [](C& c, X& x) { move_to(c, x, c.state.drag_origin, true); }},
    };
    return table;
}

}  // namespace arx::sim
