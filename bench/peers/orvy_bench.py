"""orvy implementation of the peer workloads (form, churn), beside the
reference tkinter script.

usage: /usr/bin/python3 orvy_bench.py {form|churn}   (PYTHONPATH must reach _orvy)

Forcing a paint: orvy paints from its frame timer. A frame counts as painted
and visible once the window's frame counter has moved past it: the backend
presents each frame with XShmPutImage followed by XSync, so by then the X
server has executed the drawing.
"""
import common  # noqa: F401  (records T0 before the toolkit import)
from common import (ROWS, CHURN_FRAMES, SIZE_A, FrameTimer, churn_label, mark_first_frame, report, row_button,
                    row_label, screenshot_if_asked, workload_from_argv)

WL = workload_from_argv()
if WL not in ("form", "churn"):
    raise SystemExit("orvy_bench.py: only form and churn are implemented")

import _orvy as o


def build_form(w):
    labels = []
    with w.scr(pd=0, gp=0):
        with w.bx(rad=0, gp=4):
            for i in range(ROWS):
                with w.bx(rad=0, ax="h", gp=8, h=36):
                    labels.append(w.lb(row_label(i), w=120))
                    w.bt(row_button(i), w=90)
                    w.ch("", w=30)
                    slider = w.sl(0.5)
                    w.grow(slider, 1)
                    w.tx("", w=200)
    return labels


def main():
    w = o.W("orvy bench", SIZE_A[0], SIZE_A[1])
    labels = build_form(w)
    state = {"k": -1, "painted": 0}
    timer = FrameTimer()

    def on_tick():
        frames = w._frames()
        if frames == state["painted"]:
            return  # the previous step is not on screen yet
        state["painted"] = frames
        if state["k"] < 0:
            mark_first_frame()
            screenshot_if_asked("orvy_%s_first" % WL)
            if WL == "form":
                w.close()
                return
        else:
            timer.stop()
        state["k"] += 1
        if state["k"] >= CHURN_FRAMES:
            screenshot_if_asked("orvy_churn_last")
            w.close()
            return
        timer.start()
        for i, label in enumerate(labels):
            w.txt(label, churn_label(i, state["k"]))

    w.every(1, on_tick)
    w.go()
    report("orvy", WL, timer if WL == "churn" else None)


main()
