"""The widget gallery: one of every widget kind, in a real window.

Usage: gallery.py [--screenshot PATH]
With --screenshot the gallery saves a picture of its first frames and closes.
"""
import sys

import _orvy as o


def build(w):
    with w.bx(pd=16, gp=10):
        w.lb("orvy — галерея виджетов")
        with w.bx(ax="h", gp=8):
            w.bt("Кнопка", clk=lambda: print("нажата"))
            w.bt("С тенью", elev=2)
        w.fr(h=40)


def main(argv):
    w = o.W("orvy — галерея", 1280, 720)
    build(w)
    try:
        w.go()
    except RuntimeError as error:
        print(f"gallery: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
