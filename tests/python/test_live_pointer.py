"""The mouse under the X server: right-click handlers and the context menu,
wheel handlers, column edges of tables, the property grid, and how
tooltips, pop layers and the context menu look. Input comes from xdotool on a
driver thread; every check waits for its condition."""
import os
import subprocess

import pytest

import _orvy
from conftest import Driver, screen_origin

pytestmark = pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")

SIZE = (600, 400)
DARK_BACKGROUND, DARK_SURFACE, DARK_TEXT = (0x0E, 0x11, 0x16), (0x17, 0x1A, 0x21), (0xE6, 0xE8, 0xEB)


def read_pixel(path, x, y):
    left, top = screen_origin(*SIZE)
    ppm = subprocess.run(["convert", str(path), "-crop", f"1x1+{int(left + x)}+{int(top + y)}", "ppm:-"],
                         capture_output=True, check=True).stdout
    return tuple(ppm[-3:])


def window(title, **options):
    return _orvy.W(title, *SIZE, center="screen", **options)


def centre(rect):
    x, y, width, height = rect
    return x + width / 2, y + height / 2


def test_right_click_reaches_the_nearest_rmb_handler_and_opens_the_context_menu(tmp_path):
    w = window("rmb")
    got, picks = [], []
    with w.bx(pd=20, gp=20) as outer:
        with w.bx(pd=10, h=120):
            inner = w.lb("без обработчика", h=40)
        button = w.bt("кнопка", h=40)
    w.rmb(outer, lambda x, y: got.append(("outer", x, y)))
    w.rmb(button, lambda x, y: got.append(("button", x, y)))
    w.menu(["Копировать", "Вставить", "Удалить"], on_select=picks.append)
    d = Driver(w, SIZE)
    seen = {}

    def steps(d):
        x, y = (int(v) for v in centre(d.rect(inner)))
        d.click_at(x, y, button=3)
        seen["walked up"] = d.until(lambda: list(got), lambda v: len(v) == 1)
        # The menu opens at the pointer, 220 wide, 30 px a row.
        seen["menu"] = d.until(lambda: w._menu()[:4], lambda v: v[1])
        # Right of the third item's text, in the menu's body.
        d.screenshot(tmp_path / "context_menu.png")
        seen["body"] = read_pixel(tmp_path / "context_menu.png", x + 200, y + 75)
        d.click_at(x + 60, y + 45)  # the second item
        seen["picks"] = d.until(lambda: list(picks), [1])
        seen["closed"] = d.until(lambda: w._menu()[1], False)
        bx, by = (int(v) for v in centre(d.rect(button)))
        d.click_at(bx, by, button=3)
        seen["button"] = d.until(lambda: list(got), lambda v: len(v) == 2)
        seen["button point"] = (bx, by)
        seen["point"] = (x, y)

    d.run(steps)
    x, y = seen["point"]
    assert seen["walked up"] == [("outer", float(x), float(y))]
    assert seen["menu"] == (["Копировать", "Вставить", "Удалить"], True, float(x), float(y))
    assert seen["body"] == DARK_SURFACE
    assert seen["picks"] == [1] and seen["closed"] is False
    bx, by = seen["button point"]
    assert seen["button"][1] == ("button", float(bx), float(by))  # the outer box hears nothing more
    assert len(got) == 2


