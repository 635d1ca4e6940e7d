"""What the X input method is given from the environment when it opens (once
a text field has the focus), and that the script's environment is as it was
once the window is up."""
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import pytest

live = pytest.mark.skipif(not os.environ.get("DISPLAY"), reason="needs an X display")

PROBE = """
import ctypes, _orvy
libc = ctypes.CDLL(None)
libc.getenv.restype = ctypes.c_char_p
w = _orvy.W("environment probe", 200, 100)
w.focus(w.tx(h=40))
def tick():
    if w._frames() > 0:
        for name in (b"DBUS_SESSION_BUS_ADDRESS", b"XCOMPOSECACHE"):
            print(name.decode(), libc.getenv(name), flush=True)
        w.close()
w.every(1, tick)
w.go()
"""


def run_probe(env, user=()):
    done = subprocess.run([*user, sys.executable, "-c", PROBE], env=env, capture_output=True, text=True,
                          timeout=120)
    assert done.returncode == 0, done.stdout + done.stderr
    return dict(line.split(" ", 1) for line in done.stdout.splitlines() if " " in line)


def without(*names):
    return {name: value for name, value in os.environ.items() if name not in names}


@live
@pytest.mark.parametrize("address", [None, "unix:path=/nonexistent/orvy-bus"])
def test_the_session_bus_the_script_started_with_is_kept_once_the_window_is_up(address):
    # The portal and the accessibility lookup must see what the session had.
    env = without("DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")
    if address:
        env["DBUS_SESSION_BUS_ADDRESS"] = address
    seen = run_probe(env)
    assert seen["DBUS_SESSION_BUS_ADDRESS"] == (repr(address.encode()) if address else "None")


@live
@pytest.mark.skipif(os.geteuid() != 0 or not shutil.which("setpriv"), reason="runs the window as another user")
def test_a_users_compose_table_is_compiled_once_into_a_private_cache():
    # libX11 keeps no cache for root, so the window runs as nobody.
    home = Path(tempfile.mkdtemp(prefix="orvy-home-"))
    try:
        os.chmod(home, 0o700)
        os.chown(home, 65534, 65534)
        env = without("XCOMPOSECACHE", "XDG_CACHE_HOME")
        env.update(HOME=str(home), LANG="C.UTF-8")
        if os.environ.get("XAUTHORITY"):
            # The X server's key, where that user may read it.
            env["XAUTHORITY"] = shutil.copy(os.environ["XAUTHORITY"], home / "xauthority")
            os.chown(env["XAUTHORITY"], 65534, 65534)
        nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
        # A cache directory the user's group may write (umask 002) holds the private one.
        (home / ".cache").mkdir()
        os.chmod(home / ".cache", 0o775)
        os.chown(home / ".cache", 65534, 65534)
        assert run_probe(env, nobody)["XCOMPOSECACHE"] == "None"
        cache = home / ".cache" / "orvy" / "compose"
        assert cache.stat().st_mode & 0o777 == 0o700 and cache.stat().st_uid == 65534
        tables = list(cache.iterdir())
        assert len(tables) == 1 and tables[0].stat().st_size > 0
        written = tables[0].stat().st_mtime_ns
        run_probe(env, nobody)
        assert list(cache.iterdir()) == tables and tables[0].stat().st_mtime_ns == written
        # A cache the user keeps already is left to libX11.
        shutil.rmtree(home / ".cache")
        (home / ".compose-cache").mkdir(mode=0o700)
        os.chown(home / ".compose-cache", 65534, 65534)
        run_probe(env, nobody)
        assert not (home / ".cache").exists() and len(list((home / ".compose-cache").iterdir())) == 1
    finally:
        shutil.rmtree(home, ignore_errors=True)
