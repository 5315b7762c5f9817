#!/usr/bin/env python3
"""capture_state_test.py -- show-capture state against a separate computation of the scene.

The reference below is written from the scene's rules directly, in Python, rounding to
32-bit floats with struct; the tool's JSON must match it bit for bit at many instants.
Also checks the tool's argument errors. Usage: capture_state_test.py PATH/TO/show-capture
"""
import json
import math
import struct
import subprocess
import sys
import unittest

TOOL = None


def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def i32(u):
    u &= 0xFFFFFFFF
    return u - (1 << 32) if u >= 1 << 31 else u


TWO_PI = 6.283185307179586


class Reference:
    """The scene rebuilt independently: layout, timings and state at t."""

    def __init__(self):
        state = 0

        def nxt():
            nonlocal state
            state = (state * 214013 + 2531011) & 0xFFFFFFFF
            return (state >> 16) & 0x7FFF

        # geometry, fill, outline, x, y, angle, scale
        self.shapes = []
        self.timing = []
        for i in range(20):
            self.shapes.append([6, 10 + i // 2, 32, f32(35 * i), 400.0, 0.0, 1.0])
        for i in range(17):
            self.shapes.append([5, 20 + i // 2, 33, 100.0, f32(35 * i), 0.0, 1.0])
        for i in range(100):
            y = float(nxt() % 500)
            scale = f32((nxt() % 100) * f32(0.002) + 0.5)
            self.shapes.append([4, 8, 31, 0.0, y, 0.0, scale])
        for k in range(6):
            self.shapes.append([7, 29, 33, 400.0, 200.0, 0.0, f32(1.0 - k * f32(0.3))])
        for i in range(37):
            start = 100 * (i if i < 20 else i - 20)
            self.timing.append([start, start + 2000, True])
        self.drift_to, self.drift_from = [], []
        for i in range(100):
            start = -(nxt() % 10000)
            self.timing.append([start, start + 20000, True])
            self.drift_to.append(float(-(nxt() % 1000)))
            self.drift_from.append(float(nxt() % 1000 + 700))
        for k in range(6):
            self.timing.append([0, 10000, True])

    @staticmethod
    def progress(timing, t):
        start, end, repeat = timing
        now = i32(t)
        if now < start:
            return 0.0
        elapsed = (t - start) & 0xFFFFFFFF
        span = (end - start) & 0xFFFFFFFF
        if now < end:
            return f32(elapsed / i32(span))
        if repeat:
            return f32((elapsed % span) / span)
        return 1.0

    @staticmethod
    def ramp(t, a):
        now = i32(t)
        if now < a:
            return 0.0
        if now < a + 2000:
            return f32((now - a) / 2000)
        return 1.0

    def state(self, t):
        shapes = [list(s) for s in self.shapes]
        for i in range(37):
            c = self.progress(self.timing[i], t)
            s = f32((math.sin(c * TWO_PI) + 1) * 0.5)
            shapes[i][5] = f32((1 - c) * 0 + c * 360)
            if i < 20:
                shapes[i][4] = f32(350 * s + 400 * (1 - s))
            else:
                shapes[i][3] = f32(150 * s + 100 * (1 - s))
            shapes[i][6] = f32(f32(1.2) * s + f32(0.8) * (1 - s))
        for i in range(100):
            c = self.progress(self.timing[37 + i], t)
            shapes[37 + i][3] = f32((1 - c) * self.drift_from[i] + c * self.drift_to[i])
        for k in range(6):
            a = f32((1 - self.progress(self.timing[137 + k], t)) * 0 + self.progress(self.timing[137 + k], t) * 360)
            shapes[137 + k][5] = -a if k % 2 == 0 else a

        opacity = [0.0] * 37
        for first, extra, a in ((10, 32, 2000), (20, 33, 6000), (0, 31, 10000)):
            for k in range(10):
                opacity[first + k] = self.ramp(t, a)
            opacity[extra] = self.ramp(t, a)
        opacity[30] = f32(self.ramp(t, 14000) * (1 - self.ramp(t, 18000)))
        opacity[34] = f32(self.ramp(t, 22000) * (1 - self.ramp(t, 26000)))
        opacity[35] = self.ramp(t, 30000)
        opacity[36] = self.ramp(t, 36000)

        transforms = []
        for _, _, _, x, y, angle, scale in shapes:
            theta = angle * math.pi / 180
            c, s = f32(math.cos(theta)), f32(math.sin(theta))
            # Net effect of scale, turn and move: [s cos, s sin, -s sin, s cos, x, y].
            transforms.append([f32(scale * c), f32(scale * s), f32(scale * -s), f32(scale * c), x, y])
        return shapes, opacity, transforms


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True, timeout=20)


def same(a, b):
    """Equal as 32-bit floats once the printed text is read back; zeros of either sign are equal."""
    return f32(float(a)) == f32(float(b))


class StateMatchesReference(unittest.TestCase):
    INSTANTS = [0, 1, 99, 100, 1999, 2000, 2500, 3000, 4000, 6000, 7000, 9999, 10000, 11000,
                12345, 14000, 17000, 17440, 19000, 20000, 24000, 27000, 31000, 36000, 37000,
                37999, 38000, 38005, 60000, 2147483647, 2147483648, 4294964736, 4294967295]
    INSTANTS += list(range(0, 38001, 1237))

    def test_state_at_many_instants(self):
        ref = Reference()
        for t in self.INSTANTS:
            with self.subTest(t=t):
                out = run("state", str(t))
                self.assertEqual(0, out.returncode, out.stderr)
                self.assertEqual("", out.stderr)
                got = json.loads(out.stdout)
                self.assertEqual(["t", "shapes", "opacity", "transform", "timing", "driftFrom", "driftTo"],
                                 list(got))
                self.assertEqual(t, got["t"])
                shapes, opacity, transforms = ref.state(t)
                self.assertEqual(143, len(got["shapes"]))
                for i, (want, have) in enumerate(zip(shapes, got["shapes"])):
                    self.assertEqual(["geometry", "fill", "outline", "x", "y", "angle", "scale"], list(have))
                    self.assertEqual(want[:3], [have["geometry"], have["fill"], have["outline"]], f"shape {i}")
                    for key, w in zip(("x", "y", "angle", "scale"), want[3:]):
                        self.assertTrue(same(w, have[key]), f"shape {i} {key}: {w!r} vs {have[key]!r}")
                self.assertEqual(37, len(got["opacity"]))
                for slot, (w, h) in enumerate(zip(opacity, got["opacity"])):
                    self.assertTrue(same(w, h), f"opacity {slot}: {w!r} vs {h!r}")
                self.assertEqual(143, len(got["transform"]))
                for i, (w, h) in enumerate(zip(transforms, got["transform"])):
                    self.assertEqual(6, len(h))
                    for e, (a, b) in enumerate(zip(w, h)):
                        self.assertTrue(same(a, b), f"transform {i}[{e}]: {a!r} vs {b!r}")
                self.assertEqual(ref.timing, got["timing"])
                self.assertEqual(ref.drift_from, got["driftFrom"])
                self.assertEqual(ref.drift_to, got["driftTo"])

    def test_floats_read_back_exactly(self):
        got = json.loads(run("state", "3000").stdout)
        self.assertEqual(0x3f99999a, struct.unpack("<I", struct.pack("<f", got["shapes"][5]["scale"]))[0])
        self.assertEqual(0xbf000001, struct.unpack("<I", struct.pack("<f", got["shapes"][142]["scale"]))[0])


class ArgumentErrors(unittest.TestCase):
    BAD = [
        [],
        ["state"],
        ["state", "-1"],
        ["state", "abc"],
        ["state", "12.5"],
        ["state", "0x10"],
        ["state", "4294967296"],
        ["state", "99999999999999999999"],
        ["state", "1", "2"],
        ["state", "--bogus", "1"],
        ["bogus"],
        ["bogus", "1"],
    ]

    def test_bad_arguments_exit_2_with_one_line(self):
        for args in self.BAD:
            with self.subTest(args=args):
                out = run(*args)
                self.assertEqual(2, out.returncode)
                self.assertEqual("", out.stdout)
                self.assertEqual(1, len(out.stderr.splitlines()), out.stderr)
                self.assertTrue(out.stderr.startswith("show-capture: "), out.stderr)

    def test_help_names_every_subcommand(self):
        out = run("--help")
        self.assertEqual(0, out.returncode)
        self.assertIn("state", out.stdout)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main()
