"""The preferences' uninstall on a real X server that repeats a held key, the program installed
in a fresh home: Space held on the button asks once and answers nothing, also with both cores
busy; a click on the question's destructive button then trashes the program and its login
entry, and it quits."""
import os, shutil, subprocess, sys, tempfile, time  # noqa: E401

import pyatspi
from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import Checks, box, find, orvane, run, stop, wait_for, write  # noqa: E402

PROGRAM, MODULE = sys.argv[1:3]
SYSTEM_PATH = os.environ["PATH"]
# A dpkg-query that answers at once that no package owns the program: the real one, on a cold or
# busy machine, may not have answered by the time Space is pressed, and then the program stays.
DPKG_QUERY = "#!/bin/sh\necho \"dpkg-query: no path found matching pattern $2\" >&2\nexit 1\n"
check = Checks()


def focused(node):
    try:
        return node.getState().contains(pyatspi.STATE_FOCUSED)
    except (GLib.GError, RuntimeError):
        return False


def scenario(busy):
    what = "both cores busy: " if busy else "quiet: "
    with tempfile.TemporaryDirectory(prefix="orvane-uninstall-") as home:
        # The built program and its module, as a user installs them under their home.
        program = home + "/.local/bin/orvane"
        os.makedirs(os.path.dirname(program))
        shutil.copy2(PROGRAM, program)
        shutil.copy2(MODULE, os.path.dirname(program))
        stand_in = write(home + "/system/bin/dpkg-query", DPKG_QUERY, 0o755)
        autostart = home + "/.config/autostart/com.tarnwell.orvane.desktop"
        with orvane(home, program=program, accessible=True,
                    PATH=os.path.dirname(stand_in) + os.pathsep + SYSTEM_PATH) as app:
            button = wait_for(lambda: find("push button", "Uninstall & Restore Defaults..."), 20)
            check.must(what + "an uninstall button in the preferences", button,
                       app.process.poll())
            check.must(what + "a login entry written at launch",
                       wait_for(lambda: os.path.exists(autostart), 10))
            window = run("xdotool", "search", "--name", "^Orvane Preferences$").split()
            check.must(what + "the preferences window on the display", window)
            run("xdotool", "windowactivate", "--sync", window[0])
            # Tab to the button, as a keyboard user does.
            try:
                button.queryComponent().grabFocus()
            except (NotImplementedError, GLib.GError, RuntimeError):
                pass
            for _ in range(60):
                if wait_for(lambda: focused(button), 0.3):
                    break
                run("xdotool", "key", "Tab")
            check.must(what + "the uninstall button takes the focus", focused(button))
            load = [subprocess.Popen(["yes"], stdout=subprocess.DEVNULL) for _ in range(2 * busy)]
            try:
                run("xdotool", "keydown", "space")
                held = time.monotonic()
                # Its press asks at once; the question then gets the key's repeats, its release.
                alert = wait_for(lambda: find("push button", "Uninstall & Move to Trash"), 30)
                time.sleep(max(0.0, 2.0 - (time.monotonic() - held)))
                run("xdotool", "keyup", "space")
            finally:
                stop(*load)
            check.must(what + "Space on the button asks", alert)
            time.sleep(0.5)
            check.must(what + "a held Space uninstalls nothing", app.process.poll() is None and
                       os.path.exists(program), app.process.poll())
            check.must(what + "nor answers the question",
                       find("push button", "Uninstall & Move to Trash"))
            x, y, w, h = box(alert)
            run("xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1")
            check(what + "a click on the question's button uninstalls, and Orvane quits",
                  app.process.wait(15) == 0, app.process.returncode)
            check(what + "the program is in the Trash", not os.path.exists(program) and
                  os.path.exists(home + "/.local/share/Trash/files/orvane"))
            check(what + "the login entry is gone", not os.path.exists(autostart))


subprocess.run(["xset", "r", "on"], check=True)
subprocess.run(["xset", "r", "rate", "660", "25"], check=True)
scenario(busy=False)
scenario(busy=True)
check.finish()
