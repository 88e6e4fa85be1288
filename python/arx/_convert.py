"""Conversions between Python values and the C types of the raw layer, and the
result-code check the generated layer calls."""
from __future__ import annotations

import ctypes
import math
from typing import Any, Sequence

from . import _lib
from .errors import BY_CODE, ArxError, InverseKinematicsFailed

_kinematics_model = [_lib.ArmModel.ARM_MODEL_A]


def _note_model(model: int) -> None:
    if model in iter(_lib.ArmModel):
        _kinematics_model[0] = _lib.ArmModel(model)


def joints_of(model: int) -> int:
    """ARM_MODEL_B has seven joints, the others six."""
    return 7 if model == _lib.ArmModel.ARM_MODEL_B else 6


def _joint_count() -> int:
    """Joints of the model the kinematics have loaded."""
    return joints_of(_kinematics_model[0])


def error_for(code: int, function: str) -> ArxError:
    text = _text(_lib.Arx_Result_Text(code)) or ""
    return BY_CODE.get(code, ArxError)(code, function, text)


def _check(code: int, function: str) -> None:
    if code != 0:
        raise error_for(code, function)


def _check_ik(code: int) -> None:
    if code != 1:
        raise InverseKinematicsFailed(code, "inverse_kinematics", _text(_lib.Arx_IK_Result_Text(code)) or "")


def _text(value: bytes | None) -> str | None:
    return None if value is None else value.decode(errors="replace")


def _text_in(value: str | bytes | None) -> bytes | None:
    return value.encode() if isinstance(value, str) else value


def _array(ctype: Any, values: Sequence[Any] | bytes | None, minimum: int) -> Any:
    """A C array of `values` (a sequence, numpy array or bytes), zero-padded to
    `minimum`; None stays a null pointer."""
    if values is None:
        return None
    if type(values) is list or type(values) is tuple:  # the common case, kept short: set-points stream
        count = len(values)
        return (ctype * (count if count > minimum else minimum))(*values)
    if isinstance(values, ctypes.Array):
        return values
    if isinstance(values, (bytes, bytearray)):
        values = list(values)
    else:
        values = [v.item() if hasattr(v, "item") else v for v in values]  # numpy scalars
    return (ctype * max(len(values), minimum))(*values)


# Fills an int output that a call may leave unset.
_UNSET = -(2 ** 31)


def _or_none(value: int) -> int | None:
    return None if value == _UNSET else value


def _joints_or_none(array: Any, count: int) -> list[float] | None:
    return None if math.isnan(array[0]) else list(array)[:count]


def _written(array: Any) -> list[Any]:
    """The elements before the first one the call left at its fill value."""
    out = []
    for v in array:
        if (isinstance(v, float) and math.isnan(v)) or v == 255:
            break
        out.append(v)
    return out


def _record(ctype: type, value: Any) -> Any:
    """A record from a Structure, a named tuple of its value, a dict of its
    fields or a flat sequence. A Pose from six numbers (x, y, z, rx, ry, rz)
    gets its quaternion computed from the Euler angles."""
    if isinstance(value, ctype):
        return value
    if isinstance(value, dict):
        return _from_dict(ctype, value)
    # A value of this record's own shape goes by field name; another named tuple
    # (a CartesianPose given where a Pose is taken) by position.
    if hasattr(value, "_asdict") and set(value._fields) <= {name for name, _ in ctype._fields_}:
        return _from_dict(ctype, value._asdict())
    values = [float(v) for v in value]
    if ctype is _lib.Pose and len(values) == 6:
        euler = _lib.eul(*values[3:])
        return _lib.Pose(values[0], values[1], values[2], _lib.euler2quaternion(euler), euler)
    if ctype is _lib.Matrix:
        rows = [values[i:i + 4] for i in range(0, 16, 4)]
        return _from_dict(ctype, {"irow": 4, "iline": 4, "data": rows})
    flat = _flat_fields(ctype)
    if len(values) != len(flat):
        raise ValueError(f"{ctype.__name__} takes {len(flat)} numbers, got {len(values)}")
    record = ctype()
    for (owner, name), v in zip(flat, values):
        setattr(owner(record), name, v)
    return record


def _flat_fields(ctype: type) -> list[tuple[Any, str]]:
    """(accessor of the sub-record, field name) for each scalar field in order."""
    out: list[tuple[Any, str]] = []
    for name, ftype in ctype._fields_:
        if isinstance(ftype, type) and issubclass(ftype, ctypes.Structure):
            out += [((lambda r, n=name, a=acc: a(getattr(r, n))), sub) for acc, sub in _flat_fields(ftype)]
        else:
            out.append(((lambda r: r), name))
    return out


def _from_dict(ctype: type, fields: dict[str, Any]) -> Any:
    record = ctype()
    for name, ftype in ctype._fields_:
        if name not in fields:
            continue
        v = fields[name]
        if isinstance(ftype, type) and issubclass(ftype, ctypes.Structure):
            setattr(record, name, _record(ftype, v))
        elif isinstance(ftype, type) and issubclass(ftype, ctypes.Array):
            if ftype._type_ is ctypes.c_char:
                setattr(record, name, _text_in(v))
            else:
                target = getattr(record, name)
                for i, item in enumerate(v):
                    if isinstance(item, (list, tuple)):
                        for j, x in enumerate(item):
                            target[i][j] = x
                    else:
                        target[i] = item
        else:
            setattr(record, name, v)
    return record


def _record_ref(ctype: type, value: Any) -> Any:
    return None if value is None else ctypes.byref(_record(ctype, value))


def _value(record: Any) -> Any:
    """The named-tuple value of a record (nested records and arrays converted)."""
    values = []
    for name, ftype in record._fields_:
        v = getattr(record, name)
        if isinstance(v, ctypes.Structure):
            v = _value(v)
        elif isinstance(v, bytes):
            v = v.decode(errors="replace")
        elif isinstance(v, ctypes.Array):
            v = [list(row) if isinstance(row, ctypes.Array) else row for row in v]
        values.append(v)
    if type(record) is _lib.FRAME_NAME:
        return values[0]
    return _lib.VALUE_TYPES[type(record)](*values)
