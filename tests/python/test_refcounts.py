"""Reference counts and Python memory stay flat over 100 000 calls.

A binding that forgets a reference keeps its objects alive: the arguments'
reference counts climb, or the memory that tracemalloc sees grows with the
number of calls.
"""

import sys
import tracemalloc

import pytest

import tkz
from conftest import DATA

CALLS = 100_000


def _cases():
    grep = tkz.core.Grep("w[a-z]+d")
    text = "hello world " * 3
    yield "core.crc32", tkz.core.crc32, (b"123456789",)
    yield "core.sha1", tkz.core.sha1, ("Zürich",)
    yield "core.b64encode", tkz.core.b64encode, (b"abcdef",)
    yield "core.Grep.search", grep.search, (text,)
    yield "core.Grep.findall", grep.findall, (text,)
    yield "core.Grep(bad)", lambda p: pytest.raises(tkz.StringError, tkz.core.Grep, p), ("[",)
    yield "colors.rgb", tkz.colors.rgb, ("SkyBlue",)
    yield "colors.to_hsl", tkz.colors.to_hsl, ((10, 200, 30),)
    yield "geo.utm", tkz.geo.utm, (48.2, 16.37)
    yield "geo.latlon", tkz.geo.latlon, (33, "U", 601799.1, 5339437.2)
    yield "geo.helmert", tkz.geo.helmert, (51.5, -0.12, 45.0, "ORDNANCE GB 1936", "WGS84")
    yield "geo.utm(bad)", lambda lat: pytest.raises(tkz.GeoError, tkz.geo.utm, lat, 0.0), (91.0,)
    m = tkz.maps.Map(size=(400, 300))
    m.calibrate([(0, 0, 48.0, 9.0), (400, 0, 48.0, 10.0), (0, 300, 47.0, 9.0)], "equirect")
    yield "maps.Map.pix2geo", m.pix2geo, (120.5, 80.25)
    yield "maps.Map.geo2pix", m.geo2pix, (47.5, 9.5)
    yield "chem.Formula", lambda f: tkz.chem.Formula(f).exact_weight, ("C6H12O6",)
    yield "chem.element", lambda s: tkz.chem.element(s).name, ("Fe",)
    mol = next(iter(tkz.chem.read_sd(DATA / "chem" / "demo.sdf")))
    yield "chem.Molecule.rings", lambda: mol.rings(), ()
    yield "chem.Molecule.formula", lambda: str(mol.formula), ()
    yield "chem.Molecule.has_substructure", mol.has_substructure, (mol,)


@pytest.mark.parametrize("name, fn, args", list(_cases()), ids=lambda v: v if isinstance(v, str) else "")
def test_calls_leave_no_references_behind(name, fn, args):
    fn(*args)  # first-call caches
    counts = [sys.getrefcount(a) for a in args]
    tracemalloc.start()
    try:
        start, _ = tracemalloc.get_traced_memory()
        for _ in range(CALLS):
            fn(*args)
        end, _ = tracemalloc.get_traced_memory()
    finally:
        tracemalloc.stop()
    assert [sys.getrefcount(a) for a in args] == counts
    # One leaked object per call would be several megabytes.
    assert end - start < 64 * 1024, f"{name}: {end - start} bytes more after {CALLS} calls"