def test_a_wheel_handler_takes_the_wheel_and_the_property_grid_selects_and_scrolls():
    w = window("wheel")
    wheeled, rows = [], []
    with w.bx(ax="h", pd=10, gp=10):
        with w.scr(w=280, h=380) as area:
            hooked = w.lb("колесо перехвачено", h=60)
            plain = [w.lb(f"строка {i}", h=40) for i in range(20)]
        grid = w.pg([(f"ключ {i}", f"значение {i}") for i in range(40)], ch=rows.append, w=290, h=380)
    w.wheel(hooked, lambda delta, x, y: wheeled.append((delta, x, y)))
    d = Driver(w, SIZE)
    seen = {}

    def steps(d):
        x, y = (int(v) for v in centre(d.rect(hooked)))
        d.wheel(x, y, -2)
        seen["handler"] = d.until(lambda: list(wheeled), lambda v: len(v) == 2)
        seen["point"] = (x, y)
        # A turn over a plain label of the same area scrolls it: the wheel does
        # reach the area, and the handler above was what kept it still.
        seen["still"] = d.read(lambda: w._model(area)["offset"])
        d.wheel(*centre(d.rect(plain[2])), -1)
        seen["scrolled"] = d.until(lambda: w._model(area)["offset"], lambda v: v > 0)

        gx, gy, _, _ = d.rect(grid)
        d.click_at(gx + 100, gy + 2 * 32 + 16)
        seen["pressed"] = d.until(lambda: w._model(grid)["current"], 2)
        d.wheel(gx + 100, gy + 100, -3)
        seen["grid scroll"] = d.until(lambda: w._model(grid)["scroll"], 96.0)
        d.click_at(gx + 100, gy + 16)  # the top row shown is row 3 now
        seen["pressed scrolled"] = d.until(lambda: w._model(grid)["current"], 3)

    d.run(steps)
    x, y = seen["point"]
    assert seen["handler"] == [(-1.0, float(x), float(y))] * 2
    assert seen["still"] == 0.0 and seen["scrolled"] > 0
    assert seen["pressed"] == 2 and seen["grid scroll"] == 96.0 and seen["pressed scrolled"] == 3
    assert rows == [2, 3]


def test_a_column_edge_drags_to_a_new_width_and_a_double_press_fits_the_column():
    w = window("cols")
    reported = []
    with w.bx(pd=10):
        table = w.tbl(["№", "Название", "Тип"], [[str(i), f"файл {i}", "txt"] for i in range(30)], h=300)
    w.cols(table, widths=[150, 150, 150], resize=True, on_cols=reported.append)
    d = Driver(w, SIZE)
    seen = {}

    def steps(d):
        d.until(lambda: w._model(table)["widths"], [150.0, 150.0, 150.0])
        x, y, _, _ = d.rect(table)
        header = y + 17
        d.drag((x + 150, header), (x + 210, header))
        seen["dragged"] = d.until(lambda: list(reported), lambda v: len(v) == 1)
        seen["widths"] = d.read(lambda: w._model(table)["widths"])
        # The numbers are narrow: fitting shrinks the first column to its
        # widest number plus 24 px (never below 40) and the next one takes the rest.
        d.click_at(x + 210, header, repeat=2)
        seen["fitted"] = d.until(lambda: list(reported), lambda v: len(v) == 2)

    d.run(steps)
    assert seen["dragged"] == [[210.0, 90.0, 150.0]]
    assert seen["widths"] == [210.0, 90.0, 150.0]
    first, second, third = seen["fitted"][1]
    assert 40.0 <= first < 80.0 and first + second == 300.0 and third == 150.0


def test_a_styled_tooltip_and_a_shown_pop_layer_on_screen(tmp_path):
    w = window("tips")
    button = w.bt("наведи", w=160, h=40)
    with w.pop(w=240, h=120) as layer:
        w.lb("слой поверх окна", h=40)
    w.tip(button, "Подсказка с отступами")
    w.tip_style(radius=14, pad_x=24, pad_y=12)
    d = Driver(w, SIZE)
    seen = {}

    def shot(name):
        path = tmp_path / f"{name}.png"
        d.screenshot(path)
        return path

    def steps(d):
        x, y = (int(v) for v in centre(d.rect(button)))
        d.move(x, y)
        # The tooltip shows after 1.2 s of rest: 14 px right of and 22 px
        # below the pointer, its padding band above the text in the text colour.
        seen["tip"] = d.until(lambda: read_pixel(shot("tooltip"), x + 14 + 40, y + 22 + 5), DARK_TEXT)
        seen["before"] = read_pixel(shot("before"), 500, 320)
        d.post(lambda: w.pop_at(layer, 300, 200, 260, 140))
        seen["shown"] = d.until(lambda: w._model(layer).get("popup", False), True)
        d.move(20, 380)
        seen["layer"] = d.until(lambda: read_pixel(shot("pop"), 300 + 200, 200 + 120), DARK_SURFACE)
        d.post(lambda: w.pop_off(layer))
        seen["hidden"] = d.until(lambda: w._model(layer).get("popup", False), False)

    d.run(steps)
    assert seen == {"tip": DARK_TEXT, "before": DARK_BACKGROUND, "shown": True, "layer": DARK_SURFACE,
                    "hidden": False}
