"""tkz.geodb against the tkz program's gdb commands, brute-force filters and
GeoJSON round trips, on the committed real extracts of tests/data/geo."""

import json
import os
import pathlib
import shutil
import subprocess

import numpy as np
import pytest

import tkz
import tkz.geodb as gdb

TOOL = os.environ.get("TKZ_TOOL")
DATA = pathlib.Path(os.environ.get("TKZ_TEST_DATA_DIR", pathlib.Path(__file__).parents[1] / "data"))
F32 = np.float32


def tool(*args):
    if not TOOL:
        pytest.skip("TKZ_TOOL not set")
    out = subprocess.run([TOOL, "gdb", *map(str, args)], capture_output=True, text=True, check=False)
    return [json.loads(line) for line in out.stdout.splitlines()]


def same(rec, line):
    """A Record equals a JSON record of the tool (floats as stored: 32 bits)."""
    lat_lo, lon_lo, lat_hi, lon_hi = rec.bounds
    return (rec.recno, rec.id, rec.kind, rec.name, rec.closed, rec.elements, rec.user_int1) == (
        line["recno"], line["id"], line["kind"], line["name"], line["closed"], line["elements"],
        line["user_int1"]) and [F32(v) for v in (lat_lo, lon_lo, lat_hi, lon_hi)] == [
        F32(line[k]) for k in ("lat_low", "lon_low", "lat_high", "lon_high")]


@pytest.fixture(scope="module")
def world(tmp_path_factory):
    """Natural Earth countries, GeoNames towns and Spain, built once; closed."""
    base = tmp_path_factory.mktemp("world") / "world"
    with gdb.create(base, description="Natural Earth and GeoNames") as db:
        assert db.import_topojson(DATA / "geo" / "countries-110m.topojson").total_added > 150
        assert db.import_geojson(DATA / "geo" / "cities-sample.geojson").added == {"Town": 300}
        db.import_geojson(DATA / "geo" / "spain-10m.geojson")
    return base


@pytest.fixture
def db(world, tmp_path):
    """A private copy of the world database, open."""
    for f in world.parent.iterdir():
        shutil.copy(f, tmp_path / f.name)
    with gdb.open(tmp_path / "world") as d:
        yield d


def test_every_record_equals_the_tools_listing(db, world):
    lines = tool("list", world)
    records = list(db)
    assert len(records) == len(db) == len(lines) > 450
    assert all(same(r, line) for r, line in zip(records, lines))
    kinds = {r.kind for r in records}
    assert kinds == {"Border", "Town"}


@pytest.mark.parametrize("window", [
    (35.0, -10.0, 45.0, 5.0),        # Iberia
    (-60.0, -80.0, -15.0, -60.0),    # southern South America
    (-25.0, 170.0, -10.0, -170.0),   # across the antimeridian (Fiji)
    (0.0, 0.0, 0.0, 0.0),            # a point
    (89.0, -180.0, 90.0, 180.0),     # nothing but a strip at the pole
])
def test_window_queries_equal_a_brute_force_filter_and_the_tool(db, world, window):
    lat_lo, lon_lo, lat_hi, lon_hi = window
    got = [r.recno for r in db.query(*window)]

    def meets(r):
        a, b, c, d = (F32(v) for v in r.bounds)
        lon_ok = (d >= F32(lon_lo) and b <= F32(lon_hi)) if lon_lo <= lon_hi else (
            d >= F32(lon_lo) or b <= F32(lon_hi))
        return c >= F32(lat_lo) and a <= F32(lat_hi) and lon_ok

    assert got == [r.recno for r in db if meets(r)]
    assert got == [line["recno"] for line in tool("query", world, lat_lo, lat_hi, lon_lo, lon_hi)]
    towns = [r.recno for r in db.query(*window, kinds="town")]
    assert towns == [n for n in got if db.record(n).kind == "Town"]
    assert [r.recno for r in db.query(*window, kinds=["Town", "border"])] == got


@pytest.mark.parametrize("name, match", [
    ("Spain", "exact"), ("spain", "exact"), ("SAN", "prefix"), ("an", "contains"),
    ("Nowhere", "exact"),
])
def test_name_search_equals_the_tool(db, world, name, match):
    got = [r.recno for r in db.search(name, match=match)]
    flags = {"exact": [], "prefix": ["--prefix"], "contains": ["--contains"]}[match]
    assert got == [line["recno"] for line in tool("search", world, name, *flags)]
    assert all(name.lower() in r.name.lower() for r in db.search(name, match=match))
    if got:
        assert [r.recno for r in db.search(name, match=match, kind="town")] == [
            n for n in got if db.record(n).kind == "Town"]


