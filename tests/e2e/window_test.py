#!/usr/bin/env python3
"""window_test.py -- the show's window in a real X server, looked at from outside.

Each scenario starts its own Xvfb on a free display (stopped by its PID whatever happens),
runs the real show and checks it with xdotool, xwininfo and x_probe (cursor image, window
pixels, close requests). Usage:
  window_test.py SCENARIO SHOW SHOW_CAPTURE X_PROBE
Scenarios: window, stops, full, nodisplay, xdeath, wm.
"""
import ctypes
import math
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

SHOW = CAPTURE = PROBE = None
SLOW = 3.0 if "sanitize" in os.environ.get("SHOW_BUILD_FLAGS", "") else 1.0  # Start-up under sanitizers
failures = []
shows = []  # Every show started, so that none outlives the test
PR_SET_PDEATHSIG = 1


def die_with_us():
    """In a child before exec: be sent SIGTERM when this driver ends, even by SIGKILL, so
    that no X server or show outlives a test that ctest killed on its timeout."""
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def stop_by_signal(number, frame):
    raise SystemExit(f"stopped by signal {number}")


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


class Xvfb:
    """An X server of our own on the first free display number. It must not reset when its
    last client leaves: a show started during the reset would be refused."""

    def __init__(self, *options, screen="1280x1024x24"):
        self.options = list(options)
        self.screen = screen

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.screen, "-nolisten", "tcp", "-noreset",
             *self.options],
            pass_fds=(write_fd,), stderr=subprocess.DEVNULL, preexec_fn=die_with_us)
        os.close(write_fd)
        # It writes the number once it accepts clients; a server that never does is stopped.
        with os.fdopen(read_fd) as numbers:
            ready = select.select([numbers], [], [], 10 * SLOW)[0]
            number = numbers.readline().strip() if ready else ""
        if not number:
            self.stop()
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
        self.proc = subprocess.Popen([SHOW], env=env or x.env, stderr=subprocess.PIPE, text=True,
                                     preexec_fn=die_with_us)
        self.window = None
        shows.append(self)

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


def crop(pixels, width, left, top, w, h):
    """The w x h rectangle at (left, top) of an RGB image width pixels wide."""
    return b"".join(pixels[((top + y) * width + left) * 3:((top + y) * width + left + w) * 3] for y in range(h))


def sample_difference(a, b, width, height):
    """Mean absolute difference over a grid of sample pixels, in levels."""
    total, count = 0, 0
    for y in range(2, height, 8):
        for x in range(3, width, 8):
            i = (y * width + x) * 3
            total += abs(a[i] - b[i]) + abs(a[i + 1] - b[i + 1]) + abs(a[i + 2] - b[i + 2])
            count += 3
    return total / count


def region_means(pixels, width, height, columns=8, rows=6):
    """The mean colour of each cell of a columns x rows grid, sampled every 4 pixels."""
    means = []
    for row in range(rows):
        for column in range(columns):
            sums, count = [0, 0, 0], 0
            for y in range(row * height // rows, (row + 1) * height // rows, 4):
                for x in range(column * width // columns, (column + 1) * width // columns, 4):
                    i = (y * width + x) * 3
                    sums[0] += pixels[i]
                    sums[1] += pixels[i + 1]
                    sums[2] += pixels[i + 2]
                    count += 1
            means.append([v / count for v in sums])
    return means


def worst_region(a, b, width, height):
    """The largest difference of one cell's mean colour in one channel, in levels: a group
    of shapes missing from, or added to, any part of the picture shows here."""
    return max(abs(p - q) for ca, cb in zip(region_means(a, width, height), region_means(b, width, height))
               for p, q in zip(ca, cb))


def frames_around(t_ms, work, scale=1.0):
    """The frames of t_ms - 400 .. t_ms + 400 every 10 ms at the given size, as raw RGB."""
    first = max(0, t_ms - 400)
    folder = tempfile.mkdtemp(dir=work)
    subprocess.run([CAPTURE, "video", "-o", folder, "--fps", "100", "--from", str(first),
                    "--to", str(t_ms + 400), "--scale", str(scale), "--quiet"], check=True, timeout=300)
    names = sorted(os.listdir(folder))
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", os.path.join(folder, "frame-%05d.png"),
                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], capture_output=True, check=True).stdout
    size = len(raw) // len(names)
    return [(first + 10 * n, raw[n * size:(n + 1) * size]) for n in range(len(names))]


