#!/usr/bin/python3
"""The card module on the real program: the X server killed while Qt Quick loads is one line and
exit status 1, no core; SIGTERM then is status 0. A module cut short or of another build is
refused in one line, and screenshots are still detected and copied."""
import os, re, resource, signal, struct, subprocess, sys, tempfile  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import (Checks, Display, Program, home_env, pasted_size, screenshot,  # noqa: E402
                     wait_for, write)

ORVANE, MODULE = sys.argv[1:3]
LOST = "[Orvane] The connection to the display was lost; Orvane quits."
REFUSED = "[Orvane] The card and preferences could not be loaded: "
# The dynamic loader's line as it maps Qt Quick for the module: the loading has begun.
LOADING = "file=libQt6Quick.so.6 "
check = Checks()


class Orvane(Program):
    """The real program copying each screenshot, in a fresh home where its cores would land."""

    def __init__(self, home, *arguments, **extra):
        env = home_env(home, **extra)
        write(env["XDG_CONFIG_HOME"] + "/orvane/orvane.conf",
              "[General]\norvane_autoCopyOnCapture=true\n")
        super().__init__([ORVANE, *arguments], env=env, cwd=home, preexec_fn=lambda: (
            resource.setrlimit(resource.RLIMIT_CORE, (resource.RLIM_INFINITY,) * 2)))
        self.home = home

    def ended(self, status):
        """Whether it ends with that status (negative: a signal) and leaves no core."""
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.end()
        cores = [name for name in os.listdir(self.home) if name.startswith("core")]
        return self.process.returncode == status and not cores

    def log(self):
        """Its own lines, without the dynamic loader's ("  1234:\t...")."""
        return "".join(line for line in self.lines if not re.match(r"\s*\d+:\t", line))[-3000:]


def while_loading(end, round_number):
    """Orvane loading the card at once, the X server killed or SIGTERM sent once it has begun."""
    killed = end == "X server killed"
    what = "%s while loading, round %d: " % (end, round_number)
    with tempfile.TemporaryDirectory(prefix="orvane-module-") as home, \
            Display(size=(800, 600)) as x, \
            Orvane(home, "--background", "--simulate-capture", DISPLAY=x.env["DISPLAY"],
                   QT_QPA_PLATFORM="xcb", LD_DEBUG="files") as app:
        check.must(what + "Qt Quick is loaded", app.wait_for_line(LOADING), app.log())
        x.xvfb.kill() if killed else app.process.send_signal(signal.SIGTERM)
        check.must(what + "exit status %d, no core" % killed, app.ended(int(killed)), app.log())
        check.must(what + "%d lines say the display was lost" % killed,
                   len(app.logged(LOST)) == killed, app.log())


def note_at(module):
    """Where the module's note names the executable's build (its first byte), as the program
    headers say (the debug information may hold the same bytes)."""
    header = struct.pack("<III", 7, 20, 1) + b"Orvane\0\0"
    phoff, = struct.unpack_from("<Q", module, 32)
    phentsize, phnum = struct.unpack_from("<HH", module, 54)
    for i in range(phnum):
        kind, _, offset, _, _, size = struct.unpack_from("<IIQQQQ", module, phoff + i * phentsize)
        at = module.find(header, offset, offset + size)
        if kind == 4 and at >= 0:  # PT_NOTE
            return at + len(header)
    check.must("a build note in " + MODULE, False)


def refused_but_working(what, content, reason):
    """A screenshot is detected and copied although the module is refused in one line."""
    with tempfile.TemporaryDirectory(prefix="orvane-module-") as home:
        with open(path := home + "/orvane-ui.so", "wb") as f:
            f.write(content)
        with Orvane(home, "--background", ORVANE_UI_MODULE=path) as app:
            check.must(what + ": the folders are watched", app.watching(), app.log())
            subprocess.run(["xclip", "-selection", "clipboard", "-i", "/dev/null"], check=True)
            screenshot(home + "/Desktop/Screenshot 1.png")
            check(what + ": the screenshot is detected",
                  app.wait_for_line("Screenshot detected: Screenshot 1.png"), app.log())
            check(what + ": and copied", wait_for(lambda: pasted_size() == (64, 48), 10))
            app.wait_for_line(REFUSED)
            check(what + ": one line says why the card is missing",
                  [line.startswith(REFUSED + path + ": " + reason)
                   for line in app.logged(REFUSED)] == [True], app.log())
            app.process.send_signal(signal.SIGTERM)
            check(what + ": SIGTERM ends it with status 0, no core", app.ended(0), app.log())


module = open(MODULE, "rb").read()
other = bytearray(module)
other[note_at(module)] ^= 0xff
refused_but_working("a module of another build", bytes(other),
                    "it was built for another build of Orvane")
refused_but_working("a module cut short", module[:len(module) // 2], "the file is cut short (")
for end in ("X server killed", "SIGTERM"):
    for round_number in range(1, 11):
        while_loading(end, round_number)
check.finish()
