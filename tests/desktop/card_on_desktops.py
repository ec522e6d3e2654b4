"""The real program on desktops of the test's own: the sample card on the workspace in use under
xfwm4, openbox and mutter, clear of i3's bar (no work area), legible over a white screen and a
busy picture under a compositor, and on Wayland without an X display; the X server killed or
SIGTERM while the card's module loads, one line and no core; a login start without a tray, the
starts refused, and the program as macOS against stand-ins for its tools; the preferences following
a stand-in desktop portal's dark and light on the test's own bus (scripts/with-display --own)."""
import os, re, resource, signal, subprocess, sys, tempfile, time  # noqa: E401

from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import (Checks, Display, Program, Service, cards, geometry, home_env,  # noqa
                     orvane, pump, run, wait_for, write)

ORVANE = os.path.abspath(sys.argv[1])
OPENBOX_CONFIG = ('<?xml version="1.0"?>\n<openbox_config xmlns="http://openbox.org/3.4/rc">'
                  "<desktops><number>4</number></desktops></openbox_config>\n")
I3_CONFIG = "# i3 config file (v4)\nfont pango:DejaVu Sans 8\nbar {\n    position bottom\n}\n"
# Text-free spots of the card's ground beside a text (x, y inside the card), with the colour of
# that text as the card draws it (white at an alpha); a button's spot lies on its own fill, and
# on the gradient of "Copy & Save" at its lightest corner, beside its subtitle (white at 0.85).
SPOTS = {"file name": ((5, 203), 0.58), "Copy & Save": ((19, 244), 0.85),
         "Copy Only": ((19, 299), 0.92), "Share": ((19, 343), 0.92)}
# Lines of black text on white, the worst a window behind can show through.
STRIPES = ["-fill", "black", "-draw", " ".join("rectangle 0,%d 1280,%d" % (y, y + 1)
                                               for y in range(0, 800, 4))]
PORTAL_XML = """<node><interface name="org.freedesktop.portal.Settings"><method name="Read">
<arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/>
</method><signal name="SettingChanged"><arg type="s"/><arg type="s"/><arg type="v"/></signal>
</interface></node>"""
SCHEME = ("org.freedesktop.appearance", "color-scheme")
LOST = "[Orvane] The connection to the display was lost; Orvane quits."
# The dynamic loader's line as it maps Qt Quick for the card's module, by its path or as a
# library the module needs: the loading has begun.
LOADING = "libQt6Quick.so.6 [0];"
LAUNCHED = "[Orvane] Application did finish launching."
REOPENED = "[Orvane] applicationShouldHandleReopen called -> opening Preferences."
DETECTED = "[Orvane] ✅ Screenshot detected: "
# Each call as its name and arguments, each ended by a NUL, then a record separator.
FAKE_TOOL = """#!/bin/sh
{ printf '%s\\0' "$(basename "$0")" "$@"; printf '\\036'; } >> "$(dirname "$0")/../calls"
"""
check = Checks()


def sample_card(display, home):
    """The program started on `display` to show its sample card; its environment."""
    env = home_env(home, DISPLAY=display.env["DISPLAY"], QT_QPA_PLATFORM="xcb")
    display.start(ORVANE, "--background", "--simulate-capture", env=env)
    return env


def workspaces(root, *wm):
    with Display(*wm) as display:
        name, env = wm[0], sample_card(display, root + "/" + wm[0])
        if name == "mutter":  # GNOME adds workspaces as they fill: four, as a pager asks
            run("xdotool", "set_num_desktops", "4", env=env)
        count = wait_for(lambda: (n := run("xprop", "-root", "_NET_NUMBER_OF_DESKTOPS",
                                           env=env).partition("=")[2].strip()) == "4" and n, 30)
        check(name + ": four workspaces", count == "4", "counted " + repr(count))
        shown = wait_for(lambda: cards(env), 20)
        check(name + ": card shown on the workspace in use", len(shown) == 1, shown)
        run("xdotool", "set_desktop", "2", env=env)
        time.sleep(0.3)  # the switch is asynchronous: let the manager map and unmap
        on = run("xprop", "-root", "_NET_CURRENT_DESKTOP", env=env)
        check(name + ": switched to workspace 3", on.strip().endswith("= 2"), on)
        check(name + ": card still shown there", len(cards(env)) == 1)


