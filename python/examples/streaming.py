#!/usr/bin/env python3
"""Streaming set-points at 100 Hz with the callback: turns the wrist through
a slow sine wave by force-position set-points, one every 10 ms, and counts
the controller's reports as they reach the callback on the library's receive
thread. Prints what was sent, what came back and how late the loop ran; exit
status 0 when every set-point went out and reports arrived.
Against arx-sim by default; --host and --port drive a real controller."""
from __future__ import annotations

import argparse
import math
import sys
import threading
import time
from typing import Any, List, Optional

import arx

PERIOD = 0.010  # 100 Hz


class Reports:
    """What the callback saw; written on the receive thread, read here."""

    def __init__(self) -> None:
        self.lock = threading.Lock()
        self.count = 0
        self.last_joints: List[float] = []

    def seen(self) -> int:
        with self.lock:
            return self.count

    def __call__(self, report: Any) -> None:
        if report.code == 3 and report.err_code == 0:  # a force-position state
            with self.lock:
                self.count += 1
                self.last_joints = list(report.joint)


def main(argv: Optional[list] = None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--model", default="A", choices=["A", "B", "C1", "C2"])
    parser.add_argument("--seconds", type=float, default=2.0, help="how long to stream (2)")
    parser.add_argument("--amplitude", type=float, default=5.0, help="wrist swing, degrees (5)")
    options = parser.parse_args(argv)

    reports = Reports()
    arx.on_report(reports)
    with arx.connect(options.host, options.port, model=options.model) as arm:
        start_joints = list(arm.get_joint_degree())
        arm.start_force_position_move()
        ticks = int(options.seconds / PERIOD)
        late = 0
        worst = 0.0
        begin = time.monotonic()
        for tick in range(ticks):
            due = begin + tick * PERIOD
            now = time.monotonic()
            if now < due:
                time.sleep(due - now)
            lag = time.monotonic() - due
            worst = max(worst, lag)
            late += lag > PERIOD
            joints = list(start_joints)
            joints[5] += options.amplitude * math.sin(2 * math.pi * tick * PERIOD / options.seconds)
            arm.force_position_move_joint(joints, 0, 0, 2, 5)
        elapsed = time.monotonic() - begin
        # The last reports are on their way: give them up to a second.
        give_up = time.monotonic() + 1.0
        while reports.seen() < ticks and time.monotonic() < give_up:
            time.sleep(0.01)
        arm.stop_force_postion_move()
    arx.remove_report(reports)
    with reports.lock:
        count, last = reports.count, reports.last_joints
    print(f"sent {ticks} set-points in {elapsed:.2f} s ({ticks / elapsed:.0f} Hz), "
          f"{late} late by more than a period, worst {worst * 1000:.1f} ms")
    print(f"{count} reports reached the callback; last wrist angle {last[5] if last else float('nan'):.2f} deg")
    return 0 if count > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
