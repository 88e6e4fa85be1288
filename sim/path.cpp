#include "sim/path.h"

#include <algorithm>
#include <cmath>

namespace arx::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Three points whose triangle is less high than this (over its longest side)
// lie on one line, and two this close are one point: the wire carries
// micrometres, truncated, and a pose read back and sent again may be off by a
// few of them. The circle through such points would be hundreds of metres
// wide, its sweep set by rounding.
constexpr double kOnLine = 5e-6;

Vec3d operator-(const Vec3d& a, const Vec3d& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3d operator+(const Vec3d& a, const Vec3d& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3d operator*(double k, const Vec3d& a) { return {k * a[0], k * a[1], k * a[2]}; }
double dot(const Vec3d& a, const Vec3d& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3d cross(const Vec3d& a, const Vec3d& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norm(const Vec3d& a) { return std::sqrt(dot(a, a)); }

double dot(const Quat& a, const Quat& b) { return a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z; }

Quat normalised(const Quat& q) {
    const double n = std::sqrt(dot(q, q));
    return n > 0 ? Quat{q.w / n, q.x / n, q.y / n, q.z / n} : Quat{};
}

// The angle of a point about the circle's centre, in [0, 2 pi).
double angle_on(const Vec3d& offset, const Vec3d& u, const Vec3d& v) {
    const double t = std::atan2(dot(offset, v), dot(offset, u));
    return t < 0 ? t + 2 * kPi : t;
}

}  // namespace

Quat quat_of_euler(double rx, double ry, double rz) {
    const double cx = std::cos(rx / 2), sx = std::sin(rx / 2);
    const double cy = std::cos(ry / 2), sy = std::sin(ry / 2);
    const double cz = std::cos(rz / 2), sz = std::sin(rz / 2);
    // qz * qy * qx
    return {cz * cy * cx + sz * sy * sx, cz * cy * sx - sz * sy * cx, cz * sy * cx + sz * cy * sx,
            sz * cy * cx - cz * sy * sx};
}

std::array<double, 3> euler_of_quat(const Quat& q) {
    const double sin_ry = std::clamp(2 * (q.w * q.y - q.z * q.x), -1.0, 1.0);
    return {std::atan2(2 * (q.w * q.x + q.y * q.z), 1 - 2 * (q.x * q.x + q.y * q.y)), std::asin(sin_ry),
            std::atan2(2 * (q.w * q.z + q.x * q.y), 1 - 2 * (q.y * q.y + q.z * q.z))};
}

double turn_between(const Quat& a, const Quat& b) {
    const double c = std::min(1.0, std::fabs(dot(normalised(a), normalised(b))));
    return 2 * std::acos(c);
}

Quat slerp(const Quat& a, Quat b, double s) {
    double c = dot(a, b);
    if (c < 0) {  // q and -q are one rotation: take the shorter way
        b = {-b.w, -b.x, -b.y, -b.z};
        c = -c;
    }
    double wa = 1 - s, wb = s;
    // Nearly the same rotation: the arc is a straight chord to rounding.
    if (c < 1 - 1e-9) {
        const double theta = std::acos(std::min(c, 1.0));
        wa = std::sin((1 - s) * theta) / std::sin(theta);
        wb = std::sin(s * theta) / std::sin(theta);
    }
    return normalised({wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z});
}

Path Path::line(const PathPose& from, const PathPose& to) {
    Path p;
    p.from_ = from;
    p.via_ = to;
    p.to_ = to;
    p.length_ = norm(to.position - from.position);
    p.turn_ = turn_between(from.orientation, to.orientation);
    return p;
}

std::optional<Path> Path::arc(const PathPose& from, const PathPose& via, const PathPose& to) {
    const Vec3d a = via.position - from.position, b = to.position - from.position;
    const Vec3d n = cross(a, b);
    const double longest = std::max({norm(a), norm(b), norm(to.position - via.position)});
    if (longest < kOnLine || norm(n) / longest < kOnLine) return std::nullopt;
    Path p;
    p.from_ = from;
    p.via_ = via;
    p.to_ = to;
    // The circumcentre of the triangle from, via, to.
    const double nn = dot(n, n);
    p.centre_ = from.position + (1 / (2 * nn)) * (dot(a, a) * cross(b, n) + dot(b, b) * cross(n, a));
    const Vec3d start = from.position - p.centre_;
    p.radius_ = norm(start);
    p.u_ = (1 / p.radius_) * start;
    // Turning about a x b, the start meets the via before the end.
    p.v_ = cross((1 / std::sqrt(nn)) * n, p.u_);
    const double via_angle = angle_on(via.position - p.centre_, p.u_, p.v_);
    p.sweep_ = angle_on(to.position - p.centre_, p.u_, p.v_);
    p.via_at_ = via_angle / p.sweep_;
    p.length_ = p.radius_ * p.sweep_;
    p.turn_ = turn_between(from.orientation, via.orientation) + turn_between(via.orientation, to.orientation);
    return p;
}

PathPose Path::at(double s) const {
    s = std::clamp(s, 0.0, 1.0);
    PathPose out;
    if (s >= 1) return to_;
    if (!is_arc()) {
        out.position = from_.position + s * (to_.position - from_.position);
        out.orientation = slerp(from_.orientation, to_.orientation, s);
        return out;
    }
    const double t = s * sweep_;
    out.position = centre_ + radius_ * (std::cos(t) * u_ + std::sin(t) * v_);
    out.orientation = s < via_at_ ? slerp(from_.orientation, via_.orientation, s / via_at_)
                                  : slerp(via_.orientation, to_.orientation, (s - via_at_) / (1 - via_at_));
    return out;
}

}  // namespace arx::sim
