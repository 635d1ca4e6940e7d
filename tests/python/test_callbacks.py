"""The one callback invocation algorithm: the exception hook and the
parameter-count probe."""
import subprocess
import sys
import textwrap

import pytest

import _orvy


@pytest.fixture
def hook():
    texts = []
    yield texts
    _orvy.W().on_error(None)


def raising(message):
    def callback():
        raise ValueError(message)
    return callback


def test_the_hook_receives_the_whole_formatted_traceback(win, hook):
    win.on_error(hook.append)
    win._activate(win.bt("x", clk=raising("boom")))
    assert len(hook) == 1
    text = hook[0]
    assert text.startswith("Traceback (most recent call last):\n")
    assert text.rstrip("\n").splitlines()[-1] == "ValueError: boom"
    assert "in callback" in text


def test_a_raising_hook_is_printed_and_still_called_next_time(win, hook, capsys):
    calls = []

    def bad_hook(text):
        calls.append(text)
        raise RuntimeError("hook broke")

    win.on_error(bad_hook)
    button = win.bt("x", clk=raising("first"))
    win._activate(button)
    win._activate(button)
    assert len(calls) == 2
    assert "RuntimeError: hook broke" in capsys.readouterr().err


def test_hooks_are_per_thread_and_replace_each_other(win, hook):
    first, second = [], []
    win.on_error(first.append)
    win.on_error(second.append)
    win._activate(win.bt("x", clk=raising("b")))
    assert first == [] and len(second) == 1


def test_without_a_hook_the_error_is_printed_and_nothing_escapes():
    script = textwrap.dedent("""
        import _orvy
        w = _orvy.W()
        def clk():
            raise ValueError("short message")
        b = w.bt("x", clk=clk)
        print("ran", w._activate(b))
        print("still alive")
    """)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert done.returncode == 0
    assert "ran True" in done.stdout and "still alive" in done.stdout
    assert "ValueError: short message" in done.stderr
    assert "Traceback" in done.stderr


def test_a_click_with_a_toast_and_no_callback_runs_quietly(win):
    assert win._activate(win.bt("x", toast="Сохранено")) is True
    assert win._activate(win.bt("plain")) is False


class Handler:
    def two(self, row, col):
        pass

    def one(self, row):
        pass


@pytest.mark.parametrize("f, count", [
    (lambda row, col: None, 2),
    (lambda row: None, 1),
    (lambda row, col=0: None, 2),
    (lambda *args: None, 0),
    (lambda row, *, col: None, 1),
    (lambda a, b, c: None, 3),
    (Handler().two, 2),
    (Handler().one, 1),
    (print, 0),
    (42, 1),
    (None, 1),
])
def test_the_probe_counts_positional_parameters(win, f, count):
    assert win._probe(f) == count


def test_the_probe_does_not_touch_sys_modules(win):
    win._probe(lambda a: None)
    assert "probe" not in sys.modules
