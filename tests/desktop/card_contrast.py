#!/usr/bin/python3
"""The card stays legible whatever lies behind it, under a compositor that honours its
transparency (xcompmgr): over a white screen and over a busy picture (black text on white, in
stripes), the card's ground under its file name and under its buttons' titles barely moves, and
the texts keep a contrast of at least 4.5:1 over the lightest ground measured there."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import (Checks, cards, home_env, own_display, run, start, stop, wait_for,  # noqa
                     wait_for_wm)

ORVANE = os.path.abspath(sys.argv[1])
SCREEN = (1280, 800)
# Text-free spots of the card's ground beside a text (x, y inside the card), with the colour of
# that text as the card draws it (white at an alpha); a button's spot lies on its own fill, and
# on the gradient of "Copy & Save" at its lightest corner, beside its subtitle (white at 0.85).
SPOTS = {"file name": ((5, 203), 0.58), "Copy & Save": ((19, 244), 0.85),
         "Copy Only": ((19, 299), 0.92), "Share": ((19, 343), 0.92)}
# Lines of black text on white, the worst a window behind can show through.
STRIPES = ["-fill", "black", "-draw", " ".join("rectangle 0,%d %d,%d" % (y, SCREEN[0], y + 1)
                                               for y in range(0, SCREEN[1], 4))]


def luminance(rgb):
    r, g, b = (c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
               for c in (v / 255 for v in rgb))
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def pixels(path, x, y):
    """The RGB triples of a 4 x 4 square of a PNG."""
    out = run("convert", path, "-crop", "4x4+%d+%d" % (x, y), "+repage", "-depth", "8", "rgb:-",
              text=False)
    return [tuple(out[i:i + 3]) for i in range(0, len(out), 3)]


def measure(background, root):
    """The grounds (RGB) at each spot, with the card over `background`."""
    picture = os.path.join(root, background + ".png")
    # A window, not the root's background, which a compositor paints over with its own.
    subprocess.run(["convert", "-size", "1200x760", "xc:white",
                    *(STRIPES if background == "busy" else []), picture], check=True)
    xvfb, display = own_display(SCREEN)
    env = home_env(os.path.join(root, background), DISPLAY=display, QT_QPA_PLATFORM="xcb")
    machine = dict(os.environ, DISPLAY=display)
    helpers = [xvfb, start("openbox", env=machine)]
    try:
        wait_for_wm(machine)
        # The picture as a window under where the card comes, as the user's work is.
        helpers.append(start("display", "-immutable", "-geometry", "+0+0", picture, env=machine))
        wait_for(lambda: run("xdotool", "search", "--onlyvisible", "--class", "display",
                             env=machine).strip(), 15)
        helpers.append(start("xcompmgr", env=machine))
        helpers.append(start(ORVANE, "--background", "--simulate-capture", env=env))
        found = wait_for(lambda: cards(env), 20)
        if not found:
            sys.exit("FAIL: no card over the " + background + " background")
        window, (x, y, _, _) = found[0]
        # The compositor draws the window at the opacity Qt sets during the fade-in.
        wait_for(lambda: (o := run("xprop", "-id", window, "_NET_WM_WINDOW_OPACITY", env=env))
                 and ("not found" in o or o.strip().endswith("4294967295")), 10)
        shot, last = os.path.join(root, background + "-screen.png"), []

        def settled():  # the composited screen as the user sees it: two grabs that agree
            subprocess.run(["import", "-window", "root", shot], env=machine, timeout=20)
            last.append({name: pixels(shot, x + sx, y + sy) for name, ((sx, sy), _) in
                         SPOTS.items()})
            return len(last) > 1 and last[-2] == last[-1]
        wait_for(settled, 10)
        return last[-1]
    finally:
        stop(*reversed(helpers))


check = Checks()
with tempfile.TemporaryDirectory(prefix="orvane-contrast-") as root:
    seen = [measure("white", root), measure("busy", root)]
for name, (_, alpha) in SPOTS.items():
    samples = [p for grounds in seen for p in grounds[name]]
    spread = max(map(sum, samples)) / 3 - min(map(sum, samples)) / 3
    # The text over the lightest ground seen: white at its alpha over the button's fill.
    ground = max(samples, key=luminance)
    text = tuple(255 * alpha + (1 - alpha) * c for c in ground)
    contrast = (luminance(text) + 0.05) / (luminance(ground) + 0.05)
    check(name + ": the ground barely moves with what is behind (%.1f of 255)" % spread,
          spread <= 12)
    check(name + ": contrast %.1f:1 at least 4.5:1 (ground %s)" % (contrast, ground),
          contrast >= 4.5)
check.finish()
