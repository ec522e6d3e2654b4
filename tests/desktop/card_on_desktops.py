#!/usr/bin/python3
"""The sample card of the real program under window managers that read a window's hints each
their own way, each on an X display of its own: xfwm4 with four workspaces (the card on the
workspace in use, and still there after a switch while it shows), openbox (the same), and i3
with its bar, which publishes no work area (the card clear of the bar and on the screen)."""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from testhome import isolated_env, wait_for  # noqa: E402

ORVANE = os.path.abspath(sys.argv[1])
SCREEN = (1280, 800)
OPENBOX_CONFIG = ('<?xml version="1.0"?>\n<openbox_config xmlns="http://openbox.org/3.4/rc">'
                  "<desktops><number>4</number></desktops></openbox_config>\n")
I3_CONFIG = "# i3 config file (v4)\nfont pango:DejaVu Sans 8\nbar {\n    position bottom\n}\n"
failures = []


def check(what, ok, detail=""):
    print(("ok   " if ok else "FAIL ") + what + ("" if ok else "  " + detail), flush=True)
    if not ok:
        failures.append(what)


def run(*command, env):
    return subprocess.run(command, capture_output=True, text=True, timeout=10, env=env).stdout


def geometry(window, env):
    info = run("xwininfo", "-id", window, env=env)
    values = dict(line.strip().partition(":")[::2] for line in info.splitlines())
    keys = ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")
    rect = tuple(int(values.get(key, "0").strip() or 0) for key in keys)
    return rect, values.get("Map State", "").strip() == "IsViewable"


def viewable_cards(env):
    found = run("xdotool", "search", "--name", "^Orvane$", env=env).split()
    return [rect for rect, shown in (geometry(w, env) for w in found)
            if shown and rect[2:] == (300, 385)]


def meets(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


class Desktop:
    """An X display with one window manager, and the program showing its sample card."""

    def __init__(self, wm, root):
        self.root = root
        fd_file = os.path.join(root, "display")
        with open(fd_file, "w") as out:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", "%dx%dx24" % SCREEN,
                 "-nolisten", "tcp"], pass_fds=(out.fileno(),), stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL)
        number = wait_for(lambda: open(fd_file).read().strip(), 10)
        self.env = isolated_env(os.path.join(root, "home"), DISPLAY=":" + number,
                                QT_QPA_PLATFORM="xcb")
        os.makedirs(os.path.join(root, "home", "Desktop"), exist_ok=True)
        command = {"xfwm4": ["xfwm4", "--compositor=off"],
                   "openbox": ["openbox", "--config-file", os.path.join(root, "rc.xml")],
                   "i3": ["i3", "-c", os.path.join(root, "i3.conf")]}[wm]
        for name, text in (("rc.xml", OPENBOX_CONFIG), ("i3.conf", I3_CONFIG)):
            with open(os.path.join(root, name), "w") as f:
                f.write(text)
        # The window manager as installed, themes and all; only the program is kept apart.
        self.wm = subprocess.Popen(command, env=dict(os.environ, DISPLAY=self.env["DISPLAY"]),
                                   stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        wait_for(lambda: "window id" in run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK",
                                             env=self.env), 15)
        self.program = None

    def show_card(self):
        self.program = subprocess.Popen([ORVANE, "--background", "--simulate-capture"],
                                        env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        return wait_for(lambda: viewable_cards(self.env), 20)

    def close(self):
        for process in (self.program, self.wm, self.xvfb):
            if process:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()


def workspaces(wm, root):
    desktop = Desktop(wm, root)
    try:
        count = wait_for(lambda: run("xprop", "-root", "_NET_NUMBER_OF_DESKTOPS",
                                     env=desktop.env).partition("=")[2].strip(), 30)
        check(wm + ": four workspaces", count == "4", "counted " + repr(count))
        cards = desktop.show_card()
        check(wm + ": card shown on the workspace in use", len(cards) == 1, repr(cards))
        run("xdotool", "set_desktop", "2", env=desktop.env)
        time.sleep(0.3)  # the switch is asynchronous: let the manager map and unmap
        on = run("xprop", "-root", "_NET_CURRENT_DESKTOP", env=desktop.env)
        check(wm + ": switched to workspace 3", on.strip().endswith("= 2"), on)
        check(wm + ": card still shown there", len(viewable_cards(desktop.env)) == 1)
    finally:
        desktop.close()


def bar(root):
    desktop = Desktop("i3", root)
    try:
        cards = desktop.show_card()
        bars = [geometry(w, desktop.env) for w in
                run("xdotool", "search", "--class", "^i3bar$", env=desktop.env).split()]
        bars = [rect for rect, shown in bars if shown and rect[2] > 100]
        check("i3: a card and a bar", len(cards) == 1 and len(bars) == 1, repr((cards, bars)))
        if cards and bars:
            card = cards[0]
            check("i3: the card is clear of the bar", not meets(card, bars[0]),
                  repr((card, bars[0])))
            check("i3: the card is on the screen", card[0] >= 0 and card[1] >= 0 and
                  card[0] + card[2] <= SCREEN[0] and card[1] + card[3] <= SCREEN[1], repr(card))
    finally:
        desktop.close()


def main():
    with tempfile.TemporaryDirectory(prefix="orvane-desktops-") as root:
        for wm in ("xfwm4", "openbox"):
            os.makedirs(os.path.join(root, wm))
            workspaces(wm, os.path.join(root, wm))
        os.makedirs(os.path.join(root, "i3"))
        bar(os.path.join(root, "i3"))
    if failures:
        sys.exit("FAIL: " + ", ".join(failures))
    print("all passed")


if __name__ == "__main__":
    main()
