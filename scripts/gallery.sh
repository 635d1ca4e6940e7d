#!/usr/bin/env bash
# Sets up the machine, builds orvy and opens the widget gallery: on the user's
# display when there is one, otherwise under Xvfb with a screenshot written to
# out/gallery.png (the screen is the window's size, so the picture is the window).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -G Ninja -DPython3_EXECUTABLE=/usr/bin/python3 >/dev/null
cmake --build build --target _orvy
mkdir -p out
export PYTHONPATH="$PWD/build/python"
if [ -n "${DISPLAY:-}" ]; then
  exec /usr/bin/python3 examples/gallery.py "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x720x24" /usr/bin/python3 examples/gallery.py --screenshot out/gallery.png "$@"
