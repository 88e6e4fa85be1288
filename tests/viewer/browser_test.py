"""The viewer in headless Chromium (WebGL on its software renderer): the page
shows the simulator's joints, draws the arm, arms a fault, and its stop button
stops a running move. Saves a screenshot.

    browser_test.py <arx-sim> <chromium> <screenshot.png>

Chromium is driven through its DevTools protocol on a pipe (file descriptors
3 and 4 of the browser, NUL-terminated JSON messages).
"""

from __future__ import annotations

import base64
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from typing import Any

from simweb import Client, Simulator

TARGET_DEG = [-30.5, 35.25, 55.75, 10.0, 70.5, -20.1]  # no ties at two decimals
STOP_TARGET_DEG = [90.0, 35.25, 55.75, 10.0, 70.5, -20.1]
# A page on a busy machine may take seconds to load and run its scripts
# (about 2 s alone); the limits are for a hung browser, not a slow one.
PAGE_LIMIT_S = 40.0
TEST_LIMIT_S = 100
# The links' colour in the page (0xe07020) as lit by its lights: red well
# above green, green well above blue.
ARM_PIXELS = """(() => {
  const source = document.getElementById('scene');
  const copy = document.createElement('canvas');
  copy.width = source.width; copy.height = source.height;
  const c = copy.getContext('2d');
  c.drawImage(source, 0, 0);
  const px = c.getImageData(0, 0, copy.width, copy.height).data;
  let arm = 0;
  for (let i = 0; i < px.length; i += 4)
    if (px[i] > 120 && px[i] - px[i + 1] > 50 && px[i + 1] - px[i + 2] > 20) ++arm;
  return arm;
})()"""


class Browser:
    def __init__(self, chromium: str, folder: str) -> None:
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()
        arguments = [chromium, "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                     "--no-first-run", "--no-default-browser-check", "--disable-extensions", "--mute-audio",
                     f"--user-data-dir={os.path.join(folder, 'profile')}", "--window-size=1400,900",
                     "--remote-debugging-pipe", "about:blank"]
        # The browser reads commands on descriptor 3 and writes replies on 4.
        shell = 'exec "$@" 3<&%d 4>&%d' % (to_browser_read, from_browser_write)
        self.process = subprocess.Popen(["sh", "-c", shell, "sh", *arguments],
                                        pass_fds=(to_browser_read, from_browser_write),
                                        stdout=subprocess.DEVNULL,
                                        stderr=open(os.path.join(folder, "chromium.log"), "w"))
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.buffer, self.next_id, self.session = b"", 0, ""

    def close(self) -> None:
        self.process.kill()
        self.process.wait()
        os.close(self.to_browser)
        os.close(self.from_browser)

    def call(self, method: str, **params: Any) -> dict[str, Any]:
        self.next_id += 1
        message: dict[str, Any] = {"id": self.next_id, "method": method, "params": params}
        if self.session and not method.startswith("Target."):
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self.buffer:
                chunk = os.read(self.from_browser, 1 << 20)
                if not chunk:
                    raise ConnectionError("chromium closed its pipe")
                self.buffer += chunk
            raw, self.buffer = self.buffer.split(b"\0", 1)
            reply = json.loads(raw)
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply["result"]

    def open(self, url: str) -> None:
        targets = self.call("Target.getTargets")["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", targetId=page["targetId"], flatten=True)["sessionId"]
        self.call("Page.enable")
        self.call("Page.navigate", url=url)

    def evaluate(self, expression: str) -> Any:
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression: str, limit_s: float = PAGE_LIMIT_S) -> Any:
        deadline = time.monotonic() + limit_s
        while time.monotonic() < deadline:
            value = self.evaluate(expression)
            if value:
                return value
            time.sleep(0.05)
        seen = self.evaluate("`${location.href} ${document.readyState} ${document.getElementById('connection')?.textContent}"
                             " ${document.getElementById('legend')?.textContent}`")
        raise AssertionError(f"the page never made true: {expression} (page: {seen})")


def check(condition: bool, what: str) -> None:
    if not condition:
        raise AssertionError(what)
    print(f"ok: {what}", flush=True)


def on_alarm(_signal: int, _frame: Any) -> None:
    raise TimeoutError(f"the browser test ran past {TEST_LIMIT_S} s")


def main() -> int:
    sim_binary, chromium, screenshot = sys.argv[1:4]
    # A hung browser ends the test (closing the simulator and the browser), not the suite.
    signal.signal(signal.SIGALRM, on_alarm)
    signal.alarm(TEST_LIMIT_S)
    if shutil.which(chromium) is None:
        print(f"{chromium} not found: make deps-check installs Debian's chromium", file=sys.stderr)
        return 1
    folder = tempfile.mkdtemp(prefix="arx-browser-")
    with Simulator(sim_binary) as sim:
        client = Client(sim.port)
        browser = Browser(chromium, folder)
        try:
            browser.open(sim.web)
            browser.wait_for("window.arxViewer && window.arxViewer.events > 2")

            # The page's joints are the simulator's once a move has finished.
            client.movej(TARGET_DEG, 60)
            check(client.wait_until(lambda: client.moving() == 0, 10), "the move arrives")
            expected = [f"{milli / 1000:.2f}" for milli in client.joints_milli()]
            browser.wait_for(f"JSON.stringify([...document.querySelectorAll('#joints td')].map(td => td.textContent))"
                             f" === {json.dumps(json.dumps(expected, separators=(',', ':')))}")
            check(True, f"the page shows the simulator's joints {expected}")

            arm_pixels = browser.evaluate(ARM_PIXELS)
            check(arm_pixels > 500, f"the 3D view draws the arm ({arm_pixels} pixels of its colour)")

            shot = base64.b64decode(browser.call("Page.captureScreenshot", format="png")["data"])
            os.makedirs(os.path.dirname(os.path.abspath(screenshot)), exist_ok=True)
            with open(screenshot, "wb") as out:
                out.write(shot)
            check(shot.startswith(b"\x89PNG"), f"screenshot saved in {screenshot}")

            # A fault armed from the page's form.
            browser.evaluate("""(() => {
                document.getElementById('fault-word').value = 'movel';
                document.getElementById('fault-kind').value = 'refuse';
                document.getElementById('fault-form').requestSubmit();
                return true; })()""")
            browser.wait_for("document.getElementById('faults').textContent.includes('movel = refuse')")
            check(sim.state()["faults"] == {"movel": "refuse"}, "the fault form arms the fault in the simulator")

            # The stop button: at 9 degrees a second the page has seconds to press it.
            start = client.joints_milli()
            client.movej(STOP_TARGET_DEG, 5)
            check(client.wait_until(lambda: client.joints_milli() != start, 2), "a slow move runs")
            browser.evaluate("document.getElementById('stop').click(), true")
            check(client.wait_until(lambda: client.moving() == 0, 2), "the stop button ends the move")
            held = client.joints_milli()
            time.sleep(0.2)
            check(client.joints_milli() == held and held[0] != 90000, "the arm stands short of the target")
        except BaseException:
            print(f"chromium's log stays in {folder}", file=sys.stderr)
            raise
        finally:
            browser.close()
            client.close()
    shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
