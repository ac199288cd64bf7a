# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Drives the real Marquetrix binary on its own display, as a person would.

On X11 (a private Xvfb, bare or with openbox): keys and clicks through
xdotool, the clipboard through xclip, screenshots through ImageMagick's
import. On Wayland (a private headless sway): keys through wtype, the
clipboard through wl-paste, windows through swaymsg, screenshots through grim.

Nothing here sleeps for a fixed time: every step waits for the condition it
needs (a window, a dialog, the clipboard, a title, a file) and gives up after
a timeout."""
import json
import os
import pwd
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
# What ctest counts as a skip (SKIP_RETURN_CODE in tests/CMakeLists.txt).
SKIPPED = 77


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


class Unavailable(Exception):
    """The machine cannot give the test what it needs (not a fault of the program)."""


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


class Helper:
    """A program a test runs beside the editor, which reports what it sees,
    a line at a time, on its standard output."""

    def __init__(self, args, env):
        self.proc = subprocess.Popen(args, env=env, stdout=subprocess.PIPE)

    def said(self, what, timeout=30):
        """Waits for its next line, which must be what."""
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        line = self.proc.stdout.readline().decode().strip() if ready else "nothing"
        check(line == what, f"{os.path.basename(self.proc.args[-1])} said {line!r}, not {what!r}")

    def close(self):
        self.proc.kill()
        self.proc.wait()


def default_signals():
    """The ending signals as a program started from a desktop has them: a test
    run from a background job would otherwise hand on SIGINT ignored."""
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, signal.SIG_DFL)


class Program:
    """What every run of the editor has: its process."""

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


class XClient(Program):
    """A program with a window on an X display, driven through the X server."""

    def x(self, *args, check=True):
        return run("xdotool", *args, env=self.env, check=check)

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

    def click(self, point, count=1):
        # One xdotool run: the move lands before the clicks. Qt counts clicks
        # as one double or triple click when they come within its interval.
        self.x("mousemove", str(point[0]), str(point[1]), "click", "--repeat", str(count), "--delay", "40", "1")

    def drag(self, start, end):
        """Presses at start, moves past the drag distance, and once the drag
        has begun moves on to end and releases there. Qt merges the moves it
        has not yet taken, and a drag that begins with the pointer already at
        its end drops nowhere."""
        (x, y), (x1, y1) = start, end
        before = self.selection_owner("XdndSelection")
        self.x("mousemove", str(x), str(y), "mousedown", "1", "mousemove", str(x + 12), str(y + 12))
        # A drag takes the selection that holds its data.
        check(wait_for(lambda: self.selection_owner("XdndSelection") not in (0, before)), "the drag began")
        self.x("mousemove", str(x1), str(y1), "mouseup", "1")

    def selection_owner(self, name):
        """The id of the window that holds the X selection, 0 if none."""
        from Xlib import display
        d = display.Display(self.env["DISPLAY"])
        try:
            owner = d.get_selection_owner(d.intern_atom(name))
            return getattr(owner, "id", owner)
        finally:
            d.close()

    def screenshot(self, path):
        run("import", "-window", "root", path, env=self.env)


class App(XClient):
    """One run of the editor on an X display."""

    def __init__(self, display, binary, extra_env=None, home=None):
        self.display = display
        self.home = home or tempfile.mkdtemp(prefix="mx-home-")
        self.env = dict(display.env, HOME=self.home, XDG_RUNTIME_DIR=tempfile.mkdtemp(prefix="mx-run-"),
                        **(extra_env or {}))
        os.chmod(self.env["XDG_RUNTIME_DIR"], 0o700)
        self.proc = subprocess.Popen([binary], env=self.env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                     preexec_fn=default_signals)
        self.window = self.wait_window()

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
        def focused():
            # Another program's popup (an input method's candidate list) may
            # show as a window for a moment and be gone before it is focused.
            for window in reversed(self.dialogs()):
                done = subprocess.run(["xdotool", "windowfocus", "--sync", window], env=self.env, timeout=20,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                if done.returncode == 0:
                    return window
            return None
        window = wait_for(focused, timeout=timeout)
        check(window, f"no dialog appeared: {self.dialogs()}")
        return window

    def visible_size(self, window):
        out = self.x("getwindowgeometry", "--shell", window, check=False)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values.get("WIDTH", 0)) * int(values.get("HEIGHT", 0))

    def dialog_gone(self, timeout=5):
        return not wait_for(self.dialogs, lambda others: not others, timeout=timeout)

    def menu(self, top_index, *path):
        """Opens a menu bar menu by keyboard and walks down it: path is a list
        of (downs, 'right'|'enter') steps."""
        self.focus()
        keys = ["alt"] + ["Right"] * top_index + ["Down"]
        for downs, then in path:
            keys += ["Down"] * downs + ["Right" if then == "right" else "Return"]
        self.key(*keys)
        if keys[-1] == "Return":
            # An open menu holds the keyboard: a key sent before the program has
            # closed it goes to the closed menu and is lost.
            check(not wait_for(self.popups, lambda open_: not open_), "the menu closed")

    def popups(self):
        """Our menus on the screen (override-redirect windows)."""
        out = run("xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid), env=self.env, check=False)
        return [w for w in out.split()
                if "Override Redirect State: yes" in run("xwininfo", "-id", w, env=self.env, check=False)]

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

    def open(self, name):
        """Opens a file of the home folder through ファイル > 開く."""
        self.menu(0, (1, "enter"))
        self.wait_dialog()
        self.key("ctrl+a")
        self.type(name)
        self.key("Return")
        check(self.dialog_gone(), "the file dialog closed")
        self.focus()

    def save(self, path):
        """ファイル > 上書き保存 of the file at path, and the bytes it wrote."""
        before = file_version(path)
        self.menu(0, (2, "enter"))
        return rewritten(path, before)

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



class PlainWidget(XClient):
    """A plain QPlainTextEdit of the same Qt beside the editor, on the same
    display, holding the same page (plain_widget.py): what the toolkit's own
    widget does with the same clicks and keys is what the editor must do.
    Asked, it says where its characters are and what it holds."""

    def __init__(self, display, page, geometry=(0, 0, 390, 1000)):
        python = "/usr/bin/python3"
        if subprocess.run([python, "-c", "import PyQt6.QtWidgets"], stderr=subprocess.DEVNULL).returncode:
            raise Unavailable("no PyQt6 for the plain widget to compare with (install python3-pyqt6; "
                              "scripts/test does)")
        self.env = display.env
        self.proc = subprocess.Popen([python, os.path.join(HERE, "plain_widget.py"), page, *map(str, geometry)],
                                     env=self.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.window = str(self.answer()["window"])

    def answer(self, timeout=30):
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        line = self.proc.stdout.readline() if ready else b""
        check(line, "the plain widget answered")
        return json.loads(line)

    def ask(self, *command):
        self.proc.stdin.write((" ".join(map(str, command)) + "\n").encode())
        self.proc.stdin.flush()
        return self.answer()

    def point(self, n, fraction=0.5):
        """The screen point fraction of the way across character n, mid-row."""
        return tuple(self.ask("point", n, fraction))

    def state(self):
        """Its text, selection [start, end] and caret."""
        return self.ask("state")

    def select(self, start, end):
        self.ask("select", start, end)


def pixels(app, area, kind="rgb"):
    """The screen's bytes over an area in screen coordinates, as ImageMagick
    names their kind: rgb, or gray for a byte a pixel."""
    return subprocess.run(["import", "-window", "root", "-crop", f"{area.width}x{area.height}+{area.x}+{area.y}",
                           "-depth", "8", f"{kind}:-"], env=app.env, check=True, timeout=20,
                          stdout=subprocess.PIPE).stdout


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


class Sway:
    """A private headless sway. It refuses to run as root, so as root it and
    every client run as nobody, each in its own runtime folder."""

    TOOLS = ("sway", "swaymsg", "wtype", "wl-paste", "grim", "setpriv")

    def __init__(self, width=1280, height=1024):
        self.prefix = []
        if os.geteuid() == 0:
            try:
                pwd.getpwnam("nobody")
            except KeyError:
                raise Unavailable("running as root and there is no user nobody to run sway as")
            self.prefix = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"]
        self.base = tempfile.mkdtemp(prefix="mx-sway-")
        os.chmod(self.base, 0o755)
        # What sway's clients run or read is copied here: nobody cannot look
        # inside a checkout in a private folder (root's home, a 0700 mktemp),
        # and only needs to read and run these, not change them.
        self.share = os.path.join(self.base, "share")
        os.mkdir(self.share)
        os.chmod(self.share, 0o755)  # mkdir's mode is cut by the umask
        self.runtime = os.path.join(self.base, "run")
        self.home = os.path.join(self.base, "home")
        for folder in (self.runtime, self.home):
            os.mkdir(folder, 0o700)
            if self.prefix:
                os.chown(folder, pwd.getpwnam("nobody").pw_uid, pwd.getpwnam("nobody").pw_gid)
        config = os.path.join(self.base, "config")
        with open(config, "w") as f:
            # No X server at all: nothing can fall back to X11 unseen.
            f.write(f"output HEADLESS-1 resolution {width}x{height}\nxwayland disable\n")
        os.chmod(config, 0o644)
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS")}
        self.env = dict(env, XDG_RUNTIME_DIR=self.runtime, HOME=self.home, WLR_BACKENDS="headless",
                        WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman")
        self.log = open(os.path.join(self.base, "sway.log"), "w+")
        self.proc = subprocess.Popen(self.prefix + ["sway", "-c", config], env=self.env,
                                     stdout=self.log, stderr=subprocess.STDOUT)

        def sockets():
            names = os.listdir(self.runtime)
            wayland = [n for n in names if n.startswith("wayland-") and not n.endswith(".lock")]
            ipc = [n for n in names if n.startswith("sway-ipc.")]
            return (wayland[0], os.path.join(self.runtime, ipc[0])) if wayland and ipc else None
        found = wait_for(lambda: sockets() or self.proc.poll() is not None, timeout=15)
        if found is True or not found:
            self.log.seek(0)
            last = [line for line in self.log.read().splitlines() if line.strip()][-3:]
            self.close()
            raise Unavailable("sway could not start headless here: " + " | ".join(last))
        self.env.update(WAYLAND_DISPLAY=found[0], SWAYSOCK=found[1])

    def readable(self, path):
        """A copy of path that sway's clients can read (and run, if it runs)."""
        copy = os.path.join(self.share, os.path.basename(path))
        if not os.path.exists(copy):
            shutil.copyfile(path, copy)
            os.chmod(copy, 0o755 if os.access(path, os.X_OK) else 0o644)
        return copy

    def command(self, *args, env=None, check=True, timeout=20):
        return run(*self.prefix, *args, env=env or self.env, check=check, timeout=timeout)

    def screenshot(self, path):
        # grim writes to its standard output: the artifacts folder is not the user's.
        png = subprocess.run(self.prefix + ["grim", "-"], env=self.env, check=True, timeout=20,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE).stdout
        with open(path, "wb") as f:
            f.write(png)

    def tree(self):
        return json.loads(self.command("swaymsg", "-r", "-t", "get_tree"))

    def windows(self):
        """Every window sway holds, tiled or floating: (id, title, focused)."""
        out = []

        def walk(node):
            if node.get("type") in ("con", "floating_con") and node.get("pid"):
                out.append((node["id"], node.get("name"), node.get("focused")))
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)
        walk(self.tree())
        return out

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()


