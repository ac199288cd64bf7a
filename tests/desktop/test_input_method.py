#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Japanese typed as a Japanese user types it: romaji keys from xdotool into
the Mozc engine of a real input method (IBus, or Fcitx 5 with --im=fcitx) on
the test's own D-Bus session; the text read back over the accessibility bus
and from the saved file. Skipped where the input method cannot run."""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from harness import (App, Bus, Display, Unavailable, accessible_tree, check, expect, find_accessible, has_state, main,
                     read_bytes, run, wait_for)

# How long a settled document must stay as it is. A composition committed
# twice or late arrives unannounced, so there is nothing to wait for; a second
# copy comes over D-Bus within milliseconds of the first.
SETTLE_S = 0.3


def qt_plugin(name):
    return glob.glob(f"/usr/lib/*/qt6/plugins/platforminputcontexts/lib{name}platforminputcontextplugin.so")


class InputMethodDisplay(Display):
    """A bare Xvfb, on a machine that can run the input method and Mozc."""

    kind = "ibus"
    NEEDS = {
        "ibus": (["ibus-daemon", "ibus", "/usr/lib/mozc/mozc_server", "/usr/lib/ibus-mozc/ibus-engine-mozc"],
                 "ibus", "ibus, ibus-mozc, mozc-server"),
        "fcitx": (["fcitx5", "fcitx5-remote", "/usr/lib/mozc/mozc_server"],
                  "fcitx5", "fcitx5, fcitx5-mozc, fcitx5-frontend-qt6, mozc-server"),
    }

    def __init__(self):
        tools, plugin, packages = self.NEEDS[self.kind]
        missing = [t for t in tools if not shutil.which(t)]
        if self.kind == "fcitx" and not glob.glob("/usr/lib/*/fcitx5/fcitx5-mozc.so"):
            missing.append("fcitx5-mozc.so")
        if not qt_plugin(plugin):
            missing.append(f"Qt's {plugin} input context plugin")
        if missing:
            raise Unavailable(f"{self.kind}: missing {', '.join(missing)} (install {packages}; scripts/test does)")
        if os.geteuid() == 0 and subprocess.run(["unshare", "--user", "--map-user=1000", "--", "true"],
                                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode:
            raise Unavailable("mozc_server refuses to run as root, and this machine allows no user namespace "
                              "to run it in")
        super().__init__()


class InputMethod:
    """Mozc's server and one input method daemon on the given session."""

    # The signal that gives the editor its composition to show, and the
    # composition's text in it.
    COMPOSITION = {
        "ibus": ("org.freedesktop.IBus.InputContext", "UpdatePreeditText", lambda body: body[0][2]),
        "fcitx": ("org.fcitx.Fcitx.InputContext1", "UpdateFormattedPreedit",
                  lambda body: "".join(text for text, _ in body[0])),
    }

    def __init__(self, kind, env):
        self.kind = kind
        self.env = env
        self.procs = []
        self.watch = None
        self.composition = None
        mozc = os.path.join(env["XDG_CONFIG_HOME"], "mozc")
        os.makedirs(mozc, exist_ok=True)
        # Mozc's server will not run as root and serves only its own user: as
        # root it runs as user 1000 of a namespace whose 1000 is root outside.
        server = ["/usr/lib/mozc/mozc_server"]
        if os.geteuid() == 0:
            server = ["unshare", "--user", "--map-user=1000", "--map-group=1000", "--"] + server
        self.start(server)
        # It names its socket in this file once it listens.
        check(wait_for(lambda: os.path.exists(os.path.join(mozc, ".session.ipc"))), "Mozc's server listens")
        if kind == "ibus":
            self.start(["ibus-daemon", "--panel=disable", "--emoji-extension=disable"])
            check(wait_for(lambda: "mozc-jp" in run("ibus", "list-engine", env=env, check=False), timeout=30),
                  "IBus lists the Mozc engine")
            self.watch_composition(run("ibus", "address", env=env).strip())
        else:
            config = os.path.join(env["XDG_CONFIG_HOME"], "fcitx5")
            os.makedirs(config, exist_ok=True)
            with open(os.path.join(config, "profile"), "w") as f:
                f.write("[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=mozc\n\n"
                        "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
                        "[Groups/0/Items/1]\nName=mozc\nLayout=\n\n[GroupOrder]\n0=Default\n")
            self.start(["fcitx5"])
            # Asked before it has its name, the session would start a second
            # Fcitx 5 from its service file, on the user's own profile.
            check(wait_for(lambda: self.has_owner("org.fcitx.Fcitx5"), timeout=30), "Fcitx 5 on the session")
            check(self.procs[-1].poll() is None, "Fcitx 5 lost its name on the session to another")
            self.watch_composition(env["DBUS_SESSION_BUS_ADDRESS"])

    def start(self, args):
        self.procs.append(subprocess.Popen(args, env=self.env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL))

    def has_owner(self, name):
        """Whether a program holds the name, without starting one for it."""
        return "boolean true" in run("dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                     "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                                     f"string:{name}", env=self.env, check=False)

    def watch_composition(self, address):
        """Keeps self.composition as the input method last sent it to the
        editor. The editor draws it but holds it in no text that the
        accessibility bus gives, and it changes key by key behind the keys
        xdotool has long sent."""
        from gi.repository import Gio, GLib
        interface, member, text = self.COMPOSITION[self.kind]
        self.watch = Gio.DBusConnection.new_for_address_sync(
            address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)

        def seen(connection, message, incoming):
            if incoming and message.get_interface() == interface and message.get_member() == member:
                self.composition = text(message.get_body().unpack())
            return message
        self.watch.add_filter(seen)
        # The signal goes to the editor alone: listen in.
        rule = f"type='signal',interface='{interface}',member='{member}',eavesdrop=true"
        self.watch.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "AddMatch",
                             GLib.Variant("(s)", (rule,)), None, Gio.DBusCallFlags.NONE, -1)

    def remote(self, *args):
        return subprocess.run(["fcitx5-remote", *args], env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=10)

    def hiragana(self, app):
        """Turns the engine on for the focused text area, in hiragana mode."""
        app.focus()
        if self.kind == "ibus":
            # IBus sets the engine of the input context that has the focus,
            # once the editor's has told it so; `ibus engine NAME` fails even
            # when it works, so ask which engine is on.
            def switched():
                run("ibus", "engine", "mozc-jp", env=self.env, check=False)
                return run("ibus", "engine", env=self.env, check=False).strip() == "mozc-jp"
            check(wait_for(switched), "IBus switched to Mozc")
        else:
            def switched():
                self.remote("-o")
                return self.remote().stdout.strip() == b"2" and self.remote("-n").stdout.strip() == b"mozc"
            check(wait_for(switched), "Fcitx 5 switched to Mozc")
        # The engine is on, and takes the key ahead of the romaji behind it;
        # the first composition shows that it took it.
        app.key("Hiragana_Katakana")

    def close(self):
        if self.watch:
            self.watch.close_sync()
        for proc in reversed(self.procs):
            proc.terminate()
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()


