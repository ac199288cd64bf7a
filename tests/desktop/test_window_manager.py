#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The editor under a window manager that frames windows (openbox): the
window centred by its outer frame, caption included, and the close box of
the frame asking the question."""
from harness import App, FramedDisplay, centred_on, check, expect, main, run, wait_for


def test_close_box_of_the_frame_asks(binary, display, artifacts):
    app = App(display, binary)
    try:
        # Moved by the window manager, as a drag of the caption does: the
        # window stays there from now on.
        check(wait_for(app.frame_extents), "the window manager framed the window")
        run("wmctrl", "-i", "-r", app.window, "-e", "1,40,30,-1,-1", env=app.env)  # 1: the frame's corner
        expect(lambda: app.frame()[:2], (40, 30), "the window moved")
        app.focus()
        app.type("keep")
        # The question put away without an answer is a No: by Escape, and by
        # the close box of its own frame.
        for way in ("Escape", "close box"):
            app.close_box()
            box = app.wait_dialog()
            check(len(app.windows("^Marquetrix$")) >= 2, "the question box appears beside the window")
            if way == "Escape":
                app.key("Escape")
            else:
                run("wmctrl", "-i", "-c", box, env=app.env)
            check(app.dialog_gone(), f"{way}: the question box closed")
            check(app.proc.poll() is None, f"{way}: the program is still there")
            app.focus()
            app.key("ctrl+a", "ctrl+c")
            expect(app.clipboard, b"keep", f"{way}: text kept")
        check(app.frame()[:2] == (40, 30), f"the window stays where the user put it, not at {app.frame()}")
        app.close_box()
        app.wait_dialog()
        app.key("Return")  # Yes
        check(app.ended(5), "Yes ends the program")
    finally:
        app.kill()


if __name__ == "__main__":
    main([centred_on(1024, 768), centred_on(1920, 1080), test_close_box_of_the_frame_asks], session=FramedDisplay)
