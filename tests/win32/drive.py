#!/usr/bin/env python3
"""Runs the Windows test program under Wine and answers its requests with real
X input: it prints "REQUEST click X Y" and serves its loop while this script
moves the pointer and clicks through XTEST; "REQUEST type X Y TEXT" clicks
there and types, "REQUEST type-on TEXT" types where the focus is, "REQUEST key
KEYS..." presses key combinations (xdotool names: ctrl+a, Return);
"REQUEST screen-pixel X Y RRGGBB" asks for a pixel of the X screen to be
compared; "REQUEST screen-keep NAME X Y W H" keeps an area of the X screen
once it has settled, and "REQUEST screen-same NAME X Y W H" waits for the
area to show again what was kept under that name. Figures and results pass
through; the exit status is the program's, or 1 when a request failed.

Before Wine starts, the X keymap gets the Russian letters the program types
on spare keys: xdotool then types them with keys that exist, where it would
otherwise remap a spare keycode for each letter, which Wine, reading the
keymap when it starts, would not follow.

Usage: drive.py WINE_PROGRAM [ARGUMENTS...]  (inside an X server, WINEPREFIX set)
"""
import atexit
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile
import time

RUSSIAN = dict(zip("абвгдеёжзийклмнопрстуфхцчшщъыьэюя",
                   ("a be ve ghe de ie io zhe ze i shorti ka el em en o pe er es te u ef ha tse che sha shcha "
                    "hardsign yeru softsign e yu ya").split()))
# Only the letters the program types: Wine gives each key it does not know
# one of about twenty free virtual-key codes, too few for the whole alphabet.
TYPED_LETTERS = "жёлтый"


