#!/usr/bin/python3
"""The real program on Qt's Wayland plugin, with no X display of its own (a weston of the
test's own, drawn into an X display of the test's own, which gives it a seat): one line says what
cannot be done there, the sample card still opens, and no warning floods the log."""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import Checks, Program, home_env, own_display, settings, start, stop, wait_for  # noqa

ORVANE = os.path.abspath(sys.argv[1])
if not shutil.which("weston"):
    sys.exit("FAIL: weston is missing; run scripts/setup --test")
with tempfile.TemporaryDirectory(prefix="orvane-wayland-") as home:
    env = home_env(home, QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY="wayland-orvane")
    env.pop("DISPLAY", None)
    xvfb, display = own_display()
    weston = start("weston", "--backend=x11-backend.so", "--width=1280", "--height=800",
                   "--socket=wayland-orvane", "--idle-time=0", "--no-config",
                   env=dict(env, DISPLAY=display))
    # A short countdown, so that the card fades out too before the program ends.
    settings(env, "orvane_autoDismissSeconds=1\n")
    orvane = None
    try:
        if not wait_for(lambda: os.path.exists(env["XDG_RUNTIME_DIR"] + "/wayland-orvane"), 20):
            sys.exit("FAIL: weston did not start")
        orvane = Program([ORVANE, "--background", "--simulate-capture"], env=env)
        shown = orvane.wait_for_line("HUD displayed", 30)
        # The card's own second and its fade-out; nothing outside sees a Wayland window go.
        time.sleep(2)
        orvane.process.terminate()
        code = orvane.process.wait(10)
        orvane.reader.join(5)
    finally:
        orvane and orvane.end()
        stop(weston, xvfb)
lines = orvane.lines
check = Checks()
check("the card opens", shown)
check("one line says what cannot be done",
      len([line for line in lines if "On Wayland without XWayland" in line]) == 1)
check("no opacity warnings", not any("opacity" in line for line in lines))
check("at most a few lines in all", len(lines) <= 12)
check("an orderly end", code == 0)
if check.failed:
    print("".join(lines))
check.finish()
