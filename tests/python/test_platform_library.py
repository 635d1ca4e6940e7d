"""The backend library beside the module: not loaded by the import, loaded on
first use, and a clear RuntimeError when it or a system library it needs is
missing, or when it comes from another build."""
import os
import shutil
import subprocess
import sys
import textwrap

import pytest

import _orvy

HEAVY = ("libX11", "libSDL2", "libcairo", "libpango", "libpng", "libjpeg", "libgif", "_orvy_linux.so")


ROOT = os.path.join(os.path.dirname(__file__), os.pardir, os.pardir)
RUNTIME_LIBRARIES = os.path.join(ROOT, "platform", "linux", "runtime_libraries.txt")
# The C library and the compiler's runtimes (the sanitizers' in that build),
# which come with the system rather than with a package to name.
TOOLCHAIN_LIBRARIES = ("libc.so", "libm.so", "libstdc++.so", "libgcc_s.so", "ld-linux", "libasan.so", "libubsan.so")


def run_python(script, path, **extra_env):
    env = dict(os.environ, PYTHONPATH=str(path), PYTHONDONTWRITEBYTECODE="1", **extra_env)
    done = subprocess.run([sys.executable, "-c", textwrap.dedent(script)], capture_output=True, text=True,
                          timeout=120, env=env)
    assert done.returncode == 0, done.stderr
    return done.stdout


def test_import_maps_no_window_or_drawing_library_until_a_window_or_text_needs_them():
    out = run_python("""
        import threading
        import _orvy

        def mapped():
            with open("/proc/self/maps") as maps:
                text = maps.read()
            return sorted(name for name in %r if name in text)

        print("import", mapped())
        # A window object starts opening the backend while its tree is built.
        w = _orvy.W("t", 300, 200)
        with w.bx():
            w.lb("x")
            w.bt("y")
        results = []
        threads = [threading.Thread(target=lambda: results.append(_orvy.W.measure_text("hello", 15.0)))
                   for _ in range(4)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        print("same", len(set(results)) == 1 and len(results) == 4 and results[0][0] > 0)
        print("measured", mapped())
    """ % (HEAVY,), os.path.dirname(_orvy.__file__))
    assert "import []" in out
    assert "same True" in out
    measured = out.split("measured ")[1]
    for name in ("libX11", "libcairo", "libpango", "_orvy_linux.so"):
        assert name in measured
    assert "libSDL2" not in measured


@pytest.fixture
def lone_module(tmp_path):
    """The module copied alone into an empty directory."""
    shutil.copy(_orvy.__file__, tmp_path)
    return tmp_path


def test_a_missing_backend_library_is_a_runtime_error_and_building_still_works(lone_module):
    out = run_python("""
        import _orvy
        assert _orvy.__file__.startswith(%r)

        def error_of(call):
            try:
                call()
            except RuntimeError as error:
                return str(error)
            return "no error"

        w = _orvy.W("lone", 300, 200)
        with w.bx():
            label = w.lb("x")
            w.bt("y")
        w.txt(label, "changed")
        first = error_of(lambda: _orvy.W.measure_text("hello"))
        print("measure:", first)
        print("again same:", error_of(lambda: _orvy.W.measure_text("hello")) == first)
        print("frames same:", error_of(lambda: _orvy.W.frames("a.gif")) == first)
        print("screen same:", error_of(_orvy.W.screen) == first)
        print("go same:", error_of(w.go) == first)
        print("nodes:", len(w._nodes()))
    """ % (str(lone_module),), lone_module)
    message = out.split("measure: ")[1].splitlines()[0]
    assert "оконная система не загружена" in message
    # dlerror's own words: the path it tried and why it failed.
    assert os.path.join(str(lone_module), "_orvy_linux.so") in message
    assert "No such file" in message
    for check in ("again same", "frames same", "screen same", "go same"):
        assert check + ": True" in out
    assert "nodes: 4" in out


