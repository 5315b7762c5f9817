#!/usr/bin/env python3
"""window_test.py -- the show's window in a real X server, looked at from outside.

Each scenario starts its own Xvfb on a free display (stopped by its PID whatever happens),
runs the real show and checks it with xdotool, xwininfo and x_probe (cursor image, window
pixels, close requests). Usage:
  window_test.py SCENARIO SHOW SHOW_CAPTURE X_PROBE
Scenarios: window, stops, full, nodisplay, xdeath.
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

SHOW = CAPTURE = PROBE = None
SLOW = 3.0 if "sanitize" in os.environ.get("SHOW_BUILD_FLAGS", "") else 1.0  # Start-up under sanitizers
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


class Xvfb:
    """An X server of our own on the first free display number. It must not reset when its
    last client leaves: a show started during the reset would be refused."""

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as numbers:
            number = numbers.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number)
        self.env.pop("WAYLAND_DISPLAY", None)
        return self

    def run(self, *args, **kw):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=30, **kw)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def __exit__(self, *exc):
        self.stop()


class Show:
    def __init__(self, x, env=None):
        self.x = x
        self.started = time.monotonic()
        self.proc = subprocess.Popen([SHOW], env=env or x.env, stderr=subprocess.PIPE, text=True)
        self.window = None

    def wait_window(self):
        """The show's window id once it has stayed the same for half a second."""
        last, stable_since, deadline = None, None, time.monotonic() + 10 * SLOW
        while time.monotonic() < deadline and self.proc.poll() is None:
            out = self.x.run("xdotool", "search", "--pid", str(self.proc.pid)).stdout.split()
            current = out[-1] if out else None
            if current != last:
                last, stable_since = current, time.monotonic()
            elif current and time.monotonic() - stable_since > 0.5:
                self.window = current
                return current
            time.sleep(0.1)
        return None

    def wait_exit(self, seconds):
        try:
            rc = self.proc.wait(seconds)
        except subprocess.TimeoutExpired:
            return None, ""
        return rc, self.proc.stderr.read()

    def cpu_seconds(self):
        with open(f"/proc/{self.proc.pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def cpu_share(show, seconds):
    before, start = show.cpu_seconds(), time.monotonic()
    time.sleep(seconds)
    return (show.cpu_seconds() - before) / (time.monotonic() - start)


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
    width, height = int(match.group(1)), int(match.group(2))
    return width, height, data[match.end():]


def sample_difference(a, b, width, height):
    """Mean absolute difference over a grid of sample pixels, in levels."""
    total, count = 0, 0
    for y in range(2, height, 8):
        for x in range(3, width, 8):
            i = (y * width + x) * 3
            total += abs(a[i] - b[i]) + abs(a[i + 1] - b[i + 1]) + abs(a[i + 2] - b[i + 2])
            count += 3
    return total / count


def frames_around(t_ms, work):
    """The frames of t_ms - 400 .. t_ms + 400 every 10 ms, as raw RGB."""
    first = max(0, t_ms - 400)
    folder = os.path.join(work, "frames")
    subprocess.run([CAPTURE, "video", "-o", folder, "--fps", "100", "--from", str(first),
                    "--to", str(t_ms + 400), "--quiet"], check=True, timeout=120)
    names = sorted(os.listdir(folder))
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", os.path.join(folder, "frame-%05d.png"),
                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], capture_output=True, check=True).stdout
    size = 640 * 480 * 3
    return [(first + 10 * n, raw[n * size:(n + 1) * size]) for n in range(len(names))]


