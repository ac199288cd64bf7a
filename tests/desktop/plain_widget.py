#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""A plain QPlainTextEdit of the Qt the editor runs on (Debian's PyQt6 links
the same libraries), holding a page from a file: the toolkit's own widget, to
be given the same clicks and keys as the editor. Its line wraps at its width,
so that every place a test clicks is on screen at once.

  plain_widget.py PAGE X Y WIDTH HEIGHT

Once it shows, prints {"window": ID}; then answers each line of its input
with one JSON line, once it has taken every click and key that the X server
sent it before the line came:
  point N F    the screen point F of the way across character N, mid-row
  state        {"text", "selection": [start, end], "caret"}
  select A B   selects from A to B"""
import json
import sys

from PyQt6.QtCore import QPoint, QSocketNotifier, QThread, QTimer
from PyQt6.QtGui import QGuiApplication, QTextCursor
from PyQt6.QtWidgets import QApplication, QPlainTextEdit

app = QApplication(sys.argv[:1])
edit = QPlainTextEdit()
with open(sys.argv[1], encoding="utf-8", newline="") as f:
    edit.setPlainText(f.read().replace("\r\n", "\n"))
x, y, w, h = map(int, sys.argv[2:6])
edit.setGeometry(x, y, w, h)
edit.setWindowTitle("plain widget")
edit.show()


def cursor(position, anchor=None):
    c = QTextCursor(edit.document())
    c.setPosition(position if anchor is None else anchor)
    if anchor is not None:
        c.setPosition(position, QTextCursor.MoveMode.KeepAnchor)
    return c


def answer(line):
    command, *args = line.split()
    if command == "point":
        n, fraction = int(args[0]), float(args[1])
        box = edit.cursorRect(cursor(n))
        width = edit.fontMetrics().horizontalAdvance(edit.document().characterAt(n))
        return edit.viewport().mapToGlobal(QPoint(box.left() + round(width * fraction), box.center().y()))
    if command == "select":
        edit.setTextCursor(cursor(int(args[1]), int(args[0])))
        return None
    c = edit.textCursor()
    return {"text": edit.toPlainText(), "selection": [c.selectionStart(), c.selectionEnd()], "caret": c.position()}


def read():
    line = sys.stdin.readline()
    if not line:
        app.quit()
        return
    commands.setEnabled(False)
    serve(line)


def serve(line):
    # A drag runs an event loop of its own, and its move is done only once
    # that loop is left.
    if QThread.currentThread().loopLevel() > 1:
        QTimer.singleShot(10, lambda: serve(line))
        return
    QGuiApplication.sync()
    app.processEvents()
    value = answer(line)
    print(json.dumps([value.x(), value.y()] if isinstance(value, QPoint) else value), flush=True)
    commands.setEnabled(True)


commands = QSocketNotifier(sys.stdin.fileno(), QSocketNotifier.Type.Read)
commands.activated.connect(read)


def ready():
    if not edit.windowHandle().isExposed():
        return
    timer.stop()
    print(json.dumps({"window": int(edit.winId())}), flush=True)


timer = QTimer(interval=20, timeout=ready)
timer.start()
app.exec()
