"""The file-dialog controller: its methods and argument checks, and the
system's dialogs run for real: the desktop portal's file chooser on a
private session bus, and zenity where no portal answers."""
import inspect
import json
import os
import queue
import shutil
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

import pytest

import _orvy
from conftest import run_in_thread, start

HELPERS = Path(__file__).parent / "helpers"


def test_file_hands_out_fl_whose_methods_have_the_documented_signatures(win):
    files = win.file()
    assert type(files).__name__ == "Fl" and not hasattr(_orvy, "Fl")
    assert str(inspect.signature(win.file)) == "()"
    assert win.file.__doc__.endswith("Возвращает контроллер файловых диалогов.")
    assert str(inspect.signature(files.open)) == "(*, title='', patterns=Ellipsis, on=None)"
    assert files.open.__doc__.endswith('Диалог выбора файла; `on(path)` с путём или "" при отмене.')
    assert str(inspect.signature(files.save)) == "(*, title='', name='', patterns=Ellipsis, on=None)"
    assert files.save.__doc__.endswith("Диалог сохранения; `name` — имя по умолчанию.")
    assert str(inspect.signature(files.dir)) == "(*, title='', on=None)"
    assert files.dir.__doc__.endswith('Диалог выбора папки; `on(path)` с путём или "".')
    with pytest.raises(TypeError, match="No constructor defined"):
        type(files)()


def test_bad_arguments_are_refused_naming_the_parameter(win):
    files = win.file()
    with pytest.raises(TypeError, match="^argument 'patterns': Can't extract `str` to `Vec`$"):
        files.open(patterns="*.txt")
    cases = [
        (lambda: files.open(patterns=[("Текст",)]), "patterns"),
        (lambda: files.save(patterns=[("Текст", 1)]), "patterns"),
        (lambda: files.open(patterns=5), "patterns"),
        (lambda: files.save(name=b"x"), "name"),
        (lambda: files.dir(title=None), "title"),
    ]
    for call, name in cases:
        with pytest.raises(TypeError, match=f"argument '{name}'"):
            call()
    with pytest.raises(TypeError):
        files.open("title")  # keyword-only
    with pytest.raises(TypeError, match="unexpected keyword argument 'patterns'"):
        files.dir(patterns=[])
    error = run_in_thread(files.dir)
    assert error is not None and "is unsendable, but sent to another thread" in str(error)


def test_requests_are_accepted_in_both_phases(win):
    files = win.file()
    assert files.open(patterns=[("Текст", "*.txt"), ["Всё", "*"]]) is None
    start(win)
    assert files.save(title="t", name="n", on=print) is None
    assert files.dir(on=print) is None


# ---- the dialogs themselves

live = pytest.mark.skipif(not os.environ.get("DISPLAY") or not shutil.which("xdotool"), reason="needs an X display")


class DialogApp:
    """helpers/dialog_app.py in a process of its own, read line by line."""

    def __init__(self, requests, command_prefix=(), env=None):
        # A process group of its own, so that closing it ends the bus and the
        # dialogs it started too.
        self.process = subprocess.Popen([*command_prefix, sys.executable, str(HELPERS / "dialog_app.py"), *requests],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=env,
                                        start_new_session=True)
        self.lines = queue.Queue()
        threading.Thread(target=lambda: [self.lines.put(line) for line in self.process.stdout], daemon=True).start()

    def answer(self, timeout=60.0):
        # Services the bus starts share the output; their lines are not JSON.
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(deadline - time.monotonic(), 0.01))
            except queue.Empty:
                raise AssertionError("the window gave no answer") from None
            if line.startswith("{"):
                return json.loads(line)

    def close(self):
        try:
            os.killpg(self.process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        self.process.wait(timeout=30)


def find_window(title, timeout=60.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], capture_output=True,
                               text=True)
        if found.stdout.split():
            return found.stdout.split()[0]
        time.sleep(0.1)
    raise AssertionError(f"no window titled {title!r}")


def window_class(window):
    return subprocess.run(["xprop", "-id", window, "WM_CLASS"], capture_output=True, text=True).stdout


def type_into(window, key, text=None):
    """Gives the dialog the keyboard, presses `key`, then types `text` and Enter."""
    time.sleep(0.3)  # slack for the dialog to finish its first layout
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    subprocess.run(["xdotool", "key", "--clearmodifiers", key], check=True)
    if text is not None:
        subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)
        time.sleep(0.3)
        subprocess.run(["xdotool", "key", "Return"], check=True)


def dialog_environment(tmp_path, session_bus):
    """The dialogs keep their recent files under the test's directory; without
    `session_bus` the bus address leads nowhere, so no portal can answer (and
    GTK starts no bus of its own, as it would without an address)."""
    env = dict(os.environ)
    env["XDG_DATA_HOME"] = str(tmp_path / "data")
    if not session_bus:
        env["DBUS_SESSION_BUS_ADDRESS"] = f"unix:path={tmp_path / 'no-bus'}"
    return env


def answer_two_dialogs(app, dialog_class, first, keys, path, second):
    """Types `path` into the first dialog, which answers it, then cancels the
    second, which only opens once the first has been answered. Dialogs are
    modal: a click on their owner meanwhile is not taken."""
    try:
        dialog = find_window(first)
        assert dialog_class in window_class(dialog)
        # The owner (500 x 300, centred) takes no clicks while its dialog is open.
        subprocess.run(["xdotool", "mousemove", "1150", "650", "click", "1"], check=True)
        type_into(dialog, keys, text=path)
        answer = app.answer()
        assert answer["path"] == path
        assert answer["ticks_since_asked"] > 2, "the loop stood still while the dialog was open"
        assert answer["owner_clicks"] == 0
        type_into(find_window(second), "Escape")
        assert app.answer()["path"] == ""
        assert app.answer() == {"done": True}
    finally:
        app.close()


@live
@pytest.mark.skipif(not shutil.which("zenity"), reason="needs zenity")
def test_zenity_answers_without_a_portal_one_dialog_after_the_other(tmp_path):
    chosen = tmp_path / "notes.md"
    chosen.write_text("x")
    # Asked for before the window exists, the dialogs open once it does.
    app = DialogApp(["--before-go", "open:orvy open one", "dir:orvy folder two"],
                    env=dialog_environment(tmp_path, session_bus=False))
    answer_two_dialogs(app, "zenity", "orvy open one", "ctrl+l", str(chosen), "orvy folder two")


@live
@pytest.mark.skipif(not shutil.which("dbus-run-session") or not os.path.exists("/usr/libexec/xdg-desktop-portal"),
                    reason="needs dbus and xdg-desktop-portal")
def test_the_portal_file_chooser_answers_on_a_session_bus(tmp_path):
    env = dialog_environment(tmp_path, session_bus=True)
    # Under the sanitizer run the module needs its runtime preloaded; the bus
    # and the portal, which it would keep from starting, must not get it.
    preload = env.pop("LD_PRELOAD", None)
    prefix = ["dbus-run-session", "--", *(["env", f"LD_PRELOAD={preload}"] if preload else [])]
    app = DialogApp(["save:orvy save one", "open:orvy open two"], command_prefix=prefix, env=env)
    answer_two_dialogs(app, "portal", "orvy save one", "ctrl+a", str(tmp_path / "saved.txt"), "orvy open two")

