"""The Python examples against arx-sim: they succeed, and pick and place
takes the C example's steps, in its order, with its one-line-per-step output."""
from __future__ import annotations

import re
import subprocess
import sys

from conftest import PACKAGE_DIR, ROOT, simulator, tool_environment

STEP_LINE = re.compile(r"^(.{34}) (ok    |FAILED)  +\d+\.\d ms$")


def run_example(name: str, port: int, *options: str) -> subprocess.CompletedProcess:
    return subprocess.run([sys.executable, str(PACKAGE_DIR / "examples" / name), "--port", str(port), *options],
                          env=tool_environment(), capture_output=True, text=True, timeout=30)


def test_pick_and_place_takes_the_c_examples_steps() -> None:
    c_source = (ROOT / "examples" / "pick_and_place.c").read_text()
    c_steps = [name.replace('\\"', '"') for name in re.findall(r'STEP\(&ex, "((?:[^"\\]|\\.)*)"', c_source)]
    with simulator("--speed", "20") as port:
        done = run_example("pick_and_place.py", port)
    assert done.returncode == 0, done.stdout + done.stderr
    out = done.stdout.splitlines()
    taken = [(step.group(1).rstrip(), step.group(2)) for step in map(STEP_LINE.match, out) if step]
    assert taken == [(name, "ok    ") for name in c_steps], done.stdout
    assert out[0] == f"connected to 127.0.0.1:{port}" and out[-1].startswith("done: 0 step(s) failed")


def test_streaming_sends_at_100_hz_and_the_callback_sees_the_reports() -> None:
    with simulator() as port:
        done = run_example("streaming.py", port, "--seconds", "0.5")
    assert done.returncode == 0, done.stdout + done.stderr
    sent = re.search(r"sent (\d+) set-points in ([\d.]+) s", done.stdout)
    reports = re.search(r"(\d+) reports reached the callback", done.stdout)
    assert sent and reports, done.stdout
    # Late ticks catch up at once: the stream lasts its half second, give or take a stall.
    assert int(sent.group(1)) == 50 and 0.45 < float(sent.group(2)) < 1.5
    assert int(reports.group(1)) == 50  # one report per force-position set-point