def items(node, out=None):
    """Every menu item under node by caption (captions are unique but for ヘルプ)."""
    from gi.repository import Atspi
    out = {} if out is None else out
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child.get_role() in (Atspi.Role.MENU_ITEM, Atspi.Role.MENU):
            out.setdefault(child.get_name(), child)
        items(child, out)
    return out


class Session:
    """The editor as the test sees it: keys through X, text and commands over
    the accessibility bus, the composition on the input method's bus."""

    def __init__(self, app, tree, im):
        self.app = app
        self.im = im
        self.text = find_accessible(tree, "text").get_text_iface()
        self.items = items(tree)

    def document(self):
        return self.text.get_text(0, -1)

    def caret(self):
        return self.text.get_caret_offset()

    def selection(self):
        if self.text.get_n_selections() == 0:
            return None
        first = self.text.get_selection(0)
        return first.start_offset, first.end_offset

    def enabled(self, caption):
        return has_state(self.items[caption], "enabled")

    def press(self, caption, wait=True):
        """A command as a screen reader gives it: no key, no click, no focus change."""
        action = self.items[caption].get_action_iface()
        if wait:
            action.do_action(0)
        else:  # a command that opens a modal box answers only when it closes
            threading.Thread(target=lambda: action.do_action(0), daemon=True).start()

    def compose(self, keys, shown):
        """Keys as the input method reads them, left composing. They go in one
        xdotool call: the X server, the editor and the input method keep their
        order. Once the input method shows shown it has had every key, so a
        command over the accessibility bus comes after them."""
        self.im.composition = None
        self.app.key(*keys)
        expect(lambda: self.im.composition, shown, "the input method's composition")

    def settled(self, expected, what):
        """The document once it equals expected, and still a moment later:
        a composition committed twice or late shows up here."""
        expect(self.document, expected, what, timeout=5)
        time.sleep(SETTLE_S)
        check(self.document() == expected, f"{what}: {self.document()!r}, expected {expected!r}")


def file_dialog(session, caption, name):
    """Opens or saves the file of the home folder through the command's dialog."""
    session.press(caption, wait=False)
    app = session.app
    app.wait_dialog()
    app.key("ctrl+a")
    app.paste(name)  # typed, the name would go through Mozc
    app.key("Return")
    check(app.dialog_gone(), "the file dialog closed")
    app.focus()
    return os.path.join(app.home, name)


def file_of(page):
    return (page.replace("\n", "\r\n") + "\r\n").encode("utf-8")


def through(kind, body, name):
    """A test: body(session, artifacts, kind) with the engine on, in hiragana."""
    def test(binary, display, artifacts):
        bus = Bus(display.env)
        home = tempfile.mkdtemp(prefix="mx-home-")
        config = os.path.join(home, ".config")
        im = app = None
        try:
            im = InputMethod(kind, dict(display.env, HOME=home, XDG_CONFIG_HOME=config))
            os.environ.update(DISPLAY=display.name, DBUS_SESSION_BUS_ADDRESS=bus.address)
            app = App(display, binary, home=home,
                      extra_env={"QT_IM_MODULE": kind, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                                 "XDG_CONFIG_HOME": config})
            session = Session(app, accessible_tree("Marquetrix"), im)
            check(not session.enabled("タグ"), "Tags disabled at start-up")
            im.hiragana(app)
            body(session, artifacts, kind)
        finally:
            if app:
                app.kill()
            if im:
                im.close()
            bus.close()
    test.__name__ = f"test_{name}_through_{kind}"
    return test


