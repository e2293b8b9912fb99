#!/usr/bin/env python3
"""Counts the instructions the main thread runs for one busy frame, exactly:
runs bench_frame's BM_FightFrame under valgrind's callgrind, collecting only
inside renderFrame() (the calls into the driver included, the rasterising
threads' work not) and writing one profile per frame. Frame time on a shared
machine swings from run to run; these counts do not, so they compare two
builds of the main thread's work on any machine.

    scripts/frame-instructions.py [--bench PATH]... [--seconds S]

Prints, for each bench binary (default build/bench/bench_frame), the median
count over the frames after the first two (which compile the driver's code),
and the parts of that median frame: each drawing function's count with what
it calls. Runs under xvfb-run when there is no DISPLAY. Slow: a frame takes
a second or two under valgrind, the first ones far longer."""

import argparse
import glob
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
XVFB = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -noreset"]
PARTS = ["drawScene()", "ObjectList::draw", "MD2Model::drawFrames", "OBJModel::draw()",
         "Water::draw()", "Projectile::draw", "ParticleSystem::draw()", "drawHud(",
         "blendCorners"]


def frame_counts(bench, seconds, scratch):
    out = os.path.join(scratch, "frame")
    cmd = ["valgrind", "--tool=callgrind", "--separate-threads=yes", "--collect-atstart=no",
           "--toggle-collect=renderFrame()", "--dump-after=renderFrame()",
           "--callgrind-out-file=" + out + ".%p", bench, "--benchmark_filter=FightFrame",
           "--benchmark_min_time=%g" % seconds]
    if not os.environ.get("DISPLAY"):
        cmd = XVFB + cmd
    # The benchmark reads res/ from the game's folder.
    subprocess.run(cmd, cwd=os.path.join(ROOT, "build", "game"), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    frames = {}
    for path in glob.glob(out + ".*.*-01"):
        number = int(re.search(r"\.(\d+)-01$", path).group(1))
        with open(path) as f:
            for line in f:
                if line.startswith("summary:"):
                    frames[number] = (int(line.split()[1]), path)
    return [frames[k] for k in sorted(frames)]


def parts(path):
    """Each part's instructions with what it calls: the sum over the calls
    made to it, as the profile records each call's inclusive cost."""
    names = {}
    inclusive = {}
    target = None
    take_cost = False
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if take_cost:
                fields = line.split()
                if len(fields) >= 2 and target is not None:
                    inclusive[target] = inclusive.get(target, 0) + int(fields[1])
                take_cost = False
            elif line.startswith("cfn="):
                m = re.match(r"cfn=\((\d+)\)(?: (.*))?", line)
                if m:
                    if m.group(2):
                        names[m.group(1)] = m.group(2)
                    target = m.group(1)
            elif line.startswith("fn="):
                m = re.match(r"fn=\((\d+)\)(?: (.*))?", line)
                if m and m.group(2):
                    names[m.group(1)] = m.group(2)
            elif line.startswith("calls="):
                take_cost = True
    found = {}
    for part in PARTS:
        total = sum(cost for key, cost in inclusive.items() if part in names.get(key, ""))
        if total:
            found[part] = total
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bench", action="append")
    parser.add_argument("--seconds", type=float, default=30.0,
                        help="benchmark time under valgrind (default 30)")
    args = parser.parse_args()
    if shutil.which("valgrind") is None:
        sys.exit("frame-instructions: valgrind is not installed")
    benches = args.bench or [os.path.join(ROOT, "build", "bench", "bench_frame")]
    for bench in benches:
        with tempfile.TemporaryDirectory() as scratch:
            frames = frame_counts(os.path.abspath(bench), args.seconds, scratch)
            steady = frames[2:]
            if not steady:
                sys.exit("frame-instructions: fewer than 3 frames; give more --seconds")
            counts = [c for c, _ in steady]
            median = statistics.median_low(counts)
            path = next(p for c, p in steady if c == median)
            print("%s: %d frames, median %.2f M instructions a frame (%.2f to %.2f)"
                  % (bench, len(counts), median / 1e6, min(counts) / 1e6, max(counts) / 1e6))
            for part, count in parts(path).items():
                print("    %-24s %6.2f M  %4.1f%%" % (part, count / 1e6, 100.0 * count / median))


if __name__ == "__main__":
    main()
