#!/usr/bin/python3
"""The real Orvane in the two kinds of tray a QtTest cannot stand in for, each coming up after
Orvane and restarting: an XEmbed tray (trayer), whose icon is clicked and whose menu is used
from the keyboard and through AT-SPI, and a StatusNotifierItem host, which reads the menu over
D-Bus. Run under scripts/with-display --own; exits 77 (skipped) when a tool is missing."""
import os, re, shutil, subprocess, sys, tempfile, threading, time  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from testhome import isolated_env, wait_for  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
EXPECTED_MENU = [
    "Orvane v1.0 (off)", "● Active & Monitoring (off)", "---", "Preferences & Settings...", "---",
    "Auto-Copy on Capture (Zero-Click)", "[x] Play Sound Effects",
    "Launch at Login",  # a build in its build folder is never started at login
    "---",
    "Screenshot Folder", "> Current: ~/Pictures/Screenshots (off)",  # the desktop's default
    "> ---", "> Choose Custom Folder...", "> Reset to Desktop Default", "HUD Auto-Dismiss Timer",
    "> 4 Seconds", "> [x] 7 Seconds (Default)", "> 12 Seconds", "---", "Pause Monitoring", "---",
    "About Orvane...", "Uninstall Orvane & Restore Defaults...", "Quit Orvane",
]
WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/></interface></node>"""
TRAY_CAME = "[Orvane] A system tray is available now; Orvane's icon is in it."
NO_TRAY = "[Orvane] No system tray is available"
failures = []


def check(what, actual, expected=True):
    print(("ok   " if actual == expected else "FAIL ") + what, flush=True)
    if actual != expected:
        failures.append(what)
        print("  expected: %r\n  actual:   %r" % (expected, actual))


class Orvane:
    """The program in a fresh home, its log read as it comes."""

    def __init__(self, root, name, **env):
        os.makedirs(os.path.join(root, name, "Desktop"))
        self.lines = []
        self.process = subprocess.Popen(
            [PROGRAM, "--background"], stderr=subprocess.PIPE, text=True,
            env=isolated_env(os.path.join(root, name), QT_QPA_PLATFORM="xcb", **env))
        threading.Thread(target=lambda: self.lines.extend(self.process.stderr),
                         daemon=True).start()

    def logged(self, text):
        return any(line.startswith(text) for line in self.lines)

    def end(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


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
    """Once the tray has embedded the icon and laid itself out: a panel that grows as icons
    come in moves them, first placing one partly off the screen's edge."""
    width = int(subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True,
                               text=True).stdout.split()[0])

    def where():
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


def menu_open():
    return bool(shown_windows())


def start_tray():
    tray = subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype",
                             "request"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: subprocess.run(["xdotool", "search", "--class", "^trayer$"],
                                    capture_output=True).stdout.strip(), 20)
    return tray


def click_icon(button):
    # A program that has just docked may not take its first click: close and click again.
    for _ in range(4):
        position = wait_for(icon_centre, 15)
        if not position:
            return False
        subprocess.run(["xdotool", "mousemove", "200", "600", "click", "1"])
        wait_for(lambda: not menu_open(), 3)
        subprocess.run(["xdotool", "mousemove", *map(str, position), "click", str(button)])
        if wait_for(menu_open, 6):
            return True
        print("  a click at %r opened no menu; Orvane's windows: %r" % (position, windows()))
    return False


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "80", *names])


def accessible_menu():
    """The open menu as a screen reader meets it: the item that takes the focus when the menu
    is entered from the keyboard, and the menu around it ((name, checked) -> item)."""
    import pyatspi
    from gi.repository import GLib
    focused = []
    listener = focused.append
    pyatspi.Registry.registerEventListener(listener, "object:state-changed:focused")
    try:
        keys("Down")
        context = GLib.MainContext.default()
        wait_for(lambda: [context.iteration(False) for _ in range(20)] and
                 [e for e in focused if e.detail1 == 1], 10)
    finally:
        pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:focused")
    entered = [e.source for e in focused if e.detail1 == 1]
    if not entered:
        return None, {}
    menu = entered[-1].parent
    items = [menu.getChildAtIndex(i) for i in range(menu.childCount)]
    return menu.name, {(n.name, n.getState().contains(pyatspi.STATE_CHECKED)): n
                       for n in items if n.getRoleName() != "separator"}


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() in ("press", "click", "activate", "toggle"):
            return action.doAction(i) or True
    return False


