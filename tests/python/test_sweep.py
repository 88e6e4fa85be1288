"""Every export through the package, over the sweep's rows: python_sweep_dump
records each row's request line, reply and calls (arguments, results, outputs);
here each call is made again through the package against a Python fake
controller, and must send the same bytes and give the same result and values."""
from __future__ import annotations

import functools
import json
import math
import os
import pathlib
import subprocess
import sys
import tempfile
from typing import Any, Callable

import pytest

import arx
from conftest import ROOT, FakeController, command_of

sys.path.insert(0, str(ROOT / "tools"))
import gen_python  # noqa: E402
from arx_header import read_functions  # noqa: E402

FUNCTIONS = {f.name: f for f in read_functions(ROOT / "include" / "arx_api.h")}
# Families whose rows wait longest (a port settling, a pause after a reply),
# dealt out first so that the parts take about as long.
SLOW_FAMILIES = ("modbus", "controller", "frames", "force")
UNSET = -99  # what a sweep row's output reads when the call left it alone


def part_families() -> list[str]:
    """ARX_SWEEP_PART "i/n": every n-th family from the i-th; all without it."""
    listed = subprocess.run([os.environ["ARX_SWEEP_DUMP"], "--gtest_list_tests", "-"], check=True,
                            capture_output=True, text=True).stdout
    families = sorted(line.split()[0].split("/", 1)[1] for line in listed.splitlines() if line.startswith("  "))
    families.sort(key=lambda f: SLOW_FAMILIES.index(f) if f in SLOW_FAMILIES else len(SLOW_FAMILIES))
    index, count = (int(n) for n in os.environ.get("ARX_SWEEP_PART", "1/1").split("/"))
    return families[index - 1::count]


@functools.cache
def rows() -> list[dict]:
    only = ":".join(f"Families/Dump.Family/{f}" for f in part_families())
    with tempfile.TemporaryDirectory() as folder:
        out = pathlib.Path(folder) / "rows.json"
        subprocess.run([os.environ["ARX_SWEEP_DUMP"], f"--gtest_filter={only}", str(out)], check=True,
                       stdout=subprocess.DEVNULL, timeout=90)
        return json.loads(out.read_text())


def pytest_generate_tests(metafunc: pytest.Metafunc) -> None:
    if "family" in metafunc.fixturenames:
        metafunc.parametrize("family", part_families())


class Replay:
    """One family's connection and the handles the C run had."""

    def __init__(self, fake: FakeController, handle: int) -> None:
        self.fake = fake
        self.arm = arx.connect("127.0.0.1", fake.port, recv_timeout=100)
        assert fake.wait_connections(1) and fake.wait_lines(3)
        self.arms: dict[int, arx.Arm] = {handle: self.arm}

    def arm_for(self, handle: int) -> arx.Arm:
        # Handle 0 and handles the C run had closed: an Arm object holding that value.
        return self.arms.get(handle) or arx.Arm(handle, arx.ArmModel.ARM_MODEL_A)

    def call(self, row: dict, call: dict) -> Callable[[], Any]:
        name, args = call["function"], call["args"]
        if name == "Arx_API_Init":
            return lambda: arx._api._api_init(args["model"])
        if name == "Arx_Set_Log_Handler":
            return lambda: arx.set_log_level(args["min_level"] if args["handler"] else None)
        if name == "Arm_Socket_Start":
            port = self.fake.port if args["port"] == row["port"] else args["port"]
            return lambda: arx.connect(args["ip"], port, recv_timeout=args["recv_timeout"])
        if name == "Arm_Socket_Close" and args["handle"] in self.arms:
            # The package's Arm forgets its handle when closed; the C rows go on
            # using the number, which the replay does through a second Arm.
            arm = self.arms[args["handle"]]
            self.arms[args["handle"]] = arx.Arm(arm.handle, arm.model)
            return arm.close
        f = FUNCTIONS[name]
        target: Any = arx._api
        kwargs = {}
        for p in gen_python.params(f):
            value = args.get(p.c_name)
            if p.kind == "handle":
                target = self.arm_for(value)
            elif p.kind in ("out", "callback"):
                continue
            elif p.kind == "text_in":
                kwargs[p.name] = None if value is None else value.encode("latin-1")
            else:
                kwargs[p.name] = value
        function = getattr(target, gen_python.python_name(f))
        return lambda: function(**kwargs)


