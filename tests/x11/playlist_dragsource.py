#!/usr/bin/python3
"""A tiny drag source for the playlist tests: a GTK window titled "zk drag source" whose
label, dragged with the first button, offers text/uri-list with the URIs given as arguments
(already percent-encoded, sent as they are). Prints "ready" once shown and "dropped" when a
drop took the data."""

import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

URIS = sys.argv[1:]


def data_get(_widget, _context, data, _info, _time):
    text = "".join(uri + "\r\n" for uri in URIS).encode("ascii")
    data.set(Gdk.Atom.intern("text/uri-list", False), 8, text)
    print("dropped", flush=True)


window = Gtk.Window(title="zk drag source")
window.set_default_size(160, 120)
window.move(0, 0)
source = Gtk.EventBox()
source.add(Gtk.Label(label="drag me"))
source.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [Gtk.TargetEntry.new("text/uri-list", 0, 0)],
                       Gdk.DragAction.COPY)
source.connect("drag-data-get", data_get)
window.add(source)
window.connect("destroy", Gtk.main_quit)
window.show_all()
print("ready", flush=True)
Gtk.main()