def add_russian_keys(letters=TYPED_LETTERS):
    """Puts each letter (lower case, and upper case with Shift) on a key no
    one types with. Returns how many letters were placed."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
    x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.POINTER(ctypes.c_int)]
    x11.XStringToKeysym.restype = ctypes.c_ulong
    x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
    x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XFree.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        return 0
    low, high, per = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
    x11.XDisplayKeycodes(display, ctypes.byref(low), ctypes.byref(high))
    count = high.value - low.value + 1
    symbols = x11.XGetKeyboardMapping(display, low.value, count, ctypes.byref(per))
    keys = [[symbols[k * per.value + i] for i in range(per.value)] for k in range(count)]
    x11.XFree(symbols)
    # The keycodes of vendor keys (XF86 media and launch keys, 0x1008xxxx):
    # real keys of the server's keyboard, which Wine takes letters from.
    # (Keycodes without symbols are left to xdotool; Wine ignores letters
    # put on them.)
    vendor = [low.value + k for k, syms in enumerate(keys)
              if any(syms) and all(sym == 0 or sym >> 16 == 0x1008 for sym in syms)]
    placed = 0
    for keycode, name in zip(vendor, (RUSSIAN[letter] for letter in letters)):
        pair = (ctypes.c_ulong * 2)(x11.XStringToKeysym(f"Cyrillic_{name}".encode()),
                                    x11.XStringToKeysym(f"Cyrillic_{name.upper()}".encode()))
        x11.XChangeKeyboardMapping(display, keycode, 2, pair, 1)
        placed += 1
    # The connection stays open until the script ends: an X server whose
    # last client leaves resets, and the keymap with it.
    x11.XSync(display, 0)
    return placed


def screen_pixel(x, y):
    # ImageMagick reads the root window; "srgb(r,g,b)" comes back.
    out = subprocess.run(["import", "-silent", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8",
                          "txt:-"], capture_output=True, text=True, timeout=60).stdout
    for line in out.splitlines():
        if "#" in line and ":" in line and not line.startswith("#"):
            return line.split("#", 1)[1][:6].upper()
    return None


def answer(words):
    if words[0] == "click":
        x, y = words[1], words[2]
        subprocess.run(["xdotool", "mousemove", x, y], check=True, timeout=30)
        time.sleep(0.2)
        subprocess.run(["xdotool", "click", "1"], check=True, timeout=30)
        return True
    if words[0] == "type":
        x, y, text = words[1], words[2], " ".join(words[3:])
        subprocess.run(["xdotool", "mousemove", x, y, "click", "1"], check=True, timeout=30)
        time.sleep(0.3)
        subprocess.run(["xdotool", "type", "--delay", "60", text], check=True, timeout=60)
        return True
    if words[0] == "type-on":
        subprocess.run(["xdotool", "type", "--delay", "60", " ".join(words[1:])], check=True, timeout=60)
        return True
    if words[0] == "key":
        subprocess.run(["xdotool", "key", "--delay", "60"] + words[1:], check=True, timeout=60)
        return True
    if words[0] == "screen-pixel":
        x, y, want = int(words[1]), int(words[2]), words[3].upper()
        # The frame reaches the screen after the present: poll for it.
        deadline = time.monotonic() + 10
        have = None
        while time.monotonic() < deadline:
            have = screen_pixel(x, y)
            if have == want:
                print(f"  screen pixel at ({x}, {y}) is {have}", flush=True)
                return True
            time.sleep(0.1)
        print(f"  FAILED screen pixel at ({x}, {y}) is {have}, not {want}", flush=True)
        return False
    if words[0] in ("screen-keep", "screen-same"):
        name = words[1]
        x, y, width, height = (int(word) for word in words[2:6])
        return (keep_screen_area if words[0] == "screen-keep" else same_screen_area)(name, x, y, width, height)
    print(f"  FAILED unknown request {' '.join(words)}", flush=True)
    return False


KEPT_SHOTS = tempfile.mkdtemp(prefix="orvy-shots-")
atexit.register(shutil.rmtree, KEPT_SHOTS, ignore_errors=True)


def screen_area(x, y, width, height, path):
    """Writes an area of the X screen to a PNG file."""
    subprocess.run(["import", "-silent", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                    path], check=True, timeout=60)


def differing_pixels(first, second):
    """How many pixels of two pictures of one size differ, or None when they cannot be compared."""
    out = subprocess.run(["compare", "-metric", "AE", first, second, "null:"], capture_output=True, text=True,
                         timeout=60)
    try:
        return int(float(out.stderr.split()[0]))
    except (IndexError, ValueError):
        return None


def keep_screen_area(name, x, y, width, height):
    """Keeps the area once two shots in a row agree: the frame reaches the
    screen some time after it was presented."""
    kept = os.path.join(KEPT_SHOTS, f"{name}.png")
    latest = os.path.join(KEPT_SHOTS, f"{name}-latest.png")
    screen_area(x, y, width, height, kept)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        time.sleep(0.3)
        screen_area(x, y, width, height, latest)
        if differing_pixels(kept, latest) == 0:
            print(f"  screen area {name} kept", flush=True)
            return True
        os.replace(latest, kept)
    print(f"  FAILED screen area {name} did not settle", flush=True)
    return False


def same_screen_area(name, x, y, width, height):
    kept = os.path.join(KEPT_SHOTS, f"{name}.png")
    latest = os.path.join(KEPT_SHOTS, f"{name}-again.png")
    if not os.path.exists(kept):
        print(f"  FAILED no screen area kept as {name}", flush=True)
        return False
    deadline = time.monotonic() + 10
    differing = None
    while time.monotonic() < deadline:
        screen_area(x, y, width, height, latest)
        differing = differing_pixels(kept, latest)
        if differing == 0:
            print(f"  screen area {name} shows the same pixels again", flush=True)
            return True
        time.sleep(0.2)
    print(f"  FAILED screen area {name}: {differing} pixels differ", flush=True)
    return False


def main():
    placed = add_russian_keys()
    if placed < len(TYPED_LETTERS):
        print(f"  only {placed} of {len(TYPED_LETTERS)} Russian letters found a spare key", flush=True)
    program = subprocess.Popen(["wine"] + sys.argv[1:], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                               encoding="utf-8", errors="replace")
    ok = True
    for line in program.stdout:
        line = line.rstrip("\r\n")
        if line.startswith("REQUEST "):
            ok = answer(line.split()[1:]) and ok
            # Whatever happened, the program may go on.
            program.stdin.write("done\n")
            program.stdin.flush()
        else:
            print(line, flush=True)
    status = program.wait()
    return status if status else (0 if ok else 1)


if __name__ == "__main__":
    sys.exit(main())
