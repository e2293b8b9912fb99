#!/usr/bin/python3
"""The automatic player's reading of the trace: what it counts and what it
turns by. Its play itself is tried on the real game by the soak."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
import autoplayer  # noqa: E402


def frame(n, t=None, dt=0.02, weapon="Pistol", rounds=12, clips=3, points=0, round_=1,
          objects=None, state="playing"):
    return {"frame": n, "t": n * 0.02 if t is None else t, "dt": dt, "weapon": weapon,
            "rounds": rounds, "clips": clips, "points": points, "round": round_,
            "objects": objects or {"Character": 1}, "state": state}


class TurnTowardsTest(unittest.TestCase):
    def test_headings_face_minus_z_at_zero_and_plus_x_at_ninety(self):
        self.assertAlmostEqual(autoplayer.turn_towards(0, 0, 0, 0, -10), 0)
        self.assertAlmostEqual(autoplayer.turn_towards(0, 0, 0, 10, 0), 90)
        self.assertAlmostEqual(autoplayer.turn_towards(0, 0, 0, -10, 0), -90)
        self.assertAlmostEqual(autoplayer.turn_towards(90, 5, 5, 5, -5), -90)

    def test_the_short_way_round_across_the_wrap(self):
        # From 170 to -170 (behind, a little left) is 20 to the right.
        self.assertAlmostEqual(autoplayer.turn_towards(170, 0, 0, -1.7632698, 10), 20, places=4)
        self.assertAlmostEqual(autoplayer.turn_towards(-350, 0, 0, 10, 0), 80)


class StatsTest(unittest.TestCase):
    def feed(self, frames):
        stats = autoplayer.Stats()
        for f in frames:
            stats.add(f)
        return stats

    def test_shots_and_pickups_count_within_one_gun_and_one_round(self):
        stats = self.feed([
            frame(1, rounds=12, clips=3),
            frame(2, rounds=11, clips=3),   # a shot
            frame(3, rounds=6, clips=3, weapon="Shotgun"),  # the other gun: neither
            frame(4, rounds=5, clips=4, weapon="Shotgun"),  # a blast and a pick-up
            frame(5, rounds=6, clips=3, weapon="Shotgun"),  # a reload: neither
            frame(6, rounds=12, clips=3, weapon="Pistol"),
            frame(7, rounds=12, clips=5, round_=2),  # a new round's full guns: neither
        ])
        self.assertEqual(stats.shots, 2)
        self.assertEqual(stats.pickups, 1)

    def test_points_add_up_over_rounds(self):
        stats = self.feed([frame(1, points=30), frame(2, points=50), frame(3, round_=2),
                           frame(4, points=20, round_=2)])
        self.assertEqual(stats.points(), 70)
        self.assertEqual(len(stats.rounds_seen), 2)

    def test_each_ended_round_counts_once_from_its_first_frame(self):
        stats = self.feed([
            frame(1, t=1.0, points=10), frame(2, t=9.0, points=30, state="over"),
            frame(3, t=9.5, points=30, state="over"), frame(4, t=12.0, round_=2),
            frame(5, t=13.0, round_=2, state="paused"), frame(6, t=40.0, round_=2, state="over"),
            frame(7, t=41.0, round_=3), frame(8, t=51.0, round_=3, points=60, state="over"),
        ])
        self.assertEqual(stats.ended, [(8.0, 3), (28.0, 0), (10.0, 6)])
        self.assertEqual(stats.rounds_summary(),
                         "3 ended, lasting median 10.0 (8.0 to 28.0) s, with median 3 (0 to 6) kills")

    def test_start_up_frames_are_left_out_of_the_frame_times(self):
        stats = self.feed([frame(1, t=0.4, dt=3.0), frame(2, t=5.3, dt=2.0),
                           frame(3, t=5.5, dt=0.5), frame(4, t=5.52, dt=0.02)])
        self.assertEqual(stats.dts, [0.5, 0.02])
        self.assertEqual(stats.longest_after_startup, (0.5, 3))

    def test_a_class_over_its_bound_is_noted_once_per_new_high(self):
        stats = self.feed([
            frame(1, objects={"Zombie": 4, "Glowworm": 50}),
            frame(2, objects={"Zombie": 5, "Glowworm": 51}),
            frame(3, objects={"Zombie": 5}),
            frame(4, objects={"Zombie": 6}),
        ])
        self.assertEqual(stats.bad_objects, [("Zombie", 5, 2), ("Glowworm", 51, 2),
                                             ("Zombie", 6, 4)])
        self.assertEqual(stats.object_max["Zombie"], 6)


class TraceTest(unittest.TestCase):
    def test_a_line_is_read_once_it_is_whole(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "trace.jsonl")
            trace = autoplayer.Trace(path)
            self.assertEqual(trace.read_new(), [])  # not there yet
            with open(path, "w") as f:
                f.write('{"frame":1}\n{"fra')
            self.assertEqual(trace.read_new(), [{"frame": 1}])
            with open(path, "a") as f:
                f.write('me":2}\nnot json\n')
            self.assertEqual(trace.read_new(), [{"frame": 2}])
            self.assertEqual(trace.bad_lines, 1)
            trace.file.close()


if __name__ == "__main__":
    unittest.main()
