#!/usr/bin/env python3
"""capture_fuzz_test.py -- random argument lists for show-capture, for a bounded time.

A seeded generator strings together subcommands, options and values, sensible and not.
Whatever it produces, the tool must end by itself with 0, 1 or 2 (never a signal or a
hang); a refusal (2) prints nothing on stdout and exactly one line on stderr; and a run
that did not succeed leaves no temporary file behind.
Usage: capture_fuzz_test.py PATH/TO/show-capture [SECONDS] [SEED]
"""
import os
import random
import subprocess
import sys
import tempfile
import time

WORDS = ["state", "frame", "video", "bogus", "-o", "--output", "--fps", "--from", "--to",
         "--scale", "--quiet", "--help", "-h", "--", "-", "-x", "--fps=", "--to=37990"]
VALUES = ["0", "1", "-1", "37990", "38000", "4294967295", "4294967296", "1e3", "0x10", "abc",
          "", " ", "2.5", "-0.5", "nan", "inf", "0.01", "26", "1001", "60", "99999999999999999999",
          "out.png", "out.y4m", "out.avi", "frames", "frames/", "nodir/out.png", ".", "/",
          "out.mp4", "\u00e9t\u00e9.png", "a" * 300]


def random_arguments(rng):
    args = []
    if rng.random() < 0.9:
        args.append(rng.choice(["state", "frame", "video"]))
    for _ in range(rng.randint(0, 6)):
        args.append(rng.choice(WORDS) if rng.random() < 0.5 else rng.choice(VALUES))
    if args and args[0] == "video" and "--to" not in args:
        # Keeps a valid export short: a whole-show export is a different test's business.
        args += ["--from", "37900", "--to", str(rng.choice([37900, 37950, 38000]))]
    return args


def main():
    tool = os.path.abspath(sys.argv[1])
    budget = float(sys.argv[2]) if len(sys.argv) > 2 else 20.0
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 20261210
    rng = random.Random(seed)
    failures = []
    runs = 0
    deadline = time.monotonic() + budget
    while time.monotonic() < deadline:
        args = random_arguments(rng)
        with tempfile.TemporaryDirectory() as work:
            try:
                out = subprocess.run([tool, *args], cwd=work, capture_output=True, timeout=60,
                                     stdin=subprocess.DEVNULL)
            except subprocess.TimeoutExpired:
                failures.append((args, "did not end within 60 s"))
                continue
            runs += 1
            rc = out.returncode
            leftovers = [name for root, dirs, files in os.walk(work)
                         for name in dirs + files if "partial" in name or name.startswith(".")]
            if rc not in (0, 1, 2):
                failures.append((args, f"exit {rc}: {out.stderr.decode(errors='replace')[-300:]}"))
            elif rc == 2 and (out.stdout or len(out.stderr.splitlines()) != 1):
                failures.append((args, f"refusal printed {out.stderr!r} / {len(out.stdout)} bytes on stdout"))
            elif rc != 0 and leftovers:
                failures.append((args, f"left {leftovers}"))
    print(f"{runs} argument lists tried (seed {seed})")
    for args, why in failures[:20]:
        print(f"FAIL {args!r}: {why}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
