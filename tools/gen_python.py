#!/usr/bin/env python3
"""Generates the Python package's layers over the C library from the public header.

    python/arx/_lib.py   the raw layer: every record as a ctypes.Structure (and
                         a named tuple for its value), the enumerations and
                         result codes as IntEnums, every export's argtypes and
                         restype, the header's comments as docstrings.
    python/arx/_api.py   the high-level layer: one method of arx.Arm per export
                         that takes a connection handle, one function per other
                         export. Outputs are returned, never passed in.

Python names: the export's name in snake_case (words split at underscores and
at lower-to-upper changes), a trailing "_cmd" and a leading "arx_" dropped
(Movej_Cmd -> movej, Get_Current_Arm_State -> get_current_arm_state,
setAngle -> set_angle, Arx_Result_Text -> result_text). The header cannot
tell which pointers are outputs and how long arrays are: the tables below say.

    gen_python.py [SOURCE_DIR]          rewrite both files
    gen_python.py --check [SOURCE_DIR]  exit 1 and show the difference when a
                                        file is not what the header generates
    gen_python.py --layout-c OUT        writes a C program that prints
                                        sizeof/offsetof of every record
    gen_python.py --recorder OUT        writes C++ wrappers of every export
                                        (linked with --wrap) that record each
                                        call's arguments and result as JSON,
                                        for the Python sweep test
"""
from __future__ import annotations

import argparse
import pathlib
import re
import sys

from arx_header import (Enumeration, Field, Function, Record, declared_constants, declared_enums,
                        declared_records, function_comments, parameter_name, read_functions, write_generated)

HEADER = "include/arx_api.h"
RAW_OUT = "python/arx/_lib.py"
API_OUT = "python/arx/_api.py"

# C scalar types -> (ctypes name, Python hint).
SCALARS = {
    "int": ("c_int", "int"), "int32_t": ("c_int32", "int"), "unsigned char": ("c_ubyte", "int"),
    "uint8_t": ("c_uint8", "int"), "unsigned short": ("c_ushort", "int"), "uint16_t": ("c_uint16", "int"),
    "float": ("c_float", "float"), "bool": ("c_bool", "bool"), "char": ("c_char", "bytes"),
    "SOCKHANDLE": ("c_uint64", "int"), "ArmModel": ("c_int32", "int"),
    "ARM_CTRL_MODES": ("c_int", "int"), "POS_TEACH_MODES": ("c_int", "int"), "ORT_TEACH_MODES": ("c_int", "int"),
}
CALLBACKS = {"ArxCallback": "ArxCallback", "ArxLogHandler": "ArxLogHandler"}

# Python names of the value types returned for records (named tuples).
VALUE_NAMES = {
    "eul": "Euler", "ort": "Quaternion", "Pose": "KinematicPose", "POSE": "CartesianPose", "Matrix": "MatrixValue",
    "FRAME_NAME": "FrameName", "FRAME": "Frame", "JOINT_STATE": "JointState", "CallbackData": "Report",
}
# Anonymous enumerations and #define groups -> IntEnum name.
ENUM_NAMES = {"": "Result"}
DEFINE_GROUPS = {"ARX_LOG_": "LogLevel"}

