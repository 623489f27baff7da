"""Prints the figures two builds' benchmark tables share, side by side.

compare_benchmarks.py DIR NAME ROUNDS reads DIR/SIZE-old-R.txt and
DIR/SIZE-new-R.txt (the tool's printed table, R = 1..ROUNDS) and prints, per
size, the median over the rounds of every figure both builds report, for
build NAME ("old"), this build ("new") and their ratio new / old.
"""

import re
import statistics
import sys
from pathlib import Path

CONFIGURATIONS = ["all effects", "shadows off", "bloom off", "shadows and bloom off"]
PASSES = ["update", "shadows", "scene", "bloom", "timed frame"]


def figures(text):
    """The named numbers of one table: the game's median frame standing at the
    start, frame medians along the path, pass medians with every effect on
    (wall clock and process CPU time), peak memory."""
    found = {}
    standing = re.search(r"standing at the start: ([\d.]+) ms median frame", text)
    if standing:
        found["game frame, standing at the start"] = float(standing.group(1))
    lines = text.splitlines()
    for i, line in enumerate(lines):
        words = line.split()
        if words[:1] == ["frame"] and "median" in words:
            for row in lines[i + 1:i + 1 + len(CONFIGURATIONS)]:
                cells = row.split()
                label = " ".join(cells[:-6])
                found[f"frame, {label}"] = float(cells[-5])
                found[f"frame cpu, {label}"] = float(cells[-1])
        if words[1:2] == ["update"] and words[0] in ("wall", "cpu"):
            cells = lines[i + 1].split()
            for name, value in zip(PASSES, cells[-len(PASSES):]):
                found[f"{name} pass {words[0]}, all effects"] = float(value)
    memory = re.search(r"peak resident memory: ([\d.]+) MiB", text)
    if memory:
        found["peak memory (MiB)"] = float(memory.group(1))
    return found


def main():
    folder, name, rounds = Path(sys.argv[1]), sys.argv[2], int(sys.argv[3])
    sizes = sorted({p.name.split("-")[0] for p in folder.glob("*.txt")}, key=lambda s: -int(s.split("x")[0]))
    for size in sizes:
        runs = {side: [figures((folder / f"{size}-{side}-{r}.txt").read_text()) for r in range(1, rounds + 1)]
                for side in ("old", "new")}
        print(f"\n== {size}: medians over {rounds} rounds, wall ms")
        print(f"{'':34}{name:>10}{'this':>10}{'ratio':>8}")
        for key in runs["old"][0]:
            old = [run[key] for run in runs["old"] if key in run]
            new = [run[key] for run in runs["new"] if key in run]
            if len(old) != rounds or len(new) != rounds:
                continue
            before, after = statistics.median(old), statistics.median(new)
            ratio = f"{after / before:8.3f}" if before > 0 else ""
            print(f"{key:34}{before:10.2f}{after:10.2f}{ratio}")


main()
