#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Whole-process start-up, from spawning the program to its first window
being mapped on the X server, for the editor and for a bare Qt window built
by the same project. Runs on its own Xvfb. Usage: startup.py EDITOR BARE [RUNS]"""
import ctypes
import ctypes.util
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "desktop"))
from harness import Display  # noqa: E402

x = ctypes.CDLL(ctypes.util.find_library("X11"))
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x.XPending.argtypes = [ctypes.c_void_p]
x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x.XConnectionNumber.argtypes = [ctypes.c_void_p]
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


def time_to_map(display, binary):
    conn = x.XOpenDisplay(display.name.encode())
    root = x.XDefaultRootWindow(conn)
    x.XSelectInput(conn, root, SUBSTRUCTURE_NOTIFY_MASK)
    event = (ctypes.c_long * 24)()
    while x.XPending(conn):
        x.XNextEvent(conn, event)
    start = time.perf_counter()
    proc = subprocess.Popen([binary], env=display.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = None
    deadline = start + 30
    while elapsed is None and time.perf_counter() < deadline:
        if x.XPending(conn):
            x.XNextEvent(conn, event)
            if ctypes.cast(event, ctypes.POINTER(ctypes.c_int))[0] == MAP_NOTIFY:
                elapsed = time.perf_counter() - start
        else:
            time.sleep(0.0005)
    proc.kill()
    proc.wait()
    return elapsed


def main():
    editor, bare = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    display = Display()
    try:
        time_to_map(display, bare)  # warm the caches for both alike
        time_to_map(display, editor)
        editor_times, bare_times = [], []
        for _ in range(runs):
            bare_times.append(time_to_map(display, bare))
            editor_times.append(time_to_map(display, editor))
    finally:
        display.close()
    e, b = statistics.median(editor_times), statistics.median(bare_times)
    print("\nStart-up to the first shown window (Xvfb, median of %d)" % runs)
    print(f"{'program':28} {'median ms':>10} {'ratio':>7} {'target':>7}")
    print(f"{'bare QMainWindow':28} {b * 1000:10.1f} {1:7.2f}")
    print(f"{'Marquetrix':28} {e * 1000:10.1f} {e / b:7.2f} {'1.1x':>7}{'' if e / b <= 1.1 else ' !'}")


if __name__ == "__main__":
    main()