# Output pointers: (function, parameter) -> shape. Every other non-const
# pointer is one value written by the call.
#   joints      one value per joint (7 written at most; the arm's count returned)
#   N           a fixed array of N values
#   channels    ARX_IO_CHANNEL_CAPACITY values, the untouched tail dropped
#   text        a 12-character buffer, returned as str
#   names       FRAME_NAME[ARX_FRAME_NAME_CAPACITY] with the count parameter
#   count       the count of `names` (not returned on its own)
#   ignored     given to the call but never written
OUTPUTS = {
    **{(f, p): "joints" for f, p in [
        ("Get_Joint_Speed", "speed"), ("Get_Joint_Degree", "degree"), ("Get_Joint_Acc", "acc"),
        ("Get_Joint_Min_Pos", "pos"), ("Get_Joint_Max_Pos", "pos"), ("Get_Joint_EN_State", "state"),
        ("Get_Joint_Err_Flag", "flags"), ("Get_Joint_Software_Version", "version"),
        ("Get_Calibrate_State", "state"), ("Get_Arm_Init_Pose", "joint"), ("Get_Current_Arm_State", "joint"),
        ("Get_Joint_Temperature", "temperature"), ("Get_Joint_Current", "current"),
        ("Get_Joint_Voltage", "voltage"), ("Get_Joint_Odom", "odom"), ("Get_Current_Trajectory", "data"),
        ("inverse_kinematics", "joint_out")]},
    ("Get_Calibrate_State", "second"): "ignored", ("Get_Calibrate_State", "third"): "ignored",
    ("Get_System_Runtime", "state"): "ignored", ("Get_Joint_Odom", "state"): "ignored",
    **{(f, p): "channels" for f, p in [
        ("Get_IO_Input", "di"), ("Get_IO_Input", "ai"), ("Get_IO_Output", "dout"), ("Get_IO_Output", "aout"),
        ("Get_Tool_IO_State", "modes"), ("Get_Tool_IO_State", "states")]},
    ("Get_Force_Data", "force"): "6",
    **{("Get_Arm_Software_Version", p): "text" for p in ("plan", "ctrl", "kernel1", "kernel2")},
    ("Get_All_Tool_Frame", "names"): "names", ("Get_All_Tool_Frame", "count"): "count",
    ("Get_All_Work_Frame", "names"): "names", ("Get_All_Work_Frame", "count"): "count",
}
# Outputs that a successful call may leave unset (a reply with a "sys_state"
# text instead of the values): returned as None then.
MAY_STAY_UNSET = {("Get_System_Runtime", p) for p in ("day", "hour", "min", "sec")} | {("Get_Joint_Odom", "odom")}
# Pointers that are inputs although not const.
INPUT_POINTERS = {("MoveCartesianTool_Cmd", "joint")}
# Input arrays: at least this many elements are passed (shorter sequences are
# padded with zeros), so that the C side never reads past what Python gave.
INPUT_MINIMUM = {("Set_Hand_Angle", "angle"): 6, ("Set_Arm_Dynamic_Parm", "parm"): 14}
JOINTS_MINIMUM = 7

# Python names and defaults of parameters where the C name says less.
PARAMETERS = {
    **{(f, "v"): ("speed", "20") for f in ("Movej_Cmd", "Movel_Cmd", "Movej_P_Cmd")},
    **{(f, "r"): ("blend", "0") for f in ("Movej_Cmd", "Movel_Cmd", "Movej_P_Cmd")},
    ("Movec_Cmd", "v"): ("speed", None), ("Movec_Cmd", "r"): ("blend", None),
    ("Movej_Cmd", "joint"): ("joints", None),
}
DEFAULTS = {"block": "True"}

# Exports that the package wraps by hand (arx/__init__.py): their generated
# function keeps a leading underscore.
HAND_WRAPPED = {"Arx_API_Init", "Arm_Socket_Start", "Arx_Set_Log_Handler"}
# Exports whose int result is a value, not a result code to check.
VALUE_RESULTS = {"Arx_API_UnInit", "Arx_Arm_Model_From_Name"}
# What the package notes after an export's call (the kinematics' model decides
# how many joints inverse_kinematics returns).
AFTER_CALL = {"Init_Sys_Data": "_note_model(model)"}
# Friendly names beside the generated ones: alias -> generated method of Arm.
ALIASES = {
    "state": "get_current_arm_state", "joints": "get_joint_degree", "tool_frames": "get_all_tool_frame",
    "work_frames": "get_all_work_frame", "stop": "move_stop", "pause": "move_pause",
    "resume": "move_continue", "close": "arm_socket_close",
}


