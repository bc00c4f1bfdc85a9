"""The package as a whole: submodules, version, error classes."""

import ast
import importlib
import pathlib

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


def _public(names):
    return {n for n in names if not n.startswith("_")}


def _described(name, obj):
    """Whether obj's docstring says more than the signature pybind11 writes."""
    lines = [line for line in (obj.__doc__ or "").splitlines()
             if line.strip() and not line.startswith(name + "(")
             and not line.lstrip("0123456789. ").startswith(name + "(")
             and line.strip() != "Overloaded function."]
    return bool(lines)


def _stub_names(tree):
    """Top-level names of a stub and, per class, the names of its members."""
    top, members = set(), {}
    for node in tree.body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            top.add(node.name)
        if isinstance(node, ast.ClassDef):
            members[node.name] = {n.name for n in node.body if isinstance(n, ast.FunctionDef)} | {
                t.id for n in node.body if isinstance(n, (ast.AnnAssign, ast.Assign))
                for t in (n.targets if isinstance(n, ast.Assign) else [n.target])
                if isinstance(t, ast.Name)}
        elif isinstance(node, ast.AnnAssign) and isinstance(node.target, ast.Name):
            top.add(node.target.id)
        elif isinstance(node, ast.Assign):
            top.update(t.id for t in node.targets if isinstance(t, ast.Name))
    return top, members


@pytest.mark.parametrize("name", ["core", "colors", "geo", "geodb", "maps", "chem"])
def test_stubs_and_docstrings_cover_every_public_name(name):
    mod = getattr(tkz, name)
    stub = pathlib.Path(tkz.__file__).with_name(name + ".pyi")
    top, members = _stub_names(ast.parse(stub.read_text()))
    public = _public(dir(mod))
    assert public <= top, f"missing from {stub.name}: {sorted(public - top)}"
    assert not _public(top) - public, f"stubbed but absent: {sorted(_public(top) - public)}"
    for attr in sorted(public):
        obj = getattr(mod, attr)
        if callable(obj):
            assert _described(attr, obj), f"tkz.{name}.{attr} has no docstring"
        if isinstance(obj, type):
            for member, value in vars(obj).items():
                if not member.startswith("_") and callable(value) and not isinstance(value, type):
                    assert _described(member, value), f"tkz.{name}.{attr}.{member} has no docstring"
        if isinstance(obj, type) and attr in members:
            # Named tuples and enumerations bring these themselves.
            own = _public(vars(obj)) - {"name", "value", "count", "index"}
            missing = own - members[attr]
            assert not missing, f"tkz.{name}.{attr}: {sorted(missing)} not in the stub"
