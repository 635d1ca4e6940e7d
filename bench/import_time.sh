#!/usr/bin/env bash
# Whole-process cost of importing the module: interpreter start with and
# without `import _orvy`, and the in-process import time. Usage:
#   bench/import_time.sh [build-dir]
set -euo pipefail
build=${1:-build}
export PYTHONPATH="$(cd "$build/python" && pwd)"
hyperfine -N --warmup 5 --runs 40 \
  "/usr/bin/python3 -S -c pass" \
  "/usr/bin/python3 -S -c 'import _orvy'" \
  "/usr/bin/python3 -S -c 'import _orvy; _orvy.W().lb(\"x\")'"
/usr/bin/python3 -S -X importtime -c 'import _orvy' 2>&1 | grep -E '_orvy|import time'
