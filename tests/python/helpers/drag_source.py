"""A GTK 3 window that offers files as text/uri-list when dragged, as a file
manager does. Usage: drag_source.py X Y PATH...; prints "ready" once shown."""
import sys
from pathlib import Path

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402


def main():
    x, y = int(sys.argv[1]), int(sys.argv[2])
    uris = [Path(path).absolute().as_uri() for path in sys.argv[3:]]
    window = Gtk.Window(title="orvy drag source")
    window.set_default_size(160, 120)
    window.move(x, y)
    area = Gtk.EventBox()
    area.add(Gtk.Label(label="drag me"))
    window.add(area)
    area.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [], Gdk.DragAction.COPY)
    area.drag_source_add_uri_targets()
    area.connect("drag-data-get", lambda widget, context, data, info, time: data.set_uris(uris))
    window.connect("destroy", Gtk.main_quit)
    window.connect("map-event", lambda *args: print("ready", flush=True))
    window.show_all()
    Gtk.main()


main()
