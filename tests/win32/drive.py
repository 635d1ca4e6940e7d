#!/usr/bin/env python3
"""Runs the Windows test program under Wine and answers its requests with real
X input: it prints "REQUEST click X Y" and serves its loop while this script
moves the pointer and clicks through XTEST; "REQUEST type X Y TEXT" clicks
there and types, "REQUEST type-on TEXT" types where the focus is, "REQUEST key
KEYS..." presses key combinations (xdotool names: ctrl+a, Return);
"REQUEST screen-pixel X Y RRGGBB" asks for a pixel of the X screen to be
compared. Figures and results pass
through; the exit status is the program's, or 1 when a request failed.

Usage: drive.py WINE_PROGRAM [ARGUMENTS...]  (inside an X server, WINEPREFIX set)
"""
import subprocess
import sys
import time


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
    print(f"  FAILED unknown request {' '.join(words)}", flush=True)
    return False


def main():
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
