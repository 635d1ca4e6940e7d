#!/usr/bin/env bash
# Checks that a cross-built _orvy.pyd (and the backend library beside it)
# import only python3.dll, the stable ABI, and DLLs every Windows has.
# Usage: scripts/check_pyd_imports.sh build-win/python/_orvy.pyd
set -euo pipefail
pyd="$1"
allowed='^(python3|kernel32|user32|gdi32|advapi32|ole32|oleaut32|shell32|shlwapi|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+|d3d11|dxgi|d2d1|dwrite|dcomp|windowscodecs|imm32|dwmapi|uuid|comdlg32)\.dll$'
status=0
for file in "$pyd" "$(dirname "$pyd")/_orvy_win32.dll"; do
  [ -f "$file" ] || continue
  dlls=$(x86_64-w64-mingw32-objdump -p "$file" | awk '/DLL Name:/ { print tolower($3) }')
  for dll in $dlls; do
    if ! [[ $dll =~ $allowed ]]; then
      echo "$(basename "$file") imports $dll, which is not a system DLL" >&2
      status=1
    fi
  done
  echo "$(basename "$file") imports: $(echo $dlls)"
done
# The module takes from Python only python3.dll, nothing from python3XY.dll.
if x86_64-w64-mingw32-objdump -p "$pyd" | grep -qiE 'DLL Name: python3[0-9]+\.dll'; then
  echo "_orvy.pyd imports a versioned python DLL" >&2
  status=1
fi
exit $status
