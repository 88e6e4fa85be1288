"""The package beside the sweep: record layout, library loading, errors,
reports, the log, threads, kinematics, and a session with arx-sim."""
from __future__ import annotations

import ctypes
import logging
import os
import pathlib
import queue
import shutil
import socket
import subprocess
import sys
import threading
import time

import pytest

import arx
from conftest import ROOT, FakeController, simulator

try:
    import numpy
except ImportError:  # numpy is optional for the package, and for these tests
    numpy = None


# Record -> [size]; record.field -> [offset, size], as the C compiler lays them out.
_out = subprocess.run([os.environ["ARX_RECORD_LAYOUT"]], check=True, capture_output=True, text=True).stdout
LAYOUT = {name: [int(v) for v in values] for name, *values in (line.split() for line in _out.splitlines())}


@pytest.mark.parametrize("record", [name for name in LAYOUT if "." not in name])
def test_structures_have_the_c_layout(record: str) -> None:
    structure = getattr(arx.lib, record)
    assert [ctypes.sizeof(structure)] == LAYOUT[record]
    fields = {f"{record}.{name}": [getattr(structure, name).offset, getattr(structure, name).size]
              for name, _ in structure._fields_}
    assert fields == {key: value for key, value in LAYOUT.items() if key.startswith(record + ".")}


LOOKUPS = [
    # (what, library in the package copy, in the checkout's build folder, ARX_LIBRARY, expected)
    ("the package's copy first", True, True, None, "loaded {tmp}/python/arx/libarx.so"),
    ("then the checkout's build tree", False, True, None, "loaded {tmp}/build/libarx.so"),
    ("ARX_LIBRARY alone when set", True, True, "{tmp}/missing.so", "ARX_LIBRARY: {tmp}/missing.so (no such file)"),
    ("nowhere: every place named", False, False, None, "the package: {tmp}/python/arx/libarx.so (no such file)"),
]


@pytest.mark.parametrize("case", LOOKUPS, ids=[r[0] for r in LOOKUPS])
def test_library_is_looked_for_in_order(tmp_path: pathlib.Path, case: tuple) -> None:
    _, in_package, in_build, explicit, expect = case
    # A checkout of its own: the header marks it, build/ holds a library or not.
    shutil.copytree(ROOT / "python" / "arx", tmp_path / "python" / "arx", ignore=shutil.ignore_patterns("libarx.so*"))
    (tmp_path / "include").mkdir()
    (tmp_path / "include" / "arx_api.h").touch()
    for wanted, folder in ((in_package, tmp_path / "python" / "arx"), (in_build, tmp_path / "build")):
        if wanted:
            folder.mkdir(exist_ok=True)
            shutil.copy(os.environ["ARX_LIBRARY"], folder / "libarx.so")
    env = {k: v for k, v in os.environ.items() if k not in ("ARX_LIBRARY", "PYTHONPATH")}
    env["PYTHONPATH"] = str(tmp_path / "python")
    if explicit:
        env["ARX_LIBRARY"] = explicit.format(tmp=tmp_path)
    result = subprocess.run([sys.executable, "-c", "import arx; print('loaded', arx.library_path, arx.__version__)"],
                            cwd=tmp_path, env=env, capture_output=True, text=True, timeout=30)
    expect = expect.format(tmp=tmp_path)
    if expect.startswith("loaded"):
        assert result.returncode == 0, result.stderr
        assert result.stdout.split() == [*expect.split(), arx.__version__]
    else:
        assert "LibraryNotFound" in result.stderr and expect in result.stderr
        assert ("the system: " in result.stderr) == (explicit is None)


def test_version_is_the_library_version() -> None:
    text = (ROOT / "CMakeLists.txt").read_text()
    assert f"project(arx VERSION {arx.__version__} " in text
    assert arx.api_version() == arx.__version__


REPLY_ERRORS = [
    # (what, command, its reply or None for silence, error class, code, method, export)
    ("no reply", "get_joint_degree", None, arx.ReplyTimeout, 7, "get_joint_degree", "Get_Joint_Degree"),
    ("not JSON", "get_joint_degree", "joint_degree", arx.ReplyNotJson, 9, "get_joint_degree", "Get_Joint_Degree"),
    ("no array", "get_joint_degree", '{"state":"joint_degree","joint":5}', arx.TypeMismatch, 11, "get_joint_degree",
     "Get_Joint_Degree"),
    ("false", "set_arm_stop", '{"command":"set_arm_stop","arm_stop":false}', arx.ControllerRefused, 1, "stop",
     "Move_Stop_Cmd"),
]