def bar(root):
    with Display("i3", "-c", write(root + "/i3.conf", I3_CONFIG)) as display:
        env = sample_card(display, root + "/i3")
        shown = [rect for _, rect in wait_for(lambda: cards(env), 20)]
        bars = [rect for rect, viewable in (geometry(w, env) for w in run(
            "xdotool", "search", "--class", "^i3bar$", env=env).split())
                if viewable and rect[2] > 100]
        if check("i3: a card and a bar", len(shown) == 1 and len(bars) == 1, (shown, bars)):
            (x, y, w, h), (bx, by, bw, bh) = shown[0], bars[0]
            check("i3: the card is clear of the bar",
                  x >= bx + bw or bx >= x + w or y >= by + bh or by >= y + h, (shown, bars))
            check("i3: the card is on the screen",
                  x >= 0 and y >= 0 and x + w <= 1280 and y + h <= 800, shown)


def luminance(rgb):
    r, g, b = (c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
               for c in (v / 255 for v in rgb))
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def grounds(root, background):
    """The grounds (RGB triples of a 4 x 4 square) at each spot, the card over `background`."""
    picture, shot = root + "/%s.png" % background, root + "/%s-screen.png" % background
    # A window, not the root's background, which a compositor paints over with its own.
    subprocess.run(["convert", "-size", "1200x760", "xc:white",
                    *(STRIPES if background == "busy" else []), picture], check=True)
    with Display("openbox") as display:
        # The picture as a window under where the card comes, as the user's work is.
        display.start("display", "-immutable", "-geometry", "+0+0", picture)
        wait_for(lambda: run("xdotool", "search", "--onlyvisible", "--class", "display",
                             env=display.env).strip(), 15)
        display.start("xcompmgr")
        env = sample_card(display, root + "/" + background)
        found = check.must("a card over the %s background" % background,
                           wait_for(lambda: cards(env), 20))
        window, (cx, cy, _, _) = found[0]
        # The compositor draws the window at the opacity Qt sets during the fade-in.
        wait_for(lambda: (o := run("xprop", "-id", window, "_NET_WM_WINDOW_OPACITY", env=env))
                 and ("not found" in o or o.strip().endswith("4294967295")), 10)
        last = []

        def settled():  # the composited screen as the user sees it: two grabs that agree
            subprocess.run(["import", "-window", "root", shot], env=display.env, timeout=20)
            last.append({name: run("convert", shot, "-crop", "4x4+%d+%d" % (cx + sx, cy + sy),
                                   "+repage", "-depth", "8", "rgb:-", text=False)
                         for name, ((sx, sy), _) in SPOTS.items()})
            return len(last) > 1 and last[-2] == last[-1]
        wait_for(settled, 10)
        return {name: [tuple(rgb[i:i + 3]) for i in range(0, len(rgb), 3)]
                for name, rgb in last[-1].items()}


def contrast(root):
    seen = [grounds(root, "white"), grounds(root, "busy")]
    for name, (_, alpha) in SPOTS.items():
        samples = [p for ground in seen for p in ground[name]]
        spread = max(map(sum, samples)) / 3 - min(map(sum, samples)) / 3
        # The text over the lightest ground seen: white at its alpha over the button's fill.
        ground = max(samples, key=luminance)
        text = tuple(255 * alpha + (1 - alpha) * c for c in ground)
        ratio = (luminance(text) + 0.05) / (luminance(ground) + 0.05)
        check(name + ": the ground barely moves with what is behind (%.1f of 255)" % spread,
              spread <= 12)
        check(name + ": contrast %.1f:1 at least 4.5:1 (ground %s)" % (ratio, ground),
              ratio >= 4.5)


