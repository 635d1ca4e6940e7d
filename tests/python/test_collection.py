"""Windows and the garbage collector: a window that only its W object holds
shows its Python callables to the collector, so cycles through callbacks are
freed and a script's globals are cleared at exit; a window still shared or
shown keeps them."""
import gc
import os
import subprocess
import sys
import textwrap
import weakref

import pytest

import _orvy


class Marker:
    """Something a callback captures; its weak reference tells whether the
    callback (and the window) was freed."""


def collected(make):
    """Runs make(marker) (which ties the marker into a cycle through a window)
    with every other reference dropped, collects, and tells whether the
    marker died."""
    marker = Marker()
    ref = weakref.ref(marker)
    make(marker)
    del marker
    gc.collect()
    return ref() is None


def test_callbacks_of_every_kind_in_a_cycle_through_the_window_are_collected():
    def click(marker):
        w = _orvy.W()
        w.bt("b", clk=lambda: (w, marker))

    def change(marker):
        w = _orvy.W()
        w.sl(ch=lambda value: (w, marker))

    def timers(marker):
        w = _orvy.W()
        w.after(100, lambda: (w, marker))
        w.every(100, lambda: (w, marker))

    def pull(marker):
        w = _orvy.W()
        w.bindv(w.sl(), lambda: (w, marker) and 0.5)
        w.lb(bind=lambda: (w, marker) and "x")

    def kept(marker):
        w = _orvy.W()
        marker.w = w
        w.tbl(["a"], [], bg=marker)

    def resize_and_build(marker):
        w = _orvy.W()
        w.on_resize(lambda width, height: (w, marker))

    for make in (click, change, timers, pull, kept, resize_and_build):
        assert collected(make), make.__name__


def test_a_cycle_through_the_module_globals_is_collected():
    namespace = {"_orvy": _orvy, "Marker": Marker}
    exec(textwrap.dedent("""
        m = Marker()
        w = _orvy.W()
        w.bt("b", clk=lambda: print(w, m))
    """), namespace)
    ref = weakref.ref(namespace["m"])
    del namespace   # not cleared: only the collector can free it
    gc.collect()
    assert ref() is None


def test_a_subwindow_only_its_owner_holds_is_collected_with_it():
    def make(marker):
        w = _orvy.W()
        w.subwin("sub", on_close=lambda: (w, marker)).bt("b", clk=lambda: (w, marker))
    assert collected(make)


def test_a_window_whose_state_is_shared_keeps_its_callbacks_until_it_is_not():
    calls = []
    keep = []
    marker = Marker()
    ref = weakref.ref(marker)

    def make(marker):
        w = _orvy.W()
        b = w.bt("b", clk=lambda: calls.append((w, marker)))
        keep.append((w.clip(), b, weakref.ref(marker)))   # a controller shares the window's state

    make(marker)
    del marker
    gc.collect()
    assert ref() is not None
    keep.clear()
    gc.collect()
    assert ref() is None


def test_a_shared_subwindow_is_not_cleared_with_its_owner():
    calls = []

    def make(marker):
        w = _orvy.W()
        sub = w.subwin("sub")
        b = sub.bt("b", clk=lambda: calls.append((w, marker)))
        keep.append((sub, b))

    keep = []
    make(Marker())
    gc.collect()
    sub, b = keep.pop()
    assert sub._activate(b) and len(calls) == 1


# Objects besides the W object that keep a window alive, each made by a
# script line that stores it in the globals as `second`; `w` is the window.
SECOND_OWNERS = {
    "sub-window": "second = w.subwin('sub')\nsecond.bt('s', clk=lambda: (w, m))",
    "sub-window shown and closed": (
        "second = w.subwin('sub')\nsecond.every(10, lambda: (w, m))\n"
        "w.after(20, second.show)\nw.after(100, second.close)"),
    "context": "second = w.bx()\nwith second:\n    w.bt('c', clk=lambda: (w, m))",
    "controller": "second = w.fx()",
    "clipboard": "second = w.clip()",
    "sub-window's controller": (
        "def make():\n    sub = w.subwin('sub')\n    sub.bt('s', clk=lambda: (w, m))\n    return sub.dlg()\n"
        "second = make()"),
    "sub-window's context": "sub = w.subwin('sub')\nsecond = sub.bx()\nsub.bt('s', clk=lambda: (sub, m))",
}


def run_in_namespace(code):
    namespace = {"_orvy": _orvy, "Marker": Marker}
    exec("m = Marker()\nw = _orvy.W()\nw.bt('b', clk=lambda: (w, m, second))\n" + code, namespace)
    return namespace


