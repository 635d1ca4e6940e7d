"""The clipboard shared with other programs while the window runs: xclip
reads what clip() put there, whole and as a large text, and clip() reads
what xclip put there. The other program runs on a driver thread while the
loop serves its requests."""
import os
import shutil
import subprocess

import pytest

import _orvy
import conftest

pytestmark = pytest.mark.skipif(not os.environ.get("DISPLAY") or not shutil.which("xclip"),
                                reason="needs an X display and xclip (scripts/setup.sh installs it)")


def xclip_output():
    return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, timeout=60,
                          check=True).stdout.decode()


def test_xclip_reads_clip_text_and_clip_reads_xclip_text():
    w = _orvy.W("clipboard programs", 400, 300, center="screen")
    clip = w.clip()
    large = "строка line 👋\n" * 60000
    d = conftest.Driver(w)
    seen = {}

    def steps(d):
        d.read(lambda: clip.set("от orvy ☃\nвторая"))
        seen["small"] = xclip_output()
        d.read(lambda: clip.set(large))
        seen["large"] = xclip_output() == large
        # In the foreground and stopped once read: no process is left behind.
        giver = subprocess.Popen(["xclip", "-i", "-selection", "clipboard", "-quiet"], stdin=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL)
        try:
            giver.stdin.write("от xclip 👋".encode())
            giver.stdin.close()
            seen["theirs"] = d.until(lambda: clip.get(), "от xclip 👋")
        finally:
            giver.terminate()
            giver.wait(timeout=10)

    d.run(steps)
    assert seen == {"small": "от orvy ☃\nвторая", "large": True, "theirs": "от xclip 👋"}
