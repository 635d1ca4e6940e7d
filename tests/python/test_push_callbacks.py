"""What each widget's callback receives when the core reports a change, and
which slot or registry event each builder's callback was installed under."""
import pytest

POINTER_DOWN, POINTER_MOVE, POINTER_UP, DOUBLE_CLICK = 0, 1, 2, 3
ROW_CLICK, ROW_DOUBLE_CLICK, SELECTION_CHANGED, LAYER_CLOSED, ROW_OPENED = 5, 6, 7, 8, 11
NO_INDEX = 0xFFFFFFFF


class Recorder:
    def __init__(self):
        self.calls = []

    def __call__(self, *args):
        self.calls.append(args)

    def st(self, value):
        self.calls.append(("st", value))

    def pushes(self):
        """The calls without the argument-less reads the binding refresh makes of a signal."""
        return [c for c in self.calls if c != ()]


def test_value_widgets_convert_the_core_value(win):
    slider, dropdown, switch, radio, menubar = (Recorder() for _ in range(5))
    sl = win.sl(ch=slider, sig=slider)
    dd = win.dd(["a", "b"], ch=dropdown, sig=dropdown)
    sw = win.sw(clk=switch)
    rd = win.rd(clk=radio)
    mb = win.mb([("Файл", ["a"])], on_select=menubar)
    win._change(sl, 0.25)
    win._change(dd, 1.0)
    win._change(sw, 1.0)
    win._change(rd, 1.0)
    win._change(mb, 2003.0)
    assert slider.pushes() == [("st", 0.25), (0.25,)]
    assert dropdown.pushes() == [("st", 1), (1,)]
    assert switch.calls == [(True,)]
    assert radio.calls == [()]
    assert menubar.calls == [(2, 3)]


def test_composite_widgets_read_their_model(win):
    span, time, date, colour = (Recorder() for _ in range(4))
    rsl = win.rsl(0.2, 0.6, ch=span, sig=span)
    tm = win.tm(13, 45, ch=time, sig=time)
    cal = win.cal(2025, 12, 31, ch=date)
    clr = win.clr(ch=colour, sig=colour)
    for node in (rsl, tm, cal):
        win._change(node, 0.0)
    win._change(clr, float(0x1A2B3C))
    assert span.pushes() == [("st", (pytest.approx(0.2), pytest.approx(0.6))), (pytest.approx(0.2), pytest.approx(0.6))]
    assert time.pushes() == [("st", (13, 45)), (13, 45)]
    assert date.calls == [(2025, 12, 31)]
    assert colour.pushes()[1] == ("#1A2B3C",)
    assert colour.pushes()[0][0] == "st" and len(colour.pushes()[0][1]) == 3


def test_table_callback_form_follows_its_parameter_count(win):
    cells, rows = Recorder(), []
    two = win.tbl(["a"], [["x"]], ch=lambda row, column: cells(row, column))
    one = win.tbl(["a"], [["x"]], ch=rows.append)
    assert win._fire(two, ROW_CLICK, 4, 1.0) is True
    assert win._change(two, 4.0) is False
    assert win._change(one, 4.0) is True
    assert cells.calls == [(4, 1)] and rows == [4]


def test_tree_and_list_events(win):
    clicks, opened, selected, picked = Recorder(), Recorder(), Recorder(), Recorder()
    tree = win.tre([(0, "a", False), (1, "b", True)], multi=True, ch=selected, clk=clicks, dbl=clicks,
                   on_open=opened)
    listing = win.lst(["a", "b"], ch=picked)
    many = win.lst(["a", "b", "c"], sel=[2, 0], multi=True, ch=picked)
    win._fire(tree, ROW_CLICK, 1, 2.0)
    win._fire(tree, ROW_DOUBLE_CLICK, 0)
    win._fire(tree, ROW_OPENED, 0, 1.0)
    win._fire(tree, SELECTION_CHANGED, 1)
    win._fire(listing, SELECTION_CHANGED, NO_INDEX)
    win._fire(many, SELECTION_CHANGED, 0)
    assert clicks.calls == [(1, 2), (0, 0)]
    assert opened.calls == [(0, True)]
    assert selected.calls == [([],)]
    assert picked.calls == [(-1,), ([0, 2],)]


def test_canvas_pointer_layer_and_change_callbacks(win):
    pointer, pressed, closed = Recorder(), Recorder(), Recorder()
    canvas = win.cv([], ch=pressed, down=pointer, move=pointer, up=pointer, dbl=pointer)
    for event in (POINTER_DOWN, POINTER_MOVE, POINTER_UP, DOUBLE_CLICK):
        win._fire(canvas, event, NO_INDEX if event else 3, 1.5, -2.0)
    win._change(canvas, -1.0)
    with win.pop(on_close=closed) as layer:
        pass
    win._fire(layer, LAYER_CLOSED)
    assert pointer.calls == [(3, 1.5, -2.0)] + [(-1, 1.5, -2.0)] * 3
    assert pressed.calls == [(-1,)]
    assert closed.calls == [()]


def test_terminal_output_and_dropped_paths(win):
    def shell(command):
        return f"ran {command}\r\nsecond line\n" if command != "quiet" else None

    term = win.term(["start"], on=shell)
    win._submit(term, "ls")
    win._submit(term, "quiet")
    assert win._model(term)["lines"] == ["start", "ran ls", "second line"]
    paths = Recorder()
    zone = win.drop(on=paths)
    win._submit(zone, "/a/b.txt\n\n/c d.png\n")
    assert paths.calls == [(["/a/b.txt", "/c d.png"],)]


def test_text_field_signal_and_signal_without_st(win, capsys):
    signal = Recorder()
    field = win.tx("x", sig=signal)
    win._submit(field, "héllo")
    assert signal.pushes() == [("st", "héllo")]

    heard = []
    hook = []
    win.on_error(hook.append)
    try:
        slider = win.sl(ch=heard.append, sig=object())
        win._change(slider, 0.5)
    finally:
        win.on_error(None)
    assert heard == [0.5]  # the callback still runs after the signal failed
    assert "AttributeError" in hook[0]