def scenario_window():
    with Xvfb() as x, tempfile.TemporaryDirectory() as work:
        x.run("xdotool", "mousemove", "100", "100")
        w, h, opaque = map(int, x.run(PROBE, "cursor").stdout.split())
        check(opaque > 0, f"the probe sees the desktop's cursor before the show ({w}x{h}, {opaque} opaque)")

        show = Show(x)
        window = show.wait_window()
        check(window is not None, "the show's window appears")
        if window is None:
            show.kill()
            return
        info = x.run("xwininfo", "-id", window).stdout
        geometry = {k: int(v) for k, v in re.findall(r"(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info)}
        check(geometry.get("Absolute upper-left X") == 0 and geometry.get("Absolute upper-left Y") == 0,
              f"the window is at the top-left: {geometry}")
        check(geometry.get("Width") == 640 and geometry.get("Height") == 480, "the drawing area is 640 x 480")
        check("(has no name)" in info, "the window has no title")

        x.run("xdotool", "mousemove", "200", "200")
        time.sleep(0.3)
        w, h, opaque = map(int, x.run(PROBE, "cursor").stdout.split())
        check(opaque == 0, f"the cursor is hidden over the window ({w}x{h}, {opaque} opaque pixels)")

        # Mid-show, the window shows a frame of the show: the best match among the frames
        # of the instants around our estimate of the show's clock must be close.
        time.sleep(max(0.0, 8.5 - (time.monotonic() - show.started)))
        estimate = int((time.monotonic() - show.started) * 1000)
        grab = os.path.join(work, "window.ppm")
        check(x.run(PROBE, "grab", window, grab).returncode == 0, "the window's pixels can be read")
        gw, gh, pixels = read_ppm(grab)
        best = min((sample_difference(pixels, frame, gw, gh), t) for t, frame in frames_around(estimate, work))
        check(best[0] < 2.0, f"the window shows the frame of {best[1]} ms (mean difference {best[0]:.2f} levels)")
        print(f"     the show's clock was {estimate - best[1]} ms behind the estimate from outside")

        x.run("xdotool", "keydown", "Escape")
        held = time.monotonic()
        rc, err = show.wait_exit(1.0 * SLOW)
        x.run("xdotool", "keyup", "Escape")
        check(rc == 0, f"held Escape ends the show with exit 0 within a second (exit {rc}, "
                       f"{time.monotonic() - held:.2f} s)")
        show.kill()


def scenario_stops():
    ways = [("a tap of Escape", lambda x, s: x.run("xdotool", "key", "Escape")),
            ("SIGINT", lambda x, s: s.proc.send_signal(signal.SIGINT)),
            ("SIGTERM", lambda x, s: s.proc.send_signal(signal.SIGTERM)),
            ("SIGHUP", lambda x, s: s.proc.send_signal(signal.SIGHUP)),
            ("the window's close request", lambda x, s: x.run(PROBE, "close", s.window))]
    with Xvfb() as x:
        x.run("xdotool", "mousemove", "200", "200")
        for name, stop in ways:
            show = Show(x)
            if show.wait_window() is None:
                rc, err = show.wait_exit(0.1)
                check(False, f"window appears before {name} (exit {rc}, stderr {err!r})")
                show.kill()
                continue
            time.sleep(0.5)
            asked = time.monotonic()
            stop(x, show)
            rc, err = show.wait_exit(1.0 * SLOW)
            check(rc == 0 and err == "", f"{name} ends the show with exit 0 within a second "
                                          f"(exit {rc}, {time.monotonic() - asked:.2f} s, stderr {err!r})")
            show.kill()
            w, h, opaque = map(int, x.run(PROBE, "cursor").stdout.split())
            check(opaque > 0, f"the cursor is back on the desktop after {name}")


def scenario_full():
    with Xvfb() as x:
        show = Show(x)
        window = show.wait_window()
        check(window is not None, "the show's window appears")
        share = cpu_share(show, 4.0)
        print(f"     CPU while showing: {share * 100:.1f} % of one core")
        check(share < 0.6, "the loop does not spin a core while showing")
        # Hidden (unmapped, as minimised) the clock goes on and the loop is still paced.
        x.run("xdotool", "windowunmap", window)
        share = cpu_share(show, 4.0)
        print(f"     CPU while hidden: {share * 100:.1f} % of one core")
        check(share < 0.6, "the loop does not spin a core while the window is hidden")
        x.run("xdotool", "windowmap", window)
        rc, err = show.wait_exit(60)
        took = time.monotonic() - show.started
        check(rc == 0 and err == "", f"left alone, the show ends by itself with exit 0 (exit {rc}, {err!r})")
        check(38.0 <= took <= 38.0 + 4 * SLOW, f"it ends after 38 s ({took:.2f} s after launch)")
        show.kill()


def scenario_nodisplay():
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    for name, extra in (("no display named", {}), ("a display that is not there", {"DISPLAY": ":999"})):
        start = time.monotonic()
        out = subprocess.run([SHOW], env=dict(env, **extra), capture_output=True, text=True, timeout=30)
        took = time.monotonic() - start
        check(out.returncode == 1, f"with {name} the show exits 1 (exit {out.returncode})")
        check(len(out.stderr.splitlines()) == 1, f"with {name} it says why in one line: {out.stderr!r}")
        check(took < 1.0 * SLOW, f"with {name} it ends within a second ({took:.2f} s)")


def scenario_xdeath():
    with Xvfb() as x:
        show = Show(x)
        check(show.wait_window() is not None, "the show's window appears")
        time.sleep(1)
        x.stop()
        killed = time.monotonic()
        rc, err = show.wait_exit(1.0 * SLOW)
        check(rc == 1, f"when the X server dies the show exits 1 (exit {rc}, "
                       f"{time.monotonic() - killed:.2f} s after)")
        check(len(err.splitlines()) == 1, f"and says so in one line: {err!r}")
        show.kill()


def main():
    global SHOW, CAPTURE, PROBE
    scenario, SHOW, CAPTURE, PROBE = sys.argv[1], *map(os.path.abspath, sys.argv[2:5])
    globals()["scenario_" + scenario]()
    print(f"{len(failures)} failed" if failures else "PASS")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
