#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The editor as a native Wayland client of a headless sway, driven only
through Wayland: keys from wtype, the clipboard read by wl-paste, windows and
the close box through sway. No X server runs."""
import os
import subprocess

from harness import HERE, Helper, Sway, WaylandApp, check, expect, main, read_bytes, wait_for

FILE, TAGS = 0, 1
HEAD = b"<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<PRE>\r\n"
TAIL = b"\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>\r\n"
RED = b"<FONT COLOR=#FF0000>\r\nabc\r\n</FONT>"


def test_a_session_on_wayland(binary, sway, artifacts):
    app = WaylandApp(sway, binary)
    try:
        expect(app.title, "Marquetrix", "title at start-up")
        app.type("abc")
        app.shortcut("ctrl", "a")
        # タグ > フォント > 色 > 赤 from the keyboard: the snippet goes through the system clipboard.
        app.menu(TAGS, (3, "right"), (1, "right"), (0, "enter"))
        expect(app.clipboard, RED, "clipboard after red")
        # Start-up and the first command said nothing: not a warning, not a message.
        check(app.stderr() == "", f"the program wrote at start-up: {app.stderr()!r}")
        app.screenshot(f"{artifacts}/wayland.png")
        app.menu(TAGS, (0, "enter"))  # 基本タグ, which makes the document savable

        app.menu(FILE, (3, "enter"))  # 名前を付けて保存
        app.wait_dialog()
        app.shortcut("ctrl", "a")
        app.type("wayland page.html")
        app.key("-k", "Return")
        check(app.dialog_gone(), "the file dialog closed")
        path = os.path.join(app.home, "wayland page.html")
        expect(lambda: read_bytes(path), HEAD + RED + TAIL, "saved bytes")
        expect(app.title, "Marquetrix-" + path, "title after Save As")

        app.type("!")
        app.close_box()
        app.wait_dialog()
        app.screenshot(f"{artifacts}/wayland-close-question.png")
        app.key("-k", "Return")  # Yes: quit without saving
        check(app.ended(5), "Yes ends the program")
        check(app.proc.returncode == 0, f"exit code {app.proc.returncode}")
        check(read_bytes(path) == HEAD + RED + TAIL, "quitting saved nothing")
        check(app.stderr() == "", f"the program wrote during the session: {app.stderr()!r}")
    finally:
        app.kill()


def test_logout_held_back_while_modified(binary, sway, artifacts):
    """No session manager asks a Wayland client before a logout: the desktop
    portal is told to hold the logout back while there is unsaved text."""
    bus = subprocess.Popen(sway.prefix + ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           env=sway.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    address = bus.stdout.readline().decode().strip()
    env = dict(sway.env, DBUS_SESSION_BUS_ADDRESS=address)
    portal = Helper(sway.prefix + ["/usr/bin/python3", sway.readable(os.path.join(HERE, "fake_portal.py"))], env)
    app = None
    try:
        portal.said("ready")
        app = WaylandApp(sway, binary, extra_env={"DBUS_SESSION_BUS_ADDRESS": address})
        held = "inhibit 1 保存されていない変更があります"  # 1: logout
        # The text is modified from the start: emptied, it counts as changed.
        portal.said(held)
        app.menu(FILE, (0, "enter"))  # 新規作成: a change, but one inhibitor is enough
        app.menu(FILE, (3, "enter"))  # 名前を付けて保存
        app.wait_dialog()
        app.shortcut("ctrl", "a")
        app.type("held.html")
        app.key("-k", "Return")
        check(wait_for(lambda: read_bytes(os.path.join(app.home, "held.html"))), "saved")
        portal.said("close")
        app.type("x")
        portal.said(held)
        check(app.stderr() == "", f"the program wrote: {app.stderr()!r}")
    finally:
        if app:
            app.kill()
        portal.close()
        bus.kill()
        bus.wait()


if __name__ == "__main__":
    main([test_a_session_on_wayland, test_logout_held_back_while_modified], session=Sway)
