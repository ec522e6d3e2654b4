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
from testhome import isolated_env, wait_for  # noqa: E402

ORVANE = os.path.abspath(sys.argv[1])
SCREEN = (1280, 800)
# Text-free spots of the card's ground beside a text (x, y inside the card), with the colour of
# that text as the card draws it (white at an alpha); a button's spot lies on its own fill.
SPOTS = {"file name": ((5, 203), 0.58), "Copy Only": ((19, 299), 0.92),
         "Share": ((19, 343), 0.92)}


def linear(c):
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def luminance(rgb):
    r, g, b = (linear(v / 255) for v in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def run(*command, env):
    return subprocess.run(command, capture_output=True, text=True, timeout=20, env=env).stdout


def pixels(path, x, y, w, h, env):
    """The RGB triples of a rectangle of a PNG, read through ImageMagick."""
    out = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                          "-depth", "8", "rgb:-"], capture_output=True, timeout=20, env=env).stdout
    return [tuple(out[i:i + 3]) for i in range(0, len(out), 3)]


def measure(background, root):
    """The grounds (RGB) at each spot, with the card over `background`."""
    home = os.path.join(root, background)
    os.makedirs(os.path.join(home, "Desktop"))
    picture = os.path.join(root, background + ".png")
    if background == "white":
        subprocess.run(["convert", "-size", "%dx%d" % SCREEN, "xc:white", picture], check=True)
    else:  # lines of black text on white, the worst a window behind can show through
        subprocess.run(["convert", "-size", "%dx%d" % SCREEN, "xc:white", "-fill", "black",
                        "-draw", " ".join("rectangle 0,%d %d,%d" % (y, SCREEN[0], y + 1)
                                          for y in range(0, SCREEN[1], 4)), picture], check=True)
    display_file = os.path.join(root, background + ".display")
    with open(display_file, "w") as out:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0",
                                 "%dx%dx24" % SCREEN, "-nolisten", "tcp"],
                                pass_fds=(out.fileno(),), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    processes = [xvfb]
    try:
        number = wait_for(lambda: open(display_file).read().strip(), 10)
        env = isolated_env(home, DISPLAY=":" + number, QT_QPA_PLATFORM="xcb")
        machine = dict(os.environ, DISPLAY=":" + number)
        # The picture as a window below everything, as a desktop's wallpaper window is.
        processes.append(subprocess.Popen(["display", "-window", "root", picture], env=machine,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        processes.append(subprocess.Popen(["openbox"], env=machine, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL))
        wait_for(lambda: "window id" in run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK",
                                             env=machine), 15)
        processes.append(subprocess.Popen(["xcompmgr"], env=machine, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL))
        orvane = subprocess.Popen([ORVANE, "--background", "--simulate-capture"], env=env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        processes.append(orvane)

        def card():
            for window in run("xdotool", "search", "--onlyvisible", "--name", "^Orvane$",
                              env=env).split():
                info = run("xwininfo", "-id", window, env=env)
                values = dict(line.strip().partition(":")[::2] for line in info.splitlines())
                if values.get("Width", "").strip() == "300":
                    return (window, int(values["Absolute upper-left X"]),
                            int(values["Absolute upper-left Y"]))
            return None
        found = wait_for(card, 20)
        if not found:
            sys.exit("FAIL: no card over the " + background + " background")
        window, at = found[0], found[1:]

        def faded_in():
            # The compositor draws the window at the opacity Qt sets during the fade-in.
            opacity = run("xprop", "-id", window, "_NET_WM_WINDOW_OPACITY", env=env)
            return "not found" in opacity or opacity.strip().endswith("4294967295")
        wait_for(faded_in, 10)
        shot = os.path.join(root, background + "-screen.png")
        last = []

        def settled():
            # The composited screen, as the user sees it, once the card has faded in: two
            # grabs in a row that agree.
            subprocess.run(["import", "-window", "root", shot], env=machine, timeout=20)
            grounds = {name: pixels(shot, at[0] + x, at[1] + y, 4, 4, env)
                       for name, ((x, y), _) in SPOTS.items()}
            same = last and last[-1] == grounds
            last.append(grounds)
            return same
        wait_for(settled, 10)
        return last[-1]
    finally:
        for process in reversed(processes):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()


def main():
    failures = []
    with tempfile.TemporaryDirectory(prefix="orvane-contrast-") as root:
        seen = {"white": measure("white", root), "busy": measure("busy", root)}
    for name, (_, alpha) in SPOTS.items():
        samples = [p for grounds in seen.values() for p in grounds[name]]
        levels = [sum(p) / 3 for p in samples]
        spread = max(levels) - min(levels)
        # The text over the lightest ground seen: white at its alpha over the button's fill.
        ground = max(samples, key=luminance)
        text = tuple(255 * alpha + (1 - alpha) * c for c in ground)
        contrast = (luminance(text) + 0.05) / (luminance(ground) + 0.05)
        for what, ok in ((name + ": the ground barely moves with what is behind (%.1f of 255)"
                          % spread, spread <= 12),
                         (name + ": contrast %.1f:1 at least 4.5:1" % contrast, contrast >= 4.5)):
            print(("ok   " if ok else "FAIL ") + what, flush=True)
            if not ok:
                failures.append(what)
    if failures:
        sys.exit("FAIL: " + ", ".join(failures))
    print("all passed")


if __name__ == "__main__":
    main()
