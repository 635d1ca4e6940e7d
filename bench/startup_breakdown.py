"""Where the time to the first frame goes, beside the peers measured in the
same run.

Each round runs, one process each and interleaved: an empty 1280x720 orvy
window, the bare X window (a window created, mapped and synced through
ctypes Xlib, as the peers' x_floor.py does), the 300-row orvy form and, when
PyQt6 and the peer scripts are found, the Qt form (qt_bench.py form).
For orvy it prints the median moment of each start-up step, in ms since the
script's first line, and the median first frame of every script with the
ratios between them. --table adds the 10,000-row table of the peer workloads
to every round and prints its steps, with the script's building of its rows
and their conversion by tbl() as steps of their own.

Usage: PYTHONPATH=build/python python3 bench/startup_breakdown.py [--runs N] [--peers DIR] [--before DIR] [--table]
(--peers: the directory of qt_bench.py and its common.py; ../shared/peers
beside the repository by default. --before: the python/ directory of another
build, whose empty window and form run in the same rounds and fill a "before"
column beside each step)
Runs under $DISPLAY, or under an Xvfb of its own when none is set.
"""
import argparse
import ctypes
import json
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"
# The steps in the order the code takes them; the backend marks come from
# W._startup(), the rest from the child script itself.
STEPS = [
    ("import", "import _orvy"),
    ("built", "W() and the widgets"),
    ("go", "go() called"),
    ("backend_loaded", "backend library open"),
    ("text_ready", "text engine made (fonts load at first paint)"),
    ("video_started", "display opened"),
    ("window_created", "window created"),
    ("window_shown", "window mapped"),
    ("first_layout", "first layout"),
    ("first_paint", "first paint"),
    ("first_present", "present (after XSync)"),
]


def floor_child():
    t0 = time.perf_counter()
    import ctypes
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    d = x.XOpenDisplay(None)
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    root = x.XDefaultRootWindow(d)
    x.XCreateSimpleWindow.restype = ctypes.c_ulong
    x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                      ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
    window = x.XCreateSimpleWindow(d, root, 0, 0, 1280, 720, 0, 0, 0x0E1116)
    x.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x.XMapWindow(d, window)
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XSync(d, 0)
    print("FLOOR %f" % ((time.perf_counter() - t0) * 1000.0), flush=True)


def child(kind):
    if kind == "floor":
        return floor_child()
    t0 = time.perf_counter()
    at = {}
    import _orvy
    at["import"] = time.perf_counter()
    w = _orvy.W("orvy startup", 1280, 720)
    if kind == "form":
        with w.scr(pd=0, gp=0):
            with w.bx(rad=0, gp=4):
                for i in range(300):
                    with w.bx(rad=0, ax="h", gp=8, h=36):
                        w.lb("Row %d" % i, w=120)
                        w.bt("Go %d" % i, w=90)
                        w.ch("", w=30)
                        w.grow(w.sl(0.5), 1)
                        w.tx("", w=200)
    elif kind == "table":
        data = [["r%d c%d" % (i, j) for j in range(4)] for i in range(10000)]
        at["rows_built"] = time.perf_counter()
        w.grow(w.tbl(["Column %d" % j for j in range(4)], data), 1)
    at["built"] = time.perf_counter()

    def tick():
        if w._frames() > 0:
            w.close()

    w.every(1, tick)
    at["go"] = time.perf_counter()
    w.go()
    at.update({name: value for name, value in w._startup().items() if value})
    out = {name: (value - t0) * 1000.0 for name, value in at.items()}
    out["t0"] = t0
    print("STARTUP " + json.dumps(out), flush=True)


def run(args, env):
    spawned = time.perf_counter()
    result = subprocess.run([PYTHON] + args, env=env, capture_output=True, text=True, timeout=120)
    return spawned, result.stdout


def orvy_round(kind, env):
    spawned, out = run([os.path.abspath(__file__), "--child", kind], env)
    for line in out.splitlines():
        if line.startswith("STARTUP "):
            marks = json.loads(line[8:])
            marks["interpreter"] = (marks.pop("t0") - spawned) * 1000.0
            return marks
    raise SystemExit("orvy %s run failed:\n%s" % (kind, out))


def floor_round(env):
    _, out = run([os.path.abspath(__file__), "--child", "floor"], env)
    if not out.startswith("FLOOR "):
        raise SystemExit("bare window run failed:\n%s" % out)
    return float(out.split()[-1])


def qt_round(peers, env, workload="form"):
    _, out = run([os.path.join(peers, "qt_bench.py"), workload], env)
    for line in out.splitlines():
        if line.startswith("RESULT "):
            return json.loads(line[7:])["first_frame_ms"]
    return None


def takes_connections(display, server, patience):
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    deadline = time.monotonic() + patience
    while not (connection := x.XOpenDisplay(display.encode())):
        if time.monotonic() > deadline or server.poll() is not None:
            return False
        time.sleep(0.05)
    x.XCloseDisplay(connection)
    return True


def start_xvfb():
    """An Xvfb of our own. The first free number can belong to a display
    another program still holds outside the lock files (then no client gets
    through): such a number is given up for the next free one above 100."""
    read, write = os.pipe()
    # no reset when the last client leaves: the next run's connection would race it
    options = ["-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset"]
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write)] + options, pass_fds=(write,),
                              stderr=subprocess.DEVNULL)
    os.close(write)
    display = ":" + os.read(read, 64).decode().strip()
    os.close(read)
    if takes_connections(display, server, 5):
        return server, display
    server.kill()
    server.wait()
    for number in range(100, 200):
        if os.path.exists("/tmp/.X%d-lock" % number):
            continue
        display = ":%d" % number
        server = subprocess.Popen(["Xvfb", display] + options, stderr=subprocess.DEVNULL)
        if takes_connections(display, server, 30):
            return server, display
        server.kill()
        server.wait()
    raise SystemExit("no Xvfb takes connections")


