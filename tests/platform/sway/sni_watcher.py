#!/usr/bin/python3
"""A StatusNotifierItem host's watcher, as a Wayland desktop's tray has one:
owns org.kde.StatusNotifierWatcher on the session bus and writes each item
registered with it, a line each, to FILE.

    sni_watcher.py FILE
"""
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

WATCHER = "org.kde.StatusNotifierWatcher"
INTROSPECTION = f"""
<node>
  <interface name="{WATCHER}">
    <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
  </interface>
</node>"""
items = []


def call(connection, sender, path, interface, method, parameters, invocation):
    if method == "RegisterStatusNotifierItem":
        item = parameters.unpack()[0]
        items.append(item if item.startswith(":") or item.startswith("org.") else sender)
        with open(sys.argv[1], "a") as out:
            out.write(items[-1] + "\n")
    invocation.return_value(None)


def get(connection, sender, path, interface, name):
    return {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
            "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
            "ProtocolVersion": GLib.Variant("i", 0)}[name]


def acquired(connection, name):
    node = Gio.DBusNodeInfo.new_for_xml(INTROSPECTION)
    connection.register_object("/StatusNotifierWatcher", node.interfaces[0], call, get, None)


Gio.bus_own_name(Gio.BusType.SESSION, WATCHER, Gio.BusNameOwnerFlags.NONE, acquired, None, None)
GLib.MainLoop().run()