def snake(name: str) -> str:
    words = re.sub(r"([a-z0-9])([A-Z])", r"\1_\2", name).lower()
    words = re.sub(r"_cmd$", "", words)
    return re.sub(r"^arx_", "", words)


def python_name(f: Function) -> str:
    name = snake(f.name)
    return "_" + name if f.name in HAND_WRAPPED else name


def is_method(f: Function) -> bool:
    return bool(f.parameters) and f.parameters[0].startswith("SOCKHANDLE")


def qualified_name(f: Function) -> str:
    """Where the export lives in the package."""
    if f.name in HAND_WRAPPED:
        return {"Arx_API_Init": "init", "Arm_Socket_Start": "connect", "Arx_Set_Log_Handler": "set_log_level"}[f.name]
    if is_method(f):
        return "Arm." + python_name(f)
    if f.section == "kinematics":
        return "kinematics." + python_name(f)
    return python_name(f)


# ------------------------------------------------------------ parameter kinds

class Param:
    """A parameter of an export as the high-level layer treats it."""

    def __init__(self, f: Function, text: str) -> None:
        self.c_name = parameter_name(text)
        name, default = PARAMETERS.get((f.name, self.c_name), (self.c_name, None))
        self.name, self.default = name, default if default is not None else DEFAULTS.get(self.c_name)
        declared = text[: text.rindex(self.c_name)].strip() if "(" not in text else text
        self.const = declared.startswith("const ")
        self.base = declared.replace("const ", "").replace("*", "").strip()
        self.pointer = "*" in declared
        self.shape = OUTPUTS.get((f.name, self.c_name))
        if self.c_name == "handle" and self.base == "SOCKHANDLE":
            self.kind = "handle"
        elif self.base in CALLBACKS:
            self.kind = "callback"
        elif not self.pointer:
            self.kind = "record" if self.base in VALUE_NAMES else "scalar"
        elif self.base == "char" and self.const:
            self.kind = "text_in"
        elif self.const or (f.name, self.c_name) in INPUT_POINTERS:
            self.kind = "record_in" if self.base in VALUE_NAMES else "array_in"
            self.minimum = INPUT_MINIMUM.get((f.name, self.c_name), JOINTS_MINIMUM if self.base == "float" else 0)
        else:
            self.kind = "out"

    def hint(self) -> str:
        if self.kind == "scalar":
            return SCALARS[self.base][1]
        if self.kind == "record":
            return f"_lib.{VALUE_NAMES[self.base]} | Sequence[float] | _lib.{self.base}"
        if self.kind == "record_in":
            return f"_lib.{VALUE_NAMES[self.base]} | Sequence[float] | _lib.{self.base} | None"
        if self.kind == "text_in":
            return "str | bytes | None"
        if self.kind == "array_in":
            return "Sequence[int] | bytes | None" if self.base == "unsigned char" else \
                f"Sequence[{SCALARS[self.base][1]}] | None"
        raise AssertionError(self.kind)


def params(f: Function) -> list[Param]:
    return [Param(f, p) for p in f.parameters]


# ------------------------------------------------------------------ raw layer

def ctype_of(c_type: str) -> str:
    c_type = c_type.replace("const ", "").strip()
    if c_type.endswith("*"):
        inner = c_type[:-1].strip()
        if inner == "char":
            return "ctypes.c_char_p"
        return f"ctypes.POINTER({ctype_of(inner)})"
    if c_type in SCALARS:
        return "ctypes." + SCALARS[c_type][0]
    if c_type in CALLBACKS:
        return CALLBACKS[c_type]
    if c_type == "void":
        return "None"
    return c_type  # a record


def parameter_ctype(text: str) -> str:
    name = parameter_name(text)
    return ctype_of(text[: text.rindex(name)].strip())


