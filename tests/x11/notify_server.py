"""A desktop notification service of the tests' own on the session bus.

Owns org.freedesktop.Notifications, writes every call it gets to the file named on its
command line (one JSON object a line: Notify with its texts, actions and hints;
CloseNotification), and on a line "invoke ID KEY" on its standard input sends the
ActionInvoked signal, as a person's click on a notice's button makes a real service do.
"""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


class Service(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, PATH)
        self.record = record
        self.next_id = 0

    def write(self, entry):
        with open(self.record, "a", encoding="utf-8") as f:
            f.write(json.dumps(entry) + "\n")

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        if replaces:
            nid = int(replaces)
        else:
            self.next_id += 1
            nid = self.next_id
        self.write({"call": "Notify", "id": nid, "app": str(app), "replaces": int(replaces),
                    "icon": str(icon), "summary": str(summary), "body": str(body),
                    "actions": [str(a) for a in actions],
                    "hints": {str(k): str(v) for k, v in hints.items()},
                    "timeout": int(timeout)})
        return dbus.UInt32(nid)

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def CloseNotification(self, nid):
        self.write({"call": "CloseNotification", "id": int(nid)})
        self.NotificationClosed(nid, dbus.UInt32(3))

    @dbus.service.method(NAME, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body"]

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("orvane-test-notices", "orvane", "1", "1.2")

    @dbus.service.signal(NAME, signature="us")
    def ActionInvoked(self, nid, key):
        pass

    @dbus.service.signal(NAME, signature="uu")
    def NotificationClosed(self, nid, reason):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    service = Service(bus, sys.argv[1])
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    loop = GLib.MainLoop()

    def on_input(source, condition):
        line = sys.stdin.readline()
        if not line:
            loop.quit()
            return False
        words = line.split()
        if len(words) == 3 and words[0] == "invoke":
            service.ActionInvoked(dbus.UInt32(int(words[1])), words[2])
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, on_input)
    print("READY", flush=True)
    loop.run()
    del name


if __name__ == "__main__":
    main()