@pytest.mark.parametrize("case", REPLY_ERRORS, ids=[r[0] for r in REPLY_ERRORS])
def test_results_raise_their_error_with_code_function_and_text(fake: FakeController, case: tuple) -> None:
    _, command, reply, error, code, method, export = case
    fake.on(command, reply)
    with arx.connect("127.0.0.1", fake.port, recv_timeout=100) as arm:
        started = time.monotonic()
        with pytest.raises(error) as raised:
            getattr(arm, method)()
    assert isinstance(raised.value, arx.ArxError)
    assert (raised.value.code, raised.value.function) == (code, export)
    assert raised.value.text == arx.result_text(code) != "unknown result code"
    # A query waits 3000 ms for its reply, whatever recv_timeout says.
    assert time.monotonic() - started < (4.0 if reply is None else 1.0)


def test_a_closed_arm_a_closed_connection_and_a_refused_connect_raise(fake: FakeController) -> None:
    arm = arx.connect("127.0.0.1", fake.port)
    assert fake.wait_connections(1)
    fake.sockets[0].shutdown(socket.SHUT_RDWR)
    time.sleep(0.1)
    with pytest.raises(arx.SendFailed):
        arm.movej_canfd([0, 0, 0, 0, 0, 0])
    arm.close()
    arm.close()  # a second close does nothing
    assert arm.handle == 0  # a closed Arm never writes to a later connection given the same number
    with pytest.raises((arx.ConnectFailed, arx.SendFailed)):
        arm.get_joint_degree()
    fake.close()
    with pytest.raises(arx.ConnectFailed) as raised:
        arx.connect("127.0.0.1", fake.port)
    assert raised.value.function == "Arm_Socket_Start" and raised.value.code == 5
    with pytest.raises(ValueError):
        arx.connect("127.0.0.1", fake.port, model="D")


def test_connect_after_uninit_starts_the_library_again(fake: FakeController) -> None:
    arx.connect("127.0.0.1", fake.port).close()
    assert arx.api_un_init() == 1
    with arx.connect("127.0.0.1", fake.port) as arm:
        fake.clear()
        arm.move_stop(block=False)  # queued: needs the send queue Arx_API_Init makes
        assert fake.wait_lines(1) and fake.lines[-1] == b'{"command":"set_arm_stop"}'


def test_a_refused_call_is_logged_to_the_arx_logger(caplog: pytest.LogCaptureFixture) -> None:
    with caplog.at_level(logging.WARNING, logger="arx"), pytest.raises(arx.ConnectFailed):
        arx.Arm(0, arx.ArmModel.ARM_MODEL_A).set_joint_speed(1, 1.0, False)
    assert ("arx", logging.WARNING,
            "Set_Joint_Speed: refused before sending: 5 (the connection failed, or the handle is 0)") in \
        caplog.record_tuples


REPORT = '{"state":"Force_Position_State","joint":[1.5,-2,0,0,0,90],"force":-127,"arm_err":4}'


def test_reports_reach_the_callable_and_its_exceptions_are_logged(fake: FakeController,
                                                                 caplog: pytest.LogCaptureFixture) -> None:
    reports: queue.Queue[arx.Report] = queue.Queue()

    def fail(report: arx.Report) -> None:
        raise RuntimeError("a fault in the application's callable")

    arx.on_report(reports.put)
    arx.on_report(fail)
    try:
        with arx.connect("127.0.0.1", fake.port) as arm, caplog.at_level(logging.ERROR, logger="arx"):
            arm.force_position_move_joint([0, 0, 90, 0, 90, 0], 1, 0, 2, 1.0)
            assert fake.wait_lines(4)
            fake.sockets[0].sendall(REPORT.encode() + b"\r\n")
            report = reports.get(timeout=2)
            time.sleep(0.05)  # fail() runs after it
            handle = arm.handle
    finally:
        arx.remove_report(reports.put)
        arx.remove_report(fail)
    assert (report.socket, report.code, report.err_code, report.force, report.arm_err) == (handle, 3, 0, -12, 4)
    assert report.joint == [1.5, -2, 0, 0, 0, 90, 0]
    assert any("raised" in r.getMessage() and r.exc_info and "application's callable" in str(r.exc_info[1])
               for r in caplog.records)