def docstring(text: str, indent: str) -> list[str]:
    text = text.replace("\\", "\\\\").replace('"""', "'''")
    lines = text.splitlines() or [""]
    if len(lines) == 1:
        return [f'{indent}"""{lines[0]}"""']
    return [f'{indent}"""{lines[0]}'] + [f"{indent}{line}".rstrip() for line in lines[1:]] + [f'{indent}"""']


def field_ctype(field: Field) -> str:
    t = ctype_of(field.type)
    for d in reversed(field.dims):
        t = f"({t} * {d})"
    return t


def field_hint(field: Field) -> str:
    if field.type in ("char", "FRAME_NAME"):  # a name's value is its text
        return "str"
    base = VALUE_NAMES.get(field.type) or SCALARS[field.type][1]
    for _ in field.dims:
        base = f"list[{base}]"
    return base


def raw_layer(functions: list[Function], records: list[Record], enums: list[Enumeration],
              constants: dict[str, tuple[int, str]], comments: dict[str, str], version: str) -> str:
    out = [
        '"""The raw layer over the C library: generated by tools/gen_python.py from',
        'include/arx_api.h; do not edit.',
        "",
        "Records as ctypes Structures (and a named tuple per record for its value),",
        "enumerations and result codes as IntEnums, and each export's argtypes and",
        "restype. bind() sets them on the loaded library and makes every export an",
        'attribute of this module, called with the C types (arx.lib.Movej_CANFD(...))."""',
        "from __future__ import annotations",
        "",
        "import ctypes",
        "import enum",
        "from typing import Any, Callable, NamedTuple",
        "",
        f'VERSION = "{version}"',
        "",
    ]
    for e in enums:
        name = e.name if e.name and e.name not in ENUM_NAMES else ENUM_NAMES.get(e.name, e.name)
        out.append("")
        out.append(f"class {name}(enum.IntEnum):")
        out += docstring(e.comment, "    ")
        for member, value, comment in e.members:
            out.append(f"    {member} = {value}" + (f"  # {comment}" if comment else ""))
    for prefix, name in DEFINE_GROUPS.items():
        out.append("")
        out.append(f"class {name}(enum.IntEnum):")
        out.append(f'    """The {prefix}* levels."""')
        for member, (value, comment) in constants.items():
            if member.startswith(prefix):
                out.append(f"    {member} = {value}" + (f"  # {comment}" if comment else ""))
    out.append("")
    out.append("")
    for member, (value, comment) in constants.items():
        if not any(member.startswith(p) for p in DEFINE_GROUPS):
            out.append(f"{member} = {value}")
    out.append("ARX_START_FAILED_HANDLE = 0xFFFFFFFFFFFFFFFF")
    for r in records:
        out.append("")
        out.append("")
        out.append(f"class {r.name}(ctypes.Structure):")
        out += docstring(r.comment, "    ")
        out.append("    _fields_ = [")
        for field in r.fields:
            out.append(f'        ("{field.name}", {field_ctype(field)}),' + (f"  # {field.comment}" if field.comment else ""))
        out.append("    ]")
        out.append("")
        out.append("")
        out.append(f"class {VALUE_NAMES[r.name]}(NamedTuple):")
        out += docstring(f"The value of a {r.name}: {r.comment[:1].lower()}{r.comment[1:]}", "    ")
        for field in r.fields:
            out.append(f"    {field.name}: {field_hint(field)}" + (f"  # {field.comment}" if field.comment else ""))
    out += [
        "",
        "",
        "VALUE_TYPES: dict[type, type] = {" + ", ".join(f"{r.name}: {VALUE_NAMES[r.name]}" for r in records) + "}",
        "",
        "ArxCallback = ctypes.CFUNCTYPE(None, CallbackData)",
        "ArxLogHandler = ctypes.CFUNCTYPE(None, ctypes.c_int, ctypes.c_char_p)",
        "",
        "# export -> (restype, argtypes)",
        "SIGNATURES: dict[str, tuple[Any, list[Any]]] = {",
    ]
    for f in functions:
        args = ", ".join(parameter_ctype(p) for p in f.parameters)
        out.append(f'    "{f.name}": ({ctype_of(f.result)}, [{args}]),')
    out += [
        "}",
        "",
        "# export -> its comment in the header",
        "DOCS: dict[str, str] = {",
    ]
    for f in functions:
        out.append(f"    {f.name!r}: {comments.get(f.name, '')!r},")
    out += [
        "}",
        "",
        "# export -> where the package offers it (Arm.<method>, kinematics.<function>",
        "# or a function of arx itself)",
        "METHODS: dict[str, str] = {",
    ]
    for f in functions:
        out.append(f'    "{f.name}": "{qualified_name(f)}",')
    out += ["}", ""]
    for f in functions:
        out.append(f"{f.name}: Callable[..., Any]")
    out += [
        "",
        "",
        "def bind(dll: ctypes.CDLL) -> None:",
        '    """Sets every export\'s argtypes and restype on `dll` and makes it an',
        '    attribute of this module."""',
        "    for name, (restype, argtypes) in SIGNATURES.items():",
        "        function = getattr(dll, name)",
        "        function.restype, function.argtypes = restype, argtypes",
        "        function.__doc__ = DOCS[name]",
        "        globals()[name] = function",
        "",
    ]
    return "\n".join(out)


