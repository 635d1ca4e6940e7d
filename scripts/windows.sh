#!/usr/bin/env bash
# Cross-builds the Windows backend, its test program and _orvy.pyd with
# mingw-w64, then runs the test program under Wine in a virtual X server:
# real windows, a click through XTEST, the clipboard, and the gallery's frame
# compared with the Linux backend's picture of the same tree (taken from the
# Linux build in build/ when it is there). Usage: scripts/windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh --windows

build=build-win
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DORVY_WERROR=ON \
  -DORVY_BENCH=OFF >/dev/null
cmake --build "$build" -j2

# One Wine prefix per build directory, made once: its first boot is slow.
# Wine has no "Segoe UI": DirectWrite is told to use DejaVu Sans for it.
export WINEPREFIX="$PWD/$build/wine-prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.orvy-ready" ]; then
  rm -rf "$WINEPREFIX"
  xvfb-run -a sh -c 'wineboot -i && wine reg add "HKCU\\Software\\Wine\\Fonts\\Replacements" /v "Segoe UI" \
    /t REG_SZ /d "DejaVu Sans" /f >/dev/null && wineserver -w'
  touch "$WINEPREFIX/.orvy-ready"
fi

# Wine sees the root as drive Z:. The names are made here rather than by
# winepath, which would start Wine without a display: on a new prefix that
# leaves the next run's windows without a display driver.
windows_path() { local path="Z:$1"; printf '%s' "${path//\//\\}"; }

shots="$PWD/$build/shots"
mkdir -p "$shots"
program_args=("--out=$(windows_path "$shots/gallery_win32.png")")
# The Linux backend's picture of the gallery (dark theme) and its sample image.
if [ -x build/tests/platform/orvy_platform_tests ]; then
  ORVY_PAINT_PNG_DIR="$shots" TMPDIR="$shots" build/tests/platform/orvy_platform_tests \
    --gtest_filter='PaintRender.every_theme*' >/dev/null
  program_args+=("--linux=$(windows_path "$shots/gallery_drk.png")"
    "--image=$(windows_path "$shots/orvy_paint_render_sample.png")")
fi

xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
  'python3 tests/win32/drive.py "$0" "$@"; status=$?; wineserver -k 2>/dev/null; exit $status' \
  "$build/tests/win32/orvy_win32_tests.exe" "${program_args[@]}"

if [ -f "$build/python/_orvy.pyd" ]; then
  ./scripts/check_pyd_imports.sh "$build/python/_orvy.pyd"
fi
