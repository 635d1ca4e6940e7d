"""Layout setters: what they store, what the layout then does with it, and how
they behave once the window runs."""
import math

import pytest

import _orvy
from conftest import start


def layout_of(win, index):
    return win._nodes()[index][3]


SIGNATURES = {
    "grow": ("($self, n, g)", "Задаёт flex-вес узла вдоль главной оси."),
    "align": ('($self, n, *, justify="st", cross="str")',
              "Выравнивает детей узла: `justify` (st/cnt/end/btw), `cross` (str/st/cnt/end)."),
    "pin": ("($self, n, *, l=None, t=None, r=None, b=None)",
            "Пинит узел к краям родителя; `l/t/r/b` — отступы, `None` — не привязан."),
    "pl": ("($self, n, *, x=None, y=None, r=None, b=None, w=None, h=None)",
           "Размещает узел абсолютно: `x`, `y`, `r`, `b`, `w`, `h`."),
    "gr": ("($self, n, r=0, c=0, *, rs=1, cs=1)", "Ставит узел в ячейку сетки: строка, столбец, растяжки."),
    "pk": ('($self, n, side="t", *, fill=None, exp=False)', "Прижимает узел к стороне: `t`/`b`/`l`/`r`, `fill`, `exp`."),
    "lim": ("($self, n, *, min_w=None, min_h=None, max_w=None, max_h=None)",
            "Пределы размеров узла: `lim(node, min_w=200.0)`."),
    "dep": ("($self, n, z=0)", "Задаёт глубину узла: больше `z` — ближе к зрителю (`dep(node, 2)`)."),
}


@pytest.mark.parametrize("name", sorted(SIGNATURES))
def test_docstrings_start_with_the_signature(name):
    method = getattr(_orvy.W, name)
    signature, text = SIGNATURES[name]
    assert method.__text_signature__ == signature
    assert method.__doc__ == text


def test_grow_splits_the_free_height_by_weight(win):
    a, b = win.fr(), win.fr()
    win.grow(b, 3)
    win.grow(a, 0.0)  # 0 or less counts as 1
    rects = win._layout(400, 400)
    assert rects[1] == (0.0, 0.0, 400.0, 100.0)
    assert rects[2] == (0.0, 100.0, 400.0, 300.0)
    assert layout_of(win, 2)["grow"] == 3.0


def test_align_words_fall_back_to_start_and_stretch(win):
    box = win.fr(pd=10)
    win.align(box, justify="cnt", cross="cnt")
    assert (layout_of(win, 1)["justify"], layout_of(win, 1)["cross"]) == (1, 2)
    win.align(box, justify="center", cross="st")
    assert (layout_of(win, 1)["justify"], layout_of(win, 1)["cross"]) == (0, 1)
    win.align(box)
    assert (layout_of(win, 1)["justify"], layout_of(win, 1)["cross"]) == (0, 0)


def test_cross_centre_centres_a_fixed_width_and_stretch_fills(win):
    box = win.fr(pd=10)
    narrow = win.fr(pr=box, w=100, h=50)
    free = win.fr(pr=box, h=50)
    win.align(box, justify="end", cross="cnt")
    rects = win._layout(400, 300)
    assert rects[2] == (150.0, 190.0, 100.0, 50.0)
    assert rects[3] == (10.0, 240.0, 380.0, 50.0)
    win.align(box, justify="btw")
    rects = win._layout(400, 300)
    assert rects[2] == (10.0, 10.0, 100.0, 50.0)
    assert rects[3][1] == 240.0


def test_pin_keeps_unnamed_edges_and_places_absolutely(win):
    node = win.fr()
    win.pin(node, l=5, t=6)
    win.pin(node, r=7, t=None)
    l = layout_of(win, 1)
    assert (l["left"], l["top"], l["right"], l["bottom"], l["placement"]) == (5.0, 6.0, 7.0, None, 1)
    assert win._layout(100, 100)[1] == (5.0, 6.0, 88.0, 94.0)


def test_pl_fixes_the_size_and_a_lone_width_centres(win):
    node = win.fr()
    win.pl(node, w=100)
    l = layout_of(win, 1)
    assert (l["w"], l["h"], l["left"], l["placement"]) == (100.0, None, None, 1)
    assert win._layout(400, 300)[1] == (150.0, 0.0, 100.0, 300.0)
    win.pl(node, x=10, y=20, h=30)
    assert win._layout(400, 300)[1] == (10.0, 20.0, 100.0, 30.0)


def test_gr_places_in_cells_and_switches_the_parent_to_grid(win):
    grid = win.fr(gp=10)
    first, second = win.fr(pr=grid), win.fr(pr=grid)
    win.pl(first, x=1)
    win.gr(first)
    win.gr(second, 1, c=1, rs=1, cs=1)
    assert layout_of(win, 1)["child_layout"] == 1
    assert layout_of(win, 2)["placement"] == 0
    rects = win._layout(210, 110)
    assert rects[2] == (0.0, 0.0, 100.0, 50.0)
    assert rects[3] == (110.0, 60.0, 100.0, 50.0)
    win.gr(second, 255, 255, rs=0, cs=255)
    l = layout_of(win, 3)
    assert (l["row"], l["col"], l["row_span"], l["col_span"]) == (255, 255, 0, 255)


