// The controller's picture for those who watch it: one function under the
// state's lock, read by the arm state query and by the viewer alike.
#include "sim/controller.h"

#include "kinematics/forward.h"
#include "kinematics/kinematic_state.h"

#include <algorithm>

namespace arx::sim {

namespace {

constexpr double kMmPerM = 1000;

FrameView view_of(const kin::Transform& t) {
    FrameView f;
    for (int row = 0; row < 3; ++row) {
        f.origin[row] = t.m[row][3] * kMmPerM;
        for (int column = 0; column < 3; ++column) f.axis[column][row] = t.m[row][column];
    }
    return f;
}

std::array<double, 3> point_of(const kin::TransformColumns& t) {
    return {t.p[0] * kMmPerM, t.p[1] * kMmPerM, t.p[2] * kMmPerM};
}

kin::Transform transform_of(const Pose6& p) { return kin::Transform::from(pos2matrix(to_kinematics(p))); }

// The chain as the forward kinematics build it, one link at a time: each
// joint's frame, and the line the links draw through the model's geometry
// (along x by the link's a, then along the new z by its d).
void add_chain(const Joints& joints, Snapshot& out) {
    const kin::KinematicState& ks = kin::kinematic_state();
    if (ks.arm == nullptr) return;
    const kin::ArmModelSpec& arm = *ks.arm;
    kin::TransformColumns t(ks.install_rotation);
    out.joint_frames.push_back(view_of(t.to_transform()));
    out.link_path.push_back(point_of(t));
    for (int i = 0; i < arm.joints; ++i) {
        const kin::Link& link = arm.link[i];
        const float d = i == arm.joints - 1 ? ks.end_link : link.d;
        const float theta = (static_cast<float>(joints[i]) + link.offset_deg) * kin::kDegToRad;
        const std::array<double, 3> start = point_of(t);
        const double a = link.a * kMmPerM;
        out.link_path.push_back({start[0] + a * t.x[0], start[1] + a * t.x[1], start[2] + a * t.x[2]});
        t.append(kin::link_transform(link, d, theta));
        out.joint_frames.push_back(view_of(t.to_transform()));
        out.link_path.push_back(point_of(t));
    }
    const kin::Transform flange = t.to_transform();
    out.tool_frame = view_of(ks.tool_is_identity ? flange : flange * ks.tool);
}

}  // namespace

Snapshot Controller::snapshot() {
    std::lock_guard<std::mutex> lock(mutex);
    return snapshot_locked(true);
}

Snapshot Controller::snapshot_locked(bool full) const {
    const ControllerState& s = state;
    Snapshot out;
    out.model = s.model;
    out.joint_count = s.joint_count;
    out.joints = s.joints;
    out.pose = tool_pose(s.joints);
    // Jogs run until teaching stops; they are not waited for.
    out.moving =
        static_cast<int>(std::count_if(s.motions.begin(), s.motions.end(), [](const Motion& m) { return !m.jog; }) +
                         s.device_motions.size());
    if (!full) return out;
    out.full = true;
    add_chain(s.joints, out);
    const auto work = s.work_frames.find(s.work);
    out.work_frame = view_of(work == s.work_frames.end() ? kin::Transform::identity() : transform_of(work->second));
    out.tool = s.tool;
    out.work = s.work;
    out.io = s.io;
    out.gripper = s.gripper;
    out.lift_height = s.lift_height;
    out.paused = s.paused;
    out.trajectory_type = s.trajectory_type;
    out.faults = faults.all();
    out.clients = clients.load();
    out.log.assign(log_tail.begin(), log_tail.end());
    return out;
}

void Controller::stop_arm() {
    state.motions.clear();
    state.paused = false;
}

void Controller::note(std::string line) {
    // A page shows a line, not a file's worth of one.
    constexpr std::size_t kLongestLine = 300;
    if (line.size() > kLongestLine) line.replace(kLongestLine, std::string::npos, "...");
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    log_tail.push_back(std::move(line));
    while (log_tail.size() > kLogTailLines) log_tail.pop_front();
}

}  // namespace arx::sim
