"""arx-sim's viewer over HTTP: /state is the controller's state, /events takes
four listeners at most (its pace: viewer_paths), the controls act as requests do.

    web_test.py <arx-sim>
"""

from __future__ import annotations

import math
import socket
import sys
import time
import unittest

from simweb import Client, Simulator, open_events

SIM = ""
# Joints in exact thousandths, away from limits, for model A.
TARGET_DEG = [10.25, 25.5, 60.125, -5.0, 80.75, 12.5]


class ViewerState(unittest.TestCase):
    def setUp(self) -> None:
        self.sim = Simulator(SIM, "--speed", "4")
        self.client = Client(self.sim.port)

    def tearDown(self) -> None:
        self.client.close()
        self.sim.close()

    def test_state_io_and_log_follow_the_controller(self) -> None:
        self.client.movej(TARGET_DEG, 100)
        self.assertTrue(self.client.wait_until(lambda: self.client.moving() == 0, 10))
        self.client.ask({"command": "set_DO_state", "IO_Num": 2, "state": True}, "set_DO_state")
        state = self.sim.state()
        self.assertEqual([round(j * 1000) for j in state["joints"]], self.client.joints_milli())
        self.assertEqual([round(j * 1000) for j in state["joints"]], [round(j * 1000) for j in TARGET_DEG])
        self.assertEqual(state["io"]["digital_out"], [0, 0, 1, 0, 0, 0, 0, 0])
        self.assertIn('<- {"command":"set_DO_state","IO_Num":2,"state":true}', state["log"])
        self.assertTrue(any(line.startswith('-> {"command":"set_DO_state"') for line in state["log"]), state["log"])

    def test_tool_and_work_frames_are_the_active_ones(self) -> None:
        c = self.client
        c.ask({"command": "set_manual_tool_frame", "tool_name": "grip", "tool_pose": [0, 0, 100000, 0, 0, 0],
               "payload": 0, "position": [0, 0, 0]}, "set_manual_tool_frame")
        c.ask({"command": "set_change_tool_frame", "tool_name": "grip"}, "set_change_tool_frame")
        c.ask({"command": "set_manual_work_frame", "frame_name": "table", "frame_pose": [200000, 0, 50000, 0, 0, 1571]},
              "set_maual_work_frame")
        c.ask({"command": "set_change_work_frame", "frame_name": "table"}, "set_change_work_frame")
        state = self.sim.state()
        wire = c.ask({"command": "get_current_arm_state"}, "current_arm_state")["arm_state"]
        self.assertEqual((state["tool"]["name"], state["work"]["name"]), ("grip", "table"))
        tool = state["tool"]["frame"]
        for drawn, reported in zip(tool["origin"], wire["pose"][:3]):
            self.assertAlmostEqual(drawn, reported / 1000, delta=0.01)
        # 100 mm along the flange's z axis.
        flange = state["frames"][-1]
        for i in range(3):
            self.assertAlmostEqual(tool["origin"][i], flange["origin"][i] + 100 * flange["z"][i], delta=0.01)
        work = state["work"]["frame"]
        for a, b in zip(work["origin"] + work["x"] + work["z"], [200, 0, 50, 0, 1, 0, 0, 0, 1]):
            self.assertAlmostEqual(a, b, delta=1e-3)

    def test_streams_beyond_four_are_refused_and_state_still_answers(self) -> None:
        def open_stream() -> tuple[socket.socket, bytes]:
            sock, head, _ = open_events(self.sim.web)
            return sock, head.split(b"\r\n", 1)[0]

        streams = [open_stream() for _ in range(4)]
        try:
            self.assertEqual([status for _, status in streams], [b"HTTP/1.1 200 OK"] * 4)
            fifth, status = open_stream()
            fifth.close()
            self.assertEqual(status, b"HTTP/1.1 503 Service Unavailable")
            self.assertEqual(self.sim.state()["clients"], 1)
            streams[0][0].close()

            def reopened() -> bool:  # the stream's thread learns of the close at its next write
                again, status = open_stream()
                again.close()
                return status == b"HTTP/1.1 200 OK"

            self.assertTrue(self.client.wait_until(reopened, 2))
        finally:
            for sock, _ in streams:
                sock.close()

    def test_a_fault_armed_from_the_page_acts_as_from_the_command_line(self) -> None:
        self.assertEqual(self.sim.post("fault", {"word": "movej", "fault": "stall"}), 200)
        self.assertEqual(self.sim.state()["faults"], {"movej": "stall"})
        self.client.movej(TARGET_DEG, 100)
        time.sleep(0.3)
        self.assertEqual(self.client.moving(), 1)  # stalled: never moves, never arrives
        self.assertEqual(self.sim.post("stop", {}), 200)  # a running move's stop: browser_test's stop button
        self.assertEqual(self.client.moving(), 0)
        self.assertIn("viewer: stop", self.sim.state()["log"])
        self.assertEqual(self.sim.post("fault", {"word": "movej", "fault": "none"}), 200)
        self.assertEqual(self.sim.state()["faults"], {})
        self.assertEqual(self.sim.post("fault", {"word": "*", "fault": "delay:250"}), 200)
        self.assertEqual(self.sim.state()["faults"], {"*": "delay:250"})
        started = time.monotonic()
        self.client.ask({"command": "get_current_arm_state"}, "current_arm_state")
        self.assertGreaterEqual(time.monotonic() - started, 0.24)

    def test_bad_fault_requests_are_refused_and_change_nothing(self) -> None:
        cases = [
            ("unknown fault", {"word": "movej", "fault": "explode"}),
            ("bad time", {"word": "movej", "fault": "delay:x"}),
            ("time too long", {"word": "movej", "fault": "delay:600001"}),
            ("empty word", {"word": "", "fault": "drop"}),
            ("no word", {"fault": "drop"}),
            ("word with a quote", {"word": 'move"j', "fault": "drop"}),
            ("word too long", {"word": "w" * 65, "fault": "drop"}),
        ]
        for what, fields in cases:
            with self.subTest(what):
                self.assertEqual(self.sim.post("fault", fields), 400)
        self.assertEqual(self.sim.state()["faults"], {})

    def test_paths(self) -> None:
        cases = [("page", "", 200, b"<canvas id=\"scene\""), ("3D library", "build/three.module.js", 200, b"WebGLRenderer"),
                 ("words", "words", 200, b'"movej"'), ("unknown", "nothing-here", 404, b"")]
        for what, path, status, content in cases:
            with self.subTest(what):
                got_status, body = self.sim.get(path)
                self.assertEqual(got_status, status)
                self.assertIn(content, body)


