#!/usr/bin/python3
"""Times the game playing a recording back as fast as it draws
(`morrowfen --timedemo`) beside bench/clear_swap, which opens the same
window and only clears and presents as many frames, run after one another
N times under one X server. Prints each run and the medians of the frames,
the seconds, the average frame rate and the 99th-percentile and longest
frame times.

    scripts/bench-timedemo.py [--runs N] [--build DIR] [--demo FILE]

Without DISPLAY it starts itself again under xvfb-run (1024x768x24)."""

import argparse
import os
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
XVFB_ARGS = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -noreset"]
FIGURES = ["frames", "seconds", "average", "99th percentile", "longest"]


def figures(command, cwd):
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")
    env.pop("MORROWFEN_TRACE", None)
    out = subprocess.run(command, cwd=cwd, env=env, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, text=True, check=True).stdout
    found = {}
    for line in out.splitlines():
        name, _, value = line.partition(": ")
        if name in FIGURES:
            found[name] = float(value.split()[0])
    missing = [f for f in FIGURES if f not in found]
    if missing:
        sys.exit("bench-timedemo: %s printed no %s:\n%s" % (command[0], ", ".join(missing), out))
    return found


def show(name, f):
    print("%-12s %6d frames %8.3f s %7.1f frames/s  99th %6.2f ms  longest %7.2f ms"
          % (name, f["frames"], f["seconds"], f["average"], f["99th percentile"], f["longest"]),
          flush=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--build", default=os.path.join(ROOT, "build"))
    ap.add_argument("--demo", default=os.path.join(ROOT, "demos", "fight.mfdemo"))
    args = ap.parse_args()
    if "DISPLAY" not in os.environ:
        os.execvp(XVFB_ARGS[0], XVFB_ARGS + [sys.executable] + sys.argv)
    game_dir = os.path.join(args.build, "game")
    demo = os.path.abspath(args.demo)
    runs = {"timedemo": [], "clear-swap": []}
    for _ in range(args.runs):
        played = figures([os.path.join(game_dir, "morrowfen"), "--timedemo=" + demo], game_dir)
        show("timedemo", played)
        runs["timedemo"].append(played)
        bare = figures([os.path.join(args.build, "bench", "bare_clear_swap"),
                        str(int(played["frames"]))], game_dir)
        show("clear-swap", bare)
        runs["clear-swap"].append(bare)
    print("medians of %d runs:" % args.runs)
    for name, rows in runs.items():
        show(name, {f: statistics.median(r[f] for r in rows) for f in FIGURES})


if __name__ == "__main__":
    main()
