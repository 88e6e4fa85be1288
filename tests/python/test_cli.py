"""The `arx` tool against arx-sim: JSON that parses and says what the arm did,
exit statuses that are the library's result codes, options in either place."""
from __future__ import annotations

import json
import math
import signal
import subprocess
import sys
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path
from subprocess import CompletedProcess
from typing import Iterator, List

import pytest

import arx
from conftest import lines, run_arx, simulator, tool_environment

# Result codes as the header numbers them; the tool exits with them.
CONTROLLER_FALSE, CONNECT_FAILED, REPLY_TIMEOUT, FILE_UNREADABLE = 1, 5, 7, 17
USAGE_ERROR, NO_SOLUTION = 64, 65

HOME = [0.0, 20.0, 70.0, 0.0, 90.0, 0.0]


@pytest.fixture(scope="module")
def port() -> Iterator[str]:
    # Twenty times the arm's speed: a move takes a few hundred milliseconds.
    with simulator("--speed", "20") as running:
        yield str(running)


def parsed(done: CompletedProcess) -> dict:
    """The one JSON document a successful run prints."""
    assert done.returncode == 0 and len(lines(done.stdout)) == 1, (done.args, done.stdout, done.stderr)
    return json.loads(done.stdout)


def arx_json(port: str, *args: str) -> dict:
    return parsed(run_arx(["--port", port, "--json", *args]))


def run_all(rows: List[List[str]]) -> List[CompletedProcess]:
    """Runs the tool once per row, four at a time (each run is mostly start-up)."""
    with ThreadPoolExecutor(4) as pool:
        return list(pool.map(run_arx, rows))


def test_every_subcommand_prints_one_json_document(port: str, tmp_path: Path) -> None:
    trajectory = tmp_path / "place.txt"
    trajectory.write_text('{"command":"movej","joint":[0,20000,70000,0,90000,0],"v":40,"r":0}\n')
    # The motions one after the other (a stop would cut a move short, a gripper
    # command the gripper's motion before it), the rest side by side.
    motions = [
        ["move", "joint", *map(str, HOME), "--speed", "50"],
        ["move", "line", "-0.3", "0", "0.3", "3.14", "0", "0"],  # a short line down from HOME
        ["stop"],
        ["download", str(trajectory)],
        ["gripper", "open"], ["gripper", "close"], ["gripper", "pos", "500"],
    ]
    # state, version, io set, fk and monitor: their own tests below.
    others = [
        ["frames"], ["io", "get"], ["io", "get", "di", "1"], ["errors"], ["call", "Get_Joint_Degree"],
        ["call", "set_joint_speed", "1", "30", "true"], ["call", "pos2matrix", "[0.1,0.2,0.3,0,0,0]"],
        ["sim-fault", "movec", "none"],
    ]
    options = ["--port", port, "--json"]
    for done in [run_arx(options + row) for row in motions] + run_all([options + row for row in others]):
        parsed(done)


def test_fk_then_ik_reaches_the_same_pose_for_every_model() -> None:
    def pose_of(model: str, joints: List[float]) -> List[float]:
        pose = parsed(run_arx(["--model", model, "--json", "fk", *map(str, joints)]))["pose"]
        return [pose["x"], pose["y"], pose["z"], *pose["euler"].values()]

    def round_trip(model: str, joints: List[float]) -> tuple:
        pose = pose_of(model, joints)
        # No seed: the solver starts from the zero position.
        solution = parsed(run_arx(["ik", *map(str, pose), "--model", model, "--json"]))["joints"]
        assert len(solution) == len(joints), model
        return pose, pose_of(model, solution)

    bent = [10, 25, 65, 5, 80, -10]  # joints (deg) of a pose well inside each arm's reach
    models = {"A": bent, "B": [10, 20, 5, 60, 0, 90, 0], "C1": bent, "C2": bent}
    with ThreadPoolExecutor(4) as pool:
        for model, (pose, reached) in zip(models, pool.map(round_trip, models, models.values())):
            assert reached[:3] == pytest.approx(pose[:3], abs=1e-3), model
            # Euler angles: the same rotation may read 2 pi apart.
            assert [math.remainder(a - b, 2 * math.pi) for a, b in zip(reached[3:], pose[3:])] == \
                pytest.approx([0, 0, 0], abs=2e-3), model


