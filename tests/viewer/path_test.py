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
from typing import Any, Callable, Sequence

import arx
from simweb import Simulator, read_events

SIM = ""
Vec = Sequence[float]
OFF_PATH_LIMIT_MM = 0.5
AT_END_MM = 0.01  # the tool stands on the target once the move ends
MIN_SAMPLES_BETWEEN = 10  # events at least 1 mm from either end
EVENT_RATE_FLOOR = 20  # events a second while a client listens
MOVE_LIMIT_S = 5.0
SPEED = 30
ORIENTATION = (3.1415, 0.0, 0.2)  # radians; the power-on pose turned about z on the way


def sub(a: Vec, b: Vec) -> list[float]:
    return [x - y for x, y in zip(a, b)]


def dot(a: Vec, b: Vec) -> float:
    return sum(x * y for x, y in zip(a, b))


def cross(a: Vec, b: Vec) -> list[float]:
    return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]


def norm(a: Vec) -> float:
    return math.sqrt(dot(a, a))


def off_segment(p: Vec, start: Vec, end: Vec) -> float:
    along = sub(end, start)
    t = min(1.0, max(0.0, dot(sub(p, start), along) / dot(along, along)))
    return norm(sub(p, [s + t * a for s, a in zip(start, along)]))


class Circle:
    """The circle through three points, with angles measured from the first
    point in the direction that passes the second before the third."""

    def __init__(self, start: Vec, via: Vec, end: Vec) -> None:
        a, b = sub(via, start), sub(end, start)
        n = cross(a, b)
        nn = dot(n, n)
        # The circumcentre of the triangle start, via, end.
        offset = [(dot(a, a) * x + dot(b, b) * y) / (2 * nn) for x, y in zip(cross(b, n), cross(n, a))]
        self.centre = [s + o for s, o in zip(start, offset)]
        self.radius = norm(offset)
        self.normal = [v / math.sqrt(nn) for v in n]
        self.u = [-o / self.radius for o in offset]  # towards start
        self.v = cross(self.normal, self.u)

    def off(self, p: Vec) -> float:
        d = sub(p, self.centre)
        height = dot(d, self.normal)
        in_plane = math.hypot(dot(d, self.u), dot(d, self.v))
        return math.hypot(height, in_plane - self.radius)

    def angle(self, p: Vec) -> float:
        """In [-pi/2, 3 pi/2): a point just short of the start is slightly negative."""
        d = sub(p, self.centre)
        a = math.atan2(dot(d, self.v), dot(d, self.u))
        return a + 2 * math.pi if a < -math.pi / 2 else a


def position_mm(event: dict[str, Any]) -> list[float]:
    return event["pose"][:3]


class PathsSeenByTheViewer(unittest.TestCase):
    def setUp(self) -> None:
        self.sim = Simulator(SIM, "--model", "A")
        self.arm = arx.connect("127.0.0.1", self.sim.port, "A")

    def tearDown(self) -> None:
        self.arm.close()
        self.sim.close()

    def where_m(self) -> list[float]:
        pose = self.arm.get_current_arm_state().pose
        return [pose.x, pose.y, pose.z]

    def sample(self, start_move: Callable[[], None]) -> tuple[list[dict[str, Any]], float]:
        """The events from the start of the move (`start_move`, non-blocking) until
        the first one after it ended, and the seconds they took to arrive."""
        seen_moving = [False]

        def ended(event: dict[str, Any]) -> bool:
            seen_moving[0] = seen_moving[0] or event["moving"] != 0
            return seen_moving[0] and event["moving"] == 0

        start_move()
        begun = time.monotonic()
        events = read_events(self.sim.web, MOVE_LIMIT_S, until=ended)
        seconds = time.monotonic() - begun
        self.assertTrue(seen_moving[0] and events[-1]["moving"] == 0, "the move did not end in time")
        return events, seconds

    def check_path(self, start_move: Callable[[], None], start: Vec, end: Vec, off: Callable[[Vec], float],
                   on_arc: Callable[[Vec], bool] = lambda p: True) -> list[dict[str, Any]]:
        """Every sample within OFF_PATH_LIMIT_MM by `off`, enough of them between the ends, at the
        event rate, the move ending on `end`, and /state equal to the last event."""
        events, seconds = self.sample(start_move)
        self.assertGreaterEqual(len(events) / seconds, EVENT_RATE_FLOOR, f"{len(events)} events in {seconds:.2f} s")
        between = 0
        for event in events:
            p = position_mm(event)
            self.assertLess(off(p), OFF_PATH_LIMIT_MM, p)
            self.assertTrue(on_arc(p), p)
            between += min(norm(sub(p, start)), norm(sub(p, end))) > 1
        self.assertGreaterEqual(between, MIN_SAMPLES_BETWEEN, "too few samples while it moved")
        self.assertLess(norm(sub(position_mm(events[-1]), end)), AT_END_MM)
        state = self.sim.state()
        self.assertEqual(state["moving"], 0)
        for got, want in zip(state["pose"], events[-1]["pose"]):
            self.assertAlmostEqual(got, want, delta=1e-6)
        self.assertEqual(state["joints"], events[-1]["joints"])
        return events

    def test_line_then_arc(self) -> None:
        start = [v * 1000 for v in self.where_m()]
        end = [start[0] + 80, start[1] - 60, start[2] - 40]  # along x, y and z at once
        self.check_path(lambda: self.arm.movel([v / 1000 for v in end] + list(ORIENTATION), SPEED, 0, False),
                        start, end, lambda p: off_segment(p, start, end))

        # A half circle of 50 mm in a plane tilted 45 degrees, from the line's end.
        r, h45 = 50.0, 50.0 * math.sqrt(0.5)
        centre = [end[0] + r, end[1], end[2]]
        via = [centre[0], centre[1] + h45, centre[2] + h45]
        to = [centre[0] + r, centre[1], centre[2]]
        circle = Circle(end, via, to)
        self.assertLess(norm(sub(circle.centre, centre)), 1e-9)  # the geometry check of the check
        end_angle = circle.angle(to)
        events = self.check_path(lambda: self.arm.movec(
            [v / 1000 for v in via] + list(ORIENTATION), [v / 1000 for v in to] + list(ORIENTATION), SPEED, 0, 0,
            False), end, to, circle.off, lambda p: -0.01 <= circle.angle(p) <= end_angle + 0.01)  # not the rest of the circle
        self.assertTrue(any(circle.angle(position_mm(e)) > circle.angle(via) for e in events))


if __name__ == "__main__":
    SIM = sys.argv.pop(1)
    unittest.main()
