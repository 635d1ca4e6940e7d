"""State setters and getters while the window is configuring: they change the
tree at once, clamp instead of rejecting, and never call a callback."""
import pytest


def test_val_clamps_a_slider_but_not_a_gauge_and_calls_nothing(win):
    heard = []
    slider = win.sl(ch=heard.append)
    gauge = win.gg()
    win.val(slider, 1.7)
    win.val(gauge, 1.7)
    assert win._model(slider)["value"] == 1.0
    assert win._model(gauge)["value"] == pytest.approx(1.7)
    win.val(slider, float("nan"))
    assert win._model(slider)["value"] == 0.0
    assert heard == []


def test_chk_on_a_radio_turns_its_group_off_and_off_leaves_none(win):
    first, second = win.rd("a", grp=1, on=True), win.rd("b", grp=1)
    other = win.rd("c", grp=2, on=True)
    win.chk(second)
    assert (win.rdv(first), win.rdv(second), win.rdv(other)) == (False, True, True)
    win.chk(second, False)
    assert (win.rdv(first), win.rdv(second)) == (False, False)
    switch, toggle = win.sw(), win.tgl()
    win.chk(switch)
    win.chk(toggle, on=True)
    assert win.swv(switch) and win.tglv(toggle)


def test_dd_sel_saturates_on_dropdowns_tabs_and_lists(win):
    dropdown = win.dd(["a", "b", "c"])
    win.dd_sel(dropdown, 99)
    assert win._model(dropdown)["selected"] == 2
    tabs = win.tab(["x", "y"]).__enter__()
    win.dd_sel(tabs, 1)
    assert win._model(tabs)["selected"] == 1
    listing = win.lst(["a", "b"])
    win.dd_sel(listing, 2 ** 32 - 1)
    assert win.lstv(listing) == 1
    empty = win.lst([])
    win.dd_sel(empty, 0)
    assert win.lstv(empty) == -1


def test_composite_setters_clamp_and_wrap(win):
    calendar, time, color, span = win.cal(), win.tm(), win.clr(), win.rsl()
    win.cal_set(calendar, 2026, 0, 0)
    assert win._model(calendar) == {"kind": "calendar", "year": 2026, "month": 1, "day": 1}
    win.cal_set(calendar, 2026, 2, 31)
    assert win._model(calendar)["day"] == 31
    win.tm_set(time, 25, 61)
    assert win._model(time) == {"kind": "time", "hour": 1, "minute": 1}
    win.clr_set(color, -1, 0.5, 7)
    assert (win._model(color)["hue"], win._model(color)["value"]) == (0.0, 1.0)
    win.rsl_set(span, 0.8, 0.2)
    assert (win._model(span)["lo"], win._model(span)["hi"]) == (pytest.approx(0.2), pytest.approx(0.8))


def test_txt_moves_the_caret_to_the_end_and_items_keep_an_equal_selection(win):
    field = win.tx("abc")
    win.txt(field, "héllo wörld")
    model = win._model(field)
    assert (model["text"], model["caret"], model["anchor"]) == ("héllo wörld", 11, 11)
    assert win.tv(field) == "héllo wörld"
    dropdown = win.dd(["a", "b"], sel=1)
    win.items(dropdown, ["a", "b"])
    assert win._model(dropdown)["selected"] == 1
    win.items(dropdown, ["c"])
    assert win._model(dropdown)["selected"] == 0 and win._model(dropdown)["items"] == ["c"]
    with pytest.raises(TypeError, match="Can't extract `str` to `Vec`"):
        win.items(dropdown, "abc")


def test_spl_ratio_crumbs_and_terminal(win):
    splitter = win.spl().__enter__()
    win.spl_ratio(splitter, 3)
    assert win._model(splitter)["ratio"] == 1.0
    crumbs = win.crumb(["a"])
    win.crumb_set(crumbs, ["x", "y", "z"])
    assert win.crumb_get(crumbs) == ["x", "y", "z"]
    terminal = win.term(["one", "two"])
    win.term_clear(terminal)
    assert win._model(terminal)["lines"] == []


def test_flags_accept_any_node_and_reject_non_nodes(win):
    label = win.lb("x")
    for setter in (win.ghost, win.front, win.enable, win.pwd):
        assert setter(label) is None
        assert setter(label, False) is None
    with pytest.raises(TypeError):
        win.enable("label")
    other = type(win)()
    with pytest.raises(Exception):
        win.val(other.rt(), 1.0)
