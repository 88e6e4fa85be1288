"""The package's exceptions: one class per result code of the C library."""
from __future__ import annotations

from . import _lib


class ArxError(Exception):
    """A call of the C library returned a result code other than success.

    .code is the result code (an int, arx.Result where it is one), .function
    the export that returned it, .text the library's text for the code."""

    code: int = -1

    def __init__(self, code: int, function: str, text: str) -> None:
        super().__init__(f"{function}: {text} ({code})")
        self.code, self.function, self.text = code, function, text


class ControllerRefused(ArxError):
    code = _lib.Result.ARX_CONTROLLER_FALSE


class NotInitialised(ArxError):
    code = _lib.Result.ARX_NOT_INITIALISED


class NetworkStartFailed(ArxError):
    code = _lib.Result.ARX_NETWORK_START_FAILED


class ConnectFailed(ArxError):
    code = _lib.Result.ARX_CONNECT_FAILED


class SendFailed(ArxError):
    code = _lib.Result.ARX_SEND_FAILED


class ReplyTimeout(ArxError):
    code = _lib.Result.ARX_REPLY_TIMEOUT


class StateTypeError(ArxError):
    code = _lib.Result.ARX_STATE_TYPE_ERROR


class ReplyNotJson(ArxError):
    code = _lib.Result.ARX_REPLY_NOT_JSON


class ArrayError(ArxError):
    code = _lib.Result.ARX_ARRAY_ERROR


class TypeMismatch(ArxError):
    """ARX_TYPE_ERROR: a reply member of another type, or an argument that cannot be sent."""
    code = _lib.Result.ARX_TYPE_ERROR


class PoseArrayError(ArxError):
    code = _lib.Result.ARX_POSE_ARRAY_ERROR


class MoveNotCompleted(ArxError):
    code = _lib.Result.ARX_MOVE_NOT_COMPLETED


class PathTooLong(ArxError):
    code = _lib.Result.ARX_PATH_TOO_LONG


class PathOrProject(ArxError):
    code = _lib.Result.ARX_PATH_OR_PROJECT


class FileUnreadable(ArxError):
    code = _lib.Result.ARX_FILE_UNREADABLE


class FileTransferBusy(ArxError):
    code = _lib.Result.ARX_FILE_TRANSFER_BUSY


class NullPointer(ArxError):
    code = _lib.Result.ARX_NULL_POINTER


class PendingTableFull(ArxError):
    code = _lib.Result.ARX_PENDING_TABLE_FULL


class StartFailed(ArxError):
    """Arm_Socket_Start connected, but a start-up frame query failed."""
    code = -1


class InverseKinematicsFailed(ArxError):
    """inverse_kinematics found no solution within the limits; .text from Arx_IK_Result_Text."""


BY_CODE: dict[int, type[ArxError]] = {
    cls.code: cls for cls in ArxError.__subclasses__() if cls is not InverseKinematicsFailed}

__all__ = ["ArxError", *(cls.__name__ for cls in BY_CODE.values()), "InverseKinematicsFailed"]