class NotifierHost:
    """A StatusNotifierWatcher with its host on a bus connection of its own: takes the items'
    registrations and reads their menus over D-Bus, as a panel does. A new one is a restart."""

    def __init__(self):
        from gi.repository import Gio, GLib
        self.GLib, self.Gio, self.items = GLib, Gio, []
        address = Gio.dbus_address_get_for_bus_sync(Gio.BusType.SESSION, None)
        self.bus = Gio.DBusConnection.new_for_address_sync(
            address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
            Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        node = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML)
        self.bus.register_object("/StatusNotifierWatcher", node.interfaces[0], self._call,
                                 self._get, None)
        self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "RequestName",
                           GLib.Variant("(su)", ("org.kde.StatusNotifierWatcher", 0)),
                           None, 0, 5000, None)

    def close(self):
        self.bus.close_sync(None)

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
        # Answered while waiting: Orvane asks the watcher things on its main thread, and
        # would wait for a watcher blocked in a call to it until both timed out.
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
            # dbusmenu marks the mnemonic with "_": Qt makes a title's "&&" "_&".
            label = "---" if props.get("type") == "separator" else props.get("label", "")
            result.append(indent + ("[x] " if props.get("toggle-state") == 1 else "") +
                          label.replace("_&", "&") +
                          (" (off)" if props.get("enabled") is False else ""))
            result.extend(self.menu_lines(child, indent + "> "))
        return result


def xembed(root):
    import pyatspi
    pyatspi.Registry.getDesktop(0)  # starts the accessibility bus before Orvane looks for it
    orvane = Orvane(root, "xembed", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    tray = None
    try:
        # At login the panel may come up after Orvane.
        wait_for(lambda: orvane.lines, 20)
        tray = start_tray()
        check("the icon docks into a tray that comes up after Orvane", click_icon(3))
        check("which is logged", bool(wait_for(lambda: orvane.logged(TRAY_CAME), 5)))
        check("a login start whose tray came in time opens no window", orvane.logged(NO_TRAY),
              False)
        # From the top, upwards: Quit, Uninstall, About, Pause Monitoring.
        keys("Up", "Up", "Up", "Up", "Return")
        check("Pause Monitoring, chosen from the keyboard, pauses",
              bool(wait_for(lambda: orvane.logged("[Orvane] isPaused changed to: 1"), 5)))
        check("and closes the menu", bool(wait_for(lambda: not menu_open(), 5)))
        check("a left click opens the menu too", click_icon(1))
        keys("Escape")
        check("Escape closes it", bool(wait_for(lambda: not menu_open(), 5)))

        check("the menu opens for a screen reader", click_icon(3))
        name, items = accessible_menu()
        check("which reads its name", name, "Orvane")
        check("and its items by name, with their \"&\" and check marks",
              {("Preferences & Settings...", False), ("Play Sound Effects", True),
               ("Resume Monitoring", False), ("Quit Orvane", False)} <= set(items), True)
        resume = items.get(("Resume Monitoring", False))
        check("one pressed through AT-SPI acts", bool(resume) and press(resume) and
              bool(wait_for(lambda: orvane.logged("[Orvane] isPaused changed to: 0"), 5)))
        wait_for(lambda: not menu_open(), 5)

        tray.terminate()
        tray.wait()
        tray = start_tray()
        check("the icon docks again once the tray restarts", click_icon(1))
        keys("Up", "Return")
        check("Quit Orvane from that menu ends the process cleanly", orvane.process.wait(10), 0)
    finally:
        orvane.end()
        if tray:
            tray.terminate()
            tray.wait()


def status_notifier(root):
    orvane = Orvane(root, "sni")
    host = None
    try:
        # The panel's watcher comes up a while after Orvane, as at login.
        wait_for(lambda: orvane.lines, 20)
        time.sleep(5)
        host = NotifierHost()
        check("the item registers with a watcher that comes after Orvane",
              bool(host.pump(lambda: host.items, 15)))
        check("which is logged", bool(host.pump(lambda: orvane.logged(TRAY_CAME), 5)))
        check("its menu, read over D-Bus before any opening", host.menu_lines(), EXPECTED_MENU)
        # Run from the build tree, no icon theme here has the icon: the host gets its pixels,
        # not a name it would find nothing for.
        name, pixmaps = (host.call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                                   "(ss)", ("org.kde.StatusNotifierItem", prop))[0]
                         for prop in ("IconName", "IconPixmap"))
        check("the icon goes as pixels, with no name", (name, bool(pixmaps)), ("", True))
        # The item asks for no menu of its own (ItemIsMenu false): a host that activates it
        # (a left click) gets the menu at the pointer.
        host.call("/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate", "(ii)",
                  (400, 10))
        check("a left click pops up the menu", bool(host.pump(menu_open, 10)))
        keys("Escape")
        host.pump(lambda: not menu_open(), 5)

        host.close()
        host = NotifierHost()
        check("the item registers again with a watcher that restarts",
              bool(host.pump(lambda: host.items, 15)))
        check("and its menu is readable there", host.menu_lines(), EXPECTED_MENU)
        check("no window opened meanwhile", orvane.logged(NO_TRAY), False)
    finally:
        orvane.end()
        if host:
            host.close()


def main():
    root = tempfile.mkdtemp(prefix="orvane-tray-")
    try:
        xembed(root)
        status_notifier(root)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("failed: " + ", ".join(failures) if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    missing = [t for t in ("trayer", "xdotool", "xwininfo") if not shutil.which(t)]
    if missing or not PROGRAM:
        print("skipped: missing " + ", ".join(missing or ["the program's path"]))
        sys.exit(77)
    sys.exit(main())
