#!/usr/bin/python3
"""The real Orvane in the two kinds of tray host a QtTest cannot stand in for: an XEmbed tray
(trayer), whose icon is clicked, and a StatusNotifierItem host, which reads the menu over D-Bus.
Run under scripts/with-display --own; exits 77 (skipped) when a tool is missing."""
import os, re, shutil, subprocess, sys, tempfile, time  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from testhome import isolated_env, wait_for  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
EXPECTED_MENU = [
    "Orvane v1.0 (off)", "● Active & Monitoring (off)", "---", "Preferences & Settings...", "---",
    "Auto-Copy on Capture (Zero-Click)", "[x] Play Sound Effects", "[x] Launch at Login", "---",
    "Screenshot Folder", "> Current: ~/Pictures/Screenshots (off)",  # the desktop's default
    "> ---", "> Choose Custom Folder...", "> Reset to Desktop Default", "HUD Auto-Dismiss Timer",
    "> 4 Seconds", "> [x] 7 Seconds (Default)", "> 12 Seconds", "---", "Pause Monitoring", "---",
    "About Orvane...", "Uninstall Orvane & Restore Defaults...", "Quit Orvane",
]
WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/></interface></node>"""
failures = []


def check(what, actual, expected=True):
    print(("ok   " if actual == expected else "FAIL ") + what, flush=True)
    if actual != expected:
        failures.append(what)
        print("  expected: %r\n  actual:   %r" % (expected, actual))


def start(root, name):
    os.makedirs(os.path.join(root, name, "Desktop"))
    return subprocess.Popen([PROGRAM, "--background"], stderr=subprocess.DEVNULL,
                            env=isolated_env(os.path.join(root, name), QT_QPA_PLATFORM="xcb"))


def windows():
    """Orvane's windows: id, width, height, x, y, and whether it sits inside the tray."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    found, inside_tray = [], False
    for line in tree.splitlines():
        inside_tray = inside_tray or '"trayer"' in line
        m = re.search(r'(0x[0-9a-f]+) .*\("[Oo]rvane" "Orvane"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+'
                      r'\+(-?\d+)\+(-?\d+)', line)
        found += [(m.group(1), *map(int, m.groups()[1:]), inside_tray)] if m else []
    return found


def icon_centre():
    """Once the tray host has embedded the icon and laid itself out: a panel that grows as
    icons come in moves them, first placing one partly off the screen's edge."""
    width = int(subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True,
                               text=True).stdout.split()[0])

    def where():
        # Icon-sized: Orvane's menu, hidden, keeps its last place, which may be in the tray.
        return next(((x + w // 2, y + h // 2) for _, w, h, x, y, in_tray in windows()
                     if in_tray and 1 < w <= 64 and h <= 64 and 0 <= x and x + w <= width and
                     y >= 0), None)
    first = where()
    time.sleep(0.2)
    return first if first and first == where() else None


def shown_windows():
    """Orvane's large windows on the screen (its menu, its preferences)."""
    return {wid for wid, w, h, *_ in windows() if w > 150 and h > 150 and "IsViewable" in
            subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True).stdout}


def menu_open(ignored=frozenset()):
    return bool(shown_windows() - ignored)


def start_tray():
    return subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype",
                             "request"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def click_icon(button, ignored=frozenset()):
    # A program that has just started may not take its first click: close and click again.
    for _ in range(4):
        position = wait_for(icon_centre, 15)
        if not position:
            return False
        subprocess.run(["xdotool", "mousemove", "200", "600", "click", "1"])
        wait_for(lambda: not menu_open(ignored), 3)
        subprocess.run(["xdotool", "mousemove", *map(str, position), "click", str(button)])
        if wait_for(lambda: menu_open(ignored), 6):
            return True
        print("  a click at %r opened no menu; Orvane's windows: %r" % (position, windows()))
    return False


