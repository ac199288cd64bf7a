#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Japanese typed as a Japanese user types it: romaji keys from xdotool into
the Mozc engine of a real input method (IBus, or Fcitx 5 with --im fcitx) on
the test's own D-Bus session; the text read back over the accessibility bus
and from the saved file. Exits 77 (skipped) where the input method cannot run."""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from harness import App, Bus, accessible_tree, main, run

SKIPPED = 77


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def skip(why):
    print(f"SKIP: {why}", flush=True)
    sys.exit(SKIPPED)


def wait_until(predicate, timeout=10, what="condition"):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if predicate():
            return
        time.sleep(0.1)
    raise AssertionError(f"timed out waiting for {what}")


def qt_plugin(name):
    return glob.glob(f"/usr/lib/*/qt6/plugins/platforminputcontexts/lib{name}platforminputcontextplugin.so")


class InputMethod:
    """Mozc's server and one input method daemon on the given session."""

    NEEDS = {
        "ibus": (["ibus-daemon", "ibus", "/usr/lib/mozc/mozc_server", "/usr/lib/ibus-mozc/ibus-engine-mozc"],
                 "ibus", "ibus, ibus-mozc, mozc-server"),
        "fcitx": (["fcitx5", "fcitx5-remote", "/usr/lib/mozc/mozc_server"],
                  "fcitx5", "fcitx5, fcitx5-mozc, fcitx5-frontend-qt6, mozc-server"),
    }

    @classmethod
    def check_machine(cls, kind):
        tools, plugin, packages = cls.NEEDS[kind]
        missing = [t for t in tools if not shutil.which(t)]
        if kind == "fcitx" and not glob.glob("/usr/lib/*/fcitx5/fcitx5-mozc.so"):
            missing.append("fcitx5-mozc.so")
        if not qt_plugin(plugin):
            missing.append(f"Qt's {plugin} input context plugin")
        if missing:
            skip(f"{kind}: missing {', '.join(missing)} (install {packages}; scripts/test does)")
        if os.geteuid() == 0 and subprocess.run(["unshare", "--user", "--map-user=1000", "--", "true"],
                                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode:
            skip("mozc_server refuses to run as root, and this machine allows no user namespace to run it in")

    def __init__(self, kind, env):
        self.kind = kind
        self.env = env
        self.procs = []
        os.makedirs(os.path.join(env["XDG_CONFIG_HOME"], "mozc"), exist_ok=True)
        # Mozc's server will not run as root and serves only its own user: as
        # root it runs as user 1000 of a namespace whose 1000 is root outside.
        server = ["/usr/lib/mozc/mozc_server"]
        if os.geteuid() == 0:
            server = ["unshare", "--user", "--map-user=1000", "--map-group=1000", "--"] + server
        self.start(server)
        if kind == "ibus":
            self.start(["ibus-daemon", "--panel=disable", "--emoji-extension=disable"])
            wait_until(lambda: "mozc-jp" in run("ibus", "list-engine", env=env, check=False), 30,
                       "IBus to list the Mozc engine")
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
            wait_until(lambda: self.has_owner("org.fcitx.Fcitx5"), 30, "Fcitx 5 on the session")
            check(self.procs[-1].poll() is None, "Fcitx 5 lost its name on the session to another")

    def start(self, args):
        self.procs.append(subprocess.Popen(args, env=self.env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL))

    def has_owner(self, name):
        """Whether a program holds the name, without starting one for it."""
        return "boolean true" in run("dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                     "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                                     f"string:{name}", env=self.env, check=False)

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
            wait_until(switched, 10, "IBus to switch to Mozc")
        else:
            def switched():
                self.remote("-o")
                return self.remote().stdout.strip() == b"2" and self.remote("-n").stdout.strip() == b"mozc"
            wait_until(switched, 10, "Fcitx 5 to switch to Mozc")
        time.sleep(0.5)
        app.key("Hiragana_Katakana")

    def close(self):
        for proc in reversed(self.procs):
            proc.terminate()
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()


def text_area(node):
    from gi.repository import Atspi
    if node.get_role() == Atspi.Role.TEXT:
        return node
    for i in range(node.get_child_count()):
        found = text_area(node.get_child_at_index(i))
        if found:
            return found
    return None


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
    """The editor as the test sees it: keys through X, text and commands over the bus."""

    def __init__(self, app, tree):
        self.app = app
        self.text = text_area(tree).get_text_iface()
        self.items = items(tree)

    def document(self):
        return self.text.get_text(0, -1)

    def caret(self):
        return self.text.get_caret_offset()

    def enabled(self, caption):
        from gi.repository import Atspi
        return self.items[caption].get_state_set().contains(Atspi.StateType.ENABLED)

    def press(self, caption, wait=True):
        """A command as a screen reader gives it: no key, no click, no focus change."""
        action = self.items[caption].get_action_iface()
        if wait:
            action.do_action(0)
        else:  # a command that opens a modal box answers only when it closes
            threading.Thread(target=lambda: action.do_action(0), daemon=True).start()

    def romaji(self, keys):
        """Typed key by key, as the input method reads them; left composing."""
        for key in keys:
            self.app.key(key, delay=0.05)
        time.sleep(0.5)

    def settled(self, expected, what):
        """The document once it equals expected, and still a moment later:
        a composition committed twice or late shows up here."""
        try:
            wait_until(lambda: self.document() == expected, 5, what)
        except AssertionError:
            pass
        time.sleep(0.5)
        check(self.document() == expected, f"{what}: {self.document()!r}, expected {expected!r}")


def save_as(session, name):
    session.press("名前を付けて保存", wait=False)
    app = session.app
    dialog = app.wait_dialog()
    app.x("windowfocus", "--sync", dialog)
    app.key("ctrl+a")
    app.paste(name)  # typed, the name would go through Mozc
    app.key("Return")
    check(app.dialog_gone(), "the file dialog closed")
    app.focus()
    return os.path.join(app.home, name)


def saved(path):
    return open(path, "rb").read().decode("utf-8")


def crlf(text):
    return text.replace("\n", "\r\n")


def test_japanese_through_the_input_method(kind):
    def test(binary, display, artifacts):
        InputMethod.check_machine(kind)
        bus = Bus(display.env)
        home = tempfile.mkdtemp(prefix="mx-home-")
        env = dict(display.env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   DBUS_SESSION_BUS_ADDRESS=bus.address)
        im = app = None
        try:
            im = InputMethod(kind, env)
            os.environ.update(DISPLAY=display.name, DBUS_SESSION_BUS_ADDRESS=bus.address)
            app = App(display, binary, home=home,
                      extra_env={"QT_IM_MODULE": kind, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                                 "XDG_CONFIG_HOME": env["XDG_CONFIG_HOME"],
                                 "DBUS_SESSION_BUS_ADDRESS": bus.address})
            session = Session(app, accessible_tree("Marquetrix"))
            check(not session.enabled("タグ"), "Tags disabled at start-up")
            im.hiragana(app)
            typing_and_commands(session, artifacts, kind)
        finally:
            if app:
                app.kill()
            if im:
                im.close()
            bus.close()
    test.__name__ = f"test_japanese_through_{kind}"
    return test


def typing_and_commands(s, artifacts, kind):
    app = s.app
    # Converted and committed: lands once, and counts as typing.
    s.romaji("nihongo")
    app.key("space", "Return")
    s.settled("日本語", "committed kanji")
    check(s.caret() == 3, f"caret after the kanji: {s.caret()}")
    check(s.enabled("タグ"), "committed text enabled the Tags menu")

    # A wrap command on the committed text; the page skeleton around it
    # enables Save.
    app.key("ctrl+a")
    s.press("ボールド")
    s.settled("<B>日本語</B>", "bold around the kanji")
    s.press("基本タグ")
    page = s.document()
    check("<PRE>\n<B>日本語</B>\n" in page, f"the page: {page!r}")
    app.key("ctrl+End")
    path = save_as(s, "ime page.html")
    check(saved(path) == crlf(page) + "\r\n", f"saved {saved(path)!r}")

    # A point command while a composition is pending: the composition goes in
    # once, the tag after it, and nothing is left composing for the next key.
    s.romaji("kanji")
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
    s.romaji("nihongo")
    app.key("space")
    time.sleep(0.5)
    app.screenshot(f"{artifacts}/ime-{kind}-conversion-pending.png")
    s.press("上書き保存")
    page += "日本語"
    s.settled(page, "the conversion committed by Save")
    check(saved(path) == crlf(page) + "\r\n", f"saved {saved(path)!r}")

    # The close box with only a composition changed since Save: the question
    # is asked, and No keeps the text, composition included.
    s.romaji("desu")
    app.close_box()
    question = app.wait_dialog()
    app.x("windowfocus", "--sync", question)
    app.key("Escape")  # No
    check(app.dialog_gone(), "the question closed")
    check(not app.ended(1), "No keeps the window")
    s.settled(page + "です", "the text the question was about")


if __name__ == "__main__":
    kinds = [arg.removeprefix("--im=") for arg in sys.argv[1:] if arg.startswith("--im=")] or ["ibus"]
    sys.argv = [arg for arg in sys.argv if not arg.startswith("--im=")]
    main([test_japanese_through_the_input_method(kind) for kind in kinds])
