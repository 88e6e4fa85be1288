"""The path the tool takes, as a viewer sees it: a straight-line move and an
arc sent through the library (the Python package), sampled from arx-sim's
/events while they run. Every sample lies on the segment, or on the circle
through the start, via and end points; /state agrees with the last event.

    path_test.py <arx-sim>      (ARX_LIBRARY and PYTHONPATH as for the package's tests)
"""

from __future__ import annotations

import math
import sys
import time
import unittest
from typing import Any, Callable

import arx
import numpy as np
from simweb import Simulator, read_events

SIM = ""
Vec = np.ndarray  # millimetres
OFF_PATH_LIMIT_MM = 0.5
AT_END_MM = 0.01  # the tool stands on the target once the move ends
MIN_SAMPLES_BETWEEN = 10  # events at least 1 mm from either end
EVENT_RATE_FLOOR = 20  # events a second while a client listens
MOVE_LIMIT_S = 5.0
SPEED = 30
ORIENTATION = (3.1415, 0.0, 0.2)  # radians; the power-on pose turned about z on the way


def off_segment(p: Vec, start: Vec, end: Vec) -> float:
    along = end - start
    t = min(1.0, max(0.0, np.dot(p - start, along) / np.dot(along, along)))
    return float(np.linalg.norm(p - (start + t * along)))


class Circle:
    """The circle through three points, with angles measured from the first
    point in the direction that passes the second before the third."""

    def __init__(self, start: Vec, via: Vec, end: Vec) -> None:
        a, b = via - start, end - start
        n = np.cross(a, b)
        # The circumcentre of the triangle start, via, end.
        offset = (np.dot(a, a) * np.cross(b, n) + np.dot(b, b) * np.cross(n, a)) / (2 * np.dot(n, n))
        self.centre = start + offset
        self.radius = np.linalg.norm(offset)
        self.normal = n / np.linalg.norm(n)
        self.u = -offset / self.radius  # towards start
        self.v = np.cross(self.normal, self.u)

    def off(self, p: Vec) -> float:
        d = p - self.centre
        return math.hypot(np.dot(d, self.normal), math.hypot(np.dot(d, self.u), np.dot(d, self.v)) - self.radius)

    def angle(self, p: Vec) -> float:
        """In [-pi/2, 3 pi/2): a point just short of the start is slightly negative."""
        d = p - self.centre
        a = math.atan2(np.dot(d, self.v), np.dot(d, self.u))
        return a + 2 * math.pi if a < -math.pi / 2 else a


def position_mm(event: dict[str, Any]) -> Vec:
    return np.array(event["pose"][:3])


class PathsSeenByTheViewer(unittest.TestCase):
    def setUp(self) -> None:
        self.sim = Simulator(SIM, "--model", "A")
        self.arm = arx.connect("127.0.0.1", self.sim.port, "A")

    def tearDown(self) -> None:
        self.arm.close()
        self.sim.close()

    def where_mm(self) -> Vec:
        pose = self.arm.get_current_arm_state().pose
        return np.array([pose.x, pose.y, pose.z]) * 1000

    def check_path(self, start_move: Callable[[], None], start: Vec, end: Vec, off: Callable[[Vec], float],
                   on_arc: Callable[[Vec], bool] = lambda p: True) -> list[dict[str, Any]]:
        """The events from the start of the move (`start_move`, non-blocking) until the first one after it
        ended: every one within OFF_PATH_LIMIT_MM by `off`, enough of them between the ends, at the event
        rate, the move ending on `end`, and /state equal to the last event."""
        seen_moving = [False]

        def ended(event: dict[str, Any]) -> bool:
            seen_moving[0] = seen_moving[0] or event["moving"] != 0
            return seen_moving[0] and event["moving"] == 0

        start_move()
        begun = time.monotonic()
        events = read_events(self.sim.web, MOVE_LIMIT_S, until=ended)
        seconds = time.monotonic() - begun
        self.assertTrue(seen_moving[0] and events[-1]["moving"] == 0, "the move did not end in time")
        self.assertGreaterEqual(len(events) / seconds, EVENT_RATE_FLOOR, f"{len(events)} events in {seconds:.2f} s")
        self.assertLessEqual(len(events), 30 * seconds + 3, "paced at 30 a second, not as fast as it can")
        between = 0
        for event in events:
            p = position_mm(event)
            self.assertLess(off(p), OFF_PATH_LIMIT_MM, p)
            self.assertTrue(on_arc(p), p)
            between += min(np.linalg.norm(p - start), np.linalg.norm(p - end)) > 1
        self.assertGreaterEqual(between, MIN_SAMPLES_BETWEEN, "too few samples while it moved")
        self.assertLess(np.linalg.norm(position_mm(events[-1]) - end), AT_END_MM)
        state = self.sim.state()
        self.assertEqual(state["moving"], 0)
        np.testing.assert_allclose(state["pose"], events[-1]["pose"], rtol=0, atol=1e-6)
        self.assertEqual(state["joints"], events[-1]["joints"])
        return events

    def test_line_then_arc(self) -> None:
        def pose_m(p_mm: Vec) -> list[float]:
            return list(p_mm / 1000) + list(ORIENTATION)

        start = self.where_mm()
        end = start + [80, -60, -40]  # along x, y and z at once
        self.check_path(lambda: self.arm.movel(pose_m(end), SPEED, 0, False),
                        start, end, lambda p: off_segment(p, start, end))

        # A half circle of 50 mm in a plane tilted 45 degrees, from the line's end.
        r, h45 = 50.0, 50.0 * math.sqrt(0.5)
        centre = end + [r, 0, 0]
        via, to = centre + [0, h45, h45], centre + [r, 0, 0]
        circle = Circle(end, via, to)
        self.assertLess(np.linalg.norm(circle.centre - centre), 1e-9)  # the geometry check of the check
        end_angle = circle.angle(to)
        events = self.check_path(lambda: self.arm.movec(pose_m(via), pose_m(to), SPEED, 0, 0, False), end, to,
                                 circle.off, lambda p: -0.01 <= circle.angle(p) <= end_angle + 0.01)  # not the rest of the circle
        self.assertTrue(any(circle.angle(position_mm(e)) > circle.angle(via) for e in events))


if __name__ == "__main__":
    SIM = sys.argv.pop(1)
    unittest.main()
