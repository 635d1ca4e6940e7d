"""Screen readers see the window: a second process reads a form through
AT-SPI on a private session bus (tests/python/atspi/probe.py)."""
import os
import shutil
import subprocess
import sys

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def missing_tools():
    needed = [shutil.which("dbus-run-session"), shutil.which("xdotool"),
              os.path.exists(LAUNCHER) or None]
    probe = subprocess.run(["/usr/bin/python3", "-c", "import pyatspi"], capture_output=True)
    return None in needed or probe.returncode != 0 or not os.environ.get("DISPLAY")


@pytest.mark.skipif(missing_tools(), reason="needs a display and dbus-run-session")
def test_without_an_accessibility_bus_nothing_is_connected():
    # Runs first: the probe's launcher leaves its address on the display.
    # A window on a session bus without the accessibility launcher opens no
    # connection and starts no thread of D-Bus's.
    script = (
        "import _orvy as o, os\n"
        "w = o.W('x', 200, 100)\n"
        "def look():\n"
        "    names = [open(f'/proc/self/task/{t}/comm').read().strip() for t in os.listdir('/proc/self/task')]\n"
        "    print('threads', ' '.join(sorted(names)), flush=True)\n"
        "    w.close()\n"
        "w.after(50, look)\n"
        "w.go()\n")
    env = dict(os.environ)
    env.pop("AT_SPI_BUS_ADDRESS", None)
    # Under the sanitizer run only the orvy process has the runtime preloaded,
    # never the bus daemon.
    preload = env.pop("LD_PRELOAD", None)
    prefix = ["dbus-run-session", "--", *(["env", f"LD_PRELOAD={preload}"] if preload else [])]
    result = subprocess.run([*prefix, sys.executable, "-c", script], capture_output=True, text=True,
                            env=env, timeout=120)
    assert result.returncode == 0, result.stderr
    line = next(line for line in result.stdout.splitlines() if line.startswith("threads"))
    assert "gdbus" not in line.split()


@pytest.mark.skipif(missing_tools(), reason="needs a display, dbus-run-session, at-spi2-core, python3-pyatspi, xdotool")
def test_a_screen_reader_reads_and_drives_the_form():
    # pyatspi comes with Debian's Python; the module runs in the same one.
    env = dict(os.environ)
    env.pop("AT_SPI_BUS_ADDRESS", None)
    # Under the sanitizer run only the orvy process may have the runtime
    # preloaded: the bus daemons started under it do not come up.
    preload = env.pop("LD_PRELOAD", None)
    if preload:
        env["ORVY_APP_PRELOAD"] = preload
    result = subprocess.run(["dbus-run-session", "--", "/usr/bin/python3", os.path.join(HERE, "atspi", "probe.py")],
                            capture_output=True, text=True, env=env, timeout=600)
    assert result.returncode == 0, result.stdout + result.stderr
