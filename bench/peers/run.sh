#!/usr/bin/env bash
# Runs the peer workloads for orvy, Qt (when PyQt6 and qt_bench.py are found)
# and tkinter interleaved under one Xvfb, and prints the medians with orvy's
# ratios. Usage:
#   bench/peers/run.sh [build-dir] [runs] [qt_bench.py]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
qt=${3:-$here/../../../shared/peers/qt_bench.py}
toolkits=orvy,tk
if [ -f "$qt" ] && /usr/bin/python3 -c "import PyQt6.QtWidgets" 2>/dev/null; then
  toolkits=orvy,qt,tk
else
  echo "Qt is left out: no PyQt6, or no $qt (pass its path as the third argument)" >&2
fi
export PYTHONPATH="$build/python:$here"
xvfb-run -a -s "-screen 0 1920x1080x24" /usr/bin/python3 "$here/compare.py" --runs "$runs" \
  --toolkits "$toolkits" --qt "$qt"
