#!/usr/bin/env bash
# Sets up the machine, builds orvy and runs every test: GoogleTest, pytest, the
# bounded fuzz runs and the pip-built wheel in a fresh venv.
# Usage: scripts/test.sh [--sanitize | --quick]
# --quick builds and runs the unit suites only: no fuzzing, no sanitizers, no wheel.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  "" | --sanitize | --quick) ;;
  *) echo "usage: scripts/test.sh [--sanitize | --quick]" >&2; exit 2 ;;
esac
./scripts/setup.sh

build=build
flags=(-DORVY_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  flags+=(-DORVY_SANITIZE=ON -DORVY_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi

cmake -S . -B "$build" -G Ninja -DPython3_EXECUTABLE=/usr/bin/python3 "${flags[@]}" >/dev/null
cmake --build "$build"

if [ "${1:-}" = "--sanitize" ]; then
  # The interpreter is not built with the sanitizer, so its runtime goes first.
  # The suite gets a session bus of its own: without one, a bus daemon can
  # be autolaunched, and one started under the preloaded sanitizer runtime
  # can leave a window waiting on it for good.
  asan_lib=$(gcc -print-file-name=libasan.so)
  ubsan_lib=$(gcc -print-file-name=libubsan.so)
  (cd "$build" && dbus-run-session -- env LD_PRELOAD="$asan_lib $ubsan_lib" ASAN_OPTIONS=detect_leaks=0 \
    ctest --output-on-failure -j2)
else
  (cd "$build" && ctest --output-on-failure -j2)
fi

if [ -x scripts/fuzz.sh ] && [ -z "${1:-}" ]; then
  ./scripts/fuzz.sh
fi

if [ -z "${1:-}" ]; then
  ./scripts/wheel_check.sh
fi