def test_vertices_equal_the_tools_and_the_arrays(db, world):
    spain = [r for r in db.search("Spain") if r.elements > 1000]
    assert spain
    rec = spain[0]
    line = tool("get", world, rec.recno)[0]
    assert [(F32(a), F32(b)) for a, b in rec.coords] == [(F32(a), F32(b)) for a, b in line["vertices"]]
    v = rec.vertices
    assert v.shape == (rec.elements, 2) and v.dtype == np.float64
    assert np.array_equal(v, np.array(rec.coords))
    lat_lo, lon_lo, lat_hi, lon_hi = rec.bounds
    assert (v[:, 0].min(), v[:, 1].min(), v[:, 0].max(), v[:, 1].max()) == (lat_lo, lon_lo, lat_hi, lon_hi)


def summary(r):
    """What an export keeps of a record; closed rings may come back turned."""
    coords = sorted(r.coords) if r.closed else r.coords
    return (r.kind, r.name, r.bounds, coords, r.closed, r.population)


def test_adding_items_of_every_kind_round_trips_through_geojson(tmp_path):
    line = np.array([[47.0, 8.0], [47.5, 8.5], [48.0, 8.25]])
    with gdb.create(tmp_path / "a") as db:
        db.add_town("Zürich", 47.37, 8.54, population=421878)
        db.add_town("Besançon", 47.24, 6.02, population=116466)
        db.add("river", "Aare", line)                       # numpy array
        db.add("road", "A1", line[::-1].tolist())           # list of pairs
        db.add("lake", "Zürichsee", [(47.2, 8.6), (47.3, 8.7), (47.25, 8.8)])
        db.add("border", "Box", [(0, 0), (0, 1), (1, 1), (1, 0)], closed=True)
        db.add("city", "Nyon", [(46.3, 6.2), (46.4, 6.3)], user_int2=-5, user_byte=7)
        db.add("route", "Way", [(1, 1), (2, 2)], user_float=2.5)
        assert [r.kind for r in db] == ["Town", "Town", "River", "Road", "Lake", "Border", "City",
                                        "Route"]
        assert db.record(5).closed and db.record(6).closed and not db.record(3).closed
        assert (db.record(7).user_int2, db.record(7).user_byte, db.record(8).user_float) == (-5, 7, 2.5)
        text = db.export_geojson()
        db.export_geojson(tmp_path / "a.geojson")
        assert json.loads((tmp_path / "a.geojson").read_text(encoding="utf-8")) == json.loads(text)
        before = [summary(r) for r in db]
    names = [f["properties"]["name"] for f in json.loads(text)["features"]]
    assert names[:2] == ["Zürich", "Besançon"]
    with gdb.create(tmp_path / "b") as back:
        assert back.import_geojson(tmp_path / "a.geojson").total_added == 8
        after = [summary(r) for r in back]
    key = lambda t: (t[0], t[1])  # noqa: E731
    assert sorted(after, key=key) == sorted(before, key=key)
    # What the tool reads from the files is what was added.
    assert [line["name"] for line in tool("list", tmp_path / "a")][:2] == ["Zürich", "Besançon"]
    with gdb.open(tmp_path / "a") as db:
        assert [r.recno for r in db.search("zürich", match="prefix")] == [1, 5]


def test_blobs_keep_their_bytes_and_meta_texts(tmp_path):
    payload = bytes(range(256)) * 100
    with gdb.create(tmp_path / "b") as db:
        r = db.add_blob("data.bin", payload, {"caption": "Überblick", "comment": "x" * 300})
        assert (r.kind, r.elements, r.coords) == ("BLOB", len(payload), None)
        data, meta = db.blob(r.recno)
        assert data == payload and meta["caption"] == "Überblick"
        assert meta["comment"] == "x" * 255          # cut to the field's capacity
        db.add_town("T", 1, 2)
        with pytest.raises(tkz.GeoDBError, match="holds no readable BLOB"):
            db.blob(2)


def test_delete_compact_header_fields_and_lazy_write(tmp_path):
    with gdb.create(tmp_path / "d", lazy_write=True) as db:
        for i in range(20):
            db.add("route", f"R{i}", [(i, i), (i + 1, i + 1)])
        db.description, db.revision = "Straßen", 7
        db.delete(3)
        assert len(db) == 19 and db.record(3).name == "R19"
        assert db.compact() == 16                   # one route's two vertices
    assert gdb.check(tmp_path / "d") == []
    with gdb.open(tmp_path / "d") as db:
        assert (db.description, db.revision, db.item_counter, db.lazy_write) == ("Straßen", 7, 20, False)
        assert [r.name for r in db.query(2.5, 2.5, 3.5, 3.5)] == ["R3"]  # R2 was deleted
        with pytest.raises(IndexError):
            db.record(20)