class NotifierHost:
    """Takes the items' registrations and reads their menus over D-Bus, as KDE does."""

    def __init__(self):
        from gi.repository import Gio, GLib
        self.GLib, self.items = GLib, []
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        node = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML)
        self.bus.register_object("/StatusNotifierWatcher", node.interfaces[0], self._call,
                                 self._get, None)
        Gio.bus_own_name_on_connection(self.bus, "org.kde.StatusNotifierWatcher", 0, None, None)

    def _call(self, conn, sender, path, iface, method, params, invocation):
        self.items.append(sender)
        invocation.return_value(None)

    def _get(self, conn, sender, path, iface, prop):
        return self.GLib.Variant("b", True) if prop.startswith("Is") else self.GLib.Variant("i", 0)

    def pump(self, predicate, timeout):  # wait_for, while GLib delivers the D-Bus messages
        context = self.GLib.MainContext.default()
        return wait_for(lambda: [context.iteration(False) for _ in range(20)] and predicate(),
                        timeout)

    def call(self, path, interface, method, signature, args):
        # Answered while waiting: Orvane asks the host whether it is there, on its main
        # thread, and would wait for a host blocked in a call to it until both timed out.
        replies = []
        self.bus.call(self.items[-1], path, interface, method, self.GLib.Variant(signature, args),
                      None, 0, 25000, None, lambda bus, result: replies.append(result))
        if not self.pump(lambda: replies, 30):
            raise TimeoutError(method + " was not answered")
        return self.bus.call_finish(replies[0]).unpack()

    def menu_lines(self, node=None, indent=""):
        if node is None:
            menu = self.call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                             "(ss)", ("org.kde.StatusNotifierItem", "Menu"))[0]
            node = self.call(menu, "com.canonical.dbusmenu", "GetLayout", "(iias)",
                             (0, -1, []))[1]
        result = []
        for child in node[2]:
            props = child[1]
            # dbusmenu marks the mnemonic with "_"; "_&" is a plain "&" that is also the key.
            label = "---" if props.get("type") == "separator" else props.get("label", "")
            result.append(indent + ("[x] " if props.get("toggle-state") == 1 else "") +
                          label.replace("_&", "&") +
                          (" (off)" if props.get("enabled") is False else ""))
            result.extend(self.menu_lines(child, indent + "> "))
        return result


def main():
    root = tempfile.mkdtemp(prefix="orvane-tray-")
    tray = start_tray()
    orvane = None
    try:
        # The tray must be up before Orvane looks for one.
        wait_for(lambda: subprocess.run(["xdotool", "search", "--class", "^trayer$"],
                                        capture_output=True).stdout.strip(), 20)
        orvane = start(root, "xembed")
        check("a right click on the icon opens the menu", click_icon(3))
        # Shown before the menu was, had Orvane missed the tray.
        check("a background start in a tray opens no window", subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^Orvane Preferences$"],
            capture_output=True).stdout, b"")
        check("a left click opens it too", click_icon(1))
        # From the top, upwards wraps round to the last item.
        subprocess.run(["xdotool", "key", "Up", "Return"])
        check("Quit Orvane, chosen from the keyboard, ends the process cleanly",
              orvane.wait(10), 0)

        # At login the panel may come up after Orvane, and a panel may restart.
        tray.terminate()
        tray.wait()
        orvane = start(root, "late")
        # With no tray, Orvane opens its preferences: that window is not the menu.
        preferences = wait_for(shown_windows, 20) or set()
        tray = start_tray()
        check("the icon docks into a tray that comes up after Orvane", click_icon(3, preferences))
        tray.terminate()
        tray.wait()
        tray = start_tray()
        check("and into the tray again once it restarts", click_icon(1, preferences))
        subprocess.run(["xdotool", "key", "Up", "Return"])
        check("Quit Orvane from that menu ends the process cleanly", orvane.wait(10), 0)

        tray.terminate()
        host = NotifierHost()
        orvane = start(root, "sni")
        check("the item registers with the host", bool(host.pump(lambda: host.items, 10)))
        check("its menu, read over D-Bus before any opening", host.menu_lines(), EXPECTED_MENU)
    finally:
        if orvane is not None and orvane.poll() is None:
            orvane.kill()
            orvane.wait()
        tray.terminate()
        tray.wait()
        shutil.rmtree(root, ignore_errors=True)
    print("failed: " + ", ".join(failures) if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    missing = [t for t in ("trayer", "xdotool", "xwininfo") if not shutil.which(t)]
    if missing or not PROGRAM:
        print("skipped: missing " + ", ".join(missing or ["the program's path"]))
        sys.exit(77)
    sys.exit(main())
