#!/usr/bin/python3
"""Plays the real game for a while through the X server alone, the way a
person would, reading what happens from the game's trace; then prints what
the run saw.

It starts the game itself (so that it knows its process and its trace),
turns to the nearest zombie and fires, reloads an empty clip, changes weapon
now and then, fetches the clips the dead leave, steps back and aside when a
zombie comes close, and starts the next round when one ends. With --stand it
does nothing but start the next round, to see how long a survivor lasts who
does not fight.

With the check options it also judges the run: a hang, a long frame, objects
piling up, resident memory growing. The exit status is 0 for a good run, 1
when a check failed or the game died, 2 when the run could not start.
"""

import argparse
import json
import math
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

from Xlib import X, XK, display as xdisplay
from Xlib.ext import xtest

TITLE = "Morrowfen"

# The most of each class the rules allow at once, with a little room for a
# frame boundary. A class missing here is held to OTHER_BOUND.
OBJECT_BOUNDS = {
    "Character": 1,
    "Tree": 1,
    "Water": 1,
    # four grave stones, each with one zombie of its own at a time
    "SpawnPoint": 4,
    "Zombie": 4,
    # a clip lies 8 s, a grave needs 10 s or more for its next zombie
    "PistolPowerup": 4,
    "ShotgunPowerup": 4,
    # a bullet lives 1 s and the pistol fires every 0.3 s: four in the air
    "PistolProjectile": 5,
    # five pellets live 0.12 s, a blast every 0.7 s
    "ShotgunProjectile": 10,
}
OTHER_BOUND = 50

# The heap settles over the first rounds: each new round's field goes partly
# into memory the last one did not give back, and the heap keeps what it has
# (in large pages). From the start of this round on, and minute 1, memory
# that grows is a leak.
SETTLED_ROUND = 4

# Start-up: the frames that load the world and bring the window up.
STARTUP_SECONDS = 5.0


def log(msg):
    print("autoplayer: " + msg, file=sys.stderr, flush=True)


def memory_kb(pid):
    """The process's resident memory and the anonymous part of it in kB:
    what a leak grows, without the pages of libraries read in from disk."""
    found = {}
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                key = line.split(":")[0]
                if key in ("VmRSS", "RssAnon"):
                    found[key] = int(line.split()[1])
    except OSError:
        pass
    return found


def turn_towards(heading, fx, fz, x, z):
    """The turn in degrees, within [-180, 180), that faces (x, z) from
    (fx, fz): heading 0 faces -z and 90 faces +x."""
    wanted = math.degrees(math.atan2(x - fx, -(z - fz)))
    return (wanted - heading + 180.0) % 360.0 - 180.0


class Trace:
    """Reads the trace file as the game appends to it, a line a frame."""

    def __init__(self, path):
        self.path = path
        self.file = None
        self.partial = b""
        self.bad_lines = 0

    def read_new(self):
        if self.file is None:
            try:
                self.file = open(self.path, "rb")
            except OSError:
                return []
        data = self.file.read()
        if not data:
            return []
        data = self.partial + data
        lines = data.split(b"\n")
        self.partial = lines.pop()
        frames = []
        for line in lines:
            try:
                frames.append(json.loads(line))
            except ValueError:
                self.bad_lines += 1
        return frames


class Input:
    """XTest input: held keys and buttons, each let go at its own time."""

    def __init__(self, dpy):
        self.dpy = dpy
        self.held = {}  # ("key", code) or ("button", n) -> release time or None

    def _code(self, name):
        return self.dpy.keysym_to_keycode(XK.string_to_keysym(name))

    def _send(self, what, down):
        kind, n = what
        if kind == "key":
            xtest.fake_input(self.dpy, X.KeyPress if down else X.KeyRelease, n)
        else:
            xtest.fake_input(self.dpy, X.ButtonPress if down else X.ButtonRelease, n)

    def hold(self, what, seconds=None):
        """Presses and keeps pressed, for seconds or until released."""
        if what not in self.held:
            self._send(what, True)
        self.held[what] = None if seconds is None else time.monotonic() + seconds

    def release(self, what):
        if what in self.held:
            self._send(what, False)
            del self.held[what]

    def is_held(self, what):
        return what in self.held

    def key(self, name):
        return ("key", self._code(name))

    def release_due(self):
        now = time.monotonic()
        for what, until in list(self.held.items()):
            if until is not None and now >= until:
                self.release(what)

    def release_all(self):
        for what in list(self.held):
            self.release(what)

    def turn(self, pixels):
        xtest.fake_input(self.dpy, X.MotionNotify, detail=True, x=int(pixels), y=0)

    def click(self, button):
        xtest.fake_input(self.dpy, X.ButtonPress, button)
        xtest.fake_input(self.dpy, X.ButtonRelease, button)

    def flush(self):
        self.dpy.sync()


