"""The game's own frame time, standing at the start of the shipped level.

standing_start.py GAME ROOT FRAMES runs GAME full screen on $DISPLAY from its
data folder ROOT with a fresh home (no stored settings or progress), waits for
the welcome picture's frame lines, holds Enter over three frames, lets the
level settle for SETTLE frames from the key's release and prints the median
of the next FRAMES "frametime:" lines, in ms. Any build of the game since its
first prints those lines and plays the shipped level on Enter, so two builds
compare by the same measure.
"""

import os
import queue
import re
import statistics
import subprocess
import sys
import tempfile
import threading
import time

SETTLE = 10
FRAME_LINE = re.compile(r"frametime: ([\d.]+)ms")


def read_frame_times(lines, into):
    """Puts (arrival, frame time) in `into` for each of the game's frame lines."""
    for line in lines:
        match = FRAME_LINE.fullmatch(line.strip())
        if match:
            into.put((time.monotonic(), float(match.group(1))))
    into.put(None)


def next_time(frames, game):
    item = frames.get(timeout=120)
    if item is None:
        sys.exit(f"standing_start.py: {game} stopped")
    return item


def main():
    game, root, frames = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home, XDG_DATA_HOME=home)
        # Line-buffered, so that each line arrives when the frame ends.
        process = subprocess.Popen(["stdbuf", "-oL", game], cwd=root, env=env, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, text=True)
        frames_seen = queue.Queue()
        threading.Thread(target=read_frame_times, args=(process.stdout, frames_seen), daemon=True).start()
        try:
            for _ in range(5):  # the welcome picture is up
                next_time(frames_seen, game)
            # Held over three frames: a build that reads the key's state once
            # a frame, rather than the presses in between, sees it down.
            subprocess.run(["xdotool", "keydown", "Return"], check=True)
            down = time.monotonic()
            held = 0
            while held < 3:
                held += next_time(frames_seen, game)[0] > down
            subprocess.run(["xdotool", "keyup", "Return"], check=True)
            released = time.monotonic()
            measured = []
            seen = 0
            while len(measured) < frames:
                arrival, frame = next_time(frames_seen, game)
                if arrival > released:
                    seen += 1
                    if seen > SETTLE:
                        measured.append(frame)
        finally:
            process.kill()
            process.wait()
    print(f"{statistics.median(measured):.2f}")


main()
