#!/usr/bin/python3
"""The browser build played end to end in headless Chromium.

  browser_play.py BUILD_WEB SOURCE_DIR [--size WxH] [--report FILE]

Serves BUILD_WEB on a free local port, opens it in headless Chromium (WebGL 2
through SwiftShader) and drives it over the DevTools protocol: waits for the
game's own frame lines in the console, checks the welcome picture against the
menu picture it shows, presses Enter, holds W on the shaft level until the
win picture shows, and fails on any error in the browser's console. Prints the
time to the first frame and the frame rate; exits 77 (skipped) when Chromium
or the build is missing.
"""
import argparse
import base64
import http.server
import json
import os
import re
import shutil
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

SKIP = 77


def fail(message):
    print("web: FAILED: " + message, flush=True)
    sys.exit(1)


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm"}

    def log_message(self, *args):
        pass


def serve(folder):
    handler = lambda *a, **k: Quiet(*a, directory=folder, **k)
    server = socketserver.ThreadingTCPServer(("127.0.0.1", 0), handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Page:
    """One tab of Chromium over the DevTools protocol; every console line and
    error is kept as it comes."""

    def __init__(self, chromium, width, height):
        import websocket

        self.profile = tempfile.mkdtemp(prefix="quarrystack-chromium-")
        self.process = subprocess.Popen(
            [chromium, "--headless=new", "--no-sandbox", "--enable-unsafe-swiftshader", "--use-angle=swiftshader",
             "--remote-debugging-port=0", "--user-data-dir=" + self.profile, "--no-first-run",
             "--autoplay-policy=user-gesture-required", f"--window-size={width},{height}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        for _ in range(600):  # Chromium writes its port once it listens
            if os.path.exists(port_file) and open(port_file).read().count("\n") >= 1:
                break
            if self.process.poll() is not None:
                fail("Chromium ended at start")
            time.sleep(0.05)
        port = open(port_file).read().split("\n")[0]
        targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json"))
        page = next(t for t in targets if t["type"] == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=60, suppress_origin=True)
        self.next_id = 0
        self.lines = []  # (seconds since navigation, text)
        self.errors = []
        self.started = time.monotonic()
        for domain in ("Runtime", "Log", "Page"):
            self.call(domain + ".enable")
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1, mobile=False)

    def close(self):
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def handle(self, message):
        method, params = message.get("method"), message.get("params", {})
        if method == "Runtime.consoleAPICalled":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in params["args"])
            if params["type"] == "error":
                self.errors.append(text)
            self.lines.append((time.monotonic() - self.started, text))
        elif method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            self.errors.append(details.get("exception", {}).get("description", details.get("text", "")))
        elif method == "Log.entryAdded" and params["entry"]["level"] == "error":
            self.errors.append(params["entry"]["text"])

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    fail(f"{method}: {message['error']}")
                return message.get("result", {})
            self.handle(message)

    def pump(self, seconds):
        """Reads events for up to `seconds` (a bounded wait for the game's lines)."""
        self.socket.settimeout(seconds)
        try:
            self.handle(json.loads(self.socket.recv()))
        except Exception:
            pass
        finally:
            self.socket.settimeout(60)

    def navigate(self, url):
        self.started = time.monotonic()
        self.call("Page.navigate", url=url)

    def frames(self):
        return [(t, float(m.group(1))) for t, text in self.lines
                if (m := re.fullmatch(r"frametime: ([0-9.e+-]+)ms", text))]

    def wait_frames(self, count, limit, why):
        """Until `count` more frame lines came; `limit` seconds bound a hung page."""
        goal = len(self.frames()) + count
        end = time.monotonic() + limit
        while len(self.frames()) < goal:
            if time.monotonic() > end:
                fail(f"no frames {why} after {limit} s; console: {self.lines[-5:]}, errors: {self.errors}")
            self.pump(1.0)

    def wait_line(self, line, limit):
        """Until the game prints `line` (after the lines seen so far)."""
        seen = len(self.lines)
        end = time.monotonic() + limit
        while not any(text == line for _, text in self.lines[seen:]):
            if time.monotonic() > end:
                fail(f"no line {line!r} after {limit} s")
            self.pump(1.0)

    def key(self, kind, key, code, key_code):
        self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code, windowsVirtualKeyCode=key_code,
                  nativeVirtualKeyCode=key_code, text="\r" if key == "Enter" and kind == "keyDown" else "")

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))


def differing_share(shot, reference, region, work):
    """The share of pixels in `region` (x, y, w, h) that differ by more than
    a few levels from the menu picture box-filtered to the screen's size."""
    x, y, w, h = region
    crop = f"{w}x{h}+{x}+{y}"
    size = subprocess.run(["identify", "-format", "%wx%h", shot], capture_output=True, text=True).stdout
    expected = os.path.join(work, "expected.png")
    subprocess.run(["convert", reference, "-filter", "Box", "-resize", size + "!", "-crop", crop, "+repage",
                    expected], check=True)
    cropped = os.path.join(work, "cropped.png")
    subprocess.run(["convert", shot, "-alpha", "off", "-crop", crop, "+repage", cropped], check=True)
    result = subprocess.run(["compare", "-metric", "AE", "-fuzz", "2%", cropped, expected, "null:"],
                            capture_output=True, text=True)
    return float(result.stderr.split()[0]) / (w * h)


