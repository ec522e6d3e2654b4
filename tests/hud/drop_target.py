#!/usr/bin/python3
"""A window of another program that takes drops, as a chat window would: says when a drag
first reaches it, then prints the types it was offered, the file URLs and the size of the
picture it got, and quits.
Usage: drop_target.py X Y (where its 300 x 300 window goes)."""
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402

x, y = int(sys.argv[1]), int(sys.argv[2])
window = Gtk.Window(title="Drop Target")
window.set_default_size(300, 300)
window.move(x, y)
got = {}


def received(widget, context, _x, _y, data, _info, time):
    offered = [str(t) for t in context.list_targets()]
    if "uris" not in got:
        got["uris"] = data.get_uris() or []
        # Then the picture itself, as an image-taking target would ask for it.
        widget.drag_get_data(context, Gdk.Atom.intern("image/png", False), time)
        return
    pixbuf = data.get_pixbuf()
    size = "%dx%d" % (pixbuf.get_width(), pixbuf.get_height()) if pixbuf else "none"
    print("offered:", " ".join(offered))
    print("uris:", " ".join(got["uris"]))
    print("image:", size, flush=True)
    context.finish(True, False, time)
    GLib.idle_add(Gtk.main_quit)


def dropped(widget, context, _x, _y, time):
    widget.drag_get_data(context, Gdk.Atom.intern("text/uri-list", False), time)
    return True


window.drag_dest_set(0, [Gtk.TargetEntry.new("text/uri-list", 0, 0),
                         Gtk.TargetEntry.new("image/png", 0, 1)], Gdk.DragAction.COPY)


def motion(widget, context, _x, _y, time):
    Gdk.drag_status(context, Gdk.DragAction.COPY, time)
    if not got.get("motion"):
        got["motion"] = True
        print("motion", flush=True)  # the drag has reached this window
    return True


window.connect("drag-motion", motion)
window.connect("drag-drop", dropped)
window.connect("drag-data-received", received)
window.connect("map-event", lambda *a: print("ready", flush=True))
window.connect("destroy", Gtk.main_quit)
window.show_all()
GLib.timeout_add_seconds(30, Gtk.main_quit)
Gtk.main()
