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
PASSES = ["update", "shadows", "scene", "bloom", "frame"]


def figures(text):
    """The named numbers of one table: frame medians, wall pass medians, memory."""
    found = {}
    frames = re.search(r"median frame \(wall\)[^:]*: (.*)", text)
    if frames:
        for label, value in zip(CONFIGURATIONS, re.findall(r"([\d.]+) ms", frames.group(1))):
            found[f"frame, {label}"] = float(value)
    lines = text.splitlines()
    walls = [i for i, line in enumerate(lines) if line.split()[:2] == ["wall", "update"]]
    for row in lines[walls[0] + 1:walls[0] + 1 + len(CONFIGURATIONS)] if walls else []:
        words = row.split()
        label = " ".join(words[:-len(PASSES)])
        for name, value in zip(PASSES[:-1], words[-len(PASSES):]):
            found[f"  {name} pass, {label}"] = float(value)
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
