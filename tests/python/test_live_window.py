"""Real windows under the X server: the loop, timers, the exception hook in
a running window, deferred building and cross-thread posting."""
import os
import subprocess
import threading
import time

import pytest

import _orvy
from conftest import kinds

pytestmark = pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")


def test_a_timer_closes_the_window_and_go_returns():
    w = _orvy.W("live", 400, 300)
    ticks = []
    w.every(10, lambda: ticks.append(1))
    w.after(200, w.close)
    assert w.go() is None
    assert len(ticks) >= 3
    assert w.size() == (0.0, 0.0)


def test_timer_ids_grow_across_windows_and_cancelling_twice_is_harmless():
    first = _orvy.W().after(0, print)
    second = _orvy.W().after(0, print)
    assert second > first >= 1
    w = _orvy.W()
    fired = []
    tid = w.after(50, lambda: fired.append("cancelled one"))
    w.cancel(tid)
    w.cancel(tid)
    w.cancel(10**12)
    w.after(0, lambda: fired.append("zero"))
    w.after(150, w.close)
    w.go()
    assert fired == ["zero"]


def test_a_raising_callback_reaches_the_hook_and_the_window_keeps_running():
    w = _orvy.W()
    texts, later = [], []
    w.on_error(texts.append)

    def bad():
        raise ValueError("from a timer")

    w.after(10, bad)
    w.after(100, lambda: later.append(True))
    w.after(200, w.close)
    w.go()
    w.on_error(None)
    assert len(texts) == 1 and texts[0].rstrip().endswith("ValueError: from a timer")
    assert later == [True]


def test_builders_refuse_in_callbacks_but_build_adds_nodes_next_frame():
    w = _orvy.W()
    texts, seen = [], []
    w.on_error(texts.append)

    def in_callback():
        w.bt("too late")  # raises: the window runs

    def deferred():
        w.build(lambda: w.lb("built later"))
        seen.append(kinds(w))

    w.after(10, in_callback)
    w.after(30, deferred)
    w.after(120, lambda: seen.append(kinds(w)))
    w.after(150, w.close)
    w.go()
    w.on_error(None)
    assert len(texts) == 1 and "RuntimeError: окно уже запущено" in texts[0]
    assert seen[0] == ["container"]
    assert seen[1] == ["container", "label"]


def test_posting_from_four_threads_delivers_everything_in_order_with_one_wakeup_per_batch():
    w = _orvy.W()
    post = w.post()
    got = {t: [] for t in range(4)}
    started = threading.Event()

    def worker(t):
        started.wait()
        for i in range(2500):
            post(lambda t=t, i=i: got[t].append(i))

    threads = [threading.Thread(target=worker, args=(t,)) for t in range(4)]
    for thread in threads:
        thread.start()
    # The workers post before the window exists: one batch, drained by the first frame.
    started.set()
    for thread in threads:
        thread.join()
    # Posted after every worker's call, so it runs after them all, however
    # many frames the draining takes on a slow (sanitized, loaded) machine.
    post(w.close)
    w.go()
    for t in range(4):
        assert got[t] == list(range(2500))
    assert w._post_wakeups() <= 1
    post(lambda: got[0].append("after close"))
    assert got[0][-1] == 2499


def test_a_batch_posted_while_running_costs_one_wakeup():
    w = _orvy.W()
    post = w.post()
    got = []
    done = threading.Event()

    def worker():
        time.sleep(0.2)  # let the frame timer go idle
        for i in range(100):
            post(lambda i=i: got.append(i))
        done.set()
        time.sleep(0.2)
        post(w.close)

    w.after(0, lambda: threading.Thread(target=worker).start())
    before = w._post_wakeups()
    w.go()
    assert got == list(range(100))
    assert w._post_wakeups() - before <= 3  # the batch, then the close


def test_an_idle_window_uses_no_processor_time():
    w = _orvy.W()
    with w.bx(pd=10):
        w.lb("idle")
    post = w.post()
    used = {}

    def watcher():
        time.sleep(0.6)  # nine quiet ticks stop the frame timer
        start = time.process_time()
        time.sleep(2.0)
        used["cpu"] = time.process_time() - start
        post(w.close)

    threading.Thread(target=watcher).start()
    w.go()
    assert used["cpu"] < 0.1, used


