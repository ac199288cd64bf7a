#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The editor without a mouse, keys through the X server: the menus from F10
and from Alt alone, which must show where the keys are, keys that must not
type, and what a screen reader is told the program and its text area are."""
from harness import check, expect, find_accessible, has_state, main, pixels, wait_for, with_bus

DESCRIPTION = "メニューから HTML タグを入れながら、ホームページを手書きで作る HTML エディタ"

# What each key types. No caption has an access key, so Alt with a letter
# reaches nothing and must not type it either; AltGr is another key.
TYPED = [("alt+f", ""), ("alt+shift+t", ""), ("ISO_Level3_Shift+e", "e")]


@with_bus
def test_keyboard_and_screen_reader(app, tree, artifacts):
    from gi.repository import Atspi
    text = find_accessible(tree, "text")
    for what, said, expected in [("the text area's name", text.get_name(), "本文"),
                                 ("the application", tree.get_description(), DESCRIPTION),
                                 ("the window", find_accessible(tree, "frame").get_description(), DESCRIPTION)]:
        check(said == expected, f"{what}: {said!r}")

    document = lambda: text.get_text_iface().get_text(0, -1)
    app.focus()
    app.type("abc")
    expected = "abc"
    for key, typed in TYPED:
        # The X server keeps the order: once the full stop is in, so is what the key typed.
        app.key(key, "period")
        expected += typed + "."
        expect(document, expected, key)

    bar = find_accessible(tree, "menu bar")
    area = bar.get_component_iface().get_extents(Atspi.CoordType.SCREEN)
    plain = pixels(app, area)
    app.key("alt")
    expect(lambda: has_state(find_accessible(bar, "menu item", "ファイル"), "focused"), True, "Alt alone")
    check(wait_for(lambda: pixels(app, area) != plain), "Alt alone shows where the keys are")
    app.screenshot(f"{artifacts}/alt-highlight.png")
    app.key("Escape")
    check(wait_for(lambda: pixels(app, area) == plain), "Escape takes the highlight away")

    app.key("F10")
    expect(lambda: has_state(find_accessible(bar, "menu item", "新規作成"), "focused"), True, "F10 opened ファイル")
    app.screenshot(f"{artifacts}/f10-menu.png")
    app.key("Return")
    expect(lambda: document().startswith("<HTML>"), True, "Return ran 新規作成")


if __name__ == "__main__":
    main([test_keyboard_and_screen_reader])
