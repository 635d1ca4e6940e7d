"""W.hotkey, W.keys and W.focus: their arguments, errors and phases."""
import pytest

import _orvy
from conftest import start


@pytest.mark.parametrize("spec", ["ctrl+f25", "ctrl+", "ctrl++", "shift", "", "ctrl+ж", "hyper+a"])
def test_a_bad_hot_key_raises_with_the_specification_as_passed(win, spec):
    with pytest.raises(RuntimeError) as raised:
        win.hotkey(spec, lambda: None)
    assert str(raised.value) == "плохой хоткей: " + spec


@pytest.mark.parametrize("spec", ["Ctrl + Shift + S", "ctrl+f12", "ctrl+plus", "alt+minus", "F24", "shift+pageup"])
def test_good_hot_keys_register(win, spec):
    assert win.hotkey(spec, lambda: None) is None


def test_handlers_must_be_callable_and_nodes_of_this_window(win):
    field = win.tx()
    with pytest.raises(TypeError, match="'f'"):
        win.hotkey("ctrl+s", 5)
    with pytest.raises(TypeError, match="'f'"):
        win.keys(field, "not callable")
    with pytest.raises(ValueError):
        win.keys(_orvy.W().tx(), print)
    with pytest.raises(TypeError):
        win.focus(field, txt=5)


def test_hotkey_and_keys_are_configuring_only_while_focus_works_in_both_phases(win):
    field = win.tx()
    win.focus(field, txt="x", sel=False)
    win.focus()
    start(win)
    for call in (lambda: win.hotkey("ctrl+s", print), lambda: win.keys(field, print)):
        with pytest.raises(RuntimeError, match="окно уже запущено"):
            call()
    assert win.focus(field) is None
