"""Push notifications: independent windows served by the running loop that
close after their time or on a click and then call on_close."""
import inspect
import os
import subprocess
import time

import pytest

import _orvy

live = pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")

SCREEN_W, SCREEN_H = 1920, 1080


def test_push_has_the_documented_signature_and_checks_its_arguments(win):
    assert str(inspect.signature(win.push)) == (
        "(title='', text='', *, secs=3.0, w=200, h=150, x=None, y=None, bg='#202632', fg='#eef3ff', font=None, "
        "size=16.0, rad=8.0, pd=10.0, gp=6.0, click=True, on_close=None)")
    assert win.push.__doc__.endswith("Всплывающее сообщение поверх всех окон, независимое от родителя.")
    cases = [
        (lambda: win.push(1), "title"),
        (lambda: win.push("t", secs="long"), "secs"),
        (lambda: win.push("t", w=1.5), "w"),
        (lambda: win.push("t", bg=0x202632), "bg"),
        (lambda: win.push("t", font=3), "font"),
        (lambda: win.push("t", click="yes"), "click"),
        (lambda: win.push("t", x="left"), "x"),
    ]
    for call, name in cases:
        with pytest.raises(TypeError, match=f"argument '{name}'"):
            call()
    with pytest.raises(TypeError):
        win.push("t", "x", 3.0)  # secs is keyword-only


def pixel(path, x, y):
    ppm = subprocess.run(["convert", str(path), "-crop", f"1x1+{x}+{y}", "ppm:-"], capture_output=True,
                         check=True).stdout
    return tuple(ppm[-3:])


@live
def test_a_push_window_shows_at_its_place_closes_after_its_time_and_the_loop_runs_on(tmp_path):
    w = _orvy.W("push owner", 400, 300, center="screen")
    closed, later, shot = [], [], tmp_path / "push.png"
    started = time.monotonic()

    def open_push():
        w.push("Готово", "Файл сохранён", secs=0.6, x=40, y=60, w=240, h=120, bg="#2060c0",
               on_close=lambda: closed.append(time.monotonic() - started))

    w.after(50, open_push)
    w.after(350, lambda: subprocess.run(["import", "-window", "root", str(shot)], check=True))
    w.after(1500, lambda: later.append(len(closed)))
    w.after(1600, w.close)
    w.go()
    assert len(closed) == 1 and closed[0] >= 0.6
    assert later == [1], "the loop went on after the push window closed"
    assert pixel(shot, 40 + 120, 60 + 110) == (0x20, 0x60, 0xC0)
    assert pixel(shot, 40 + 1, 60 + 1) != (0x20, 0x60, 0xC0), "the corners are rounded"


@live
def test_a_click_closes_a_push_window_unless_clicks_are_off(tmp_path):
    w = _orvy.W("push owner", 400, 300, center="screen")
    closed = []

    def open_pushes():
        w.push("один", secs=60, x=40, y=60, on_close=lambda: closed.append("clicked"))
        w.push("два", secs=1.0, x=300, y=60, click=False, on_close=lambda: closed.append("timed"))

    def click(x, y):
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)

    w.after(50, open_pushes)
    w.after(300, lambda: (click(400, 100), click(100, 100)))
    w.after(3000, w.close)
    w.go()
    assert closed == ["clicked", "timed"]


@live
def test_push_windows_without_a_position_stack_in_the_bottom_right_corner(tmp_path):
    w = _orvy.W("push owner", 400, 300, center="screen")
    shot = tmp_path / "stack.png"
    w.after(50, lambda: [w.push("Сообщение", f"номер {n}", secs=2, bg="#c02020") for n in range(2)])
    w.after(400, lambda: (subprocess.run(["import", "-window", "root", str(shot)], check=True), w.close()))
    w.go()
    right, bottom = SCREEN_W - 16, SCREEN_H - 16
    assert pixel(shot, right - 100, bottom - 75) == (0xC0, 0x20, 0x20)
    assert pixel(shot, right - 100, bottom - 150 - 8 - 75) == (0xC0, 0x20, 0x20)
    assert pixel(shot, right - 100, bottom - 150 - 4) != (0xC0, 0x20, 0x20), "a gap between the two"
