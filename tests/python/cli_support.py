"""What the command-line tests share: an arx-sim of their own on a free port,
and the `arx` tool run as a user runs it (a separate process, exit status and
both streams kept)."""
from __future__ import annotations

import os
import re
import subprocess
import sys
import time
from pathlib import Path
from typing import Dict, List, Optional, Sequence

ROOT = Path(__file__).resolve().parents[2]
PACKAGE_DIR = ROOT / "python"


def library_version() -> str:
    """The version the build gives the library: project(arx VERSION ...)."""
    text = (ROOT / "CMakeLists.txt").read_text()
    match = re.search(r"project\(arx VERSION (\d+\.\d+\.\d+)", text)
    assert match, "no project(arx VERSION ...) in CMakeLists.txt"
    return match.group(1)


def sim_binary() -> Path:
    return Path(os.environ.get("ARX_SIM", ROOT / "build" / "arx-sim"))


def library_path() -> Path:
    return Path(os.environ.get("ARX_LIBRARY", ROOT / "build" / "libarx.so"))


class Sim:
    """arx-sim on 127.0.0.1 and a port of its own, stopped on exit."""

    def __init__(self, *options: str) -> None:
        self.options = list(options)
        self.port = 0
        self.process: Optional[subprocess.Popen] = None

    def __enter__(self) -> "Sim":
        self.process = subprocess.Popen([str(sim_binary()), "--port", "0", *self.options],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        assert self.process.stdout is not None
        first = self.process.stdout.readline()
        match = re.fullmatch(r"listening on 127\.0\.0\.1:(\d+)\n", first)
        if not match:
            self.process.kill()
            raise RuntimeError(f"arx-sim did not start: {first!r}")
        self.port = int(match.group(1))
        return self

    def __exit__(self, *exc: object) -> None:
        assert self.process is not None
        self.process.terminate()
        self.process.wait(timeout=5)


def tool_environment(**extra: str) -> Dict[str, str]:
    """The environment of a user's shell with the package on the path and
    none of the ARX_* defaults but the library's."""
    env = {key: value for key, value in os.environ.items() if not key.startswith("ARX_")}
    env["ARX_LIBRARY"] = str(library_path())
    env["PYTHONPATH"] = str(PACKAGE_DIR)
    env.update(extra)
    return env


def run_arx(args: Sequence[str], env: Optional[Dict[str, str]] = None, timeout: float = 20,
            python: str = sys.executable) -> subprocess.CompletedProcess:
    return subprocess.run([python, "-m", "arx", *args], env=env or tool_environment(), capture_output=True,
                          text=True, timeout=timeout)


def timed_arx(args: Sequence[str], env: Optional[Dict[str, str]] = None) -> tuple:
    start = time.monotonic()
    done = run_arx(args, env)
    return done, time.monotonic() - start


def lines(text: str) -> List[str]:
    return [line for line in text.splitlines() if line.strip()]
