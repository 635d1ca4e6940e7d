"""Widget builders: one of every kind, the composite builders, the argument
formats, and the callbacks each builder installs."""
import inspect
import os
import subprocess
import sys

import pytest

import _orvy

ALL_KINDS = {
    "container", "frame", "label", "button", "slider", "progress", "checkbox", "textbox", "dropdown", "tabs",
    "table", "image", "switch", "radio", "toggle", "separator", "list", "group", "link", "accordion",
    "scroll", "stack", "splitter", "spinner", "gauge", "meter", "chart", "range", "status", "split",
    "menubar", "dial", "treeview", "calendar", "color", "time", "propgrid", "badge", "crumbs", "pager",
    "rating", "canvas", "term", "dock", "drop",
}


def enter(context):
    node = context.__enter__()
    context.__exit__()
    return node


def test_one_of_every_kind_reads_back_through_the_getters(win):
    nodes = {}
    with win.grp("Группа"):
        nodes["link"] = win.lnk("ссылка")
        win.sbt("Сохранить", ["Как…", "Всё"])
        nodes["toggle"] = win.tgl("Жирный", on=True)
        win.ch("Флажок", chk=True)
        nodes["switch"] = win.sw("Wi-Fi", on=True)
        nodes["radio_a"] = win.rd("A", on=True)
        nodes["radio_b"] = win.rd("B")
        win.sep(vertical=True)
        nodes["text"] = win.tx("привет", ph="имя")
        win.ta("строка\nещё")
        win.spin(5)
    for builder in (win.scr, win.stk, win.spl):
        enter(builder())
    enter(win.acc("Секция"))
    enter(win.tab(["Один", "Два"]))
    enter(win.dock("Док"))
    enter(win.pop())
    win.sl(); win.rsl(); win.dl(); win.pr(); win.gg(); win.mt(); win.spn(); win.stb("готово"); win.bdg("3")
    win.rat(2); win.pgn(4); win.cal(); win.tm(); win.clr()
    nodes["crumbs"] = win.crumb(["Дом", "Папка"])
    win.dd(["a", "b"])
    nodes["list"] = win.lst(["a", "b", "c"], sel=2)
    win.tbl(["Имя"], [["x"], ["y"]])
    nodes["tree"] = win.tre([(0, "корень", False), {"depth": 1, "text": "лист", "leaf": True}, {"text": "r", "open": True}])
    win.pg([("ключ", "значение")]); win.cht([1, 2.5]); win.mb([("Файл", ["Открыть"])])
    win.img("a.png"); win.cv([("rect", [0, 0, 5, 5], "#fff", "")]); win.term(); win.drop()

    assert {entry[0] for entry in win._nodes()} == ALL_KINDS
    assert win.tv(nodes["text"]) == "привет"
    assert win.tglv(nodes["toggle"]) is True
    assert win.swv(nodes["switch"]) is True
    assert (win.rdv(nodes["radio_a"]), win.rdv(nodes["radio_b"])) == (True, False)
    assert win.lstv(nodes["list"]) == 2
    assert win.crumb_get(nodes["crumbs"]) == ["Дом", "Папка"]
    assert win.tre_opened(nodes["tree"]) == [2]
    # Getters on another kind give the neutral value.
    link = nodes["link"]
    assert (win.tv(link), win.swv(link), win.rdv(link), win.tglv(link), win.lstv(link)) == ("", False, False, False, -1)
    assert win.crumb_get(link) == [] and win.tre_opened(link) == []


def test_defaults_follow_the_signatures(win):
    assert win._model(win.cal()) == {"kind": "calendar", "year": 2026, "month": 7, "day": 1}
    assert win._model(win.tm()) == {"kind": "time", "hour": 12, "minute": 0}
    color = win._model(win.clr())
    assert [round(color[k], 2) for k in ("hue", "saturation", "value")] == [0.58, 0.75, 0.96]
    assert win._model(win.drop())["text"] == "Перетащите файлы сюда"
    assert win._model(win.rat())["maximum"] == 5
    assert win._model(win.mt())["segments"] == 10
    dock = enter(win.dock())
    assert win._model(dock)["size"] == 260.0 and win._model(dock)["open"] is True
    assert win._nodes()[-1][3]["w"] == 260.0
    assert win._model(win.term())["prompt"] == "$"