# ---------------------------------------------------------------- high level

def output_lines(f: Function, p: Param) -> tuple[list[str], str | None, str | None]:
    """(lines that make the buffer, the expression returned, its hint) for an
    output parameter; the expression is None when nothing is returned."""
    var, base = p.c_name, p.base
    ctype = "_lib." + base if base in VALUE_NAMES else "ctypes." + SCALARS[base][0]
    scalar_hint = SCALARS[base][1] if base in SCALARS else "_lib." + VALUE_NAMES[base]
    shape = p.shape
    joint_count = "self.joint_count" if is_method(f) else "_joint_count()"
    if (f.name, p.c_name) in MAY_STAY_UNSET:
        if shape == "joints":
            return ([f"{var} = ({ctype} * 7)(*[float('nan')] * 7)"], f"_joints_or_none({var}, {joint_count})",
                     f"list[{scalar_hint}] | None")
        return [f"{var} = {ctype}(_UNSET)"], f"_or_none({var}.value)", f"{scalar_hint} | None"
    if shape == "joints":
        return [f"{var} = ({ctype} * 7)()"], f"list({var})[:{joint_count}]", f"list[{scalar_hint}]"
    if shape == "ignored":
        size = 64 if base == "char" else 7
        return [f"{var} = ({ctype} * {size})()"], None, None
    if shape == "channels":
        fill = "float('nan')" if base == "float" else "255"
        return ([f"{var} = ({ctype} * _lib.ARX_IO_CHANNEL_CAPACITY)(*[{fill}] * _lib.ARX_IO_CHANNEL_CAPACITY)"],
                f"_written({var})", f"list[{scalar_hint}]")
    if shape == "text":
        return [f"{var} = ctypes.create_string_buffer(12)"], f"{var}.value.decode()", "str"
    if shape == "names":
        return ([f"{var} = (_lib.FRAME_NAME * _lib.ARX_FRAME_NAME_CAPACITY)()"],
                f"[_text({var}[i].name) for i in range(count.value)]", "list[str]")
    if shape == "count":
        return [f"{var} = ctypes.c_int(0)"], None, None
    if shape and shape.isdigit():
        return [f"{var} = ({ctype} * {shape})()"], f"list({var})", f"list[{scalar_hint}]"
    if base in VALUE_NAMES:
        return [f"{var} = {ctype}()"], f"_value({var})", scalar_hint
    if base in ("ARM_CTRL_MODES",):
        return [f"{var} = ctypes.c_int(-1)"], f"_lib.{base}({var}.value)", f"_lib.{base}"
    return [f"{var} = {ctype}()"], f"{var}.value", scalar_hint