def find_window(dpy, title):
    pending = [dpy.screen().root]
    while pending:
        w = pending.pop()
        try:
            if w.get_wm_name() == title:
                return w
            pending.extend(w.query_tree().children)
        except Exception:  # a window may vanish while we look
            pass
    return None


class Stats:
    def __init__(self):
        self.frames = 0
        self.first_t = None
        self.last = None
        self.dts = []
        self.longest_after_startup = (0.0, 0)  # (dt, frame)
        self.shots = 0
        self.pickups = 0
        self.round_points = {}
        self.rounds_seen = set()
        self.object_max = {}
        self.bad_objects = []
        # Each round that ended: (seconds it lasted, kills), in game time.
        self.round_start = {}
        self.ended = []

    def add(self, f):
        self.frames += 1
        if self.first_t is None:
            self.first_t = f["t"]
        self.rounds_seen.add(f["round"])
        self.round_points[f["round"]] = f["points"]
        self.round_start.setdefault(f["round"], f["t"])
        p = self.last
        if f.get("state") == "over" and (p is None or p.get("state") != "over"):
            self.ended.append((f["t"] - self.round_start[f["round"]], f["points"] // 10))
        after_startup = f["t"] - self.first_t > STARTUP_SECONDS
        if after_startup:
            self.dts.append(f["dt"])
            if f["dt"] > self.longest_after_startup[0]:
                self.longest_after_startup = (f["dt"], f["frame"])
        p = self.last
        if p is not None and p["round"] == f["round"] and p["weapon"] == f["weapon"]:
            if f["rounds"] is not None and p["rounds"] is not None and f["rounds"] < p["rounds"]:
                self.shots += p["rounds"] - f["rounds"]
            if f["clips"] is not None and p["clips"] is not None and f["clips"] > p["clips"]:
                self.pickups += f["clips"] - p["clips"]
        for name, n in f["objects"].items():
            if n > self.object_max.get(name, 0):
                self.object_max[name] = n
                if n > OBJECT_BOUNDS.get(name, OTHER_BOUND):
                    self.bad_objects.append((name, n, f["frame"]))
        self.last = f

    def points(self):
        return sum(self.round_points.values())

    def rounds_summary(self):
        if not self.ended:
            return "no round ended"

        def spread(values, fmt):
            s = sorted(values)
            return ("median " + fmt + " (" + fmt + " to " + fmt + ")") % (
                s[len(s) // 2], s[0], s[-1])
        return "%d ended, lasting %s s, with %s kills" % (
            len(self.ended), spread([e[0] for e in self.ended], "%.1f"),
            spread([e[1] for e in self.ended], "%d"))

    def percentile(self, q):
        if not self.dts:
            return float("nan")
        s = sorted(self.dts)
        return s[min(len(s) - 1, int(q * len(s)))]


class Player:
    """Decides, a frame at a time, what to press."""

    CLOSE = 100.0  # a zombie nearer than this is stepped away from
    SAFE = 160.0  # clips are fetched only with no zombie nearer than this
    SWITCH_EVERY = (15.0, 30.0)

    def __init__(self, inp, rng):
        self.inp = inp
        self.rng = rng
        self.turn_sent = None  # (heading before, time) while a turn is on its way
        self.reload_sent = 0.0
        self.next_switch = time.monotonic() + rng.uniform(*self.SWITCH_EVERY)
        self.side = "a"
        self.next_side = 0.0
        self.enter_sent = 0.0
        self.W, self.A, self.S, self.D = (inp.key(k) for k in "wasd")
        self.ENTER = inp.key("Return")

    def walk(self, keys):
        for k in (self.W, self.A, self.S, self.D):
            if k in keys:
                self.inp.hold(k)
            else:
                self.inp.release(k)

    def round_over(self):
        self.walk(())
        self.inp.release(("button", 1))
        now = time.monotonic()
        if now - self.enter_sent > 2.0:
            # Held as a person holds it: the game reads keys once a frame.
            self.inp.hold(self.ENTER, 0.25)
            self.enter_sent = now

    def paused(self):
        # Only a pause the game took by itself (the focus went): go on.
        self.walk(())
        self.inp.release(("button", 1))
        now = time.monotonic()
        if now - self.enter_sent > 2.0:
            self.inp.hold(("button", 1), 0.25)
            self.enter_sent = now

    def stand(self):
        self.walk(())
        self.inp.release(("button", 1))

    def play(self, f):
        now = time.monotonic()
        player = f["player"]
        if player is None:
            return
        px, pz, heading = player["x"], player["z"], player["heading"]

        def dist(o):
            return math.hypot(o["x"] - px, o["z"] - pz)

        living = [z for z in f["zombies"] if z["state"] != "dying"]
        zombie = min(living, key=dist, default=None)
        pickup = min(f["powerups"], key=dist, default=None)
        close = zombie is not None and dist(zombie) < self.CLOSE
        fetch = pickup is not None and (zombie is None or dist(zombie) > self.SAFE)
        target = pickup if fetch else zombie

        # One turn at a time: wait until the game has taken the last one.
        if self.turn_sent is not None:
            before, when = self.turn_sent
            if heading != before or now - when > 1.0:
                self.turn_sent = None
        turn = 0.0
        if target is not None:
            turn = turn_towards(heading, px, pz, target["x"], target["z"])
            if self.turn_sent is None and abs(turn) >= 1.0:
                step = max(-120, min(120, round(turn)))
                self.inp.turn(step)
                self.turn_sent = (heading, now)

        if close:
            if now >= self.next_side:
                self.side = "d" if self.side == "a" else "a"
                self.next_side = now + self.rng.uniform(1.5, 3.0)
            self.walk((self.S, self.A if self.side == "a" else self.D))
        elif fetch and abs(turn) < 30.0:
            self.walk((self.W,))
        else:
            self.walk(())

        # Fire when the nearest zombie is in line: within a body's width.
        aimed = False
        if zombie is not None:
            d = max(dist(zombie), 1.0)
            off = abs(turn_towards(heading, px, pz, zombie["x"], zombie["z"]))
            aimed = off <= max(3.0, math.degrees(math.atan2(12.0, d))) and d < 500.0
        rounds, clips = f["rounds"] or 0, f["clips"] or 0
        fire = ("button", 1)
        if aimed and rounds > 0:
            self.inp.hold(fire)
        else:
            self.inp.release(fire)

        if rounds == 0 and clips > 0 and now - self.reload_sent > 3.0:
            # Let go before the reload is over, or it would start another.
            self.inp.release(fire)
            self.inp.hold(("button", 3), 0.2)
            self.reload_sent = now
        elif (rounds == 0 and clips == 0) or now >= self.next_switch:
            self.inp.click(4)
            self.next_switch = now + self.rng.uniform(*self.SWITCH_EVERY)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("duration", type=float, help="seconds of play")
    ap.add_argument("--game", default="build/game/morrowfen",
                    help="the game's executable; it runs in the executable's folder")
    ap.add_argument("--out", help="folder for the trace and the game's output "
                    "(default: a new temporary one)")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--startup", type=float, default=120.0,
                    help="seconds to wait for the first frame")
    ap.add_argument("--hang", type=float, default=30.0,
                    help="seconds without a frame that count as a hang")
    ap.add_argument("--max-frame", type=float,
                    help="fail on a frame longer than this after start-up (seconds)")
    ap.add_argument("--check-objects", action="store_true",
                    help="fail when a class of objects exceeds its bound")
    ap.add_argument("--max-growth", type=float,
                    help="fail when resident memory grows more than this many MB "
                    "from the start of round %d (and minute 1) to the end" % SETTLED_ROUND)
    ap.add_argument("--stand", action="store_true",
                    help="only stand where the round starts, and start the next "
                    "when one ends: how long a survivor who does nothing lasts")
    ap.add_argument("--stand-after", type=float, metavar="SECONDS",
                    help="after this many seconds of play, stand in the first "
                    "round still going until it ends, then fight again: a short "
                    "recording with a fight, a death and a restart")
    ap.add_argument("--rounds", type=int,
                    help="stop once this many rounds have ended")
    ap.add_argument("--record", metavar="FILE",
                    help="have the game record the run in FILE (--record)")
    ap.add_argument("--min-kills", type=int, default=0,
                    help="fail with fewer kills than this: a run that never "
                    "fought has shown nothing")
    args = ap.parse_args()

    if "DISPLAY" not in os.environ:
        log("no DISPLAY: run it under an X server (xvfb-run)")
        return 2
    game = os.path.abspath(args.game)
    if not os.access(game, os.X_OK):
        log("cannot run " + game)
        return 2
    out = args.out or tempfile.mkdtemp(prefix="autoplayer-")
    os.makedirs(out, exist_ok=True)
    trace_path = os.path.join(out, "trace.jsonl")
    if os.path.exists(trace_path):
        os.remove(trace_path)
    data = os.path.join(out, "data")
    os.makedirs(data, exist_ok=True)

    dpy = xdisplay.Display()
    if not dpy.has_extension("XTEST"):
        log("the X server has no XTEST")
        return 2
    inp = Input(dpy)
    # The game measures the pointer from where it enters the window.
    xtest.fake_input(dpy, X.MotionNotify, x=512, y=384)
    dpy.sync()

    env = dict(os.environ)
    env.setdefault("SDL_AUDIODRIVER", "dummy")
    env["MORROWFEN_TRACE"] = trace_path
    # Best scores stay with the run, not in the home of whoever runs it.
    env["XDG_DATA_HOME"] = data
    with open(os.path.join(out, "game.out"), "wb") as gout, \
            open(os.path.join(out, "game.err"), "wb") as gerr:
        command = [game]
        if args.record:
            command.append("--record=" + os.path.abspath(args.record))
        proc = subprocess.Popen(command, cwd=os.path.dirname(game), env=env,
                                stdout=gout, stderr=gerr)
    trace = Trace(trace_path)
    stats = Stats()
    failures = []
    rss = {}

    def finish(code):
        inp.release_all()
        inp.flush()
        status = proc.poll()
        if status is None:
            # Escape, held long enough for a busy game to see it.
            deadline = time.monotonic() + 60.0
            esc = inp.key("Escape")
            while proc.poll() is None and time.monotonic() < deadline:
                inp.hold(esc)
                inp.flush()
                time.sleep(0.25)
                inp.release(esc)
                inp.flush()
                try:
                    proc.wait(timeout=5.0)
                except subprocess.TimeoutExpired:
                    pass
            if proc.poll() is None:
                failures.append("the game did not quit on Escape")
                proc.kill()
            status = proc.wait()
            if status != 255:
                failures.append("the game quit with status %d, not 255" % status)
        report(stats, rss, status, out, trace.bad_lines)
        for f in failures:
            print("FAIL: " + f, flush=True)
        return 1 if failures or code else 0

    # Start-up: the first frame.
    deadline = time.monotonic() + args.startup
    while stats.frames == 0:
        for f in trace.read_new():
            stats.add(f)
        if proc.poll() is not None:
            failures.append("the game ended during start-up with status %d" % proc.returncode)
            return finish(1)
        if time.monotonic() > deadline:
            failures.append("no frame within %.0f s of start" % args.startup)
            return finish(1)
        time.sleep(0.02)
    rss["start"] = memory_kb(proc.pid)
    window = find_window(dpy, TITLE)
    if window is not None:
        # Keys through XTest go to the window with the focus.
        dpy.set_input_focus(window, X.RevertToParent, X.CurrentTime)
        dpy.sync()

    player = Player(inp, random.Random(args.seed))
    start = time.monotonic()
    standing_round = None
    last_frame_at = start
    while time.monotonic() - start < args.duration:
        frames = trace.read_new()
        now = time.monotonic()
        for f in frames:
            stats.add(f)
        if frames:
            last_frame_at = now
            f = frames[-1]
            if (args.stand_after is not None and standing_round is None
                    and now - start >= args.stand_after and f["state"] == "playing"):
                standing_round = f["round"]
            if "minute1" not in rss and now - start >= 60.0:
                rss["minute1"] = memory_kb(proc.pid)
            if "settled" not in rss and now - start >= 60.0 and f["round"] >= SETTLED_ROUND:
                rss["settled"] = memory_kb(proc.pid)
            if f["state"] == "over":
                player.round_over()
                if standing_round is not None and f["round"] >= standing_round:
                    standing_round = None
                    args.stand_after = None
            elif f["state"] == "paused":
                player.paused()
            elif args.stand or standing_round is not None:
                player.stand()
            else:
                player.play(f)
        if args.rounds is not None and len(stats.ended) >= args.rounds:
            break
        if proc.poll() is not None:
            failures.append("the game ended by itself with status %d after %.1f s"
                            % (proc.returncode, now - start))
            break
        if now - last_frame_at > args.hang:
            failures.append("hang: no frame for %.0f s (last frame %d)"
                            % (args.hang, stats.last["frame"]))
            # Its stack, if it has a handler for it, then it is gone.
            proc.send_signal(signal.SIGABRT)
            try:
                proc.wait(timeout=30.0)
            except subprocess.TimeoutExpired:
                proc.kill()
            break
        inp.release_due()
        inp.flush()
        time.sleep(0.01)
    played = time.monotonic() - start
    if proc.poll() is None:
        rss["end"] = memory_kb(proc.pid)

    if args.max_frame is not None and stats.longest_after_startup[0] > args.max_frame:
        dt, frame = stats.longest_after_startup
        failures.append("frame %d took %.3f s (more than %.3f s)" % (frame, dt, args.max_frame))
    if args.check_objects:
        for name, n, frame in stats.bad_objects:
            failures.append("%d objects of class %s at frame %d (bound %d)"
                            % (n, name, frame, OBJECT_BOUNDS.get(name, OTHER_BOUND)))
    resident = {k: v.get("VmRSS") for k, v in rss.items()}
    if args.max_growth is not None and resident.get("settled") and resident.get("end"):
        grown = (resident["end"] - resident["settled"]) / 1024.0
        if grown > args.max_growth:
            failures.append("resident memory grew %.1f MB from round %d (and minute 1) to "
                            "the end (more than %.1f MB)" % (grown, SETTLED_ROUND, args.max_growth))
    if stats.points() // 10 < args.min_kills:
        failures.append("%d kills, fewer than %d" % (stats.points() // 10, args.min_kills))
    print("played: %.1f s" % played)
    return finish(0)


def report(stats, rss, status, out, bad_lines):
    def mb(kb):
        return "%.1f MB" % (kb / 1024.0) if kb else "-"

    points = stats.points()
    print("rounds: %d" % len(stats.rounds_seen))
    print("kills: %d" % (points // 10))
    print("points: %d" % points)
    print("rounds ended: " + stats.rounds_summary())
    print("pick-ups: %d" % stats.pickups)
    print("shots: %d" % stats.shots)
    print("frames: %d" % stats.frames)
    print("frame time median: %.1f ms" % (1000.0 * stats.percentile(0.5)))
    print("frame time 99th percentile: %.1f ms" % (1000.0 * stats.percentile(0.99)))
    print("longest frame after start-up: %.1f ms" % (1000.0 * stats.longest_after_startup[0]))
    print("objects at most: " + ", ".join("%s %d" % kv for kv in sorted(stats.object_max.items())))
    for label, key in (("resident memory", "VmRSS"), ("anonymous memory", "RssAnon")):
        at = [mb(rss.get(when, {}).get(key)) for when in ("start", "minute1", "settled", "end")]
        print("%s: start %s, minute 1 %s, round %d %s, end %s"
              % (label, at[0], at[1], SETTLED_ROUND, at[2], at[3]))
    if bad_lines:
        print("trace lines that are not JSON: %d" % bad_lines)
    print("game exit status: %s" % status)
    print("trace and output: " + out, flush=True)


if __name__ == "__main__":
    sys.exit(main())
