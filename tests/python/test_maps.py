"""tkz.maps against the tkz tool (the same library through its command line),
pyproj for the UTM model, and PNG files decoded here."""

import json
import math
import os
import struct
import subprocess
import sys
import zlib

import numpy as np
import pytest

import tkz
import tkz.maps as maps

TOOL = os.environ.get("TKZ_TOOL")
needs_tool = pytest.mark.skipif(not TOOL, reason="TKZ_TOOL not set")


def tool(*args, stdin=None):
    """The JSON lines the tkz tool prints."""
    out = subprocess.run([TOOL, *map(str, args)], input=stdin, capture_output=True, text=True,
                         check=True).stdout
    return [json.loads(line) for line in out.splitlines()]


def read_png(data):
    """An 8-bit RGB PNG (as the library writes it) as an (h, w, 3) array."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat = 8, b""
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            w, h, depth, colour = struct.unpack(">IIBB", body[:10])
            assert (depth, colour) == (8, 2)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    raw = np.frombuffer(zlib.decompress(idat), np.uint8).reshape(h, 1 + 3 * w)
    out = np.zeros((h, 3 * w), np.int32)
    prev = np.zeros(3 * w, np.int32)
    for y in range(h):
        f, line = raw[y, 0], raw[y, 1:].astype(np.int32)
        if f == 0:
            cur = line
        elif f == 2:
            cur = (line + prev) & 255
        else:  # 1 sub, 3 average, 4 Paeth: byte by byte
            cur = np.zeros_like(line)
            for i in range(3 * w):
                a = cur[i - 3] if i >= 3 else 0
                b, c = prev[i], (prev[i - 3] if i >= 3 else 0)
                if f == 1:
                    p = a
                elif f == 3:
                    p = (a + b) // 2
                else:
                    pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                    p = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                cur[i] = (line[i] + p) & 255
        out[y] = prev = cur
    return out.reshape(h, w, 3).astype(np.uint8)


# Synthetic maps of 400 x 300 pixels over 47-49 N, 9-13 E: the reference
# pixels of each model's projection, with a 30-pixel margin as blank maps have.
def equirect(lat, lon):
    return 30 + (lon - 9) * 85, 270 - (lat - 47) * 120


def miller(lat, lon):
    y = math.log(math.tan(math.pi / 4 + 0.4 * math.radians(lat)))
    return 30 + (lon - 9) * 85, 270 - (y - 0.9370) * 4400


def conic(lat, lon):
    from pyproj import Proj
    p = Proj(proj="lcc", lat_1=47.5, lat_2=48.5, lat_0=48, lon_0=11, ellps="WGS84")
    e, n = p(lon, lat)
    return 200 + e / 1000, 150 - n / 1000


GRID = [(47 + i * 0.5, 9 + k * 1.0) for i in range(5) for k in range(5)]
MODELS = {
    "equirect": equirect,
    "biquadraticpn": equirect,
    "millercylindrical": miller,
    "conicconformal": conic,
}


def geo_points(project):
    return [(round(x), round(y), lat, lon) for lat, lon in GRID for x, y in [project(lat, lon)]]


def line_points():
    pts = [(*map(round, equirect(lat, lon)), "meridian", lon) for lon in (9, 11, 13)
           for lat in (47, 48, 49)]
    return pts + [(*map(round, equirect(lat, lon)), "parallel", lat) for lat in (47, 48, 49)
                  for lon in (9, 11, 13)]


def utm_points():
    from pyproj import Proj
    p = Proj(proj="utm", zone=32, ellps="WGS84")
    e0, n0 = p(9.0, 49.0)
    return [(x, y, n0 - 500.0 * y, e0 + 500.0 * x) for x in range(0, 401, 100)
            for y in range(0, 301, 100)], p


@pytest.fixture(scope="module")
def blank(tmp_path_factory):
    """A blank map written by the tool: its calibration file and image."""
    d = tmp_path_factory.mktemp("blank")
    tool("map", "blank", d / "blank", "--lat", 47, 49, "--lon", 9, 13, "--size", "400x300")
    return d / "blank.xml", d / "blank.bmp"


def points_for(model):
    if model == "parabolicip":
        return line_points(), {}
    if model == "utm":
        return utm_points()[0], {"zone": 32}
    return geo_points(MODELS[model]), {}


ALL_MODELS = [*MODELS, "parabolicip", "utm"]
PIXELS = [(x, y) for x in (0, 37, 150, 333, 400) for y in (0, 61, 150, 299)]


@needs_tool
@pytest.mark.parametrize("model", ALL_MODELS)
def test_conversions_equal_the_tools_for_every_model(model, blank, tmp_path):
    points, kw = points_for(model)
    ours = maps.Map(blank[1])
    ours.calibrate(points, model, **kw)
    cal = tmp_path / "cal.xml"
    ours.save_calibration(cal, "m1")
    m = maps.load(cal, "M1")  # ids are found in any case
    assert m.model == model and m.has_image and (m.width, m.height) == (400, 300)
    pix = "".join(f"{x} {y}\n" for x, y in PIXELS)
    for (x, y), j in zip(PIXELS, tool("map", "pix2geo", cal, "m1", "-", stdin=pix)):
        lat, lon = m.pix2geo(x, y)
        assert j["valid"] and abs(lat - j["lat"]) < 1e-9 and abs(lon - j["lon"]) < 1e-9
    geo = "".join(f"{lat} {lon}\n" for lat, lon in GRID)
    for (lat, lon), j in zip(GRID, tool("map", "geo2pix", cal, "m1", "-", stdin=geo)):
        assert m.geo2pix(lat, lon) == (j["x"], j["y"])
    info = tool("map", "info", cal, "m1")[0]
    q = m.quality()
    assert (q.quality_x, q.quality_y) == pytest.approx((info["quality"]["x"],
                                                        info["quality"]["y"]), abs=1e-6)
    assert m.resolution == pytest.approx(info["resolution"], abs=1e-3)


@pytest.mark.parametrize("model, bound", [("equirect", 1), ("biquadraticpn", 1),
                                          ("millercylindrical", 1), ("conicconformal", 1.5),
                                          ("parabolicip", 1), ("utm", 1)])
def test_round_trip_within_the_models_accuracy(model, bound, blank):
    points, kw = points_for(model)
    m = maps.Map(size=(400, 300))
    q = m.calibrate(points, model, **kw)
    if model != "parabolicip":
        assert q.points == len(points) and max(abs(r.dx) + abs(r.dy) for r in q.residuals) <= 2
    x, y = np.meshgrid(np.arange(40, 361, 16.0), np.arange(40, 261, 16.0))
    back = m.geo2pix(*m.pix2geo(x, y))
    assert np.nanmax(np.hypot(back[0] - x, back[1] - y)) <= bound


def test_arrays_broadcast_and_equal_the_scalar_results(blank):
    m = maps.load(blank[0])
    xs = np.array([[0.0, 12.5, 400.0], [-5e9, np.nan, 150.0]])
    lat, lon = m.pix2geo(xs, 100)  # a scalar broadcast against an array
    assert lat.shape == lon.shape == (2, 3)
    for i, x in np.ndenumerate(xs):
        s = m.pix2geo(float(x), 100)
        np.testing.assert_array_equal([lat[i], lon[i]], s)
    assert np.isnan(lat[1, 1]) and np.isnan(lon[1, 1])
    px, py = m.geo2pix([[48.0], [47.5]], [9.5, 10.5, 12.0])
    assert px.shape == (2, 3)
    for (i, k), v in np.ndenumerate(px):
        assert (v, py[i, k]) == m.geo2pix([48.0, 47.5][i], [9.5, 10.5, 12.0][k])
    assert m.pix2geo(np.int64(3), 4) == m.pix2geo(3.0, 4.0)  # numpy scalars are numbers
    with pytest.raises(ValueError):
        m.pix2geo(np.zeros(3), np.zeros(4))


def test_array_conversions_release_the_gil(blank, releases_gil):
    m = maps.load(blank[0])
    x = np.linspace(0, 400, 300_000)
    lat, lon = releases_gil(lambda: m.pix2geo(x, x))
    px, _ = releases_gil(lambda: m.geo2pix(lat, lon))
    assert np.nanmax(np.abs(px - x)) <= 1


def test_utm_model_agrees_with_pyproj():
    points, proj = utm_points()
    m = maps.Map(size=(400, 300))
    m.calibrate(points, "utm", zone=32)
    assert (m.utm_zone, m.utm_south, m.ellipsoid) == (32, False, "gelWGS84")
    x, y = np.meshgrid(np.linspace(0, 400, 9), np.linspace(0, 300, 7))
    e0, n0 = points[0][3], points[0][2]
    lon, lat = proj(e0 + 500 * x, n0 - 500 * y, inverse=True)
    ours = m.pix2geo(x, y)
    print("largest difference from pyproj (deg):", np.abs(ours[0] - lat).max(),
          np.abs(ours[1] - lon).max())
    assert np.abs(ours[0] - lat).max() < 1e-8 and np.abs(ours[1] - lon).max() < 1e-8
    n, e = m.geo2utm(lat, lon)
    assert np.abs(e - (e0 + 500 * x)).max() < 1e-3 and np.abs(n - (n0 - 500 * y)).max() < 1e-3
    np.testing.assert_array_equal(m.utm2pix(n0 - 500 * y, e0 + 500 * x), (np.round(x), np.round(y)))


def test_calibration_quality_shows_a_displaced_point():
    points = geo_points(equirect)
    points[7] = (points[7][0] + 12, *points[7][1:])
    m = maps.Map(size=(400, 300))
    q = m.calibrate(points, "equirect")
    worst = max(q.residuals, key=lambda r: abs(r.dx))
    assert (worst.x, worst.y) == points[7][:2] and worst.dx < -8
    assert q.rms_x > 1 and q.quality_x > 0 and q.rms_y < 1


@pytest.mark.parametrize("call, message", [
    (lambda m: m.calibrate([(0, 0, 47, 9), (10, 10, 48, 10)], "equirect"), "at least 3"),
    (lambda m: m.calibrate([(i, i, 47 + i, 9 + i) for i in range(5)], "biquadraticpn"),
     "at least 6"),
    (lambda m: m.calibrate([(0, 0, 47, 9)] * 3, "utm"), "zone"),
    (lambda m: m.calibrate([(0, 0, 47, 9)] * 3, "mercator"), "unknown calibration model"),
    (lambda m: m.calibrate([(0, 0, "meridian", 9)] * 3, "parabolicip"), "two meridians"),
    (lambda m: m.calibrate([(0, 0, 47, 9)] * 201, "equirect"), "at most 200"),
])
def test_failed_calibrations_raise_and_keep_the_previous_one(call, message):
    m = maps.Map(size=(400, 300))
    m.calibrate(geo_points(equirect), "equirect")
    before = m.pix2geo(123, 45)
    with pytest.raises(tkz.MapError, match=message):
        call(m)
    assert m.model == "equirect" and m.pix2geo(123, 45) == before


def test_calibration_files_errors_and_several_ids(blank, tmp_path):
    with pytest.raises(tkz.MapError, match="no such file"):
        maps.load(tmp_path / "missing.xml")
    with pytest.raises(tkz.MapError, match='no calibration with id "nope"'):
        maps.load(blank[0], "nope")
    with pytest.raises(tkz.MapError, match="no such file"):
        maps.Map(tmp_path / "missing.jpg")
    m = maps.load(blank[0])
    cal = tmp_path / "two.xml"
    m.save_calibration(cal, "first")
    m.calibrate(geo_points(miller), "millercylindrical")
    m.save_calibration(cal, "Second", append=True)
    with pytest.raises(tkz.MapError, match="already"):
        m.save_calibration(cal, "SECOND", append=True)
    assert maps.calibration_ids(cal) == ["first", "Second"]
    assert maps.load(cal, "second").model == "millercylindrical"
    assert maps.load(cal).model == "biquadraticpn"
    # A block whose count disagrees with its points: the library's message.
    bad = tmp_path / "bad.xml"
    bad.write_text(cal.read_text().replace('npoints="9"', 'npoints="8"', 1))
    with pytest.raises(tkz.MapError, match="does not match"):
        maps.load(bad)


def test_image_is_found_beside_the_calibration_in_any_case(blank, tmp_path):
    (tmp_path / "sub").mkdir()
    (tmp_path / "sub" / "BLANK.BMP").write_bytes(blank[1].read_bytes())
    cal = tmp_path / "sub" / "c.xml"
    cal.write_text(blank[0].read_text())
    m = maps.load(cal)
    assert m.has_image and m.image_name.endswith("BLANK.BMP")
    other = maps.load(cal, image=np.zeros((30, 40, 3), np.uint8))
    assert (other.width, other.height) == (40, 30)


@needs_tool
@pytest.mark.parametrize("grat, kw", [("", {}), ("lines", {"graticule": True,
                                                           "calibration_points": True}),
                                      ("points", {"calibration_points": True})])
def test_render_equals_the_tools_picture_and_the_array(grat, kw, blank, tmp_path):
    lm = tmp_path / "lm.xml"
    m = maps.load(blank[0])
    m.landmarks.add(48, 11, element=maps.Element.SQUARE, fill="#00FF00", size=6)
    m.landmarks.save(lm)
    args = ["map", "render", blank[0], tmp_path / "tool.png", "--size", "300x200",
            "--landmarks", lm] + (["--grat", grat] if grat else [])
    tool(*args)
    expected = read_png((tmp_path / "tool.png").read_bytes())
    m.render(tmp_path / "ours.png", size=(300, 200), **kw)
    np.testing.assert_array_equal(read_png((tmp_path / "ours.png").read_bytes()), expected)
    np.testing.assert_array_equal(read_png(m.render(**kw)), expected)
    np.testing.assert_array_equal(m.render_array(**kw), expected)


def test_array_channels_and_landmark_colours(blank):
    rng = np.random.default_rng(7)
    img = rng.integers(0, 256, (50, 70, 3), dtype=np.uint8)
    m = maps.Map(img)
    np.testing.assert_array_equal(m.to_array(), img)  # red first, both ways
    m.calibrate([(0, 0, 49, 9), (70, 0, 49, 13), (0, 50, 47, 9), (70, 50, 47, 13)], "equirect")
    m.landmarks.add(48, 11, element="Square", fill=(10, 200, 30), size=5)
    x, y = m.geo2pix(48, 11)
    assert tuple(m.to_array()[int(y), int(x)]) == (10, 200, 30)
    np.testing.assert_array_equal(m.to_array(landmarks=False), img)
    with pytest.raises(ValueError):
        maps.Map(np.zeros((4, 4, 4), np.uint8))
    with pytest.raises(tkz.MapError, match="no image"):
        maps.Map(size=(10, 10)).render_array()


def test_view_window_and_centre(blank):
    m = maps.load(blank[0])
    m.zoom_to((47.5, 48.5), (10, 12), size=(200, 100))
    v = m.view
    assert (v.width, v.height) == (200, 100)
    for lat in (47.5, 48.5):
        for lon in (10, 12):
            x, y = m.geo2pix(lat, lon)
            assert v.left - 1 <= x <= v.left + 200 / v.magnification + 1
            assert v.top - 1 <= y <= v.top + 100 / v.magnification + 1
    m.set_view(magnification=2, center=(48, 11))
    x, y = m.geo2pix(48, 11)
    v = m.view
    assert v.magnification == 2 and abs(v.left + 50 - x) <= 1 and abs(v.top + 25 - y) <= 1
    zoomed = m.render_array()
    m.fit()
    assert m.view.magnification < 1 and not np.array_equal(m.render_array(), zoomed)
    with pytest.raises(ValueError):
        m.set_view(magnification=0)


@needs_tool
def test_landmarks_edit_and_files(tmp_path):
    m = maps.Map(size=(100, 100))
    lms = m.landmarks
    lms.append(maps.Landmark(47.3769, 8.5417, 408, element=maps.Element.TRIANGLE, lm_class=2,
                             identifier="ZRH-AIRPORT-LONGNAME", timestamp=45292.5,
                             color="#102030", caption=maps.Caption("Zürich", font_size=11)))
    lms.add(46.948, 7.447, 540, caption=maps.Caption("Bern"), element=maps.Element.PLUS)
    lms.add(46.2, 6.15, lm_class=3)
    assert len(lms) == 3 and lms[0].identifier == "ZRH-AIRPORT-LON"  # 15 characters kept
    assert lms.find(47.4, 8.5) == 0 and lms.find(47.4, 8.5, lm_class=3) == 2
    f = tmp_path / "trip.xml"
    lms.save(f, "trip")
    listed = tool("landmarks", f, "trip")
    stored = {maps.Element.PLUS: maps.Element.CROSS}  # the file has no plus
    assert [(j["lat"], j["lon"], j["class"], j["element"], j["caption"]["text"], j["colorfg"])
            for j in listed] == [(lm.lat, lm.lon, lm.lm_class,
                                  maps.ELEMENT_NAMES[stored.get(lm.element, lm.element)],
                                  lm.caption.text, lm.color) for lm in lms]
    other = maps.Map(size=(10, 10))
    other.landmarks.load(f, "TRIP")
    assert other.landmarks[0] == lms[0]
    assert other.landmarks[1].element == maps.Element.CROSS  # PLUS is stored as a cross
    assert lms.remove_near(47.4, 8.5, 0.5) == 1 and len(lms) == 2
    assert lms.remove_within((46, 47), (6, 7)) == 1 and lms[0].caption.text == "Bern"
    del lms[-1]
    assert len(lms) == 0
    with pytest.raises(IndexError):
        lms[0]
    with pytest.raises(tkz.MapError, match='no landmarks with id "x"'):
        lms.load(f, "x")
    with pytest.raises(TypeError):
        maps.Landmark(1, 2, colour="#000000")


def test_symbol_files_round_trip(tmp_path):
    symbols = [maps.Symbol("well", element="Circle", size=4, fill="#0000FF", category=2),
               maps.Symbol("wind", element=maps.Element.ARROW_TO, direction=45, length=30)]
    maps.save_symbols(tmp_path / "s.xml", symbols, "mine")
    assert maps.load_symbols(tmp_path / "s.xml", "mine") == symbols
    lm = maps.Landmark(0, 0)
    lm.set_symbol(symbols[1])
    assert (lm.element, lm.direction, lm.length) == (maps.Element.ARROW_TO, 45, 30)
    with pytest.raises(tkz.InOutError):
        maps.load_symbols(tmp_path / "none.xml")


@needs_tool
def test_atlas_finds_and_switches_maps(tmp_path):
    for name, lat, lon, size in [("europe", (35, 60), (-10, 30), "800x600"),
                                 ("alps", (45, 48), (5, 15), "800x600")]:
        tool("map", "blank", tmp_path / name, "--lat", *lat, "--lon", *lon, "--size", size)
    (tmp_path / "atlas.txt").write_text("# tkz atlas\n\neurope.xml\n# comment\nalps.xml\n")
    atlas = maps.Atlas.open(tmp_path / "atlas.txt")
    assert [i.name for i in atlas.maps] == ["europe.bmp", "alps.bmp"]
    assert atlas.maps_at(46.5, 10) == [1, 0] and atlas.maps_at(55, 0) == [0]
    assert atlas.maps_at(10, 10) == [] and atlas.selected is None
    atlas.select(0)
    assert atlas.zoom_in(46.5, 10) and atlas.selected == 1
    assert atlas.map.has_image and atlas.map.model == "biquadraticpn"
    assert not atlas.zoom_in(46.5, 10)
    assert atlas.zoom_out(46.5, 10) and atlas.selected == 0
    shown = atlas.map.render_array(size=(200, 150))
    atlas.outlines = False
    assert not np.array_equal(atlas.map.render_array(size=(200, 150)), shown)
    with pytest.raises(tkz.MapError, match="no such file"):
        atlas.register(tmp_path / "none.xml")
    with pytest.raises(tkz.MapError, match="not an atlas"):
        maps.Atlas.open(tmp_path / "europe.xml")


def test_scalar_calls_work_without_numpy(blank):
    code = (
        "import sys; sys.modules['numpy'] = None\n"
        "import tkz.maps as m\n"
        f"mp = m.load({str(blank[0])!r})\n"
        "lat, lon = mp.pix2geo(100, 100); x, y = mp.geo2pix(lat, lon)\n"
        "assert (x, y) == (100.0, 100.0), (x, y)\n"
        "mp.landmarks.add(48, 11); assert len(mp.render(size=(50, 40))) > 100\n"
        "try:\n    mp.pix2geo([1.0], [2.0])\nexcept ImportError:\n    print('no numpy')\n")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                         env=os.environ)
    assert out.returncode == 0, out.stderr
    assert out.stdout.strip() == "no numpy"
