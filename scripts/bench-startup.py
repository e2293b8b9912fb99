#!/usr/bin/python3
"""Times the game's start-up beside a bare window: from exec to the first
presented frame, for the game and for bench/bare_window (the same SDL, audio
and window calls, then one cleared frame), run after one another N times
under one X server. Both write a line to the file named by MORROWFEN_TRACE
right after their first swap; the time until that line appears is the
figure. The processor time the program used, all its threads, until it was
ended right after that line is given beside it: on a shared machine it
swings less than the wall time. Prints each run, the medians and the game's
ratios to the reference.

    scripts/bench-startup.py [--runs N] [--build DIR] [--game PATH]...

--game, given more than once, times several builds of the game (each
started in its own folder, which must hold res/) in the same runs, as for a
before-and-after table.

Without DISPLAY it starts itself again under xvfb-run (1024x768x24)."""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
XVFB_ARGS = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -noreset"]
POLL_SECONDS = 0.001


def first_line_written(path):
    try:
        with open(path, "rb") as f:
            return b"\n" in f.read(4096)
    except FileNotFoundError:
        return False


def time_to_first_frame(exe, cwd, env, trace, deadline):
    """Seconds from exec of exe to the first complete line in trace, and the
    processor seconds it had used when it was killed right after that line
    (or when the deadline passed)."""
    if os.path.exists(trace):
        os.unlink(trace)
    env = dict(env, MORROWFEN_TRACE=trace)
    start = time.monotonic()
    proc = subprocess.Popen([exe], cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    # Reaped here rather than by Popen: only reaping gives its processor time.
    ended = None
    wall = None
    try:
        while wall is None:
            if first_line_written(trace):
                wall = time.monotonic() - start
            elif ended is not None:
                err = proc.stderr.read().decode(errors="replace")
                sys.exit(f"{exe} ended with status {os.waitstatus_to_exitcode(ended[1])} "
                         f"before its first frame:\n{err}")
            elif time.monotonic() - start > deadline:
                sys.exit(f"{exe} showed no frame within {deadline} s")
            else:
                time.sleep(POLL_SECONDS)
                pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
                if pid != 0:
                    ended = (pid, status, usage)
    finally:
        if ended is None:
            proc.kill()
            ended = os.wait4(proc.pid, 0)
        proc.returncode = os.waitstatus_to_exitcode(ended[1])
        proc.stderr.close()
    usage = ended[2]
    return wall, usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=11,
                        help="timed runs of each program (at least 5; default 11)")
    parser.add_argument("--build", default=os.path.join(ROOT, "build"),
                        help="the build tree (default build/)")
    parser.add_argument("--deadline", type=float, default=120.0,
                        help="seconds one start-up may take before the run fails")
    parser.add_argument("--game", action="append",
                        help="a game to time (default BUILD/game/morrowfen); may be repeated")
    args = parser.parse_args()
    if args.runs < 5:
        parser.error("--runs must be at least 5")

    if not os.environ.get("DISPLAY"):
        if shutil.which("xvfb-run") is None:
            sys.exit("no DISPLAY and no xvfb-run")
        os.execvp(XVFB_ARGS[0], XVFB_ARGS + [sys.executable, os.path.abspath(__file__)]
                  + sys.argv[1:])

    games = args.game or [os.path.join(args.build, "game", "morrowfen")]
    games = [os.path.abspath(g) for g in games]
    programs = {g if len(games) > 1 else "game": g for g in games}
    if len(programs) != len(games):
        parser.error("each --game must be another file")
    programs["reference"] = os.path.join(args.build, "bench", "bare_window")
    for exe in programs.values():
        if not os.access(exe, os.X_OK):
            sys.exit(f"{exe} is missing: build the tree first")
    # The reference reads nothing; it starts in the first game's folder.
    folders = {name: os.path.dirname(exe) for name, exe in programs.items()}
    folders["reference"] = os.path.dirname(games[0])

    work = tempfile.mkdtemp(prefix="bench-startup.")
    # A best score of its own, so that the runs leave the player's alone.
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", XDG_DATA_HOME=work)
    trace = os.path.join(work, "trace.jsonl")
    try:
        # One untimed run each, so that every timed one finds its files in
        # the page cache.
        for name, exe in programs.items():
            time_to_first_frame(exe, folders[name], env, trace, args.deadline)
        walls = {name: [] for name in programs}
        cpus = {name: [] for name in programs}
        names = list(programs)
        for run in range(args.runs):
            # Turn about, so that none always follows another.
            order = names if run % 2 == 0 else names[::-1]
            line = []
            for name in order:
                wall, cpu = time_to_first_frame(programs[name], folders[name], env, trace,
                                                args.deadline)
                walls[name].append(wall)
                cpus[name].append(cpu)
                line.append(f"{name} {wall * 1000:6.1f} ms ({cpu * 1000:6.1f} ms processor)")
            print(f"run {run + 1:2d}: " + ", ".join(line), flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    for label, times in (("wall", walls), ("processor", cpus)):
        reference = statistics.median(times["reference"])
        print(f"median of {args.runs}, {label}: reference {reference * 1000:.1f} ms")
        for name in programs:
            if name != "reference":
                game = statistics.median(times[name])
                print(f"  {name} {game * 1000:.1f} ms, ratio {game / reference:.2f}")


if __name__ == "__main__":
    main()
