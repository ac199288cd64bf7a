"""Drives the real Marquetrix binary on its own X server (bare, or with
openbox framing the windows), as a person would: keys and clicks through
xdotool, the clipboard through xclip, screenshots through ImageMagick's
import.

Nothing here sleeps for a fixed time: every step waits for the condition it
needs (a window, a dialog, the clipboard, a title, a file) and gives up after
a timeout."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))


def run(*args, env=None, check=True, timeout=20):
    return subprocess.run(args, env=env, check=check, timeout=timeout,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE).stdout.decode()


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def wait_for(probe, done=bool, timeout=10, interval=0.05):
    """Calls probe() until done(value) holds or the time is up; returns the last value."""
    deadline = time.time() + timeout
    while True:
        value = probe()
        if done(value) or time.time() > deadline:
            return value
        time.sleep(interval)


def expect(probe, expected, what, timeout=10):
    """Waits until probe() gives expected, and fails with what it gave instead."""
    value = wait_for(probe, lambda v: v == expected, timeout)
    check(value == expected, f"{what}: {value!r}, expected {expected!r}")


def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def file_version(path):
    """Changes whenever the file is written anew (a save replaces it)."""
    try:
        st = os.stat(path)
        return st.st_ino, st.st_mtime_ns, st.st_size
    except FileNotFoundError:
        return None


def rewritten(path, before, timeout=10):
    """The file's bytes once it was written after before = file_version(path)."""
    wait_for(lambda: file_version(path) != before, timeout=timeout)
    return read_bytes(path)


class Display:
    """A private Xvfb, gone when the run ends."""

    TOOLS = ("Xvfb", "xdotool", "xclip", "xprop", "xwininfo")
    window_manager = False

    def __init__(self, width=1280, height=1024):
        read, write = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        with os.fdopen(read, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        self.name = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.wm = None
        # Answering a client is the proof that the server is there for ours.
        answers = lambda: subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL).returncode == 0
        if not wait_for(lambda: answers() or self.proc.poll() is not None) or self.proc.poll() is not None:
            raise RuntimeError(f"Xvfb on {self.name} does not answer")
        if self.window_manager:
            self.start_window_manager()

    def start_window_manager(self):
        # Its own empty configuration folder: openbox's defaults, whatever the user has.
        env = dict(self.env, XDG_CONFIG_HOME=tempfile.mkdtemp(prefix="mx-wm-"))
        self.wm = subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        # Managing windows from now on: the check window it names on the root.
        managing = lambda: "window id #" in run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", env=self.env,
                                                check=False)
        if not wait_for(lambda: managing() or self.wm.poll() is not None) or self.wm.poll() is not None:
            raise RuntimeError("openbox did not start: " + self.wm.stderr.read().decode(errors="replace"))

    def close(self):
        if self.wm:
            self.wm.terminate()
            self.wm.wait(timeout=10)
        self.proc.terminate()
        self.proc.wait(timeout=10)


class FramedDisplay(Display):
    """Xvfb with openbox, which frames and places windows as a desktop does."""

    TOOLS = Display.TOOLS + ("openbox", "wmctrl")
    window_manager = True


