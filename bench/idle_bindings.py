"""Processor time of a window whose shown values do not change while a
polling timer keeps running: 1,000 labels, each tied to a callable that
returns the text the label already shows, and a timer every 10 ms that does
nothing itself. orvy evaluates every pull binding after the timer's callback;
the peers do the same work by hand, writing each label's unchanged text from
the timer (QLabel.setText, a Tk label's configure).

Each toolkit runs in a fresh process under the current display (use
xvfb-run): it builds the window, waits WARM_S for the first frames to settle,
then reports the CPU time of the process over MEASURE_S of wall time (as a
percentage of one core) and, for orvy, how many frames it painted meanwhile.

Usage: PYTHONPATH=build/python xvfb-run -a -s "-screen 0 1920x1080x24" \\
       /usr/bin/python3 bench/idle_bindings.py [--runs N] [--toolkits orvy,qt,tk]
One toolkit alone: bench/idle_bindings.py --one orvy
"""
import argparse
import json
import statistics
import subprocess
import sys
import time

LABELS = 1000
COLUMNS = 10
PERIOD_MS = 10
WARM_S = 1.0
MEASURE_S = 3.0


def label_text(i):
    return "Метка %d" % i


class Window:
    """Starts the measurement after the warm-up and reports once it ends."""

    def __init__(self, frames=lambda: 0):
        self.frames = frames
        self.started = time.perf_counter()
        self.begin = None
        self.done = False

    def poll(self):
        """True once the measurement is over and the result printed."""
        now = time.perf_counter()
        if self.begin is None:
            if now - self.started >= WARM_S:
                self.begin = (now, time.process_time(), self.frames())
            return False
        if self.done or now - self.begin[0] < MEASURE_S:
            return self.done
        wall = now - self.begin[0]
        cpu = time.process_time() - self.begin[1]
        print("RESULT " + json.dumps({"cpu_percent": 100.0 * cpu / wall, "frames": self.frames() - self.begin[2]}))
        sys.stdout.flush()
        self.done = True
        return True


def run_orvy():
    import _orvy

    w = _orvy.W("idle", 1280, 720)
    with w.bx(ax="h", gp=4):
        for c in range(COLUMNS):
            with w.bx(gp=0):
                for r in range(LABELS // COLUMNS):
                    text = label_text(c * (LABELS // COLUMNS) + r)
                    w.lb(text, bind=lambda text=text: text, h=7)
    probe = Window(w._frames)

    def tick():
        if probe.poll():
            w.close()

    w.every(PERIOD_MS, tick)
    w.go()


def run_qt():
    from PyQt6.QtCore import QTimer
    from PyQt6.QtWidgets import QApplication, QGridLayout, QLabel, QWidget

    app = QApplication(sys.argv[:1])
    window = QWidget()
    grid = QGridLayout(window)
    grid.setSpacing(0)
    labels = []
    for i in range(LABELS):
        label = QLabel(label_text(i))
        grid.addWidget(label, i % (LABELS // COLUMNS), i // (LABELS // COLUMNS))
        labels.append(label)
    window.resize(1280, 720)
    window.show()
    probe = Window()

    def tick():
        for i, label in enumerate(labels):
            label.setText(label_text(i))
        if probe.poll():
            app.quit()

    timer = QTimer()
    timer.timeout.connect(tick)
    timer.start(PERIOD_MS)
    app.exec()


def run_tk():
    import tkinter

    root = tkinter.Tk()
    root.geometry("1280x720")
    labels = []
    for i in range(LABELS):
        label = tkinter.Label(root, text=label_text(i), font=("TkDefaultFont", 5), pady=0, bd=0)
        label.grid(row=i % (LABELS // COLUMNS), column=i // (LABELS // COLUMNS))
        labels.append(label)
    probe = Window()

    def tick():
        for i, label in enumerate(labels):
            label.configure(text=label_text(i))
        if probe.poll():
            root.destroy()
            return
        root.after(PERIOD_MS, tick)

    root.after(PERIOD_MS, tick)
    root.mainloop()


RUNNERS = {"orvy": run_orvy, "qt": run_qt, "tk": run_tk}


def measure(toolkit):
    out = subprocess.run([sys.executable, __file__, "--one", toolkit], capture_output=True, text=True, timeout=60)
    for line in out.stdout.splitlines():
        if line.startswith("RESULT "):
            return json.loads(line[len("RESULT "):])
    raise RuntimeError("%s gave no result: %s" % (toolkit, out.stderr[-2000:]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--one", choices=sorted(RUNNERS))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--toolkits", default="orvy,qt,tk")
    args = parser.parse_args()
    if args.one:
        RUNNERS[args.one]()
        return
    toolkits = args.toolkits.split(",")
    results = {name: [] for name in toolkits}
    for _ in range(args.runs):
        for name in toolkits:  # interleaved, so load changes touch every toolkit alike
            results[name].append(measure(name))
    base = statistics.median(r["cpu_percent"] for r in results["orvy"]) if "orvy" in results else None
    for name in toolkits:
        cpu = statistics.median(r["cpu_percent"] for r in results[name])
        frames = statistics.median(r["frames"] for r in results[name])
        ratio = " (orvy/%s %.2fx)" % (name, base / cpu) if base is not None and name != "orvy" and cpu > 0 else ""
        print("%-5s CPU %6.1f %% of a core, frames in %.0f s: %4.0f%s" % (name, cpu, MEASURE_S, frames, ratio))


if __name__ == "__main__":
    main()
