#!/usr/bin/python3
"""The real Orvane in the two kinds of tray a QtTest cannot stand in for, each coming up after
Orvane and restarting: an XEmbed tray (trayer), whose menu is used from the keyboard and through
AT-SPI, and a StatusNotifierItem host, which reads the menu over D-Bus. Run under
scripts/with-display --own."""
import os, re, sys, tempfile, time  # noqa: E401

from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import (Checks, Program, Service, geometry, orvane, press, pump, run,  # noqa
                     stop, wait_for)

# A build in its build folder is never started at login; the folder is the desktop's default.
EXPECTED_MENU = [
    "Orvane v1.0 (off)", "● Active & Monitoring (off)", "---", "Preferences & Settings...", "---",
    "Auto-Copy on Capture (Zero-Click)", "[x] Play Sound Effects", "Launch at Login", "---",
    "Screenshot Folder", "> Current: ~/Pictures/Screenshots (off)", "> ---",
    "> Choose Custom Folder...", "> Reset to Desktop Default", "HUD Auto-Dismiss Timer",
    "> 4 Seconds", "> [x] 7 Seconds (Default)", "> 12 Seconds", "---", "Pause Monitoring", "---",
    "About Orvane...", "Uninstall Orvane & Restore Defaults...", "Quit Orvane"]
WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/></interface></node>"""
check = Checks()


def windows():
    """Orvane's windows: id, width, height, x, y, and whether it sits inside the tray."""
    found, inside_tray = [], False
    for line in run("xwininfo", "-root", "-tree").splitlines():
        inside_tray = inside_tray or '"trayer"' in line
        m = re.search(r'(0x[0-9a-f]+) .*\("[Oo]rvane" "Orvane"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+'
                      r'\+(-?\d+)\+(-?\d+)', line)
        found += [(m.group(1), *map(int, m.groups()[1:]), inside_tray)] if m else []
    return found


