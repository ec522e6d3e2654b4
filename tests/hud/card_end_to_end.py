#!/usr/bin/python3
"""The real card where the QtTests cannot look: its place and window hints on X, Copy Only
through AT-SPI (the whole picture on the clipboard, the card gone after its confirmation), the
share menu's items where they are seen, its e-mail, the body dragged; Undo after a trash through
a stand-in notification server on the test's own bus (under scripts/with-display --own): without
actions, from the notification, a name taken meanwhile, the Trash emptied, the server restarted;
without the card's module, a notification says why."""
import os, shutil, sys, tempfile, time  # noqa: E401

from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import (Checks, Service, box, cards, find, orvane, pasted_size, press,  # noqa
                     pump, run, screenshot, wait_for, write)

MAIL = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\036' \"$a\" >> \"$0.log\"; done\n"
# What Orvane calls; its signals need no introspection to be sent.
SERVER_XML = """<node><interface name="org.freedesktop.Notifications">
<method name="GetCapabilities"><arg type="as" direction="out"/></method><method name="Notify">
<arg type="s"/><arg type="u"/><arg type="s"/><arg type="s"/><arg type="s"/><arg type="as"/>
<arg type="a{sv}"/><arg type="i"/><arg type="u" direction="out"/></method>
<method name="CloseNotification"><arg type="u"/></method></interface></node>"""
OLD = 1_600_000_000  # the screenshots' time once their card is up
check = Checks()


