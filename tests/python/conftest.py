import threading

import pytest

import _orvy


@pytest.fixture
def win():
    return _orvy.W()


@pytest.fixture(autouse=True)
def clear_window_properties():
    """Window-property signals belong to the thread; remove them after each
    test so that one test's registrations are not evaluated in the next."""
    yield
    w = _orvy.W()
    for register in (w.tint, w.blur, w.blur_mode, w.drag_smooth):
        register(None)


def run_in_thread(f):
    """Runs f on a fresh thread and returns what it raised (or None)."""
    outcome = {}

    def target():
        try:
            f()
        except BaseException as error:  # the thread check may raise any exception type
            outcome["error"] = error

    thread = threading.Thread(target=target)
    thread.start()
    thread.join()
    return outcome.get("error")


def kinds(win):
    return [entry[0] for entry in win._nodes()]


def children(win, node_index):
    return win._nodes()[node_index][2]


def start(win):
    """Runs go() until a timer closes the window again, so that the window
    counts as started; without a display go() fails, with the same effect."""
    win.after(0, win.close)
    try:
        win.go()
    except RuntimeError as error:
        assert "уже запущено" not in str(error)