def wayland(root):
    home = root + "/wayland"
    with Display() as display:
        display.start("weston", "--backend=x11-backend.so", "--width=1280", "--height=800",
                      "--socket=wayland-orvane", "--idle-time=0", "--no-config",
                      env=home_env(home, DISPLAY=display.env["DISPLAY"]))
        check.must("weston starts",
                   wait_for(lambda: os.path.exists(home + "/runtime/wayland-orvane"), 20))
        # A short countdown, so that the card fades out too before the program ends.
        with orvane(home, "--background", "--simulate-capture",
                    conf="orvane_autoDismissSeconds=1\n", QT_QPA_PLATFORM="wayland",
                    WAYLAND_DISPLAY="wayland-orvane", DISPLAY=None) as program:
            check("Wayland: the card opens", program.wait_for_line("HUD displayed", 30))
            # The card's own second and its fade-out; nothing outside sees a Wayland window go.
            time.sleep(2)
            program.process.terminate()
            check("Wayland: an orderly end", program.process.wait(10) == 0)
            program.reader.join(5)
    lines, log = program.lines, "".join(program.lines)
    check("Wayland: one line says what cannot be done",
          len([line for line in lines if "On Wayland without XWayland" in line]) == 1, log)
    check("Wayland: no opacity warnings", "opacity" not in log, log)
    check("Wayland: at most a few lines in all", len(lines) <= 12, log)


def own_log(program):
    """Its own lines, without the dynamic loader's ("  1234:\t...")."""
    return "".join(line for line in program.lines if not re.match(r"\s*\d+:\t", line))[-3000:]


def lost_while_loading(root, end, round_number):
    """Orvane loading the card at once, the X server killed or SIGTERM sent once it has begun;
    its cores, were there any, in its working folder."""
    killed, home = end == "X server killed", "%s/module-%s-%d" % (root, end[0], round_number)
    what = "%s while loading, round %d: " % (end, round_number)
    with Display(size=(800, 600)) as x, Program(
            [ORVANE, "--background", "--simulate-capture"], cwd=home, env=home_env(
                home, DISPLAY=x.env["DISPLAY"], QT_QPA_PLATFORM="xcb", LD_DEBUG="files"),
            preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_CORE,
                                                  (resource.RLIM_INFINITY,) * 2)) as app:
        check.must(what + "Qt Quick is loaded", app.wait_for_line(LOADING), own_log(app))
        x.xvfb.kill() if killed else app.process.send_signal(signal.SIGTERM)
        status, cores = app.process.wait(20), [n for n in os.listdir(home) if n.startswith("core")]
        check.must(what + "exit status %d, no core" % killed, status == killed and not cores,
                   (status, cores, own_log(app)))
        check.must(what + "%d lines say the display was lost" % killed,
                   len(app.logged(LOST)) == killed, own_log(app))


def preferences(title="^Orvane-Einstellungen$"):
    return run("xdotool", "search", "--onlyvisible", "--name", title).split()