class WaylandApp(Program):
    """One run of the editor as a native Wayland client of a Sway session."""

    def __init__(self, sway, binary, extra_env=None):
        self.sway = sway
        self.home = sway.home
        self.env = dict(sway.env, QT_QPA_PLATFORM="wayland", **(extra_env or {}))
        self.stderr_path = os.path.join(sway.base, "stderr")
        with open(self.stderr_path, "wb") as err:
            self.proc = subprocess.Popen(sway.prefix + [sway.readable(binary)], env=self.env, stdout=subprocess.DEVNULL, stderr=err)
        windows = wait_for(lambda: self.proc.poll() is not None or self.sway.windows(), timeout=15)
        check(windows and windows is not True, "the editor showed no window: " + self.stderr())
        self.window = windows[0][0]

    def stderr(self):
        return open(self.stderr_path, "rb").read().decode(errors="replace")

    def key(self, *args):
        # Each wtype hands the compositor a new keyboard map, and the first key
        # after it may be lost: the pause at the start lets the map settle.
        self.sway.command("wtype", "-s", "150", *args)

    def type(self, text):
        self.key(text)

    def shortcut(self, modifier, *keys):
        self.key("-M", modifier, *[a for k in keys for a in ("-k", k)], "-m", modifier)

    def menu(self, top_index, *path):
        """As App.menu: Alt, then arrows and Return."""
        keys = ["Alt_L"] + ["Right"] * top_index + ["Down"]
        for downs, then in path:
            keys += ["Down"] * downs + ["Right" if then == "right" else "Return"]
        self.key(*[a for k in keys for a in ("-k", k)])

    def clipboard(self):
        return subprocess.run(self.sway.prefix + ["wl-paste", "--no-newline"], env=self.env, timeout=10,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE).stdout

    def title(self):
        return next((title for id, title, _ in self.sway.windows() if id == self.window), None)

    def dialogs(self):
        return [w for w in self.sway.windows() if w[0] != self.window]

    def wait_dialog(self, timeout=10):
        """The dialog sway shows beside the window, once it has the keyboard."""
        others = wait_for(lambda: [w for w in self.dialogs() if w[2]], timeout=timeout)
        check(others, f"no dialog appeared: {self.sway.windows()}")
        return others[-1][0]

    def dialog_gone(self, timeout=5):
        return not wait_for(self.dialogs, lambda others: not others, timeout=timeout)

    def close_box(self):
        """What the title bar's close box does: the compositor asks the window to close."""
        self.sway.command("swaymsg", f"[con_id={self.window}]", "kill")

    def screenshot(self, path):
        self.sway.screenshot(path)


