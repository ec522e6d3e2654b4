#!/usr/bin/python3
"""The real program on Qt's Wayland plugin, with no X display of its own (a weston of the
test's own, drawn into an X display of the test's own, which gives it a seat): one line says what
cannot be done there, the sample card still opens, and no warning floods the log."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from testhome import isolated_env, wait_for  # noqa: E402

ORVANE = os.path.abspath(sys.argv[1])


def main():
    if not shutil.which("weston"):
        sys.exit("FAIL: weston is missing; run scripts/setup --test")
    with tempfile.TemporaryDirectory(prefix="orvane-wayland-") as home:
        os.makedirs(os.path.join(home, "Desktop"))
        env = isolated_env(home, QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY="wayland-orvane")
        env.pop("DISPLAY", None)
        display_file = os.path.join(home, "display")
        with open(display_file, "w") as out:
            xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0",
                                     "1280x800x24", "-nolisten", "tcp"], pass_fds=(out.fileno(),),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        number = wait_for(lambda: open(display_file).read().strip(), 10)
        weston = subprocess.Popen(["weston", "--backend=x11-backend.so", "--width=1280",
                                   "--height=800", "--socket=wayland-orvane", "--idle-time=0",
                                   "--no-config"], env=dict(env, DISPLAY=":" + number),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A short countdown, so that the card fades out too before the program ends.
        os.makedirs(os.path.join(env["XDG_CONFIG_HOME"], "orvane"))
        with open(os.path.join(env["XDG_CONFIG_HOME"], "orvane", "orvane.conf"), "w") as f:
            f.write("[General]\norvane_autoDismissSeconds=1\n")
        log = os.path.join(home, "orvane.log")
        orvane = None
        try:
            socket = os.path.join(env["XDG_RUNTIME_DIR"], "wayland-orvane")
            if not wait_for(lambda: os.path.exists(socket), 20):
                sys.exit("FAIL: weston did not start")
            with open(log, "w") as err:
                orvane = subprocess.Popen([ORVANE, "--background", "--simulate-capture"],
                                          env=env, stdout=subprocess.DEVNULL, stderr=err)

            def text():
                with open(log) as f:
                    return f.read()
            shown = wait_for(lambda: "HUD displayed" in text(), 30)
            # The card's own second and its fade-out; nothing outside sees a Wayland window go.
            time.sleep(2)
            orvane.terminate()
            code = orvane.wait(10)
            lines = text().splitlines()
        finally:
            if orvane and orvane.poll() is None:
                orvane.kill()
            weston.terminate()
            weston.wait(10)
            xvfb.terminate()
            xvfb.wait(10)
    failures = []
    said = [line for line in lines if "On Wayland without XWayland" in line]
    for what, ok in (("the card opens", shown), ("one line says what cannot be done", len(said) == 1),
                     ("no opacity warnings", not any("opacity" in line for line in lines)),
                     ("at most a few lines in all", len(lines) <= 12),
                     ("an orderly end", code == 0)):
        print(("ok   " if ok else "FAIL ") + what, flush=True)
        if not ok:
            failures.append(what)
    if failures:
        print("\n".join(lines))
        sys.exit("FAIL: " + ", ".join(failures))
    print("all passed")


if __name__ == "__main__":
    main()