def test_names_cross_the_windows_1252_boundary(tmp_path):
    with gdb.create(tmp_path / "n") as db:
        r = db.add_town(b"Caf\xe9", 1, 2)            # bytes are stored as they are
        assert r.name == "Café"
        assert db.add_town("Œuvre €", 1, 2).name == "Œuvre €"
        with pytest.raises(ValueError, match="U\\+0416"):
            db.add_town("Жуковский", 55.6, 38.1)
        with pytest.raises(ValueError, match="Windows-1252"):
            list(db.search("Ωmega"))
        assert db.add_town("x" * 70, 0, 0).name == "x" * 59
        assert len(db) == 3


@pytest.mark.parametrize("call, error, message", [
    (lambda db: db.add_town("T", 91, 0), tkz.GeoError, "latitude outside -90..90: 91.0"),
    (lambda db: db.add("river", "R", [(0, 0), (0, 181)]), tkz.GeoError, "longitude outside -180..180"),
    (lambda db: db.add("river", "R", [(0, float("nan"))]), tkz.GeoError, "longitude"),
    (lambda db: db.add("river", "R", []), ValueError, "no vertex"),
    (lambda db: db.add("river", "R", np.zeros((3, 3))), ValueError, "shape \\(n, 2\\)"),
    (lambda db: db.add("volcano", "V", (0, 0)), ValueError, 'unknown kind "volcano"'),
    (lambda db: db.add("blob", "B", (0, 0)), ValueError, "add_blob"),
    (lambda db: db.add("town", "T", [(0, 0), (1, 1), (2, 2)]), ValueError, "one \\(lat, lon\\) pair"),
    (lambda db: list(db.search("a", match="fuzzy")), ValueError, "match must be"),
    (lambda db: db.record(0), IndexError, "record 0 outside 1..0"),
    (lambda db: db.delete(1), IndexError, "outside"),
    (lambda db: db.add_blob("b", b"", {"colour": "red"}), ValueError, "unknown meta text"),
])
def test_bad_arguments_raise(tmp_path, call, error, message):
    with gdb.create(tmp_path / "e") as db:
        with pytest.raises(error, match=message):
            call(db)
        assert len(db) == 0


def test_missing_damaged_and_busy_files_raise_geodb_error(tmp_path, data_dir):
    with pytest.raises(tkz.GeoDBError, match="no database"):
        gdb.open(tmp_path / "missing")
    with gdb.create(tmp_path / "x") as db:
        db.add_town("A", 1, 1)
        with pytest.raises(tkz.GeoDBError, match="in use by another object"):
            gdb.open(tmp_path / "x.tkzgds")
        with pytest.raises(tkz.GeoDBError, match="already exists"):
            gdb.create(tmp_path / "x")
    (tmp_path / "x.tkzgdd").write_bytes(b"\0" * 100)          # a short header
    with pytest.raises(tkz.GeoDBError, match="shorter than 260 bytes"):
        gdb.open(tmp_path / "x")
    problems = gdb.check(tmp_path / "x")
    assert problems and problems[0].file.endswith("x.tkzgdd") and "260" in problems[0].text
    (tmp_path / "bad.geojson").write_text('{"type": "FeatureCollection"}')
    with gdb.create(tmp_path / "y") as db:
        with pytest.raises(tkz.GeoDBError, match="features"):
            db.import_geojson(tmp_path / "bad.geojson")
        with pytest.raises(tkz.InOutError):
            db.import_geojson(tmp_path / "nothing.geojson")
        with pytest.raises(tkz.GeoDBError, match="Topology"):
            db.import_topojson(data_dir / "geo" / "cities-sample.geojson")
        (tmp_path / "one_bad.geojson").write_text(json.dumps({"type": "FeatureCollection", "features": [
            {"type": "Feature", "properties": {"name": "ok"}, "geometry": {"type": "Point", "coordinates": [1, 2]}},
            {"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [1, 95]}}]}))
        with pytest.raises(tkz.GeoDBError, match="feature 1"):
            db.import_geojson(tmp_path / "one_bad.geojson", strict=True)
        assert len(db) == 0
        result = db.import_geojson(tmp_path / "one_bad.geojson")
        assert (result.total_added, result.skipped, len(result.reasons)) == (1, 1, 1)


def test_closing_releases_the_files_and_use_after_close_raises(tmp_path):
    db = gdb.create(tmp_path / "c")
    it = iter(db)
    with db:
        db.add_town("A", 1, 1)
    assert db.closed and "closed" in repr(db)
    db.close()                                        # twice is harmless
    for use in (len, list, lambda d: d.add_town("B", 0, 0), lambda d: d.description,
                lambda d: d.query(0, 0, 1, 1)):
        with pytest.raises(ValueError, match="closed database"):
            use(db)
    with pytest.raises(ValueError, match="closed database"):
        next(it)
    with gdb.open(tmp_path / "c") as again:         # the lock went with the close
        assert [r.name for r in again] == ["A"]
