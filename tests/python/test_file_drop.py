"""Files dragged from another program (a GTK window offering text/uri-list,
as a file manager does) and dropped on a window: the drop zone under the
pointer gets them all in one call, in order; a drop elsewhere reaches nothing."""
import os
import subprocess
import sys
import threading
import time
from pathlib import Path

import pytest

import _orvy

pytestmark = pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")

SCREEN_W, SCREEN_H = 1920, 1080
HELPERS = Path(__file__).parent / "helpers"


def wait_for(condition, timeout=30.0):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.05)
    return True


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def drag(start, end, steps=15):
    """Presses at `start`, moves to `end` in steps and releases: a drag the
    source sees as a user's, through the X server's test extension."""
    xdotool("mousemove", *start)
    time.sleep(0.1)
    xdotool("mousedown", 1)
    for step in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * step // steps
        y = start[1] + (end[1] - start[1]) * step // steps
        xdotool("mousemove", x, y)
        time.sleep(0.05)
    time.sleep(0.2)
    xdotool("mouseup", 1)


@pytest.fixture
def drag_source(tmp_path):
    pytest.importorskip("gi")
    files = [tmp_path / name for name in ("b.txt", "a b.txt", "ещё.dat")]
    for path in files:
        path.write_text("x")
    source = subprocess.Popen([sys.executable, str(HELPERS / "drag_source.py"), "40", "40", *map(str, files)],
                              stdout=subprocess.PIPE, text=True)
    try:
        assert source.stdout.readline().strip() == "ready"
        yield [str(path) for path in files], (120, 100)
    finally:
        source.terminate()
        source.wait(timeout=10)


def test_three_files_dropped_on_a_zone_arrive_in_order_and_a_drop_elsewhere_reaches_nothing(drag_source):
    files, grip = drag_source
    size = (600, 400)
    w = _orvy.W("orvy drop target", *size, center="screen")
    first, second, errors, places = [], [], [], {}
    w.on_error(errors.append)
    with w.bx(pd=20, gp=20):
        zones = {"first": w.drop(on=first.append, h=120), "second": w.drop(on=second.append, h=120)}
        zones["label"] = w.lb("вне зоны", h=60)
    post = w.post()
    rects = w.rects()
    left, top = (SCREEN_W - size[0]) // 2, (SCREEN_H - size[1]) // 2

    def centre(node):
        x, y, width, height = rects(node)
        return int(left + x + width / 2), int(top + y + height / 2)

    def drive():
        try:
            assert wait_for(lambda: "first" in places)
            drag(grip, places["first"])
            assert wait_for(lambda: first)
            # Drops are handled in order: once the one on the second zone is
            # in, the one on the label before it has had its turn.
            drag(grip, places["label"])
            drag(grip, places["second"])
            assert wait_for(lambda: second)
        finally:
            post(w.close)

    w.after(100, lambda: places.update({name: centre(node) for name, node in zones.items()}))
    driver = threading.Thread(target=drive)
    driver.start()
    w.go()
    driver.join()
    w.on_error(None)
    assert errors == []
    assert first == [files] and second == [files]
