"""arx: the robot-arm controller's client library for Python, over its C library.

    import arx
    with arx.connect("127.0.0.1", 8080, model="A") as arm:
        arm.movej([0, 0, 90, 0, 90, 0], speed=20)
        print(arm.state().joint)

Every export of the C interface that takes a connection is a method of
arx.Arm (arx.METHODS maps each export to its Python name); a result other than
0 raises arx.ArxError. arx.lib is the raw layer (the C functions with their C
types); arx.kinematics computes without a connection."""
from __future__ import annotations

import atexit
import logging
import os
import threading
from typing import Any, Callable

from . import _lib, _loader
from ._lib import (ARX_FORCE_DATA_CAPACITY, ARX_FRAME_NAME_CAPACITY, ARX_IO_CHANNEL_CAPACITY,  # noqa: F401
                   ARM_CTRL_MODES, METHODS, ORT_TEACH_MODES, POS_TEACH_MODES, ArmModel, CartesianPose, Euler,
                   Frame, JointState, KinematicPose, LogLevel, MatrixValue, Quaternion, Report, Result)
from .errors import *  # noqa: F401,F403
from .errors import ArxError, ConnectFailed, StartFailed
from ._loader import LibraryNotFound  # noqa: F401

_dll, library_path = _loader.load()  # library_path: where the C library was found
_lib.bind(_dll)
lib = _lib

from . import _api, kinematics  # noqa: E402  (after binding: arx.lib is whole before any use)
from ._api import *  # noqa: E402,F401,F403  (the exports without a handle)
from ._api import Commands  # noqa: E402
from ._convert import _note_model, _text, error_for  # noqa: E402

__version__ = _lib.VERSION
logger = logging.getLogger("arx")

_LOG_LEVELS = {0: logging.DEBUG, 1: logging.INFO, 2: logging.WARNING, 3: logging.ERROR}


@_lib.ArxLogHandler
def _log_line(level: int, text: bytes) -> None:
    logger.log(_LOG_LEVELS.get(level, logging.ERROR), "%s", text.decode(errors="replace"))


def set_log_level(min_level: int | None = LogLevel.ARX_LOG_WARNING) -> None:
    """Routes the library's log lines at `min_level` and above (an arx.LogLevel) to
    the logger "arx"; None turns the library's log off. Warnings are routed from import."""
    if min_level is None:
        _lib.Arx_Set_Log_Handler(0, _lib.ArxLogHandler())
    else:
        _lib.Arx_Set_Log_Handler(int(min_level), _log_line)


set_log_level()

# The library's state: its model, the reports' callables.
_state_lock = threading.Lock()
_model: list[ArmModel | None] = [None]
_report_functions: list[Callable[[Report], Any]] = []


@_lib.ArxCallback
def _deliver_report(data: _lib.CallbackData) -> None:
    # Runs on the library's receive thread: an exception here would be lost.
    from ._convert import _value
    report = _value(data)
    for fn in list(_report_functions):
        try:
            fn(report)
        except Exception:
            logger.exception("arx.on_report callable %r raised", fn)


def init(model: Any = "A") -> None:
    """Arx_API_Init: starts the library for an arm model (a name or arx.ArmModel);
    connect() calls it when the model changes. The reports of on_report() stay registered."""
    code = kinematics.model_of(model)
    with _state_lock:
        callback = _deliver_report if _report_functions else _lib.ArxCallback()
        result = _lib.Arx_API_Init(code, callback)
        if result != 0:
            raise error_for(result, "Arx_API_Init")
        _model[0] = code
        _note_model(code)
        kinematics._loaded[0] = True


def on_report(fn: Callable[[Report], Any]) -> Callable[[Report], Any]:
    """Calls fn(arx.Report) for every report the controller pushes (codes 1 and 2
    arm state, 3 force-position state), on the library's receive thread. The
    package keeps fn alive; an exception in fn is logged to the logger "arx".
    Usable as a decorator; remove_report(fn) ends it."""
    with _state_lock:
        _report_functions.append(fn)
        first = len(_report_functions) == 1
    if first:
        init(_model[0] if _model[0] is not None else "A")
    return fn


