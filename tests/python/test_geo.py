"""tkz.geo against PROJ (pyproj) and the tkz program, for points and arrays.

Each oracle test measures the largest difference on thousands of random
points, prints it, and asserts a bound just above it.
"""

import json
import os
import subprocess
import sys

import numpy as np
import pytest

import tkz
import tkz.geo as geo

pyproj = pytest.importorskip("pyproj")

RNG_SEED = 20240611
TOOL = os.environ.get("TKZ_TOOL")
METRES_PER_DEGREE = 111_320.0


def rng():
    return np.random.default_rng(RNG_SEED)


def horizontal(lat, dlat, dlon):
    """Largest horizontal distance in metres of differences in degrees."""
    east = np.abs(np.remainder(dlon + 180, 360) - 180) * np.cos(np.radians(lat))
    return max(np.abs(dlat).max(), east.max()) * METRES_PER_DEGREE


def report(what, diff):
    print(f"{what}: largest difference {diff:.3g}")
    return diff


def transformer(src, dst):
    return pyproj.Transformer.from_crs(src, dst, always_xy=True)


def utm_crs(zone, south):
    return f"EPSG:{32700 + zone if south else 32600 + zone}"


def random_points(n, lat_lo, lat_hi, lon_lo=-180.0, lon_hi=180.0):
    r = rng()
    return r.uniform(lat_lo, lat_hi, n), r.uniform(lon_lo, lon_hi, n)


def tool_lines(*args, stdin):
    """JSON lines of the tkz program fed one set of fields per line."""
    if not TOOL:
        pytest.skip("TKZ_TOOL not set")
    out = subprocess.run([TOOL, *args], input=stdin, capture_output=True, text=True, check=False)
    return [json.loads(line) for line in out.stdout.splitlines()]


# ------------------------------------------------------------ UTM and UPS

def test_utm_matches_proj_in_every_zone_and_the_tool_on_zone_and_band():
    lat, lon = random_points(6000, -80, 84)
    r = geo.utm(lat, lon)
    assert r.zone.dtype == np.int32 and r.band.dtype == np.dtype("<U1")
    worst = 0.0
    for zone in np.unique(r.zone):
        for south in (False, True):
            sel = (r.zone == zone) & ((lat < 0) == south)
            if not sel.any():
                continue
            e, n = transformer("EPSG:4326", utm_crs(int(zone), south)).transform(lon[sel], lat[sel])
            worst = max(worst, np.abs(e - r.easting[sel]).max(), np.abs(n - r.northing[sel]).max())
    assert report("utm vs PROJ (m)", worst) < 2e-5
    # Zones and bands, Norway and Svalbard included, as the C++ tool gives them.
    some = slice(0, 1500)
    lines = tool_lines("geo", "utm", "-", stdin="".join(
        f"{a!r} {b!r}\n" for a, b in zip(lat[some], lon[some])))
    assert [(d["zone"], d["band"]) for d in lines] == list(zip(r.zone[some].tolist(), r.band[some].tolist()))
    assert np.abs(np.array([d["easting"] for d in lines]) - r.easting[some]).max() <= 0.0005


@pytest.mark.parametrize("forced, lon_lo, lon_hi", [
    (32, 0.0, 18.0),      # both neighbours of zone 32, 9 degrees either side
    (1, 174.0, 180.0),    # zone 1 across the antimeridian
    (60, -180.0, -174.0),
])
def test_forced_zone_matches_proj(forced, lon_lo, lon_hi):
    lat, lon = random_points(3000, -80, 84, lon_lo, lon_hi)
    r = geo.utm(lat, lon, zone=forced)
    assert (r.zone == forced).all()
    worst = 0.0
    for south in (False, True):
        sel = (lat < 0) == south
        e, n = transformer("EPSG:4326", utm_crs(forced, south)).transform(lon[sel], lat[sel])
        worst = max(worst, np.abs(e - r.easting[sel]).max(), np.abs(n - r.northing[sel]).max())
    # The series is good to about a centimetre 9 degrees from the meridian.
    assert report(f"utm zone={forced} vs PROJ (m)", worst) < 0.012
    # The inverse takes the forced results back.
    back = geo.latlon(r.zone, r.band, r.easting, r.northing)
    # The inverse series at 9 degrees from the meridian: centimetres.
    assert report("utm zone round trip (m)", horizontal(lat, back.lat - lat, back.lon - lon)) < 0.016


