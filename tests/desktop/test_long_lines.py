#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""A line too long to lay out whole stands in pieces, a row each; to the user
it is one line. Clicks, a drag and keys through the X server, each given to
the editor and to a plain QPlainTextEdit beside it with the same page, must
come out the same, down to the saved bytes; and where the accessibility bus
says a character is, the screen must show it."""
import os

from harness import PlainWidget, check, expect, find_accessible, main, pixels, wait_for, with_bus

LONG_LINE = 4096
PIECE = 128
# 600-letter words after a '>' that is early in the first piece: nothing
# moves a cut, so the pieces are cut every 128 characters from the line's start.
WORDS = "<P>" + " ".join(chr(97 + i % 26) * 600 for i in range(28))
END = "\n<!-- end -->\n"


def row_of(page, offset):
    """The row of the character at offset, on a page whose long lines are cut
    every PIECE characters, with the view at the top."""
    row = 0
    for line in page.split("\n"):
        long = len(line) > LONG_LINE
        if offset <= len(line):
            return row + (offset // PIECE if long else 0)
        row += -(-len(line) // PIECE) if long else 1
        offset -= len(line) + 1
    raise ValueError(offset)


class Editor:
    """The editor with a page opened, as the test sees it: offsets and text
    over the accessibility bus, clicks and keys through the X server."""

    def __init__(self, app, tree, page):
        from gi.repository import Atspi
        self.app, self.page, self.screen = app, page, Atspi.CoordType.SCREEN
        self.area = find_accessible(tree, "text", "本文")
        self.text = self.area.get_text_iface()

    def __getattr__(self, name):  # keys and clicks
        return getattr(self.app, name)

    def document(self):
        return self.text.get_text(0, -1)

    def selection(self):
        first = self.text.get_selection(0) if self.text.get_n_selections() else None
        return [first.start_offset, first.end_offset] if first else [self.text.get_caret_offset()] * 2

    def point(self, n, fraction=0.5):
        """Fraction of the way across character n, mid-row. The bus's extents
        give the column; the row is counted down from the first row, which
        the bus places right (where it places the others is a test of its
        own), a character's height a row: the Mincho face has no leading."""
        box, first = (self.text.get_character_extents(o, self.screen) for o in (n, 0))
        return box.x + round(box.width * fraction), first.y + first.height * row_of(self.page, n) + first.height // 2


def with_page(page, plain=True):
    """Runs test(editor, plain widget, artifacts) with page opened in the editor,
    on the accessibility bus, and in a plain widget beside it."""
    def wrap(test):
        def wrapped(app, tree, artifacts):
            path = os.path.join(app.home, "page.html")
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(page.replace("\n", "\r\n"))
            app.focus()
            app.open("page.html")
            editor = Editor(app, tree, page)
            expect(editor.document, page, "the page as opened")
            other = PlainWidget(app.display, path) if plain else None
            try:
                test(editor, other, artifacts)
            finally:
                if other:
                    other.kill()
        wrapped.__name__ = test.__name__
        return with_bus(wrapped)
    return wrap


# (clicks, what a plain widget selects): a press far off first, so that the
# clicks begin a count of their own, on a character 10 after a cut in a word.
CLICKS = [(2, "the word"), (3, "the line and its line end")]
FAR, ON = 12 * PIECE + 20, 5 * PIECE + 10


@with_page(WORDS + END)
def test_double_and_triple_click_select_as_a_plain_widget(editor, plain, artifacts):
    for widget in (editor, plain):
        widget.click(widget.point(FAR, 0.25))
    # Both clicked where they were meant to: the caret is in front of the character.
    expect(lambda: (editor.selection(), plain.state()["selection"]), ([FAR, FAR], [FAR, FAR]), "a click at FAR")
    wrong = []
    for count, what in CLICKS:
        for widget in (editor, plain):
            widget.click(widget.point(FAR, 0.25))
            widget.click(widget.point(ON), count)
        want = plain.state()["selection"]
        got = wait_for(editor.selection, lambda s: s == want, timeout=3)
        if got != want:
            wrong.append(f"{count} clicks at {ON} select {got}, a plain widget {what} {want}")
    editor.app.screenshot(f"{artifacts}/long-line-triple-click.png")
    check(not wrong, "; ".join(wrong))


def tab(widget):
    widget.focus()
    widget.key("Tab")


