#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The real Qt file dialog and input box, answered from the keyboard: a name
typed and Enter, or Escape."""
import os

from harness import App, check, expect, main

TAGS = 1


def new_document(app):
    """New; afterwards 基本タグ is disabled, and keyboard navigation skips it,
    so the Tags menu opens on ジャンプとリンク."""
    app.menu(0, (0, "enter"))  # ファイル > 新規作成
    app.focus()
    app.key("ctrl+End")


def answer(app, typed=None):
    """Answers the dialog that opens: types a name and Enter, or Escape."""
    app.wait_dialog()
    if typed is None:
        app.key("Escape")
    else:
        app.key("ctrl+a")
        app.type(typed)
        app.key("Return")
    check(app.dialog_gone(), "the dialog closed")
    app.focus()


def test_file_dialog_name_and_escape(binary, display, artifacts):
    app = App(display, binary)
    home = app.home
    for name in ("page.htm", "menu.htm"):
        open(os.path.join(home, name), "w").close()
    try:
        new_document(app)
        # タグ > ジャンプとリンク > ハイパーリンク > 他ファイルへ
        app.menu(TAGS, (0, "right"), (0, "right"), (0, "enter"))
        answer(app, "page.htm")
        expect(app.clipboard, f'<A HREF="{home}/page.htm">   </A>'.encode(), "link")
        # タグ > 画面分割 > 表示ファイル: opens on the HTML list.
        app.menu(TAGS, (4, "right"), (2, "enter"))
        app.wait_dialog()
        app.screenshot(f"{artifacts}/frame-file-dialog.png")
        app.key("ctrl+a")
        app.type("menu.htm")
        app.key("Return")
        check(app.dialog_gone(), "the dialog closed")
        expect(app.clipboard, f'<FRAME SRC="{home}/menu.htm" NAME="" RESIZE>\r\n'.encode(), "frame")
        # タグ > イメージ, then Escape: the earlier name must not come back.
        app.focus()
        app.menu(TAGS, (1, "enter"))
        answer(app, None)
        expect(app.clipboard, b'<IMG SRC="" BORDER=0>\r\n', "image")
    finally:
        app.kill()


def test_input_box_address_and_escape(binary, display, artifacts):
    app = App(display, binary)
    try:
        new_document(app)
        # タグ > ジャンプとリンク > ハイパーリンク > URL
        app.menu(TAGS, (0, "right"), (0, "right"), (1, "enter"))
        dialog = app.wait_dialog()
        check(app.x("getwindowname", dialog).strip() == "アドレス入力", "input box title")
        app.screenshot(f"{artifacts}/address-box.png")
        app.type("example.jp")
        app.key("Return")
        check(app.dialog_gone(), "the input box closed")
        expect(app.clipboard, b'<A HREF="http://example.jp">   </A>', "url")
        app.focus()
        app.menu(TAGS, (0, "right"), (0, "right"), (1, "enter"))
        answer(app, None)
        expect(app.clipboard, b'<A HREF="http://">   </A>', "cancelled url")
    finally:
        app.kill()


if __name__ == "__main__":
    main([test_file_dialog_name_and_escape, test_input_box_address_and_escape])
