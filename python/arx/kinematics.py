"""Kinematics without a connection: joint angles in degrees, positions in
metres, Euler angles in radians. Models by name ("A", "B", "C1", "C2") or
arx.ArmModel member; joints and poses as lists, tuples or numpy arrays.

The C library keeps one kinematic state per process (model, install angles,
tool and work frames): forward() and inverse() load the model they are given
when it is not the one loaded."""
from __future__ import annotations

from typing import Any, Sequence

from . import _lib
from ._api import (arm_model_from_name, arm_model_name, base_to_work_frame, cartesian_tool,  # noqa: F401
                   end2tool, euler2matrix, euler2quaternion, forward_kinematics, init_sys_data,
                   inverse_kinematics, matrix2pos, pos2matrix, quaternion2euler, rotate_move, set_angle,
                   set_lwt, tool2end, work_frame_to_base)
from ._convert import _kinematics_model, joints_of

def model_of(model: Any) -> _lib.ArmModel:
    """The ArmModel of a name ("A", "B", "C1", "C2") or a code."""
    if isinstance(model, str):
        code = arm_model_from_name(model)
        if code < 0:
            raise ValueError(f"unknown arm model {model!r}: one of A, B, C1, C2")
        return _lib.ArmModel(code)
    return _lib.ArmModel(int(model))


def joint_count(model: Any) -> int:
    """Joints of a model given by name or code: seven for B, six for the others."""
    return joints_of(model_of(model))


def use_model(model: Any) -> _lib.ArmModel:
    """Loads the model's kinematics unless they are loaded."""
    code = model_of(model)
    if _kinematics_model[0] != code or not _loaded[0]:
        init_sys_data(code)
        _loaded[0] = True
    return code


_loaded = [False]


def forward(model: Any, joints: Sequence[float]) -> _lib.KinematicPose:
    """The tool pose (arx.KinematicPose: x, y, z m; quaternion; euler rad) for joint angles (deg)."""
    use_model(model)
    return forward_kinematics(joints)


def inverse(model: Any, pose: Any, seed: Sequence[float], flag: int = 1) -> list[float]:
    """Joint angles (deg) that reach `pose`, chosen near `seed` (deg). The pose is an
    arx.KinematicPose, or (x, y, z, rx, ry, rz). flag 1 reads the Euler angles, 0 the
    quaternion. Raises arx.InverseKinematicsFailed with the library's text."""
    use_model(model)
    return inverse_kinematics(seed, pose, flag)


def pose_to_matrix(pose: Any) -> list[list[float]]:
    """The 4 x 4 homogeneous matrix (row by row, metres) of a pose."""
    return pos2matrix(pose).data


def matrix_to_pose(matrix: Any) -> _lib.KinematicPose:
    """The pose of a 4 x 4 homogeneous matrix (nested rows, or 16 numbers)."""
    flat = [float(x) for row in matrix for x in (row if hasattr(row, "__iter__") else [row])]
    return matrix2pos(flat)


def euler_to_quaternion(rx: float, ry: float, rz: float) -> _lib.Quaternion:
    return euler2quaternion((rx, ry, rz))


def quaternion_to_euler(w: float, x: float, y: float, z: float) -> _lib.Euler:
    return quaternion2euler((w, x, y, z))
