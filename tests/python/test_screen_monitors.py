"""With several monitors on one X screen, the screen size is the primary
monitor's and a centred window lands in the middle of the primary monitor's
work area, not across the whole screen."""
import subprocess
import sys

import pytest

PLACE = r"""
import re, subprocess, _orvy
print(*map(int, _orvy.W.screen()))
w = _orvy.W("placed", 400, 300, center="screen")

def report():
    info = subprocess.run(["xwininfo", "-name", "placed"], capture_output=True, text=True, check=True).stdout
    print(*(re.search(f"Absolute upper-left {axis}: +(-?\\d+)", info).group(1) for axis in "XY"))
    w.close()

w.after(200, report)
w.go()
"""

HALF = "960/254x1080/286"


# (xrandr monitors, the desktop's work area or None) -> (screen size, window's top-left)
LAYOUTS = {
    # Two halves side by side, the right one primary.
    "primary on the right": ([["L", f"{HALF}+0+0", "none"], ["*R", f"{HALF}+960+0", "none"]], None,
                             ((960, 1080), (960 + 280, 390))),
    # No monitor marked primary: the first one listed (the left half) stands in.
    "no primary": ([["L", f"{HALF}+0+0", "none"], ["R", f"{HALF}+960+0", "screen"]], None,
                   ((960, 1080), (280, 390))),
    # A panel of 80 pixels along the bottom of the whole desktop.
    "work area below a panel": ([["L", f"{HALF}+0+0", "none"], ["*R", f"{HALF}+960+0", "none"]],
                                "0, 0, 1920, 1000", ((960, 1080), (960 + 280, 350))),
}


@pytest.mark.skipif(any(subprocess.run(["which", tool], capture_output=True).returncode != 0
                        for tool in ("Xvfb", "xrandr", "xwininfo", "xprop")),
                    reason="needs Xvfb, xrandr, xwininfo and xprop")
@pytest.mark.parametrize("layout", LAYOUTS)
def test_a_centred_window_lands_on_the_primary_monitor(private_xvfb, layout):
    monitors, work_area, (screen, corner) = LAYOUTS[layout]
    env = private_xvfb("1920x1080x24")
    for name, geometry, output in monitors:
        subprocess.run(["xrandr", "--setmonitor", name, geometry, output], env=env, check=True,
                       capture_output=True)
    if work_area:
        subprocess.run(["xprop", "-root", "-f", "_NET_WORKAREA", "32c", "-set", "_NET_WORKAREA", work_area],
                       env=env, check=True)
    done = subprocess.run([sys.executable, "-c", PLACE], env=env, capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    lines = done.stdout.split("\n")
    assert tuple(map(int, lines[0].split())) == screen
    assert tuple(map(int, lines[1].split())) == corner


OWNED = r"""
import re, subprocess, _orvy
w = _orvy.W("main", 400, 300, center="screen")
sub = w.subwin("placed", 300, 200, center="screen")

def open_sub():
    w.move(100, 100)  # onto the left monitor, which is not the primary
    with sub:
        pass

def report():
    info = subprocess.run(["xwininfo", "-name", "placed"], capture_output=True, text=True, check=True).stdout
    print(*(re.search(f"Absolute upper-left {axis}: +(-?\\d+)", info).group(1) for axis in "XY"))
    w.close()

w.after(100, open_sub)
w.after(400, report)
w.go()
"""


@pytest.mark.skipif(any(subprocess.run(["which", tool], capture_output=True).returncode != 0
                        for tool in ("Xvfb", "xrandr", "xwininfo")), reason="needs Xvfb, xrandr and xwininfo")
def test_a_sub_window_centred_on_the_screen_goes_to_its_owners_monitor(private_xvfb):
    env = private_xvfb("1920x1080x24")
    for name, geometry, output in LAYOUTS["primary on the right"][0]:
        subprocess.run(["xrandr", "--setmonitor", name, geometry, output], env=env, check=True, capture_output=True)
    done = subprocess.run([sys.executable, "-c", OWNED], env=env, capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    assert tuple(map(int, done.stdout.split())) == ((960 - 300) // 2, (1080 - 200) // 2)