def remove_report(fn: Callable[[Report], Any]) -> None:
    with _state_lock:
        _report_functions.remove(fn)
        last = not _report_functions
    if last and _model[0] is not None:
        init(_model[0])


def _shutdown() -> None:
    # The library's threads must not call into an interpreter that is going away.
    _lib.Arx_Set_Log_Handler(0, _lib.ArxLogHandler())
    if _report_functions and _model[0] is not None:
        _lib.Arx_API_Init(_model[0], _lib.ArxCallback())


atexit.register(_shutdown)


class Arm(Commands):
    """One connection to a controller: arx.connect() opens it, close() or the
    end of a with block closes it. Every command of the C interface that takes a
    handle is a method (see arx.METHODS)."""

    def __init__(self, handle: int, model: ArmModel, host: str = "", port: int = 0) -> None:
        self._handle = handle
        self.model = model
        self.joint_count = kinematics.joint_count(model)
        self.host, self.port = host, port

    @property
    def handle(self) -> int:
        """The C library's connection handle (0 once closed), for arx.lib."""
        return self._handle

    def arm_socket_close(self) -> None:
        """Arm_Socket_Close: closes the connection; a second close does nothing."""
        if self._handle:
            _lib.Arm_Socket_Close(self._handle)
            self._handle = 0

    close = arm_socket_close

    def set_digital_output(self, io_num: int, state: bool, block: bool = True) -> None:
        """One digital output of the controller on (True) or off (Set_IO_State, type 0)."""
        self.set_io_state(0, io_num, state, block)

    def set_analog_output(self, io_num: int, state: bool, block: bool = True) -> None:
        """One analog output of the controller: True 1 V, False 0 V (Set_IO_State, type 1)."""
        self.set_io_state(1, io_num, state, block)

    def download(self, path: str | os.PathLike, plan_speed: int) -> None:
        """Send_TrajectoryFile with the path's length counted: downloads a text file
        as a project named after the path's last component, to run at plan_speed."""
        name = os.fsencode(path)
        self.send_trajectory_file(name, len(name), plan_speed)

    def __enter__(self) -> Arm:
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __repr__(self) -> str:
        where = f"{self.host}:{self.port}" if self.host else "?"
        return f"<arx.Arm {where} model {self.model.name} handle {self._handle}>"


def connect(host: str, port: int, model: Any = "A", recv_timeout: int = 200) -> Arm:
    """Arm_Socket_Start: connects to the controller at host:port for an arm model
    ("A", "B", "C1", "C2" or arx.ArmModel); recv_timeout (ms) is the reply limit of
    blocking commands. Starts the library first when needed. Raises ConnectFailed,
    NotInitialised, NetworkStartFailed or StartFailed (a start-up query failed)."""
    code = kinematics.model_of(model)
    if _model[0] != code:
        init(code)
    handle = _lib.Arm_Socket_Start(host.encode(), port, recv_timeout)
    if handle == _lib.ARX_START_FAILED_HANDLE:
        raise StartFailed(-1, "Arm_Socket_Start", _text(_lib.Arx_Result_Text(-1)) or "")
    if handle < 16:
        raise error_for(handle, "Arm_Socket_Start")
    return Arm(handle, code, host, port)


def api_un_init() -> int:
    """Arx_API_UnInit: releases the library's send queue (queued commands then drop
    their line); the next connect() starts the library again. Returns 1."""
    with _state_lock:
        result = _api.api_un_init()
        _model[0] = None
    return result


def result_text(code: int) -> str:
    """Arx_Result_Text: the library's text for a result code."""
    return _text(_lib.Arx_Result_Text(code)) or ""


__all__ = ["Arm", "connect", "init", "on_report", "remove_report", "set_log_level", "lib", "kinematics",
           "ArxError", "METHODS", "__version__"]