def centred(window):
    """On the screen's centre, allowing for the window manager's title bar."""
    (x, y, w, h), _ = geometry(window)
    width, height = map(int, run("xdotool", "getdisplaygeometry").split())
    return abs(x + w // 2 - width // 2) <= 2 and abs(y + h // 2 - height // 2) <= 40


def active(window):
    return wait_for(lambda: run("xdotool", "getactivewindow").strip() == window, 10)


def described(png, env):
    """A PNG's size and one pixel; empty if it is none."""
    return subprocess.run(["convert", "-", "-format", "%wx%h %[pixel:p{10,10}]", "info:"],
                          input=png, capture_output=True, timeout=20, env=env).stdout


def login_start(root):
    """A login start on a fresh German account (LANGUAGE alone) without a tray, a day's use, the
    session's end, on the display the test was given."""
    home, settings = root + "/login", ("[General]\norvane_autoCopyOnCapture=true\n"
                                       "orvane_playSound=false\n")
    env = home_env(home, LANGUAGE="de", QT_QPA_PLATFORM="xcb")
    os.rmdir(home + "/Desktop")  # made after the launch
    conf = write(env["XDG_CONFIG_HOME"] + "/orvane/orvane.conf", settings)
    with Program([ORVANE, "--background"], env=env) as app:
        check.must("login start: launched", app.wait_for_line(LAUNCHED), app.lines)
        check.must("no tray: the preferences open", app.wait_for_line(
            "[Orvane] No system tray is available; opening Preferences so that Orvane can still "
            "be controlled.") and wait_for(preferences, 10), app.lines)
        window = preferences()[0]
        check("no setting written at start-up", open(conf).read() == settings, open(conf).read())
        props = run("xprop", "-id", window, "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE")
        check("the preferences centred, ordinary, in the task bar, active", centred(window) and
              "_NET_WM_WINDOW_TYPE_NORMAL" in props and "SKIP_TASKBAR" not in props and
              active(window), props)
        run("xdotool", "windowmove", "--sync", window, "10", "10")
        run("xdotool", "windowminimize", "--sync", window)
        check.must("minimised", wait_for(lambda: not preferences(), 10))
        # A second start brings the same window back, centred; one in the background just leaves.
        for arguments in ([], ["--background"]):
            again = subprocess.run([ORVANE, *arguments], env=env, capture_output=True, timeout=10)
            check("a second start %s leaves at once" % arguments, again.returncode == 0)
        check("and the preferences are back, centred and active", app.wait_for_line(REOPENED) and
              wait_for(lambda: preferences() == [window] and centred(window), 10) and
              active(window))
        run("xdotool", "key", "--clearmodifiers", "alt+F4")
        check("closed by the window manager, the program stays", app.wait_for_line(
            "[Orvane] Window closed; switched to accessory mode.") and
            wait_for(lambda: not preferences(), 10))
        os.mkdir(desktop := home + "/Desktop")
        check.must("a Desktop made after the launch is watched",
                   app.wait_for_line("[Orvane] Now watching %s." % desktop), app.lines)
        shot = desktop + "/shot 1.png"
        check.must("a real capture tool's screenshot", subprocess.run(
            ["scrot", shot], env=env, timeout=20).returncode == 0 and app.wait_for_line(
            DETECTED + "shot 1.png ("), app.lines)
        want = described(open(shot, "rb").read(), env)
        pasted = lambda: run("xclip", "-selection", "clipboard", "-t", "image/png", "-o",  # noqa
                             text=False)
        check("auto-copied", want and wait_for(lambda: described(pasted(), env) == want, 10))
        app.process.terminate()
        check("SIGTERM: an orderly end", app.process.wait(10) == 0)
        app.reader.join(5)
    check("one line per screenshot and per reopening, the launch's first",
          len(app.logged(DETECTED)) == 1 and len(app.logged(REOPENED)) == 1 and
          app.lines[0].startswith(LAUNCHED), app.lines)


def with_tools(home, **extra):
    """home_env with stand-ins for macOS's tools first on PATH, noting each call in home/calls."""
    for tool in ("defaults", "killall", "launchctl", "open", "osascript"):
        write("%s/bin/%s" % (home, tool), FAKE_TOOL, 0o755)
    return home_env(home, PATH=home + "/bin:" + os.environ["PATH"], **extra)


def calls(home):
    if not os.path.exists(home + "/calls"):
        return []
    return [call.split("\0")[:-1] for call in open(home + "/calls").read().split("\036") if call]


def refused_starts(root):
    """Refused in one line before anything starts: a DISPLAY nothing answers (before Qt aborts
    with a core), a misspelt ORVANE_PLATFORM (run neither as Linux nor as macOS)."""
    for name, value, code, says in (
            ("DISPLAY", ":7319", 1, "orvane: cannot connect to the display :7319"),
            ("ORVANE_PLATFORM", "macOS-13", 2,
             'orvane: ORVANE_PLATFORM="macOS-13" is not one of: linux, macos\n')):
        home = root + "/refused-" + name
        done = subprocess.run([ORVANE, "--background"], capture_output=True, text=True, timeout=10,
                              env=with_tools(home, WAYLAND_DISPLAY=None, QT_QPA_PLATFORM=None,
                                             **{name: value}))
        check("%s=%s: exit %d, one line, nothing done" % (name, value, code),
              done.returncode == code and done.stderr.startswith(says) and
              done.stderr.count("\n") == 1 and not calls(home) and not os.path.exists(
                  home + "/.config/autostart/com.tarnwell.orvane.desktop"), done.stderr)


def mac_interrupt(root):
    """As macOS, against stand-ins for its tools: an interrupt too restores the thumbnail
    setting."""
    home = root + "/mac"
    with Program([ORVANE, "-background"], env=with_tools(home, ORVANE_PLATFORM="macos",
                                                          QT_QPA_PLATFORM="xcb")) as mac:
        check.must("as macOS: launched", mac.wait_for_line(LAUNCHED), mac.lines)
        check("as macOS: its login agent written", wait_for(lambda: os.path.exists(
            home + "/Library/LaunchAgents/com.tarnwell.orvane.plist"), 10))
        mac.process.send_signal(signal.SIGINT)
        check("as macOS: an interrupt ends it cleanly", mac.process.wait(10) == 0)
    check("and restores the thumbnail setting", calls(home)[-2:] == [
        ["defaults", "delete", "com.apple.screencapture", "show-thumbnail"],
        ["killall", "SystemUIServer"]], calls(home))


class Portal(Service):
    scheme = 1  # dark

    def call(self, sender, method, args, invocation):
        if args.unpack() != SCHEME:
            return invocation.return_dbus_error("org.freedesktop.portal.Error.NotFound", "no key")
        # As the portal answers Read: the value inside one variant more.
        invocation.return_value(GLib.Variant("(v)", (GLib.Variant("v", GLib.Variant(
            "u", self.scheme)),)))


def grey(window):
    """The window's mean grey, 0 (black) to 1 (white), as the X server shows it."""
    return float(run("import", "-window", window, "-colorspace", "Gray", "-format", "%[fx:mean]",
                     "info:").strip() or "nan")


def gnome_setting(root):
    """With no portal, GNOME's own dark is asked for on GNOME only (a stand-in gsettings)."""
    for desktop, dark in (("ubuntu:GNOME", True), ("XFCE", False)):
        home = root + "/gsettings-" + desktop.replace(":", "-")  # a PATH entry
        write(home + "/bin/gsettings", FAKE_TOOL + "echo \"'prefer-dark'\"\n", 0o755)
        with orvane(home, QT_QPA_PLATFORM="xcb", XDG_CURRENT_DESKTOP=desktop,
                    PATH=home + "/bin:" + os.environ["PATH"]):
            window = pump(lambda: preferences("^Orvane Preferences$"), 30)
            check.must(desktop + ": the preferences open", window)
            check(desktop + ": the preferences are " + ("dark" if dark else "light"),
                  pump(lambda: grey(window[0]) < 0.35 if dark else grey(window[0]) > 0.65, 15),
                  grey(window[0]))
            asked = [["gsettings", "get", "org.gnome.desktop.interface", "color-scheme"]]
            check(desktop + ": GNOME's setting " + ("asked" if dark else "not asked"),
                  calls(home) == (asked if dark else []), calls(home))


def color_scheme(root):
    """The preferences follow the portal's dark, then its light."""
    portal = Portal("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                    PORTAL_XML)
    with orvane(root + "/scheme", QT_QPA_PLATFORM="xcb"):
        window = pump(lambda: preferences("^Orvane Preferences$"), 30)
        check.must("the preferences open", window)
        for scheme, what, dark in ((1, "dark while the portal says dark", True),
                                   (2, "light once it says light", False)):
            if scheme != portal.scheme:
                portal.scheme = scheme
                portal.emit("SettingChanged", "(ssv)", (*SCHEME, GLib.Variant("u", scheme)))
            check("the preferences are " + what,
                  pump(lambda: grey(window[0]) < 0.35 if dark else grey(window[0]) > 0.65, 15),
                  grey(window[0]))


with tempfile.TemporaryDirectory(prefix="orvane-desktops-") as root:
    workspaces(root, "xfwm4", "--compositor=off")
    workspaces(root, "openbox", "--config-file", write(root + "/rc.xml", OPENBOX_CONFIG))
    workspaces(root, "mutter", "--x11", "--replace", "--sm-disable")
    bar(root)
    contrast(root)
    wayland(root)
    for end in ("X server killed", "SIGTERM"):
        for round_number in range(1, 11):
            lost_while_loading(root, end, round_number)
    login_start(root)
    refused_starts(root)
    mac_interrupt(root)
    gnome_setting(root)
    # Last: the portal would be what the others' programs read.
    color_scheme(root)
check.finish()
