#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The long-line table as a user meets it: the real window on its own Xvfb, the
page opened through the dialog, keys sent through the X server (XTEST). An
operation "answers" when the window has handled it and is ready for the next
key: measured as the time from the key until the menu that F10, sent right
behind it, opens on the screen, less F10's own time on an idle window."""
import os, select, statistics, sys, time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "desktop"))
from harness import App, Display, wait_for  # noqa: E402
from Xlib import X, XK, display as xdisplay  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

CHUNK = ('<DIV CLASS="item"><A HREF="page.html#top">いろはにほへと ちりぬるを</A>'
         '<SPAN STYLE="color:#333">The quick brown fox jumps over the lazy dog 0123.</SPAN>'
         '<P>わかよたれそ つねならむ うゐのおくやま けふこえて</P><BR></DIV>')


def page(mb):
    return CHUNK * (mb * 1024 * 1024 // len(CHUNK.encode()))


def in_lines(text, width=80):
    return "\r\n".join(text[i:i + width] for i in range(0, len(text), width))


class Keys:
    def __init__(self, name):
        self.d = xdisplay.Display(name)
        self.root = self.d.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.d.sync()

    def code(self, name):
        return self.d.keysym_to_keycode(XK.string_to_keysym(name))

    def send(self, combo):
        *mods, key = combo.split("+")
        names = {"ctrl": "Control_L", "shift": "Shift_L", "alt": "Alt_L"}
        codes = [self.code(names[m]) for m in mods] + [self.code(key)]
        for c in codes:
            xtest.fake_input(self.d, X.KeyPress, c)
        for c in reversed(codes):
            xtest.fake_input(self.d, X.KeyRelease, c)
        self.d.flush()

    def drain(self):
        while self.d.pending_events():
            self.d.next_event()

    def wait(self, kind, timeout=30):
        end = time.monotonic() + timeout
        while True:
            while not self.d.pending_events():
                if time.monotonic() > end:
                    raise RuntimeError("the window did not answer in %d s" % timeout)
                select.select([self.d.fileno()], [], [], 0.01)
            e = self.d.next_event()
            if e.type == kind:
                return

    def answered(self, combo=None):
        """Seconds until the window has handled combo and opened F10's menu."""
        self.drain()
        t = time.monotonic()
        if combo:
            self.send(combo)
        self.send("F10")
        self.wait(X.MapNotify)
        elapsed = time.monotonic() - t
        self.send("Escape")
        self.wait(X.UnmapNotify)
        self.send("Escape")  # the menu bar, still keyboard-active, lets go too
        return elapsed


def measure(binary, display, name, text, runs):
    app = App(display, binary)
    path = os.path.join(app.home, name)
    with open(path, "wb") as f:
        f.write(text.encode() + b"\r\n")
    keys = Keys(app.env["DISPLAY"])
    try:
        app.menu(0, (1, "enter"))  # ファイル > 開く
        app.wait_dialog()
        app.key("ctrl+a")
        app.type(path)
        t = time.monotonic()
        app.key("Return")
        wait_for(app.title, lambda s: name in s, timeout=120, interval=0.002)
        app.focus()
        opened = time.monotonic() - t + keys.answered()
        idle = statistics.median(keys.answered() for _ in range(runs))
        keys.send("ctrl+Home")
        for _ in range(3):
            keys.send("Down")  # a line in the middle of the 80-column page's first screen
        keys.send("End")
        keys.answered()
        rows = {}
        for label, combo in (("typed character", "x"), ("deletion", "BackSpace"), ("caret right", "Right"),
                             ("select right", "shift+Right"), ("page down", "Next"), ("ctrl+End", "ctrl+End"),
                             ("ctrl+Home", "ctrl+Home")):
            rows[label] = statistics.median(keys.answered(combo) for _ in range(runs)) - idle
        # Bold at the caret, タグ > フォント > ボールド by keys: the menus' own
        # time is in both columns.
        keys.send("ctrl+End")
        times = []
        for _ in range(runs):
            t = time.monotonic()
            app.menu(1, (3, "right"), (1, "enter"))
            times.append(time.monotonic() - t + keys.answered() - idle)
        rows["bold, through the menus"] = statistics.median(times)
        rss = int([l for l in open(f"/proc/{app.proc.pid}/status") if l.startswith("VmRSS")][0].split()[1])
        return opened, rows, rss
    finally:
        app.kill()


def main():
    binary = sys.argv[1]
    sizes = [int(s) for s in sys.argv[2:]] or [1, 5, 10]
    runs = 7
    display = Display()
    try:
        print("The real window on Xvfb (median of %d; ms after the window answers an idle F10)" % runs)
        print("%-22s %10s %10s %7s" % ("operation", "one line", "80 cols", "ratio"))
        for mb in sizes:
            one = page(mb)
            a = measure(binary, display, f"one-{mb}.html", one, runs)
            b = measure(binary, display, f"cols-{mb}.html", in_lines(one), runs)
            print(f"{mb} MB")
            print("%-22s %10.1f %10.1f %7.2f" % ("open", a[0] * 1e3, b[0] * 1e3, a[0] / b[0]))
            for k in a[1]:
                print("%-22s %10.1f %10.1f" % (k, a[1][k] * 1e3, b[1][k] * 1e3))
            print("%-22s %10.0f %10.0f %7.2f" % ("resident MB", a[2] / 1024, b[2] / 1024, a[2] / b[2]))
            sys.stdout.flush()
    finally:
        display.close()


main()
