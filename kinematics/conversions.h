// Orientation and pose conversions shared by the kinematics.
//
// Euler angles are fixed-axis X, then Y, then Z: R = Rz(rz) * Ry(ry) * Rx(rx).
// Trigonometric functions run in double on the float arguments; their products
// are formed in double and stored as float.
#pragma once

#include "arx_api.h"
#include "kinematics/linalg.h"

namespace arx::kin {

// Homogeneous transform of a rotation given by Euler angles and a translation.
Transform euler_transform(const eul& angles, float x, float y, float z);
inline Transform pose_transform(const Pose& p) { return euler_transform(p.euler, p.x, p.y, p.z); }

// Quaternion by the half-angle formulas (the halves taken in single precision).
ort quaternion_of(const eul& angles);

// Euler angles of a rotation with double-precision atan2 (root of the sum of
// squares in single precision).
eul euler_of(const Transform& m);
// The same formulas entirely in single precision.
eul euler_of_single(const Transform& m);
// Euler angles of a quaternion with atan2f and asinf.
eul euler_of_quaternion_single(const ort& q);

// Pose with the position of column 3, the given angles and their quaternion.
Pose pose_of(const Transform& m, const eul& angles);

// Sets the rotation elements read by the Euler extraction to 0 when below 1e-6,
// so that round-off does not flip an atan2 quadrant.
void snap_rotation(Transform& m);
float snap(float value);
// An angle below -3.13 is reported one turn higher, so that pi does not come out as -pi.
float wrap_angle(float value);
eul wrap_angles(const eul& angles);

}  // namespace arx::kin
