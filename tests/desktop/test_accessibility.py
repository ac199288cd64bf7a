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


# The accessibility library keeps its first bus for the life of the process,
# so everything on the bus happens in this one test.
@with_bus
def test_on_the_accessibility_bus(app, tree, artifacts):
    menu_tree_as_designed(tree)
    commands_pressed_through_the_bus(app, tree, artifacts)


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


def selection(text):
    if text.get_text_iface().get_n_selections() == 0:
        return None
    first = text.get_text_iface().get_selection(0)
    return first.start_offset, first.end_offset


if __name__ == "__main__":
    main([test_on_the_accessibility_bus, centred_on(1024, 768), centred_on(1920, 1080)])