def check_shows_frame(pixels, width, height, estimate, work, scale=1.0, what="the window"):
    """Checks that pixels (the scene's area, width x height) are the show's frame of an
    instant near estimate ms; returns that instant."""
    candidates = frames_around(estimate, work, scale)
    mean, t, frame = min((sample_difference(pixels, f, width, height), t, f) for t, f in candidates)
    region = worst_region(pixels, frame, width, height)
    check(mean < 2.0 and region < 12.0,
          f"{what} shows the frame of {t} ms (mean difference {mean:.2f} levels, worst region {region:.1f})")
    print(f"     the show's clock was {estimate - t} ms behind the estimate from outside")
    return t


def grab(x, window, work):
    path = os.path.join(work, "window.ppm")
    check(x.run(PROBE, "grab", window, path).returncode == 0, "the window's pixels can be read")
    return read_ppm(path)


def cursor(x):
    """(width, height, opaque pixels) of the cursor image shown now."""
    return tuple(map(int, x.run(PROBE, "cursor").stdout.split()))


def scenario_window():
    with Xvfb() as x, tempfile.TemporaryDirectory() as work:
        x.run("xdotool", "mousemove", "100", "100")
        w, h, opaque = cursor(x)
        check(opaque > 0, f"the probe sees the desktop's cursor before the show ({w}x{h}, {opaque} opaque)")

        show = Show(x)
        window = show.wait_window()
        check(window is not None, "the show's window appears")
        if window is None:
            return
        info = x.run("xwininfo", "-id", window).stdout
        geometry = {k: int(v) for k, v in re.findall(r"(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info)}
        check(geometry.get("Absolute upper-left X") == 0 and geometry.get("Absolute upper-left Y") == 0,
              f"the window is at the top-left: {geometry}")
        check(geometry.get("Width") == 640 and geometry.get("Height") == 480, "the drawing area is 640 x 480")
        check("(has no name)" in info, "the window has no title")
        hints = x.run("xprop", "-id", window, "WM_NORMAL_HINTS").stdout
        check("maximum size" not in hints, f"a window manager may resize the window: {hints.split(':', 1)[-1].strip()!r}")

        x.run("xdotool", "mousemove", "200", "200")
        time.sleep(0.3)
        w, h, opaque = cursor(x)
        check(opaque == 0, f"the cursor is hidden over the window ({w}x{h}, {opaque} opaque pixels)")
        x.run("xdotool", "mousemove", "1000", "800")
        time.sleep(0.3)
        w, h, opaque = cursor(x)
        check(opaque > 0, f"beside the window the desktop's cursor shows ({w}x{h}, {opaque} opaque pixels)")
        x.run("xdotool", "mousemove", "200", "200")

        # Mid-show, the window shows a frame of the show: the best match among the frames
        # of the instants around our estimate of the show's clock must be close.
        time.sleep(max(0.0, 8.5 - (time.monotonic() - show.started)))
        estimate = int((time.monotonic() - show.started) * 1000)
        gw, gh, pixels = grab(x, window, work)
        lag = estimate - check_shows_frame(pixels, gw, gh, estimate, work)
        w, h, opaque = cursor(x)
        check(opaque == 0, f"the cursor is still hidden over the window mid-show ({w}x{h}, {opaque} opaque)")

        # Resized, the scene is drawn at the new size: scaled by 1.25 to 800 x 600 and
        # centred, with black bars of 80 pixels at the sides.
        x.run("xdotool", "windowsize", window, "960", "600")
        time.sleep(0.5)
        estimate = int((time.monotonic() - show.started) * 1000) - lag
        gw, gh, pixels = grab(x, window, work)
        check((gw, gh) == (960, 600), f"the window takes the new size ({gw} x {gh})")
        if (gw, gh) == (960, 600):
            bars = crop(pixels, gw, 0, 0, 80, 600) + crop(pixels, gw, 880, 0, 80, 600)
            check(max(bars) == 0, f"the bars beside the scene are black (brightest level {max(bars)})")
            check_shows_frame(crop(pixels, gw, 80, 0, 800, 600), 800, 600, estimate, work, 1.25,
                              "the resized window")

        x.run("xdotool", "keydown", "Escape")
        held = time.monotonic()
        rc, err = show.wait_exit(1.0 * SLOW)
        x.run("xdotool", "keyup", "Escape")
        check(rc == 0 and err == "", f"held Escape ends the show with exit 0 within a second (exit {rc}, "
                                     f"{time.monotonic() - held:.2f} s, stderr {err!r})")


def scenario_stops():
    # The tap's press and release go out back to back, so they land between two frames:
    # only a loop that keeps the key-down event, not just the key's state, sees it.
    ways = [("a tap of Escape", lambda x, s: x.run("xdotool", "key", "--delay", "0", "Escape")),
            ("SIGINT", lambda x, s: s.proc.send_signal(signal.SIGINT)),
            ("SIGTERM", lambda x, s: s.proc.send_signal(signal.SIGTERM)),
            ("SIGHUP", lambda x, s: s.proc.send_signal(signal.SIGHUP)),
            ("the window's close request", lambda x, s: x.run(PROBE, "close", s.window))]
    with Xvfb() as x:
        x.run("xdotool", "mousemove", "200", "200")
        for name, stop in ways:
            show = Show(x)
            if show.wait_window() is None:
                show.kill()
                check(False, f"window appears before {name} (exit {show.proc.returncode}, "
                             f"stderr {show.proc.stderr.read()!r})")
                continue
            time.sleep(0.5)
            asked = time.monotonic()
            stop(x, show)
            rc, err = show.wait_exit(1.0 * SLOW)
            check(rc == 0 and err == "", f"{name} ends the show with exit 0 within a second "
                                          f"(exit {rc}, {time.monotonic() - asked:.2f} s, stderr {err!r})")
            show.kill()
            w, h, opaque = cursor(x)
            check(opaque > 0, f"the cursor is back on the desktop after {name}")


def map_state(x, window):
    match = re.search(r"Map State:\s+(\w+)", x.run("xwininfo", "-id", window).stdout)
    return match.group(1) if match else None


def scenario_full():
    with Xvfb() as x, tempfile.TemporaryDirectory() as work:
        show = Show(x)
        window = show.wait_window()
        check(window is not None, "the show's window appears")
        if window is None:
            return
        share = cpu_share(show, 4.0)
        print(f"     CPU while showing: {share * 100:.1f} % of one core")
        check(share < 0.6, "the loop does not spin a core while showing")

        # Hidden (unmapped, as a window manager does with a minimised window; without one,
        # a request to minimise does nothing) the loop is still paced and the clock goes on.
        x.run("xdotool", "windowunmap", window)
        check(map_state(x, window) == "IsUnMapped", f"the window is hidden ({map_state(x, window)})")
        share = cpu_share(show, 6.0)
        print(f"     CPU while hidden: {share * 100:.1f} % of one core")
        check(share < 0.6, "the loop does not spin a core while the window is hidden")
        x.run("xdotool", "windowmap", window)
        check(map_state(x, window) == "IsViewable", f"the window is shown again ({map_state(x, window)})")
        time.sleep(0.5)
        estimate = int((time.monotonic() - show.started) * 1000)
        gw, gh, pixels = grab(x, window, work)
        check_shows_frame(pixels, gw, gh, estimate, work, what="shown again, the window")

        # Left alone to the end; its CPU time is read until the last moment it can be.
        used = show.cpu_seconds()
        while show.proc.poll() is None and time.monotonic() - show.started < 60 * SLOW:
            used = show.cpu_seconds()
            time.sleep(0.1)
        ended = time.monotonic()
        rc, err = show.wait_exit(1)
        print(f"     CPU over the whole run: {used / (ended - show.started) * 100:.1f} % of one core")
        check(rc == 0 and err == "", f"left alone, the show ends by itself with exit 0 (exit {rc}, {err!r})")
        check(38.0 <= ended - show.started <= 38.0 + 2.5 * SLOW,
              f"it ends 38 s after launch, plus its start-up ({ended - show.started:.2f} s)")


def write_xauthority(path):
    """An authority file with one random cookie for any display, as display managers write."""
    def field(data):
        return struct.pack(">H", len(data)) + data
    with open(path, "wb") as f:
        f.write(struct.pack(">H", 0xFFFF) + field(b"") + field(b"") + field(b"MIT-MAGIC-COOKIE-1")
                + field(os.urandom(16)))


def scenario_nodisplay():
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    with tempfile.TemporaryDirectory() as work:
        # An X server that wants a cookie the show does not have: the X library prints the
        # server's reason over two lines of its own, which must not reach the user as such.
        cookie = os.path.join(work, "Xauthority")
        write_xauthority(cookie)
        with Xvfb("-auth", cookie) as x:
            x.env["XAUTHORITY"] = cookie  # For the tools that look at the window
            refused = x.env["DISPLAY"]
            cases = [("no display named", {}, None),
                     ("an empty SDL_VIDEODRIVER and no display", {"SDL_VIDEODRIVER": ""}, None),
                     ("a display that is not there", {"DISPLAY": ":999"}, ":999"),
                     ("a display that refuses the show", {"DISPLAY": refused,
                                                          "XAUTHORITY": os.path.join(work, "none")}, refused),
                     ("a video driver that does not exist", {"DISPLAY": ":999", "SDL_VIDEODRIVER": "nosuch"},
                      "nosuch")]
            for name, extra, named in cases:
                start = time.monotonic()
                out = subprocess.run([SHOW], env=dict(env, **extra), capture_output=True, text=True, timeout=30)
                took = time.monotonic() - start
                check(out.returncode == 1, f"with {name} the show exits 1 (exit {out.returncode})")
                check(len(out.stderr.splitlines()) == 1 and (named is None or named in out.stderr),
                      f"with {name} it says why in one line{', naming ' + named if named else ''}: {out.stderr!r}")
                check(took < 1.0 * SLOW, f"with {name} it ends within a second ({took:.2f} s)")
            # The same server lets in a show that has the cookie: it was refused for the cookie alone.
            show = Show(x)
            check(show.wait_window() is not None, "with the server's cookie the show's window appears")
            show.proc.send_signal(signal.SIGTERM)
            rc, err = show.wait_exit(1.0 * SLOW)
            check(rc == 0 and err == "", f"and it ends on SIGTERM with exit 0 (exit {rc}, stderr {err!r})")


def scenario_xdeath():
    # The X server stops cleanly, is killed outright, or drops the show's connection (as
    # xkill does): each time the show's requests fail with the connection gone. The killed
    # server leaves its lock file behind; the next case's server takes that number over and
    # removes it when it stops, so the killed one is not last.
    ends = [("the X server is stopped", lambda x, window: x.stop()),
            ("the X server is killed", lambda x, window: (x.proc.kill(), x.proc.wait())),
            ("the X server drops the show's connection", lambda x, window: x.run("xdotool", "windowkill", window)),
            ("another program destroys the window", lambda x, window: x.run("xdotool", "windowclose", window))]
    for name, end in ends:
        with Xvfb() as x:
            show = Show(x)
            window = show.wait_window()
            check(window is not None, "the show's window appears")
            if window is None:
                continue
            time.sleep(1)
            end(x, window)
            gone = time.monotonic()
            rc, err = show.wait_exit(1.0 * SLOW)
            check(rc == 1, f"when {name} the show exits 1 within a second (exit {rc}, "
                           f"{time.monotonic() - gone:.2f} s after)")
            check(len(err.splitlines()) == 1, f"and says so in one line: {err!r}")
            show.kill()


def window_geometry(x, window):
    """(left, top, width, height) of the window on the screen."""
    info = x.run("xwininfo", "-id", window).stdout
    values = dict(re.findall(r"(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info))
    keys = ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")
    return tuple(int(values[k]) for k in keys) if all(k in values for k in keys) else None


def wait_until(condition, seconds=3.0):
    """Polls condition until it holds or the time is up; returns its last value."""
    deadline = time.monotonic() + seconds * SLOW
    while True:
        value = condition()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(0.1)


def check_letterboxed(x, show, window, work, compare_at_scale=None):
    """The window's pixels: the scene at the largest uniform scale that fits, centred,
    black bars beside it. With compare_at_scale, the scene is also compared with the frames
    of show-capture drawn at that scale."""
    estimate = int((time.monotonic() - show.started) * 1000)  # Before the grab, which may be slow
    width, height, pixels = grab(x, window, work)
    scale = min(width / 640, height / 480)
    left, top = (width - 640 * scale) // 2, (height - 480 * scale) // 2
    right, bottom = math.ceil(left + 640 * scale), math.ceil(top + 480 * scale)
    bars = (crop(pixels, width, 0, 0, int(left), height) + crop(pixels, width, right, 0, width - right, height)
            + crop(pixels, width, 0, 0, width, int(top)) + crop(pixels, width, 0, bottom, width, height - bottom))
    check(max(bars, default=0) == 0, f"at {width} x {height} the scene is drawn at {scale:.3f}, centred, "
                                     f"with black bars beside it (brightest bar level {max(bars, default=0)})")
    # Mid-show the dark green background shows at every edge of the scene.
    inner = [pixels[((int(top) + 1) * width + int(left) + 1) * 3 + 1],
             pixels[((bottom - 2) * width + right - 2) * 3 + 1]]
    check(min(inner) > 0, f"the scene reaches the corners of its area (green levels {inner})")
    if compare_at_scale:
        area = crop(pixels, width, int(left), int(top), right - int(left), bottom - int(top))
        check_shows_frame(area, right - int(left), bottom - int(top), estimate, work, compare_at_scale,
                          f"the window at {width} x {height}")


def scenario_wm():
    # A window manager that follows the desktop's conventions (EWMH), as desktops do: the
    # fullscreen and maximised states are its to grant. 1024 x 600 makes fullscreen scale
    # the scene by 1.25 to 800 x 600, with bars of 112 pixels at the sides.
    if shutil.which("openbox") is None:
        check(False, "openbox is installed (scripts/setup.sh installs it)")
        return
    with Xvfb(screen="1024x600x24") as x, tempfile.TemporaryDirectory() as work:
        home = dict(x.env, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"))
        wm = subprocess.Popen(["openbox", "--sm-disable"], env=home, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, preexec_fn=die_with_us)
        try:
            managed = wait_until(lambda: "window id" in x.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout, 10)
            check(managed, "the window manager runs")
            show = Show(x)
            window = show.wait_window()
            check(window is not None, "the show's window appears under the window manager")
            if window is None:
                return
            x.run("xdotool", "mousemove", "300", "300")
            windowed = window_geometry(x, window)
            check(windowed is not None and windowed[2:] == (640, 480), f"the drawing area is 640 x 480 ({windowed})")
            # Compared from 8 s on, when the hexagons and pentagons show where the frame is.
            time.sleep(max(0.0, 8.0 - (time.monotonic() - show.started)))

            for number, key in enumerate(("F11", "alt+Return")):
                x.run("xdotool", "key", key)
                full = wait_until(lambda: "FULLSCREEN" in x.run("xprop", "-id", window, "_NET_WM_STATE").stdout
                                  and window_geometry(x, window) == (0, 0, 1024, 600))
                check(full, f"{key} makes the window fill the screen ({window_geometry(x, window)})")
                time.sleep(0.3)
                w, h, opaque = cursor(x)
                check(opaque == 0, f"the cursor is hidden over the fullscreen window ({w}x{h}, {opaque} opaque)")
                if full:
                    check_letterboxed(x, show, window, work, 1.25 if number == 0 else None)
                x.run("xdotool", "key", key)
                back = wait_until(lambda: "FULLSCREEN" not in x.run("xprop", "-id", window, "_NET_WM_STATE").stdout
                                  and window_geometry(x, window) == windowed)
                check(back, f"{key} again gives the window back its place and size ({window_geometry(x, window)})")

            x.run(PROBE, "maximize", window)
            grown = wait_until(lambda: "MAXIMIZED_VERT" in x.run("xprop", "-id", window, "_NET_WM_STATE").stdout
                               and window_geometry(x, window)[3] > 480)
            check(grown, f"the window can be maximised ({window_geometry(x, window)})")
            if grown:
                time.sleep(0.3)
                check_letterboxed(x, show, window, work)

            x.run("xdotool", "key", "Escape")
            rc, err = show.wait_exit(1.0 * SLOW)
            check(rc == 0 and err == "", f"Escape then ends the show with exit 0 (exit {rc}, stderr {err!r})")
        finally:
            wm.terminate()
            wm.wait(5)


def main():
    global SHOW, CAPTURE, PROBE
    scenario, SHOW, CAPTURE, PROBE = sys.argv[1], *map(os.path.abspath, sys.argv[2:5])
    signal.signal(signal.SIGTERM, stop_by_signal)
    signal.signal(signal.SIGHUP, stop_by_signal)
    try:
        globals()["scenario_" + scenario]()
    finally:
        for show in shows:
            show.kill()
    print(f"{len(failures)} failed" if failures else "PASS")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
