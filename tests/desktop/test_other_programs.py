#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The editor among programs that misbehave around it: a clipboard owner that
never answers, and the signals with which terminals, desktops and service
managers end programs. Nothing of theirs may freeze the window for long or
lose the user's text."""
import os
import signal
import subprocess
import time

from harness import HERE, App, Bus, Helper, accessible_tree, check, expect, main, read_bytes, wait_for
from test_accessibility import menu_items
from test_session import answer_dialog

FILE = 0
SIGNALS = (signal.SIGTERM, signal.SIGINT, signal.SIGHUP)


class HungOwner(Helper):
    """hung_owner.py on the app's display; see there."""

    def __init__(self, app, retake=False):
        super().__init__(["/usr/bin/python3", os.path.join(HERE, "hung_owner.py")] + (["--retake"] if retake else []),
                         app.env)
        self.taken()

    def taken(self):
        self.said("taken")

    def let_go(self):
        self.proc.send_signal(signal.SIGUSR1)


def text_of(tree):
    """The document as the accessibility bus reads it (line feeds only)."""
    from gi.repository import Atspi

    def find(node):
        if node.get_role() == Atspi.Role.TEXT:
            return node
        for i in range(node.get_child_count()):
            found = find(node.get_child_at_index(i))
            if found is not None:
                return found
        return None
    text = find(tree).get_text_iface()
    return text.get_text(0, text.get_character_count())


def test_paste_from_an_owner_that_never_answers(binary, display, artifacts):
    app = App(display, binary)
    owner = None
    try:
        app.focus()
        app.type("keep")
        owner = HungOwner(app)
        x, y, w, h = app.geometry()
        app.x("mousemove", "--window", app.window, str(w // 2), str(h // 2))
        started = time.time()
        app.x("click", "2")  # the selection, PRIMARY
        app.key("ctrl+v")  # the clipboard
        # Selecting all takes the selection from the owner once the pastes are
        # over, and then it holds the whole text.
        app.key("ctrl+a")
        owner.said("lost PRIMARY")
        primary = subprocess.run(["xclip", "-o", "-selection", "primary"], env=app.env, timeout=10,
                                 stdout=subprocess.PIPE).stdout
        check(primary == b"keep", f"the text after both pastes: {primary!r}")
        # Qt waits 5 s for an owner once per paste; nothing of ours adds to it.
        check(time.time() - started < 12, f"both pastes answered after {time.time() - started:.1f} s")
        check(app.proc.poll() is None, f"the editor ended: {app.proc.returncode}")
    finally:
        if owner:
            owner.close()
        app.kill()


def test_tag_commands_beside_a_clipboard_manager_that_hangs(binary, display, artifacts):
    bus = Bus(display.env)
    os.environ.update(DISPLAY=display.name, DBUS_SESSION_BUS_ADDRESS=bus.address)
    app = App(display, binary, extra_env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                                          "DBUS_SESSION_BUS_ADDRESS": bus.address})
    owner = None
    try:
        tree = accessible_tree("Marquetrix")
        app.focus()
        app.type("x")
        app.key("End")
        expect(lambda: text_of(tree), "x", "typed")
        items = {name: node for _, name, _, node in menu_items(tree)}
        owner = HungOwner(app, retake=True)
        commands = [("リスト", "<LI>"), ("区切り線", "<HR>"), ("ブレイク<BR>", "<BR>"), ("パラグラフ<P>", "<P>"),
                    ("ボールド", "<B>  </B>"), ("イタリック", "<I>  </I>"), ("H1", "<H1>  </H1>"),
                    ("H2", "<H2>  </H2>"), ("赤", "<FONT COLOR=#FF0000>\n\n</FONT>"), ("センター", "<CENTER>  </CENTER>")]
        expected = "x"
        for name, snippet in commands:
            started = time.time()
            items[name].get_action_iface().do_action(0)  # returns once the command has run
            took = time.time() - started
            expected += snippet
            check(text_of(tree) == expected, f"{name}: the text is {text_of(tree)!r}")
            check(took < 0.1, f"{name} answered after {took * 1000:.0f} ms")
            owner.taken()  # it took the clipboard back from us
        owner.let_go()
        items["リスト"].get_action_iface().do_action(0)
        expect(app.clipboard, b"<LI>", "the clipboard once the owner lets go")
        check(app.proc.poll() is None, "the editor runs on")
    finally:
        if owner:
            owner.close()
        app.kill()
        bus.close()


def test_signals_ask_before_unsaved_text_is_lost(binary, display, artifacts):
    """Each signal, with unsaved text (the question; No keeps it, Yes ends)
    and with the text saved (it ends at once)."""
    for sig in SIGNALS:
        for unsaved in (True, False):
            name = f"{signal.Signals(sig).name}, {'unsaved' if unsaved else 'saved'}"
            app = App(display, binary)
            try:
                if unsaved:
                    app.focus()
                    app.type("keep")
                    app.proc.send_signal(sig)
                    app.wait_dialog()
                    # A second signal while the question is up asks nothing more.
                    app.proc.send_signal(sig)
                    app.key("Escape")  # No
                    check(app.dialog_gone(), f"{name}: one question, and No closed it")
                    check(app.proc.poll() is None, f"{name}: No keeps the program")
                    app.focus()
                    app.key("ctrl+a", "ctrl+c")
                    expect(app.clipboard, b"keep", f"{name}: the text after No")
                    app.proc.send_signal(sig)
                    app.wait_dialog()
                    app.key("Return")  # Yes
                else:
                    app.menu(FILE, (0, "enter"))  # 新規作成
                    app.menu(FILE, (3, "enter"))  # 名前を付けて保存
                    answer_dialog(app, "saved.htm")
                    check(wait_for(lambda: read_bytes(os.path.join(app.home, "saved.htm"))), f"{name}: saved")
                    app.proc.send_signal(sig)
                check(app.ended(5), f"{name}: the program ended")
                check(app.proc.returncode == 0, f"{name}: exit code {app.proc.returncode}")
            finally:
                app.kill()


if __name__ == "__main__":
    main([
        test_paste_from_an_owner_that_never_answers,
        test_tag_commands_beside_a_clipboard_manager_that_hangs,
        test_signals_ask_before_unsaved_text_is_lost,
    ])
