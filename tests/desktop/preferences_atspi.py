#!/usr/bin/python3
"""Drives the preferences window of the real program the way a screen reader does (AT-SPI):
finds its switches and timer segments by name, flips "Play Sound Effects", picks "12s", and
checks what was stored. Usage: preferences_atspi.py PATH_TO_ORVANE"""

import glob
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from testhome import isolated_env  # noqa: E402

home = tempfile.mkdtemp(prefix="orvane-atspi-")
os.environ.update(isolated_env(home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))

import pyatspi  # noqa: E402  (after HOME is set)

settings_folder = os.path.join(home, ".config", "orvane")


def wait_for(condition, what, timeout=10):
    end = time.time() + timeout
    while time.time() < end:
        result = condition()
        if result:
            return result
        time.sleep(0.1)
    sys.exit("timed out waiting for " + what)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and (app.name or "").lower() == "orvane":
            return app
    return None


def nodes(node):
    yield node
    for child in node:
        if child is not None:
            yield from nodes(child)


def named(app, name):
    return [n for n in nodes(app) if n.name == name]


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for wanted in ("Toggle", "Press"):
        if wanted in names:
            action.doAction(names.index(wanted))
            return
    sys.exit("no action on %r: %r" % (node.name, names))


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def stored():
    text = ""
    for name in glob.glob(os.path.join(settings_folder, "*")):
        with open(name) as f:
            text += f.read()
    return text


orvane = subprocess.Popen([sys.argv[1]], stderr=subprocess.PIPE)
try:
    app = wait_for(application, "the application on the accessibility bus")
    wait_for(lambda: named(app, "Orvane Preferences"), "the preferences window")

    for name in ("Enable Orvane Screenshot HUD", "Launch at Login",
                 "Auto-Copy on Capture (Zero-Click)", "Play Sound Effects", "Auto-Dismiss Timer",
                 "4s", "7s (Default)", "12s", "Change...", "Simulate Screenshot HUD (Preview)",
                 "Uninstall & Restore Defaults..."):
        found = named(app, name)
        if len(found) != 1:
            sys.exit("%d controls named %r" % (len(found), name))
    for name in ("Enable Orvane Screenshot HUD", "Play Sound Effects"):
        if not checked(named(app, name)[0]):
            sys.exit(name + " is not on at first")
    if not checked(named(app, "7s (Default)")[0]):
        sys.exit("7s (Default) is not marked at first")

    press(named(app, "Play Sound Effects")[0])
    wait_for(lambda: "orvane_playSound=false" in stored(), "orvane_playSound to be stored")

    press(named(app, "12s")[0])
    wait_for(lambda: "orvane_autoDismissSeconds=12" in stored(), "12 seconds to be stored")
    wait_for(lambda: not checked(named(app, "7s (Default)")[0]), "7s (Default) to be unmarked")
    print("found every control by name; toggling and picking stored the settings")
finally:
    orvane.terminate()
    orvane.wait(10)
