#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""A whole session as a person has it, through the X server only: type, tag,
wrap in the skeleton, save as a new file, reopen it, preview it, quit through
the question; and pages written on Windows machines opened and saved back."""
import os
import stat
import tempfile
import urllib.parse

from harness import App, check, expect, file_version, main, read_bytes, rewritten, wait_for

FILE, TAGS, BROWSER = 0, 1, 2
HEAD = "<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<PRE>\r\n"
TAIL = "\r\n\r\n</PRE>\r\n</BODY>\r\n</HTML>"

RECORDER = """#!/bin/sh
printf '%s\\n' "$@" >> "$HOME/opened.log"
"""


def start(display, binary):
    """The editor with a browser that only writes down what it was asked to show."""
    home = tempfile.mkdtemp(prefix="mx-home-")
    recorder = os.path.join(home, "browser.sh")
    with open(recorder, "w") as f:
        f.write(RECORDER)
    os.chmod(recorder, stat.S_IRWXU)
    # No desktop handler for pages is registered in an empty data folder, so
    # xdg-open falls back to BROWSER.
    empty = tempfile.mkdtemp(prefix="mx-data-")
    return App(display, binary, home=home,
               extra_env={"BROWSER": recorder, "XDG_DATA_DIRS": empty, "XDG_DATA_HOME": empty,
                          "XDG_CONFIG_HOME": empty, "XDG_CURRENT_DESKTOP": ""})


def answer_dialog(app, name):
    app.wait_dialog()
    app.key("ctrl+a")
    if name.isascii():
        app.type(name)
    else:
        app.paste(name)
    app.key("Return")
    check(app.dialog_gone(), "the dialog closed")
    app.focus()


def opened(app, count=1):
    """What the browser was asked to show, once it was asked count times."""
    def asked():
        lines = (read_bytes(os.path.join(app.home, "opened.log")) or b"").decode().splitlines()
        return [urllib.parse.unquote(line.removeprefix("file://")) for line in lines if line]
    return wait_for(asked, lambda pages: len(pages) >= count)


def test_a_whole_session(binary, display, artifacts):
    app = start(display, binary)
    try:
        app.focus()
        app.type("Hello")
        app.paste("日本")  # typed non-ASCII keys get lost under load; pasting does not
        app.key("ctrl+a")
        app.menu(TAGS, (3, "right"), (1, "right"), (0, "enter"))  # フォント > 色 > 赤
        app.key("Return")
        app.type("Title")
        app.key("shift+Home")
        app.menu(TAGS, (4, "right"), (0, "enter"))  # ヘッダ > H1
        app.menu(TAGS, (0, "enter"))  # 基本タグ
        body = "<FONT COLOR=#FF0000>\r\nHello日本\r\n</FONT>\r\n<H1>Title</H1>"
        text = HEAD + body + TAIL

        app.menu(FILE, (3, "enter"))  # 名前を付けて保存
        answer_dialog(app, "session page.html")
        path = os.path.join(app.home, "session page.html")
        saved = (text + "\r\n").encode("utf-8")
        expect(lambda: read_bytes(path), saved, "saved bytes")
        expect(app.title, "Marquetrix-" + path, "title")

        app.menu(FILE, (0, "enter"))  # 新規作成
        expect(app.title, "Marquetrix", "New forgets the file")
        app.menu(FILE, (1, "enter"))  # 開く
        answer_dialog(app, "session page.html")
        # The text area's text as the user would copy it (line feeds only).
        app.key("ctrl+a", "ctrl+c")
        expect(app.clipboard, (text + "\r\n").replace("\r\n", "\n").encode("utf-8"), "reopened")
        app.key("ctrl+End")
        expect(app.title, "Marquetrix-" + path, "title after Open")
        app.screenshot(f"{artifacts}/session-reopened.png")

        app.menu(BROWSER, (0, "enter"))  # ブラウザ表示
        check(opened(app) == [path], f"the browser was asked for {opened(app)!r}")
        check(open(path, "rb").read() == saved, "the preview saved the same bytes")

        app.type("!")
        app.close_box()
        app.wait_dialog()
        app.key("Return")  # Yes: quit without saving
        check(app.ended(5), "Yes ends the program")
        check(open(path, "rb").read() == saved, "quitting saved nothing")
    finally:
        app.kill()


def test_preview_of_a_new_page(binary, display, artifacts):
    app = start(display, binary)
    try:
        app.menu(FILE, (0, "enter"))  # 新規作成
        app.menu(BROWSER, (0, "enter"))  # ブラウザ表示: asks for a name first
        answer_dialog(app, "preview page.html")
        path = os.path.join(app.home, "preview page.html")
        check(opened(app) == [path], f"opened {opened(app)!r}")
        check(read_bytes(path) == (HEAD + TAIL + "\r\n").encode(), "skeleton saved")
        app.menu(BROWSER, (0, "enter"))
        check(opened(app, 2) == [path, path], f"a second use opens again: {opened(app)!r}")
    finally:
        app.kill()


def test_pages_from_other_machines_come_back_whole(binary, display, artifacts):
    app = start(display, binary)
    try:
        pages = {
            # Windows Japanese, CR LF, no final line end, with NEC row 13 (① ㈱) and IBM
            # extension characters (髙 FBFC, 﨑 FAB1) at the codes Windows itself writes.
            "日本語 ページ.html": b"<P>\x87\x40\x87\x8a\xfb\xfc\xfa\xb1</P>\r\n<P>"
                                  + "～終わり".encode("cp932"),
            # Linux: UTF-8 with LF.
            "linux.html": "<P>ünïcode ＆ 日本</P>\n<P>end</P>\n".encode("utf-8"),
        }
        for name, data in pages.items():
            with open(os.path.join(app.home, name), "wb") as f:
                f.write(data)
        for name, data in pages.items():
            path = os.path.join(app.home, name)
            app.menu(FILE, (1, "enter"))  # 開く
            answer_dialog(app, name)
            expect(app.title, "Marquetrix-" + path, "title")
            app.screenshot(f"{artifacts}/opened-{len(data)}.png")
            before = file_version(path)
            app.menu(FILE, (2, "enter"))  # 上書き保存
            back = rewritten(path, before)
            check(back == data, f"{name} saved back unchanged: {back!r} != {data!r}")
            app.focus()
            app.key("ctrl+End")
            app.type("x")
            before = file_version(path)
            app.menu(FILE, (2, "enter"))
            after = rewritten(path, before)
            # The caret goes after the last line end; the file keeps ending with one.
            expected = data + b"x\n" if data.endswith(b"\n") else data + b"x"
            check(after == expected, f"{name} after one more character: {after!r}")
    finally:
        app.kill()


if __name__ == "__main__":
    main([test_a_whole_session, test_preview_of_a_new_page, test_pages_from_other_machines_come_back_whole])
