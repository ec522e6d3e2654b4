#!/usr/bin/python3
"""The card module on the real program: the X server killed while Qt Quick loads is one line and
exit status 1, no core; SIGTERM then is status 0. A module cut short or of another build is
refused in one line, and screenshots are still detected and copied."""
import os
import re
import resource
import shutil
import signal
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import (Program, fail, home_env, own_display, pasted_size, screenshot,  # noqa
                     settings, wait_for)

ORVANE, MODULE = sys.argv[1], sys.argv[2]
ROUNDS = 10
LOST = "[Orvane] The connection to the display was lost; Orvane quits."
REFUSED = "[Orvane] The card and preferences could not be loaded: "
# The dynamic loader's line as it maps Qt Quick for the module: the loading has begun.
LOADING = "file=libQt6Quick.so.6 "


class Orvane(Program):
    """The real program in a fresh home, cores allowed (written to its working folder)."""

    def __init__(self, arguments, **env):
        self.home = tempfile.mkdtemp(prefix="orvane-module-")
        self.desktop = os.path.join(self.home, "Desktop")
        environment = home_env(self.home, **env)
        settings(environment, "orvane_autoCopyOnCapture=true\n")
        super().__init__([ORVANE] + arguments, cwd=self.home, env=environment, preexec_fn=lambda:
                         resource.setrlimit(resource.RLIMIT_CORE, (resource.RLIM_INFINITY,) * 2))

    def expect_end(self, expected, what):
        """Fails unless it ends with that status (negative: a signal) and leaves no core."""
        try:
            status = self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            status = "still running"
        cores = [name for name in os.listdir(self.home) if name.startswith("core")]
        if status != expected or cores:
            fail("%s: exit status %s, cores %s (expected %d, none)\n%s"
                 % (what, status, cores, expected, self.log()))

    def log(self):
        """Its own lines, without the dynamic loader's ("  1234:\t...")."""
        return "".join(line for line in self.lines
                       if not re.match(r"\s*\d+:\t", line))[-3000:]

    def clean(self):
        self.end()
        shutil.rmtree(self.home, ignore_errors=True)


def while_loading(round_number, end):
    """Starts Orvane so that it loads the card at once; `end` it once the loading has begun."""
    killed = end == "X server killed"
    xvfb, display = own_display((800, 600)) if killed else (None, os.environ["DISPLAY"])
    app = Orvane(["--background", "--simulate-capture"], DISPLAY=display, QT_QPA_PLATFORM="xcb",
                 LD_DEBUG="files")
    try:
        if not app.wait_for_line(LOADING):
            fail("%s, round %d: Qt Quick was never loaded: %s" % (end, round_number, app.log()))
        if xvfb:
            xvfb.kill()
            expected = 1
        else:
            app.process.send_signal(signal.SIGTERM)
            expected = 0
        app.expect_end(expected, "%s while loading, round %d" % (end, round_number))
        lost = app.logged(LOST)
        if len(lost) != (1 if xvfb else 0):
            fail("%s, round %d: %d lines saying the display was lost\n%s"
                 % (end, round_number, len(lost), app.log()))
    finally:
        app.clean()
        if xvfb:
            xvfb.kill()
            xvfb.wait()


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
    fail("no build note in " + MODULE)


def refused_but_working(name, content, reason):
    """A screenshot is detected and copied although the module is refused in one line."""
    folder = tempfile.mkdtemp(prefix="orvane-modules-")
    with open(path := os.path.join(folder, "orvane-ui.so"), "wb") as f:
        f.write(content)
    app = Orvane(["--background"], ORVANE_UI_MODULE=path)
    try:
        if not app.watching():
            fail("%s: the folders are not watched\n%s" % (name, app.log()))
        subprocess.run(["xclip", "-selection", "clipboard", "-i", "/dev/null"], check=True)
        screenshot(os.path.join(app.desktop, "Screenshot 1.png"))
        if not app.wait_for_line("Screenshot detected: Screenshot 1.png"):
            fail("%s: the screenshot was not detected\n%s" % (name, app.log()))
        if not app.wait_for_line(REFUSED):
            fail("%s: no line says why the card is missing\n%s" % (name, app.log()))

        if not wait_for(lambda: pasted_size() == (64, 48), 10):
            fail("%s: the screenshot was not copied" % name)
        refused = app.logged(REFUSED)
        if len(refused) != 1 or not refused[0].startswith(REFUSED + path + ": " + reason):
            fail("%s: expected one line saying %r, got %s" % (name, reason, refused))
        app.process.send_signal(signal.SIGTERM)
        app.expect_end(0, name)
    finally:
        app.clean()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    with open(MODULE, "rb") as f:
        module = f.read()
    other = bytearray(module)
    other[note_at(module)] ^= 0xff
    refused_but_working("a module of another build", bytes(other),
                        "it was built for another build of Orvane")
    refused_but_working("a module cut short", module[:len(module) // 2],
                        "the file is cut short (")
    for end in ("X server killed", "SIGTERM"):
        for round_number in range(1, ROUNDS + 1):
            while_loading(round_number, end)
    print("PASS")


main()
