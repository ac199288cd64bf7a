#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""A clipboard owner that never answers, as a hung clipboard manager or a
frozen remote-desktop client is: it takes CLIPBOARD and PRIMARY and ignores
every request for their contents. With --retake it also takes a selection
back each time another program takes it, until it gets SIGUSR1 (it lets go).
It prints "taken" on each take, and "lost" and the selection's name when it
leaves one to another program."""
import signal
import sys

from Xlib import X, Xatom, display

letting_go = False


def let_go(*_):
    global letting_go
    letting_go = True


def main():
    retake = "--retake" in sys.argv
    signal.signal(signal.SIGUSR1, let_go)
    d = display.Display()
    window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    selections = (d.intern_atom("CLIPBOARD"), Xatom.PRIMARY)
    for selection in selections:
        window.set_selection_owner(selection, X.CurrentTime)
    d.flush()
    print("taken", flush=True)
    while True:
        event = d.next_event()
        # A SelectionRequest is never answered: the requester waits in vain.
        if event.type != X.SelectionClear:
            continue
        if retake and not letting_go:
            window.set_selection_owner(event.atom, X.CurrentTime)
            d.flush()
            print("taken", flush=True)
        else:
            print("lost", d.get_atom_name(event.atom), flush=True)


if __name__ == "__main__":
    main()
