#!/usr/bin/python3
"""browser_play.py BUILD_WEB SOURCE_DIR [--size WxH] [--all-effects]: the browser build played
in headless Chromium (WebGL 2 through SwiftShader) over the DevTools protocol, from the welcome
picture through the shaft's route to the win picture, failing on any error in the console."""
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

KEYS = {"Enter": ("Enter", "Enter", 13), "F10": ("F10", "F10", 121), "W": ("w", "KeyW", 87), "A": ("a", "KeyA", 65),
        "S": ("s", "KeyS", 83), "D": ("d", "KeyD", 68), "_": (" ", "Space", 32)}


def fail(message):
    print("web: FAILED: " + message, flush=True)
    sys.exit(1)


def serve(folder):
    class Quiet(http.server.SimpleHTTPRequestHandler):
        extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm"}

        def log_message(self, *args):
            pass

    server = socketserver.ThreadingTCPServer(("127.0.0.1", 0), lambda *a, **k: Quiet(*a, directory=folder, **k))
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Page:
    """One tab of Chromium; every console line and error is kept as it comes."""

    def __init__(self, chromium, width, height):
        import websocket

        self.profile = tempfile.mkdtemp(prefix="quarrystack-chromium-")
        self.process = subprocess.Popen(
            [chromium, "--headless=new", "--no-sandbox", "--enable-unsafe-swiftshader", "--use-angle=swiftshader",
             "--remote-debugging-port=0", "--user-data-dir=" + self.profile, "--no-first-run",
             f"--window-size={width},{height}", "about:blank"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        for _ in range(600):  # Chromium writes its port once it listens
            if os.path.exists(port_file) and "\n" in open(port_file).read():
                break
            time.sleep(0.05)
        port = open(port_file).read().split("\n")[0]
        targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json"))
        url = next(t for t in targets if t["type"] == "page")["webSocketDebuggerUrl"]
        self.socket = websocket.create_connection(url, timeout=60, suppress_origin=True)
        self.next_id, self.lines, self.errors, self.started = 0, [], [], time.monotonic()
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
            self.lines.append((time.monotonic() - self.started, text))
            if params["type"] == "error":
                self.errors.append(text)
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

    def wait_until(self, done, limit, why):
        end = time.monotonic() + limit
        while not done():
            if time.monotonic() > end:
                fail(f"{why} after {limit} s; console: {self.lines[-5:]}, errors: {self.errors}")
            self.socket.settimeout(1.0)
            try:
                self.handle(json.loads(self.socket.recv()))
            except Exception:
                pass
            self.socket.settimeout(60)

    def frames(self):
        return [(t, float(m.group(1))) for t, text in self.lines
                if (m := re.fullmatch(r"frametime: ([0-9.e+-]+)ms", text))]

    def wait_frames(self, count, limit=60):
        goal = len(self.frames()) + count
        self.wait_until(lambda: len(self.frames()) >= goal, limit, "no frames")

    def key(self, kind, name):
        key, code, key_code = KEYS[name]
        self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code,
                  windowsVirtualKeyCode=key_code, nativeVirtualKeyCode=key_code,
                  text="\r" if name == "Enter" and kind == "keyDown" else "")

    def shows(self, picture, source, width, height, work, attempts=20):
        """Up to `attempts` screenshots, three frames apart, until one shows the menu picture
        box-filtered to the screen within 2% a channel in 99.5% of the pixels of its own part
        (the welcome list and the words over the win picture are the game's)."""
        x, y, w, h = (width // 2, 0, width - width // 2, height) if picture == "welcome" else (0, 0, width, height * 3 // 10)
        crop = ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        shot, expected = os.path.join(work, picture + ".png"), os.path.join(work, "expected.png")
        subprocess.run(["convert", os.path.join(source, "Textures", "menu", picture + "16_9.png"), "-filter", "Box",
                        "-resize", f"{width}x{height}!", *crop, expected], check=True)
        share = 1.0
        for _ in range(attempts):
            with open(shot, "wb") as f:
                f.write(base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"]))
            subprocess.run(["convert", shot, "-alpha", "off", *crop, shot], check=True)
            compared = subprocess.run(["compare", "-metric", "AE", "-fuzz", "2%", shot, expected, "null:"],
                                      capture_output=True, text=True)
            share = float(compared.stderr.split()[0]) / (w * h)
            if share < 0.005:
                return share
            self.wait_frames(3)
        fail(f"the {picture} picture is not shown ({share:.1%} of its pixels differ)")


def route_of(level, source):
    """The legs (keys, seconds) of the level's route in tests/support/LevelRoutes.h."""
    text = open(os.path.join(source, "tests", "support", "LevelRoutes.h")).read()
    found = re.search(r'\{"' + re.escape(level) + r'",\s*\{(.*?\})\}\}', text, re.S)
    return [(keys, float(seconds)) for keys, seconds in re.findall(r'\{"([WASD_]*)",\s*([0-9.]+)\}', found.group(1))]


def play(page, legs):
    """Each leg's keys held for its time of play, counted in the game's frame times (of which
    it plays half a second at most), changing only the keys that change."""
    down = ""
    for keys, seconds in legs:
        for key in down:
            if key not in keys:
                page.key("keyUp", key)
        for key in keys:
            if key not in down:
                page.key("keyDown", key)
        down, start = keys, len(page.frames())
        page.wait_until(lambda: sum(min(ms, 500) for _, ms in page.frames()[start:]) >= seconds * 1000, 120,
                        "the leg did not end")
    for key in down:
        page.key("keyUp", key)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("source")
    # Small enough for frames of about 50 ms on two cores: a leg of the route ends within a frame.
    parser.add_argument("--size", default="320x180")
    parser.add_argument("--all-effects", action="store_true", help="keep shadows and bloom on in play")
    options = parser.parse_args()
    width, height = map(int, options.size.split("x"))
    chromium = shutil.which("chromium")
    if not chromium or not os.path.exists(os.path.join(options.build, "quarrystack.wasm")):
        print("web: skipped: no Chromium or no browser build (scripts/test-web.sh installs and builds both)")
        return 77

    work = tempfile.mkdtemp(prefix="quarrystack-web-")
    server = serve(options.build)
    page = Page(chromium, width, height)
    try:
        page.started = time.monotonic()
        page.call("Page.navigate", url=f"http://127.0.0.1:{server.server_address[1]}/?level=LevelShaft")
        page.wait_frames(1)
        print(f"web: first frame {page.frames()[0][0]:.2f} s after the page was asked for", flush=True)
        share = page.shows("welcome", options.source, width, height, work)
        print(f"web: the welcome picture shows ({share:.2%} of its pixels differ)", flush=True)
        page.key("keyDown", "Enter")
        seen = len(page.lines)  # then the level's first frame of play
        page.wait_until(lambda: any(text == "RELOAD" for _, text in page.lines[seen:]), 60, "no RELOAD")
        page.key("keyUp", "Enter")
        # The game's eight sounds, read by libsndfile, are in OpenAL's buffers over Web Audio, which plays.
        sound = page.call("Runtime.evaluate", expression="AL.currentCtx.audioCtx.state + ' ' + "
                          "Object.values(AL.buffers).filter((b) => b && b.audioBuf).length")["result"]
        if sound.get("value") != "running 8":
            fail(f"the sound is not there: {sound}")
        if not options.all_effects:  # no shadows and no bloom (F10): more frames a second
            page.key("keyDown", "F10")
            page.wait_frames(2)
            page.key("keyUp", "F10")
        start = len(page.frames())
        play(page, route_of("Data/LevelShaft.dae", options.source))
        played = page.frames()[start:]
        print(f"web: {len(played) / (played[-1][0] - played[0][0]):.1f} frames a second in play", flush=True)
        page.shows("win", options.source, width, height, work)
        if page.errors:
            fail("errors in the browser's console: " + " | ".join(page.errors))
        print("web: ok", flush=True)
        return 0
    finally:
        page.close()
        server.shutdown()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