def test_utm_inverse_matches_proj():
    lat, lon = random_points(5000, -80, 84)
    fwd = geo.utm(lat, lon)
    back = geo.latlon(fwd.zone, fwd.band, fwd.easting, fwd.northing)
    worst = 0.0
    for zone in np.unique(fwd.zone):
        for south in (False, True):
            sel = (fwd.zone == zone) & ((lat < 0) == south)
            if not sel.any():
                continue
            plon, plat = transformer(utm_crs(int(zone), south), "EPSG:4326").transform(
                fwd.easting[sel], fwd.northing[sel])
            worst = max(worst, np.abs(plat - back.lat[sel]).max(), np.abs(plon - back.lon[sel]).max())
    # Up to 6 degrees from the meridian in Norway and Svalbard: below a millimetre.
    assert report("latlon vs PROJ (m)", worst * METRES_PER_DEGREE) < 1e-3
    # Hemisphere words work like bands.
    hemi = np.where(lat < 0, "south", "north")
    assert np.array_equal(geo.latlon(fwd.zone, hemi, fwd.easting, fwd.northing).lat, back.lat)


def test_ups_both_ways_match_proj():
    lat_n, lon_n = random_points(3000, 83.5, 90)
    lat_s, lon_s = random_points(3000, -90, -79.5)
    worst = worst_inv = 0.0
    for lat, lon, crs, hemi in ((lat_n, lon_n, "EPSG:32661", "N"), (lat_s, lon_s, "EPSG:32761", "S")):
        r = geo.ups(lat, lon)
        assert (r.hemisphere == hemi).all()
        e, n = transformer("EPSG:4326", crs).transform(lon, lat)
        worst = max(worst, np.abs(e - r.easting).max(), np.abs(n - r.northing).max())
        back = geo.ups_to_latlon(hemi, r.easting, r.northing)
        plon, plat = transformer(crs, "EPSG:4326").transform(r.easting, r.northing)
        near_pole = np.abs(lat) > 89.9999  # where longitude is ill-defined
        dlon = np.abs(np.remainder(plon - back.lon + 180, 360) - 180)[~near_pole]
        worst_inv = max(worst_inv, np.abs(plat - back.lat).max(), dlon.max() * 1e-3)
    assert report("ups vs PROJ (m)", worst) < 1e-7
    assert report("ups_to_latlon vs PROJ (degrees)", worst_inv) < 1e-11


# ------------------------------------------------------------ datum shifts

def helmert_proj(datum):
    ell = geo.ellipsoid(datum.ellipsoid)
    params = ",".join(repr(float(v)) for v in (datum.dx, datum.dy, datum.dz, datum.rx, datum.ry,
                                                datum.rz, datum.scale))
    return pyproj.CRS(f"+proj=longlat +a={ell.a!r} +b={ell.b!r} +towgs84={params} +no_defs "
                      "+type=crs").to_3d()


WGS84_3D = pyproj.CRS("+proj=longlat +ellps=WGS84 +towgs84=0,0,0 +no_defs +type=crs").to_3d()


def seven_parameter_datums():
    return [d for d in geo.datums() if d.scale or d.rx or d.ry or d.rz]


def test_helmert_to_and_from_wgs84_matches_proj_for_every_seven_parameter_datum():
    lat, lon = random_points(400, -89, 89)
    h = rng().uniform(-100, 3000, lat.size)
    worst_to = worst_from = worst_h = 0.0
    datums = seven_parameter_datums()
    assert len(datums) >= 10
    for d in datums:
        to_wgs = geo.helmert(lat, lon, h, d, "WGS84")
        plon, plat, ph = pyproj.Transformer.from_crs(helmert_proj(d), WGS84_3D, always_xy=True) \
            .transform(lon, lat, h)
        worst_to = max(worst_to, horizontal(lat, plat - to_wgs.lat, plon - to_wgs.lon))
        worst_h = max(worst_h, np.abs(ph - to_wgs.height).max())
        back = geo.helmert(lat, lon, h, 269, d.number)
        plon, plat, ph = pyproj.Transformer.from_crs(WGS84_3D, helmert_proj(d), always_xy=True) \
            .transform(lon, lat, h)
        worst_from = max(worst_from, horizontal(lat, plat - back.lat, plon - back.lon),
                         np.abs(ph - back.height).max())
    assert report("helmert to WGS 84 vs PROJ (m)", worst_to) < 5e-6
    assert report("helmert height to WGS 84 vs PROJ (m)", worst_h) < 5e-6
    # The way back is a first-order inverse (see geobasics.h): centimetres.
    assert report("helmert from WGS 84 vs PROJ (m)", worst_from) < 0.035


