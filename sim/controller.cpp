#include "sim/controller.h"

#include "kinematics/arm_models.h"
#include "kinematics/kinematic_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace arx::sim {

namespace {

constexpr double kFullSpeedDegPerS = 180;  // a joint at "v" 100
// A path is followed in steps of at most a millimetre and a hundredth of a
// radian; a joint that turns further than this in one such step means the
// path runs through a singularity or flips the arm's posture: it stops there.
constexpr double kPathStepM = 1e-3, kPathStepRad = 1e-2;
constexpr double kPathJointLeapDeg = 15;
// Slower than this the line and angular speed limits are taken as this.
constexpr double kSlowestLinear = 1e-3, kSlowestTurn = 1e-3;  // m/s, rad/s
// Metres or radians: no arm reaches, and no orientation needs, more.
constexpr double kFarthestPose = 1000;
// The pose the arm stands in at power-on: elbow and wrist bent, away from
// the stretched and folded singularities.
constexpr Joints kHome = {0, 20, 70, 0, 90, 0, 0};
constexpr Joints kHomeSevenAxis = {0, 20, 0, 70, 0, 90, 0};

}  // namespace

Pose to_kinematics(const Pose6& p) {
    Pose out{};
    out.x = static_cast<float>(p.v[0]);
    out.y = static_cast<float>(p.v[1]);
    out.z = static_cast<float>(p.v[2]);
    out.euler = {static_cast<float>(p.v[3]), static_cast<float>(p.v[4]), static_cast<float>(p.v[5])};
    out.quaternion = euler2quaternion(out.euler);
    return out;
}

double Exchange::number(const char* key, double otherwise) const {
    const cJSON* item = cJSON_GetObjectItem(request, key);
    return cJSON_IsNumber(item) ? item->valuedouble : cJSON_IsTrue(item) ? 1 : otherwise;
}

double Exchange::element(const char* key, int index, double otherwise) const {
    const cJSON* item = cJSON_GetArrayItem(cJSON_GetObjectItem(request, key), index);
    return cJSON_IsNumber(item) ? item->valuedouble : otherwise;
}

int Exchange::count(const char* key) const {
    const cJSON* item = cJSON_GetObjectItem(request, key);
    return cJSON_IsArray(item) ? cJSON_GetArraySize(item) : 0;
}

std::string Exchange::text(const char* key) const {
    const cJSON* item = cJSON_GetObjectItem(request, key);
    return cJSON_IsString(item) ? item->valuestring : "";
}

