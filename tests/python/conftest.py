import os
import subprocess
import threading
import time

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


# Live tests run on a 1920 x 1080 virtual screen without a window manager,
# where a window centred on the screen has its client area at this corner.
SCREEN_W, SCREEN_H = 1920, 1080


def screen_origin(width, height):
    return (SCREEN_W - width) // 2, (SCREEN_H - height) // 2


def xdo(*args):
    subprocess.run(["xdotool", *(str(arg) for arg in args)], check=True)


class Driver:
    """Drives a running window from a thread: reads its state on the UI
    thread through a Post and waits for conditions with generous timeouts.
    The window must be centred on the screen; positions are client pixels."""

    def __init__(self, w, size=(400, 300)):
        self.w = w
        self.post = w.post()
        self.rects = w.rects()
        self.origin = screen_origin(*size)
        self.error = None

    def read(self, f, timeout=10.0):
        done = threading.Event()
        box = {}

        def run():
            box["value"] = f()
            done.set()

        self.post(run)
        done.wait(timeout)
        return box.get("value")

    def until(self, f, want, timeout=20.0):
        """Polls f on the UI thread until it returns `want` (or, when `want`
        is callable, until want(value) holds); returns the last value."""
        test = want if callable(want) else (lambda value: value == want)
        deadline = time.monotonic() + timeout
        value = None
        while time.monotonic() < deadline:
            value = self.read(f)
            if test(value):
                return value
            time.sleep(0.05)
        return value

    def text(self, node):
        return self.read(lambda: self.w._model(node)["text"])

    def wait_text(self, node, want):
        return self.until(lambda: self.w._model(node)["text"], want)

    def rect(self, node):
        return self.read(lambda: self.rects(node))

    def screen(self, x, y):
        return int(self.origin[0] + x), int(self.origin[1] + y)

    def move(self, x, y):
        xdo("mousemove", *self.screen(x, y))

    def click_at(self, x, y, button=1, repeat=1):
        xdo("mousemove", *self.screen(x, y), "click", "--repeat", repeat, "--delay", 60, button)

    def click(self, node):
        x, y, width, height = self.rect(node)
        self.click_at(x + 8, y + height / 2)

    def drag(self, start, end, steps=8):
        """Presses the left button at `start`, moves to `end` in steps and releases."""
        self.move(*start)
        xdo("mousedown", 1)
        for i in range(1, steps + 1):
            t = i / steps
            self.move(start[0] + (end[0] - start[0]) * t, start[1] + (end[1] - start[1]) * t)
            time.sleep(0.03)
        xdo("mouseup", 1)

    def wheel(self, x, y, notches):
        """Turns the wheel over a point: positive notches away from the user."""
        self.move(x, y)
        xdo("click", "--repeat", abs(notches), "--delay", 60, 4 if notches > 0 else 5)

    def type(self, text):
        xdo("type", "--delay", "30", text)

    def key(self, *keys):
        xdo("key", "--delay", "30", *keys)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", str(path)], check=True)

    def run(self, steps):
        """Runs `steps(driver)` on a thread once the window shows; the
        window closes afterwards whatever happens."""

        def target():
            try:
                steps(self)
            except BaseException as error:  # reported by the test after go() returns
                self.error = error
            finally:
                self.post(self.w.close)

        self.w.after(100, lambda: threading.Thread(target=target, daemon=True).start())
        self.w.go()
        if self.error:
            raise self.error


@pytest.fixture
def private_xvfb():
    """Starts X servers of the test's own, `start(screen, *options)` ->
    the environment to run clients on it; they stop after the test, or
    when `start.stop(env)` kills one, as a crash would. Xvfb
    announces its display number on a pipe and may write there again
    later, which ends it once the pipe is closed: the pipe stays open for
    as long as the server runs."""
    running = []

    def start(screen, *options):
        read, write = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", screen, *options,
                                   "-nolisten", "tcp", "-noreset"], pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        running.append((server, read))
        number = os.read(read, 64).decode().strip()
        server.display = number
        assert number, f"Xvfb cannot start a {screen} screen"
        env = dict(os.environ, DISPLAY=":" + number)
        # The display number can come before the server takes connections.
        deadline = time.monotonic() + 30
        while subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode != 0:
            assert time.monotonic() < deadline, "Xvfb takes no connections"
            time.sleep(0.1)
        return env

    def stop(env):
        number = env["DISPLAY"][1:]
        for server, _ in running:
            if server.display == number:
                server.kill()
                server.wait()

    start.stop = stop
    yield start
    for server, read in running:
        server.kill()
        server.wait()
        os.close(read)
