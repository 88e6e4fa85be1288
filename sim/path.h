// The tool's path through space for the moves that name one: a straight line
// or an arc of a circle, with the orientation turned along it. Pure geometry
// in metres and radians, no state: a path is a function of its progress
// s in [0, 1] to a pose, and the motion clock asks it for the next pose.
#pragma once

#include <array>
#include <optional>

namespace arx::sim {

using Vec3d = std::array<double, 3>;

// A unit quaternion, w first.
struct Quat {
    double w = 1, x = 0, y = 0, z = 0;
};

// Euler angles as the controller carries them, fixed axes X, then Y, then Z:
// R = Rz(rz) Ry(ry) Rx(rx).
Quat quat_of_euler(double rx, double ry, double rz);
std::array<double, 3> euler_of_quat(const Quat& q);

// The angle of the rotation that takes `a` to `b` (the shorter way), in [0, pi].
double turn_between(const Quat& a, const Quat& b);
// Spherical interpolation: `a` at 0, `b` at 1, turning the shorter way at a
// steady rate about one axis.
Quat slerp(const Quat& a, Quat b, double s);

struct PathPose {
    Vec3d position{};  // metres
    Quat orientation;
};

class Path {
public:
    // The segment from `from` to `to`; the orientation slerps from one to the other.
    static Path line(const PathPose& from, const PathPose& to);
    // The arc of the circle through the three positions that leaves `from`,
    // passes `via` and ends at `to`; the orientation slerps from `from` to
    // `via` on the way to it and on to `to` after it. None when the three
    // positions lie on one line (or two of them coincide): no circle passes
    // through them.
    static std::optional<Path> arc(const PathPose& from, const PathPose& via, const PathPose& to);

    // The pose at progress `s`, clamped to [0, 1].
    PathPose at(double s) const;
    double length() const { return length_; }  // metres the tool travels
    double turn() const { return turn_; }      // radians the tool turns, summed along the path

    // For an arc: its centre and radius (a line has neither).
    bool is_arc() const { return radius_ > 0; }
    const Vec3d& centre() const { return centre_; }
    double radius() const { return radius_; }

private:
    Path() = default;
    PathPose from_, via_, to_;
    // A line: from_ + s (to_ - from_). An arc: centre_ + radius_ (cos t u_ + sin t v_), t = s sweep_.
    Vec3d centre_{}, u_{}, v_{};
    double radius_ = 0, sweep_ = 0;
    double via_at_ = 1;  // the progress at which an arc passes its via pose
    double length_ = 0, turn_ = 0;
};

}  // namespace arx::sim
