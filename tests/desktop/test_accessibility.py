#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The editor as assistive technology and the screen see it: the menu tree on
the accessibility bus, commands pressed through it, the window centred on
screens of several sizes."""
import os
import threading
import time

from harness import App, Bus, Display, accessible_tree, main

# (depth, caption) in menu order; separators are left out, as the bus names none.
MENUS = [
    (0, "ファイル"), (1, "新規作成"), (1, "開く"), (1, "上書き保存"), (1, "名前を付けて保存"), (1, "終了"),
    (0, "タグ"), (1, "基本タグ"), (1, "ジャンプとリンク"), (2, "ハイパーリンク"), (3, "他ファイルへ"), (3, "URL"),
    (2, "ジャンプ"), (2, "ネーム"), (2, "先頭へ"), (1, "イメージ"), (1, "フォント"), (2, "サイズ"),
    (3, "=7"), (3, "=6"), (3, "=5"), (3, "=4"), (3, "=3"), (3, "=2"), (3, "=1"), (2, "色"), (3, "赤"),
    (3, "青"), (3, "灰色"), (3, "蛍光緑"), (2, "ボールド"), (2, "イタリック"), (2, "アンダーライン"),
    (2, "ストライク"), (1, "ヘッダ"), (2, "H1"), (2, "H2"), (2, "H3"), (2, "H4"), (2, "H5"), (2, "H6"),
    (1, "画面分割"), (2, "上下分割"), (2, "左右分割"), (2, "表示ファイル"), (2, "ベース ターゲット"),
    (1, "リスト"), (1, "区切り線"), (1, "プレフォーマット"), (1, "センター"), (1, "ブレイク<BR>"),
    (1, "パラグラフ<P>"), (1, "アドレス"), (1, "コメント"),
    (0, "ブラウザ"), (1, "ブラウザ表示"),
    (0, "ヘルプ"), (1, "ヘルプ"), (1, "バージョン"),
]
DISABLED_AT_START = {"上書き保存", "名前を付けて保存", "タグ", "ブラウザ表示"}


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def menu_items(node, depth=0, out=None):
    """(depth, name, enabled, node) of every menu item under node, in order."""
    from gi.repository import Atspi
    out = [] if out is None else out
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        role = child.get_role()
        if role == Atspi.Role.MENU_ITEM or role == Atspi.Role.MENU:
            enabled = child.get_state_set().contains(Atspi.StateType.ENABLED)
            out.append((depth, child.get_name(), enabled, child))
            menu_items(child, depth + 1, out)
        elif role in (Atspi.Role.POPUP_MENU, Atspi.Role.MENU_BAR, Atspi.Role.FRAME):
            menu_items(child, depth, out)
    return out


def with_bus(test):
    """Runs test(app, items, artifacts) with the editor on the accessibility bus."""
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


# The accessibility library keeps its first bus for the life of the process,
# so everything on the bus happens in this one test.
@with_bus
def test_on_the_accessibility_bus(app, tree, artifacts):
    menu_tree_as_designed(tree)
    commands_pressed_through_the_bus(app, tree, artifacts)


def menu_tree_as_designed(tree):
    items = menu_items(tree)
    check([(d, n) for d, n, _, _ in items] == MENUS,
          "menu tree on the bus:\n" + "\n".join(f"{d} {n}" for d, n, _, _ in items))
    for depth, name, enabled, _ in items:
        expected = name not in DISABLED_AT_START
        check(enabled == expected, f"{name}: enabled {enabled} at start-up")


def commands_pressed_through_the_bus(app, tree, artifacts):
    app.focus()
    app.type("title")
    app.key("ctrl+a")
    items = {(d, n): node for d, n, _, node in menu_items(tree)}
    time.sleep(0.3)
    check(menu_items(tree)[6][2], "typing enabled the Tags menu")
    h2 = items[(2, "H2")]
    h2.get_action_iface().do_action(0)
    time.sleep(0.5)
    check(app.clipboard() == b"<H2>title</H2>", f"clipboard: {app.clipboard()!r}")
    # A command that opens a modal box: press it without waiting for the answer.
    threading.Thread(target=lambda: items[(1, "バージョン")].get_action_iface().do_action(0), daemon=True).start()
    app.wait_window("^Version$")
    app.screenshot(f"{artifacts}/version-box.png")
    app.key("Return")
    time.sleep(0.3)
    check(not app.windows("^Version$"), "the version box closed")


def centred_on(width, height):
    def test(binary, display, artifacts):
        screen = Display(width, height)
        try:
            app = App(screen, binary)
            try:
                x, y, w, h = app.geometry()
                check(abs(x - (width - w) / 2) <= 1 and abs(y - (height - h) / 2) <= 1,
                      f"{width}x{height}: window at {x},{y} size {w}x{h}")
            finally:
                app.kill()
        finally:
            screen.close()
    test.__name__ = f"test_centred_on_{width}x{height}"
    return test


if __name__ == "__main__":
    main([test_on_the_accessibility_bus, centred_on(1024, 768), centred_on(1920, 1080)])
