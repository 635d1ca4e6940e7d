#!/usr/bin/env bash
# Runs the form (and churn) workload for orvy and tkinter in the same run,
# under one Xvfb, and prints each RESULT line. Usage:
#   bench/peers/run.sh [build-dir] [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
export PYTHONPATH="$build/python:$here"
run() {
  xvfb-run -a -s "-screen 0 1920x1080x24" /usr/bin/python3 "$@" | grep RESULT
}
for workload in form churn; do
  for i in $(seq "$runs"); do
    run "$here/orvy_bench.py" "$workload"
    run "$here/tk_bench.py" "$workload"
  done
done
