"""Helpers for the viewer's tests: an arx-sim with its viewer in a fresh
folder, a request-line client of its controller port, and plain HTTP."""

from __future__ import annotations

import json
import os
import shutil
import socket
import subprocess
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request
from typing import Any, Callable, Optional

START_LIMIT_S = 10.0


class Simulator:
    """arx-sim --port 0 --web 0, stopped on exit."""

    def __init__(self, binary: str, *options: str) -> None:
        self.folder = tempfile.mkdtemp(prefix="arx-viewer-")
        self.stdout_path = os.path.join(self.folder, "stdout")
        with open(self.stdout_path, "w") as out, open(os.path.join(self.folder, "stderr"), "w") as err:
            self.process = subprocess.Popen([binary, "--port", "0", "--web", "0", *options],
                                            stdout=out, stderr=err, cwd=self.folder)
        deadline = time.monotonic() + START_LIMIT_S
        while len(lines := open(self.stdout_path).read().splitlines()) < 2:
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError(f"arx-sim did not start ({self.process.poll()})")
            time.sleep(0.02)
        self.port = int(lines[0].removeprefix("listening on 127.0.0.1:"))
        if not lines[1].startswith("viewer on http://127.0.0.1:") or not lines[1].endswith("/"):
            raise RuntimeError(f"second line is {lines[1]!r}")
        self.web = lines[1].removeprefix("viewer on ")

    def close(self) -> None:
        """Stops the simulator; it must end cleanly (a sanitizer's report ends it otherwise)."""
        self.process.terminate()
        try:
            status = self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise RuntimeError("arx-sim did not end within 5 s of SIGTERM")
        with open(os.path.join(self.folder, "stderr")) as err:
            errors = err.read()
        shutil.rmtree(self.folder, ignore_errors=True)
        if status != 0:
            raise RuntimeError(f"arx-sim ended with {status}:\n{errors}")

    def __enter__(self) -> "Simulator":
        return self

    def __exit__(self, *_: object) -> None:
        self.close()

    def get(self, path: str, form: Optional[dict[str, str]] = None) -> tuple[int, bytes]:
        """GET `path`, or with `form` a POST of its fields: the status and the body."""
        data = None if form is None else urllib.parse.urlencode(form).encode()
        try:
            with urllib.request.urlopen(self.web + path, data=data, timeout=5) as reply:
                return reply.status, reply.read()
        except urllib.error.HTTPError as error:
            return error.code, error.read()

    def post(self, path: str, form: dict[str, str]) -> int:
        return self.get(path, form)[0]

    def state(self) -> dict[str, Any]:
        status, body = self.get("state")
        assert status == 200, status
        return json.loads(body)


class Client:
    """One connection to the controller port, speaking request lines."""

    def __init__(self, port: int) -> None:
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=5)
        self.buffer = b""

    def close(self) -> None:
        self.sock.close()

    def ask(self, request: dict[str, Any], word: str) -> dict[str, Any]:
        """Sends `request`; the first reply carrying `word` as its command or state (arrival reports skipped)."""
        self.sock.sendall(json.dumps(request, separators=(",", ":")).encode() + b"\r\n")
        while True:
            while b"\n" not in self.buffer:
                chunk = self.sock.recv(65536)
                if not chunk:
                    raise ConnectionError("arx-sim closed the connection")
                self.buffer += chunk
            line, self.buffer = self.buffer.split(b"\n", 1)
            reply = json.loads(line)
            if word in (reply.get("command"), reply.get("state")):
                return reply

    def joints_milli(self) -> list[int]:
        return self.ask({"command": "get_current_arm_state"}, "current_arm_state")["arm_state"]["joint"]

    def moving(self) -> int:
        return self.ask({"command": "sim_status"}, "sim_status")["moving"]

    def movej(self, joints_deg: list[float], v: int) -> None:
        reply = self.ask({"command": "movej", "joint": [round(j * 1000) for j in joints_deg], "v": v, "r": 0},
                         "movej")
        assert reply.get("trajectory_state") is True, reply

    def wait_until(self, condition: Callable[[], bool], limit_s: float) -> bool:
        deadline = time.monotonic() + limit_s
        while time.monotonic() < deadline:
            if condition():
                return True
            time.sleep(0.02)
        return condition()


def open_events(web: str) -> tuple[socket.socket, bytes, bytes]:
    """A GET /events on its own connection: the socket, the reply head, and what followed it."""
    host, port = web.removeprefix("http://").rstrip("/").split(":")
    sock = socket.create_connection((host, int(port)), timeout=5)
    sock.sendall(b"GET /events HTTP/1.1\r\nHost: x\r\nAccept: text/event-stream\r\n\r\n")
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = sock.recv(4096)
        if not chunk:
            raise ConnectionError(f"no reply head: {data!r}")
        data += chunk
    head, _, rest = data.partition(b"\r\n\r\n")
    return sock, head, rest


def read_events(web: str, seconds: float, until: Callable[[dict[str, Any]], bool]) -> list[dict[str, Any]]:
    """The events /events delivers, parsed, up to and including the first one
    `until` accepts, or all of `seconds`' worth."""
    events: list[dict[str, Any]] = []
    sock, head, data = open_events(web)
    assert b"text/event-stream" in head, head
    with sock:
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            sock.settimeout(max(0.01, deadline - time.monotonic()))
            try:
                chunk = sock.recv(1 << 20)
            except socket.timeout:
                break
            if not chunk:
                break
            data += chunk
            # The body is chunked, each event one chunk holding its "data: {...}"
            # line; only whole lines are parsed, the rest waits for its end.
            *lines, data = data.split(b"\n")
            for line in lines:
                if line.startswith(b"data: "):
                    events.append(json.loads(line[len(b"data: "):]))
                    if until(events[-1]):
                        return events
    return events