class ChainOfEachModel(unittest.TestCase):
    """/state's pose is the arm state query's, and the chain the page draws ends where
    that query puts the tool, for every model (six and seven joints, offsets, the end link)."""

    def test_chain_ends_at_the_tool(self) -> None:
        for model, joints, base_height_mm in [("A", 6, 240.5), ("B", 7, 240.5), ("C1", 6, 172.0), ("C2", 6, 172.0)]:
            with self.subTest(model), Simulator(SIM, "--model", model) as sim:
                client = Client(sim.port)
                wire = client.ask({"command": "get_current_arm_state"}, "current_arm_state")["arm_state"]
                client.close()
                state = sim.state()
                self.assertEqual(state["model"], model)
                self.assertEqual(len(state["joints"]), joints)
                self.assertEqual(len(state["frames"]), joints + 1)
                self.assertEqual(len(state["links"]), 2 * joints + 1)  # along a, then along d, per link
                # The query carries thousandths of millimetres and thousandths of radians; /state, mm and degrees.
                wire_pose = [v / 1000 for v in wire["pose"][:3]] + [v * 0.18 / math.pi for v in wire["pose"][3:]]
                for got, want, delta in zip(state["pose"], wire_pose, [0.002] * 3 + [0.1] * 3):
                    self.assertAlmostEqual(got, want, delta=delta)
                tool_mm = wire_pose[:3]
                for drawn in (state["frames"][-1]["origin"], state["links"][-1], state["tool"]["frame"]["origin"]):
                    for a, b in zip(drawn, tool_mm):
                        self.assertAlmostEqual(a, b, delta=0.01)
                self.assertAlmostEqual(state["frames"][1]["origin"][2], base_height_mm, delta=0.01)
                for frame in state["frames"]:
                    for axis in "xyz":
                        self.assertAlmostEqual(sum(v * v for v in frame[axis]), 1, delta=1e-5)


if __name__ == "__main__":
    SIM = sys.argv.pop(1)
    unittest.main()
