"""Dialogs, notifications, animations and theme switches in real windows under
the X server, driven by xdotool and checked on screenshots."""
import os
import subprocess

import pytest

import _orvy
from conftest import Driver

pytestmark = pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")

SCREEN_W, SCREEN_H = 1920, 1080
DARK_BACKGROUND, DARK_SURFACE, DARK_ACCENT = (0x0E, 0x11, 0x16), (0x17, 0x1A, 0x21), (0x3B, 0x82, 0xF6)


def origin(width, height):
    """Client top-left of a window centred on the screen (there is no window manager)."""
    return (SCREEN_W - width) // 2, (SCREEN_H - height) // 2


def click(window_size, x, y):
    left, top = origin(*window_size)
    subprocess.run(["xdotool", "mousemove", str(int(left + x)), str(int(top + y)), "click", "1"], check=True)


def screenshot(path):
    subprocess.run(["import", "-window", "root", str(path)], check=True)


def read_pixel(path, window_size, x, y):
    left, top = origin(*window_size)
    ppm = subprocess.run(["convert", str(path), "-crop", f"1x1+{left + x}+{top + y}", "ppm:-"],
                         capture_output=True, check=True).stdout
    return tuple(ppm[-3:])


def test_dialogs_show_one_at_a_time_and_report_the_pressed_button():
    size = (600, 400)
    w = _orvy.W("dlg", *size, center="screen")
    answer = _orvy.sgnl("")
    label = w.lb(bind=lambda: f"ответ: {answer()}")
    dlg = w.dlg()
    pressed, errors, seen = [], [], {}
    w.on_error(errors.append)

    def on(name):
        def record(index):
            pressed.append((name, index))
            answer.st(f"{name} {index}")
        return record

    def ask():
        dlg.msg("Первый", "Одна кнопка", on=on("msg"))
        dlg("Второй", "Три кнопки", ["Да", "Нет", "Отмена"], on=on("three"))
        dlg.alert("Осторожно", on=lambda index: 1 / 0)
        dlg("Пусто", "Без кнопок", [], on=on("empty"))  # gets one button, or it could never close

    # The panel is 440 x 220 in the middle of the client area, so its buttons
    # span y 250..294; one button spans x 96..504, the third of three 379..504.
    w.after(50, ask)
    w.after(250, lambda: click(size, 300, 20))  # beside the dialog: eaten
    w.after(400, lambda: seen.setdefault("after stray press", list(pressed)))
    w.after(450, lambda: click(size, 300, 272))
    w.after(700, lambda: click(size, 440, 272))
    w.after(950, lambda: click(size, 300, 272))
    w.after(1200, lambda: click(size, 300, 272))
    w.after(1450, lambda: (seen.setdefault("label", w._model(label)["text"]), w.close()))
    w.go()
    w.on_error(None)
    assert seen["after stray press"] == []
    assert pressed == [("msg", 0), ("three", 2), ("empty", 0)]
    assert seen["label"] == "ответ: empty 0"
    assert len(errors) == 1 and "ZeroDivisionError" in errors[0]


def test_notifications_stack_in_their_corners(tmp_path):
    size = (800, 600)
    w = _orvy.W("nt", *size, center="screen")
    nt = w.nt()
    shot = tmp_path / "toasts.png"

    def post():
        nt.snack("справа", corner="br", secs=30)
        nt.snack("по центру", corner="xx", secs=30)
        nt("Заголовок", "текст", secs=30)

    w.after(50, post)
    w.after(400, lambda: (screenshot(shot), w.close()))
    w.go()
    # Bottom right: 320 x 56 at (460, 524); bottom centre: 460 x 56 at (170, 516);
    # the titled one top right: 320 x 76 at (460, 20). Samples avoid texts and outlines.
    assert read_pixel(shot, size, 700, 575) == DARK_SURFACE
    assert read_pixel(shot, size, 300, 520) == DARK_SURFACE
    assert read_pixel(shot, size, 772, 60) == DARK_SURFACE
    assert read_pixel(shot, size, 100, 60) == DARK_BACKGROUND
    assert read_pixel(shot, size, 100, 560) == DARK_BACKGROUND
    assert read_pixel(shot, size, 700, 300) == DARK_BACKGROUND


