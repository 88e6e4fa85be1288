#!/usr/bin/env python3
"""Pick and place, as examples/pick_and_place.c does it: connects, reads the
controller, sets a tool, moves over a part, computes the grasp pose with the
inverse kinematics, goes down in a straight line, grips, signals, checks the
force sensor, runs a small trajectory file and returns home. One line per
step with its round-trip time; exit status 0 only when every step succeeded.
Against arx-sim by default; --host and --port drive a real controller."""
from __future__ import annotations

import argparse
import os
import sys
import tempfile
import time
from typing import Any, Callable, Optional

import arx

HOME = [0, 20, 70, 0, 90, 0]
ABOVE_PART = [25, 35, 60, 0, 85, 25]


class Run:
    def __init__(self, host: str, port: int, model: str) -> None:
        self.host, self.port, self.model = host, port, model
        self.failures = 0
        self.arm: Any = None
        self.joints: Any = None
        self.pose: Any = None
        self.grasp: Any = None

    def step(self, name: str, action: Callable[[], Any]) -> None:
        """Runs one step: its name, ok or FAILED, and its round-trip time."""
        start = time.monotonic()
        code = 0
        try:
            action()
        except arx.ArxError as error:
            code = error.code
        elapsed = (time.monotonic() - start) * 1000
        print(f"{name:<34} {'ok    ' if code == 0 else 'FAILED'}  {elapsed:7.1f} ms")
        if code != 0:
            print(f"    result code {code}")
            self.failures += 1

    def connect(self) -> None:
        self.arm = arx.connect(self.host, self.port, model=self.model)

    def read_versions(self) -> None:
        v = self.arm.get_arm_software_version()
        print(f"    controller {v.plan} / {v.ctrl}, kernels {v.kernel1} {v.kernel2}, library {arx.__version__}")

    def read_state(self) -> None:
        state = self.arm.get_current_arm_state()
        self.joints, self.pose = state.joint, state.pose
        print(f"    tool at x {self.pose.x:.3f} y {self.pose.y:.3f} z {self.pose.z:.3f} m, "
              f"errors {state.arm_err}/{state.sys_err}")

    def set_tool(self) -> None:
        """The kinematics see a new tool only after connecting again."""
        gripper_tip = arx.CartesianPose(0, 0, 0.12, 0, 0, 0)
        self.arm.manual_set_tool_frame("gripper", gripper_tip, 0.8, 0, 0, 0.05)
        self.arm.change_tool_frame("gripper")
        self.arm.close()
        self.connect()

    def grasp_pose(self) -> None:
        """6 cm below the current tool pose, checked by the inverse kinematics."""
        self.read_state()
        p = self.pose
        self.grasp = arx.CartesianPose(p.x, p.y, p.z - 0.06, p.rx, p.ry, p.rz)
        # x, y, z, rx, ry, rz: the solver reads the Euler angles.
        solution = arx.kinematics.inverse(self.model, tuple(self.grasp), self.joints)
        print("    grasp joints " + " ".join(f"{value:.1f}" for value in solution[:6]))

    def read_force(self) -> None:
        force = self.arm.get_force_data()
        print(f"    force {force[0]:.2f} {force[1]:.2f} {force[2]:.2f} N")

    def run_trajectory_file(self) -> None:
        # A fresh folder of its own, so two runs side by side never share a file.
        with tempfile.TemporaryDirectory(prefix="arx_place_") as folder:
            path = os.path.join(folder, "place.txt")
            with open(path, "w") as file:
                file.write('{"command":"movej","joint":[-20000,35000,60000,0,85000,-20000],"v":40,"r":0}\n')
                file.write('{"command":"movej","joint":[-20000,25000,65000,0,90000,-20000],"v":40,"r":0}\n')
            self.arm.download(path, 50)


def main(argv: Optional[list] = None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--model", default="A", choices=["A", "B", "C1", "C2"])
    options = parser.parse_args(argv)
    start = time.monotonic()
    run = Run(options.host, options.port, options.model)
    try:
        run.connect()
    except arx.ArxError as error:
        print(f"cannot connect to {options.host}:{options.port} (code {error.code})", file=sys.stderr)
        return 1
    print(f"connected to {options.host}:{options.port}")
    try:
        run.step("read versions", run.read_versions)
        run.step("read arm state", run.read_state)
        run.step('set tool frame "gripper"', run.set_tool)
        run.step("Movej_Cmd over the part", lambda: run.arm.movej(ABOVE_PART, speed=50))
        run.step("inverse_kinematics: grasp pose", run.grasp_pose)
        run.step("Movel_Cmd down to the grasp", lambda: run.arm.movel(run.grasp, speed=30))
        run.step("close the gripper", lambda: run.arm.set_gripper_pick(500, 300))
        run.step("set output DO 1", lambda: run.arm.set_io_state(0, 1, True))
        run.step("read the force sensor", run.read_force)
        run.step("download and run trajectory file", run.run_trajectory_file)
        run.step("return home", lambda: run.arm.movej(HOME, speed=50))
    finally:
        run.arm.close()
    print(f"{'FAILED' if run.failures else 'done'}: {run.failures} step(s) failed, "
          f"{time.monotonic() - start:.1f} s in all")
    return 0 if run.failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