def test_spin_is_a_button_label_button_container_that_clamps_and_reports(win):
    heard = []
    spin = win.spin(150.7, ch=heard.append)
    minus, field, plus = (win._child(spin, i) for i in range(3))
    assert [win._model(n)["kind"] for n in (minus, field, plus)] == ["button", "label", "button"]
    assert win._model(field)["text"] == "100"
    win.val(field, 2.6)  # the value label counts as the field too
    assert win._model(field)["text"] == "3"
    assert win._model(spin)["value"] == pytest.approx(2.6)
    win._activate(plus)
    win._activate(minus)
    win._activate(minus)
    assert heard == [pytest.approx(3.6), pytest.approx(2.6), pytest.approx(1.6)]
    half = win.spin(0, step=0.5, min=-1)
    win.val(half, 2.25)
    assert win._model(win._child(half, 1))["text"] == "2.25"
    win.val(half, -50)
    assert win._model(win._child(half, 1))["text"] == "-1"


def test_pop_goes_under_the_root_out_of_sight_whatever_block_is_open(win):
    with win.bx():
        layer = enter(win.pop(w=300, h=120))
    entry = win._nodes()[-1]
    assert entry[1] == 0
    layout = entry[3]
    assert (layout["left"], layout["top"], layout["placement"]) == (-1000000.0, -1000000.0, 1)
    assert (layout["w"], layout["h"], layout["pd"], layout["z"]) == (300.0, 120.0, 10.0, 1000)
    assert win._model(layer)["kind"] == "frame"


def test_dock_sides_read_the_first_letter_and_size_the_docked_edge(win):
    for side, code, edge in (("top", 2, "h"), ("bottom", 3, "h"), ("right", 1, "w"), ("xyz", 0, "w")):
        dock = enter(win.dock(side=side, size=90, open=False))
        assert win._model(dock)["side"] == code
        assert win._nodes()[-1][3][edge] == 32.0  # closed docks keep only their header


def test_tree_rows_as_tuples_or_mappings_with_every_key(win):
    tree = win.tre([
        (0, "корень", False),
        {"depth": 1, "text": "ветка", "open": True, "values": ["a", "b"], "bg": "#ff0000", "fg": "#00ff0080",
         "icon": "★", "cbg": ["#000", None, "нет"], "cfg": []},
        {"depth": 2, "text": "лист", "leaf": True},
    ], cols=["Имя", "Размер"], widths=[120, 0], multi=True)
    model = win._model(tree)
    root, branch, leaf = model["rows"]
    assert (root["depth"], root["text"], root["leaf"], root["open"]) == (0, "корень", False, False)
    assert branch["values"] == ["a", "b"] and branch["icon"] == "★"
    assert (branch["bg"], branch["fg"]) == (0xFF0000FF, 0x00FF0080)
    assert branch["cbg"] == [0x000000FF, None, None]  # an unparsable colour is no colour
    assert leaf["leaf"] is True and leaf["bg"] is None
    assert model["titles"] == ["Имя", "Размер"] and model["widths"] == [120.0, 0.0] and model["multi"]
    assert win.tre_opened(tree) == [1]


def test_canvas_shapes_pack_colours_and_unknown_kinds_draw_text(win):
    canvas = win.cv([
        ("rect", [0, 0, 10, 10], "#FF000080", "x"),
        ("wiggle", [], "not a colour", ""),
        ("poly", [0, 0, 5, 0, 0, 5, 2]),
        ("circle", [1, 2, 3], None),
    ], scroll=True)
    model = win._model(canvas)
    assert model["kinds"] == [0, 3, 7, 1]
    assert model["colors"] == [0xFF000080, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF]
    assert model["scrollable"] is True


