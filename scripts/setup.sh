#!/usr/bin/env bash
# Installs the Debian packages orvy needs to build, test and run; with
# --windows also the cross compiler and Wine. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  python3 python3-dev python3-pytest python3-hypothesis
  python3-pip python3-venv python3-setuptools python3-wheel python3-mypy
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  libx11-dev libxext-dev libcairo2-dev libpango1.0-dev
  libpng-dev libjpeg-dev libgif-dev
  fonts-dejavu-core fontconfig
  xvfb xauth x11-utils x11-xkb-utils x11-xserver-utils xdotool imagemagick xcompmgr libxrandr2
  hyperfine python3-tk x11-apps xclip xsel
  dbus dbus-daemon xdg-desktop-portal xdg-desktop-portal-gtk zenity python3-gi gir1.2-gtk-3.0
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0 libglib2.0-dev
)

# The Windows cross-build and Wine, for scripts/windows.sh.
if [ "${1:-}" = "--windows" ]; then
  packages+=(g++-mingw-w64-x86-64-posix wine wine64)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