@pytest.mark.parametrize("kind", list(SECOND_OWNERS))
def test_a_cycle_through_the_globals_and_a_second_owner_of_the_window_is_collected(kind):
    namespace = run_in_namespace(SECOND_OWNERS[kind])
    ref = weakref.ref(namespace["m"])
    del namespace   # left to the collector: the callbacks' globals are the namespace
    gc.collect()
    assert ref() is None


@pytest.mark.parametrize("kind", list(SECOND_OWNERS))
def test_a_reachable_second_owner_keeps_the_window_and_its_callbacks(kind):
    namespace = run_in_namespace(SECOND_OWNERS[kind])
    ref = weakref.ref(namespace["m"])
    second = namespace["second"]
    del namespace
    gc.collect()
    # The main window's callback still holds the marker: nothing was cleared.
    assert ref() is not None
    del second
    gc.collect()
    assert ref() is None


def test_a_context_and_a_controller_outlive_the_dropped_w_object():
    def make():
        w = _orvy.W()
        return w.bx(), w.fx()

    box, effects = make()
    gc.collect()
    with box as parent:
        assert isinstance(parent, _orvy.N)
    del box
    gc.collect()
    assert isinstance(effects, _orvy.Fx)


def test_a_reachable_subwindow_keeps_working_callbacks_when_its_owner_is_garbage():
    calls = []
    namespace = {"_orvy": _orvy, "calls": calls}
    exec(textwrap.dedent("""
        w = _orvy.W()
        sub = w.subwin("sub")
        b = sub.bt("b", clk=lambda: calls.append(w))
        w.bt("main", clk=lambda: sub)
    """), namespace)
    sub, b = namespace["sub"], namespace["b"]
    del namespace
    gc.collect()
    assert sub._activate(b) and len(calls) == 1


@pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")
@pytest.mark.parametrize("kind", ["no second owner"] + list(SECOND_OWNERS))
def test_a_script_whose_callbacks_use_its_globals_flushes_its_files_at_exit(kind, tmp_path):
    out = tmp_path / "out.txt"
    script = "import _orvy\n" + f"log = open({str(out)!r}, 'w')\n" + textwrap.dedent("""
        class Marker:
            pass
        m = Marker()
        w = _orvy.W("gc", 300, 200)
    """) + SECOND_OWNERS.get(kind, "") + textwrap.dedent("""
        b = w.bt("b", clk=lambda: log.write("clicked "))
        w.after(50, lambda: w._activate(b))
        w.after(200, w.close)
        w.go()
        log.write("after go")
    """)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    assert out.read_text() == "clicked after go"


@pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")
def test_a_closed_window_and_its_callbacks_are_collected():
    def make(marker):
        w = _orvy.W("gc", 300, 200)
        w.every(10, lambda: (w, marker))
        w.after(100, w.close)
        w.go()
    assert collected(make)


@pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")
def test_a_shown_window_whose_w_object_is_garbage_keeps_running_its_callbacks():
    fired = []

    def show(marker):
        a = _orvy.W("shown", 300, 200)
        a.every(20, lambda: (a, marker, fired.append(1)))
        a.after(400, a.close)
        a.show()

    marker = Marker()
    ref = weakref.ref(marker)
    show(marker)
    del marker
    gc.collect()
    assert ref() is not None
    b = _orvy.W("loop", 300, 200)
    b.after(100, gc.collect)
    b.after(600, b.close)
    b.go()
    assert len(fired) >= 3
    gc.collect()
    assert ref() is None


@pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")
def test_subwindows_nothing_refers_to_do_not_pile_up_in_their_owner():
    # A sub-window per action, shown and closed or never shown, each with a
    # marker in its callback: once nothing refers to one but its owner, the
    # owner's next subwin lets it go without waiting for the collector.
    w = _orvy.W("owner", 300, 200)
    refs = []
    kept = []

    def action():
        marker = Marker()
        refs.append(weakref.ref(marker))
        sub = w.subwin("one", 200, 120)
        b = sub.bt("b", clk=lambda: marker)
        if len(refs) % 2:
            sub.show()
            sub.close()
        if len(refs) == 4:
            kept.append((sub, b))   # still the script's: kept and working

    def finish():
        for _ in range(6):
            action()
        w.close()

    w.after(10, finish)
    gc.disable()
    try:
        w.go()
        w.subwin("last")
        alive = [ref() is not None for ref in refs]
    finally:
        gc.enable()
    assert alive == [False, False, False, True, False, False]
    sub, b = kept.pop()
    assert sub._activate(b)
