"""Shared pieces of the Python suite: arx-sim on a free port, the `arx` tool
run as a user runs it, and a fake controller on loopback (a real TCP peer that
records every byte and answers by script)."""
from __future__ import annotations

import contextlib
import json
import os
import pathlib
import socket
import subprocess
import sys
import threading
from typing import Iterator

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
PACKAGE_DIR = ROOT / "python"
STARTUP_REPLIES = {
    "get_current_tool_frame":
        '{"state":"current_tool_frame","tool_name":"Arm_Tip","pose":[0,0,0,0,0,0],"payload":0,"position":[0,0,0]}',
    "get_current_work_frame": '{"state":"current_work_frame","frame_name":"World","pose":[0,0,0,0,0,0]}',
    "get_install_pose": '{"state":"install_pose","pose":[0,0,0]}',
}


def command_of(line: bytes) -> str:
    try:
        return str(json.loads(line)["command"])
    except (ValueError, TypeError, KeyError):  # not JSON, not an object, no command
        return ""


class FakeController:
    """Accepts connections on 127.0.0.1, records each one's bytes and lines,
    and answers a line whose "command" has a script with that script's line."""

    def __init__(self) -> None:
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port = self.listener.getsockname()[1]
        self.replies: dict[str, str | None] = dict(STARTUP_REPLIES)
        self.raw: list[bytearray] = []
        self.lines: list[bytes] = []
        self.sockets: list[socket.socket] = []
        self.changed = threading.Condition()
        threading.Thread(target=self._accept, daemon=True).start()

    def on(self, command: str, line: str | None) -> None:
        """Answers `command` with `line`; None: silence."""
        with self.changed:
            self.replies[command] = line

    def clear(self) -> None:
        with self.changed:
            for raw in self.raw:
                raw.clear()
            self.lines.clear()

    def received(self) -> bytes:
        with self.changed:
            return b"".join(bytes(raw) for raw in self.raw)

    def wait_lines(self, n: int, limit: float = 2.0) -> bool:
        with self.changed:
            return self.changed.wait_for(lambda: len(self.lines) >= n, limit)

    def wait_connections(self, n: int, limit: float = 2.0) -> bool:
        with self.changed:
            return self.changed.wait_for(lambda: len(self.raw) >= n, limit)

    def close(self) -> None:
        with contextlib.suppress(OSError):  # wakes the blocked accept(); a close alone leaves the port listening
            self.listener.shutdown(socket.SHUT_RDWR)
        self.listener.close()
        for s in self.sockets:
            s.close()

    def _accept(self) -> None:
        with contextlib.suppress(OSError):  # the listener closed
            while True:
                connection, _ = self.listener.accept()
                with self.changed:
                    self.raw.append(bytearray())
                    self.sockets.append(connection)
                    index = len(self.raw) - 1
                    self.changed.notify_all()
                threading.Thread(target=self._serve, args=(connection, index), daemon=True).start()

    def _serve(self, connection: socket.socket, index: int) -> None:
        pending = b""
        with contextlib.suppress(OSError):  # a reset or a close ends the connection
            while data := connection.recv(65536):
                *complete, pending = (pending + data).split(b"\n")
                with self.changed:
                    self.raw[index] += data
                    self.lines += [line.rstrip(b"\r") for line in complete]
                    replies = [self.replies.get(command_of(line)) for line in complete]
                    self.changed.notify_all()
                for reply in replies:
                    if reply is not None:
                        connection.sendall(reply.encode() + b"\r\n")


@pytest.fixture
def fake() -> Iterator[FakeController]:
    controller = FakeController()
    yield controller
    controller.close()


@contextlib.contextmanager
def simulator(*options: str) -> Iterator[int]:
    """arx-sim on a free port (its first line names it), stopped on exit; gives the port."""
    process = subprocess.Popen([os.environ["ARX_SIM"], "--port", "0", *options], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
    try:
        line = process.stdout.readline()
        assert line.startswith("listening on 127.0.0.1:"), f"arx-sim did not start: {line!r}"
        yield int(line.rsplit(":", 1)[1])
    finally:
        process.terminate()
        process.wait(5)


def tool_environment(**extra: str) -> dict[str, str]:
    """A user's shell: the package on the path, no ARX_* default but the library."""
    env = {key: value for key, value in os.environ.items() if not key.startswith("ARX_")}
    env.update(ARX_LIBRARY=os.environ["ARX_LIBRARY"], PYTHONPATH=str(PACKAGE_DIR), **extra)
    return env


def run_arx(args: list[str], env: dict[str, str] | None = None) -> subprocess.CompletedProcess:
    return subprocess.run([sys.executable, "-m", "arx", *args], env=env or tool_environment(), capture_output=True,
                          text=True, timeout=20)


def lines(text: str) -> list[str]:
    return [line for line in text.splitlines() if line.strip()]
