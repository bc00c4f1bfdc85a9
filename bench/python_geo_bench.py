"""tkz.geo.utm over numpy arrays against pyproj's Transformer on the same points.

Run with the bench preset's package and the system interpreter:

    PYTHONPATH=build/bench/python /usr/bin/python3 bench/python_geo_bench.py [N]

Prints the best of several runs for each case and the ratio pyproj / tkz
(above 1: tkz is faster). pyproj computes one known zone; tkz finds each
point's zone (with the Norway and Svalbard exceptions) and its band letter
as well, or computes in a forced zone.
"""

import sys
import time

import numpy as np
import pyproj

import tkz.geo as geo

N = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
RUNS = 5


def best(fn):
    times = []
    for _ in range(RUNS):
        t0 = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t0)
    return min(times)


def main():
    rng = np.random.default_rng(1)
    # Within zone 33 (12..18 E), northern hemisphere.
    lat = rng.uniform(0.0, 84.0, N)
    lon = rng.uniform(12.0, 18.0, N)
    proj = pyproj.Transformer.from_crs("EPSG:4326", "EPSG:32633", always_xy=True)
    # Mixed zones: the whole UTM area.
    mlat = rng.uniform(-80.0, 84.0, N)
    mlon = rng.uniform(-180.0, 180.0, N)

    t_proj = best(lambda: proj.transform(lon, lat))
    cases = [
        ("one zone", lambda: geo.utm(lat, lon)),
        ("zone forced (33)", lambda: geo.utm(lat, lon, zone=33)),
        ("mixed zones", lambda: geo.utm(mlat, mlon)),
    ]
    # The same numbers as PROJ's, to the series' accuracy.
    e, n = proj.transform(lon, lat)
    r = geo.utm(lat, lon, zone=33)
    print(f"{N} points; largest difference from PROJ: "
          f"{max(np.abs(e - r.easting).max(), np.abs(n - r.northing).max()):.2e} m")
    print(f"{'pyproj Transformer.transform (zone 33)':40s} {t_proj * 1e3:8.1f} ms")
    for name, fn in cases:
        t = best(fn)
        print(f"{'tkz.geo.utm, ' + name:40s} {t * 1e3:8.1f} ms   pyproj/tkz {t_proj / t:5.2f}")


if __name__ == "__main__":
    main()