def argument(p: Param) -> str:
    if p.kind == "handle":
        return "self._handle"
    if p.kind == "scalar":
        return p.name
    if p.kind == "record":
        return f"_record(_lib.{p.base}, {p.name})"
    if p.kind == "record_in":
        return f"_record_ref(_lib.{p.base}, {p.name})"
    if p.kind == "text_in":
        return f"_text_in({p.name})"
    if p.kind == "array_in":
        return f"_array(ctypes.{SCALARS[p.base][0]}, {p.name}, {p.minimum})"
    return p.c_name


def result_name(f: Function) -> str:
    return "".join(w.capitalize() for w in snake(f.name).split("_")) + "Result"


def high_level(functions: list[Function], comments: dict[str, str]) -> str:
    head = [
        '"""The high-level layer: generated by tools/gen_python.py from include/arx_api.h;',
        'do not edit.',
        "",
        "Commands: a method per export that takes a connection handle (arx.Arm",
        "inherits them); the other exports as functions. A result code other than 0",
        'raises arx.ArxError; outputs are returned (several as a named tuple)."""',
        "from __future__ import annotations",
        "",
        "import ctypes",
        "from typing import NamedTuple, Sequence",
        "",
        "from . import _lib",
        "from ._convert import _UNSET, _array, _check, _check_ik, _joint_count, _joints_or_none, _note_model, \\",
        "    _or_none, _record, _record_ref, _text, _text_in, _value, _written",
        "",
    ]
    tuples: list[str] = []
    methods: list[str] = []
    functions_out: list[str] = []
    for f in functions:
        ps = params(f)
        inputs = [p for p in ps if p.kind not in ("handle", "out", "callback")]
        callback = [p for p in ps if p.kind == "callback"]
        signature = ["self"] if is_method(f) else []
        seen_default = False
        for p in inputs:
            piece = f"{p.name}: {p.hint()}"
            if p.default is not None:
                piece += f" = {p.default}"
                seen_default = True
            elif seen_default:
                raise SystemExit(f"{f.name}: {p.name} without a default after one with")
            signature.append(piece)
        for p in callback:
            signature.append(f"{p.name}: _lib.{p.base} | None = None")
        body: list[str] = []
        returned: list[tuple[str, str, str]] = []
        for p in ps:
            if p.kind == "out":
                lines, expr, hint = output_lines(f, p)
                body += lines
                if expr:
                    returned.append((p.name, expr, hint))
        call_args = ", ".join(p.c_name if p.kind == "out" else
                              (f"{p.name} or _lib.{p.base}()" if p.kind == "callback" else argument(p)) for p in ps)
        call = f"_lib.{f.name}({call_args})"
        if f.result == "int" and f.name == "inverse_kinematics":
            body.append(f"_check_ik({call})")
        elif f.result == "int" and f.name not in VALUE_RESULTS:
            body.append(f'_check({call}, "{f.name}")')
        elif f.result == "void":
            body.append(call)
            if f.name in AFTER_CALL:
                body.append(AFTER_CALL[f.name])
        elif f.result in ("char*", "const char*"):
            returned.append(("", f"_text({call})", "str | None"))
        elif f.result in VALUE_NAMES:
            returned.append(("", f"_value({call})", "_lib." + VALUE_NAMES[f.result]))
        else:
            returned.append(("", call, "int"))
        if not returned:
            result_hint = "None"
        elif len(returned) == 1:
            result_hint = returned[0][2]
            body.append(f"return {returned[0][1]}")
        else:
            result_hint = result_name(f)
            tuples += ["", "", f"class {result_hint}(NamedTuple):",
                       f'    """What {f.name} returns."""']
            tuples += [f"    {name}: {hint}" for name, _, hint in returned]
            body.append(f"return {result_hint}(" + ", ".join(expr for _, expr, _ in returned) + ")")
        doc = comments.get(f.name, "")
        doc = f"{f.name}: {doc}" if doc else f.name
        lines = [f"def {python_name(f)}({', '.join(signature)}) -> {result_hint}:"]
        lines += docstring(doc, "    ")
        lines += ["    " + b for b in body]
        if is_method(f):
            methods += [""] + ["    " + line if line else line for line in lines]
        else:
            functions_out += ["", ""] + lines
    out = head + tuples + ["", "", "class Commands:",
                           '    """The exports that take a connection handle, as methods."""',
                           "", "    _handle: int", "    joint_count: int"]
    out += methods
    out += ["", "", "# Friendly names: alias -> generated method.", "ALIASES = {"]
    out += [f'    "{a}": "{m}",' for a, m in ALIASES.items()]
    out += ["}", "for _alias, _method in ALIASES.items():", "    setattr(Commands, _alias, getattr(Commands, _method))"]
    out += functions_out
    # What `from ._api import *` gives arx: the library's functions and the
    # result tuples (the kinematics stay in arx.kinematics).
    public = [python_name(f) for f in functions
              if not is_method(f) and f.section != "kinematics" and f.name not in HAND_WRAPPED]
    public += [line.split()[1].split("(")[0] for line in tuples if line.startswith("class ")]
    out += ["", "", "__all__ = ["] + [f'    "{name}",' for name in public] + ["]"]
    return "\n".join(out) + "\n"