def test_gr_rejects_cells_outside_a_byte_and_non_integers(win):
    node = win.fr()
    with pytest.raises(OverflowError):
        win.gr(node, 256)
    with pytest.raises(OverflowError):
        win.gr(node, 0, -1)
    with pytest.raises(TypeError, match="cs"):
        win.gr(node, cs=1.5)
    assert layout_of(win, 1)["row"] == 0


def test_pk_reads_the_first_character_of_the_side(win):
    frame = win.fr()
    bottom = win.fr(pr=frame, h=30)
    win.pk(bottom, "bottom", fill="x")
    l = layout_of(win, 2)
    assert (l["pack_side"], l["pack_fill"], l["pack_expand"]) == (1, 1, False)
    assert layout_of(win, 1)["child_layout"] == 2
    assert win._layout(200, 100)[2] == (0.0, 70.0, 200.0, 30.0)
    for side, expected in (("left", 2), ("r", 3), ("", 0), ("top", 0), ("x", 0)):
        win.pk(bottom, side)
        assert layout_of(win, 2)["pack_side"] == expected
    for fill, expected in (("xy", 3), ("both", 3), ("y", 2), ("z", 0), (None, 0)):
        win.pk(bottom, fill=fill, exp=True)
        assert (layout_of(win, 2)["pack_fill"], layout_of(win, 2)["pack_expand"]) == (expected, True)


def test_pk_expanders_share_the_rest(win):
    frame = win.fr()
    top, rest = win.fr(pr=frame, h=20), win.fr(pr=frame)
    win.pk(top, fill="both")
    win.pk(rest, "t", fill="both", exp=True)
    rects = win._layout(100, 100)
    assert rects[2] == (0.0, 0.0, 100.0, 20.0)
    assert rects[3] == (0.0, 20.0, 100.0, 80.0)


def test_lim_keeps_unnamed_limits_and_reads_a_zero_maximum_as_none(win):
    node = win.fr()
    win.lim(node, min_w=200.0, max_h=50)
    win.lim(node, min_h=10, max_h=None)
    l = layout_of(win, 1)
    assert (l["min_w"], l["min_h"], l["max_h"]) == (200.0, 10.0, 50.0)
    assert math.isinf(l["max_w"])
    assert win._layout(100, 100)[1] == (0.0, 0.0, 200.0, 50.0)
    win.lim(node, max_h=0)
    assert math.isinf(layout_of(win, 1)["max_h"])


def test_lim_is_queued_once_running(win):
    node = win.fr()
    start(win)
    assert win.lim(node, min_w=120, max_h=0) is None
    assert layout_of(win, 1)["min_w"] == 0.0
    assert win._requests() == [(1, 120.0, -1.0, -1.0, 9, 0.0)]


def test_dep_sets_depth_within_32_bits(win):
    node = win.fr()
    win.dep(node, 2)
    assert layout_of(win, 1)["z"] == 2
    win.dep(node)
    assert layout_of(win, 1)["z"] == 0
    win.dep(node, -(2 ** 31))
    assert layout_of(win, 1)["z"] == -(2 ** 31)
    with pytest.raises(OverflowError):
        win.dep(node, 2 ** 31)


@pytest.mark.parametrize("call", [
    lambda w, n: w.grow(n, 1),
    lambda w, n: w.align(n),
    lambda w, n: w.pin(n, l=1),
    lambda w, n: w.pl(n, x=1),
    lambda w, n: w.gr(n),
    lambda w, n: w.pk(n),
    lambda w, n: w.dep(n, 1),
])
def test_configuring_only_setters_refuse_once_running(win, call):
    node = win.fr()
    before = layout_of(win, 1)
    start(win)
    with pytest.raises(RuntimeError, match="^окно уже запущено$"):
        call(win, node)
    assert layout_of(win, 1) == before
    assert win._requests() == []


def test_bad_arguments_name_the_parameter(win):
    node = win.fr()
    with pytest.raises(TypeError, match="'g'"):
        win.grow(node, "1")
    with pytest.raises(TypeError, match="'justify'"):
        win.align(node, justify=1)
    with pytest.raises(TypeError, match="'l'"):
        win.pin(node, l="5")
    with pytest.raises(TypeError, match="'fill'"):
        win.pk(node, fill=1)
    with pytest.raises(TypeError):
        win.lim(node, 5)
    with pytest.raises(TypeError):
        win.grow(1, 1)
    other = _orvy.W().fr()
    with pytest.raises(Exception):
        win.grow(other, 1)
    assert layout_of(win, 1)["grow"] == 0.0