namespace {

std::optional<int> whole_in(const cJSON* item, int lo, int hi) {
    if (!cJSON_IsNumber(item)) return std::nullopt;
    const double value = std::trunc(item->valuedouble);
    // Written so that a value that is not finite fails too.
    if (!(value >= lo && value <= hi)) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

std::optional<int> Exchange::whole(const char* key, int lo, int hi, std::optional<int> missing) const {
    const cJSON* item = cJSON_GetObjectItem(request, key);
    return item ? whole_in(item, lo, hi) : missing;
}

std::optional<int> Exchange::whole_element(const char* key, int index, int lo, int hi) const {
    return whole_in(cJSON_GetArrayItem(cJSON_GetObjectItem(request, key), index), lo, hi);
}

bool Exchange::bounded(const char* key, double limit) const {
    const cJSON* item = cJSON_GetObjectItem(request, key);
    return !item || (cJSON_IsNumber(item) && std::fabs(item->valuedouble) <= limit);
}

Controller::Controller(int model, double speed, FaultTable& fault_table) : speed_factor(speed), faults(fault_table) {
    Init_Sys_Data(model);
    const kin::ArmModelSpec* arm = kin::arm_model_spec(model);
    ControllerState& s = state;
    s.model = model;
    s.joint_count = arm ? arm->joints : 6;
    const bool seven_axis = arm && arm->solver == kin::SolverFamily::SevenAxisHeldJoint;
    s.joints = seven_axis ? kHomeSevenAxis : kHome;
    s.init_pose = s.joints;
    for (int i = 0; i < kMaxJoints; ++i) {
        s.min_pos[i] = arm ? arm->limit_deg[i].min : -180;
        s.max_pos[i] = arm ? arm->limit_deg[i].max : 180;
        s.max_speed[i] = kFullSpeedDegPerS;
        s.max_acc[i] = 600;
        s.enabled[i] = 1;
    }
    // DH values travel in tenths of millimetres (240.5 mm as 2405); the fourth
    // is the end link.
    constexpr double kTenthsMmPerM = 1e4;
    const double dh[5] = {arm ? arm->link[0].d * kTenthsMmPerM : 2405, 0,
                          arm ? std::fabs(arm->link[2].a) * kTenthsMmPerM : 2560,
                          arm ? arm->end_link[0] * kTenthsMmPerM : 1440, 0};
    for (int i = 0; i < 5; ++i) s.dh[i] = std::round(dh[i]);
    s.tools["Arm_Tip"] = ToolFrame{};
    s.tool_order = {"Arm_Tip"};
    s.work_frames["World"] = Pose6{};
    s.work_order = {"World"};
    s.io.analog_in[0] = 1.5;
    s.io.digital_in[0] = 1;
}

Pose6 Controller::tool_pose(const Joints& joints) const {
    float j[kMaxJoints];
    for (int i = 0; i < kMaxJoints; ++i) j[i] = static_cast<float>(joints[i]);
    const Pose p = Forward_Kinematics(j);
    return Pose6{{p.x, p.y, p.z, p.euler.rx, p.euler.ry, p.euler.rz}};
}

namespace {

// One inverse-kinematics call from `seed`; false out of reach.
bool solve_from(const ControllerState& s, const Pose6& target, const Joints& seed, unsigned char flag, Joints* joints) {
    // A pose far beyond any reach is not handed to the solver.
    for (double v : target.v)
        if (!(std::fabs(v) <= kFarthestPose)) return false;
    float current[kMaxJoints], out[kMaxJoints] = {};
    for (int i = 0; i < kMaxJoints; ++i) current[i] = static_cast<float>(seed[i]);
    const Pose goal = to_kinematics(target);
    if (inverse_kinematics(current, &goal, out, flag) != 1) return false;
    Joints solved{};
    for (int i = 0; i < kMaxJoints; ++i) solved[i] = i < s.joint_count ? out[i] : 0;
    for (double v : solved)
        if (!std::isfinite(v)) return false;
    *joints = solved;
    return true;
}

bool seven_axis(int model) {
    const kin::ArmModelSpec* arm = kin::arm_model_spec(model);
    return arm && arm->solver == kin::SolverFamily::SevenAxisHeldJoint;
}

}  // namespace

bool Controller::solve(const Pose6& target, Joints* joints) const {
    // The seven-axis solver may leave the neighbourhood of the current joints
    // only when asked (flag 2, which reads the quaternion).
    return solve_from(state, target, state.joints, seven_axis(state.model) ? 2 : 1, joints);
}

bool Controller::solve_near(const Pose6& target, const Joints& seed, Joints* joints) const {
    // Along a path every solver stays near the last joints (flag 1).
    Joints solved{};
    if (!solve_from(state, target, seed, 1, &solved)) return false;
    for (int i = 0; i < state.joint_count; ++i)
        if (std::fabs(solved[i] - seed[i]) > kPathJointLeapDeg) return false;
    *joints = solved;
    return true;
}

bool Controller::within_limits(const Joints& j) const {
    for (int i = 0; i < state.joint_count; ++i)
        if (!(j[i] >= state.min_pos[i] - 1e-6 && j[i] <= state.max_pos[i] + 1e-6)) return false;  // NaN fails too
    return true;
}

double Controller::joint_rate(double v_percent) const {
    return std::clamp(v_percent, 1.0, 100.0) / 100.0 * kFullSpeedDegPerS * speed_factor;
}

void Controller::start_arm(Exchange& x, std::vector<Joints> targets, double v_percent) {
    Motion m;
    m.waypoints = std::move(targets);
    m.rate = joint_rate(v_percent);
    const FaultKind fault = faults.of(x.word).kind;
    m.stalled = fault == FaultKind::Stall;
    m.refused = fault == FaultKind::Refuse;
    // A dropped move is silent to the end: no acknowledgement, no arrival.
    if (fault != FaultKind::Drop) m.listener = x.session;
    state.motions.push_back(std::move(m));
}

void Controller::start_path(Exchange& x, Motion::Shape shape, std::vector<Pose6> poses, double v_percent) {
    start_arm(x, {}, v_percent);
    Motion& m = state.motions.back();
    m.shape = shape;
    m.poses = std::move(poses);
    // "v" is a percentage of the arm's line and angular speed limits.
    const double share = std::clamp(v_percent, 1.0, 100.0) / 100.0 * speed_factor;
    m.linear_rate = std::max(state.line_speed, kSlowestLinear) * share;
    m.turn_rate = std::max(state.angular_speed, kSlowestTurn) * share;
}

void Controller::start_device(Exchange& x, Motion::Device device, double target, double rate) {
    Motion m;
    m.device = device;
    m.target = target;
    m.rate = std::max(rate, 1.0) * speed_factor;
    const FaultKind fault = faults.of(x.word).kind;
    m.stalled = fault == FaultKind::Stall;
    m.refused = fault == FaultKind::Refuse;
    if (fault != FaultKind::Drop) m.listener = x.session;
    // A new command to the same device replaces the one running.
    auto& all = state.device_motions;
    all.erase(std::remove_if(all.begin(), all.end(), [&](const Motion& o) { return o.device == device; }), all.end());
    all.push_back(std::move(m));
}

void Controller::refuse_arm(Exchange& x) {
    x.replies.push_back(
        JsonLine::state("current_trajectory_state").flag("trajectory_state", false).number("device", 0).line());
}

namespace {

Report arrival(const Motion& m) {
    const int device = m.device == Motion::Device::Arm ? 0 : m.device == Motion::Device::Gripper ? 1 : 2;
    return {m.listener, JsonLine::state("current_trajectory_state")
                            .flag("trajectory_state", !m.refused)
                            .number("device", device)
                            .line()};
}

// Moves `value` toward `target` by at most `step`; true when there.
bool approach(double& value, double target, double step) {
    const double gap = target - value;
    if (std::fabs(gap) <= step) {
        value = target;
        return true;
    }
    value += gap > 0 ? step : -step;
    return false;
}

PathPose path_pose(const Pose6& p) { return {{p.v[0], p.v[1], p.v[2]}, quat_of_euler(p.v[3], p.v[4], p.v[5])}; }

Pose6 pose6_of(const PathPose& p) {
    const std::array<double, 3> angles = euler_of_quat(p.orientation);
    return Pose6{{p.position[0], p.position[1], p.position[2], angles[0], angles[1], angles[2]}};
}

}  // namespace

bool Controller::interpolate_joints(Motion& m, double seconds) {
    ControllerState& s = state;
    // All joints move together and arrive together.
    const Joints& goal = m.waypoints.front();
    double widest = 0;
    for (int i = 0; i < s.joint_count; ++i) widest = std::max(widest, std::fabs(goal[i] - s.joints[i]));
    const double fraction = widest > 0 ? std::min(1.0, m.rate * seconds / widest) : 1.0;
    for (int i = 0; i < s.joint_count; ++i) s.joints[i] += (goal[i] - s.joints[i]) * fraction;
    if (fraction < 1.0) return false;
    s.joints = goal;
    m.waypoints.erase(m.waypoints.begin());
    return m.waypoints.empty();
}

bool Controller::follow_path(Motion& m, double seconds) {
    ControllerState& s = state;
    if (!m.path) {
        const PathPose from = path_pose(tool_pose(s.joints));
        m.path = m.shape == Motion::Shape::Line ? Path::line(from, path_pose(m.poses[0]))
                                                : Path::arc(from, path_pose(m.poses[0]), path_pose(m.poses[1]));
        if (!m.path) {  // the start, via and target on one line: no circle
            m.refused = true;
            return true;
        }
    }
    const Path& path = *m.path;
    const double duration = std::max(path.length() / m.linear_rate, path.turn() / m.turn_rate);
    const double reached = duration > 0 ? std::min(1.0, m.progress + seconds / duration) : 1.0;
    const double span = reached - m.progress;
    const double pieces = std::max(span * path.length() / kPathStepM, span * path.turn() / kPathStepRad);
    const int steps = static_cast<int>(std::clamp(std::ceil(pieces), 1.0, 1e6));
    for (int i = 1; i <= steps; ++i) {
        const double at = i == steps ? reached : m.progress + span * i / steps;
        Joints next{};
        if (!solve_near(pose6_of(path.at(at)), s.joints, &next) || !within_limits(next)) {
            m.refused = true;  // the arm stays where the path left its reach
            return true;
        }
        s.joints = next;
    }
    m.progress = reached;
    return reached >= 1;
}

bool Controller::moving() const {
    const ControllerState& s = state;
    if (!s.paused && !s.motions.empty() && !s.motions.front().stalled) return true;
    return std::any_of(s.device_motions.begin(), s.device_motions.end(), [](const Motion& m) { return !m.stalled; });
}

std::vector<Report> Controller::tick(double seconds) {
    std::vector<Motion> arrived;
    {
        std::lock_guard<std::mutex> lock(mutex);
        ControllerState& s = state;
        if (!s.motions.empty() && !s.paused) {
            Motion& m = s.motions.front();
            const bool done = !m.stalled && (m.shape == Motion::Shape::Joints ? interpolate_joints(m, seconds)
                                                                              : follow_path(m, seconds));
            if (done) {
                arrived.push_back(std::move(m));
                s.motions.pop_front();
            }
        }
        auto& devices = s.device_motions;
        for (auto it = devices.begin(); it != devices.end();) {
            double& value = it->device == Motion::Device::Gripper ? s.gripper : s.lift_height;
            if (!it->stalled && approach(value, it->target, it->rate * seconds)) {
                arrived.push_back(std::move(*it));
                it = devices.erase(it);
            } else {
                ++it;
            }
        }
    }
    std::vector<Report> reports;
    for (const Motion& m : arrived)
        if (!m.listener.expired()) reports.push_back(arrival(m));
    return reports;
}

bool Controller::handle(const std::string& line, const std::shared_ptr<Session>& session) {
    JsonPtr request(cJSON_Parse(line.c_str()));
    const cJSON* word_item = cJSON_GetObjectItem(request.get(), "command");
    if (!cJSON_IsString(word_item)) return true;  // not a request: ignored, as a controller would
    const std::string word = word_item->valuestring;

    // The simulator's own words are always answered, whatever is injected for "*".
    const bool own_word = word == "sim_fault" || word == "sim_status";
    if (!own_word && faults.of(word).kind == FaultKind::Deaf) return false;

    Exchange x{word, request.get(), session, {}};
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto& table = catalogue();
        const auto found = table.find(word);
        if (found != table.end()) found->second(*this, x);
        if (keep_log_tail) {
            note("<- " + line);
            for (const std::string& reply : x.replies) note("-> " + reply);
        }
    }
    if (log) {
        std::fprintf(stderr, "<- %s\n", line.c_str());
        for (const std::string& reply : x.replies) std::fprintf(stderr, "-> %s", reply.c_str());
    }
    for (const std::string& reply : x.replies) {
        if (own_word)
            session->report(reply);
        else if (!session->reply(word, reply))
            return false;
    }
    return true;
}

void Controller::run_project(const std::string& content, const std::shared_ptr<Session>& session) {
    // A project is request lines; its moves run one after the other, and
    // nobody waits for their arrival.
    std::size_t at = 0;
    while (at < content.size()) {
        std::size_t end = content.find('\n', at);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(at, end - at);
        at = end + 1;
        if (line.find("\"command\"") == std::string::npos) continue;
        auto quiet = std::make_shared<Session>(-1, faults);
        handle(line, quiet);
    }
    (void)session;
}

}  // namespace arx::sim