# ------------------------------------------------------------- layout program

def layout_program(records: list[Record]) -> str:
    lines = ["/* Generated by tools/gen_python.py: prints each record's size, and each field's offset and size. */",
             '#include "arx_api.h"', "#include <stddef.h>", "#include <stdio.h>", "", "int main(void) {"]
    for r in records:
        lines.append(f'    printf("{r.name} %zu\\n", sizeof({r.name}));')
        for field in r.fields:
            lines.append(f'    printf("{r.name}.{field.name} %zu %zu\\n", offsetof({r.name}, {field.name}), '
                         f'sizeof((({r.name}*)0)->{field.name}));')
    lines += ["    return 0;", "}"]
    return "\n".join(lines) + "\n"


# ------------------------------------------------------------------ recorder

# Elements of an input array that the C side reads (a C expression over the
# call's arguments); float arrays default to the joint count of the model the
# library or kinematics last loaded.
RECORDED_LENGTH = {
    ("Set_Hand_Angle", "angle"): "6", ("Manual_Set_Force", "joint"): "6",
    ("Set_Arm_Dynamic_Parm", "parm"): "arx::test::recorded_joints() == 7 ? 14 : 12",
    ("Write_Coils", "data"): "num > 0 ? (num + 7) / 8 : 0", ("Write_Registers", "data"): "num > 0 ? num * 2 : 0",
}
# Exports after which the recorder notes the model (joint counts follow it).
RECORDED_MODEL = {"Arx_API_Init", "Init_Sys_Data"}