def test_helmert_three_parameter_datum_between_two_datums_matches_proj():
    ed50 = geo.datum(75)
    osgb = geo.datum("ORDNANCE GB 1936")
    lat, lon = random_points(2000, 49, 61, -8, 2)
    r = geo.helmert(lat, lon, 0.0, osgb, ed50)
    plon, plat, _ = pyproj.Transformer.from_crs(helmert_proj(osgb), helmert_proj(ed50),
                                                always_xy=True).transform(lon, lat, np.zeros_like(lat))
    worst = horizontal(lat, plat - r.lat, plon - r.lon)
    assert report("helmert OSGB36 -> ED50 vs PROJ (m)", worst) < 5e-6


def test_helmert_same_definition_returns_the_input_and_scalars_match_arrays():
    assert geo.helmert(47.5, 8.25, 400.0, 86, 269) == (47.5, 8.25, 400.0)  # ETRF89 = WGS 84 rows
    lat, lon = random_points(50, -60, 60)
    arr = geo.helmert(lat, lon, 10.0, 183, 31)
    for i in range(0, 50, 7):
        assert geo.helmert(float(lat[i]), float(lon[i]), 10.0, 183, 31) == (
            arr.lat[i], arr.lon[i], arr.height[i])


# --------------------------------------------- TM, geocentric, ellipsoids

@pytest.mark.parametrize("ellipsoid", ["WGS84", "Clrk66", "Airy30", "Krass40", "Bess41"])
def test_transverse_mercator_and_geocentric_match_proj(ellipsoid):
    ell = geo.ellipsoid(ellipsoid)
    axes = f"+a={ell.a!r} +b={ell.b!r}"
    lat, lon = random_points(3000, -84, 84, 12, 18)
    tm = geo.tm(lat, lon, 15.0, ellipsoid, scale=0.9999, false_easting=500000.0,
                false_northing=-100.0)
    px, py = transformer("+proj=longlat " + axes,
                         f"+proj=tmerc +lon_0=15 +k=0.9999 +x_0=500000 +y_0=-100 {axes}") \
        .transform(lon, lat)
    worst = max(np.abs(px - tm.x).max(), np.abs(py - tm.y).max())
    assert report(f"tm {ellipsoid} vs PROJ (m)", worst) < 2e-5
    back = geo.tm_to_latlon(tm.x, tm.y, 15.0, ellipsoid, scale=0.9999, false_easting=500000.0,
                            false_northing=-100.0)
    assert max(np.abs(back.lat - lat).max(), np.abs(back.lon - lon).max()) < 1e-9

    lat, lon = random_points(3000, -90, 90)
    h = rng().uniform(-500, 9000, lat.size)
    xyz = geo.geocentric(lat, lon, h, ellipsoid)
    px, py, pz = transformer("+proj=longlat " + axes, "+proj=geocent " + axes).transform(lon, lat, h)
    worst = max(np.abs(px - xyz.x).max(), np.abs(py - xyz.y).max(), np.abs(pz - xyz.z).max())
    assert report(f"geocentric {ellipsoid} vs PROJ (m)", worst) < 5e-7
    g = geo.geographic(xyz.x, xyz.y, xyz.z, ellipsoid)
    plon, plat, ph = transformer("+proj=geocent " + axes, "+proj=longlat " + axes).transform(
        xyz.x, xyz.y, xyz.z)
    worst = max(np.abs(plat - g.lat).max() * METRES_PER_DEGREE, np.abs(ph - g.height).max())
    assert report(f"geographic {ellipsoid} vs PROJ (m)", worst) < 2e-6


def test_ellipsoid_and_datum_tables_match_the_tool():
    ells = geo.ellipsoids()
    assert len(ells) == 61 and len(geo.datums()) == 271
    lines = tool_lines("geo", "ellipsoids", stdin="")
    assert [(e.index, e.id, e.name, e.a, e.b) for e in ells] == [
        (d["index"], d["id"], d["name"], d["a"], d["b"]) for d in lines]
    assert all(abs(e.inverse_flattening - d["rf"]) <= 1e-9 * max(1, d["rf"]) for e, d in zip(ells, lines))
    lines = tool_lines("geo", "datums", stdin="")
    assert [(d.number, d.name, geo.ellipsoid(d.ellipsoid).id, d.dx, d.scale, d.rz) for d in geo.datums()] == [
        (d["number"], d["name"], d["ellipsoid"], d["dx"], d["scale"], d["rz"]) for d in lines]
    # Lookups by member, index, identifier and name agree.
    assert geo.ellipsoid(geo.Ellipsoid.Int24) == geo.ellipsoid(10) == geo.ellipsoid("gelint24") \
        == geo.ellipsoid("International 1924") == geo.ellipsoid("INT24")
    assert geo.WGS84 is geo.Ellipsoid.WGS84
    assert geo.datum("ordnance gb 1936").number == 183 and geo.datum("WGS 84").number == 269
    assert {d.number for d in geo.datums("tokyo")} == {262, 263, 264}