def main(tests, session=Display):
    """Runs each test(binary, session, artifacts) in a fresh session (a bare
    Xvfb unless told otherwise, of the test's screen size if it has one) and
    prints the tally. Where the machine cannot give a session, or the test
    what it needs, says so and counts it as a skip; a script all of whose
    tests skip exits as a skip."""
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
    outcomes = ("passed", "failed", "skipped")
    tally = dict.fromkeys(outcomes, 0)
    for test in tests:
        try:
            where = session(*getattr(test, "screen", ()))
        except Unavailable as reason:
            print(f"SKIP   {test.__name__}: {reason}")
            tally["skipped"] += 1
            continue
        try:
            # Each test in a process of its own: the accessibility library
            # keeps the first bus it meets for the life of its process.
            sys.stdout.flush()
            child = os.fork()
            if child == 0:
                code = outcomes.index(run_one(test, args, where))
                sys.stdout.flush()
                os._exit(code)
            status = os.waitstatus_to_exitcode(os.waitpid(child, 0)[1])
            if status not in (0, 1, 2):
                print(f"FAIL!  {test.__name__}: its process ended with {status}")
                status = 1
            tally[outcomes[status]] += 1
        finally:
            where.close()
    passed, failed, skipped = tally.values()
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    sys.exit(1 if failed else SKIPPED if skipped and not passed else 0)


