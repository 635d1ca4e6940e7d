"""The window object before it has a native window: options, phases, build,
sub-windows and the window-level methods."""
import pytest

import _orvy
from conftest import children, kinds, start


def test_defaults_of_a_plain_window():
    options = _orvy.W()._options()
    assert options["ttl"] == "ORVY"
    assert (options["w"], options["h"]) == (1280, 720)
    assert options["thm"] == "drk"
    assert options["resizable"] and options["minbox"] and options["maxbox"] and options["closebox"]
    assert not options["glass"] and not options["frameless"] and not options["topmost"] and not options["insp"]
    assert options["center"] == 0
    assert (options["font"], options["font_size"]) == ("Segoe UI", 20.0)


def test_subwindow_defaults_and_options():
    win = _orvy.W()
    sub = win.subwin("Настройки", modal=True, center="parent", x=10, y=None)
    options = sub._options()
    assert isinstance(sub, _orvy.W)
    assert (options["ttl"], options["w"], options["h"]) == ("Настройки", 520, 420)
    assert not options["minbox"] and not options["maxbox"] and options["closebox"]
    assert options["modal"] and options["sub"] and options["center"] == 2 and options["x"] == 10.0
    assert _orvy.W().subwin()._options()["ttl"] == ""
    sub.lb("own tree")
    assert kinds(sub) == ["container", "label"]
    assert kinds(win) == ["container"]


@pytest.mark.parametrize("center, code", [(True, 1), ("screen", 1), ("parent", 2), (None, 0), ("left", 0), (1, 0)])
def test_centering_words(center, code):
    assert _orvy.W(center=center)._options()["center"] == code


def test_frame_colours_parse_leniently(win):
    win.frame(cap="#1a2b3c", cap_txt="##1A2B3C", brd="zz", dark=True)
    options = win._options()
    assert options["cap"] == options["cap_txt"] == 0x1A2B3C
    assert options["brd"] is None
    win.frame(brd="#11223344")
    assert win._options()["brd"] == 0x112233
    assert win._options()["cap"] == 0x1A2B3C


def test_window_queries_without_a_native_window(win):
    assert win.size() == (0.0, 0.0)
    assert win.move(10, 20.5) is None
    assert win.close() is None
    assert win.close() is None
    assert isinstance(_orvy.W.screen(), tuple)


def test_rt_gives_the_root(win):
    with win.bx():
        win.lb("a", pr=win.rt())
    assert children(win, 0) == [1, 2]


def test_build_runs_at_once_while_configuring_and_lets_exceptions_out(win):
    win.build(lambda: win.lb("built"))
    assert kinds(win) == ["container", "label"]
    with pytest.raises(KeyError):
        win.build(lambda: {}["missing"])


def test_font_and_on_resize_are_stored(win):
    win.font("DejaVu Sans", 14)
    win.on_resize(lambda w, h: None)
    assert (win._options()["font"], win._options()["font_size"]) == ("DejaVu Sans", 14.0)


def test_show_hides_and_shows_nodes_while_configuring(win):
    label = win.lb("x")
    assert win.show(label, False) is None
    assert win.show(label) is None
    with pytest.raises(TypeError, match="argument 'on'"):
        win.show(label, "yes")


class TestAfterStart:
    @pytest.fixture
    def started(self):
        win = _orvy.W()
        win.lb("before")
        start(win)
        return win

    def test_go_twice_is_refused(self, started):
        with pytest.raises(RuntimeError, match="^окно уже запущено$"):
            started.go()
        with pytest.raises(RuntimeError, match="^окно уже запущено$"):
            started.show()

    def test_builders_refuse_and_leave_the_tree_alone(self, started):
        with pytest.raises(RuntimeError, match="^окно уже запущено$"):
            started.bt("late")
        with pytest.raises(RuntimeError, match="^окно уже запущено$"):
            started.bx()
        assert kinds(started) == ["container", "label"]

    def test_configuring_only_settings_refuse_but_frame_is_accepted(self, started):
        with pytest.raises(RuntimeError, match="окно уже запущено"):
            started.font("X", 10)
        with pytest.raises(RuntimeError, match="окно уже запущено"):
            started.on_resize(print)
        assert started.frame(cap="#000000") is None

    def test_build_is_queued_once_running(self, started):
        calls = []
        assert started.build(lambda: calls.append(1)) is None
        assert calls == []

    def test_show_of_a_node_is_queued(self, started):
        assert started.show(started.rt(), False) is None


def test_with_over_a_window_shows_it_on_exit():
    sub = _orvy.W().subwin()
    try:
        with sub as inner:
            assert inner is sub
            sub.lb("x")
    except RuntimeError:
        pass  # no display
    assert kinds(sub) == ["container", "label"]
    with pytest.raises(RuntimeError, match="^окно уже запущено$"):
        sub.show()
    sub.close()
