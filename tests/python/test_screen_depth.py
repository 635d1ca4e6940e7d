"""A window shows its frame on screens of every depth and kind of colour:
16 bits a pixel (as some VNC servers run), 8 bits through a colour map
(shared, or the window's own when the shared one is full), gray screens
and direct-colour ones. The pixels are converted to what the screen takes instead
of leaving the window blank, and areas come out near their colours."""
import subprocess
import sys

import pytest

SHOW_AND_SHOOT = r"""
import subprocess, sys, _orvy
w = _orvy.W("depth", 400, 300)
w.fr(w=100, h=60, rad=0)
button = w.bt("OK", w=100, h=60, rad=0)
w.lb("Привет, orvy")
if len(sys.argv) > 2:
    # After the first frame: only the part that changes goes out again.
    w.after(100, lambda: w.show(button, False))

def take():
    # Read through the window's colour map, its own where it has one.
    try:
        subprocess.run(["import", "-window", "depth", sys.argv[1]], check=True)
    finally:
        w.close()

w.after(400, take)
w.go()
"""

# Takes every free cell of the screen's colour map and keeps them after
# leaving, as a desktop full of other programs would.
FILL_COLORMAP = r"""
import ctypes
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
for name in ("XDefaultScreen", "XSetCloseDownMode", "XCloseDisplay"):
    getattr(x, name).argtypes = [ctypes.c_void_p] + ([ctypes.c_int] if name == "XSetCloseDownMode" else [])
x.XDefaultColormap.argtypes = [ctypes.c_void_p, ctypes.c_int]
x.XDefaultColormap.restype = ctypes.c_ulong
x.XAllocColorCells.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_void_p, ctypes.c_uint,
                               ctypes.c_void_p, ctypes.c_uint]
display = x.XOpenDisplay(None)
colormap = x.XDefaultColormap(display, x.XDefaultScreen(display))
cells = (ctypes.c_ulong * 256)()
taken = 0
for count in (128, 64, 32, 16, 8, 4, 2, 1):
    while x.XAllocColorCells(display, colormap, 0, None, 0, cells, count):
        taken += count
x.XSetCloseDownMode(display, 1)  # RetainPermanent
x.XCloseDisplay(display)
print(taken)
"""


def block_mean(path, x, y, size=8):
    """The mean colour of a block of whole dither patterns."""
    ppm = subprocess.run(["convert", str(path), "-crop", f"{size}x{size}+{x}+{y}", "-depth", "8", "ppm:-"],
                         capture_output=True, check=True).stdout
    pixels = ppm[-size * size * 3:]
    return tuple(sum(pixels[channel::3]) / (size * size) for channel in range(3))


def luminance(colour):
    red, green, blue = colour
    return (red * 77 + green * 150 + blue * 29) / 256


def shoot(env, path, *change):
    done = subprocess.run([sys.executable, "-c", SHOW_AND_SHOOT, str(path), *change], env=env, capture_output=True,
                          text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    # The panel, the button (beside its text) and the window's background.
    return [block_mean(path, x, y) for x, y in ((40, 24), (4, 64), (300, 250))]


SCREENS = {
    "16-bit true colour": ("640x480x16", (), False),
    "8-bit colour map": ("640x480x8", (), False),
    "8-bit colour map, full": ("640x480x8", (), True),
    "8-bit gray map": ("640x480x8", ("-cc", "1"), False),
    "8-bit fixed grays": ("640x480x8", ("-cc", "0"), False),
    "8-bit fixed colours": ("640x480x8", ("-cc", "2"), False),
    "24-bit direct colour": ("640x480x24", ("-cc", "5"), False),
    "16-bit direct colour": ("640x480x16", ("-cc", "5"), False),
}


@pytest.mark.skipif(any(subprocess.run(["which", tool], capture_output=True).returncode != 0
                        for tool in ("Xvfb", "import", "convert")), reason="needs Xvfb and ImageMagick")
@pytest.mark.parametrize("kind", SCREENS)
def test_the_frame_shows_in_its_colours(private_xvfb, tmp_path, kind):
    expected = shoot(private_xvfb("640x480x24"), tmp_path / "reference.png")
    assert max(expected[1]) - min(expected[1]) > 100, "the button stands out in colour"
    screen, options, fill = SCREENS[kind]
    env = private_xvfb(screen, *options)
    if fill:
        taken = subprocess.run([sys.executable, "-c", FILL_COLORMAP], env=env, capture_output=True, text=True,
                               check=True)
        assert int(taken.stdout) > 100
    shown = shoot(env, tmp_path / "shot.png")
    for got, want in zip(shown, expected):
        if kind in ("8-bit gray map", "8-bit fixed grays"):
            assert luminance(got) == pytest.approx(luminance(want), abs=3), (got, want)
        else:
            # Dithered areas average out to their colour; dark near grays
            # are shown as grays, losing a tint of a few steps.
            assert got == pytest.approx(want, abs=10), (got, want)


@pytest.mark.skipif(any(subprocess.run(["which", tool], capture_output=True).returncode != 0
                        for tool in ("Xvfb", "import", "convert")), reason="needs Xvfb and ImageMagick")
@pytest.mark.parametrize("kind", ["16-bit true colour", "8-bit colour map"])
def test_a_part_that_changes_after_the_first_frame_reaches_the_screen(private_xvfb, tmp_path, kind):
    screen, options, _ = SCREENS[kind]
    panel, button, background = shoot(private_xvfb(screen, *options), tmp_path / "shot.png", "hide the button")
    assert button == pytest.approx(background, abs=10), "the hidden button's place shows the background"
    assert panel != pytest.approx(background, abs=4), "the panel beside it stays"
