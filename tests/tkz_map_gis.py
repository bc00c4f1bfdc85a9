"""tkz map export and import against GDAL's tools.

A map of the world drawn from the geographic database's real data (Natural
Earth countries, GeoNames towns) is calibrated, exported as a GeoTIFF and as
PNG with a world file, and read by gdalinfo and gdaltransform; a curved
calibration goes out as ground control points; GeoTIFFs that gdal_translate
writes come back as calibrations. Exits 77 (skipped) without GDAL.

usage: tkz_map_gis.py TKZ WORK DATA
"""
import json
import math
import os
import shutil
import subprocess
import sys

TKZ, WORK, DATA = sys.argv[1:4]


def run(*args, status=0, stdin=None):
    p = subprocess.run(list(args), capture_output=True, text=True, input=stdin)
    if p.returncode != status:
        sys.exit(f"{' '.join(args)} gave {p.returncode}, expected {status}:\n{p.stdout}{p.stderr}")
    return p.stdout + p.stderr


def tkz(*args, status=0, stdin=None):
    return run(TKZ, *args, status=status, stdin=stdin)


def json_line(text):
    return json.loads(text.splitlines()[0])


def check(cond, what):
    if not cond:
        sys.exit("failed: " + what)


def near(a, b, tol, what):
    check(abs(a - b) <= tol, f"{what}: {a} vs {b} (tolerance {tol})")


def pix2geo(cal, points):
    out = tkz("map", "pix2geo", cal, "-", stdin="".join(f"{x} {y}\n" for x, y in points))
    return [(j["lon"], j["lat"]) for j in map(json.loads, out.splitlines())]


def gdaltransform(dataset, points, *options):
    out = run("gdaltransform", *options, "-output_xy", dataset,
              stdin="".join(f"{x} {y}\n" for x, y in points))
    return [tuple(map(float, line.split())) for line in out.splitlines()]


if shutil.which("gdalinfo") is None:
    print("GDAL is not installed")
    sys.exit(77)
shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
w = lambda name: os.path.join(WORK, name)

# The world from real data: a blank map with the database's countries and
# towns drawn on it at full size (900 x 500, lon -180..180, lat -60..85).
tkz("gdb", "import", w("world"), os.path.join(DATA, "geo", "countries-110m.topojson"))
tkz("gdb", "import", w("world"), os.path.join(DATA, "geo", "cities-sample.geojson"))
tkz("map", "blank", w("Blank"), "--lat", "-60", "85", "--lon", "-180", "180", "--size", "900x500")
tkz("map", "render", w("Blank.xml"), w("world.png"), "--size", "900x500", "--mag", "1",
    "--gdb", w("world"))
# The blank map's graticule is linear: its reference points, taken from
# its own calibration, calibrate the drawing (the same pixels at --mag 1).
grid = [(x, y) for y in (50, 250, 450) for x in (75, 450, 825)]  # within +-90, +-180
with open(w("points.txt"), "w") as f:
    f.writelines(f"{x} {y} {lat!r} {lon!r}\n"
                 for (x, y), (lon, lat) in zip(grid, pix2geo(w("Blank.xml"), grid)))
(lon0, lat0), (lon1, _), (_, lat1) = pix2geo(w("Blank.xml"), [(0, 0), (900, 0), (0, 500)])
step_lon, step_lat = (lon1 - lon0) / 900, (lat0 - lat1) / 500
tkz("map", "calibrate", w("world.png"), w("points.txt"), w("world.xml"), "--model", "equirect")

# GeoTIFF with the affine mapping, and PNG with a world file.
out = json_line(tkz("map", "export", w("world.xml"), w("world.tif")))
check(out["epsg"] == 4326 and out["gcps"] == 9, f"export: {out}")
info = json.loads(run("gdalinfo", "-json", w("world.tif")))
check(info["size"] == [900, 500], f"size {info['size']}")
for got, want in zip(info["geoTransform"], [lon0, step_lon, 0, lat0, 0, -step_lat]):
    near(got, want, 1e-5, "geotransform")
check('ID["EPSG",4326]' in info["coordinateSystem"]["wkt"], "GeoTIFF CRS")
probe = [(0, 0), (123, 45), (450, 250), (899.5, 499.5), (900, 500)]
for (lon, lat), (glon, glat) in zip(pix2geo(w("world.xml"), probe),
                                    gdaltransform(w("world.tif"), probe)):
    near(lon, glon, 1e-7, "GeoTIFF longitude")
    near(lat, glat, 1e-7, "GeoTIFF latitude")
out = json_line(tkz("map", "export", w("world.xml"), w("world_copy.png"), "--world"))
check(out["world"].endswith("world_copy.pgw") and out["prj"].endswith("world_copy.prj"), str(out))
info = json.loads(run("gdalinfo", "-json", w("world_copy.png")))
for got, want in zip(info["geoTransform"], [lon0, step_lon, 0, lat0, 0, -step_lat]):
    near(got, want, 1e-5, "world file geotransform")
