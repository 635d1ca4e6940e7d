"""Builds 10,000 mixed widgets from Python and prints the build time and the
memory each node costs (resident-set growth divided by the nodes created).

Usage: PYTHONPATH=build/python python3 bench/build_widgets.py [--runs N]
"""
import argparse
import gc
import os
import statistics
import time

import _orvy

WIDGETS = 10_000
ROW = 10  # widgets per row box; each row also adds its box


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def build(win):
    """One row box of ten mixed leaves, repeated; returns the widgets created."""
    made = 0
    rows = WIDGETS // (ROW + 1)
    for i in range(rows):
        with win.bx(ax="h", gp=4):
            win.lb(f"Строка {i}")
            win.bt(f"Кнопка {i}", clk=print)
            win.ch(chk=i % 2 == 0)
            win.sl(0.5)
            win.tx("", ph="имя")
            win.sw(on=True)
            win.pr(i / rows)
            win.dd(["a", "b", "c"], sel=1)
            win.rd("r", grp=i % 7)
            win.bdg(str(i))
        made += ROW + 1
    for _ in range(WIDGETS - made):
        win.lb("x")
    return WIDGETS


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=7)
    runs = parser.parse_args().runs

    # A window object opens the backend (its libraries and first fonts) once
    # per process, on a thread of its own: opened and waited for here, so
    # that the growth below is the nodes' alone.
    _orvy.W()
    _orvy.W.measure_text("x", 12.0)

    # Memory: three windows built and kept alive, so that growth of the node
    # array (which doubles) and allocator reuse average out.
    gc.collect()
    before = resident_bytes()
    kept = []
    for _ in range(3):
        kept.append(_orvy.W())
        count = build(kept[-1])
    grown = resident_bytes() - before
    nodes = 3 * (count + 1)  # each tree also has its root
    del kept
    gc.collect()

    times = []
    for _ in range(runs):
        win = _orvy.W()
        start = time.perf_counter()
        build(win)
        times.append((time.perf_counter() - start) * 1000.0)
        del win
        gc.collect()

    print(f"widgets built: {count} per window")
    print(f"build time ms: best {min(times):.1f}, median {statistics.median(times):.1f} over {runs} runs")
    print(f"memory: {grown / 1024:.0f} KiB resident growth, {grown / nodes:.0f} bytes per node")


if __name__ == "__main__":
    main()
