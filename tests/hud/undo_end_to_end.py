#!/usr/bin/python3
"""Undo after a trash on the real program, its own Trash, and a stand-in notification server
on the test's own bus (under scripts/with-display --own): the switch, a server without actions,
Undo from the notification, a name taken meanwhile, the Trash emptied, the server restarted."""
import os
import shutil
import sys
import tempfile

from gi.repository import Gio, GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import (Checks, Program, accessible_env, cards, find, press, pump,  # noqa: E402
                     screenshot, settings)

ORVANE = os.path.abspath(sys.argv[1])
SERVER_XML = """<node><interface name="org.freedesktop.Notifications">
<method name="GetCapabilities"><arg type="as" direction="out"/></method>
<method name="Notify"><arg type="s"/><arg type="u"/><arg type="s"/><arg type="s"/>
<arg type="s"/><arg type="as"/><arg type="a{sv}"/><arg type="i"/>
<arg type="u" direction="out"/></method>
<method name="CloseNotification"><arg type="u"/></method>
<method name="GetServerInformation"><arg type="s" direction="out"/><arg type="s" direction="out"/>
<arg type="s" direction="out"/><arg type="s" direction="out"/></method>
<signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
<signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
</interface></node>"""
PATH = "/org/freedesktop/Notifications"
OLD = 1_600_000_000  # the screenshots' time once their card is up


