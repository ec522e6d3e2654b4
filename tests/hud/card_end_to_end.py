#!/usr/bin/python3
"""The card as a user meets it, where the QtTests cannot look: the real program in a fresh
home, a screenshot saved on the desktop. The card sits in the work area's corner, a tool window
above others, unfocusable. Through AT-SPI: Copy Only leaves the whole picture on the clipboard,
ends the card after its confirmation, on the program's own clock; the share menu's items are
where they are seen, its e-mail goes to the mail program. The card's body drags the card."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time

import pyatspi
from gi.repository import GLib
from pyatspi import DESKTOP_COORDS

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from testhome import isolated_env, wait_for  # noqa: E402

ORVANE = sys.argv[1]
MAIL = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\036' \"$a\" >> \"$0.log\"; done\n"


def fail(message):
    sys.exit("FAIL: " + message)


def run(*command, text=True):
    return subprocess.run(command, capture_output=True, text=text, timeout=10).stdout


def card_windows():
    found = run("xdotool", "search", "--onlyvisible", "--name", "^Orvane$").split()
    return [w for w in found if geometry(w)[2:] == (300, 385)]


def geometry(window):
    info = run("xwininfo", "-id", window)
    values = dict(line.strip().partition(":")[::2] for line in info.splitlines())
    keys = ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")
    return tuple(int(values.get(key, "0").strip() or 0) for key in keys)


def find(role, name):
    """The one node of Orvane's with that role and name: none while two cards have one."""
    def walk(node):
        if node is None or node.name == name and node.getRoleName() == role:
            return [node] if node else []
        return [n for i in range(node.childCount) for n in walk(node.getChildAtIndex(i))]

    found = [n for app in pyatspi.Registry.getDesktop(0)
             if app is not None and app.name.lower().startswith("orvane") for n in walk(app)]
    return found[0] if len(found) == 1 else None


def press(node):
    """Presses the node; false when there is none, or it went away under the call."""
    try:
        action = node.queryAction()
        for i in range(action.nActions):
            if action.getName(i).lower() == "press":
                return action.doAction(i) or True
    except (AttributeError, NotImplementedError, RuntimeError, GLib.GError):
        pass
    return False


def write(path, text, mode=0o644):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)
    os.chmod(path, mode)
    return path


