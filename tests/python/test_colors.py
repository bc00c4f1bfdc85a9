"""tkz.colors against colorsys and the X11 colour database."""

import colorsys
from fractions import Fraction
import pathlib

import numpy as np
import pytest

import tkz
from tkz import colors

rng = np.random.default_rng(3)
RANDOM = [tuple(int(v) for v in c) for c in rng.integers(0, 256, size=(300, 3))]
RGB_TXT = pathlib.Path("/usr/share/X11/rgb.txt")
# Names whose values follow the 16-colour palette or were changed on purpose.
NOT_X11 = {"gray", "green", "maroon", "purple", "skyblue", "skyblue1"}


def test_named_colours_agree_with_the_x11_database():
    x11 = {}
    for line in RGB_TXT.read_text().splitlines()[1:]:
        *rgb, name = line.split(None, 3)
        x11.setdefault(name.replace(" ", "").lower(), tuple(map(int, rgb)))
    names = colors.names()
    assert len(names) == 466 and len(set(n.lower() for n in names)) == 466
    compared = 0
    for name in names:
        key = name.lower()
        if key in x11 and key not in NOT_X11 and not key.startswith("grey"):
            assert colors.rgb(name) == x11[key], name
            compared += 1
    assert compared > 400
    assert colors.rgb("SKYBLUE") == colors.rgb("skyblue")
    assert colors.name(colors.rgb("Gold")) == "Gold" and colors.name((1, 2, 3)) is None


def test_models_agree_with_colorsys():
    for rgb in RANDOM:
        r, g, b = (v / 255 for v in rgb)
        h, l, s = colorsys.rgb_to_hls(r, g, b)
        assert colors.to_hsl(rgb) == pytest.approx((h * 360, s, l), abs=1e-9)
        h, s, v = colorsys.rgb_to_hsv(r, g, b)
        if s > 0:
            assert colors.to_hsv(rgb) == pytest.approx((h * 360, s, v), abs=1e-9)
        for to, back in ((colors.to_hsl, colors.from_hsl), (colors.to_hsv, colors.from_hsv),
                         (colors.to_cmy, colors.from_cmy), (colors.to_cmyk, colors.from_cmyk)):
            assert back(*to(rgb)) == rgb, (to.__name__, rgb)
        assert max(abs(x - y) for x, y in zip(colors.from_hsi(*colors.to_hsi(rgb)), rgb)) <= 1
        assert colors.gray(rgb) == round(Fraction(30 * rgb[0] + 59 * rgb[1] + 11 * rgb[2], 100))
        assert colors.invert(rgb) == tuple(255 - v for v in rgb)


def test_forms_of_a_colour_and_errors():
    assert colors.rgb("#FF8000") == colors.rgb([255, 128, 0]) == (255, 128, 0)
    assert colors.hex((255, 128, 0)) == "#ff8000"
    assert colors.distance("black", "white") == pytest.approx(1.0)
    assert colors.interpolate("black", "white", 0.5) == (127, 127, 127)
    assert colors.wavelength(300) == (0, 0, 0) and colors.wavelength(700)[0] > 0
    for bad, err in (("no such colour", tkz.ColorError), ("#12345z", tkz.ColorError),
                     ((0, 256, 0), tkz.ColorError), ((1, 2), TypeError), (None, TypeError)):
        with pytest.raises(err):
            colors.rgb(bad)


def test_scales_and_colorize():
    for name in colors.SCALES:
        scale = colors.scale(name, size=64)
        assert len(scale) == 64
    assert colors.scale(["red"], size=3) == [(255, 0, 0)] * 3
    assert len(set(colors.scale("rainbow", size=100, steps=4))) <= 5
    with pytest.raises(tkz.ColorError, match="unknown colour scale"):
        colors.scale("plasma")
    values = np.linspace(-1, 1, 12).reshape(3, 4)
    values[1, 1] = np.nan
    image = colors.colorize(values, keys="geo1", size=50)
    scale = colors.scale("geo1", size=50)
    assert image.shape == (3, 4, 3) and image.dtype == np.uint8
    assert tuple(image[0, 0]) == scale[0] and tuple(image[2, 3]) == scale[-1]
    assert tuple(image[1, 1]) == (0, 0, 0)
    clamped = colors.colorize([5.0, -5.0], vmin=0, vmax=1, keys="geo1", size=50)
    assert [tuple(c) for c in clamped] == [scale[-1], scale[0]]