def test_image_fit_names_and_bytes_held_under_a_memory_key(win):
    fits = {"cover": 1, "fill": 2, "stretch": 2, "none": 3, "center": 3, "contain": 0, "Cover": 0}
    for name, code in fits.items():
        assert win._model(win.img("a.png", fit=name))["fit"] == code
    first = win._model(win.img(data=b"\x89PNG"))["source"]
    second = win._model(win.img("ignored.png", data=bytearray(b"\xff\xd8")))["source"]
    assert (first, second) == ("mem:1", "mem:2")


def test_table_keeps_separators_and_menubar_titles(win):
    table = win.tbl(["a", "b"], [["1", "2"], ("3", "4")], hl=1, vl=2.5, bg=object())
    assert win._model(table)["row_count"] == 2
    assert (win._model(table)["row_line"], win._model(table)["column_line"]) == (1.0, 2.5)
    assert win._model(win.mb([("Файл", ["Открыть", "Сохранить"]), ["Правка", []]]))["titles"] == ["Файл", "Правка"]
    assert win._model(win.pg([("размер", 12), ("имя", "x")]))["cells"] == ["размер", "12", "имя", "x"]


def test_table_cells_arrive_whole_and_a_bad_cell_fails_the_call(win):
    rows = [["ä", "", "😀 wide"], ("x",), [], ["r%d" % i for i in range(3)]]
    assert win._model(win.tbl(["a", "b", "c"], rows))["rows"] == [list(row) for row in rows]
    before = len(win._nodes())
    bad_rows = [
        (TypeError, "'int' object cannot be converted to 'str'", [["a"], ["b", 1]]),
        (TypeError, "'bytes' object cannot be converted to 'str'", [("x", b"y")]),
        (TypeError, "Can't extract `str` to `Vec`", ["ab"]),
        (TypeError, "'NoneType' object cannot be converted to 'Sequence'", [["a"], None]),
        (UnicodeEncodeError, "surrogates not allowed", [["a", "\ud800"]]),
    ]
    for error, text, rows in bad_rows:
        with pytest.raises(error, match=text):
            win.tbl(["c"], rows)
    with pytest.raises(UnicodeEncodeError):
        win.lb("\udfff")
    assert len(win._nodes()) == before


def test_table_rows_are_read_at_the_call_whatever_their_lengths_and_later_changes_to_the_list_miss_it(win):
    class Cell(str):
        pass

    # The first row is short, later ones are longer and not ASCII, so the
    # room made after the first row runs out and the buffer grows.
    rows = [["a", Cell("b")]] + [("ячейка %d" % i * (i % 7), "x" * i) for i in range(1, 1500)]
    expected = [list(row) for row in rows]
    table = win.tbl(["x", "y"], rows)
    rows[0][0] = "changed"
    rows.append(["e", "f"])
    del rows[1]
    assert win._model(table)["rows"] == expected


def test_a_long_first_table_row_does_not_size_the_others(win):
    # Room for the rows is guessed from the first one; guessed from a 4 MB
    # cell, 5,000 rows would ask for tens of gigabytes.
    rows = [["x" * 4_000_000, "a"]] + [["y", "b"]] * 5000
    table = win.tbl(["x", "y"], rows)
    model = win._model(table)["rows"]
    assert len(model) == 5001 and model[0][1] == "a" and model[-1] == ["y", "b"]


@pytest.mark.skipif("LD_PRELOAD" in os.environ, reason="the sanitizer's shadow memory fills any address-space limit")
def test_a_table_too_large_to_copy_raises_memory_error_and_the_window_lives_on():
    script = """
import resource, _orvy
w = _orvy.W()
big = "x" * 150_000_000
used = int(open("/proc/self/statm").read().split()[0]) * resource.getpagesize()
resource.setrlimit(resource.RLIMIT_AS, (used + 200_000_000, resource.getrlimit(resource.RLIMIT_AS)[1]))
try:
    w.tbl(["a"], [[big]])
except MemoryError:
    print("MemoryError")
w.lb("still works")
print("alive")
"""
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=120)
    assert done.stdout.split() == ["MemoryError", "alive"], done.stderr


