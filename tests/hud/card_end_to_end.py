#!/usr/bin/python3
"""The real card where the QtTests cannot look: its place and window hints on X, Copy Only
through AT-SPI (the whole picture on the clipboard, the card gone after its confirmation), the
share menu's items where they are seen, its e-mail, and the card dragged by its body."""
import os
import shutil
import sys
import tempfile
import time

from pyatspi import DESKTOP_COORDS

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import (Program, accessible_env, cards, fail, find, pasted_size, press,  # noqa
                     run, screenshot, settings, wait_for, write)

ORVANE = sys.argv[1]
MAIL = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\036' \"$a\" >> \"$0.log\"; done\n"


def main():
    home = tempfile.mkdtemp(prefix="orvane-card-")
    mail = write(os.path.join(home, "bin", "xdg-email"), MAIL, 0o755)
    env = accessible_env(home, PATH=os.path.dirname(mail) + os.pathsep + os.environ["PATH"])
    # The longest countdown on offer: the card outlasts the steps below on a busy machine.
    settings(env, "orvane_autoDismissSeconds=12\n")
    desktop = os.path.join(home, "Desktop")
    sample = screenshot(os.path.join(home, "sample.png"), "640x400", "gradient:steelblue-navy")
    orvane = Program([ORVANE, "--background"])
    try:
        if not orvane.watching(10):
            fail("the screenshot folders are not watched (exit status %s)"
                 % orvane.process.poll())
        shot = os.path.join(desktop, "Screenshot \"1\" $HOME.png")
        shutil.copy(sample, shot)
        windows = wait_for(cards, 10)
        if len(windows) != 1:
            fail("expected one card, found %d" % len(windows))
        (window, card), = windows
        x, y, w, h = map(int, run("xprop", "-root", "_NET_WORKAREA").split("=")[1].split(",")[:4])
        if card != (x + w - 320, y + h - 405, 300, 385):
            fail("card at %s in the work area %s" % (card, (x, y, w, h)))
        state = ("_NET_WM_STATE_ABOVE", "accepts input or input focus: False",
                 "_NET_WM_WINDOW_TYPE_UTILITY", "_NET_WM_WINDOW_OPACITY(CARDINAL) = 4294967295")
        if not wait_for(lambda: all(s in run("xprop", "-id", window) for s in state), 5):
            fail("not an opaque, unfocusable tool window above: " + run("xprop", "-id", window))
        if not wait_for(lambda: press(find("push button", "Copy Only")), 10):
            fail("no Copy Only button found by name")
        pressed = time.monotonic()
        if not wait_for(lambda: not cards(), 10):
            fail("card still there after Copy Only")
        # Not before its confirmation was shown; how much later depends on the machine's load.
        gone = time.monotonic() - pressed
        if gone < 0.7 or os.path.exists(shot):
            fail("card went %.2f s after Copy Only; file kept: %s" % (gone, os.path.exists(shot)))
        # The whole picture, read from the file: the card itself holds only a thumbnail.
        if pasted_size() != (640, 400):
            fail("the clipboard holds no 640 x 400 picture after Copy Only")
        print("Copy Only pressed by name: card gone after %.2f s" % gone)

        latest = os.path.join(desktop, "Screenshot 2.png")
        shutil.copy(sample, latest)
        windows = wait_for(cards, 10)
        if len(windows) != 1:
            fail("no card for Screenshot 2.png")
        x, y, w, h = windows[0][1]
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
        if len(cards()) != 1:
            fail("sharing ended the card")

        # The card's body moves the card, dragged at a hand's pace.
        steps = [a for i in range(1, 13) for a in
                 ("sleep", "0.05", "mousemove", str(x + 60 - 200 * i // 12), str(y + 205 - 25 * i))]
        run("xdotool", "mousemove", str(x + 60), str(y + 205), "mousedown", "1", *steps,
            "mouseup", "1")
        moved = wait_for(lambda: [g for _, g in cards() if g[:2] != (x, y)], 5)
        if not moved or abs(moved[0][0] - (x - 200)) > 3 or abs(moved[0][1] - (y - 300)) > 3:
            fail("card at %s after dragging its body from %s by (-200, -300)" % (moved, (x, y)))
    finally:
        orvane.process.terminate()
        orvane.process.wait(5)
        shutil.rmtree(home, ignore_errors=True)
    print("PASS")


main()
