#!/usr/bin/python3
"""The preferences follow the desktop's light or dark: a stand-in desktop portal on the test's
own session bus says dark, and the real program's preferences window is dark; the portal then
says light, and the open window turns light. Run under scripts/with-display --own."""
import os
import sys
import tempfile

from gi.repository import Gio, GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import Checks, home_env, pump, run, start, stop  # noqa: E402

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


def brightness(window):
    """The window's mean grey, 0 (black) to 1 (white), as the X server shows it."""
    try:
        return float(run("import", "-window", window, "-colorspace", "Gray", "-format",
                         "%[fx:mean]", "info:").strip())
    except ValueError:
        return None


def main():
    portal, check = Portal(DARK), Checks()
    with tempfile.TemporaryDirectory(prefix="orvane-scheme-") as home:
        orvane = start(ORVANE, env=home_env(home, QT_QPA_PLATFORM="xcb"))
        try:
            window = pump(lambda: run("xdotool", "search", "--onlyvisible", "--name",
                                             "^Orvane Preferences$").split(), 30)
            if check("the preferences open", bool(window)):
                for scheme, what, shade in ((DARK, "dark while the portal says dark", 0.35),
                                            (LIGHT, "light once it says light", 0.65)):
                    if scheme != portal.scheme:
                        portal.change(scheme)
                    level = pump(lambda: (b := brightness(window[0])) is not None and
                                        (b < shade if scheme == DARK else b > shade), 15)
                    check(what, bool(level), brightness(window[0]))
        finally:
            stop(orvane)
    check.finish()


if __name__ == "__main__":
    main()