def build_library(directory, source):
    compiler = shutil.which("cc") or shutil.which("gcc")
    if not compiler:
        pytest.skip("needs a C compiler")
    (directory / "fake.c").write_text(source)
    subprocess.run([compiler, "-shared", "-fPIC", "-o", str(directory / "_orvy_linux.so"),
                    str(directory / "fake.c")], check=True, timeout=60)
    (directory / "fake.c").unlink()


@pytest.mark.parametrize("source, words", [
    ("int unrelated(void) { return 0; }", "orvy_platform_table"),
    ("struct T { unsigned version, size; } const t = { 999, 8 };\n"
     "struct T const* orvy_platform_table(void) { return &t; }", "версия таблицы 999"),
])
def test_a_backend_library_from_another_build_is_refused(lone_module, source, words):
    build_library(lone_module, source)
    out = run_python("""
        import _orvy
        try:
            _orvy.W.measure_text("hello")
        except RuntimeError as error:
            print("error:", error)
        print("built:", _orvy.W().lb("still") is not None)
    """, lone_module)
    assert "error: оконная система не загружена" in out
    assert words in out
    assert "built: True" in out


def runtime_libraries():
    with open(RUNTIME_LIBRARIES, encoding="utf-8") as listing:
        return dict(line.split() for line in listing if line.strip() and not line.startswith("#"))


def test_an_unloadable_system_library_is_named_with_its_debian_package(tmp_path):
    # Found first along the library path, and no library at all.
    (tmp_path / "libgif.so.7").write_text("not a library")
    out = run_python("""
        import _orvy
        try:
            _orvy.W.measure_text("hello")
        except RuntimeError as error:
            print("error:", error)
    """, os.path.dirname(_orvy.__file__), LD_LIBRARY_PATH=str(tmp_path))
    message = out.split("error: ")[1].strip()
    assert message.startswith("оконная система не загружена: нет библиотеки libgif.so.7 "
                              "(пакет Debian libgif7): ")
    assert str(tmp_path / "libgif.so.7") in message
    assert message.count("нет библиотеки") == 1


def test_the_runtime_library_list_names_every_library_the_backend_needs():
    readelf = shutil.which("readelf")
    if not readelf:
        pytest.skip("needs readelf")
    backend = os.path.join(os.path.dirname(_orvy.__file__), "_orvy_linux.so")
    dynamic = subprocess.run([readelf, "-d", backend], capture_output=True, text=True, check=True).stdout
    needed = {line.split("[")[1].rstrip("]") for line in dynamic.splitlines() if "(NEEDED)" in line}
    needed = {name for name in needed if not name.startswith(TOOLCHAIN_LIBRARIES)}
    assert needed <= set(runtime_libraries())


@pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")
def test_start_up_marks_of_a_first_window_follow_the_order_of_the_start():
    out = run_python("""
        import time
        import _orvy
        created = time.perf_counter()
        w = _orvy.W("marks", 300, 200)
        w.lb("x")
        # The backend opens on a thread of its own from W() on, and may be open before go().
        print("before", all(value is None for name, value in w._startup().items() if name != "backend_loaded"))
        w.every(1, lambda: w._frames() and w.close())
        started = time.perf_counter()
        w.go()
        ended = time.perf_counter()
        marks = w._startup()
        order = [["backend_loaded", "video_started", "window_created", "window_shown", "first_layout",
                  "first_paint", "first_present"], ["backend_loaded", "text_ready", "window_created"]]
        print("ordered", all((created if a == "backend_loaded" else started) <= marks[a] <= marks[b] <= ended
                             for names in order for a, b in zip(names, names[1:])))
        print("names", sorted(marks))
    """, os.path.dirname(_orvy.__file__))
    assert "before True" in out
    assert "ordered True" in out
    assert ("names ['backend_loaded', 'first_layout', 'first_paint', 'first_present', 'text_ready', "
            "'video_started', 'window_created', 'window_shown']") in out