class Server(Service):
    """Answers as a notification server does; keeps every call."""

    def __init__(self):
        self.capabilities, self.asked, self.shown = ["body"], 0, []  # (summary, body, actions)
        super().__init__("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                         SERVER_XML)

    def call(self, sender, method, args, invocation):
        self.asked += method == "GetCapabilities"
        if method == "Notify":
            self.shown.append(tuple(args.unpack()[3:6]))
        invocation.return_value({
            "GetCapabilities": GLib.Variant("(as)", (self.capabilities,)),
            "Notify": GLib.Variant("(u)", (len(self.shown),))}.get(method))

    def offered(self, count):
        """The count-th notification (summary, body, actions), once it is the last one."""
        return (pump(lambda: len(self.shown) >= count, 15) and len(self.shown) == count and
                self.shown[count - 1]) or ("", "", [])


def the_card(program, home, sample, mail):
    shot = home + "/Desktop/Screenshot \"1\" $HOME.png"
    shutil.copy(sample, shot)
    windows = wait_for(cards, 10)
    check.must("one card", len(windows) == 1, windows)
    (window, card), = windows
    x, y, w, h = map(int, run("xprop", "-root", "_NET_WORKAREA").split("=")[1].split(",")[:4])
    check("in the work area's corner", card == (x + w - 320, y + h - 405, 300, 385),
          (card, (x, y, w, h)))
    state = ("_NET_WM_STATE_ABOVE", "accepts input or input focus: False",
             "_NET_WM_WINDOW_TYPE_UTILITY", "_NET_WM_WINDOW_OPACITY(CARDINAL) = 4294967295")
    check("an opaque, unfocusable tool window above", wait_for(lambda: all(
        s in run("xprop", "-id", window) for s in state), 5), run("xprop", "-id", window))
    check.must("Copy Only found by name and pressed",
               wait_for(lambda: press(find("push button", "Copy Only")), 10))
    pressed = time.monotonic()
    check.must("the card goes after Copy Only", wait_for(lambda: not cards(), 10))
    # Not before its confirmation was shown; how much later depends on the machine's load.
    gone = time.monotonic() - pressed
    check("not before its confirmation (%.2f s), the file trashed" % gone,
          gone >= 0.7 and not os.path.exists(shot))
    # The whole picture, read from the file: the card itself holds only a thumbnail.
    check("the clipboard holds the 640 x 400 picture", pasted_size() == (640, 400))
    # A PNG is decoded by Qt's own decoder, named, and pasted as its file's bytes: guessing a
    # format or encoding one loads every image plugin Qt has, for good.
    maps = [line.split() for line in open("/proc/%d/maps" % program.process.pid)]
    plugins = [m[-1] for m in maps if "/imageformats/" in m[-1]]
    check("no image plugin loaded for a PNG's card and its paste", not plugins, plugins)
    # Qt's libraries are loaded ahead of the card's module one at a time: none, nor the
    # dynamic linker, may come in twice (a second copy runs its start-up code again).
    starts = [os.path.basename(m[-1]) for m in maps if ".so" in m[-1] and m[2] == "00000000"]
    twice = {name for name in starts if starts.count(name) > 1}
    check("no library loaded twice", not twice, twice)
    # The card is laid out by hand: Qt Quick Layouts would be loaded and kept for it alone.
    layouts = {name for name in starts if "QuickLayouts" in name}
    check("Qt Quick Layouts not loaded for a card", not layouts, layouts)

    latest = home + "/Desktop/Screenshot 2.png"
    shutil.copy(sample, latest)
    windows = wait_for(cards, 10)
    check.must("a card for Screenshot 2.png", len(windows) == 1)
    x, y, w, h = windows[0][1]
    # The item is found by name in the menu above the Share button, inside the card. (This
    # Qt reports the card's controls in the window's coordinates on the desktop too.)
    check.must("Share found by name and pressed",
               wait_for(lambda: press(find("push button", "Share")), 5))
    bx, by, _, _ = box(find("push button", "Share"))
    item = wait_for(lambda: find("menu item", "Email…"), 5)
    check.must("the share menu's Email… found by name", item)

    def in_place():
        ix, iy, iw, ih = box(item)
        return (bx - 20 <= ix and ix + iw <= bx - 20 + w and iw > 100 and ih > 10 and
                by - h <= iy and iy + ih <= by)
    check("Email… above the Share button, inside the card", wait_for(in_place, 5),
          (box(item), (bx, by)))
    press(item)
    check("Email… starts the mail program with the file", wait_for(
        lambda: os.path.exists(mail + ".log") and
        open(mail + ".log").read() == "--attach\036%s\036" % latest, 5))

    # The card's body moves the card, dragged at a hand's pace.
    steps = [a for i in range(1, 13) for a in
             ("sleep", "0.05", "mousemove", str(x + 60 - 200 * i // 12), str(y + 205 - 25 * i))]
    run("xdotool", "mousemove", str(x + 60), str(y + 205), "mousedown", "1", *steps,
        "mouseup", "1")
    moved = wait_for(lambda: [g for _, g in cards() if g[:2] != (x, y)], 5)
    check("the body dragged by (-200, -300) moves the card",
          moved and abs(moved[0][0] - (x - 200)) <= 3 and abs(moved[0][1] - (y - 300)) <= 3,
          (moved, (x, y)))
    check.must("and Copy Only ends it", press(find("push button", "Copy Only")) and
               wait_for(lambda: not cards(), 10))


def undo(program, home, sample, server):
    desktop, original = home + "/Desktop", open(sample, "rb").read()

    def act(name, button):
        """A screenshot `name` on the desktop, its card's `button` pressed; true once the card
        is gone (for Move to Trash: once the Trash answered) and the file with it."""
        shot = os.path.join(desktop, name)
        shutil.copy(sample, shot)
        if not pump(lambda: len(cards()) == 1, 15):
            return False
        os.utime(shot, (OLD, OLD))
        return (pump(lambda: press(find("push button", button)), 10) and
                pump(lambda: not cards() and not os.path.exists(shot), 15))

    # Undo is offered unless switched off: the card's two Copy Only asked too.
    check("no actions: Move to Trash asks again",
          act("b.png", "Move to Trash") and pump(lambda: server.asked == 3, 10), server.asked)
    server.capabilities = ["body", "actions"]
    check("Copy Only: one notification with Undo", act("c.png", "Copy Only") and
          server.offered(1)[1:] == ("c.png", ["undo", "Undo"]), server.shown)
    check("no actions: no notification and one log line, however many trashes",
          len(program.logged("Undo after trashing is not offered")) == 1, program.lines)
    check("Move to Trash: one notification with Undo", act("d.png", "Move to Trash") and
          server.offered(2)[1:] == ("d.png", ["undo", "Undo"]), server.shown)

    # What is restored, and what is left, where: tst_platformservices' undoTrash.
    server.emit("ActionInvoked", "(us)", (1, "undo"))
    back = desktop + "/c.png"
    check("Undo: the file is back as it was, with its time", pump(
        lambda: os.path.exists(back), 15) and open(back, "rb").read() == original and
        os.stat(back).st_mtime == OLD)
    check("Undo: one log line", program.wait_for_line("Restored from the Trash", 10) and
          program.logged("Restored from the Trash") ==
          ["[Orvane] Restored from the Trash: " + back], program.lines)
    write(desktop + "/d.png", "someone else's")
    server.emit("ActionInvoked", "(us)", (2, "undo"))
    check("name taken: restored under a new name, said so",
          server.offered(3)[::2] == ("Restored under a new name", []) and
          open(desktop + "/d (2).png", "rb").read() == original, server.shown)
    check("Copy Only again", act("e.png", "Copy Only") and server.offered(4)[2])
    os.remove(home + "/.local/share/Trash/files/e.png")
    server.emit("ActionInvoked", "(us)", (4, "undo"))
    check("Trash emptied: a notification says it could not be restored",
          server.offered(5)[0] == "Could not restore e.png", server.shown)

    # The server started anew numbers from 1 again: its notification 6 is not ours.
    check("Copy Only before the server restarts",
          act("f.png", "Copy Only") and server.offered(6)[2])
    server.close()
    server.open()
    server.emit("ActionInvoked", "(us)", (6, "undo"))
    check("after the restart, another program's action undoes nothing",
          act("g.png", "Copy Only") and server.offered(7)[2] and
          not os.path.exists(desktop + "/f.png"))


def missing_module(home, server):
    """Without its card and preferences module Orvane still watches, says in a notification why
    the preferences (asked for by a plain start) cannot open, and ends cleanly."""
    failed, gone = "[Orvane] The card and preferences could not be loaded: ", home + "/gone/ui.so"
    before = len(server.shown)
    with orvane(home, "--simulate-capture", ORVANE_UI_MODULE=gone) as program:
        check.must("no module: still watching", program.watching(), program.lines)
        summary, body, _ = (pump(lambda: server.shown[before:], 15) or [("", "", [])])[0]
        check("no module: a notification says why the preferences cannot open",
              summary == "The preferences could not be opened." and gone in body and
              body.startswith("Part of Orvane could not be loaded ("), (summary, body))
        program.process.terminate()
        check("no module: an orderly end, one line naming the module",
              program.process.wait(10) == 0 and len(program.logged(failed)) == 1 and
              gone in program.logged(failed)[0], program.lines)


server = Server()
with tempfile.TemporaryDirectory(prefix="orvane-card-") as home:
    mail = write(home + "/bin/xdg-email", MAIL, 0o755)
    sample = screenshot(home + "/sample.png", "640x400", "gradient:steelblue-navy")
    # The longest countdown on offer: the card outlasts the steps below on a busy machine.
    with orvane(home, "--background", accessible=True, PATH=os.path.dirname(mail) + os.pathsep +
                os.environ["PATH"], conf="orvane_autoDismissSeconds=12\n") as program:
        check.must("the screenshot folders are watched", program.watching(),
                   program.process.poll())
        the_card(program, home, sample, mail)
        undo(program, home, sample, server)
    missing_module(home + "/no-module", server)
check.finish()
