"""tkz.chem substructure search: Molecule.has_substructure and
substructure_match, and search_file over real SD files on every core,
against RDKit's HasSubstructMatch and "tkz mol search"."""

import os
import pathlib
import subprocess
import sys

import pytest

import tkz
from tkz import chem

TOOL = os.environ.get("TKZ_TOOL")
SOURCE = pathlib.Path(os.environ.get("TKZ_SOURCE_DIR", pathlib.Path(__file__).parents[2]))
REAL = sorted(str(p) for p in pathlib.Path("/usr/share/RDKit").glob("**/*.sdf"))


def rdkit():
    Chem = pytest.importorskip("rdkit.Chem")
    from rdkit import RDLogger
    RDLogger.DisableLog("rdApp.*")
    return Chem


@pytest.fixture(scope="module")
def queries():
    """The C++ oracle test's queries (no aromatic bonds), as Kekule molfiles
    written by RDKit: name -> (RDKit molecule, tkz Molecule)."""
    Chem = rdkit()
    sys.path.insert(0, str(SOURCE / "tests" / "chem"))
    try:
        import rdkit_search
    finally:
        sys.path.pop(0)
    out = {}
    for name, smiles in rdkit_search.QUERIES[:12]:
        q = rdkit_search.query_mol(smiles)
        out[name] = (q, chem.Molecule.from_molfile(Chem.MolToMolBlock(q, kekulize=True)))
    return out


@pytest.fixture(scope="module")
def records():
    """Every record of the real files RDKit reads as written (hydrogens kept,
    not sanitised) and we read whole, as (file, index, RDKit, tkz)."""
    Chem = rdkit()
    out = []
    for path in REAL:
        for i, (theirs, ours) in enumerate(zip(Chem.SDMolSupplier(path, sanitize=False, removeHs=False),
                                               chem.read_sd(path))):
            if theirs is None or ours is None:
                continue
            theirs.UpdatePropertyCache(strict=False)
            Chem.FastFindRings(theirs)
            out.append((path, i, theirs, ours))
    return out


def test_hits_agree_with_rdkit(queries, records):
    pairs = hits = 0
    for name, (q, query) in queries.items():
        for path, i, theirs, ours in records:
            found = ours.has_substructure(query)
            assert found == theirs.HasSubstructMatch(q), (name, path, i)
            pairs += 1
            hits += found
            if found:
                match = ours.substructure_match(query)
                # A match maps atoms onto atoms of the same element, one to
                # one, and every query bond onto a bond of the same order.
                assert len(set(match)) == len(query)
                assert all(ours.atom(m).atomic_number == a.atomic_number for m, a in zip(match, query.atoms))
                bonds = {(min(b, e), max(b, e)): o for b, e, o in ours.bonds}
                assert all(bonds.get((min(match[b], match[e]), max(match[b], match[e]))) == o
                           for b, e, o in query.bonds)
            else:
                assert ours.substructure_match(query) == ()
    print("%d pairs, %d hits, all as RDKit" % (pairs, hits))
    assert hits > 500


@pytest.mark.parametrize("path", REAL, ids=lambda p: p.rsplit("/", 1)[-1])
def test_search_file_finds_what_molecules_find(path, queries):
    mols = list(chem.read_sd(path))
    for name in ("benzene", "carboxyl", "amide", "nitro", "ethanol"):
        query = queries[name][1]
        expected = [i for i, m in enumerate(mols) if m is not None and m.has_substructure(query)]
        assert chem.search_file(path, query) == expected
        assert chem.search_file(path, query, threads=1) == expected
        loose = [i for i, m in enumerate(mols) if m is not None and m.has_substructure(query, check_bonds=False)]
        assert chem.search_file(path, query, check_bonds=False, threads=3) == loose
    # Many queries in one reading give each query's own hits.
    names = list(queries)
    assert chem.search_file(path, [queries[n][1] for n in names], threads=2) == [
        chem.search_file(path, queries[n][1]) for n in names]
    assert chem.search_file(path, []) == []


@pytest.mark.skipif(not TOOL, reason="TKZ_TOOL not set")
def test_search_file_agrees_with_the_tool(tmp_path, queries):
    path = tmp_path / "all.sdf"
    path.write_bytes(b"".join(pathlib.Path(p).read_bytes() for p in REAL))
    query = tmp_path / "q.mol"
    query.write_text(queries["amide"][1].to_molfile())
    out = subprocess.run([TOOL, "mol", "search", str(query), str(path), "--bonds"],
                         capture_output=True, text=True).stdout
    assert chem.search_file(path, query) == [int(n) - 1 for n in out.split()]


def test_search_file_releases_the_gil(tmp_path, queries, releases_gil):
    path = tmp_path / "big.sdf"
    path.write_bytes(b"".join(pathlib.Path(p).read_bytes() for p in REAL) * 4)
    assert releases_gil(lambda: chem.search_file(path, queries["carboxyl"][1], threads=1))


def test_search_errors(tmp_path, queries):
    bad = tmp_path / "bad.sdf"
    bad.write_bytes(pathlib.Path(REAL[0]).read_bytes().split(b"$$$$\n")[0] + b"$$$$\nbroken\n$$$$\n")
    query = queries["ethanol"][1]
    assert chem.search_file(bad, query, check_bonds=False) in ([], [0])
    with pytest.raises(tkz.ConvertError, match="record index 1: not a structure"):
        chem.search_file(bad, query, errors="raise")
    with pytest.raises(tkz.InOutError):
        chem.search_file(tmp_path / "missing.sdf", query)
    with pytest.raises(tkz.ConvertError, match="no atoms"):
        chem.search_file(bad, chem.Molecule())
    with pytest.raises(ValueError):
        chem.search_file(bad, query, threads=0)
    with pytest.raises(TypeError):
        chem.search_file(bad, 42)
