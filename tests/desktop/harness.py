# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Drives the real Marquetrix binary on its own X server, as a person would:
keys and clicks through xdotool, the clipboard through xclip, screenshots
through ImageMagick's import."""
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


class Display:
    """A private Xvfb, gone when the run ends."""

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
        # Answering a client is the proof that the server is there for ours.
        deadline = time.time() + 10
        while subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL).returncode != 0:
            if time.time() > deadline or self.proc.poll() is not None:
                raise RuntimeError(f"Xvfb on {self.name} does not answer")
            time.sleep(0.1)

    def close(self):
        self.proc.terminate()
        self.proc.wait(timeout=10)


class App:
    """One run of the editor on a display."""

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
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError("the editor ended at start: " + self.proc.stdout.read().decode())
            out = run("xdotool", "search", "--onlyvisible", "--name", name, env=self.env, check=False)
            ids = [line for line in out.split() if line]
            if ids:
                time.sleep(0.3)
                return ids[0]
            time.sleep(0.1)
        raise RuntimeError("no window named " + name)

    def windows(self, name):
        out = run("xdotool", "search", "--onlyvisible", "--name", name, env=self.env, check=False)
        return [line for line in out.split() if line]

    def wait_dialog(self, timeout=10):
        """The id of a visible window of ours other than the main one."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            others = [w for w in self.windows(".") if w != self.window and self.visible_size(w) > 4]
            if others:
                time.sleep(0.4)
                return others[-1]
            time.sleep(0.1)
        raise RuntimeError("no dialog appeared")

    def visible_size(self, window):
        out = self.x("getwindowgeometry", "--shell", window, check=False)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values.get("WIDTH", 0)) * int(values.get("HEIGHT", 0))

    def dialog_gone(self, timeout=5):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if not [w for w in self.windows(".") if w != self.window and self.visible_size(w) > 4]:
                return True
            time.sleep(0.1)
        return False

    def focus(self):
        self.x("windowfocus", "--sync", self.window)

    def key(self, *keys, delay=0.15):
        for k in keys:
            self.x("key", "--clearmodifiers", k)
            time.sleep(delay)

    def type(self, text):
        # xdotool loses non-ASCII characters now and then: one at a time.
        for ch in text:
            self.x("type", "--delay", "0", ch)
        time.sleep(0.1)

    def menu(self, top_index, *path):
        """Opens a menu bar menu by keyboard and walks down it: path is a list
        of (downs, 'right'|'enter') steps."""
        self.focus()
        self.key("alt")
        for _ in range(top_index):
            self.key("Right")
        self.key("Down")
        for downs, then in path:
            for _ in range(downs):
                self.key("Down")
            self.key("Right" if then == "right" else "Return")
        time.sleep(0.3)

    def paste(self, text):
        """Puts text on the clipboard with xclip and pastes it where the focus is:
        the sure way to enter characters that the keyboard map does not hold."""
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=text.encode(), env=self.env,
                       timeout=10, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.2)
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

    def close_box(self):
        run(sys.executable, os.path.join(HERE, "wm_close.py"), self.window, env=self.env)
        time.sleep(0.5)

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


def main(tests):
    """Runs each test(binary, display) on a fresh display and prints the tally."""
    import argparse
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--artifacts", default=tempfile.mkdtemp(prefix="mx-desktop-"))
    args = parser.parse_args()
    os.makedirs(args.artifacts, exist_ok=True)
    for tool in ("Xvfb", "xdotool", "xclip"):
        if not shutil.which(tool):
            print(f"missing {tool}: install the desktop test packages (scripts/test does)")
            sys.exit(1)
    passed = failed = 0
    for test in tests:
        display = Display()
        try:
            test(args.binary, display, args.artifacts)
            print(f"PASS   {test.__name__}")
            passed += 1
        except Exception:  # report every failure, then go on with the next test
            print(f"FAIL!  {test.__name__}")
            traceback.print_exc(file=sys.stdout)
            failed += 1
        finally:
            display.close()
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
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            child = desktop.get_child_at_index(i)
            if child is not None and child.get_name() == app_name:
                return child
        time.sleep(0.2)
    raise RuntimeError(f"{app_name} never appeared on the accessibility bus")
