#!/usr/bin/env bash
# Builds every libFuzzer target (clang-14, ASan + UBSan) in build-fuzz and runs
# each for a bounded time from its seed corpus, failing on any crash, leak or
# sanitizer report. Usage: scripts/fuzz.sh [seconds per target]
# (default: $ORVY_FUZZ_SECONDS, else 60).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-${ORVY_FUZZ_SECONDS:-60}}
build=build-fuzz

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPython3_EXECUTABLE=/usr/bin/python3 \
  -DORVY_FUZZ=ON -DORVY_TESTS=OFF -DORVY_BENCH=OFF >/dev/null
cmake --build "$build" --target orvy_fuzzers

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
artifacts="$build/artifacts"
mkdir -p "$artifacts"

passed=0
failed=0
shopt -s nullglob
for target in "$build"/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$(mktemp -d)
  log="$build/$name.log"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$artifacts/$name-")
  [ -f "fuzz/$name.dict" ] && args+=(-dict="fuzz/$name.dict")
  corpora=("$work")
  [ -d "fuzz/corpus/$name" ] && corpora+=("fuzz/corpus/$name")
  echo "fuzz: running $name for ${seconds}s"
  if "$target" "${args[@]}" "${corpora[@]}" >"$log" 2>&1; then
    passed=$((passed + 1))
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+ +DONE' "$log" | sed "s/^/fuzz: $name /" || true
  else
    failed=$((failed + 1))
    echo "fuzz: $name FAILED; last lines of $log:"
    tail -n 40 "$log"
  fi
  rm -rf "$work"
done

echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
