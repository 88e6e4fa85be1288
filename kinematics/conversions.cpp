#include "kinematics/conversions.h"

#include <cmath>
#include <initializer_list>

namespace arx::kin {

namespace {

constexpr float kSnapBelow = 1e-6f;
constexpr float kWrapBelow = -3.13f;

struct Trig {
    double c, s;
    explicit Trig(float angle) : c(std::cos(static_cast<double>(angle))), s(std::sin(static_cast<double>(angle))) {}
};

// R = Rz(rz) * Ry(ry) * Rx(rx), written out element by element.
void write_rotation(const eul& e, float (&m)[4][4]) {
    const Trig x(e.rx), y(e.ry), z(e.rz);
    m[0][0] = static_cast<float>(y.c * z.c);
    m[0][1] = static_cast<float>(x.s * y.s * z.c - x.c * z.s);
    m[0][2] = static_cast<float>(x.c * y.s * z.c + x.s * z.s);
    m[1][0] = static_cast<float>(y.c * z.s);
    m[1][1] = static_cast<float>(x.s * y.s * z.s + x.c * z.c);
    m[1][2] = static_cast<float>(x.c * y.s * z.s - x.s * z.c);
    m[2][0] = static_cast<float>(-y.s);
    m[2][1] = static_cast<float>(x.s * y.c);
    m[2][2] = static_cast<float>(x.c * y.c);
}

// sqrt(R22^2 + R21^2), the cosine of ry, in single precision.
float cos_ry(const Transform& t) { return std::sqrt(t.m[2][2] * t.m[2][2] + t.m[2][1] * t.m[2][1]); }

}  // namespace

Transform euler_transform(const eul& angles, float x, float y, float z) {
    Transform t = Transform::identity();
    write_rotation(angles, t.m);
    t.m[0][3] = x;
    t.m[1][3] = y;
    t.m[2][3] = z;
    return t;
}

ort quaternion_of(const eul& angles) {
    const Trig hx(angles.rx / 2.0f), hy(angles.ry / 2.0f), hz(angles.rz / 2.0f);
    ort q;
    q.w = static_cast<float>(hx.c * hy.c * hz.c + hx.s * hy.s * hz.s);
    q.x = static_cast<float>(hx.s * hy.c * hz.c - hx.c * hy.s * hz.s);
    q.y = static_cast<float>(hx.s * hy.c * hz.s + hx.c * hy.s * hz.c);
    q.z = static_cast<float>(hx.c * hy.c * hz.s - hx.s * hy.s * hz.c);
    return q;
}

eul euler_of(const Transform& t) {
    eul e;
    e.rx = static_cast<float>(std::atan2(static_cast<double>(t.m[2][1]), static_cast<double>(t.m[2][2])));
    e.ry = static_cast<float>(std::atan2(static_cast<double>(-t.m[2][0]), static_cast<double>(cos_ry(t))));
    e.rz = static_cast<float>(std::atan2(static_cast<double>(t.m[1][0]), static_cast<double>(t.m[0][0])));
    return e;
}

eul euler_of_single(const Transform& t) {
    eul e;
    e.rx = std::atan2(t.m[2][1], t.m[2][2]);
    e.ry = std::atan2(-t.m[2][0], cos_ry(t));
    e.rz = std::atan2(t.m[1][0], t.m[0][0]);
    return e;
}

eul euler_of_quaternion_single(const ort& q) {
    eul e;
    e.rx = std::atan2(2.0f * (q.w * q.x + q.y * q.z), 1.0f - 2.0f * (q.x * q.x + q.y * q.y));
    e.ry = std::asin(2.0f * (q.w * q.y - q.x * q.z));
    e.rz = std::atan2(2.0f * (q.x * q.y + q.w * q.z), 1.0f - 2.0f * (q.y * q.y + q.z * q.z));
    return e;
}

Pose pose_of(const Transform& m, const eul& angles) {
    Pose p;
    p.x = m.m[0][3];
    p.y = m.m[1][3];
    p.z = m.m[2][3];
    p.quaternion = quaternion_of(angles);
    p.euler = angles;
    return p;
}

float snap(float value) { return std::fabs(static_cast<double>(value)) < static_cast<double>(kSnapBelow) ? 0.0f : value; }

void snap_rotation(Transform& t) {
    for (float* v : {&t.m[0][0], &t.m[1][0], &t.m[2][0], &t.m[2][1], &t.m[2][2]}) *v = snap(*v);
}

float wrap_angle(float value) {
    return value < kWrapBelow ? static_cast<float>(value + kTwoPi) : value;
}

eul wrap_angles(const eul& a) { return {wrap_angle(a.rx), wrap_angle(a.ry), wrap_angle(a.rz)}; }

}  // namespace arx::kin

using namespace arx::kin;

Matrix pos2matrix(Pose pose) { return pose_transform(pose).to_matrix(); }

Pose matrix2pos(Matrix matrix) {
    const Transform t = Transform::from(matrix);
    return pose_of(t, euler_of(t));
}

Matrix euler2matrix(eul angles) {
    Matrix out{};
    out.irow = 3;
    out.iline = 3;
    write_rotation(angles, out.data);
    return out;
}

ort euler2quaternion(eul angles) { return quaternion_of(angles); }

eul quaternion2euler(ort q) {
    const float sin_rx_term = 2.0f * (q.w * q.x + q.y * q.z);
    const float cos_rx_term = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
    const float sin_ry = 2.0f * (q.w * q.y - q.x * q.z);
    const float sin_rz_term = 2.0f * (q.x * q.y + q.w * q.z);
    const float cos_rz_term = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
    eul e;
    e.rx = static_cast<float>(std::atan2(static_cast<double>(sin_rx_term), static_cast<double>(cos_rx_term)));
    e.ry = static_cast<float>(std::asin(static_cast<double>(sin_ry)));
    e.rz = static_cast<float>(std::atan2(static_cast<double>(sin_rz_term), static_cast<double>(cos_rz_term)));
    return e;
}
