"""orvy implementation of the peer workloads, beside the reference tkinter
script.

usage: /usr/bin/python3 orvy_bench.py {form|table|churn|resize|empty}
(PYTHONPATH must reach _orvy)

`empty` is orvy's floor, no peer's workload: the same window with nothing
in it, closed after its first frame, so the interpreter, the import and the
start-up can be told apart from what a workload adds.

Forcing a paint: orvy paints from its frame loop. The backend presents each
frame with XShmPutImage followed by XSync, so once a frame is presented the
X server has executed its drawing. The first frame is the moment the first
present returned (the start-up mark `first_present`, on the clock of
time.perf_counter); later frames count as painted and visible once the
window's frame counter has moved past them.

W4 resizes the window through the X server from this process (ctypes Xlib,
XResizeWindow on the window's own id), as orvy has no size setter; the size
counts as reached when the window's resize callback reports it, and the step
ends with the first frame presented after that. The steps are driven by a
1 ms `every` timer, and a window repaints on every tick a timer fires, so
each step's CPU also pays for the repaints of the ticks it waited through.
"""
import common  # noqa: F401  (records T0 before the toolkit import)
from common import (ROWS, TABLE_ROWS, TABLE_COLS, TABLE_HEADERS, CHURN_FRAMES, RESIZES, SIZE_A, SIZE_B,
                    FrameTimer, cell, churn_label, report, row_button, row_label, screenshot_if_asked,
                    workload_from_argv)
import time

WL = workload_from_argv(extra=("empty",))

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


def build_table(w, extra):
    started = time.perf_counter()
    data = [[cell(i, j) for j in range(TABLE_COLS)] for i in range(TABLE_ROWS)]
    converting = time.perf_counter()
    table = w.tbl(TABLE_HEADERS, data)
    extra["data_ms"] = round((converting - started) * 1000.0, 1)
    extra["rows_ms"] = round((time.perf_counter() - converting) * 1000.0, 1)
    w.grow(table, 1)


def mark_first_frame_presented(w, seen):
    """The first frame's figures from the moment its present returned; `seen`
    holds the clocks read when the loop first saw the frame."""
    marks = w._startup()
    presented = marks["first_present"]
    common._first_frame["paint_ms"] = (marks["first_paint"] - marks["first_layout"]) * 1000.0
    common._first_frame["ms"] = (presented - common.T0) * 1000.0
    common._first_frame["cpu_ms"] = (seen["cpu"] - common.T0_CPU) * 1000.0
    common._first_frame["since_exec_ms"] = seen["since_exec"] - (seen["wall"] - presented) * 1000.0


class XResizer:
    """Asks the X server to resize this process's window, as a window
    manager or a toolkit's own resize call would."""

    def __init__(self, title):
        import ctypes
        x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]

        class TextProperty(ctypes.Structure):
            _fields_ = [("value", ctypes.c_char_p), ("encoding", ctypes.c_ulong), ("format", ctypes.c_int),
                        ("nitems", ctypes.c_ulong)]

        x.XGetWMName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(TextProperty)]
        x.XResizeWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_uint]
        x.XFlush.argtypes = [ctypes.c_void_p]
        self.x = x
        self.display = x.XOpenDisplay(None)
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        x.XQueryTree(self.display, x.XDefaultRootWindow(self.display), ctypes.byref(root), ctypes.byref(parent),
                     ctypes.byref(children), ctypes.byref(count))
        self.window = None
        for i in range(count.value):
            name = TextProperty()
            if x.XGetWMName(self.display, children[i], ctypes.byref(name)) and name.value == title.encode():
                self.window = children[i]
        if self.window is None:
            raise SystemExit("orvy_bench.py: the window was not found on the X server")

    def resize(self, width, height):
        self.x.XResizeWindow(self.display, self.window, width, height)
        self.x.XFlush(self.display)


def main():
    title = "orvy bench %s %d" % (WL, __import__("os").getpid())
    w = o.W(title, SIZE_A[0], SIZE_A[1])
    extra = {}
    labels = []
    if WL == "table":
        build_table(w, extra)
    elif WL != "empty":
        labels = build_form(w)
    timer = FrameTimer()
    state = {"k": -1, "painted": 0, "size": None, "wanted": None, "mismatches": 0, "asked": 0.0,
             "frames_at_size": 0}
    resizer = []
    seen = {}

    def size_reported(width, height):
        state["size"] = (int(width), int(height))
        state["frames_at_size"] = w._frames()

    def churn_step():
        for i, label in enumerate(labels):
            w.txt(label, churn_label(i, state["k"]))

    def resize_step():
        n = state["k"]
        state["wanted"] = SIZE_B if n % 2 == 0 else SIZE_A
        state["asked"] = time.perf_counter()
        resizer[0].resize(*state["wanted"])

    def on_tick():
        frames = w._frames()
        if frames == state["painted"]:
            return  # the previous step is not on screen yet
        if WL == "resize" and state["k"] >= 0 and (state["size"] != state["wanted"]
                                                   or frames <= state["frames_at_size"]):
            if time.perf_counter() - state["asked"] < 2.0:
                return  # the new size has not arrived, or not been painted, yet
            state["mismatches"] += 1
        state["painted"] = frames
        if state["k"] < 0:
            seen.update(cpu=time.process_time(), wall=time.perf_counter(), since_exec=common.since_exec_ms())
            screenshot_if_asked("orvy_%s_first" % WL)
            if WL in ("form", "table", "empty"):
                w.close()
                return
            if WL == "resize":
                resizer.append(XResizer(title))
        else:
            timer.stop()
        state["k"] += 1
        if state["k"] >= (CHURN_FRAMES if WL == "churn" else RESIZES):
            screenshot_if_asked("orvy_%s_last" % WL)
            w.close()
            return
        timer.start()
        churn_step() if WL == "churn" else resize_step()

    w.on_resize(size_reported)
    w.every(1, on_tick)
    w.go()
    mark_first_frame_presented(w, seen)
    extra["paint_ms"] = round(common._first_frame["paint_ms"], 1)
    if WL == "resize":
        extra["size_mismatches"] = state["mismatches"]
    report("orvy", WL, timer if WL in ("churn", "resize") else None, **extra)


main()
