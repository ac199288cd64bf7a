#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The editor without a mouse, keys through the X server: the menus from F10
and from Alt alone, which must show where the keys are, keys that must not
type, and what a screen reader is told the program and its text area are."""
import subprocess

from harness import check, expect, main, wait_for, with_bus

DESCRIPTION = "メニューから HTML タグを入れながら、ホームページを手書きで作る HTML エディタ"

# What each key types. No caption has an access key, so Alt with a letter
# reaches nothing and must not type it either; AltGr is another key.
TYPED = [
    ("alt+f", ""),
    ("alt+shift+t", ""),
    ("ISO_Level3_Shift+e", "e"),
]


def find(node, role, name=None):
    """The first accessible of the role (and name) at or under node."""
    if node.get_role() == role and name in (None, node.get_name()):
        return node
    for i in range(node.get_child_count()):
        found = find(node.get_child_at_index(i), role, name)
        if found is not None:
            return found
    return None


def focused(node):
    from gi.repository import Atspi
    return node.get_state_set().contains(Atspi.StateType.FOCUSED)


def pixels(app, area):
    """The screen's RGB bytes over an area in screen coordinates."""
    return subprocess.run(["import", "-window", "root", "-crop", f"{area.width}x{area.height}+{area.x}+{area.y}",
                           "rgb:-"], env=app.env, check=True, timeout=20, stdout=subprocess.PIPE).stdout


@with_bus
def test_keyboard_and_screen_reader(app, tree, artifacts):
    from gi.repository import Atspi
    text = find(tree, Atspi.Role.TEXT)
    check(text.get_name() == "本文", f"the text area is called {text.get_name()!r}")
    check(tree.get_description() == DESCRIPTION, f"the application is described as {tree.get_description()!r}")
    frame = find(tree, Atspi.Role.FRAME)
    check(frame.get_description() == DESCRIPTION, f"the window is described as {frame.get_description()!r}")

    document = lambda: text.get_text_iface().get_text(0, -1)
    app.focus()
    app.type("abc")
    expected = "abc"
    for key, typed in TYPED:
        # The X server keeps the order: once the full stop is in, so is what the key typed.
        app.key(key, "period")
        expected += typed + "."
        expect(document, expected, key)

    bar = find(tree, Atspi.Role.MENU_BAR)
    area = bar.get_component_iface().get_extents(Atspi.CoordType.SCREEN)
    file_menu = find(bar, Atspi.Role.MENU_ITEM, "ファイル")
    plain = pixels(app, area)
    app.key("alt")
    expect(lambda: focused(file_menu), True, "Alt alone put the keys on ファイル")
    check(wait_for(lambda: pixels(app, area) != plain), "Alt alone shows where the keys are")
    app.screenshot(f"{artifacts}/alt-highlight.png")
    app.key("Escape")
    check(wait_for(lambda: pixels(app, area) == plain), "Escape takes the highlight away")

    app.key("F10")
    expect(lambda: focused(find(file_menu, Atspi.Role.MENU_ITEM, "新規作成")), True, "F10 opened ファイル")
    app.screenshot(f"{artifacts}/f10-menu.png")
    app.key("Return")
    expect(lambda: document().startswith("<HTML>"), True, "Return ran 新規作成")


if __name__ == "__main__":
    main([test_keyboard_and_screen_reader])
