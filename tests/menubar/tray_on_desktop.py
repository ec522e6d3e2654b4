#!/usr/bin/python3
"""Drives the real Orvane through its tray icon, as a user and a screen reader would.

Starts its own virtual display (Xvfb), window manager (openbox), session bus, accessibility bus
and XEmbed tray host (trayer), so nothing of the user's session is touched. Each case runs the
program in a fresh home folder, clicks its icon, reads the menu through AT-SPI and chooses
items. Exits 77 (skipped) when one of those tools is missing.
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from testhome import isolated_env  # noqa: E402

SKIP = 77
PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None

EXPECTED_MENU = [
    "Orvane v1.0 (off)",
    "● Active & Monitoring (off)",
    "---",
    "Preferences & Settings...",
    "---",
    "Auto-Copy on Capture (Zero-Click)",
    "[x] Play Sound Effects",
    "[x] Launch at Login",
    "---",
    "Screenshot Folder",
    "> Current: ~/Pictures/Screenshots (off)",  # the desktop's default, before it exists
    "> ---",
    "> Choose Custom Folder...",
    "> Reset to Desktop Default",
    "HUD Auto-Dismiss Timer",
    "> 4 Seconds",
    "> [x] 7 Seconds (Default)",
    "> 12 Seconds",
    "---",
    "Pause Monitoring",
    "---",
    "About Orvane...",
    "Uninstall Orvane & Restore Defaults...",
    "Quit Orvane",
]

FAKE_TOOL = r"""#!/bin/sh
dir=$(dirname "$0")/..
name=$(basename "$0")
{ printf '%s\0' "$name"; for a in "$@"; do printf '%s\0' "$a"; done; printf '\036'; } >> "$dir/calls"
if grep -qx "$name" "$dir/failing" 2>/dev/null; then exit 1; fi
exit 0
"""


def outer():
    """Brings up the display and the session bus, then runs the cases inside them."""
    needed = ["Xvfb", "openbox", "trayer", "xdotool", "xwininfo", "dbus-run-session"]
    missing = [tool for tool in needed if not shutil.which(tool)]
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        missing.append("python3-pyatspi")
    if missing or not PROGRAM:
        print("skipped: missing " + ", ".join(missing or ["the program's path"]))
        return SKIP
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x800x24",
                             "-nolisten", "tcp"], pass_fds=(write_fd,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    display = b""
    while not display.endswith(b"\n"):
        chunk = os.read(read_fd, 16)
        if not chunk:
            break
        display += chunk
    os.close(read_fd)
    display = display.decode().strip()
    print("display :" + display, flush=True)
    try:
        env = dict(os.environ, DISPLAY=":" + display, ORVANE_TRAY_CHECK_INNER="1")
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env.pop("WAYLAND_DISPLAY", None)
        return subprocess.call(["dbus-run-session", "--", sys.executable, __file__, PROGRAM],
                               env=env)
    finally:
        xvfb.terminate()
        xvfb.wait()


class Checks:
    def __init__(self):
        self.failures = 0

    def equal(self, what, actual, expected):
        if actual == expected:
            print("ok   " + what)
        else:
            self.failures += 1
            print("FAIL " + what + "\n  expected: " + repr(expected) + "\n  actual:   " +
                  repr(actual))

    def true(self, what, value):
        self.equal(what, bool(value), True)


def main_context_wait(predicate, timeout=10.0):
    from gi.repository import GLib
    context = GLib.MainContext.default()
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    return predicate()


class Orvane:
    """One run of the program in a fresh home folder."""

    def __init__(self, program, root, name, args=("--background",), extra_env=None):
        self.home = os.path.join(root, name, "home")
        os.makedirs(os.path.join(self.home, "Desktop"), exist_ok=True)
        env = isolated_env(self.home, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        env.pop("ORVANE_TRAY_CHECK_INNER", None)
        env.update(extra_env or {})
        self.log_path = os.path.join(root, name, "stderr.txt")
        self.log_file = open(self.log_path, "w")
        self.process = subprocess.Popen([program, *args], env=env, stderr=self.log_file)

    def log(self):
        with open(self.log_path) as f:
            return [line.rstrip("\n") for line in f if line.startswith("[Orvane] ")]

    def finished(self, timeout=10.0):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log_file.close()


def icon_window(pid_hint=None):
    """The centre of Orvane's icon embedded in the tray host, once it is there."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    inside_tray = False
    for line in tree.splitlines():
        if '("trayer"' in line or '"panel": ("panel" "trayer")' in line:
            inside_tray = True
        m = re.search(r'\("[Oo]rvane" "Orvane"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)',
                      line)
        if m and inside_tray:
            w, h, x, y = map(int, m.groups())
            if w > 1 and h > 1:
                return x + w // 2, y + h // 2
    return None