def recorder(functions: list[Function], records: list[Record]) -> str:
    out = ["// Generated by tools/gen_python.py --recorder from include/arx_api.h; do not edit.",
           "// Each __wrap_ function records its call (arguments, result) and calls the",
           "// export itself (__real_); the program is linked with --wrap=<export>.",
           '#include "python/call_record.h"', "", "namespace arx::test {"]
    for r in records:
        out.append(f"inline void put(Json& j, const {r.name}& v) {{")
        out.append("    j.open('{');")
        for field in r.fields:
            out.append(f'    j.key("{field.name}"); put(j, v.{field.name});')
        out.append("    j.close('}');")
        out.append("}")
    out += ["}  // namespace arx::test", "", 'extern "C" {']
    for f in functions:
        ps = params(f)
        decl = ", ".join(f.parameters) or "void"
        names = ", ".join(p.c_name for p in ps)
        out.append(f"{f.result} __real_{f.name}({decl});")
        out.append(f"{f.result} __wrap_{f.name}({decl}) {{")
        out.append(f'    arx::test::CallRecord call("{f.name}");')
        for p in ps:
            if p.kind in ("handle", "scalar", "record"):
                out.append(f'    call.arg("{p.c_name}", {p.c_name});')
            elif p.kind == "text_in":
                out.append(f'    call.text("{p.c_name}", {p.c_name});')
            elif p.kind == "record_in":
                out.append(f'    call.pointed("{p.c_name}", {p.c_name});')
            elif p.kind == "array_in":
                length = RECORDED_LENGTH.get((f.name, p.c_name), "arx::test::recorded_joints()")
                out.append(f'    call.array("{p.c_name}", {p.c_name}, {length});')
            else:  # outputs and callbacks: whether one was given
                out.append(f'    call.given("{p.c_name}", {p.c_name} != nullptr);')
        if f.result == "void":
            out.append(f"    __real_{f.name}({names});")
        else:
            out.append(f"    const auto result = __real_{f.name}({names});")
        if f.name in RECORDED_MODEL:
            out.append("    arx::test::note_recorded_model(model);")
        if f.result != "void":
            out.append("    call.result(result);")
            recorded = [line for p in ps if p.kind == "out" for line in recorded_output(f, p)]
            if recorded:
                # What a successful call wrote; a failed one may leave the buffers unset.
                success = "1" if f.name == "inverse_kinematics" else "0"
                out.append(f"    if (result == {success}) {{")
                out += ["        " + line for line in recorded]
                out.append("    }")
            out.append("    return result;")
        out.append("}")
    out.append('}  // extern "C"')
    return "\n".join(out) + "\n"


def recorded_output(f: Function, p: Param) -> list[str]:
    """The recorder's lines for an output, as the high-level layer returns it.
    Records the library writes in part (FRAME, JOINT_STATE) are left out."""
    shape, name = p.shape, p.c_name
    if shape in ("ignored", "count") or p.base in ("FRAME", "JOINT_STATE"):
        return []
    if shape == "names":
        return [f'call.names("{name}", {name}, *count);']
    if shape == "text":
        return [f'call.output_text("{name}", {name}, 12);']
    if p.base in VALUE_NAMES:
        return [f'call.output("{name}", *{name});']
    count = {"joints": "arx::test::recorded_joints()", "channels": "ARX_IO_CHANNEL_CAPACITY"}.get(shape, shape or "1")
    return [f'call.output_array("{name}", {name}, {count});']


def project_version(root: pathlib.Path) -> str:
    text = (root / "CMakeLists.txt").read_text()
    return re.search(r"project\(\s*arx\s+VERSION\s+([\d.]+)", text).group(1)


def generate(root: pathlib.Path) -> dict[pathlib.Path, str]:
    text = (root / HEADER).read_text()
    functions = read_functions(root / HEADER)
    comments = function_comments(text)
    raw = raw_layer(functions, declared_records(text), declared_enums(text), declared_constants(text),
                    comments, project_version(root))
    return {root / RAW_OUT: raw, root / API_OUT: high_level(functions, comments)}


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--layout-c", type=pathlib.Path)
    parser.add_argument("--recorder", type=pathlib.Path)
    parser.add_argument("root", nargs="?", default=pathlib.Path(__file__).resolve().parent.parent,
                        type=pathlib.Path)
    args = parser.parse_args()
    if args.layout_c or args.recorder:
        # Rewritten only when it changes, so its program is not rebuilt for nothing.
        header = (args.root / HEADER).read_text()
        out, text = ((args.layout_c, layout_program(declared_records(header))) if args.layout_c else
                     (args.recorder, recorder(read_functions(args.root / HEADER), declared_records(header))))
        if not out.exists() or out.read_text() != text:
            out.parent.mkdir(parents=True, exist_ok=True)
            out.write_text(text)
        return 0
    return write_generated(generate(args.root), args.check, "tools/gen_python.py")


if __name__ == "__main__":
    sys.exit(main())