def test_two_threads_on_two_arms_overlap() -> None:
    # arx-sim (a process of its own) answers each joint query 500 ms late: a
    # call that held the GIL would show as two calls in a row, a second long.
    spans: list[tuple[float, float]] = []

    def query(arm: arx.Arm) -> None:
        start = time.monotonic()
        arm.get_joint_degree()
        spans.append((start, time.monotonic()))

    with simulator("--fault", "get_joint_degree=delay:500") as port:
        arms = [arx.connect("127.0.0.1", port, recv_timeout=2000) for _ in range(2)]
        threads = [threading.Thread(target=query, args=(arm,)) for arm in arms]
        started = time.monotonic()
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        elapsed = time.monotonic() - started
        for arm in arms:
            arm.close()
    assert len(spans) == 2
    assert max(s for s, _ in spans) < min(e for _, e in spans), "the calls did not overlap"
    assert 0.5 <= elapsed < 0.9


BENT = [10, -20, 30, -40, 50, -60, 15]


def test_kinematics_agree_with_the_c_functions_for_each_models_own_geometry() -> None:
    places = set()
    for model in ("A", "B", "C1", "C2"):
        joints = BENT[:7 if model == "B" else 6]
        pose = arx.kinematics.forward(model, joints)
        places.add((pose.x, pose.y, pose.z))
        code = arx.kinematics.model_of(model)
        assert arx.kinematics.forward(code, numpy.array(joints) if numpy is not None else joints) == pose
        c_pose = arx.lib.Forward_Kinematics((ctypes.c_float * 7)(*BENT))
        assert (pose.x, pose.euler.rz, pose.quaternion.w) == (c_pose.x, c_pose.euler.rz, c_pose.quaternion.w)
        seed = [q + 1.5 for q in joints]
        back = arx.kinematics.inverse(model, pose, seed)
        c_out = (ctypes.c_float * 7)()
        assert arx.lib.inverse_kinematics((ctypes.c_float * 7)(*seed), ctypes.byref(c_pose), c_out, 1) == 1
        assert back == list(c_out)[:len(joints)], model
        # The same target as the commands' pose value: every number taken, the angles too.
        flat = arx.CartesianPose(pose.x, pose.y, pose.z, *pose.euler)
        assert arx.kinematics.inverse(model, flat, seed) == back, model
        again = arx.kinematics.forward(model, back)  # a seven-joint arm may reach it with other joints
        assert (again.x, again.y, again.z) == pytest.approx((pose.x, pose.y, pose.z), abs=1e-4), model
    assert len(places) == 4


def test_pose_conversions_round_trip() -> None:
    matrix = arx.kinematics.pose_to_matrix((0.1, 0.2, 0.3, 0.1, -0.2, 0.3))
    assert [row[3] for row in matrix] == pytest.approx([0.1, 0.2, 0.3, 1])
    pose = arx.kinematics.matrix_to_pose(matrix)
    assert (pose.x, pose.y, pose.z, *pose.euler) == pytest.approx((0.1, 0.2, 0.3, 0.1, -0.2, 0.3), abs=1e-6)
    q = arx.kinematics.euler_to_quaternion(0, 0, 1.5707963)
    assert tuple(q) == pytest.approx((0.70710678, 0, 0, 0.70710678), abs=1e-6)
    assert tuple(arx.kinematics.quaternion_to_euler(*q)) == pytest.approx((0, 0, 1.5707963), abs=1e-6)


def test_a_session_with_the_simulator() -> None:
    with simulator() as port, arx.connect("127.0.0.1", port, model="A") as arm:
        arm.movej([0, 10, 90, 0, 90, 0], speed=50)
        state = arm.state()
        assert state.joint == pytest.approx([0, 10, 90, 0, 90, 0], abs=0.01)
        computed = arx.kinematics.forward("A", state.joint)
        assert state.pose[:3] == pytest.approx((computed.x, computed.y, computed.z), abs=1e-3)
        assert arm.tool_frames()[0] == arm.get_current_tool_frame().name
        with pytest.raises(arx.PathOrProject):  # no directory separator: refused before anything is sent
            arm.download("plan.txt", 50)
    assert arm.handle == 0