class App:
    """One run of the editor on an X display."""

    def __init__(self, display, binary, extra_env=None, home=None):
        self.display = display
        self.home = home or tempfile.mkdtemp(prefix="mx-home-")
        self.env = dict(display.env, HOME=self.home, XDG_RUNTIME_DIR=tempfile.mkdtemp(prefix="mx-run-"),
                        **(extra_env or {}))
        os.chmod(self.env["XDG_RUNTIME_DIR"], 0o700)
        self.proc = subprocess.Popen([binary], env=self.env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.window = self.wait_window()

    def x(self, *args, check=True):
        return run("xdotool", *args, env=self.env, check=check)

    def wait_window(self, name="^Marquetrix", timeout=15):
        def found():
            if self.proc.poll() is not None:
                raise RuntimeError("the editor ended at start: " + self.proc.stdout.read().decode())
            return self.windows(name)
        ids = wait_for(found, timeout=timeout)
        check(ids, "no window named " + name)
        return ids[0]

    def windows(self, name):
        out = run("xdotool", "search", "--onlyvisible", "--name", name, env=self.env, check=False)
        return [line for line in out.split() if line]

    def dialogs(self):
        return [w for w in self.windows(".") if w != self.window and self.visible_size(w) > 4]

    def wait_dialog(self, timeout=10):
        """The id of a visible window of ours other than the main one, with the
        keyboard focus: with no window manager nobody else gives it."""
        others = wait_for(self.dialogs, timeout=timeout)
        check(others, "no dialog appeared")
        self.x("windowfocus", "--sync", others[-1])
        return others[-1]

    def visible_size(self, window):
        out = self.x("getwindowgeometry", "--shell", window, check=False)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values.get("WIDTH", 0)) * int(values.get("HEIGHT", 0))

    def dialog_gone(self, timeout=5):
        return not wait_for(self.dialogs, lambda others: not others, timeout=timeout)

    def focus(self):
        self.x("windowfocus", "--sync", self.window)

    def key(self, *keys):
        # The X server queues input and the program takes it in order, so a
        # whole sequence goes at once; a step that must be seen waits for it.
        if keys:
            self.x("key", "--clearmodifiers", *keys)

    def type(self, text):
        if text.isascii():
            self.x("type", text)
            return
        # xdotool loses non-ASCII characters now and then: one at a time.
        for ch in text:
            self.x("type", "--delay", "0", ch)

    def menu(self, top_index, *path):
        """Opens a menu bar menu by keyboard and walks down it: path is a list
        of (downs, 'right'|'enter') steps."""
        self.focus()
        keys = ["alt"] + ["Right"] * top_index + ["Down"]
        for downs, then in path:
            keys += ["Down"] * downs + ["Right" if then == "right" else "Return"]
        self.key(*keys)

    def paste(self, text):
        """Puts text on the clipboard with xclip and pastes it where the focus is:
        the sure way to enter characters that the keyboard map does not hold."""
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=text.encode(), env=self.env,
                       timeout=10, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # xclip takes the clipboard in the background, after it returns.
        expect(self.clipboard, text.encode(), "xclip holds the clipboard")
        self.key("ctrl+v")

    def clipboard(self):
        return subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.env, timeout=10,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE).stdout

    def title(self):
        return self.x("getwindowname", self.window).rstrip("\n")

    def geometry(self):
        out = self.x("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def frame_extents(self):
        """left, right, top, bottom of the window manager's frame, or None when unframed."""
        out = run("xprop", "-id", self.window, "_NET_FRAME_EXTENTS", env=self.env, check=False)
        if "=" not in out:
            return None
        return tuple(int(v) for v in out.split("=", 1)[1].split(","))

    def frame(self):
        """x, y, width, height of the outer frame: the window grown by the frame extents."""
        info = run("xwininfo", "-id", self.window, env=self.env)
        values = {k.strip(): v.strip() for k, v in (line.split(":", 1) for line in info.splitlines() if ":" in line)}
        x, y = int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"])
        w, h = int(values["Width"]), int(values["Height"])
        left, right, top, bottom = self.frame_extents() or (0, 0, 0, 0)
        return x - left, y - top, w + left + right, h + top + bottom

    def close_box(self):
        """Closes as the title bar's close box does: through the window manager
        when there is one, else with the message it would send."""
        if self.display.window_manager:
            run("wmctrl", "-i", "-c", self.window, env=self.env)
        else:
            run(sys.executable, os.path.join(HERE, "wm_close.py"), self.window, env=self.env)

    def screenshot(self, path):
        run("import", "-window", "root", path, env=self.env)

    def ended(self, timeout=5):
        try:
            self.proc.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def centred_on(width, height):
    """A test: the window's outer frame is centred on a screen of this size,
    within a pixel; under a window manager the frame is its, caption included."""
    def test(binary, display, artifacts):
        app = App(display, binary)
        try:
            def centred(frame):
                x, y, w, h = frame
                return abs(x - (width - w) / 2) <= 1 and abs(y - (height - h) / 2) <= 1
            if display.window_manager:
                check(wait_for(app.frame_extents), "the window manager framed the window")
            x, y, w, h = wait_for(app.frame, centred)
            check(centred((x, y, w, h)), f"{width}x{height}: window at {x},{y} size {w}x{h}")
            if display.window_manager:
                app.screenshot(f"{artifacts}/framed-{width}x{height}.png")
        finally:
            app.kill()
    test.__name__ = f"test_centred_on_{width}x{height}"
    test.screen = (width, height)
    return test


def main(tests, session=Display):
    """Runs each test(binary, session, artifacts) in a fresh session (a bare
    Xvfb unless told otherwise, of the test's screen size if it has one) and
    prints the tally."""
    import argparse
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--artifacts", default=tempfile.mkdtemp(prefix="mx-desktop-"))
    args = parser.parse_args()
    os.makedirs(args.artifacts, exist_ok=True)
    for tool in session.TOOLS:
        if not shutil.which(tool):
            print(f"missing {tool}: install the desktop test packages (scripts/test does)")
            sys.exit(1)
    passed = failed = 0
    for test in tests:
        started = time.time()
        where = session(*getattr(test, "screen", ()))
        try:
            test(args.binary, where, args.artifacts)
            print(f"PASS   {test.__name__} ({time.time() - started:.1f} s)")
            passed += 1
        except Exception:  # report every failure, then go on with the next test
            print(f"FAIL!  {test.__name__}")
            traceback.print_exc(file=sys.stdout)
            failed += 1
        finally:
            where.close()
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


class Bus:
    """A private D-Bus session with the accessibility bus started on it, so
    that the editor and the test meet on the bus and nowhere else."""

    def __init__(self, env):
        self.proc = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                     env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.address = self.proc.stdout.readline().decode().strip()
        env["DBUS_SESSION_BUS_ADDRESS"] = self.address
        # Qt joins an accessibility bus only if one is there: wake it up.
        run("dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
            "org.a11y.Bus.GetAddress", env=env)

    def close(self):
        self.proc.terminate()
        self.proc.wait(timeout=10)


def accessible_tree(app_name, timeout=15):
    """The editor's accessible application, once it has appeared on the bus.
    The caller's environment must name the bus before gi is first imported."""
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi

    def application():
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            child = desktop.get_child_at_index(i)
            if child is not None and child.get_name() == app_name:
                return child
        return None
    found = wait_for(application, timeout=timeout, interval=0.2)
    check(found is not None, f"{app_name} never appeared on the accessibility bus")
    return found