def run_one(test, args, where):
    started = time.time()
    try:
        test(args.binary, where, args.artifacts)
        print(f"PASS   {test.__name__} ({time.time() - started:.1f} s)")
        return "passed"
    except Unavailable as reason:
        print(f"SKIP   {test.__name__}: {reason}")
        return "skipped"
    except Exception:  # report every failure, then go on with the next test
        print(f"FAIL!  {test.__name__}")
        traceback.print_exc(file=sys.stdout)
        return "failed"


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


def find_accessible(node, role, name=None):
    """The first accessible at or under node of the role, as AT-SPI names it
    ("text", "menu bar"), and of the name if one is given."""
    if node.get_role_name() == role and name in (None, node.get_name()):
        return node
    for i in range(node.get_child_count()):
        found = find_accessible(node.get_child_at_index(i), role, name)
        if found is not None:
            return found
    return None


def has_state(node, state):
    """Whether the accessible is in the state, as AT-SPI names it ("focused")."""
    from gi.repository import Atspi
    return node.get_state_set().contains(getattr(Atspi.StateType, state.upper()))


def with_bus(test):
    """Runs test(app, tree, artifacts) with the editor on the accessibility bus."""
    def wrapped(binary, display, artifacts):
        bus = Bus(display.env)
        os.environ.update(DISPLAY=display.name, DBUS_SESSION_BUS_ADDRESS=bus.address)
        app = App(display, binary, extra_env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                                              "DBUS_SESSION_BUS_ADDRESS": bus.address})
        try:
            tree = accessible_tree("Marquetrix")
            test(app, tree, artifacts)
        finally:
            app.kill()
            bus.close()
    wrapped.__name__ = test.__name__
    return wrapped
