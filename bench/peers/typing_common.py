"""The typing workload shared by orvy and PyQt6: a multi-line field holding
LINES lines, the caret at its end, and TYPED typed into it by xdotool (the
real X input path for both). Reported: wall and CPU time of the toolkit's
process per keystroke, from the first key sent to the last one shown."""
import os
import subprocess
import time

LINES = int(os.environ.get("TYPING_LINES", "10000"))
TYPED = "typing into a long field " * 8
SIZE = (1280, 720)


def initial_text():
    return "\n".join("Line %d: the quick brown fox jumps over the lazy dog" % i for i in range(LINES))


def drive(read_text, close, settle=1.0, timeout=120.0):
    """On a thread: types TYPED once the window has settled, waits until the
    field holds it, then closes; returns the measured times."""
    time.sleep(settle)
    subprocess.run(["xdotool", "mousemove", "640", "360"], check=True)
    want = initial_text() + TYPED
    wall0, cpu0 = time.perf_counter(), time.process_time()
    subprocess.run(["xdotool", "type", "--delay", "4", TYPED], check=True)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and read_text() != want:
        time.sleep(0.02)
    wall, cpu = time.perf_counter() - wall0, time.process_time() - cpu0
    done = read_text() == want
    close()
    return {"keys": len(TYPED), "complete": done, "lines": LINES,
            "wall_ms_per_key": round(wall * 1000.0 / len(TYPED), 3),
            "cpu_ms_per_key": round(cpu * 1000.0 / len(TYPED), 3)}