def typing_and_commands(s, artifacts, kind):
    app = s.app
    # Converted and committed: lands once, and counts as typing.
    s.compose("nihongo", "にほんご")
    app.key("space", "Return")
    s.settled("日本語", "committed kanji")
    check(s.caret() == 3, f"caret after the kanji: {s.caret()}")
    check(s.enabled("タグ"), "committed text enabled the Tags menu")

    # A wrap command on the committed text; the page skeleton around it
    # enables Save.
    app.key("ctrl+a")
    expect(s.selection, (0, 3), "ctrl+a selected the kanji")
    s.press("ボールド")
    s.settled("<B>日本語</B>", "bold around the kanji")
    s.press("基本タグ")
    page = s.document()
    check("<PRE>\n<B>日本語</B>\n" in page, f"the page: {page!r}")
    app.key("ctrl+End")
    expect(s.caret, len(page), "ctrl+End put the caret at the end")
    path = file_dialog(s, "名前を付けて保存", "ime page.html")
    expect(lambda: read_bytes(path), file_of(page), "saved")

    # A point command while a composition is pending: the composition goes in
    # once, the tag after it, and nothing is left composing for the next key.
    s.compose("kanji", "かんじ")
    app.screenshot(f"{artifacts}/ime-{kind}-composition-pending.png")
    check(s.document() == page, f"a composition is not yet text: {s.document()!r}")
    s.press("リスト")
    page += "かんじ<LI>"
    s.settled(page, "list item after the pending composition")
    check(s.caret() == len(page), f"caret {s.caret()}, not after the tag")
    app.screenshot(f"{artifacts}/ime-{kind}-after-list-item.png")
    app.key("Return")
    page += "\n"
    s.settled(page, "Return after the command makes a line end")

    # Save with a converted composition pending writes it.
    s.compose([*"nihongo", "space"], "日本語")
    app.screenshot(f"{artifacts}/ime-{kind}-conversion-pending.png")
    s.press("上書き保存")
    page += "日本語"
    s.settled(page, "the conversion committed by Save")
    expect(lambda: read_bytes(path), file_of(page), "saved")

    # The close box with only a composition changed since Save: the question
    # is asked, and No keeps the text, composition included.
    s.compose("desu", "です")
    app.close_box()
    app.wait_dialog()
    app.key("Escape")  # No
    check(app.dialog_gone(), "the question closed")
    # A quit would follow the answer at once; that none comes shows only as time passing.
    check(not app.ended(SETTLE_S), "No keeps the window")
    s.settled(page + "です", "the text the question was about")


# (where the composition goes, the selection put over the bus, keys, the
# selection they leave), from the last cut back: a commit re-cuts only its own
# piece. The line's letters after an early '>' are cut every 128 characters.
LINE = "<P>" + "a" * 5000
CUT = [3 + 128 * k for k in range(4)]  # the line starts at 3, after "ab" and its line end
AT_A_CUT = [
    ("over a selection across a cut", (CUT[3] - 2, CUT[3] + 2), (), (CUT[3] - 2, CUT[3] + 2)),
    ("at a cut, at the end of the piece before it, where End goes", (CUT[2] - 9,) * 2, ("End",), (CUT[2],) * 2),
    ("at a cut, at the start of a piece", (CUT[1],) * 2, (), (CUT[1],) * 2),
]


def committed_at_a_cut(s, artifacts, kind):
    """Japanese committed in a long line where it is cut, then saved."""
    page = "ab\n" + LINE + "\n"
    with open(os.path.join(s.app.home, "long.html"), "w", newline="") as f:
        f.write(page.replace("\n", "\r\n"))
    path = file_dialog(s, "開く", "long.html")
    expect(s.document, page, "the page as opened")
    for where, put, keys, (start, end) in AT_A_CUT:
        s.text.set_selection(0, *put)
        s.app.key(*keys)
        expect(lambda: (s.selection() or (s.caret(),) * 2), (start, end), f"{where}: the selection")
        s.compose("nihongo", "にほんご")
        s.app.key("space", "Return")
        page = page[:start] + "日本語" + page[end:]
        s.settled(page, f"日本語 committed {where}")
        check(s.caret() == start + 3, f"{where}: caret {s.caret()} after the commit, not {start + 3}")
    s.press("上書き保存")
    expect(lambda: read_bytes(path), page.replace("\n", "\r\n").encode(), "saved")


if __name__ == "__main__":
    InputMethodDisplay.kind = next((a.removeprefix("--im=") for a in sys.argv if a.startswith("--im=")), "ibus")
    sys.argv = [a for a in sys.argv if not a.startswith("--im=")]
    kind = InputMethodDisplay.kind
    main([through(kind, typing_and_commands, "japanese"), through(kind, committed_at_a_cut, "commits_at_a_cut")],
         session=InputMethodDisplay)