class Server:
    """Answers as a notification server does; keeps every call."""

    def __init__(self):
        self.capabilities = ["body"]
        self.asked, self.shown = 0, []  # shown: (summary, body, actions)
        self.start()

    def start(self):
        """On a connection of its own, so that a restart is a new owner, as a new server is."""
        self.bus = Gio.DBusConnection.new_for_address_sync(
            Gio.dbus_address_get_for_bus_sync(Gio.BusType.SESSION, None),
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
            Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        node = Gio.DBusNodeInfo.new_for_xml(SERVER_XML)
        self.bus.register_object(PATH, node.interfaces[0], self._call, None, None)
        owned = []
        self.name = Gio.bus_own_name_on_connection(self.bus, "org.freedesktop.Notifications", 0,
                                                   lambda *_: owned.append(1), None)
        pump(lambda: owned, 10)

    def restart(self):
        Gio.bus_unown_name(self.name)
        self.bus.close_sync(None)
        self.start()

    def _call(self, conn, sender, path, iface, method, params, invocation):
        if method == "GetCapabilities":
            self.asked += 1
            invocation.return_value(GLib.Variant("(as)", (self.capabilities,)))
        elif method == "Notify":
            _, _, _, summary, body, actions, _, _ = params.unpack()
            self.shown.append((summary, body, actions))
            invocation.return_value(GLib.Variant("(u)", (len(self.shown),)))
        elif method == "GetServerInformation":
            invocation.return_value(GLib.Variant("(ssss)", ("stand-in", "test", "1", "1.2")))
        else:
            invocation.return_value(None)

    def invoke(self, number, key="undo"):
        self.bus.emit_signal(None, PATH, "org.freedesktop.Notifications", "ActionInvoked",
                             GLib.Variant("(us)", (number, key)))
        self.bus.flush_sync(None)


def main():
    server, check = Server(), Checks()
    with tempfile.TemporaryDirectory(prefix="orvane-undo-") as home:
        env = accessible_env(home)
        settings(env, "orvane_autoDismissSeconds=12\norvane_offerUndoAfterTrash=false\n")
        desktop, trash = os.path.join(home, "Desktop"), os.path.join(home, ".local/share/Trash")
        sample = screenshot(os.path.join(home, "sample.png"), "64x40", "gradient:steelblue-navy")
        original = open(sample, "rb").read()
        orvane = Program([ORVANE], env=env)

        def act(name, button):
            """A screenshot `name` on the desktop, its card's `button` pressed; true once the
            card is gone (for Move to Trash: once the Trash answered) and the file with it."""
            shot = os.path.join(desktop, name)
            shutil.copy(sample, shot)
            if not pump(lambda: len(cards()) == 1, 15):
                return False
            os.utime(shot, (OLD, OLD))
            return (pump(lambda: press(find("push button", button)), 10) and
                    pump(lambda: not cards() and not os.path.exists(shot), 15))

        def offered(count):
            return pump(lambda: len(server.shown) >= count, 15) and len(server.shown) == count

        def notice(number):
            return server.shown[number - 1] if len(server.shown) >= number else None

        try:
            if not check("the program starts", orvane.watching()):
                return
            check("switch off: no question to the server",
                  act("off.png", "Move to Trash") and server.asked == 0, server.asked)
            switch = pump(lambda: find("check box", "Offer Undo after trashing") or
                          find("toggle button", "Offer Undo after trashing"), 20)
            conf = os.path.join(env["XDG_CONFIG_HOME"], "orvane", "orvane.conf")
            check("the switch turns on", switch and press(switch) and pump(
                lambda: "orvane_offerUndoAfterTrash=true" in open(conf).read(), 10))

            check("no actions: Copy Only logs why there is no Undo",
                  act("a.png", "Copy Only") and orvane.wait_for_line("Undo after trashing", 15))
            check("no actions: Move to Trash asks again",
                  act("b.png", "Move to Trash") and pump(lambda: server.asked == 2, 10))
            server.capabilities = ["body", "actions"]
            check("Copy Only: one notification with Undo", act("c.png", "Copy Only") and
                  offered(1) and notice(1)[1:] == ("c.png", ["undo", "Undo"]), server.shown)
            check("no actions: no notification and one log line, however many trashes",
                  len(orvane.logged("Undo after trashing is not offered")) == 1, orvane.lines)
            check("Move to Trash: one notification with Undo", act("d.png", "Move to Trash") and
                  offered(2) and notice(2)[1:] == ("d.png", ["undo", "Undo"]), server.shown)

            server.invoke(1)
            back = os.path.join(desktop, "c.png")
            check("Undo: the file is back as it was, with its time", pump(
                lambda: os.path.exists(back), 15) and open(back, "rb").read() == original and
                os.stat(back).st_mtime == OLD)
            check("Undo: its .trashinfo removed, the other kept",
                  sorted(os.listdir(os.path.join(trash, "info"))) ==
                  ["a.png.trashinfo", "b.png.trashinfo", "d.png.trashinfo",
                   "off.png.trashinfo"], os.listdir(os.path.join(trash, "info")))
            check("Undo: one log line", orvane.wait_for_line("Restored from the Trash", 10) and
                  orvane.logged("Restored from the Trash") ==
                  ["[Orvane] Restored from the Trash: " + back], orvane.lines)

            taken = os.path.join(desktop, "d.png")
            with open(taken, "wb") as f:
                f.write(b"someone else's")
            os.utime(taken, (OLD, OLD))
            server.invoke(2)
            renamed = os.path.join(desktop, "d (2).png")
            check("name taken: restored under a new name, said so", offered(3) and
                  notice(3)[0] == "Restored under a new name" and notice(3)[2] == [] and
                  open(renamed, "rb").read() == original, server.shown)
            check("name taken: the other file untouched",
                  open(taken, "rb").read() == b"someone else's")

            check("Copy Only again", act("e.png", "Copy Only") and offered(4))
            os.remove(os.path.join(trash, "files", "e.png"))
            before = sorted(os.listdir(desktop)), sorted(os.listdir(os.path.join(trash, "info")))
            server.invoke(4)
            check("Trash emptied: a notification says it could not be restored",
                  offered(5) and notice(5)[0] == "Could not restore e.png", server.shown)
            check("Trash emptied: nothing else changed", before == (
                sorted(os.listdir(desktop)), sorted(os.listdir(os.path.join(trash, "info")))))

            # The server started anew numbers from 1 again: its notification 6 is not ours.
            check("Copy Only before the server restarts", act("f.png", "Copy Only") and offered(6))
            server.restart()
            server.invoke(6)
            check("after the restart, another program's action undoes nothing",
                  act("g.png", "Copy Only") and offered(7) and
                  not os.path.exists(os.path.join(desktop, "f.png")))
        finally:
            orvane.end()
    check.finish()


if __name__ == "__main__":
    main()