def menu_window_mapped():
    """Whether a menu of Orvane's is on screen, whatever AT-SPI has said about it."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    for line in tree.splitlines():
        m = re.search(r'\("[Oo]rvane" "Orvane"\)\s+(\d+)x(\d+)\+', line)
        if m and int(m.group(1)) > 150 and int(m.group(2)) > 150:
            info = subprocess.run(["xwininfo", "-id", line.split()[0]], capture_output=True,
                                  text=True).stdout
            if "IsViewable" in info:
                return True
    return False


class Menu:
    """Opens the tray menu by clicking the icon and reads it through AT-SPI."""

    def __init__(self, pyatspi):
        self.pyatspi = pyatspi
        self.shown = []
        pyatspi.Registry.registerEventListener(self._on_showing,
                                               "object:state-changed:showing")

    def _on_showing(self, event):
        try:
            if event.detail1 == 1 and event.source.getRoleName() == "popup menu" and \
                    event.source.name == "Orvane":
                self.shown.append(event.source)
        except Exception as error:
            print("     (menu event unreadable: %s)" % error, flush=True)

    def reset(self):
        self.shown.clear()

    def showing(self):
        """The menu when it is open with all its items."""
        for menu in reversed(self.shown):
            try:
                if menu.getState().contains(self.pyatspi.STATE_SHOWING) and \
                        menu.childCount >= 17:
                    return menu
            except Exception:
                pass
        return None

    def open(self, button=1):
        # The tray host may still be placing the icon, and a process that has just started may
        # not announce its first menu: close an unannounced menu and click again.
        for _ in range(4):
            position = main_context_wait(icon_window, 15)
            if not position:
                return None
            if menu_window_mapped():
                subprocess.run(["xdotool", "mousemove", "200", "600", "click", "1"])
                main_context_wait(lambda: not menu_window_mapped(), 3)
            subprocess.run(["xdotool", "mousemove", str(position[0]), str(position[1]),
                            "click", str(button)])
            menu = main_context_wait(self.showing, 6)
            if menu is not None:
                return menu
        return None

    def close(self):
        # An item chosen through AT-SPI leaves the menu open; a click beside it closes it.
        for _ in range(4):
            subprocess.run(["xdotool", "mousemove", "200", "600", "click", "1"])
            if main_context_wait(lambda: self.showing() is None, 2):
                return

    def describe(self, menu, indent=""):
        lines = []
        for item in menu:
            role = item.getRoleName()
            if role == "separator":
                lines.append(indent + "---")
                continue
            state = item.getState()
            line = indent + ("[x] " if state.contains(self.pyatspi.STATE_CHECKED) else "") + \
                item.name
            if not state.contains(self.pyatspi.STATE_ENABLED):
                line += " (off)"
            lines.append(line)
            for child in item:
                if child is not None and child.getRoleName() == "popup menu":
                    lines.extend(self.describe(child, indent + "> "))
        return lines

    def find(self, menu, title):
        for item in menu:
            if item.name == title:
                return item
            for child in item:
                if child is not None and child.getRoleName() == "popup menu":
                    found = self.find(child, title)
                    if found is not None:
                        return found
        return None

    def choose(self, menu, title):
        item = self.find(menu, title)
        if item is None:
            return False
        action = item.queryAction()
        for i in range(action.nActions):
            if action.getName(i) == "press":
                return action.doAction(i)
        return action.doAction(0)


WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
<signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
</interface></node>"""