def close(a: Any, b: Any) -> bool:
    """Computed values equal to float rounding (the same library computed both)."""
    if isinstance(a, dict):
        b = b._asdict() if hasattr(b, "_asdict") else b
        return a.keys() == b.keys() and all(close(a[k], b[k]) for k in a)
    if isinstance(a, list):
        return len(a) == len(b) and all(close(x, y) for x, y in zip(a, b))
    if isinstance(a, float) or isinstance(b, float):
        return math.isclose(a, b, rel_tol=1e-6, abs_tol=1e-7)
    return a == b


def check_outputs(f: Any, call: dict, outcome: Any) -> str | None:
    """What a successful C call wrote against what Python returned; arrays compare
    by the Python list's length (the C buffers may hold more than was written)."""
    returned = [p for p in gen_python.params(f) if p.kind == "out" and p.shape not in ("ignored", "count")]
    values = {returned[0].c_name: outcome} if len(returned) == 1 else \
        (outcome._asdict() if hasattr(outcome, "_asdict") else {})
    for name, written in call.get("outputs", {}).items():
        value = values.get(name)
        if value is None and written and written[0] == UNSET:
            continue  # left alone by both
        if isinstance(written, list) and not isinstance(value, list):
            written, value = written[0], value  # one value written through a pointer
        elif isinstance(written, list) and written and value is not None and not isinstance(written[0], str):
            if not value and written:
                return f"{name}: C wrote {written}, Python returned nothing"
            written = written[:len(value)]
        if not close(written, value):
            return f"{name}: C wrote {written!r}, Python returned {value!r}"
    return None


def check_result(replay: Replay, call: dict, outcome: Any, error: BaseException | None) -> str | None:
    name, expected = call["function"], call.get("result")
    f = FUNCTIONS[name]
    if name == "Arm_Socket_Start":
        if 16 <= expected < 2**64 - 1:  # a handle
            replay.arms[expected] = outcome
            return f"C connected, Python raised {error!r}" if error else None
        code = -1 if expected == 2**64 - 1 else expected
        return None if isinstance(error, arx.ArxError) and error.code == code else \
            f"C failed with {code}, Python gave {error or outcome!r}"
    if f.result == "int" and name not in gen_python.VALUE_RESULTS:  # a result code
        success = 1 if name == "inverse_kinematics" else 0
        if expected == success:
            return f"C succeeded, Python raised {error!r}" if error else check_outputs(f, call, outcome)
        if not isinstance(error, arx.ArxError):
            return f"C returned {expected}, Python gave {error or outcome!r}"
        text = arx.ik_result_text(expected) if name == "inverse_kinematics" else \
            arx.result_text(expected)
        if (error.code, error.function, error.text) != (expected, name, text):
            return f"C returned {expected}, Python raised {error!r} (code {error.code}, text {error.text!r})"
        return None
    if error:
        return f"Python raised {error!r}"
    if f.result != "void" and not close(expected, outcome):
        return f"C gave {expected!r}, Python {outcome!r}"
    return None


def test_rows_send_the_c_calls_bytes_and_give_their_results(family: str, fake: FakeController) -> None:
    family_rows = [r for r in rows() if r["family"] == family]
    arx.init("A")
    replay = Replay(fake, family_rows[0]["handle"])
    failures = []
    try:
        for row in family_rows:
            where = f"{row['function']} ({row['variant']})"
            # The row's own export is among its calls: with the sweep's row for
            # every declared function, every export is called through the package.
            if row["function"] not in {call["function"] for call in row["calls"]}:
                failures.append(f"{where}: the row never called {row['function']}")
            fake.clear()
            if row["line"] and row["reply"]:
                fake.on(command_of(row["line"].encode()), row["reply"])
            for call in row["calls"]:
                outcome, error = None, None
                try:
                    outcome = replay.call(row, call)()
                except arx.ArxError as e:
                    error = e
                if problem := check_result(replay, call, outcome, error):
                    failures.append(f"{where}: {call['function']}: {problem}")
            expected = row["line"].encode() + b"\r\n" if row["line"] else b""
            fake.wait_lines(expected.count(b"\r\n"))
            if fake.received() != expected:
                failures.append(f"{where}: sent {fake.received()!r}, expected {expected!r}")
    finally:
        replay.arm.close()
    assert not failures, "\n".join(failures)


def test_every_export_has_a_python_name_that_resolves() -> None:
    assert set(arx.METHODS) == set(FUNCTIONS)
    assert len(set(arx.METHODS.values())) == len(FUNCTIONS)
    owners = {"Arm": arx.Arm, "kinematics": arx.kinematics}
    for export, where in arx.METHODS.items():
        owner, _, name = where.rpartition(".")
        assert callable(getattr(owners.get(owner, arx), name, None)), f"{export}: arx.{where} is missing"