# ----------------------------------------------------------------- errors

@pytest.mark.parametrize("call, message", [
    (lambda: geo.utm(84.5, 10), "latitude outside the UTM area -80..84: 84.5"),
    (lambda: geo.utm(float("nan"), 10), "latitude outside the UTM area"),
    (lambda: geo.utm(10, float("inf")), "longitude not finite: inf"),
    (lambda: geo.utm(10, 10, zone=0), "zone outside 1..60: 0"),
    (lambda: geo.utm(10, 30, zone=32), "more than 9 degrees from the central meridian"),
    (lambda: geo.utm(10, 10, ellipsoid=61), "invalid ellipsoid 61"),
    (lambda: geo.utm(10, 10, ellipsoid=-1), "invalid ellipsoid -1"),
    (lambda: geo.utm(10, 10, ellipsoid=2**80), "invalid ellipsoid 1208925819614629174706176"),
    (lambda: geo.utm(10, 10, ellipsoid="Mars 2000"), 'unknown ellipsoid "Mars 2000"'),
    (lambda: geo.utm_zone(-81, 0), "latitude outside the UTM area"),
    (lambda: geo.latlon(61, "U", 500000, 5e6), "zone outside 1..60: 61"),
    (lambda: geo.latlon(32, "O", 500000, 5e6), "band or hemisphere not understood"),
    (lambda: geo.latlon(32, "U", -6e5 - 1, 5e6), "easting outside -600000..1600000: -600001"),
    (lambda: geo.latlon(32, "south", 500000, 100), "northing outside 900000..19600000 (south): 100"),
    (lambda: geo.latlon(32, "X", 999000, 9.3e6), "more than 9 degrees from the central meridian"),
    (lambda: geo.ups(60, 0), "latitude outside the UPS areas (>= 83.5 or <= -79.5): 60"),
    (lambda: geo.ups(91, 0), "latitude outside -90..90: 91"),
    (lambda: geo.ups_to_latlon("E", 2e6, 2e6), "hemisphere not understood"),
    (lambda: geo.ups_to_latlon("N", 1e6, 2e6), "easting outside 1200000..2800000 (north): 1000000"),
    (lambda: geo.helmert(10, 10, 0, 0, 269), "invalid source datum 0 (datums are 1..271)"),
    (lambda: geo.helmert(10, 10, 0, 1, 272), "invalid target datum 272 (datums are 1..271)"),
    (lambda: geo.helmert(np.zeros(3), 10, 0, 1, 272), "invalid target datum 272"),
    (lambda: geo.helmert(10, 10, 0, "ATLANTIS", 1), 'unknown source datum "ATLANTIS"'),
    (lambda: geo.helmert(10, 10, 0, "ARC 1950", 1), 'ambiguous source datum "ARC 1950": rows 15, 16'),
    (lambda: geo.helmert(95, 10, 0, 1, 2), "latitude outside -90..90: 95"),
    (lambda: geo.helmert(10, 181, 0, 1, 2), "longitude outside -180..180: 181"),
    (lambda: geo.tm(10, 10, float("nan")), "central meridian not finite"),
    (lambda: geo.tm(10, 10, 9, scale=0), "scale not a positive number: 0"),
    (lambda: geo.geocentric(-91, 0), "latitude outside -90..90: -91"),
    (lambda: geo.geographic(float("nan"), 0, 0), "coordinate not finite"),
])
def test_bad_values_raise_geo_error_with_the_value(call, message):
    with pytest.raises(tkz.GeoError) as info:
        call()
    assert message in str(info.value)


@pytest.mark.parametrize("call, error", [
    (lambda: geo.utm("ten", 10), ValueError),
    (lambda: geo.utm(10, 10, zone=32.0), TypeError),
    (lambda: geo.utm(10, 10, ellipsoid=1.5), TypeError),
    (lambda: geo.helmert(10, 10, 0, 1.0, 2), TypeError),
    (lambda: geo.utm(np.zeros(3), np.zeros(4)), ValueError),
    (lambda: geo.latlon(32, np.array([1.5, 2.5]), 5e5, 5e6), TypeError),
])
def test_python_misuse_raises_type_or_value_error(call, error):
    with pytest.raises(error):
        call()