class NotifierHost:
    """A StatusNotifierItem host, as KDE and the GNOME AppIndicator extension are: it takes the
    items' registrations and reads their menus over D-Bus."""

    def __init__(self):
        from gi.repository import Gio, GLib
        self.Gio, self.GLib = Gio, GLib
        self.items = []
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        node = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML)
        self.registration = self.bus.register_object(
            "/StatusNotifierWatcher", node.interfaces[0], self._call, self._get, None)
        self.owner = Gio.bus_own_name_on_connection(
            self.bus, "org.kde.StatusNotifierWatcher", 0, None, None)

    def _call(self, conn, sender, path, iface, method, params, invocation):
        if method == "RegisterStatusNotifierItem":
            self.items.append((sender, params.unpack()[0]))
        invocation.return_value(None)

    def _get(self, conn, sender, path, iface, prop):
        GLib = self.GLib
        if prop == "IsStatusNotifierHostRegistered":
            return GLib.Variant("b", True)
        if prop == "ProtocolVersion":
            return GLib.Variant("i", 0)
        return GLib.Variant("as", [service for _, service in self.items])

    def close(self):
        self.Gio.bus_unown_name(self.owner)
        self.bus.unregister_object(self.registration)

    def _item(self):
        sender, service = self.items[-1]
        return (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")

    def _call_item(self, path, interface, method, signature, args):
        destination, _ = self._item()
        GLib = self.GLib
        return self.bus.call_sync(destination, path, interface, method,
                                  GLib.Variant(signature, args) if signature else None, None, 0,
                                  25000, None).unpack()

    def item_property(self, name):
        _, path = self._item()
        return self._call_item(path, "org.freedesktop.DBus.Properties", "Get", "(ss)",
                               ("org.kde.StatusNotifierItem", name))[0]

    def activate(self, x, y):
        _, path = self._item()
        self._call_item(path, "org.kde.StatusNotifierItem", "Activate", "(ii)", (x, y))

    def menu_lines(self):
        """The menu as the host shows it, without announcing an opening first."""
        menu = self.item_property("Menu")
        layout = self._call_item(menu, "com.canonical.dbusmenu", "GetLayout", "(iias)",
                                 (0, -1, []))[1]
        return self._lines(layout)

    def _lines(self, node, indent=""):
        lines = []
        for child in node[2]:
            props = child[1]
            if props.get("type") == "separator":
                lines.append(indent + "---")
                continue
            # dbusmenu marks the mnemonic with "_"; "_&" is a plain "&" that is also the key.
            label = props.get("label", "").replace("_&", "&")
            line = indent + ("[x] " if props.get("toggle-state") == 1 else "") + label
            if props.get("enabled") is False:
                line += " (off)"
            lines.append(line)
            lines.extend(self._lines(child, indent + "> "))
        return lines


def settings_value(home, key):
    """A value from the settings file (an INI file, whatever its extension)."""
    for path in glob.glob(os.path.join(home, ".config", "orvane", "orvane.*")):
        with open(path) as f:
            for line in f:
                if line.startswith(key + "="):
                    return line.split("=", 1)[1].strip()
    return None


def fake_tools(root, failing=()):
    folder = os.path.join(root, "fake-tools")
    os.makedirs(os.path.join(folder, "bin"), exist_ok=True)
    for tool in ("defaults", "killall", "launchctl", "open", "osascript"):
        path = os.path.join(folder, "bin", tool)
        with open(path, "w") as f:
            f.write(FAKE_TOOL)
        os.chmod(path, 0o755)
    with open(os.path.join(folder, "failing"), "w") as f:
        f.write("".join(tool + "\n" for tool in failing))
    return folder


def fake_calls(folder):
    """What the stand-in tools were asked, past the start-up reads of the screenshot folder."""
    path = os.path.join(folder, "calls")
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        records = f.read().split(b"\x1e")
    calls = [[part.decode() for part in record.split(b"\0")[:-1]] for record in records if record]
    return [call for call in calls if call[:2] != ["defaults", "read"]]


def press_uninstall_and_confirm(pyatspi, menu_reader, orvane, checks):
    """The confirmation is modal, so the item is chosen from the keyboard, as a user would."""
    menu_reader.reset()
    menu = menu_reader.open()
    checks.true("menu opens for the uninstall", menu)
    # From the top, upwards wraps round: Quit, then Uninstall.
    subprocess.run(["xdotool", "key", "Up", "Up", "Return"])

    def confirmation_button():
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None or app.name != "Orvane":
                continue
            for window in app:
                if window is None or window.getRoleName() not in ("dialog", "alert", "frame"):
                    continue
                found = pyatspi.findDescendant(
                    window, lambda a: a.getRoleName() == "push button" and
                    a.name == "Uninstall & Move to Trash")
                if found is not None:
                    names = [b.name for b in pyatspi.findAllDescendants(
                        window, lambda a: a.getRoleName() == "push button")]
                    return found, window.name, names
        return None

    found = main_context_wait(confirmation_button, 10)
    checks.true("the confirmation asks first", found)
    if not found:
        return
    button, title, names = found
    print("     confirmation: " + title + " " + repr(names))
    checks.equal("its buttons, in order", names, ["Uninstall & Move to Trash", "Cancel"])
    button.queryAction().doAction(0)


def inner():
    import pyatspi
    checks = Checks()
    root = tempfile.mkdtemp(prefix="orvane-tray-")
    helpers = []
    try:
        helpers.append(subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL))
        pyatspi.Registry.getDesktop(0)  # starts the accessibility bus before the program
        helpers.append(subprocess.Popen(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
             "--height", "32", "--transparent", "false", "--SetDockType", "true"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        # The tray must be up before Orvane looks for one.
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and not subprocess.run(
                ["xdotool", "search", "--class", "^trayer$"], capture_output=True).stdout.strip():
            time.sleep(0.05)
        menu_reader = Menu(pyatspi)

        # --- The menu, its toggles and its timer; then quitting ---
        print("# menu (Linux, fresh home)")
        menu_reader.reset()
        orvane = Orvane(PROGRAM, root, "menu")
        try:
            checks.true("the icon is in the tray", main_context_wait(icon_window, 15))
            menu = menu_reader.open()
            checks.true("a click on the icon opens the menu", menu)
            checks.equal("the items, in order", menu_reader.describe(menu), EXPECTED_MENU)
            menu_reader.close()
            menu = menu_reader.open(button=3)
            checks.true("a right click opens it too", menu)
            checks.true("choose Pause Monitoring", menu_reader.choose(menu, "Pause Monitoring"))
            menu_reader.close()
            lines = menu_reader.describe(menu_reader.open())
            checks.true("status after pausing", "⚠️ Monitoring Paused (off)" in lines)
            checks.true("item after pausing", "Resume Monitoring" in lines)
            menu = menu_reader.showing()
            checks.true("choose 12 Seconds", menu_reader.choose(menu, "12 Seconds"))
            menu_reader.close()
            # Settings reach the file shortly after the change.
            checks.equal("orvane_autoDismissSeconds stored", main_context_wait(
                lambda: settings_value(orvane.home, "orvane_autoDismissSeconds"), 5), "12")
            lines = menu_reader.describe(menu_reader.open())
            checks.true("checkmark on 12 Seconds", "> [x] 12 Seconds" in lines)
            checks.true("no checkmark on 7 Seconds", "> 7 Seconds (Default)" in lines)
            menu = menu_reader.showing()
            menu_reader.choose(menu, "Quit Orvane")
            checks.equal("Quit Orvane ends the process cleanly", orvane.finished(), 0)
        finally:
            orvane.stop()

        # --- Quitting runs the termination steps (visible as macOS command lines) ---
        print("# quit (macOS behaviour against stand-in tools)")
        tools = fake_tools(os.path.join(root, "quit"))
        menu_reader.reset()
        orvane = Orvane(PROGRAM, root, "quit", extra_env={
            "ORVANE_PLATFORM": "macos", "PATH": tools + "/bin:" + os.environ["PATH"]})
        try:
            menu = menu_reader.open()
            checks.true("menu opens", menu)
            menu_reader.choose(menu, "Quit Orvane")
            checks.equal("process ended", orvane.finished(), 0)
            checks.equal("termination steps ran", fake_calls(tools), [
                ["defaults", "delete", "com.apple.screencapture", "show-thumbnail"],
                ["killall", "SystemUIServer"]])
        finally:
            orvane.stop()

        # --- The uninstall of a bundle whose path has blanks and quotes ---
        print("# uninstall (macOS behaviour, .app bundle)")
        case = os.path.join(root, "bundle")
        tools = fake_tools(case, failing=("osascript",))
        bundle = os.path.join(case, "Apps", 'My "Orvane" it\'s $HOME.app')
        os.makedirs(os.path.join(bundle, "Contents", "MacOS"))
        shutil.copy(PROGRAM, os.path.join(bundle, "Contents", "MacOS", "Orvane"))
        orvane = Orvane(os.path.join(bundle, "Contents", "MacOS", "Orvane"), root, "bundle",
                        extra_env={"ORVANE_PLATFORM": "macos",
                                   "PATH": tools + "/bin:" + os.environ["PATH"]})
        try:
            agent = os.path.join(orvane.home, "Library/LaunchAgents/com.tarnwell.orvane.plist")
            checks.true("launch agent written at launch",
                        main_context_wait(lambda: os.path.exists(agent), 10))
            press_uninstall_and_confirm(pyatspi, menu_reader, orvane, checks)
            checks.equal("process ended", orvane.finished(), 0)
            checks.true("bundle removed once the program had quit",
                        main_context_wait(lambda: not os.path.exists(bundle), 10))
            checks.true("nothing beside it removed", os.path.isdir(os.path.join(case, "Apps")))
            escaped = bundle.replace("\\", "\\\\").replace('"', '\\"')
            calls = fake_calls(tools)
            finder = ["osascript", "-e",
                      'tell application "Finder" to delete POSIX file "' + escaped + '"']
            checks.equal("the program's command lines, in order",
                         [call for call in calls if call != finder], [
                             ["launchctl", "unload", "-w", agent],
                             ["defaults", "delete", "com.apple.screencapture", "show-thumbnail"],
                             ["killall", "SystemUIServer"],
                             ["defaults", "delete", "com.apple.screencapture", "show-thumbnail"],
                             ["killall", "SystemUIServer"]])
            # The script waits 0.4 s for the program to quit; a busy machine may still be
            # running the last termination step by then, but the uninstall's own steps are
            # always done before the script starts.
            checks.true("Finder asked once, after the uninstall's steps",
                        calls.count(finder) == 1 and calls.index(finder) >= 3)
            checks.true("launch agent removed", not os.path.exists(agent))
        finally:
            orvane.stop()

        # --- Not in a bundle: the folder holding the program stays ---
        print("# uninstall (macOS behaviour, plain folder)")
        case = os.path.join(root, "plain")
        tools = fake_tools(case, failing=("osascript",))
        folder = os.path.join(case, "build dir")
        os.makedirs(folder)
        shutil.copy(PROGRAM, os.path.join(folder, "orvane"))
        orvane = Orvane(os.path.join(folder, "orvane"), root, "plain",
                        extra_env={"ORVANE_PLATFORM": "macos",
                                   "PATH": tools + "/bin:" + os.environ["PATH"]})
        try:
            press_uninstall_and_confirm(pyatspi, menu_reader, orvane, checks)
            checks.equal("process ended", orvane.finished(), 0)
            time.sleep(1)  # a removal script would have run by now
            checks.true("the folder and the program stay",
                        os.path.exists(os.path.join(folder, "orvane")))
            checks.true("no removal was attempted",
                        all(call[0] != "osascript" for call in fake_calls(tools)))
            checks.equal("the log says so", [line for line in orvane.log() if "Uninstall" in line],
                         ["[Orvane] Uninstall: " + folder +
                          " is not an application bundle; nothing was removed."])
        finally:
            orvane.stop()

        # --- Linux: the autostart entry goes, a program in the home folder goes to the Trash ---
        print("# uninstall (Linux, program in the home folder)")
        home_bin = os.path.join(root, "linux", "home", ".local", "bin")
        os.makedirs(home_bin)
        shutil.copy(PROGRAM, os.path.join(home_bin, "orvane"))
        orvane = Orvane(os.path.join(home_bin, "orvane"), root, "linux")
        try:
            entry = os.path.join(orvane.home, ".config/autostart/com.tarnwell.orvane.desktop")
            checks.true("autostart entry written at launch",
                        main_context_wait(lambda: os.path.exists(entry), 10))
            press_uninstall_and_confirm(pyatspi, menu_reader, orvane, checks)
            checks.equal("process ended", orvane.finished(), 0)
            checks.true("autostart entry gone", not os.path.exists(entry))
            checks.true("program moved to the Trash", os.path.exists(
                os.path.join(orvane.home, ".local/share/Trash/files/orvane")))
            checks.true("program no longer in place",
                        not os.path.exists(os.path.join(home_bin, "orvane")))
        finally:
            orvane.stop()

        # --- A StatusNotifierItem host (KDE, GNOME with AppIndicator) instead of XEmbed ---
        print("# menu (StatusNotifierItem host)")
        for helper in helpers[1:]:
            helper.terminate()
            helper.wait()
        del helpers[1:]
        host = NotifierHost()
        main_context_wait(lambda: False, 0.5)
        menu_reader.reset()
        orvane = Orvane(PROGRAM, root, "sni")
        try:
            checks.true("the item registers with the host",
                        main_context_wait(lambda: host.items, 10))
            checks.equal("its title and tooltip",
                         (host.item_property("Title"), host.item_property("ToolTip")[2]),
                         ("Orvane", "Orvane"))
            checks.equal("its menu, read over D-Bus before any opening", host.menu_lines(),
                         EXPECTED_MENU)
            host.activate(600, 400)
            checks.true("activating the item opens the menu",
                        main_context_wait(menu_reader.showing, 10))
            menu_reader.close()
        finally:
            orvane.stop()
            host.close()
    finally:
        for helper in reversed(helpers):
            helper.terminate()
            helper.wait()
        shutil.rmtree(root, ignore_errors=True)
    print("%d check(s) failed" % checks.failures if checks.failures else "all checks passed")
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(inner() if os.environ.get("ORVANE_TRAY_CHECK_INNER") else outer())
