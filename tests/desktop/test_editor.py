#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The editor on a real X server: start-up, tag commands through the real
clipboard, and closing with its question."""
from harness import App, check, expect, main

TAGS = 1  # menu bar index of "タグ"
FILE = 0


def test_start_up_centred(binary, display, artifacts):
    app = App(display, binary)
    try:
        x, y, w, h = app.geometry()
        check(app.title() == "Marquetrix", f"title {app.title()!r}")
        check(w == 486, f"width {w}")
        check(h > 379, f"height {h} holds the 379-pixel text area and the menu bar")
        check(abs(x - (1280 - w) / 2) <= 1 and abs(y - (1024 - h) / 2) <= 1, f"not centred: {x},{y} {w}x{h}")
        app.screenshot(f"{artifacts}/start-up.png")
    finally:
        app.kill()


def test_scaled_twice_is_twice_as_large(binary, display, artifacts):
    plain = App(display, binary)
    try:
        _, _, w1, h1 = plain.geometry()
    finally:
        plain.kill()
    scaled = App(display, binary, extra_env={"QT_SCALE_FACTOR": "2"})
    try:
        x, y, w2, h2 = scaled.geometry()
        check((w2, h2) == (2 * w1, 2 * h1), f"scaled {w2}x{h2}, plain {w1}x{h1}")
        check(x >= 0 and y >= 0 and x + w2 <= 1280 and y + h2 <= 1024, "the scaled window fits the screen")
        scaled.screenshot(f"{artifacts}/scaled-2x.png")
    finally:
        scaled.kill()


def test_tag_commands_fill_the_real_clipboard(binary, display, artifacts):
    app = App(display, binary)
    try:
        app.focus()
        app.type("abc")
        app.key("ctrl+a")
        # タグ > フォント > 色 > 赤
        app.menu(TAGS, (3, "right"), (1, "right"), (0, "enter"))
        expect(app.clipboard, b"<FONT COLOR=#FF0000>\r\nabc\r\n</FONT>", "clipboard after red")
        # Caret after "</FONT>": bold with nothing selected.
        app.menu(TAGS, (3, "right"), (2, "enter"))
        expect(app.clipboard, b"<B>  </B>", "clipboard after bold")
        # What the document holds, copied out by the user.
        app.key("ctrl+a", "ctrl+c")
        expect(app.clipboard, b"<FONT COLOR=#FF0000>\nabc\n</FONT><B>  </B>", "document")
        # One undo takes one command back.
        app.key("ctrl+z", "ctrl+a", "ctrl+c")
        expect(app.clipboard, b"<FONT COLOR=#FF0000>\nabc\n</FONT>", "after undo")
        app.menu(TAGS)  # the Tags menu open, for the record
        app.screenshot(f"{artifacts}/tags-menu.png")
        app.key("Escape", "Escape")
    finally:
        app.kill()


def test_close_box_asks_and_no_keeps_the_window(binary, display, artifacts):
    app = App(display, binary)
    try:
        app.focus()
        app.type("keep")
        app.close_box()
        app.wait_dialog()
        check(len(app.windows("^Marquetrix$")) >= 2, "the question box appears beside the window")
        app.screenshot(f"{artifacts}/close-question.png")
        app.key("Escape")  # No
        check(app.dialog_gone(), "the question box closed")
        check(app.proc.poll() is None, "No keeps the program")
        app.focus()
        app.key("ctrl+a", "ctrl+c")
        expect(app.clipboard, b"keep", "text kept")
        app.close_box()
        app.wait_dialog()
        app.key("Return")  # Yes is the default
        check(app.ended(5), "Yes ends the program")
        check(app.proc.returncode == 0, f"exit code {app.proc.returncode}")
    finally:
        app.kill()


def test_exit_asks_once(binary, display, artifacts):
    app = App(display, binary)
    try:
        app.focus()
        app.type("x")
        # ファイル > 終了 is the last item: up from the first wraps to it.
        app.focus()
        app.key("alt", "Down", "Up", "Return")
        app.wait_dialog()
        app.key("Return")  # Yes
        check(app.ended(5), "Exit with Yes ends the program after one question")
    finally:
        app.kill()


if __name__ == "__main__":
    main([
        test_start_up_centred,
        test_scaled_twice_is_twice_as_large,
        test_tag_commands_fill_the_real_clipboard,
        test_close_box_asks_and_no_keeps_the_window,
        test_exit_asks_once,
    ])