def shows_picture(page, picture, source, width, height, work, attempts=20):
    """Up to `attempts` screenshots, three frames apart, until one shows the
    menu picture in its own part (the welcome list and the words over the
    win picture are text of the game's own)."""
    region = (width // 2, 0, width - width // 2, height) if picture == "welcome" else (0, 0, width, height * 3 // 10)
    reference = os.path.join(source, "Textures", "menu", picture + "16_9.png")
    shot = os.path.join(work, picture + ".png")
    share = 1.0
    for _ in range(attempts):
        page.screenshot(shot)
        share = differing_share(shot, reference, region, work)
        if share < 0.005:
            return True, share
        page.wait_frames(3, 30, f"while waiting for the {picture} picture")
    return False, share


def route_of(level, source):
    """The legs (keys, seconds) of the level's route in tests/support/LevelRoutes.h."""
    text = open(os.path.join(source, "tests", "support", "LevelRoutes.h")).read()
    found = re.search(r'\{"' + re.escape(level) + r'",\s*\{(.*?\})\}\}', text, re.S)
    if not found:
        fail(f"no route for {level}")
    return [(keys, float(seconds)) for keys, seconds in re.findall(r'\{"([WASD_]*)",\s*([0-9.]+)\}', found.group(1))]


KEYS = {"W": ("w", "KeyW", 87), "A": ("a", "KeyA", 65), "S": ("s", "KeyS", 83), "D": ("d", "KeyD", 68),
        "_": (" ", "Space", 32)}


def play(page, legs):
    """Each leg's keys held for its time of play, counted in the game's frame
    times (of which it plays half a second at most), changing only the keys
    that change."""
    down = ""
    for keys, seconds in legs:
        for key in down:
            if key not in keys:
                page.key("keyUp", *KEYS[key])
        for key in keys:
            if key not in down:
                page.key("keyDown", *KEYS[key])
        down = keys
        start = len(page.frames())
        while sum(min(ms, 500) for _, ms in page.frames()[start:]) < seconds * 1000:
            page.wait_frames(1, 30, "in play")
    for key in down:
        page.key("keyUp", *KEYS[key])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("source")
    # Small enough for frames of about 50 ms on two cores: a leg of the route
    # ends within a frame of its time.
    parser.add_argument("--size", default="320x180")
    parser.add_argument("--all-effects", action="store_true", help="keep shadows and bloom on in play")
    parser.add_argument("--report", help="keep the screenshots and the figures in this folder")
    options = parser.parse_args()
    width, height = map(int, options.size.split("x"))
    chromium = shutil.which("chromium")
    if not chromium:
        print("web: skipped: Chromium is missing (scripts/setup.sh --web installs it)")
        return SKIP
    if not os.path.exists(os.path.join(options.build, "quarrystack.wasm")):
        print(f"web: skipped: no browser build in {options.build} (scripts/web.sh builds it)")
        return SKIP
    try:
        import websocket  # noqa: F401
    except ImportError:
        print("web: skipped: python3-websocket is missing (scripts/setup.sh --web installs it)")
        return SKIP

    work = options.report or tempfile.mkdtemp(prefix="quarrystack-web-")
    os.makedirs(work, exist_ok=True)
    server = serve(options.build)
    page = Page(chromium, width, height)
    try:
        url = f"http://127.0.0.1:{server.server_address[1]}/?level=LevelShaft"
        page.navigate(url)
        page.wait_frames(1, 60, "from the page")
        first_frame = page.frames()[0][0]
        print(f"web: first frame {first_frame:.2f} s after the page was asked for", flush=True)

        ok, share = shows_picture(page, "welcome", options.source, width, height, work)
        if not ok:
            fail(f"the welcome picture is not shown ({share:.1%} of its pixels differ)")
        print(f"web: the welcome picture shows ({share:.2%} of its pixels differ)", flush=True)
        page.key("keyDown", "Enter", "Enter", 13)
        page.wait_line("RELOAD", 60)  # the level's first frame of play
        page.key("keyUp", "Enter", "Enter", 13)
        # The game's eight sounds, read by libsndfile, are in OpenAL's buffers over Web Audio, which plays.
        sound = page.call("Runtime.evaluate", expression="AL.currentCtx ? AL.currentCtx.audioCtx.state + ' ' + "
                          "Object.values(AL.buffers).filter((b) => b && b.audioBuf).length : 'none'")["result"]
        sound = sound.get("value", sound.get("description"))
        if sound != "running 8":
            fail(f"the sound is not there: {sound}")
        if not options.all_effects:  # no shadows and no bloom (F10): more frames a second
            page.key("keyDown", "F10", "F10", 121)
            page.wait_frames(2, 30, "while F10 is down")
            page.key("keyUp", "F10", "F10", 121)
        start = len(page.frames())
        play(page, route_of("Data/LevelShaft.dae", options.source))
        played = page.frames()[start:]
        seconds = played[-1][0] - played[0][0]
        print(f"web: {len(played) / seconds:.1f} frames a second in play", flush=True)
        ok, share = shows_picture(page, "win", options.source, width, height, work)
        if not ok:
            fail(f"the shaft's route did not win ({share:.1%} of the win picture's pixels differ)")
        if page.errors:
            fail("errors in the browser's console: " + " | ".join(page.errors))
        print("web: ok", flush=True)
        return 0
    finally:
        if options.report:
            with open(os.path.join(work, "console.txt"), "w") as f:
                f.writelines(f"{t:8.2f} {text}\n" for t, text in page.lines if not text.startswith("frametime:"))
                f.writelines(f"error: {text}\n" for text in page.errors)
        page.close()
        server.shutdown()
        if not options.report:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
