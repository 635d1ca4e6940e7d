"""Runs the peer workloads for orvy and the other toolkits interleaved
(orvy, Qt, tkinter, orvy, Qt, tkinter, ...) under one X server, and prints
the medians of each figure with orvy's ratio to every peer.

usage: compare.py [--runs N] [--workloads form,table,churn,resize]
                  [--toolkits orvy,qt,tk] [--qt PATH/qt_bench.py] [--no-floor]
PYTHONPATH must reach _orvy; $DISPLAY names the X server.

Each round of the form and the table also runs orvy's empty window (its
floor: interpreter, import, start-up and a first frame with nothing in it),
so what a workload itself adds to orvy's first frame is printed beside it.
"""
import argparse
import json
import os
import statistics
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"
# Workloads whose rounds also run orvy's empty window.
FLOORED = ("form", "table")
# Figures compared per workload: first frame everywhere, the per-step CPU
# where the workload has steps, peak memory everywhere.
FIGURES = {
    "form": ["first_frame_ms", "maxrss_mb"],
    "table": ["first_frame_ms", "maxrss_mb"],
    "churn": ["first_frame_ms", "median_cpu_ms", "median_ms", "maxrss_mb"],
    "resize": ["first_frame_ms", "median_cpu_ms", "median_ms", "maxrss_mb"],
}


def script_of(toolkit, qt_path):
    if toolkit == "qt":
        return qt_path
    return os.path.join(HERE, "%s_bench.py" % toolkit)


def run_once(script, workload):
    env = dict(os.environ)
    env["PYTHONPATH"] = os.pathsep.join(filter(None, [env.get("PYTHONPATH"), os.path.dirname(script)]))
    done = subprocess.run([PYTHON, script, workload], capture_output=True, text=True, timeout=300, env=env)
    for line in done.stdout.splitlines():
        if line.startswith("RESULT "):
            return json.loads(line[7:])
    raise SystemExit("%s %s failed:\n%s%s" % (script, workload, done.stdout, done.stderr))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--workloads", default="form,table,churn,resize")
    parser.add_argument("--toolkits", default="orvy,qt,tk")
    parser.add_argument("--qt", default=os.path.join(HERE, "..", "..", "..", "shared", "peers", "qt_bench.py"))
    parser.add_argument("--no-floor", dest="floor", action="store_false",
                        help="leave out orvy's empty window from the form and table rounds")
    args = parser.parse_args()
    toolkits = [name for name in args.toolkits.split(",") if name != "qt" or os.path.exists(args.qt)]
    workloads = args.workloads.split(",")
    results = {(toolkit, workload): [] for toolkit in toolkits for workload in workloads}
    floor = {workload: [] for workload in workloads}
    for workload in workloads:
        for _ in range(args.runs):
            for toolkit in toolkits:
                results[toolkit, workload].append(run_once(script_of(toolkit, args.qt), workload))
            if args.floor and "orvy" in toolkits and workload in FLOORED:
                floor[workload].append(run_once(script_of("orvy", args.qt), "empty"))

    print("load average %.1f %.1f %.1f; medians of %d interleaved runs" % (os.getloadavg() + (args.runs,)))
    peers = [toolkit for toolkit in toolkits if toolkit != "orvy"]
    print("| workload | figure | " + " | ".join(toolkits) + "".join(" | orvy/%s" % peer for peer in peers) + " |")
    print("|---" * (2 + len(toolkits) + len(peers)) + "|")
    for workload in workloads:
        for figure in FIGURES[workload]:
            medians = {}
            for toolkit in toolkits:
                values = [row[figure] for row in results[toolkit, workload] if row.get(figure) is not None]
                medians[toolkit] = statistics.median(values) if values else float("nan")
            cells = ["%.2f" % medians[toolkit] for toolkit in toolkits]
            if "orvy" in medians:
                cells += ["%.2fx" % (medians["orvy"] / medians[peer]) for peer in peers]
            print("| %s | %s | %s |" % (workload, figure, " | ".join(cells)))
    for workload in workloads:
        print_floor(workload, floor[workload], results, peers)
    table = results.get(("orvy", "table"), [])
    if table and "rows_ms" in table[0]:
        print("orvy table, medians: the script builds its rows %.1f ms (as the peers' scripts do), converting them "
              "from Python %.1f ms, first layout to first paint %.1f ms"
              % tuple(statistics.median(row[key] for row in table) for key in ("data_ms", "rows_ms", "paint_ms")))


def print_floor(workload, runs, results, peers):
    """orvy's empty window from the workload's own rounds, and what the
    workload adds to orvy's first frame beyond it."""
    if not runs:
        return
    empty = statistics.median(row["first_frame_ms"] for row in runs)
    since_exec = [row["first_frame_since_exec_ms"] for row in runs if row.get("first_frame_since_exec_ms") is not None]
    cpu = statistics.median(row["first_frame_cpu_ms"] for row in runs)
    orvy = statistics.median(row["first_frame_ms"] for row in results["orvy", workload])
    line = ("orvy %s: empty window in the same rounds %.1f ms (CPU %.1f ms; %.1f ms with the interpreter's start; "
            "first layout to first paint %.1f ms), the %s adds %.1f ms"
            % (workload, empty, cpu, statistics.median(since_exec) if since_exec else float("nan"),
               statistics.median(row["paint_ms"] for row in runs), workload, orvy - empty))
    for peer in peers:
        other = statistics.median(row["first_frame_ms"] for row in results[peer, workload])
        line += "; empty window / %s's %s %.2fx" % (peer, workload, empty / other)
    print(line)


if __name__ == "__main__":
    main()
