import os

import pytest

import _orvy
from conftest import start


@pytest.fixture(autouse=True)
def fresh_styles():
    """The sheets belong to the thread; each test starts and ends without any."""
    _orvy.W()._css_reset()
    yield
    _orvy.W()._css_reset()


def base(win, node):
    return win._style(node)[0]


def write(path, text, step):
    """Writes the file and moves its time `step` seconds ahead, so every write is seen as a change."""
    path.write_text(text, encoding="utf-8")
    now = os.stat(path).st_mtime_ns
    os.utime(path, ns=(now, now + step * 1_000_000_000))


def test_docstrings_start_with_the_signature():
    w = _orvy.W
    assert w.css.__doc__.endswith("Применяет CSS-подмножество из строки.")
    assert w.css.__text_signature__ == "($self, text, *, replace=False)"
    assert w.css_file.__text_signature__ == "($self, path, *, replace=False)"
    assert w.css_file.__doc__.endswith("Применяет CSS из файла по пути.")
    assert w.css_hot.__text_signature__ == "($self, path)"
    assert w.css_hot.__doc__.endswith("Следит за CSS-файлом и перезагружает его на лету.")
    assert w.cls.__text_signature__ == "($self, n, name)"
    assert w.cls.__doc__.endswith("Присваивает узлу CSS-класс.")


def test_classes_types_and_replace_while_configuring(win):
    plain = win.lb("a")
    big = win.lb("b")
    win.cls(big, "big")
    win.css("label { color: #f00 } .big { color: #0f0; font: 'Fira Sans' }")
    assert base(win, plain)["color"] == "#ff0000ff"
    assert base(win, big)["color"] == "#00ff00ff"
    assert base(win, big)["font_family"] == "Fira Sans"
    win.css("label { radius: 4 }")
    assert base(win, plain)["radius"] == 4.0 and base(win, plain)["color"] == "#ff0000ff"
    win.css("button { radius: 4 }", replace=True)
    assert base(win, plain)["radius"] is None and base(win, plain)["color"] is None


def test_styles_given_by_builders_survive_sheets(win):
    label = win.lb("x", wrap=True)
    win.css("label { wrap: 0 }")
    assert base(win, label)["wrap"] is False
    win.css("", replace=True)
    assert base(win, label)["wrap"] is True


def test_sheets_are_queued_while_running_and_applied_at_the_next_frame(win, tmp_path):
    label = win.lb("x")
    start(win)
    assert win.css("label { color: #f00 }") is None
    sheet = tmp_path / "a.css"
    sheet.write_text("label { radius: 2 }", encoding="utf-8")
    assert win.css_file(sheet) is None
    sheet.write_text("label { radius: 9 }", encoding="utf-8")  # read when called, not at the frame
    assert base(win, label)["color"] is None
    assert win._css_frame() is True
    assert base(win, label)["color"] == "#ff0000ff"
    assert base(win, label)["radius"] == 2.0
    assert win._css_frame() is False


def test_configuring_only_operations_refuse_once_running(win, tmp_path):
    label = win.lb("x")
    start(win)
    with pytest.raises(RuntimeError, match="^окно уже запущено$"):
        win.cls(label, "late")
    with pytest.raises(RuntimeError, match="^окно уже запущено$"):
        win.css_hot(tmp_path / "x.css")


def test_hot_file_follows_rewrites_and_deletion(win, tmp_path):
    label = win.lb("x")
    sheet = tmp_path / "hot.css"
    write(sheet, "label { color: #f00 }", 0)
    win.css_hot(str(sheet))
    assert base(win, label)["color"] == "#ff0000ff"
    assert win._css_frame() is False
    write(sheet, "label { color: #00f }", 5)
    assert win._css_frame() is True
    assert base(win, label)["color"] == "#0000ffff"
    sheet.unlink()
    assert win._css_frame() is True
    assert base(win, label)["color"] is None


def test_a_missing_or_undecodable_file_is_an_empty_sheet(win, tmp_path):
    label = win.lb("x")
    win.css("label { color: #f00 }")
    win.css_file(tmp_path / "missing.css")
    assert base(win, label)["color"] == "#ff0000ff"
    bad = tmp_path / "bad.css"
    bad.write_bytes(b"label { color: #0f0 } \xff")
    win.css_file(bad, replace=True)
    assert base(win, label)["color"] is None


def test_bad_arguments_name_the_parameter(win):
    label = win.lb("x")
    with pytest.raises(TypeError, match="'text'"):
        win.css(5)
    with pytest.raises(TypeError, match="'path'"):
        win.css_file(3)
    with pytest.raises(TypeError, match="'path'"):
        win.css_hot(b"bytes.css")
    with pytest.raises(TypeError, match="'name'"):
        win.cls(label, None)
    with pytest.raises(ValueError, match="'n'"):
        win.cls(_orvy.W().lb("other window"), "x")
    with pytest.raises(TypeError):
        win.css("a{}", True)  # replace is keyword-only


def test_windows_of_a_thread_share_the_sheets_but_not_their_baselines():
    first, second = _orvy.W(), _orvy.W()
    a = first.lb("a")
    b = second.bt("b", elev=3.0)
    first.css("label { color: #f00 } button { radius: 5 }")
    second.css("button { shadow: 1 }")
    assert base(second, b)["radius"] == 5.0  # the first window's sheet is the thread's
    assert base(second, b)["shadow"] == 1.0
    second.css("", replace=True)
    assert base(second, b)["shadow"] == 3.0  # its own builder value, not the other tree's
    assert first._css_frame() is True  # the first window catches up with the shared sheet
    assert base(first, a)["color"] is None