check('ID["EPSG",4326]' in info["coordinateSystem"]["wkt"], "world file CRS")
# The pixels went out unchanged: GDAL's decoding of the GeoTIFF against ours.
run("gdal_translate", "-q", "-of", "PNG", w("world.tif"), w("from_tif.png"))
tkz("image", "convert", w("from_tif.png"), w("from_tif.bmp"))
tkz("image", "convert", w("world.png"), w("world.bmp"))
with open(w("from_tif.bmp"), "rb") as a, open(w("world.bmp"), "rb") as b:
    check(a.read() == b.read(), "GeoTIFF pixels differ from the map image")

# Both come back as the same calibration.
for src in ("world.tif", "world_copy.png"):
    out = json_line(tkz("map", "import", w(src), w("back.xml")))
    check(out["model"] == "equirect" and out["source"] == "transform" and out["points"] == 9,
          f"import {src}: {out}")
    for a, b in zip(pix2geo(w("world.xml"), probe), pix2geo(w("back.xml"), probe)):
        # The calibration file keeps reference points to 5 decimals.
        near(a[0], b[0], 2e-5, "imported longitude")
        near(a[1], b[1], 2e-5, "imported latitude")

# A curved calibration (the blank map's biquadratic fit) goes out as GCPs,
# which GDAL's second-order polynomial reproduces within the fit.
out = json_line(tkz("map", "export", w("Blank.xml"), w("blank.tif")))
check(out["transform"] is None and out["gcps"] == 9, f"GCP export: {out}")
info = json.loads(run("gdalinfo", "-json", w("blank.tif")))
check(len(info["gcps"]["gcpList"]) == 9, "gdalinfo GCPs")
for (lon, lat), (glon, glat) in zip(pix2geo(w("Blank.xml"), probe),
                                    gdaltransform(w("blank.tif"), probe, "-order", "2")):
    near(lon, glon, 1e-6, "GCP longitude")
    near(lat, glat, 1e-6, "GCP latitude")
tkz("map", "export", w("Blank.xml"), w("blank.png"), "--world", status=1)

# GeoTIFFs written by GDAL: GCPs on a rotated grid, and a UTM north-up map.
gcps = []
for px, py in [(0, 0), (900, 0), (0, 500), (900, 500), (450, 250), (200, 400)]:
    lon, lat = 5 + px * 0.01 + py * 0.002, 50 - py * 0.01 + px * 0.001
    gcps += ["-gcp", str(px), str(py), repr(lon), repr(lat)]
run("gdal_translate", "-q", "-a_srs", "EPSG:4326", *gcps, w("world.png"), w("gcps.tif"))
out = json_line(tkz("map", "import", w("gcps.tif"), w("gcps.xml")))
check(out["model"] == "equirect" and out["source"] == "gcps" and out["points"] == 6, str(out))
for (lon, lat), (px, py) in zip(pix2geo(w("gcps.xml"), [(450, 250), (100, 100)]),
                                [(450, 250), (100, 100)]):
    near(lon, 5 + px * 0.01 + py * 0.002, 1e-6, "GCP import longitude")
    near(lat, 50 - py * 0.01 + px * 0.001, 1e-6, "GCP import latitude")
run("gdal_translate", "-q", "-a_srs", "EPSG:32733", "-a_ullr", "300000", "8000000", "390000",
    "7950000", w("world.png"), w("utm.tif"))
out = json_line(tkz("map", "import", w("utm.tif"), w("utm.xml")))
check(out["model"] == "utm" and out["utm_zone"] == 33 and out["utm_south"] is True, str(out))
geo = json.loads(tkz("map", "pix2geo", w("utm.xml"), "450", "250").splitlines()[0])
ref = gdaltransform(w("utm.tif"), [(450, 250)], "-t_srs", "EPSG:4326")[0]
near(geo["lon"], ref[0], 1e-7, "UTM import longitude")
near(geo["lat"], ref[1], 1e-7, "UTM import latitude")

# Failures and usage errors.
run("gdal_translate", "-q", "-a_srs", "EPSG:3857", "-a_ullr", "0", "100000", "90000", "50000",
    w("world.png"), w("merc.tif"))
check("Pseudo-Mercator" in tkz("map", "import", w("merc.tif"), w("x.xml"), status=1), "3857")
check("no world file" in tkz("map", "import", w("from_tif.png"), w("x.xml"), status=1), "no wld")
tkz("map", "import", w("missing.tif"), w("x.xml"), status=1)
tkz("map", "export", w("world.xml"), w("world.gif"), "--world", status=2)
tkz("map", "export", w("world.xml"), w("world2.png"), status=2)
check(not os.path.exists(w("x.xml")), "a failed import wrote its calibration")
print("ok")
