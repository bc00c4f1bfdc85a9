"""The package as a whole: submodules, version, error classes."""

import importlib

import pytest

import tkz


def test_submodules_import_by_their_dotted_names():
    for name in ("core", "colors", "geo", "geodb", "maps", "chem"):
        mod = importlib.import_module("tkz." + name)
        assert mod is getattr(tkz, name)
        assert mod.__doc__


def test_version_is_the_libraries_version():
    parts = tkz.__version__.split(".")
    assert len(parts) == 3 and all(p.isdigit() for p in parts)


@pytest.mark.parametrize("name, also", [
    ("InOutError", None), ("ConvertError", ValueError), ("StringError", None),
    ("FileSysError", None), ("DataStructureError", None), ("ColorError", ValueError),
    ("CpuIdError", None), ("GraphicError", None), ("GeoError", ValueError),
    ("GeoDBError", None), ("MapError", None),
])
def test_error_classes_derive_from_tkz_error(name, also):
    cls = getattr(tkz, name)
    assert issubclass(cls, tkz.Error) and cls.__module__ == "tkz"
    if also:
        assert issubclass(cls, also)
