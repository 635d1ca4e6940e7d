"""A window on a screen of 16 bits a pixel (as some VNC servers run) shows
its frame: the pixels are converted to the screen's format instead of
leaving the window blank."""
import os
import subprocess
import sys
import time

import pytest

SHOW_AND_SHOOT = r"""
import subprocess, sys, _orvy
w = _orvy.W("depth", 400, 300, thm="wht")
w.fr(w=100, h=60, rad=0)

def take():
    subprocess.run(["import", "-window", "root", sys.argv[1]], check=True)
    w.close()

w.after(300, take)
w.go()
"""


def start_xvfb(depth):
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "640x480x%d" % depth,
                               "-nolisten", "tcp", "-noreset"], pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    number = os.read(read, 64).decode().strip()
    os.close(read)
    return server, ":" + number


def read_pixel(path, x, y):
    ppm = subprocess.run(["convert", str(path), "-crop", f"1x1+{x}+{y}", "-depth", "8", "ppm:-"],
                         capture_output=True, check=True).stdout
    return tuple(ppm[-3:])


def near(pixel, colour, slack=8):
    return all(abs(a - b) <= slack for a, b in zip(pixel, colour))


@pytest.mark.skipif(subprocess.run(["which", "Xvfb"], capture_output=True).returncode != 0, reason="needs Xvfb")
def test_a_sixteen_bit_screen_shows_the_frame(tmp_path):
    server, display = start_xvfb(16)
    try:
        shot = tmp_path / "shot.png"
        env = dict(os.environ, DISPLAY=display)
        # The display number can come before the server takes connections.
        deadline = time.monotonic() + 30
        while subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode != 0:
            assert time.monotonic() < deadline, "Xvfb takes no connections"
            time.sleep(0.1)
        done = subprocess.run([sys.executable, "-c", SHOW_AND_SHOOT, str(shot)], env=env, capture_output=True,
                              text=True, timeout=120)
        assert done.returncode == 0, done.stderr
        # No window manager: the window sits at the screen's top-left corner.
        assert near(read_pixel(shot, 50, 30), (0xF5, 0xF5, 0xF5))   # the panel
        assert near(read_pixel(shot, 300, 200), (0xFF, 0xFF, 0xFF))  # the background
        assert read_pixel(shot, 500, 400) == (0, 0, 0)               # the root window outside
    finally:
        server.kill()
        server.wait()
