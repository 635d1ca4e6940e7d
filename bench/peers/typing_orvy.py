"""orvy side of the typing workload (typing_common.py): a `ta` field.

usage: /usr/bin/python3 typing_orvy.py   (PYTHONPATH must reach _orvy)"""
import common  # noqa: F401  (records T0 before the toolkit import)
from common import report
import threading

import typing_common as t

import _orvy as o

w = o.W("orvy typing", *t.SIZE)
area = w.ta(t.initial_text(), h=t.SIZE[1])
w.focus(area, sel=False)
post = w.post()
result = {}


def read_text():
    done = threading.Event()
    box = {}

    def read():
        box["text"] = w._model(area)["text"]
        done.set()

    post(read)
    done.wait(10)
    return box.get("text")


def run():
    result.update(t.drive(read_text, lambda: post(w.close)))


w.after(10, lambda: threading.Thread(target=run, daemon=True).start())
w.go()
report("orvy", "typing", **result)
