"""Pull bindings and signals: the refresh after every callback writes the
results of changed bindings into the tree."""
import pytest

import _orvy


def test_a_binding_that_reads_no_signal_runs_after_every_callback(win):
    calls = []
    label = win.lb(bind=lambda: calls.append(1) or f"n={len(calls)}")
    button = win.bt("x", clk=lambda: None)
    win._activate(button)
    win._activate(button)
    assert len(calls) == 2
    assert win._model(label)["text"] == "n=2"


def test_a_binding_that_reads_a_signal_runs_again_only_after_a_write(win):
    count = _orvy.sgnl(0)
    calls = []

    def text():
        calls.append(1)
        return f"count={count()}"

    label = win.lb(bind=text)
    button = win.bt("+", clk=lambda: count.st(count() + 1))
    idle = win.bt("noop", clk=lambda: None)
    win._activate(idle)
    win._activate(idle)
    assert len(calls) == 1  # read a signal once, nothing changed since
    win._activate(button)
    assert len(calls) == 2 and win._model(label)["text"] == "count=1"
    win._activate(win.bt("same", clk=lambda: count.st(count())))
    assert len(calls) == 3  # writing the same value still counts as a change


def test_a_slider_follows_its_signal_within_the_callback_that_writes_it(win):
    level = _orvy.sgnl(0.5)
    slider = win.sl(0.5, sig=level)
    win._activate(win.bt("x", clk=lambda: level.st(0.8)))
    assert abs(win._model(slider)["value"] - 0.8) < 1e-6


def test_a_failing_binding_reports_and_leaves_the_node_alone(win):
    texts = []
    win.on_error(texts.append)
    label = win.lb("keep", bind=lambda: 42)  # not a str
    gauge = win.gg(bind=lambda: "not a number")  # value bindings stay silent
    win._activate(win.bt("x", clk=lambda: None))
    win.on_error(None)
    assert win._model(label)["text"] == "keep"
    assert len(texts) == 1 and "TypeError" in texts[0]
    assert win._model(gauge)["value"] == 0.0


def test_progress_bindings_are_clamped(win):
    bar = win.pr(bind=lambda: 3.5)
    win._activate(win.bt("x", clk=lambda: None))
    assert win._model(bar)["value"] == 1.0


def test_bind_methods_register_pull_bindings_that_run_at_the_next_refresh(win):
    level, pad, names, depth = _orvy.sgnl(0.25), _orvy.sgnl((6, 3)), _orvy.sgnl(["a"]), _orvy.sgnl(2)
    slider = win.sl(0)                       # node 1
    with win.bx() as box:                    # node 2
        pass
    items = win.lst(["x"])                   # node 3
    table = win.tbl(["k", "v"], [])          # node 4
    win.bindv(slider, level)
    win.bindb(box, pad)
    win.bindl(items, names)
    win.bindt(table, lambda: [["1", "2"], ["3", "4"]])
    win.bindz(box, depth)
    win.bindp(slider, lambda: (10, 20, 30, 40))
    assert win._model(slider)["value"] == 0  # nothing runs before a refresh
    win._activate(win.bt("refresh", clk=lambda: names.st(["a", "b"])))
    nodes = win._nodes()
    assert abs(win._model(slider)["value"] - 0.25) < 1e-6
    assert (nodes[2][3]["pd"], nodes[2][3]["gp"], nodes[2][3]["z"]) == (6.0, 3.0, 2)
    assert win._model(items)["items"] == ["a", "b"]
    assert win._model(table)["row_count"] == 2
    assert (nodes[1][3]["left"], nodes[1][3]["top"], nodes[1][3]["w"], nodes[1][3]["h"]) == (10, 20, 30, 40)


def test_bind_methods_check_their_arguments_and_bad_results_reach_the_hook(win):
    label = win.lb("x")
    with pytest.raises(ValueError):
        win.bindv(_orvy.W().lb("other"), lambda: 1)
    texts = []
    win.on_error(texts.append)
    try:
        win.bindp(label, lambda: [1, 2, 3, 4])  # a list is not a tuple
        win.bindv(label, 3)  # not callable: reported when it would run
        win._activate(win.bt("refresh", clk=lambda: None))
    finally:
        win.on_error(None)
    assert len(texts) == 2 and "bindp" in texts[0] and "not callable" in texts[1]


def test_a_bad_cell_from_bindt_reaches_the_hook_and_the_table_keeps_its_rows(win):
    table = win.tbl(["k", "v"], [["1", "2"]])
    results = iter([[["3", "4"], ["5", "6"]], [["7", 8]]])
    win.bindt(table, lambda: next(results))
    texts = []
    win.on_error(texts.append)
    try:
        refresh = win.bt("refresh", clk=lambda: None)
        win._activate(refresh)
        assert win._model(table)["rows"] == [["3", "4"], ["5", "6"]]
        win._activate(refresh)
    finally:
        win.on_error(None)
    assert len(texts) == 1 and "bindt" in texts[0] and "'int'" in texts[0]
    assert win._model(table)["rows"] == [["3", "4"], ["5", "6"]]