def test_a_polling_timer_costs_no_frames_and_one_that_changes_something_does():
    w = _orvy.W("poll", 400, 300)
    shown = _orvy.sgnl(0)
    label = w.lb("0")
    bound = w.lb(bind=lambda: f"{shown()}")
    seen = {"ticks": 0}

    def tick():
        seen["ticks"] += 1
        n = seen["ticks"]
        if n == 20:
            seen["idle_from"] = w._frames()
        elif n == 40:
            seen["idle_to"] = w._frames()
            w.txt(label, "changed")
        elif n == 45:
            seen["after_txt"] = w._frames()
            shown.st(1)
        elif n == 50:
            seen["after_signal"] = w._frames()
            seen["bound"] = w._model(bound)["text"]
            w.close()

    w.every(1, tick)
    w.go()
    assert seen["idle_to"] == seen["idle_from"]
    assert seen["after_txt"] > seen["idle_to"]
    assert seen["after_signal"] > seen["after_txt"]
    assert seen["bound"] == "1"


def test_bindings_and_setters_that_give_what_is_shown_cost_no_frames_and_a_changed_value_does():
    w = _orvy.W("bind", 600, 400)
    polled = {"text": "same", "fraction": 0.25}
    with w.bx(pd=8, gp=4):
        w.lb(bind=lambda: "constant")  # no signal read: evaluated after every callback
        label = w.lb(bind=lambda: polled["text"])
        w.pr(bind=lambda: polled["fraction"])
        w.cht([1, 2], bind=lambda: [3.0, float("nan"), 5.0])
        w.tre([(0, "a", True)], bind=lambda: [(0, "a", True), (0, "b", True)], h=60)
        w.pg([("k", "v")], bind=lambda: [("k", "v")], h=40)
        items = w.lst(["x"], h=40)
        w.bindl(items, lambda: ["x", "y"])
        table = w.tbl(["c"], [["1"]], h=60)
        w.bindt(table, lambda: [["1"], ["2"]])
        moved = w.fr(w=20, h=20)
        w.bindp(moved, lambda: (300, 10, 40, 20))
        w.bindz(moved, lambda: 3)
        w.bindb(w.fr(w=50, h=50), lambda: (4, 2))
        written = w.lb("written")
        slider = w.sl(0.5)
    seen = {"ticks": 0}

    def tick():
        seen["ticks"] += 1
        n = seen["ticks"]
        w.txt(written, "written")  # what the label shows already
        w.val(slider, 0.5)
        if n == 20:
            seen["idle_from"] = w._frames()
        elif n == 40:
            seen["idle_to"] = w._frames()
            polled["text"] = "new"
        elif n == 45:
            seen["after_text"] = w._frames()
            polled["fraction"] = 0.75
        elif n == 50:
            seen["after_value"] = w._frames()
            seen["label"] = w._model(label)["text"]
            w.close()

    w.every(1, tick)
    w.go()
    assert seen["idle_to"] == seen["idle_from"]
    assert seen["after_text"] > seen["idle_to"]
    assert seen["after_value"] > seen["after_text"]
    assert seen["label"] == "new"


def read_pixel(path, x, y):
    ppm = subprocess.run(["convert", str(path), "-crop", f"1x1+{x}+{y}", "ppm:-"], capture_output=True, check=True).stdout
    return tuple(ppm[-3:])


@pytest.mark.parametrize("theme, background, surface", [
    ("wht", (0xFF, 0xFF, 0xFF), (0xF5, 0xF5, 0xF5)),
    ("drk", (0x0E, 0x11, 0x16), (0x17, 0x1A, 0x21)),
])
def test_a_screenshot_shows_the_theme_background_and_a_panel_surface(tmp_path, theme, background, surface):
    w = _orvy.W("shot", 400, 300, thm=theme, center="screen")
    w.fr(w=100, h=60, rad=0)
    shot = tmp_path / "shot.png"

    def take():
        subprocess.run(["import", "-window", "root", str(shot)], check=True)
        w.close()

    w.after(300, take)
    w.go()
    # Without a window manager the client area is the whole window, centred
    # on the 1920 x 1080 screen: its top-left corner is at (760, 390).
    assert read_pixel(shot, 760 + 50, 390 + 30) == surface
    assert read_pixel(shot, 760 + 300, 390 + 200) == background
    assert read_pixel(shot, 700, 390 + 30) == (0, 0, 0)  # the root window outside


def test_rects_reads_the_last_layout_and_zeros_before_it():
    w = _orvy.W("rects", 400, 300)
    panel = w.fr(w=120, h=50)
    rc = w.rects()
    assert rc(panel) == (0.0, 0.0, 0.0, 0.0)
    seen = []

    def look():
        seen.append(rc(panel))
        w.close()

    w.after(200, look)
    w.go()
    assert seen == [(0.0, 0.0, 120.0, 50.0)]
    with pytest.raises(ValueError):
        rc(_orvy.W().rt())
    with pytest.raises(TypeError, match="argument 'node'"):
        rc("root")


