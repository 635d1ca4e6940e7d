"""The window-property signals: tint, blur, blur mode and drag smoothing are
evaluated at every binding refresh and land in the refreshed window."""
import pytest

import _orvy


def refresh(win):
    win._activate(win.bt("refresh", clk=lambda: None))


def test_each_property_follows_its_signal_after_a_callback(win):
    tint, blur, mode, smooth = (_orvy.sgnl(v) for v in (0.3, 0.5, 1, 0.7))
    win.tint(tint)
    win.blur(blur)
    win.blur_mode(mode)
    win.drag_smooth(smooth)
    refresh(win)
    t, accent, gradient, drag = win._effects()
    assert t == pytest.approx(0.3) and accent == 3 and drag is True
    assert gradient == (127 << 24) | 0x101418

    win._activate(win.bt("off", clk=lambda: (tint.st(4), blur.st(0.0005), smooth.st(0.2))))
    t, accent, gradient, drag = win._effects()
    assert t == 1.0 and accent == 0 and drag is False


def test_a_later_registration_replaces_the_earlier_one_and_none_removes_it(win):
    win.tint(lambda: 0.9)
    win.tint(lambda: 0.2)
    refresh(win)
    assert win._effects()[0] == pytest.approx(0.2)
    win.tint(None)
    win._activate(win.bt("write", clk=lambda: None))
    assert win._effects()[0] == pytest.approx(0.2)  # nothing registered: left as it was


def test_a_failing_property_signal_reaches_the_hook_and_leaves_the_window_as_it_was(win):
    texts = []
    win.on_error(texts.append)
    try:
        win.tint(lambda: 0.4)
        refresh(win)
        win.tint(lambda: "not a number")
        refresh(win)
        win.blur(lambda: 1 / 0)
        refresh(win)
        win.drag_smooth(0.5)  # not callable: reported when it would run
        refresh(win)
    finally:
        win.on_error(None)
    assert win._effects()[0] == pytest.approx(0.4)
    assert any("TypeError" in text for text in texts)
    assert any("ZeroDivisionError" in text for text in texts)
    assert any("not callable" in text for text in texts)


def test_a_property_that_reads_a_signal_is_evaluated_again_only_after_a_write(win):
    level = _orvy.sgnl(0.1)
    calls = []
    win.tint(lambda: calls.append(1) or level())
    refresh(win)
    refresh(win)
    assert len(calls) == 1
    win._activate(win.bt("write", clk=lambda: level.st(0.6)))
    assert len(calls) == 2 and win._effects()[0] == pytest.approx(0.6)
