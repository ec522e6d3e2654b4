#!/usr/bin/python3
"""The preferences follow the desktop's light or dark: a stand-in desktop portal on the test's
own session bus says dark, and the real program's preferences window is dark; the portal then
says light, and the open window turns light. Run under scripts/with-display --own."""
import os, sys, tempfile  # noqa: E401

from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import Checks, Service, orvane, pump, run  # noqa: E402

PORTAL_XML = """<node><interface name="org.freedesktop.portal.Settings">
<method name="Read"><arg type="s" direction="in"/><arg type="s" direction="in"/>
<arg type="v" direction="out"/></method>
<signal name="SettingChanged"><arg type="s"/><arg type="s"/><arg type="v"/></signal>
</interface></node>"""
KEY = ("org.freedesktop.appearance", "color-scheme")
DARK, LIGHT = 1, 2


class Portal(Service):
    def call(self, sender, method, args, invocation):
        if args.unpack() != KEY:
            return invocation.return_dbus_error("org.freedesktop.portal.Error.NotFound", "no key")
        # As the portal answers Read: the value inside one variant more.
        invocation.return_value(GLib.Variant("(v)", (GLib.Variant("v", GLib.Variant(
            "u", self.scheme)),)))


def brightness(window):
    """The window's mean grey, 0 (black) to 1 (white), as the X server shows it."""
    try:
        return float(run("import", "-window", window, "-colorspace", "Gray", "-format",
                         "%[fx:mean]", "info:").strip())
    except ValueError:
        return None


portal, check = Portal("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                       PORTAL_XML), Checks()
portal.scheme = DARK
with tempfile.TemporaryDirectory(prefix="orvane-scheme-") as home, \
        orvane(home, QT_QPA_PLATFORM="xcb"):
    window = pump(lambda: run("xdotool", "search", "--onlyvisible", "--name",
                              "^Orvane Preferences$").split(), 30)
    check.must("the preferences open", window)
    for scheme, what, shade in ((DARK, "dark while the portal says dark", 0.35),
                                (LIGHT, "light once it says light", 0.65)):
        if scheme != portal.scheme:
            portal.scheme = scheme
            portal.emit("SettingChanged", "(ssv)", (*KEY, GLib.Variant("u", scheme)))
        level = pump(lambda: (b := brightness(window[0])) is not None and
                     (b < shade if scheme == DARK else b > shade), 15)
        check(what, bool(level), brightness(window[0]))
check.finish()
