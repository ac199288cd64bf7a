#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The editor as assistive technology and the screen see it: the menu tree on
the accessibility bus, commands pressed through it, the window centred on
screens of several sizes."""
import os
import threading

from harness import HERE, centred_on, check, expect, find_accessible, main, wait_for, with_bus


def designed_menus():
    """(depth, caption, enabled at start-up) of every item of the designed menu
    tree, in menu order; separators are left out, as the bus names none."""
    rows = []
    with open(os.path.join(HERE, "..", "..", "src", "app", "menu-tree.tsv"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            control, parent, caption, start = line.rstrip("\n").split("\t")
            rows.append((control, parent, caption, start == "on"))
    depth = {"": -1}
    menus = []
    for control, parent, caption, on in rows:
        depth[control] = depth[parent] + 1
        if caption != "-":
            menus.append((depth[control], caption, on))
    return menus


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


@with_bus
def test_on_the_accessibility_bus(app, tree, artifacts):
    menu_tree_as_designed(tree)
    commands_pressed_through_the_bus(app, tree, artifacts)
    long_line_read_as_one(app, tree)


def menu_tree_as_designed(tree):
    items = menu_items(tree)
    designed = designed_menus()
    check([(d, n) for d, n, _, _ in items] == [(d, n) for d, n, _ in designed],
          "menu tree on the bus:\n" + "\n".join(f"{d} {n}" for d, n, _, _ in items))
    for (depth, name, enabled, _), (_, _, expected) in zip(items, designed):
        check(enabled == expected, f"{name}: enabled {enabled} at start-up")


def commands_pressed_through_the_bus(app, tree, artifacts):
    app.focus()
    app.type("title")
    app.key("ctrl+a")
    items = {(d, n): node for d, n, _, node in menu_items(tree)}
    expect(lambda: menu_items(tree)[6][2], True, "typing enabled the Tags menu")
    # The command goes over the bus, the keys through the X server: wait until
    # the selection the keys made is there.
    text = find_accessible(tree, "text", "本文")
    expect(lambda: selection(text), (0, 5), "ctrl+a selected the text")
    h2 = items[(2, "H2")]
    h2.get_action_iface().do_action(0)
    expect(app.clipboard, b"<H2>title</H2>", "clipboard")
    # A command that opens a modal box: press it without waiting for the answer.
    threading.Thread(target=lambda: items[(1, "バージョン")].get_action_iface().do_action(0), daemon=True).start()
    app.wait_window("^Version$")
    app.wait_dialog()
    app.screenshot(f"{artifacts}/version-box.png")
    app.key("Return")
    check(not wait_for(lambda: app.windows("^Version$"), lambda found: not found), "the version box closed")


def long_line_read_as_one(app, tree):
    """A minified page, opened from a file: its one line, longer than the
    window shows in one piece, reads and counts over the bus as the file
    holds it."""
    line = "".join(f'<P CLASS="p{i}">日本語の段落 {i}</P>' for i in range(200))
    page = line + "\r\n<!-- end -->\r\n"
    check(len(line) > 4096, "one line of more than 4096 characters")
    with open(os.path.join(app.home, "minified.html"), "w", encoding="utf-8", newline="") as f:
        f.write(page)
    app.focus()
    app.menu(0, (1, "enter"))  # 開く
    app.wait_dialog()
    app.key("ctrl+a")
    app.type("minified.html")
    app.key("Return")
    check(app.dialog_gone(), "the file dialog closed")
    app.focus()
    text = find_accessible(tree, "text", "本文").get_text_iface()
    expect(lambda: text.get_text(0, -1), page.replace("\r\n", "\n"), "the page as the bus reads it")
    app.key("ctrl+End")
    expect(lambda: (text.get_caret_offset(), text.get_character_count()), (len(page) - 2, len(page) - 2),
           "the caret after ctrl+End, at the end of the text")
    # A screen reader keeps its copy of the text from the change events: typed
    # keys mid-line, across the pieces, tell it the same text the bus reads.
    from gi.repository import Atspi, GLib
    heard = [text.get_text(0, -1)]

    def changed(event):
        at, length = event.detail1, event.detail2
        if event.type.endswith(":insert"):
            heard[0] = heard[0][:at] + event.any_data + heard[0][at:]
        elif event.type.endswith(":delete"):
            heard[0] = heard[0][:at] + heard[0][at + length:]

    listener = Atspi.EventListener.new(changed)
    listener.register("object:text-changed")

    def told():
        while GLib.MainContext.default().iteration(False):
            pass
        return heard[0]

    text.set_caret_offset(3000)
    app.type("ab")
    app.key("BackSpace", "Delete", "Return")
    app.type("c")
    expected = text.get_text(0, -1)
    check(expected != page.replace("\r\n", "\n"), "the keys changed the text")
    wait_for(told, lambda t: t == expected)
    got = told()
    at = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b), min(len(got), len(expected)))
    check(got == expected, f"the text the change events tell, from offset {at}: "
          f"{got[at - 20:at + 30]!r}, expected {expected[at - 20:at + 30]!r}")
    listener.deregister("object:text-changed")


def selection(text):
    if text.get_text_iface().get_n_selections() == 0:
        return None
    first = text.get_text_iface().get_selection(0)
    return first.start_offset, first.end_offset


if __name__ == "__main__":
    main([test_on_the_accessibility_bus, centred_on(1024, 768), centred_on(1920, 1080)])
