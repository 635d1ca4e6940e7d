"""Runs the peer workloads for orvy and the other toolkits interleaved
(orvy, Qt, tkinter, orvy, Qt, tkinter, ...) under one X server, and prints
the medians of each figure with orvy's ratio to every peer.

usage: compare.py [--runs N] [--workloads form,table,churn,resize]
                  [--toolkits orvy,qt,tk] [--qt PATH/qt_bench.py]
PYTHONPATH must reach _orvy; $DISPLAY names the X server.
"""
import argparse
import json
import os
import statistics
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"
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
    args = parser.parse_args()
    toolkits = [name for name in args.toolkits.split(",") if name != "qt" or os.path.exists(args.qt)]
    workloads = args.workloads.split(",")
    results = {(toolkit, workload): [] for toolkit in toolkits for workload in workloads}
    for workload in workloads:
        for _ in range(args.runs):
            for toolkit in toolkits:
                results[toolkit, workload].append(run_once(script_of(toolkit, args.qt), workload))

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
    extra = [(workload, row["rows_ms"]) for workload in workloads for row in results.get(("orvy", workload), [])
             if "rows_ms" in row]
    if extra:
        print("orvy table: converting the rows from Python, median %.1f ms"
              % statistics.median(value for _, value in extra))


if __name__ == "__main__":
    main()
