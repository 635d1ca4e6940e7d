"""An X server that goes away while a script runs: every window hears why
through the error hook and closes as if closed, go() returns, and the
script's own lines after it, its exit handlers and the flushing of its files
all run. A window asked for afterwards is refused with a RuntimeError."""
import shutil
import subprocess
import sys

import pytest

pytestmark = pytest.mark.skipif(not shutil.which("Xvfb") or not shutil.which("xdpyinfo"),
                                reason="needs Xvfb and xdpyinfo")

# Writes what it lives through to a file it never flushes itself: the lines
# reach the file only if the interpreter ends normally. Tells the test on
# standard output when to kill the server.
SCRIPT = r"""
import atexit, functools, sys, _orvy
log = open(sys.argv[1], "w")
when = sys.argv[2]
atexit.register(lambda: log.write("atexit\n"))
w = _orvy.W("lost", 300, 200)
w.lb("the server goes away")
w.on_error(lambda text: log.write("error: " + text.strip().splitlines()[-1] + "\n"))

def ready():
    if when == "running":
        # Its hook holds nothing of this module: a sub-window still keeps
        # what its hook refers to after the interpreter ends.
        w.subwin("sub", 200, 100, on_close=functools.partial(print, "sub closed", file=sys.stderr)).show()
        w.push("note", "text", secs=600, on_close=lambda: log.write("push closed\n"))
    elif when == "clipboard":
        print("reading", flush=True)
        log.write("clipboard: %r\n" % w.clip().get())
        return
    print("up", flush=True)

if when == "creating":
    print("up", flush=True)
    sys.stdin.readline()  # the server is gone now
else:
    w.after(100, ready)
try:
    w.go()
    log.write("go returned\n")
except RuntimeError as error:
    log.write("go raised: %s\n" % error)
try:
    _orvy.W("again", 200, 100).go()
except RuntimeError as error:
    log.write("again: %s\n" % error)
"""

# Owns the clipboard and never answers a request for it, so that a read
# waits on the server until it gives up.
SILENT_OWNER = r"""
import ctypes, sys, time
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 \
    + [ctypes.c_ulong] * 2
x.XCreateSimpleWindow.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XInternAtom.restype = ctypes.c_ulong
x.XSetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
display = x.XOpenDisplay(None)
window = x.XCreateSimpleWindow(display, x.XDefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)
x.XSetSelectionOwner(display, x.XInternAtom(display, b"CLIPBOARD", 0), window, 0)
x.XSync(display, 0)
print("owned", flush=True)
time.sleep(3600)
"""


def live_through_loss(private_xvfb, tmp_path, when):
    env = private_xvfb("640x480x24")
    owner = None
    if when == "clipboard":
        owner = subprocess.Popen([sys.executable, "-c", SILENT_OWNER], env=env, stdout=subprocess.PIPE, text=True)
        assert owner.stdout.readline().strip() == "owned"
    log = tmp_path / "log.txt"
    child = subprocess.Popen([sys.executable, "-c", SCRIPT, str(log), when], env=env, stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline().strip() in ("up", "reading")
        private_xvfb.stop(env)
        child.stdin.write("\n")
        child.stdin.flush()
        _, stderr = child.communicate(timeout=120)
    finally:
        child.kill()
        if owner:
            owner.kill()
            owner.wait()
    return child.returncode, log.read_text().splitlines(), stderr, env["DISPLAY"]


@pytest.mark.parametrize("when", ["running", "clipboard"])
def test_a_server_that_goes_away_is_reported_and_the_script_ends_normally(private_xvfb, tmp_path, when):
    status, lines, stderr, display = live_through_loss(private_xvfb, tmp_path, when)
    assert status == 0, stderr
    broken = f"RuntimeError: X connection to {display} broken (explicit kill or server shutdown)."
    # The main window, the sub-window and the note each hear it once.
    errors = [line for line in lines if line.startswith("error: ")]
    assert errors and set(errors) == {"error: " + broken}, lines
    if when == "running":
        assert len(errors) == 3 and "sub closed" in stderr and "push closed" in lines, lines
    else:
        # The read waiting for the silent owner stopped with nothing.
        assert "clipboard: ''" in lines, lines
    assert lines.index("go returned") > lines.index(errors[-1])
    assert f"again: X connection to {display} broken (explicit kill or server shutdown)." in lines
    assert lines[-1] == "atexit"
    # The report went to the hook, not to Xlib's own line on standard error.
    assert "X connection" not in stderr, stderr


def test_a_server_gone_before_the_window_is_made_refuses_it_and_the_script_ends_normally(private_xvfb, tmp_path):
    status, lines, stderr, display = live_through_loss(private_xvfb, tmp_path, "creating")
    assert status == 0, stderr
    # Whether the connection was opened before the server went or not, go()
    # is refused with words naming the display and nothing is left to report.
    refused = [line for line in lines if line.startswith("go raised: ")]
    assert len(refused) == 1 and display in refused[0], lines
    assert [line for line in lines if line.startswith("again: ")] and display in lines[-2]
    assert lines[-1] == "atexit"