def drag_move(widget):
    # From inside the selection to three rows down in the editor, outside it.
    widget.drag(widget.point(3 + 20), widget.point(3 + 3 * PIECE + 10, 0.25))


def edit_from_the_line_start(gesture):
    """A test: gesture over a selection from a long line's start to its first
    cut, then a save; the bytes are those of a plain widget given the same."""
    @with_page("ab\n" + WORDS + END)
    def test(editor, plain, artifacts):
        # Down from the short line above, then down a row: the next piece's start.
        editor.app.key("ctrl+Home", "Down", "Home", "shift+Down")
        expect(editor.selection, [3, 3 + PIECE], "the selection from the line's start to the cut")
        plain.select(3, 3 + PIECE)
        for widget in (editor, plain):
            gesture(widget)
        # The save's keys come after the gesture; the widget said what it took.
        saved = editor.app.save(os.path.join(editor.app.home, "page.html"))
        expected = plain.state()["text"].replace("\n", "\r\n").encode()
        check(expected != editor.page.replace("\n", "\r\n").encode(), "the plain widget changed")
        at = next((i for i, (a, b) in enumerate(zip(saved, expected)) if a != b), min(len(saved), len(expected)))
        check(saved == expected, f"saved {len(saved)} bytes, a plain widget's {len(expected)}; from byte {at}: "
              f"{saved[max(0, at - 8):at + 12]!r}, expected {expected[max(0, at - 8):at + 12]!r}")
    test.__name__ = f"test_{gesture.__name__}_from_the_line_start_to_a_cut_keeps_the_line_end"
    return test


# (row, column, character): the one glyph in its columns on the screen, so
# that a box on another row holds none of its ink; none in the first two
# columns, where the caret and the scroll bar's arrow are. Rows 0 to 3 are
# short lines; from row 4 on, the pieces of a line of spaces.
MARKS = [(0, 2, "A"), (2, 4, "W"), (3, 7, "日"), (5, 10, "M"), (9, 13, "#"), (14, 16, "@")]


def marked_page():
    lines, long = [""] * 4, [" "] * (LONG_LINE + 100)
    for row, column, ch in MARKS:
        if row < 4:
            lines[row] = " " * column + ch
        else:
            long[(row - 4) * PIECE + column] = ch
    return "\n".join(lines + ["".join(long)]) + END


def offset_of(page, row, column):
    return next(o for o in range(len(page)) if row_of(page, o) == row) + column


@with_page(marked_page(), plain=False)
def test_character_extents_are_where_the_screen_shows_them(editor, plain, artifacts):
    area = editor.area.get_component_iface().get_extents(editor.screen)
    # Dark pixels: glyphs, not the frame, the scroll bars or the marks in the margin.
    ink = lambda gray, x0, x1: [y for y in range(3, area.height - 3) for x in range(x0 - area.x, x1 - area.x)
                                if gray[y * area.width + x] < 96]
    marks = [(ch, offset_of(editor.page, row, column)) for row, column, ch in MARKS]
    boxes = {o: editor.text.get_character_extents(o, editor.screen) for _, o in marks}
    gray = wait_for(lambda: pixels(editor.app, area, "gray"),
                    lambda g: all(ink(g, boxes[o].x, boxes[o].x + boxes[o].width) for _, o in marks))
    editor.app.screenshot(f"{artifacts}/long-line-marks.png")
    wrong = []
    for ch, o in marks:
        box = boxes[o]
        ys = ink(gray, box.x, box.x + box.width)
        if not ys:
            wrong.append(f"{ch} ({o}): box {box.x},{box.y} {box.width}x{box.height}, no ink in its columns")
            continue
        top, bottom = area.y + min(ys), area.y + max(ys)
        if not box.y <= top <= bottom < box.y + box.height:
            wrong.append(f"{ch} ({o}): box {box.x},{box.y} {box.width}x{box.height}, ink at y {top}-{bottom}")
        at = editor.text.get_offset_at_point(box.x + box.width // 2, (top + bottom) // 2, editor.screen)
        if at != o:
            wrong.append(f"{ch} ({o}): the offset at its middle is {at}")
    check(not wrong, "; ".join(wrong))


if __name__ == "__main__":
    main([test_double_and_triple_click_select_as_a_plain_widget,
          edit_from_the_line_start(tab),
          edit_from_the_line_start(drag_move),
          test_character_extents_are_where_the_screen_shows_them])