# ------------------------------------------------------------------ arrays

def test_arrays_broadcast_keep_their_shape_and_equal_the_scalar_results():
    lat = np.linspace(-79, 83, 12).reshape(3, 4)[:, ::2]     # non-contiguous (3, 2)
    lon = np.array([[-177], [3], [45]], dtype=np.int32)      # integers, (3, 1)
    r = geo.utm(lat, lon)
    assert r.zone.shape == r.band.shape == r.easting.shape == (3, 2)
    for i in range(3):
        for j in range(2):
            s = geo.utm(float(lat[i, j]), int(lon[i, 0]))
            assert (r.zone[i, j], r.band[i, j], r.easting[i, j], r.northing[i, j]) == s
    t = geo.utm(lat.T, lon.T)                                 # Fortran order, (2, 3) with (1, 3)
    assert np.array_equal(t.easting, r.easting.T)
    assert geo.utm([10.0, 20.0], 5).easting.shape == (2,)   # lists work as arrays
    zero_d = geo.utm(np.float64(50.0), np.array(8.0))
    assert zero_d.zone.shape == () and zero_d.zone == 32
    assert geo.utm(np.empty((0, 3)), 1.0).easting.shape == (0, 3)
    # numpy scalars alone take the scalar path.
    assert geo.utm(np.float32(50.0), np.int64(8)) == geo.utm(50.0, 8)


def test_array_conversions_release_the_gil(releases_gil):
    lat = np.linspace(-79, 83, 200_000)
    lon = np.linspace(-179, 179, 200_000)
    assert releases_gil(lambda: geo.utm(lat, lon)).zone.shape == lat.shape
    assert releases_gil(lambda: geo.helmert(lat, lon, 0.0, "ORDNANCE GB 1936", "WGS84")).lat.shape == lat.shape


def test_points_that_fail_in_arrays_become_nan_and_zone_zero():
    lat = np.array([45.0, np.nan, 88.0, -85.0, 10.0])
    lon = np.array([7.0, 7.0, 7.0, 7.0, np.inf])
    r = geo.utm(lat, lon)
    assert r.zone.tolist() == [32, 0, 0, 0, 0] and r.band.tolist() == ["T", "", "", "", ""]
    assert np.isnan(r.easting[1:]).all() and np.isfinite(r.easting[0])
    z = geo.utm_zone(lat, lon)
    assert z.zone.tolist() == r.zone.tolist() and z.band.tolist() == r.band.tolist()
    u = geo.ups(lat, lon)
    assert u.hemisphere.tolist() == ["", "", "N", "S", ""] and np.isnan(u.easting[[0, 1, 4]]).all()
    back = geo.latlon([32, 0, 32, 32], ["T", "T", "I", b"T"], 500000.0, [4983436.0, 5e6, 5e6, np.nan])
    assert np.isfinite(back.lat[0]) and np.isnan(back.lat[1:]).all()
    h = geo.helmert([10.0, 95.0], [10.0, 10.0], 0.0, 183, 269)
    assert np.isfinite(h.lat[0]) and np.isnan([h.lat[1], h.lon[1], h.height[1]]).all()


def test_longitudes_wrap_and_norway_svalbard_zones():
    assert geo.utm(60.5, 370.0) == geo.utm(60.5, 10.0)
    assert geo.utm_zone(61, 4) == (32, "V") and geo.utm_zone(78, 20) == (33, "X")
    assert geo.utm_zone(78, 21) == (35, "X") and geo.utm_zone(72, 5) == (31, "X")
    assert str(geo.utm(-33.9, 18.4).band) == "H"


def test_scalar_calls_work_without_numpy():
    code = (
        "import sys; sys.modules['numpy'] = None\n"
        "import tkz.geo as g\n"
        "assert g.utm(48.2, 16.4).zone == 33 and g.latlon(33, 'U', 600000, 5.3e6).lat > 47\n"
        "g.ups(85, 1); g.ups_to_latlon('S', 2e6, 2.1e6); g.helmert(51, 0, 0, 183, 'WGS84')\n"
        "g.tm(1, 2, 3); g.tm_to_latlon(1e5, 2e5, 3); g.geographic(*g.geocentric(1, 2, 3))\n"
        "g.utm_zone(1, 2); g.ellipsoids(); g.datums()\n"
        "try:\n    g.utm([1.0], [2.0])\nexcept ImportError as e:\n    print(e)\n"
        "assert 'numpy' not in sys.modules or sys.modules['numpy'] is None\n")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=False)
    assert out.returncode == 0, out.stderr
    assert "need numpy" in out.stdout
