#!/usr/bin/python3
"""The preferences' uninstall on a real X server that repeats a held key, the program installed
in a fresh home: Space held on the button asks once and answers nothing, also with both cores
busy; a click on the question's destructive button then trashes the program and its login
entry, and it quits."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import (Program, accessible_env, centre, fail, find, run, wait_for,  # noqa: E402
                     write)

PROGRAM = sys.argv[1]
MODULE = sys.argv[2]
SYSTEM_PATH = os.environ["PATH"]


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=10)


def focused(node):
    try:
        return node.getState().contains(pyatspi.STATE_FOCUSED)
    except (GLib.GError, RuntimeError):
        return False


def install(home):
    """The built program and its module, as a user installs them under their home."""
    bin_dir = os.path.join(home, ".local", "bin")
    os.makedirs(bin_dir)
    program = os.path.join(bin_dir, "orvane")
    shutil.copy2(PROGRAM, program)
    shutil.copy2(MODULE, os.path.join(bin_dir, os.path.basename(MODULE)))
    return program


def no_package_manager(home):
    """A dpkg-query that answers at once that no package owns the program: the real one, on a
    cold or busy machine, may not have answered by the time Space is pressed, and then the
    program rightly stays."""
    stand_in = write(os.path.join(home, "system", "bin", "dpkg-query"), "#!/bin/sh\necho "
                     "\"dpkg-query: no path found matching pattern $2\" >&2\nexit 1\n", 0o755)
    return os.path.dirname(stand_in) + os.pathsep + SYSTEM_PATH


def scenario(busy):
    home = tempfile.mkdtemp(prefix="orvane-uninstall-")
    accessible_env(home, PATH=no_package_manager(home))
    program = install(home)
    autostart = os.path.join(home, ".config", "autostart", "com.tarnwell.orvane.desktop")
    orvane = Program([program]).process
    load = []
    try:
        button = wait_for(lambda: find("push button", "Uninstall & Restore Defaults..."), 20)
        if not button:
            fail("no uninstall button in the preferences (exit status %s)" % orvane.poll())
        if not wait_for(lambda: os.path.exists(autostart), 10):
            fail("no login entry written at launch")
        window = run("xdotool", "search", "--name", "^Orvane Preferences$").split()
        if not window:
            fail("no preferences window on the display")
        xdotool("windowactivate", "--sync", window[0])
        # Tab to the button, as a keyboard user does.
        try:
            button.queryComponent().grabFocus()
        except (NotImplementedError, GLib.GError, RuntimeError):
            pass
        for _ in range(60):
            if wait_for(lambda: focused(button), 0.3):
                break
            xdotool("key", "Tab")
        if not focused(button):
            fail("the uninstall button never took the focus")
        for _ in range(2 if busy else 0):
            load.append(subprocess.Popen(["yes"], stdout=subprocess.DEVNULL))
        xdotool("keydown", "space")
        held = time.monotonic()
        # Its press asks at once; the question then gets the key's repeats, then its release.
        alert_button = wait_for(lambda: find("push button", "Uninstall & Move to Trash"), 30)
        time.sleep(max(0.0, 2.0 - (time.monotonic() - held)))
        xdotool("keyup", "space")
        for process in load:
            process.kill()
            process.wait()
        load.clear()
        if not alert_button:
            fail("pressing Space on the button did not ask")
        time.sleep(0.5)
        if orvane.poll() is not None or not os.path.exists(program):
            fail("a held Space uninstalled Orvane (exit status %s, program there: %s)"
                 % (orvane.poll(), os.path.exists(program)))
        if not find("push button", "Uninstall & Move to Trash"):
            fail("the held Space answered the question")
        cancel = find("push button", "Cancel")
        if not cancel or not focused(cancel):
            fail("Cancel is not where the keyboard starts")
        xdotool("mousemove", *map(str, centre(alert_button)), "click", "1")
        if orvane.wait(15) != 0:
            fail("Orvane ended with status %s after the uninstall" % orvane.returncode)
        trashed = os.path.join(home, ".local", "share", "Trash", "files", "orvane")
        if os.path.exists(program) or not os.path.exists(trashed):
            fail("the program was not moved to the Trash")
        if os.path.exists(autostart):
            fail("the login entry is still there")
        print("%s: a held Space answered nothing; the click uninstalled"
              % ("both cores busy" if busy else "quiet"))
    finally:
        for process in load:
            process.kill()
        if orvane.poll() is None:
            orvane.terminate()
            orvane.wait(5)
        shutil.rmtree(home, ignore_errors=True)


def main():
    if subprocess.run(["xset", "r", "on"]).returncode != 0:
        print("xset is missing (x11-xserver-utils)")
        sys.exit(77)
    subprocess.run(["xset", "r", "rate", "660", "25"], check=True)
    scenario(busy=False)
    scenario(busy=True)
    print("PASS")


main()
