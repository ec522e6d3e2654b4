#!/usr/bin/python3
"""The sample card of the real program under window managers that read a window's hints each
their own way, each on an X display of its own: xfwm4 with four workspaces (the card on the
workspace in use, and still there after a switch while it shows), openbox and GNOME's mutter
(the same), and i3 with its bar, which publishes no work area (the card clear of the bar and
on the screen)."""
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import (Checks, cards, geometry, home_env, own_display, run, start, stop,  # noqa
                     wait_for, wait_for_wm, write)

ORVANE = os.path.abspath(sys.argv[1])
SCREEN = (1280, 800)
OPENBOX_CONFIG = ('<?xml version="1.0"?>\n<openbox_config xmlns="http://openbox.org/3.4/rc">'
                  "<desktops><number>4</number></desktops></openbox_config>\n")
I3_CONFIG = "# i3 config file (v4)\nfont pango:DejaVu Sans 8\nbar {\n    position bottom\n}\n"
check = Checks()


def on_desktop(wm, root, test):
    """Runs test(env) with the sample card shown under `wm` on a display of its own."""
    xvfb, display = own_display(SCREEN)
    env = home_env(os.path.join(root, wm), DISPLAY=display, QT_QPA_PLATFORM="xcb")
    command = {"xfwm4": ["xfwm4", "--compositor=off"],
               "openbox": ["openbox", "--config-file", write(root + "/rc.xml", OPENBOX_CONFIG)],
               "mutter": ["mutter", "--x11", "--replace", "--sm-disable"],
               "i3": ["i3", "-c", write(root + "/i3.conf", I3_CONFIG)]}[wm]
    # The window manager as installed, themes and all; only the program is kept apart.
    manager = start(*command, env=dict(os.environ, DISPLAY=display))
    program = None
    try:
        wait_for_wm(env)
        program = start(ORVANE, "--background", "--simulate-capture", env=env)
        test(env)
    finally:
        stop(program, manager, xvfb)


def workspaces(wm):
    def test(env):
        if wm == "mutter":  # GNOME adds workspaces as they fill; four asked for, as a pager does
            run("xdotool", "set_num_desktops", "4", env=env)
        count = wait_for(lambda: (n := run("xprop", "-root", "_NET_NUMBER_OF_DESKTOPS",
                                           env=env).partition("=")[2].strip()) == "4" and n, 30)
        check(wm + ": four workspaces", count == "4", "counted " + repr(count))
        shown = wait_for(lambda: cards(env), 20)
        check(wm + ": card shown on the workspace in use", len(shown) == 1, shown)
        run("xdotool", "set_desktop", "2", env=env)
        time.sleep(0.3)  # the switch is asynchronous: let the manager map and unmap
        on = run("xprop", "-root", "_NET_CURRENT_DESKTOP", env=env)
        check(wm + ": switched to workspace 3", on.strip().endswith("= 2"), on)
        check(wm + ": card still shown there", len(cards(env)) == 1)
    return test


def bar(env):
    shown = [rect for _, rect in wait_for(lambda: cards(env), 20)]
    bars = [geometry(w, env) for w in run("xdotool", "search", "--class", "^i3bar$",
                                          env=env).split()]
    bars = [rect for rect, viewable in bars if viewable and rect[2] > 100]
    if check("i3: a card and a bar", len(shown) == 1 and len(bars) == 1, (shown, bars)):
        (x, y, w, h), (bx, by, bw, bh) = shown[0], bars[0]
        clear = x >= bx + bw or bx >= x + w or y >= by + bh or by >= y + h
        check("i3: the card is clear of the bar", clear, (shown[0], bars[0]))
        check("i3: the card is on the screen", x >= 0 and y >= 0 and x + w <= SCREEN[0] and
              y + h <= SCREEN[1], shown[0])


with tempfile.TemporaryDirectory(prefix="orvane-desktops-") as root:
    for wm in ("xfwm4", "openbox", "mutter"):
        on_desktop(wm, root, workspaces(wm))
    on_desktop("i3", root, bar)
check.finish()
