#!/usr/bin/python3
"""The preferences follow the desktop's light or dark: a stand-in desktop portal on the test's
own session bus says dark, and the real program's preferences window is dark; the portal then
says light, and the open window turns light. Run under scripts/with-display --own."""
import os
import subprocess
import sys
import tempfile

from gi.repository import Gio, GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from testhome import isolated_env, wait_for  # noqa: E402

ORVANE = os.path.abspath(sys.argv[1])
PORTAL_XML = """<node><interface name="org.freedesktop.portal.Settings">
<method name="Read"><arg type="s" direction="in"/><arg type="s" direction="in"/>
<arg type="v" direction="out"/></method>
<signal name="SettingChanged"><arg type="s"/><arg type="s"/><arg type="v"/></signal>
</interface></node>"""
DARK, LIGHT = 1, 2


class Portal:
    def __init__(self, scheme):
        self.scheme = scheme
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        node = Gio.DBusNodeInfo.new_for_xml(PORTAL_XML)
        self.bus.register_object("/org/freedesktop/portal/desktop", node.interfaces[0],
                                 self._call, None, None)
        Gio.bus_own_name_on_connection(self.bus, "org.freedesktop.portal.Desktop", 0, None, None)

    def _call(self, conn, sender, path, iface, method, params, invocation):
        group, key = params.unpack()
        if (group, key) != ("org.freedesktop.appearance", "color-scheme"):
            invocation.return_dbus_error("org.freedesktop.portal.Error.NotFound", "no such key")
            return
        # As the portal answers Read: the value inside one variant more.
        invocation.return_value(GLib.Variant("(v)", (GLib.Variant("v", GLib.Variant(
            "u", self.scheme)),)))

    def change(self, scheme):
        self.scheme = scheme
        self.bus.emit_signal(None, "/org/freedesktop/portal/desktop",
                             "org.freedesktop.portal.Settings", "SettingChanged",
                             GLib.Variant("(ssv)", ("org.freedesktop.appearance", "color-scheme",
                                                    GLib.Variant("u", scheme))))
        self.bus.flush_sync(None)

    def pump(self, predicate, timeout):
        context = GLib.MainContext.default()
        return wait_for(lambda: [context.iteration(False) for _ in range(20)] and predicate(),
                        timeout)


def brightness(window):
    """The window's mean grey, 0 (black) to 1 (white), as the X server shows it."""
    out = subprocess.run(["import", "-window", window, "-colorspace", "Gray", "-format",
                          "%[fx:mean]", "info:"], capture_output=True, text=True, timeout=20)
    try:
        return float(out.stdout.strip())
    except ValueError:
        return None


def preferences():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                            "^Orvane Preferences$"], capture_output=True, text=True).stdout.split()
    return found[0] if found else None


def main():
    portal = Portal(DARK)
    failures = []

    def check(what, ok, detail=""):
        print(("ok   " if ok else "FAIL ") + what + ("" if ok else "  " + str(detail)), flush=True)
        if not ok:
            failures.append(what)

    with tempfile.TemporaryDirectory(prefix="orvane-scheme-") as home:
        os.makedirs(os.path.join(home, "Desktop"))
        orvane = subprocess.Popen([ORVANE], env=isolated_env(home, QT_QPA_PLATFORM="xcb"),
                                  stdout=subprocess.DEVNULL)
        try:
            window = portal.pump(preferences, 30)
            check("the preferences open", bool(window))
            if window:
                level = portal.pump(lambda: (b := brightness(window)) is not None and b < 0.35
                                    and b, 15)
                check("dark while the portal says dark", bool(level), brightness(window))
                portal.change(LIGHT)
                level = portal.pump(lambda: (b := brightness(window)) is not None and b > 0.65
                                    and b, 15)
                check("light once it says light", bool(level), brightness(window))
        finally:
            orvane.terminate()
            orvane.wait(10)
    if failures:
        sys.exit("FAIL: " + ", ".join(failures))
    print("all passed")


if __name__ == "__main__":
    main()