def test_a_press_on_a_snack_action_runs_it_once_and_removes_the_snack():
    size = (600, 400)
    w = _orvy.W("snack", *size, center="screen")
    undone = _orvy.sgnl(0)
    label = w.lb(bind=lambda: f"отмен: {undone()}")
    seen = {}
    w.after(50, lambda: w.nt().snack("Удалено", action="Отменить", secs=30, on=lambda: undone.st(undone() + 1)))
    # The bottom-centre snack is 460 x 56 at (70, 316); its button 96 x 36 at (420, 326).
    w.after(300, lambda: click(size, 468, 344))
    w.after(500, lambda: click(size, 468, 344))
    w.after(700, lambda: (seen.setdefault("label", w._model(label)["text"]), w.close()))
    w.go()
    assert undone() == 1
    assert seen["label"] == "отмен: 1"


class Recorder:
    """A signal-like object that keeps every value written to it."""

    def __init__(self, fail=False):
        self.values, self.fail = [], fail

    def __call__(self):
        return self.values[-1] if self.values else 0.0

    def st(self, value):
        if self.fail:
            raise ValueError("cannot store")
        self.values.append(value)


def test_fx_animates_a_signal_to_its_target_and_bindings_follow(capfd):
    w = _orvy.W("fx", 400, 300)
    level = _orvy.sgnl(0.0)
    label = w.lb(bind=lambda: f"{level():.2f}")
    recorder, failing = Recorder(), Recorder(fail=True)
    hooked, seen = [], {}
    w.on_error(hooked.append)
    fx = w.fx()

    def animate():
        fx(level, 1.0, dur=0.3, ease="lin")
        fx(recorder, 1.0, frm=0.0, dur=0.3, ease="zzz")
        fx(failing, 1.0, frm=0.0, dur=0.05)

    w.after(20, animate)
    w.after(150, lambda: seen.setdefault("midway", level()))
    w.after(700, lambda: (seen.setdefault("label", w._model(label)["text"]), w.close()))
    w.go()
    w.on_error(None)
    assert level() == 1.0 and seen["label"] == "1.00"
    assert 0.0 < seen["midway"] < 1.0
    values = recorder.values
    assert len(values) >= 3 and values[-1] == 1.0
    assert all(a <= b for a, b in zip(values, values[1:]))
    assert all(isinstance(v, float) for v in values)
    # A failing write is printed, not handed to the exception hook.
    assert hooked == []
    assert "ValueError: cannot store" in capfd.readouterr().err


@pytest.mark.parametrize("name, when, background, surface", [
    ("blk", "callback", (0, 0, 0), (0x1A, 0x1A, 0x1A)),
    ("zzz", "callback", DARK_BACKGROUND, DARK_SURFACE),
    ("blk", "before go", (0, 0, 0), (0x1A, 0x1A, 0x1A)),
])
def test_thm_switches_the_theme_at_the_next_frame(tmp_path, name, when, background, surface):
    size = (400, 300)
    w = _orvy.W("thm", *size, thm="wht", center="screen")
    w.fr(w=100, h=60, rad=0)
    shot = tmp_path / "theme.png"
    thm, fnt = w.thm(), w.fnt()

    def switch():
        thm(name)
        fnt("DejaVu Sans", 30)  # in the same callback: both apply in the next frame

    if when == "before go":
        switch()
    else:
        w.after(50, switch)
    w.after(300, lambda: (screenshot(shot), w.close()))
    w.go()
    assert read_pixel(shot, size, 50, 30) == surface
    assert read_pixel(shot, size, 300, 200) == background


def test_message_box_keys_focus_press_and_dismiss_through_the_keyboard(tmp_path):
    size = (600, 400)
    w = _orvy.W("keys", *size, center="screen")
    dlg = w.dlg()
    pressed = []
    d = Driver(w, size)
    seen = {}

    def ask():
        dlg("Три", "Клавиши", ["a", "b", "c"], on=pressed.append)
        dlg.msg("Один", "Esc", on=pressed.append)

    def left_button():
        """The colour of the box's first button (x 96.., y 250..294) on screen, beside its text."""
        shot = tmp_path / "box.png"
        screenshot(shot)
        return read_pixel(shot, size, 110, 272)

    def steps(d):
        d.post(ask)
        # Of three buttons the first is plain; a lone button is the primary one.
        seen["three"] = d.until(left_button, DARK_SURFACE)
        d.click_at(5, 5)  # gives the window the keyboard; the box eats the press
        d.key("Tab", "Tab", "Return")  # the second button
        seen["pressed"] = d.until(lambda: list(pressed), [1])
        seen["one"] = d.until(left_button, DARK_ACCENT)
        d.key("Escape")
        seen["dismissed"] = d.until(lambda: list(pressed), [1, -1])

    d.run(steps)
    assert seen == {"three": DARK_SURFACE, "pressed": [1], "one": DARK_ACCENT, "dismissed": [1, -1]}
