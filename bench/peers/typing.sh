#!/usr/bin/env bash
# The typing workload for orvy and PyQt6, interleaved in the same run, each
# under its own Xvfb. Usage: bench/peers/typing.sh [build-dir] [runs] [lines]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
runs=${2:-3}
export TYPING_LINES=${3:-10000}
export PYTHONPATH="$build/python:$here"
run() {
  xvfb-run -a -s "-screen 0 1920x1080x24" /usr/bin/python3 "$@" | grep RESULT
}
for i in $(seq "$runs"); do
  run "$here/typing_orvy.py"
  run "$here/typing_qt.py"
done
