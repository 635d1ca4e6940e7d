"""The dialog, notification, animation, theme and font controllers: how they
are obtained, their signatures and their argument errors. What they show is
checked in test_live_controllers.py."""
import inspect
import os

import pytest

import _orvy
from conftest import run_in_thread, start

FACTORIES = {
    "dlg": ("Dlg", "Возвращает контроллер диалогов."),
    "nt": ("Note", "Уведомления: `nt(title, text)` и `nt.snack(text)`."),
    "fx": ("Fx", "Возвращает контроллер анимаций."),
    "thm": ("Thm", 'Смена темы из кода: `thm("drk")`.'),
    "fnt": ("Fnt", "Живая смена шрифта: `fnt(family, size)`."),
}


@pytest.mark.parametrize("factory", sorted(FACTORIES))
def test_factories_take_no_arguments_and_hand_out_their_controller(win, factory):
    type_name, doc = FACTORIES[factory]
    method = getattr(win, factory)
    assert str(inspect.signature(method)) == "()"
    assert method.__doc__.endswith("\n\n" + doc) or method.__doc__ == doc
    controller = method()
    assert type(controller).__name__ == type_name
    assert callable(controller)
    with pytest.raises(TypeError):
        method(1)
    with pytest.raises(TypeError, match="No constructor defined"):
        type(controller)()
    assert hasattr(_orvy, type_name) == (type_name in ("Dlg", "Fx", "Fnt"))


def test_method_signatures_and_docstrings(win):
    dlg, nt = win.dlg(), win.nt()
    assert str(inspect.signature(dlg.msg)) == "(title, message, *, ok='Ок', on=None)"
    assert dlg.msg.__doc__.endswith("Информационное окно с одной кнопкой.")
    assert str(inspect.signature(dlg.alert)) == "(message, *, title='Внимание', ok='Ок', on=None)"
    assert dlg.alert.__doc__.endswith("Предупреждение с одной кнопкой.")
    assert str(inspect.signature(nt.snack)) == "(text, *, secs=4.0, action='', corner='', on=None)"
    assert nt.snack.__doc__.endswith("Снэкбар; без `corner` — по центру внизу окна.")


def test_wrong_argument_types_name_the_parameter(win):
    dlg, nt, fx, thm, fnt = win.dlg(), win.nt(), win.fx(), win.thm(), win.fnt()
    signal = _orvy.sgnl(0.0)
    cases = [
        (lambda: dlg(1, "m", ["Ок"]), "title"),
        (lambda: dlg("t", "m", "Ок"), "buttons"),
        (lambda: dlg("t", "m", ["Ок", 2]), "buttons"),
        (lambda: dlg.msg("t", "m", ok=None), "ok"),
        (lambda: dlg.alert(b"m"), "message"),
        (lambda: nt("t", "x", secs="long"), "secs"),
        (lambda: nt.snack("x", corner=3), "corner"),
        (lambda: nt.snack("x", action=None), "action"),
        (lambda: fx(signal, "end"), "to"),
        (lambda: fx(signal, 1.0, frm="start"), "frm"),
        (lambda: fx(signal, 1.0, dur=[1]), "dur"),
        (lambda: fx(signal, 1.0, ease=0), "ease"),
        (lambda: thm(None), "name"),
        (lambda: fnt(size="big"), "size"),
        (lambda: fnt(12), "family"),
    ]
    for call, name in cases:
        with pytest.raises(TypeError, match=f"argument '{name}'"):
            call()
    with pytest.raises(TypeError, match="unexpected keyword argument 'corner'"):
        dlg("t", "m", ["Ок"], corner="tr")
    with pytest.raises(TypeError):
        nt("t", "x", 4.0)  # secs is keyword-only


def test_fx_reads_the_signal_when_no_start_is_given_and_raises_what_reading_raises(win):
    fx = win.fx()

    def broken():
        raise LookupError("no value")

    with pytest.raises(LookupError, match="no value"):
        fx(broken, 1.0)
    with pytest.raises(TypeError, match="argument 'sig'"):
        fx(_orvy.sgnl("text"), 1.0)
    # With a start value the signal is not read at all.
    assert fx(broken, 1.0, frm=0) is None
    assert fx(_orvy.sgnl(0), 1, dur=0, ease="zzz") is None


def test_controllers_refuse_other_threads(win):
    controllers = [win.dlg(), win.nt(), win.fx(), win.thm(), win.fnt()]
    calls = [lambda c=controllers[0]: c.msg("t", "m"), lambda c=controllers[1]: c.snack("x"),
             lambda c=controllers[2]: c(_orvy.sgnl(0.0), 1.0), lambda c=controllers[3]: c("blk"),
             lambda c=controllers[4]: c("Arial")]
    for call in calls:
        error = run_in_thread(call)
        assert error is not None and "is unsendable, but sent to another thread" in str(error)


def test_calls_are_accepted_in_both_phases_and_after_the_window_closed(win):
    dlg, nt, fx, thm, fnt = win.dlg(), win.nt(), win.fx(), win.thm(), win.fnt()
    fired = []
    start(win)  # runs and closes again, or fails without a display
    assert dlg.msg("t", "m", on=fired.append) is None
    assert dlg("t", "m", [], on=fired.append) is None
    assert nt("t", "x", on=lambda: fired.append("note")) is None
    assert nt.snack("x", secs=0.1, corner="br") is None
    signal = _orvy.sgnl(0.0)
    assert fx(signal, 1.0, dur=0.1) is None
    assert thm("blk") is None and fnt(size=30) is None and fnt() is None
    assert signal() == 0.0 and fired == []
    assert type(win.dlg()).__name__ == "Dlg"


def test_clip_is_handed_out_without_a_constructor_and_checks_its_argument(win):
    clip = win.clip()
    assert type(clip).__name__ == "Clip" and not hasattr(_orvy, "Clip")
    assert win.clip.__doc__.endswith("Возвращает контроллер буфера обмена.")
    assert str(inspect.signature(clip.get)) == "()" and str(inspect.signature(clip.set)) == "(text)"
    with pytest.raises(TypeError, match="text"):
        clip.set(5)
    error = run_in_thread(clip.get)
    assert error is not None and "is unsendable, but sent to another thread" in str(error)


@pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="the clipboard needs an X display")
def test_clip_round_trips_text_through_the_desktop_clipboard(win):
    clip = win.clip()
    clip.set("привет\nмир 👋")
    assert clip.get() == "привет\nмир 👋"
    clip.set("")
    assert clip.get() == ""
