// The simulated controller: one arm and its devices, shared by every
// connection, answering request lines and moving in time.
#pragma once

#include "arx_api.h"
#include "sim/faults.h"
#include "sim/json_line.h"
#include "sim/path.h"
#include "sim/session.h"

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace arx::sim {

constexpr int kMaxJoints = 7;
using Joints = std::array<double, kMaxJoints>;  // degrees

// A pose as the commands carry it: metres and radians.
struct Pose6 {
    double v[6] = {};
};

struct ToolFrame {
    Pose6 pose;
    double payload = 0;
    double position[3] = {};  // centre of mass, millimetres as sent
};

// Something that moves until it arrives: the arm to joint targets, the
// gripper or the lift to a position. The session that asked, if it still
// listens, gets the arrival report.
struct Motion {
    enum class Device {
        Arm,
        Gripper,
        Lift
    } device = Device::Arm;
    std::vector<Joints> waypoints;  // the arm's targets, in order
    // A move of the tool along a line or an arc rather than of the joints:
    // its poses (the target; for an arc the via pose, then the target). The
    // path starts where the tool stands when the move begins.
    enum class Shape {
        Joints,
        Line,
        Arc
    } shape = Shape::Joints;
    std::vector<Pose6> poses;
    std::optional<Path> path;
    double progress = 0;                    // along the path, 0 to 1
    double linear_rate = 0, turn_rate = 0;  // metres and radians per second
    double target = 0;                      // gripper or lift position
    double rate = 0;                        // degrees, gripper units or millimetres per second
    bool stalled = false;                   // never moves, never arrives
    bool refused = false;                   // arrives with a false state
    bool jog = false;                       // teaching: runs until stopped or replaced, reports nothing
    std::weak_ptr<Session> listener;
};

// The controller's IO channels and the tool's, numbered from 0.
struct IoChannels {
    static constexpr std::size_t kChannels = 8;
    std::array<int, kChannels> digital_out{}, digital_in{};
    std::array<double, kChannels> analog_out{}, analog_in{};  // volts
    std::array<int, 2> tool_out{}, tool_mode{};
    int tool_voltage = 0;
};

// Everything the controller remembers. Guarded by Controller::mutex.
struct ControllerState {
    int model = 0;
    int joint_count = 6;
    Joints joints{};
    Joints min_pos{}, max_pos{}, max_speed{}, max_acc{};
    std::array<int, kMaxJoints> enabled{};
    double line_speed = 0.25, line_acc = 1.6, angular_speed = 0.6, angular_acc = 4;  // m/s, rad/s
    int collision_stage = 0;
    double dh[5] = {};
    Joints init_pose{};
    double install[3] = {};
    bool servo = true, power = true;

    std::map<std::string, ToolFrame> tools;
    std::map<std::string, Pose6> work_frames;
    std::vector<std::string> tool_order, work_order;  // names as created
    std::string tool = "Arm_Tip", work = "World";
    double payload = 0;

    IoChannels io;

    double gripper = 1000;  // 0 closed .. 1000 open
    int gripper_min = 0, gripper_max = 1000;
    int hand_posture = 0;
    double lift_height = 0;  // millimetres
    int lift_speed = 0;
    int car_station = 0;
    double force[6] = {};  // newtons, newton-metres
    double fz = 0;

    std::map<int, int> coils, registers;  // Modbus, by address
    bool paused = false;
    std::deque<Motion> motions;          // the arm's queue; the front one runs
    std::vector<Motion> device_motions;  // gripper and lift, beside the arm
    std::vector<Joints> waypoints;       // stored for start_waypoint
    std::string trajectory_type = "none";
    Joints drag_origin{};
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

// A frame in the base frame: origin in millimetres, unit axes as columns.
struct FrameView {
    double origin[3] = {};
    double axis[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // axis[0] is x, ...
};

// One coherent picture of the controller, taken under its lock, for those who
// watch it: the arm state query reads its first part, the viewer all of it.
struct Snapshot {
    int model = 0;
    int joint_count = 6;
    Joints joints{};  // degrees
    Pose6 pose;       // the active tool's pose in the base frame
    int moving = 0;   // motions not yet arrived, jogs left out

    // The rest only in a full snapshot.
    bool full = false;
    std::vector<FrameView> joint_frames;           // the base, then the frame of each joint (the flange last)
    std::vector<std::array<double, 3>> link_path;  // millimetres: the chain as one line, base to flange
    FrameView tool_frame, work_frame;
    std::string tool, work;
    IoChannels io;
    double gripper = 0, lift_height = 0;
    bool paused = false;
    std::string trajectory_type;
    std::map<std::string, Fault> faults;
    int clients = 0;
    std::vector<std::string> log;  // the last request lines and replies, oldest first
};

// A pose as the kinematics take it (single precision, with its quaternion).
Pose to_kinematics(const Pose6& p);

// A line for a client that the controller sends on its own (an arrival),
// handed to whoever writes to that client.
struct Report {
    std::weak_ptr<Session> to;
    std::string line;
};

// A request in the middle of being answered.
struct Exchange {
    const std::string& word;
    const cJSON* request;
    std::shared_ptr<Session> session;
    std::vector<std::string> replies;  // lines to send, in order

    void answer(const JsonLine& line) { replies.push_back(line.line()); }
    // {"command":word, key:true}: the plain acknowledgement.
    void ack(const char* key) { answer(JsonLine::command(word).flag(key, true)); }
    double number(const char* key, double otherwise = 0) const;
    double element(const char* key, int index, double otherwise = 0) const;
    int count(const char* key) const;  // array length, 0 when not an array
    std::string text(const char* key) const;
    // A member as a whole number (truncated toward zero) when it is a finite
    // number within [lo, hi]; else nullopt, and the request is refused.
    // An absent member is `missing`.
    std::optional<int> whole(const char* key, int lo, int hi, std::optional<int> missing = std::nullopt) const;
    std::optional<int> whole_element(const char* key, int index, int lo, int hi) const;
    // A member that is absent or a finite number of at most `limit` in size.
    bool bounded(const char* key, double limit) const;
};

class Controller {
public:
    static constexpr std::size_t kLogTailLines = 40;
    Controller(int model, double speed_factor, FaultTable& faults);

    // Answers one request line from `session`. False when the connection
    // should no longer be read (a deaf controller) or has been reset.
    bool handle(const std::string& line, const std::shared_ptr<Session>& session);
    // A downloaded trajectory file, its lines run as a project.
    void run_project(const std::string& content, const std::shared_ptr<Session>& session);
    // Moves everything that moves by `seconds`; the arrival reports to send.
    std::vector<Report> tick(double seconds);
    // Whether a tick would move anything (the clock sleeps otherwise). Under `mutex`.
    bool moving() const;

    // Read by the catalogue (under `mutex`).
    ControllerState state;
    double speed_factor;
    FaultTable& faults;
    bool log = false;  // each request and its answers on stderr
    std::mutex mutex;

    // For the viewer: the last request lines and their replies are kept
    // (only when someone may look), and the server counts its clients.
    bool keep_log_tail = false;
    std::atomic<int> clients{0};
    // The picture of everything (takes `mutex`).
    Snapshot snapshot();
    // Called with `mutex` held; `full` false gives the joints and the pose only.
    Snapshot snapshot_locked(bool full) const;
    // Stops the arm's motions, as the stop request does (with `mutex` held).
    void stop_arm();
    // A line of the kept log tail (with `mutex` held).
    void note(std::string line);
    std::deque<std::string> log_tail;

    // Helpers for the catalogue, called with `mutex` held.
    Pose6 tool_pose(const Joints& joints) const;  // forward kinematics with the active tool
    bool solve(const Pose6& target,
               Joints* joints) const;  // inverse kinematics near the current joints; false out of reach
    // Inverse kinematics that stays near `seed` (a path's last joints): false
    // out of reach or where a joint would have to leap.
    bool solve_near(const Pose6& target, const Joints& seed, Joints* joints) const;
    bool within_limits(const Joints& joints) const;  // every joint finite and inside its limits
    double joint_rate(double v_percent) const;       // degrees per second at speed "v"
    void start_arm(Exchange& x, std::vector<Joints> targets, double v_percent);
    // A move of the tool along a line (`poses` the target) or an arc (via, target).
    void start_path(Exchange& x, Motion::Shape shape, std::vector<Pose6> poses, double v_percent);
    void start_device(Exchange& x, Motion::Device device, double target, double rate);
    void refuse_arm(Exchange& x);  // an arrival report with a false state, at once

private:
    // One tick of the arm's running move; true when it has ended.
    bool interpolate_joints(Motion& m, double seconds);
    bool follow_path(Motion& m, double seconds);
};

// The reply handlers, one per request word.
using Handler = void (*)(Controller&, Exchange&);
const std::map<std::string, Handler>& catalogue();

}  // namespace arx::sim