def has_qt():
    return subprocess.run([PYTHON, "-c", "import PyQt6.QtWidgets"], capture_output=True).returncode == 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--peers", default=os.path.join(HERE, "..", "..", "shared", "peers"))
    parser.add_argument("--before", help="python/ directory of the build to compare with")
    parser.add_argument("--child", choices=("empty", "form", "table", "floor"))
    parser.add_argument("--table", action="store_true", help="also run the 10,000-row table in every round")
    args = parser.parse_args()
    if args.child:
        return child(args.child)

    env = dict(os.environ)
    server = None
    if not env.get("DISPLAY"):
        server, env["DISPLAY"] = start_xvfb()
    qt = has_qt() and os.path.exists(os.path.join(args.peers, "qt_bench.py"))
    if not qt:
        print("Qt is left out: no PyQt6, or no qt_bench.py in %s (pass --peers DIR)"
              % os.path.abspath(args.peers), file=sys.stderr)
    before_env = dict(env, PYTHONPATH=os.path.abspath(args.before)) if args.before else None
    empty, form, floor, qt_form, empty_before, form_before = [], [], [], [], [], []
    table, table_before, qt_table = [], [], []
    try:
        for _ in range(args.runs):
            if before_env:
                empty_before.append(orvy_round("empty", before_env))
                form_before.append(orvy_round("form", before_env))
            empty.append(orvy_round("empty", env))
            floor.append(floor_round(env))
            form.append(orvy_round("form", env))
            if qt:
                qt_form.append(qt_round(args.peers, env))
            if args.table:
                if before_env:
                    table_before.append(orvy_round("table", before_env))
                table.append(orvy_round("table", env))
                if qt:
                    qt_table.append(qt_round(args.peers, env, "table"))
    finally:
        if server:
            server.terminate()
            server.wait()

    def median(rows, name):
        values = [row[name] for row in rows if name in row]
        return statistics.median(values) if values else float("nan")

    print("load average: %.1f %.1f %.1f; %d runs, medians" % (os.getloadavg() + (args.runs,)))
    def cells(name):
        if before_env:
            return (median(empty_before, name), median(empty, name), median(form_before, name), median(form, name))
        return (median(empty, name), median(form, name))

    if before_env:
        print("| step, ms since start | empty window before | empty window | 300-row form before | 300-row form |")
        print("|---|---|---|---|---|")
    else:
        print("| step | empty window, ms since start | 300-row form, ms since start |")
        print("|---|---|---|")
    print("| interpreter start (before the script's first line) | " + " | ".join("%.1f" % v for v in cells("interpreter"))
          + " |")
    for name, label in STEPS:
        print("| %s | %s |" % (label, " | ".join("%.1f" % v for v in cells(name))))
    first_empty = median(empty, "first_present")
    first_form = median(form, "first_present")
    first_floor = statistics.median(floor)
    print()
    print("first frame, ms since the script's first line:")
    print("  bare X window %.1f; orvy empty window %.1f = %.1fx the bare window"
          % (first_floor, first_empty, first_empty / first_floor))
    if before_env:
        before_empty = median(empty_before, "first_present")
        print("  before: orvy empty window %.1f = %.1fx the bare window" % (before_empty, before_empty / first_floor))
    if qt_form:
        first_qt = statistics.median(value for value in qt_form if value is not None)
        print("  Qt form %.1f; orvy form %.1f = %.2fx Qt's" % (first_qt, first_form, first_form / first_qt))
        if before_env:
            before_form = median(form_before, "first_present")
            print("  before: orvy form %.1f = %.2fx Qt's" % (before_form, before_form / first_qt))
    else:
        print("  orvy form %.1f (PyQt6 not found: no Qt figure)" % first_form)
    if args.table:
        print_table(table, table_before if before_env else None, qt_table, median)


def print_table(table, before, qt_table, median):
    """The table's steps; W() and the widgets is there the rows' conversion by tbl()."""
    steps = STEPS[:1] + [("rows_built", "the script's 40,000 cell strings built")] + [
        (name, "tbl() converted the rows" if name == "built" else label) for name, label in STEPS[1:]]
    print()
    if before is not None:
        print("| step, ms since start | 10,000-row table before | 10,000-row table |")
        print("|---|---|---|")
    else:
        print("| step | 10,000-row table, ms since start |")
        print("|---|---|")
    for name, label in [("interpreter", "interpreter start (before the script's first line)")] + steps:
        values = ([median(before, name)] if before is not None else []) + [median(table, name)]
        print("| %s | %s |" % (label, " | ".join("%.1f" % v for v in values)))
    first = median(table, "first_present")
    line = "  orvy table %.1f" % first
    answered = [value for value in qt_table if value is not None]
    if answered:
        first_qt = statistics.median(answered)
        line += "; Qt table %.1f = %.2fx Qt's" % (first_qt, first / first_qt)
        if before is not None:
            line += "; before %.2fx" % (median(before, "first_present") / first_qt)
    print(line)


if __name__ == "__main__":
    main()
