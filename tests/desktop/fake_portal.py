#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The desktop portal's logout inhibitor, as far as a test needs it: it owns
org.freedesktop.portal.Desktop on the session bus it is started on, answers
each Inhibit with a request of its own, and prints one line per call:
"inhibit FLAGS REASON" and "close" when a request is let go. It prints
"ready" once it owns its name."""
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib

INHIBIT = """<node><interface name="org.freedesktop.portal.Inhibit">
  <method name="Inhibit"><arg type="s" direction="in"/><arg type="u" direction="in"/>
    <arg type="a{sv}" direction="in"/><arg type="o" direction="out"/></method>
</interface></node>"""
REQUEST = """<node><interface name="org.freedesktop.portal.Request">
  <method name="Close"/>
</interface></node>"""

# The requests held, by object path: what register_object gave for each.
held = {}
made = 0


def say(line):
    print(line, flush=True)


def on_close(connection, sender, path, interface, method, args, invocation):
    say("close")
    connection.unregister_object(held.pop(path))
    invocation.return_value(None)


def on_inhibit(connection, sender, path, interface, method, args, invocation):
    global made
    window, flags, options = args.unpack()
    say(f"inhibit {flags} {options.get('reason', '')}")
    made += 1
    handle = f"/org/freedesktop/portal/desktop/request/test/r{made}"
    info = Gio.DBusNodeInfo.new_for_xml(REQUEST).interfaces[0]
    held[handle] = connection.register_object(handle, info, on_close, None, None)
    invocation.return_value(GLib.Variant("(o)", (handle,)))


def main():
    connection = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    info = Gio.DBusNodeInfo.new_for_xml(INHIBIT).interfaces[0]
    connection.register_object("/org/freedesktop/portal/desktop", info, on_inhibit, None, None)
    Gio.bus_own_name_on_connection(connection, "org.freedesktop.portal.Desktop", Gio.BusNameOwnerFlags.NONE,
                                   lambda *_: say("ready"), lambda *_: sys.exit("name taken"))
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
