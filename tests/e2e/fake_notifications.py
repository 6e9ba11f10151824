#!/usr/bin/python3
# A stand-in for the desktop's notification service on a private session bus. Writes one JSON
# line per Notify call to LOG, and emits ActionInvoked for the last notification when its test
# method io.github.gremlok.FakeNotifications.Invoke(key) is called (what a click would do).
# Usage: fake_notifications.py LOG [CAPABILITY,...]   (default: actions,body)
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

IFACE = "org.freedesktop.Notifications"
log_path = sys.argv[1]
capabilities = sys.argv[2].split(",") if len(sys.argv) > 2 and sys.argv[2] else ["actions", "body"]


class Server(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.last = 0

    @dbus.service.method(IFACE, out_signature="as")
    def GetCapabilities(self):
        return capabilities

    @dbus.service.method(IFACE, out_signature="ssss")
    def GetServerInformation(self):
        return ("fake", "gremlok-tests", "1", "1.2")

    @dbus.service.method(IFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        self.last += 1
        with open(log_path, "a") as f:
            f.write(json.dumps({"app": str(app), "icon": str(icon), "summary": str(summary),
                                "body": str(body), "actions": [str(a) for a in actions],
                                "hints": sorted(str(k) for k in hints), "timeout": int(timeout)}) + "\n")
        return self.last

    @dbus.service.method(IFACE, in_signature="u")
    def CloseNotification(self, nid):
        self.NotificationClosed(nid, 3)

    @dbus.service.signal(IFACE, signature="us")
    def ActionInvoked(self, nid, key):
        pass

    @dbus.service.signal(IFACE, signature="uu")
    def NotificationClosed(self, nid, reason):
        pass

    @dbus.service.method("io.github.gremlok.FakeNotifications", in_signature="s")
    def Invoke(self, key):
        self.ActionInvoked(self.last, key)


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
server = Server(bus)
name = dbus.service.BusName(IFACE, bus)
print("ready", flush=True)
GLib.MainLoop().run()
