#!/usr/bin/env python3
"""capture_frame_test.py -- show-capture frame: the PNG it writes, its argument and write errors.

Runs the real tool and reads its PNG files back with a small decoder of its own.
Usage: capture_frame_test.py PATH/TO/show-capture
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

TOOL = None


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True, timeout=60)


def read_png(path):
    """(width, height, rows of (r, g, b)) of an 8-bit RGB or RGBA PNG, non-interlaced."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, (depth, colour, interlace)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    bpp = 3 if colour == 2 else 4
    raw, stride, rows, prev = zlib.decompress(idat), width * bpp, [], bytearray(width * bpp)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        prev = line
    return width, height, rows


class FrameFile(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def test_sizes_follow_the_scale(self):
        for args, size in [([], (640, 480)), (["--scale", "0.5"], (320, 240)),
                           (["--scale", "1.5"], (960, 720)), (["--scale", "2"], (1280, 960))]:
            with self.subTest(args=args):
                out = run("frame", "3000", "-o", self.path("f.png"), *args)
                self.assertEqual(0, out.returncode, out.stderr)
                self.assertEqual("", out.stderr)
                self.assertEqual(size, read_png(self.path("f.png"))[:2])
        self.assertEqual(["f.png"], os.listdir(self.dir.name))

    def test_colours_come_through_in_order(self):
        # At 0 ms only the opaque dark green background; at 8 s the star stack is blue at
        # its centre; from 38 s everything is black.
        run("frame", "0", "-o", self.path("start.png"))
        _, _, rows = read_png(self.path("start.png"))
        self.assertEqual({(0, 64, 0)}, {p for row in rows for p in row} - {(0, 63, 0), (0, 65, 0)})
        run("frame", "8000", "-o", self.path("stars.png"))
        r, g, b = read_png(self.path("stars.png"))[2][200][400]
        self.assertGreater(b, 2 * max(r, g), (r, g, b))
        run("frame", "38000", "--output", self.path("end.png"), "--scale", "0.25")
        _, _, rows = read_png(self.path("end.png"))
        self.assertEqual({(0, 0, 0)}, {p for row in rows for p in row})


class Errors(unittest.TestCase):
    BAD = [
        ["frame"],
        ["frame", "3000"],
        ["frame", "-o", "x.png"],
        ["frame", "-1", "-o", "x.png"],
        ["frame", "abc", "-o", "x.png"],
        ["frame", "4294967296", "-o", "x.png"],
        ["frame", "3000", "-o", ""],
        ["frame", "3000", "-o", "x.png", "--scale", "0"],
        ["frame", "3000", "-o", "x.png", "--scale", "-0.5"],
        ["frame", "3000", "-o", "x.png", "--scale", "abc"],
        ["frame", "3000", "-o", "x.png", "--scale", "nan"],
        ["frame", "3000", "-o", "x.png", "--scale", "inf"],
        ["frame", "3000", "-o", "x.png", "--scale", "25.7"],    # 16448 px wide
        ["frame", "3000", "-o", "x.png", "--scale", "0.0001"],  # Less than a pixel
        ["frame", "3000", "-o", "x.png", "--scale"],
    ]

    def test_bad_arguments_exit_2_with_one_line_and_no_file(self):
        with tempfile.TemporaryDirectory() as d:
            for args in self.BAD:
                with self.subTest(args=args):
                    out = subprocess.run([TOOL, *args], capture_output=True, text=True, timeout=20, cwd=d)
                    self.assertEqual(2, out.returncode, out.stderr)
                    self.assertEqual(1, len(out.stderr.splitlines()), out.stderr)
                    self.assertTrue(out.stderr.startswith("show-capture: "), out.stderr)
                    self.assertEqual([], os.listdir(d))

    def test_write_failure_exits_1_and_leaves_nothing(self):
        with tempfile.TemporaryDirectory() as d:
            missing = os.path.join(d, "no-such-folder", "f.png")
            target_is_folder = os.path.join(d, "a-folder")
            os.mkdir(target_is_folder)
            for output in [missing, target_is_folder]:
                with self.subTest(output=output):
                    out = run("frame", "3000", "-o", output)
                    self.assertEqual(1, out.returncode, out.stderr)
                    self.assertEqual(1, len(out.stderr.splitlines()), out.stderr)
                    self.assertTrue(out.stderr.startswith("show-capture: "), out.stderr)
                    self.assertEqual(["a-folder"], os.listdir(d))
                    self.assertEqual([], os.listdir(target_is_folder))

    def test_failed_run_keeps_the_old_file(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "f.png")
            with open(path, "wb") as f:
                f.write(b"old")
            run("frame", "3000", "-o", path, "--scale", "0")
            with open(path, "rb") as f:
                self.assertEqual(b"old", f.read())
            self.assertEqual(0, run("frame", "3000", "-o", path).returncode)
            self.assertEqual((640, 480), read_png(path)[:2])
            self.assertEqual(["f.png"], os.listdir(d))


class Fonts(unittest.TestCase):
    """Runs the tool under a fontconfig set-up of the test's own."""

    def run_with_fonts(self, font_files):
        with tempfile.TemporaryDirectory() as d:
            fonts = os.path.join(d, "fonts")
            os.mkdir(fonts)
            for f in font_files:
                shutil.copy(f, fonts)
            conf = os.path.join(d, "fonts.conf")
            with open(conf, "w") as f:
                f.write(f'<?xml version="1.0"?><fontconfig><dir>{fonts}</dir>'
                        f'<cachedir>{os.path.join(d, "cache")}</cachedir></fontconfig>')
            env = dict(os.environ, FONTCONFIG_FILE=conf)
            out = subprocess.run([TOOL, "frame", "17000", "-o", os.path.join(d, "f.png")],
                                 capture_output=True, text=True, timeout=60, env=env)
            return out, os.path.exists(os.path.join(d, "f.png"))

    def test_no_font_at_all_is_an_error(self):
        out, written = self.run_with_fonts([])
        self.assertEqual(1, out.returncode, out.stderr)
        self.assertEqual(1, len(out.stderr.splitlines()), out.stderr)
        self.assertFalse(written)

    @unittest.skipUnless(shutil.which("fc-list"), "needs fc-list to find a font")
    def test_another_face_is_used_and_named_once(self):
        listing = subprocess.run(["fc-list", "--format", "%{file}\t%{family[0]}\n"],
                                 capture_output=True, text=True).stdout
        others = [line.split("\t") for line in listing.splitlines()
                  if "\t" in line and not any(k in line.lower() for k in ("courier", "nimbus mono"))]
        if not others:
            self.skipTest("no face other than Courier installed")
        path, family = others[0]
        out, written = self.run_with_fonts([path])
        self.assertEqual(0, out.returncode, out.stderr)
        self.assertTrue(written)
        self.assertEqual(1, len(out.stderr.splitlines()), out.stderr)
        self.assertIn(family, out.stderr)


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