def test_initial_values_are_clamped_like_the_setters_clamp(win):
    assert win._model(win.sl(1.7))["value"] == 1.0
    assert win._model(win.gg(1.7))["value"] == pytest.approx(1.7)
    assert (win._model(win.rsl(0.9, -3))["lo"], win._model(win.rsl(0.9, -3))["hi"]) == (0.0, pytest.approx(0.9))
    assert win._model(win.dd(["a", "b"], sel=9))["selected"] == 1
    assert win._model(win.rat(9, max=4))["value"] == 4
    assert win._model(win.pgn(3, page=7))["page"] == 2
    assert win._model(win.tm(25, 61)) == {"kind": "time", "hour": 1, "minute": 1}
    assert win._model(win.cal(2026, 0, 40))["month"] == 1
    first = win.rd("a", grp=3, on=True)
    second = win.rd("b", grp=3, on=True)
    assert (win.rdv(first), win.rdv(second)) == (False, True)
    sections = [enter(win.acc(str(i), open=True, grp=4)) for i in range(3)]
    assert [win._model(n)["open"] for n in sections] == [False, False, True]
    many = win._model(win.lst(["a", "b", "c"], sel=[2, 0, 9, 2], multi=True))
    assert (many["selection"], many["current"]) == ([0, 2], 2)


def test_callbacks_reach_python_with_the_widget_arguments(win):
    heard = []

    class Signal:
        def st(self, value):
            heard.append(("st", value))

    box = win.ch("Флажок", chk=True, clk=lambda: heard.append("clk"), sig=Signal())
    win._activate(box)
    assert heard == [("st", True), "clk"]
    heard.clear()
    win._activate(win.lnk("ссылка", clk=lambda: heard.append("link")))
    win._activate(win.sbt("s", [], clk=lambda: heard.append("split")))
    assert heard == ["link", "split"]


def test_a_bad_argument_creates_nothing_and_the_error_names_it(win):
    before = len(win._nodes())
    bad_calls = [
        (TypeError, "options", lambda: win.dd("abc")),
        (TypeError, "sel", lambda: win.lst(["a"], sel=1.0)),
        (OverflowError, "sel", lambda: win.tab(["a"], sel=-1)),
        (TypeError, "items", lambda: win.tre([(0, "a")])),
        (TypeError, "items", lambda: win.tre([{"depth": -0.5}])),
        (TypeError, "shapes", lambda: win.cv([("rect", "1234")])),
        (TypeError, "data", lambda: win.img(data=3)),
        (TypeError, "menus", lambda: win.mb([("menu",)])),
        (TypeError, "rows", lambda: win.tbl(["a"], [[1]])),
        (TypeError, "rows", lambda: win.pg([1])),
        (TypeError, "pr", lambda: win.sl(pr=win)),
        (TypeError, "min", lambda: win.spin(min="0")),
    ]
    for error, name, call in bad_calls:
        with pytest.raises(error, match=f"argument '{name}'"):
            call()
    assert len(win._nodes()) == before


def test_every_builder_publishes_a_parsable_signature(win):
    builders = "grp scr stk spl acc tab dock pop lnk sbt tgl ch sw rd sep tx ta spin sl rsl dl pr gg mt spn stb bdg "\
        "rat pgn crumb dd lst tbl tre pg cal tm clr cht mb img cv term drop".split()
    for name in builders:
        signature = inspect.signature(getattr(win, name))
        assert "\n--\n\n" not in getattr(_orvy.W, name).__doc__, name
        if name != "pop":
            assert "pr" in signature.parameters, name
    assert str(inspect.signature(win.drop)).startswith("(txt='Перетащите файлы сюда', *")
    assert _orvy.W.cv.__doc__.splitlines()[-1] == "`poly` `[x1,y1,...,xn,yn,stroke]`."
