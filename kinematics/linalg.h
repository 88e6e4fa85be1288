// Small value types for the kinematics.
//
// Transform is the 4 x 4 homogeneous transform exactly as the records carry it:
// single-precision elements, products accumulated in double. Vec3 and Rot3 are
// double-precision helpers for the closed-form inverse kinematics.
#pragma once

#include <cmath>

#include "arx_api.h"

namespace arx::kin {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

// Degrees to radians, the one conversion: in double, the product before the
// quotient. The rotate move's angle and the joint offsets are computed this
// way, and the poses and joints they give are compared bit for bit, so the
// order stays (d * (kPi / 180) rounds differently for some d).
constexpr double radians_from_degrees(double degrees) { return degrees * kPi / 180.0; }

// Where the controller's firmware converts with its own rounded factors, the
// kinematics use the same ones, or their results would drift from the arm's
// by an ulp here and there:
// - joint angles in single precision, into a chain and out of the solver;
constexpr float kDegToRad = 0.0174533f;
constexpr float kRadToDeg = 57.29578f;
// - the mounting angles (setAngle, the install pose) with pi to seven decimals.
constexpr double kMountingAnglePi = 3.1415926;

struct Transform {
    float m[4][4];

    static constexpr Transform identity() {
        return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    }
    static constexpr Transform zero() { return {}; }
    static Transform translation(float x, float y, float z) {
        Transform t = identity();
        t.m[0][3] = x;
        t.m[1][3] = y;
        t.m[2][3] = z;
        return t;
    }
    static Transform from(const Matrix& matrix);
    bool operator==(const Transform& other) const;
    Matrix to_matrix() const;  // both counts 4
};

// (a * b)[i][j] = sum over k of the float products a[i][k] * b[k][j], summed in double.
Transform operator*(const Transform& a, const Transform& b);

// Gauss-Jordan elimination with full pivoting. A pivot smaller than 1e-6 of the
// matrix's largest element means the matrix is singular: the result is then false
// and *out is the zero matrix, so every product with it collapses to zero instead
// of dividing by zero.
bool invert(const Transform& a, Transform* out);

// The inverse, or the zero matrix when `a` is singular (see invert).
Transform inverse_or_zero(const Transform& a);

struct Vec3 {
    double x, y, z;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }

struct Rot3 {
    double r[3][3];

    Vec3 column(int j) const { return {r[0][j], r[1][j], r[2][j]}; }
};

// Cosine and sine of one angle, evaluated together.
struct CosSin {
    double c, s;
    static CosSin of(double angle) { return {std::cos(angle), std::sin(angle)}; }
};

// Peeling a chain's rotations off the left of m, one factor at a time:
// Rz(angle)^T m turns rows 0 and 1 back; RotX(alpha)^T m, for a link twist of
// 0 or +-90 degrees, only trades rows 1 and 2 with a sign.
Rot3 unturn_z(const CosSin& angle, const Rot3& m);
Rot3 untwist_x(int alpha_deg, const Rot3& m);

// Rotation and translation of a Transform, widened to double.
Rot3 rotation_of(const Transform& t);
Vec3 translation_of(const Transform& t);

}  // namespace arx::kin
