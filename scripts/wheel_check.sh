#!/usr/bin/env bash
# Builds the _orvy wheel with pip, installs it into a fresh virtual environment
# and uses it from there: the module must come from the environment's
# site-packages, mypy checks the typed example against the installed stub, and
# the example opens its window under Xvfb and saves out/wheel_<version>.png.
# Usage: scripts/wheel_check.sh [PYTHON...]  (/usr/bin/python3 by default; each
# interpreter, CPython 3.11 or later, gets a venv of its own).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export PIP_DISABLE_PIP_VERSION_CHECK=1 PIP_NO_INDEX=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p out

# No package index: the build uses the system's setuptools and wheel.
/usr/bin/python3 -m pip wheel --no-build-isolation --no-deps -q -w "$work/dist" .
wheels=("$work"/dist/orvy-*-cp311-abi3-linux_*.whl)
[ -f "${wheels[0]}" ] || { echo "wheel_check: no cp311-abi3 wheel built" >&2; exit 1; }
wheel=${wheels[0]}
echo "wheel_check: built $(basename "$wheel")"

mypy_version=$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
count=0
for python in "${@:-/usr/bin/python3}"; do
  count=$((count + 1))
  venv="$work/venv-$count"
  "$python" -m venv "$venv"
  "$venv/bin/pip" install -q "$wheel"
  cd "$work"
  # -I: no script folder, PYTHONPATH or user site on the path, only the venv's.
  "$venv/bin/python" -I -c '
import sys, sysconfig, _orvy
site = sysconfig.get_paths()["platlib"]
assert _orvy.__file__.startswith(site + "/"), f"_orvy imported from {_orvy.__file__}, not from {site}"
print("wheel_check: Python", sys.version.split()[0], "imports", _orvy.__file__)
'
  version=$("$venv/bin/python" -c 'import sys; print("%d.%d" % sys.version_info[:2])')
  # mypy reads the stub the wheel installed into the venv. Debian's mypy can
  # only inspect environments of its own Python version.
  if [ "$version" = "$mypy_version" ]; then
    /usr/bin/python3 -m mypy --strict --no-incremental --python-executable "$venv/bin/python" \
      "$root/examples/typed_tasks.py"
  else
    echo "wheel_check: mypy skipped for Python $version (Debian's mypy runs on $mypy_version)"
  fi
  shot="$root/out/wheel_$version.png"
  rm -f "$shot"
  xvfb-run -a -s "-screen 0 640x480x24" "$venv/bin/python" -I "$root/examples/typed_tasks.py" --screenshot "$shot"
  # A drawn window has text and widgets: many colours, not a blank screen.
  colours=$(identify -format %k "$shot")
  [ "$colours" -gt 50 ] || { echo "wheel_check: $shot looks blank ($colours colours)" >&2; exit 1; }
  echo "wheel_check: window drawn from the venv, $shot ($colours colours)"
  cd "$root"
done