def test_measure_text_and_frames_need_no_window(tmp_path):
    width, height = _orvy.W.measure_text("Привет, мир", 20)
    assert width > 50 and height > 10
    wider, _ = _orvy.W.measure_text("Привет, мир", 40)
    assert wider > width
    assert _orvy.W.measure_text("") == (0.0, 0.0) or _orvy.W.measure_text("")[0] == 0.0
    assert _orvy.W.measure_text("x", -5) == _orvy.W.measure_text("x", 1)
    assert _orvy.W.frames(str(tmp_path / "missing.gif")) == 1
    (tmp_path / "junk.png").write_bytes(b"not an image")
    assert _orvy.W.frames(str(tmp_path / "junk.png")) == 1


def test_closing_a_subwindow_leaves_the_loop_running_and_calls_on_close():
    w = _orvy.W("main", 500, 400)
    events = []
    sub = w.subwin("sub", 300, 200, modal=True, on_close=lambda: events.append("sub closed"))
    sub.lb("inside")

    def open_sub():
        with sub:
            pass
        events.append(("sub size", sub.size()))

    w.after(50, open_sub)
    w.after(150, sub.close)
    w.after(300, lambda: events.append("main still runs"))
    w.after(350, w.close)
    w.go()
    assert events[0] == ("sub size", (300.0, 200.0))
    assert events[1:] == ["sub closed", "main still runs"]


def test_on_resize_reports_the_client_size():
    w = _orvy.W("resize", 500, 400)
    sizes = []
    w.on_resize(lambda width, height: sizes.append((width, height)))
    w.after(100, lambda: sizes.append(w.size()))
    w.after(150, w.close)
    w.go()
    assert sizes[-1] == (500.0, 400.0)
    assert all(isinstance(v, float) for size in sizes for v in size)


def test_real_clicks_reach_buttons_and_check_boxes_and_bindings_follow():
    w = _orvy.W("click", 400, 300, center="screen")
    count = _orvy.sgnl(0)
    with w.bx(pd=20, gp=10):
        button = w.bt("Нажми", h=60, clk=lambda: count.st(count() + 1))
        label = w.lb(bind=lambda: f"нажатий: {count()}")
        box = w.ch("Флажок", h=30)
    rc = w.rects()
    seen = {}

    def click(node):
        x, y, width, height = rc(node)
        # Without a window manager the client area of the centred window starts at (760, 390).
        subprocess.run(["xdotool", "mousemove", str(int(760 + x + 12)), str(int(390 + y + height / 2)), "click", "1"],
                       check=True)

    def drive():
        click(button)
        click(button)
        click(box)

    def finish():
        seen["label"] = w._model(label)["text"]
        seen["box"] = w._model(box)["on"]
        w.close()

    w.after(300, drive)
    w.after(900, finish)
    w.go()
    assert count() == 2
    assert seen == {"label": "нажатий: 2", "box": True}


def test_txt_while_running_replaces_a_fields_text_with_the_caret_at_the_end():
    w = _orvy.W("txt", 400, 300)
    box = w.tx("start")
    label = w.lb("old")
    seen = []

    def change():
        w.txt(box, "replaced")
        w.txt(label, "new")

    w.after(20, change)
    w.after(150, lambda: (seen.append((w._model(box), w._model(label))), w.close()))
    w.go()
    field, text = seen[0]
    assert field["text"] == "replaced" and field["caret"] == field["anchor"] == len("replaced")
    assert text["text"] == "new"


@pytest.mark.parametrize("title", ["orvy by title", "Окно orvy"])
def test_xdotool_finds_a_running_window_by_its_title(title):
    w = _orvy.W(title, 300, 200)
    found = []
    w.after(100, lambda: (found.append(subprocess.run(["xdotool", "search", "--name", f"^{title}$"],
                                                      capture_output=True, text=True).stdout.split()), w.close()))
    w.go()
    assert len(found[0]) == 1


def test_a_subwindow_closing_without_on_close_refreshes_its_owners_bindings():
    w = _orvy.W("owner", 400, 300)
    state = {"text": "до"}
    label = w.lb(bind=lambda: state["text"])  # reads no signal: evaluated at every refresh
    sub = w.subwin("sub", 300, 200)
    seen = {}

    def change_and_close():
        seen["before"] = w._model(label)["text"]
        state["text"] = "после"
        sub.close()

    def open_sub():
        with sub:
            pass
        sub.after(100, change_and_close)  # a sub-window's callback refreshes the sub-window alone

    def look():
        # Read before this timer's own refresh runs: only the close can have updated the label.
        seen["after"] = w._model(label)["text"]
        w.close()

    w.after(50, open_sub)
    w.after(600, look)
    w.go()
    assert seen == {"before": "до", "after": "после"}