def icon_centre():
    """Once the tray has embedded the icon and laid itself out: a panel that grows as icons
    come in moves them, first placing one partly off the screen's edge."""
    width = int(run("xdotool", "getdisplaygeometry").split()[0])

    def where():
        return next(((x + w // 2, y + h // 2) for _, w, h, x, y, in_tray in windows()
                     if in_tray and 1 < w <= 64 and h <= 64 and 0 <= x <= width - w and y >= 0),
                    None)
    first = where()
    time.sleep(0.2)
    return first if first and first == where() else None


def menu_open():
    """Whether a large window of Orvane's shows (its menu, its preferences)."""
    return any(w > 150 and h > 150 and geometry(wid)[1] for wid, w, h, *_ in windows())


def start_tray():
    tray = Program(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request"])
    wait_for(lambda: run("xdotool", "search", "--class", "^trayer$").strip(), 20)
    return tray.process


def click_icon(button):
    # A program that has just docked may not take its first click: close and click again.
    for _ in range(4):
        if not (position := wait_for(icon_centre, 15)):
            return False
        run("xdotool", "mousemove", "200", "600", "click", "1")
        wait_for(lambda: not menu_open(), 3)
        run("xdotool", "mousemove", *map(str, position), "click", str(button))
        if wait_for(menu_open, 6):
            return True
        print("  a click at %r opened no menu; Orvane's windows: %r" % (position, windows()))
    return False


def accessible_menu():
    """The menu as a screen reader meets it once entered from the keyboard: its name and its
    items, (name, checked) -> item."""
    import pyatspi
    focused = []
    pyatspi.Registry.registerEventListener(focused.append, "object:state-changed:focused")
    run("xdotool", "key", "Down")
    entered = pump(lambda: [e.source for e in focused if e.detail1 == 1], 10)
    pyatspi.Registry.deregisterEventListener(focused.append, "object:state-changed:focused")
    if not entered:
        return None, {}
    menu = entered[-1].parent
    items = [menu.getChildAtIndex(i) for i in range(menu.childCount)]
    return menu.name, {(n.name, n.getState().contains(pyatspi.STATE_CHECKED)): n
                       for n in items if n.getRoleName() != "separator"}


class NotifierHost(Service):
    """A StatusNotifierWatcher with its host, reading the items' menus over D-Bus as a panel
    does. A new one is a restart."""

    def __init__(self):
        self.items = []
        super().__init__("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", WATCHER_XML)

    def call(self, sender, method, args, invocation):
        self.items.append(sender)
        invocation.return_value(None)

    def get(self, prop):
        return GLib.Variant("b", True) if prop.startswith("Is") else GLib.Variant("i", 0)

    def ask(self, path, interface, method, signature, args):
        # Answered while waiting: Orvane asks the watcher things on its main thread, and
        # would wait for a watcher blocked in a call to it until both timed out.
        replies = []
        self.bus.call(self.items[-1], path, interface, method, GLib.Variant(signature, args),
                      None, 0, 25000, None, lambda bus, result: replies.append(result))
        if not pump(lambda: replies, 30):
            raise TimeoutError(method + " was not answered")
        return self.bus.call_finish(replies[0]).unpack()

    def item(self, prop):
        return self.ask("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get", "(ss)",
                        ("org.kde.StatusNotifierItem", prop))[0]

    def menu_lines(self, node=None, indent=""):
        node = node or self.ask(self.item("Menu"), "com.canonical.dbusmenu", "GetLayout",
                                "(iias)", (0, -1, []))[1]
        lines = []
        for child in node[2]:
            p = child[1]
            # dbusmenu marks the mnemonic with "_": Qt makes a title's "&&" "_&".
            label = "---" if p.get("type") == "separator" else p.get("label", "").replace("_&", "&")
            lines.append(indent + "[x] " * (p.get("toggle-state") == 1) + label +
                         " (off)" * (p.get("enabled") is False))
            lines += self.menu_lines(child, indent + "> ")
        return lines

    def registered(self, when):
        check("the item registers with a watcher that " + when, bool(pump(lambda: self.items, 15)))
        check("and its menu reads over D-Bus", (menu := self.menu_lines()) == EXPECTED_MENU, menu)


def xembed(root):
    with orvane(root + "/xembed", "--background", accessible=True,
                QT_QPA_PLATFORM="xcb") as program:
        wait_for(lambda: program.lines, 20)  # at login the panel may come up after Orvane
        tray = start_tray()
        check("the icon docks into a tray that comes up after Orvane", click_icon(3))
        # From the bottom, upwards: Quit, Uninstall, About, Pause Monitoring.
        run("xdotool", "key", "--delay", "80", "Up", "Up", "Up", "Up", "Return")
        check("Pause Monitoring, chosen from the keyboard, pauses",
              program.wait_for_line("[Orvane] isPaused changed to: 1", 5))
        check("and closes the menu", bool(wait_for(lambda: not menu_open(), 5)))

        check("the menu opens for a screen reader", click_icon(3))
        name, items = accessible_menu()
        check("which reads its name", name == "Orvane", name)
        check("and its items by name, with their \"&\" and check marks",
              {("Preferences & Settings...", False), ("Play Sound Effects", True),
               ("Resume Monitoring", False), ("Quit Orvane", False)} <= set(items), list(items))
        resume = items.get(("Resume Monitoring", False))
        check("one pressed through AT-SPI acts", bool(resume) and press(resume) and
              program.wait_for_line("[Orvane] isPaused changed to: 0", 5))
        wait_for(lambda: not menu_open(), 5)

        stop(tray)
        tray = start_tray()
        check("the icon docks again once the tray restarts", click_icon(1))
        run("xdotool", "key", "--delay", "80", "Up", "Return")
        check("Quit Orvane from that menu ends the process cleanly",
              program.process.wait(10) == 0)
        stop(tray)


def status_notifier(root):
    with orvane(root + "/sni", "--background", QT_QPA_PLATFORM="xcb") as program:
        # The panel's watcher comes up a while after Orvane, as at login.
        wait_for(lambda: program.lines, 20)
        time.sleep(5)
        host = NotifierHost()
        host.registered("comes after Orvane")
        # Run from the build tree, no icon theme here has the icon: the host gets its pixels,
        # not a name it would find nothing for.
        name = host.item("IconName")
        check("the icon goes as pixels, with no name", name == "" and host.item("IconPixmap"),
              name)
        # ItemIsMenu is false: a host that activates the item (a left click) gets the menu.
        host.ask("/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate", "(ii)",
                 (400, 10))
        check("a left click pops up the menu", bool(pump(menu_open, 10)))
        run("xdotool", "key", "Escape")
        pump(lambda: not menu_open(), 5)

        host.close()
        NotifierHost().registered("restarts")
        # Past the wait a login start gives a late panel before it opens the preferences.
        check("no window opened meanwhile", not program.logged("[Orvane] No system tray is"))


with tempfile.TemporaryDirectory(prefix="orvane-tray-") as root:
    xembed(root)
    status_notifier(root)
check.finish()
