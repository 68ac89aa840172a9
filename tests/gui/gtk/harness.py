"""Drives the real GTK notepad under its own Xvfb: starts the X server (and
openbox where a window manager matters), the program, and cleans up every
process it started, by PID, also when a check fails or the test is killed."""

import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

POLL = 0.02


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def _terminate(process, grace=2.0):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(grace)


class Session:
    """One X server with one notepad. Use as a context manager."""

    def __init__(self, binary, wm=False, screen=(1024, 768), env=None, run_as_nobody=False):
        self.binary = os.path.abspath(binary)
        self.wm = wm
        self.screen = screen
        self.extra_env = env or {}
        self.run_as_nobody = run_as_nobody
        self.xvfb = None
        self.openbox = None
        self.app = None
        self.children = []
        self.tmp = tempfile.mkdtemp(prefix="landuo-gui-")
        os.chmod(self.tmp, 0o755)
        self.display = None

    # ---- Set-up and clean-up ---------------------------------------------------

    def __enter__(self):
        try:
            self._start_x()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    @staticmethod
    def _display_taken(number):
        if os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists("/tmp/.X11-unix/X%d" % number):
            return True
        try:
            with open("/proc/net/unix") as f:
                return ("/tmp/.X11-unix/X%d\n" % number) in f.read()
        except OSError:
            return False

    def _start_x(self):
        # A display number of our own, well away from the usual ones, so tests
        # running side by side (and other X servers on the machine) never meet.
        rng = random.Random(os.getpid() ^ int(time.time() * 1000))
        for attempt in range(20):
            number = rng.randrange(300, 900)
            if self._display_taken(number):
                continue
            self.xvfb = subprocess.Popen(
                ["Xvfb", ":%d" % number, "-screen", "0", "%dx%dx24" % self.screen, "-nolisten", "tcp", "-noreset"],
                stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.tmp, "xvfb.log"), "w"))
            deadline = time.time() + 10
            while time.time() < deadline and self.xvfb.poll() is None:
                if os.path.exists("/tmp/.X11-unix/X%d" % number):
                    break
                time.sleep(POLL)
            if self.xvfb.poll() is None and os.path.exists("/tmp/.X11-unix/X%d" % number):
                self.display = ":%d" % number
                break
            _terminate(self.xvfb)
        check(self.display is not None, "no X server could be started")
        self.env = dict(os.environ)
        for key in ("WAYLAND_DISPLAY", "GTK_THEME", "GDK_BACKEND", "LC_ALL", "LANGUAGE"):
            self.env.pop(key, None)
        home = os.path.join(self.tmp, "home")
        os.makedirs(home)
        os.chmod(home, 0o777)
        self.env.update({
            "DISPLAY": self.display,
            "NO_AT_BRIDGE": "1",
            "HOME": home,
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_CACHE_HOME": os.path.join(home, "cache"),
            "XDG_RUNTIME_DIR": home,
            "LANG": "zh_CN.UTF-8",
            "GSETTINGS_BACKEND": "memory",
        })
        self.env.update(self.extra_env)
        self.wait_for(lambda: subprocess.run(["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL,
                                             stderr=subprocess.DEVNULL).returncode == 0, 10, "the X server")
        if self.wm:
            self._start_openbox()

    def _start_openbox(self):
        # openbox now and then exits at once with status 1 and no message on a
        # server that has just come up: start it again, a few times at most.
        log_path = os.path.join(self.tmp, "openbox.log")
        for attempt in range(4):
            self.openbox = subprocess.Popen(["openbox", "--sm-disable"], env=self.env, stdout=subprocess.DEVNULL,
                                            stderr=open(log_path, "w"))
            deadline = time.time() + 10
            while time.time() < deadline and self.openbox.poll() is None:
                if "window id" in self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]):
                    return
                time.sleep(POLL)
            _terminate(self.openbox)
            time.sleep(0.2 * (attempt + 1))
        with open(log_path) as log:
            raise Failure("openbox did not start (exit %s): %s" % (self.openbox.poll(), log.read()))

    def close(self):
        for child in self.children:
            _terminate(child)
        _terminate(self.app)
        _terminate(self.openbox)
        _terminate(self.xvfb)
        shutil.rmtree(self.tmp, ignore_errors=True)

    # ---- The program -----------------------------------------------------------------

    def launch(self, cwd=None, env=None):
        """Starts the program; `env` adds to its environment only, not the tools'."""
        command = [self.binary]
        app_env = dict(self.env)
        app_env.update(env or {})
        if self.run_as_nobody:
            command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + command
        self.out = open(os.path.join(self.tmp, "app.log"), "w")
        self.app = subprocess.Popen(command, env=app_env, cwd=cwd or self.tmp, stdout=self.out,
                                    stderr=subprocess.STDOUT)
        return self.main_window()

    def log(self):
        try:
            with open(os.path.join(self.tmp, "app.log")) as f:
                return f.read()
        except OSError:
            return ""

    def wait_exit(self, timeout=5):
        try:
            return self.app.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %g s" % timeout)

    def running(self):
        return self.app is not None and self.app.poll() is None

    # ---- X -----------------------------------------------------------------------------

    def run(self, command, check_rc=False):
        result = subprocess.run(command, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if check_rc and result.returncode != 0:
            raise Failure("%s failed: %s" % (command[0], result.stderr.strip()))
        return result.stdout

    def wait_for(self, condition, timeout, what):
        deadline = time.time() + timeout
        while time.time() < deadline:
            value = condition()
            if value:
                return value
            time.sleep(POLL)
        raise Failure("timed out after %g s waiting for %s" % (timeout, what))

    def visible_windows(self):
        if self.app is None:
            return []
        out = self.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.app.pid)])
        return [int(w) for w in out.split()]

    def windows_named(self, pattern):
        out = self.run(["xdotool", "search", "--onlyvisible", "--name", pattern])
        return [int(w) for w in out.split()]

    def geometry(self, window):
        out = self.run(["xwininfo", "-id", str(window)])
        values = {}
        for key, label in (("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"), ("width", "Width"),
                           ("height", "Height")):
            match = re.search(r"^\s*%s:\s*(-?\d+)" % label, out, re.M)
            check(match, "xwininfo gave no %s for window %s" % (label, window))
            values[key] = int(match.group(1))
        return values

    def _window_of_size(self, width, height):
        for window in self.visible_windows():
            g = self.geometry(window)
            if g["width"] == width and g["height"] == height:
                return window
        return None

    def main_window(self, timeout=20):
        try:
            return self.wait_for(lambda: self._window_of_size(434, 419) or self.app.poll() is not None and -1,
                                 timeout, "the main window")
        finally:
            pass

    def prompt_window(self, timeout=5):
        return self.wait_for(lambda: self._window_of_size(196, 150), timeout, "the save prompt")

    def client_top(self, window):
        """Where a framed window's black client area starts below its title bar."""
        g = self.geometry(window)
        column = self.pixels([(g["x"] + 4, g["y"] + row) for row in range(min(60, g["height"]))])
        for row, colour in enumerate(column):
            if colour == (0, 0, 0):
                return row
        raise Failure("no client area in window %s" % window)

    def dialog(self, title, timeout=8):
        return self.wait_for(lambda: (self.windows_named("^" + re.escape(title) + "$") or [None])[-1], timeout,
                             "the window titled %s" % title)

    def gone(self, window, timeout=5):
        self.wait_for(lambda: window not in self.visible_windows(), timeout, "window %s to go" % window)

    def pixels(self, points):
        """Colours (r, g, b) of the given root-window points, from one grab."""
        pixel_format = " ".join("%%[pixel:p{%d,%d}]" % p for p in points)
        out = self.run(["/usr/bin/convert", "x:root", "-depth", "8", "-format", pixel_format + "\\n", "info:"], True)
        colours = []
        for item in out.split():
            match = re.match(r"s?rgba?\((\d+),(\d+),(\d+)", item)
            if match:
                colours.append(tuple(int(v) for v in match.groups()))
            elif item in ("black", "white"):
                colours.append((0, 0, 0) if item == "black" else (255, 255, 255))
            else:
                named = self.run(["/usr/bin/convert", "xc:" + item, "-depth", "8", "-format",
                                  "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]", "info:"], True)
                colours.append(tuple(int(v) for v in named.split(",")))
        check(len(colours) == len(points), "could not read pixels: %r" % out)
        return colours

    def pixel(self, x, y):
        return self.pixels([(x, y)])[0]

    def grab(self, x, y, width, height):
        """The raw RGB bytes of a root-window rectangle."""
        path = os.path.join(self.tmp, "grab.rgb")
        self.run(["/usr/bin/convert", "x:root", "-crop", "%dx%d+%d+%d" % (width, height, x, y), "-depth", "8",
                  "rgb:" + path], True)
        with open(path, "rb") as f:
            return f.read()

    def click(self, window, x, y):
        self.run(["xdotool", "mousemove", "--window", str(window), str(x), str(y), "click", "1"], True)

    def drag(self, window, x, y, dx, dy):
        """Press at (x, y) of the window, move by (dx, dy) in steps, release; in
        screen coordinates, since the window may move under the pointer."""
        g = self.geometry(window)
        ax, ay = g["x"] + x, g["y"] + y
        self.run(["xdotool", "mousemove", str(ax), str(ay), "mousedown", "1"], True)
        steps = 5
        for step in range(1, steps + 1):
            time.sleep(0.03)
            self.run(["xdotool", "mousemove", str(ax + dx * step // steps), str(ay + dy * step // steps)], True)
        time.sleep(0.1)
        self.run(["xdotool", "mouseup", "1"], True)

    def focus(self, window):
        self.run(["xdotool", "windowfocus", "--sync", str(window)], True)

    def key(self, window, *keys):
        self.focus(window)
        self.run(["xdotool", "key", "--clearmodifiers"] + list(keys), True)

    def type(self, window, text):
        self.focus(window)
        self.run(["xdotool", "type", "--delay", "10", text], True)


def run_tests(tests):
    """Runs each (name, function) and reports; exits 1 if any failed."""
    failed = []
    for name, function in tests:
        started = time.time()
        try:
            function()
            print("PASS %s (%.1f s)" % (name, time.time() - started), flush=True)
        except Exception:
            failed.append(name)
            print("FAIL %s" % name, flush=True)
            traceback.print_exc()
    if failed:
        print("failed: " + ", ".join(failed))
        sys.exit(1)


def install_signal_cleanup():
    # ctest's timeout sends SIGTERM: turn it into an exception so every
    # Session's clean-up runs.
    def stop(signum, frame):
        raise SystemExit("stopped by signal %d" % signum)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
