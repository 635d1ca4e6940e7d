"""Operations on lists, tables, trees, columns, layers, the canvas view,
tooltips and outlines: queued while the window runs and seen a frame later;
the hooks and tooltip setters refuse once it runs."""
import os

import pytest

import _orvy

pytestmark = pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")

TREE_ROWS = [(0, "корень", False)] + [(1, f"ветка {i}", False) for i in range(3)] + [
    (2, f"лист {i}", True) for i in range(40)
]


def run_steps(w, *steps, gap=120):
    """Runs each step in its own timer, `gap` ms apart (several frames), then
    closes the window; returns what the steps returned."""
    seen = []
    errors = []
    w.on_error(errors.append)
    for i, step in enumerate(steps):
        w.after(60 + i * gap, lambda step=step: seen.append(step()))
    w.after(60 + len(steps) * gap, w.close)
    w.go()
    w.on_error(None)
    assert errors == []
    return seen


def test_list_table_and_tree_operations_show_a_frame_later():
    w = _orvy.W("lists", 600, 400)
    with w.bx(ax="h"):
        lst = w.lst([f"пункт {i}" for i in range(200)], multi=True, h=300)
        table = w.tbl(["a", "b"], [[str(i), str(i * i)] for i in range(500)], h=300)
        tree = w.tre(TREE_ROWS, h=300)

    def select_twice():
        w.lst_sel(lst, [3])
        w.lst_sel(lst, [150, 7])
        w.tbl_see(table, 400)
        w.tre_see(tree, 30)
        return w._model(lst)["selection"]

    def look():
        return w._model(lst), w._model(table), w._model(tree)

    def open_all_then_select():
        w.tre_open(tree, on=False)
        w.tre_open(tree, [0])
        w.tre_sel(tree, [2, 1])
        return None

    first_seen, (listed, tabled, treed), _, (_, _, treed_after) = run_steps(
        w, select_twice, look, open_all_then_select, look
    )
    assert first_seen == []  # nothing is applied inside the callback
    assert sorted(listed["selection"]) == [7, 150] and listed["current"] == 150
    assert listed["scroll"] > 0
    assert tabled["current"] == 400 and tabled["scroll"] > 0
    rows = treed["rows"]
    # Row 30 sits under ветка 2 (row 3); scrolling to it opened its ancestors.
    assert rows[0]["open"] and rows[3]["open"]
    assert treed["scroll"] > 0
    rows = treed_after["rows"]
    assert rows[0]["open"] and not any(r["open"] for r in rows[1:4])
    assert treed_after["current"] == 2 and sorted(treed_after["selection"]) == [1, 2]


def test_columns_layers_canvas_view_accordion_and_outline():
    w = _orvy.W("misc", 600, 400)
    table = w.tbl(["a", "b", "c"], [["1", "2", "3"]])
    with w.pop() as layer:
        w.lb("в слое")
    canvas = w.cv(scroll=True, w=200, h=100)
    with w.acc("Раздел") as section:
        w.lb("внутри")
    label = w.lb("обведённая")
    w.brdln(label, "#ff000080", w=2)
    w.cols(table, widths=[120.4, 0, 80], mins=[50, 60, 70], head=48, resize=True)

    def first():
        return w._model(table), w._model(label)

    def change():
        w.pop_at(layer, 40, 50, 200, 120)
        w.cv_region(canvas, 0, 0, 2000, 1000)
        w.cv_view(canvas, 300, 200)
        w.acc_open(section)
        w.brdln(label, None)
        w.cols(table, resize=False)

    def second():
        return w._model(layer), w._model(canvas), w._model(section), w._model(label), w._model(table)

    def hide():
        w.pop_off(layer)

    def third():
        return w._model(layer)

    (table_model, outlined), _, (shown, canvas_model, opened, plain, table_after), _, hidden = run_steps(
        w, first, change, second, hide, third
    )
    assert table_model["widths"] == [120, 0, 80]
    assert table_model["minimums"] == [50, 60, 70]
    assert table_model["header"] == 48 and table_model["resizable"]
    assert "resizable" not in table_after
    r, g, b, a, width = outlined["outline"]
    assert (round(r * 255), g, b, round(a * 255), width) == (255, 0, 0, 128, 2)
    assert "outline" not in plain
    assert shown["popup"] and "popup" not in hidden
    assert canvas_model["view"] == [300, 200]
    assert opened["open"]


def test_tooltips_and_hooks_are_set_while_configuring_and_refused_while_running():
    w = _orvy.W()
    button = w.bt("кнопка")
    table = w.tbl(["a"], [["1"]])
    w.tip(button, "подсказка")
    w.tip_style(radius=3, pad_x=20, pad_y=9)
    w.menu(["Копировать", "Вставить"], on_select=print)
    w.wheel(button, print)
    w.rmb(button, print)
    w.cols(table, on_cols=print)
    assert w._model(button)["tip"] == "подсказка"
    assert w._menu() == (["Копировать", "Вставить"], False, 0.0, 0.0, 3.0, 20.0, 9.0)

    refused = []

    def try_all():
        for call in (
            lambda: w.tip(button, "x"),
            lambda: w.tip_style(),
            lambda: w.wheel(button, print),
            lambda: w.rmb(button, print),
            lambda: w.menu(["x"]),
            lambda: w.cols(table, on_cols=print),
            lambda: w.tv(button),
            lambda: w.lstv(button),
            lambda: w.tre_opened(button),
        ):
            try:
                call()
                refused.append(None)
            except RuntimeError as error:
                refused.append(str(error))

    run_steps(w, try_all)
    assert refused == ["окно уже запущено"] * 9


def test_popup_opens_and_closes_the_menu_and_picks_reach_on_select():
    w = _orvy.W("popup", 500, 300)
    picks = []

    def open_it():
        w.popup(["один", "два", "три"], 480, 10, on_select=picks.append)

    def look():
        return w._menu()

    def close_it():
        w.popup([], 0, 0)

    opened, closed = [s for s in run_steps(w, open_it, look, close_it, look) if s is not None]
    items, is_open, x, y = opened[:4]
    assert items == ["один", "два", "три"] and is_open
    assert x <= 500 - 220 and y == 10  # kept inside the client area
    assert closed[1] is False


def test_right_click_and_column_hooks_deliver_their_arguments():
    w = _orvy.W()
    button = w.bt("кнопка")
    table = w.tbl(["a", "b"], [["1", "2"]])
    got = []
    w.rmb(button, lambda x, y: got.append(("rmb", x, y)))
    # The widths are queued even now and reach the table with the first frame.
    w.cols(table, widths=[90, 110], on_cols=lambda widths: got.append(("cols", widths)))
    w._fire(button, 9, 0, 12.5, 30.0)
    run_steps(w, lambda: w._fire(table, 10, 1))
    assert got == [("rmb", 12.5, 30.0), ("cols", [90.0, 110.0])]