def main():
    home = tempfile.mkdtemp(prefix="orvane-card-")
    env = isolated_env(home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    mail = write(os.path.join(home, "bin", "xdg-email"), MAIL, 0o755)
    env["PATH"] = os.path.dirname(mail) + os.pathsep + env["PATH"]
    # The longest countdown on offer: the card outlasts the steps below on a busy machine.
    write(os.path.join(home, ".config/orvane/orvane.conf"),
          "[General]\norvane_autoDismissSeconds=12\n")
    os.environ.update(env)
    os.makedirs(desktop := os.path.join(home, "Desktop"))
    sample = os.path.join(home, "sample.png")
    subprocess.run(["convert", "-size", "640x400", "gradient:steelblue-navy", sample], check=True)
    pyatspi.Registry.getDesktop(0)  # starts the accessibility bus before Orvane looks for it
    orvane = subprocess.Popen([ORVANE, "--background"], stderr=subprocess.PIPE, text=True)
    logged = []
    threading.Thread(target=lambda: logged.extend(orvane.stderr), daemon=True).start()
    try:
        if not wait_for(lambda: any("FSEventStream started: YES" in line for line in logged), 10):
            fail("the screenshot folders are not watched (exit status %s)" % orvane.poll())
        shot = os.path.join(desktop, "Screenshot \"1\" $HOME.png")
        shutil.copy(sample, shot)
        windows = wait_for(card_windows, 10)
        if len(windows) != 1:
            fail("expected one card, found %d" % len(windows))
        x, y, w, h = map(int, run("xprop", "-root", "_NET_WORKAREA").split("=")[1].split(",")[:4])
        if geometry(windows[0]) != (x + w - 320, y + h - 405, 300, 385):
            fail("card at %s in the work area %s" % (geometry(windows[0]), (x, y, w, h)))
        state = ("_NET_WM_STATE_ABOVE", "accepts input or input focus: False",
                 "_NET_WM_WINDOW_TYPE_UTILITY", "_NET_WM_WINDOW_OPACITY(CARDINAL) = 4294967295")
        if not wait_for(lambda: all(s in run("xprop", "-id", windows[0]) for s in state), 5):
            fail("not an opaque, unfocusable tool window above: " + run("xprop", "-id", windows[0]))
        if not wait_for(lambda: press(find("push button", "Copy Only")), 10):
            fail("no Copy Only button found by name")
        pressed = time.monotonic()
        if not wait_for(lambda: not card_windows(), 10):
            fail("card still there after Copy Only")
        # Not before its confirmation was shown; how much later depends on the machine's load.
        gone = time.monotonic() - pressed
        if gone < 0.7 or os.path.exists(shot):
            fail("card went %.2f s after Copy Only; file kept: %s" % (gone, os.path.exists(shot)))
        # The whole picture, read from the file: the card itself holds only a thumbnail.
        png = run("xclip", "-selection", "clipboard", "-t", "image/png", "-o", text=False)
        if png[12:24] != b"IHDR" + struct.pack(">II", 640, 400):
            fail("the clipboard holds no 640 x 400 picture after Copy Only")
        print("Copy Only pressed by name: card gone after %.2f s" % gone)

        latest = os.path.join(desktop, "Screenshot 2.png")
        shutil.copy(sample, latest)
        windows = wait_for(card_windows, 10)
        if len(windows) != 1:
            fail("no card for Screenshot 2.png")
        x, y, w, h = geometry(windows[0])
        # Each item is found by name in the menu above the Share button, inside the card. (This
        # Qt reports the card's controls in the window's coordinates on the desktop too.)
        if not wait_for(lambda: press(find("push button", "Share")), 5):
            fail("no Share button found by name")
        button = find("push button", "Share").queryComponent().getExtents(DESKTOP_COORDS)
        for name in ["Copy File", "Email…"]:
            item = wait_for(lambda: find("menu item", name), 5)
            if not item:
                fail("share menu item %r not found by name" % name)

            def in_place():
                e = item.queryComponent().getExtents(DESKTOP_COORDS)
                return (e.x >= button.x - 20 and e.x + e.width <= button.x - 20 + w and
                        e.width > 100 and e.height > 10 and e.y + e.height <= button.y and
                        e.y >= button.y - h)
            if not wait_for(in_place, 5):
                e = item.queryComponent().getExtents(DESKTOP_COORDS)
                fail("%r reported at %s, the Share button at %s" % (
                    name, (e.x, e.y, e.width, e.height), (button.x, button.y)))
        press(item)
        if not wait_for(lambda: os.path.exists(mail + ".log") and
                        open(mail + ".log").read() == "--attach\036%s\036" % latest, 5):
            fail("pressing Email… did not start the mail program")
        if len(card_windows()) != 1:
            fail("sharing ended the card")

        # The card's body moves the card, dragged at a hand's pace.
        steps = [a for i in range(1, 13) for a in
                 ("sleep", "0.05", "mousemove", str(x + 60 - 200 * i // 12), str(y + 205 - 25 * i))]
        run("xdotool", "mousemove", str(x + 60), str(y + 205), "mousedown", "1", *steps,
            "mouseup", "1")
        moved = wait_for(lambda: [g for g in map(geometry, card_windows()) if g[:2] != (x, y)], 5)
        if not moved or abs(moved[0][0] - (x - 200)) > 3 or abs(moved[0][1] - (y - 300)) > 3:
            fail("card at %s after dragging its body from %s by (-200, -300)" % (moved, (x, y)))
    finally:
        orvane.terminate()
        orvane.wait(5)
        shutil.rmtree(home, ignore_errors=True)
    print("PASS")


main()