def test_state_in_every_option_order_io_and_version_read_back_what_was_set(port: str) -> None:
    target = [10.0, 25.0, 65.0, 0.0, 80.0, -10.0]
    arx_json(port, "move", "joint", *map(str, target), "--speed", "100")
    # Options before or after the subcommand, or from the environment: the same state.
    env = tool_environment(ARX_PORT=port, ARX_HOST="127.0.0.1", ARX_MODEL="A")
    with ThreadPoolExecutor(4) as pool:
        runs = [pool.submit(run_arx, ["--port", port, "--json", "state"]),
                pool.submit(run_arx, ["state", "--port", port, "--json"]),
                pool.submit(run_arx, ["--json", "state", "--port", port]),
                pool.submit(run_arx, ["state", "--json"], env)]
    states = [parsed(run.result()) for run in runs]
    assert states == [states[0]] * 4 and states[0]["joint"] == pytest.approx(target, abs=0.01)
    # A default from the environment is checked as the option is.
    for name, value in (("ARX_MODEL", "Z"), ("ARX_PORT", "x")):
        done = run_arx(["state"], env=tool_environment(**{name: value}))
        assert (done.returncode, done.stdout) == (USAGE_ERROR, ""), (name, done.stderr)
        assert name in done.stderr or value in done.stderr
    # Without --json: a table of name and value, no JSON.
    table = run_arx(["state", "--port", port]).stdout
    assert not table.lstrip().startswith("{") and len(lines(table)) >= 2
    arx_json(port, "move", "joint", *map(str, HOME), "--speed", "100")
    for state, expected in (("on", 1), ("off", 0)):
        arx_json(port, "io", "set", "2", state)
        assert list(arx_json(port, "io", "get", "do", "2").values()) == [expected]
    assert arx_json(port, "version")["library"] == arx.__version__


def test_exit_status_is_the_result_code_with_its_text(port: str, tmp_path: Path) -> None:
    unused_port = "1"  # nothing listens there: the connection is refused
    rows = [
        # arguments, exit status, words of the text on stderr
        (["--port", unused_port, "state"], CONNECT_FAILED, "connect"),
        (["--port", port, "download", str(tmp_path / "missing.txt")], FILE_UNREADABLE, "file"),
        (["--port", port, "move", "line", "5", "5", "5", "0", "0", "0"], CONTROLLER_FALSE, "false"),
        (["--port", port, "call", "No_Such_Function"], USAGE_ERROR, "no_such_function"),
        (["move", "joint"], USAGE_ERROR, "required"),
        (["--port", "x", "state"], USAGE_ERROR, "port"),
        (["--model", "Z", "fk", "0", "0", "0", "0", "0", "0"], USAGE_ERROR, "model"),
        (["ik", "9", "9", "9", "0", "0", "0"], NO_SOLUTION, "out of reach, or the tool frame is singular (-9)"),
    ]
    for (args, status, words), done in zip(rows, run_all([args for args, _, _ in rows])):
        assert (done.returncode, done.stdout) == (status, ""), (args, done.stderr)
        assert words in done.stderr.lower(), (args, done.stderr)


def test_monitor_json_prints_one_state_a_line_at_the_rate_until_its_count_or_ctrl_c(port: str) -> None:
    standing = arx_json(port, "state")["joint"]
    done = run_arx(["monitor", "--port", port, "--json", "--rate", "20", "--count", "5"])
    assert done.returncode == 0, done.stderr
    samples = [json.loads(line) for line in lines(done.stdout)]
    assert len(samples) == 5
    times = [sample["time"] for sample in samples]
    assert times == sorted(times) and times[-1] - times[0] >= 4 * 0.05 - 0.01
    monitor = subprocess.Popen([sys.executable, "-m", "arx", "monitor", "--json", "--rate", "50", "--port", port],
                               env=tool_environment(), stdout=subprocess.PIPE, text=True)
    samples += [json.loads(monitor.stdout.readline()) for _ in range(3)]
    monitor.send_signal(signal.SIGINT)
    assert monitor.wait(timeout=5) == 0
    samples += [json.loads(line) for line in monitor.stdout.read().splitlines()]  # whole lines only
    assert all(sample["joint"] == standing for sample in samples)


def test_a_dropped_reply_exits_7_and_none_lifts_the_fault() -> None:
    with simulator() as fresh:
        port = str(fresh)
        assert run_arx(["sim-fault", "get_current_arm_state", "drop", "--port", port]).returncode == 0
        started = time.monotonic()
        done = run_arx(["state", "--port", port, "--json"])
        seconds = time.monotonic() - started
        assert (done.returncode, done.stdout) == (REPLY_TIMEOUT, "")
        assert "time" in done.stderr.lower() and 2.9 < seconds < 8
        assert run_arx(["sim-fault", "get_current_arm_state", "none", "--port", port]).returncode == 0
        assert run_arx(["state", "--port", port, "--json"]).returncode == 0
        # A fault the simulator does not know is refused: the controller's false.
        assert run_arx(["sim-fault", "movej", "wobble", "--port", port]).returncode == CONTROLLER_FALSE
