"""tkz.chem molecules and SD files on real data (Debian's rdkit-data), with
RDKit and the tkz tool as oracles."""

import json
import os
import pathlib
import re
import subprocess
import sys

import pytest

import tkz
from tkz import chem

DATA = pathlib.Path(os.environ.get("TKZ_TEST_DATA_DIR", pathlib.Path(__file__).parents[1] / "data"))
TOOL = os.environ.get("TKZ_TOOL")
REAL = sorted(str(p) for p in pathlib.Path("/usr/share/RDKit").glob("**/*.sdf"))
FILES = REAL + sorted(str(p) for p in (DATA / "chem").glob("*.sdf"))
ORDERS = {1.0: 1, 2.0: 2, 3.0: 3, 1.5: 4}


def rdkit():
    Chem = pytest.importorskip("rdkit.Chem")
    from rdkit import RDLogger
    RDLogger.DisableLog("rdApp.*")
    return Chem


def hill_counts(formula):
    """RDKit's formula text ("C7H6O2", "C2H4O2-") as a dict."""
    return {s: int(n or 1) for s, n in re.findall(r"([A-Z][a-z]?)(\d*)", formula)}


@pytest.mark.parametrize("path", REAL, ids=lambda p: p.rsplit("/", 1)[-1])
def test_records_agree_with_rdkit(path):
    Chem = rdkit()
    from rdkit.Chem import Descriptors, rdMolDescriptors
    raw = Chem.SDMolSupplier(path, sanitize=False, removeHs=False)
    compared, worst_avg, worst_exact = 0, 0.0, 0.0
    for index, (ours, theirs) in enumerate(zip(chem.read_sd(path), raw)):
        if theirs is None or theirs.GetNumAtoms() > 63:
            continue
        assert ours is not None, index
        assert ours.name == theirs.GetProp("_Name")
        assert [a.atomic_number for a in ours.atoms] == [a.GetAtomicNum() for a in theirs.GetAtoms()]
        assert [a.charge for a in ours.atoms] == [a.GetFormalCharge() for a in theirs.GetAtoms()]
        assert [a.isotope for a in ours.atoms] == [a.GetIsotope() for a in theirs.GetAtoms()]
        assert sorted(ours.bonds) == sorted(
            (min(b.GetBeginAtomIdx(), b.GetEndAtomIdx()), max(b.GetBeginAtomIdx(), b.GetEndAtomIdx()),
             ORDERS[b.GetBondTypeAsDouble()]) for b in theirs.GetBonds())
        assert ours.data == {k: theirs.GetProp(k) for k in theirs.GetPropNames()}
        count = Chem.GetSSSR(theirs)  # before GetSymmSSSR, which adds the symmetric rings
        assert ours.ring_count == (count if isinstance(count, int) else len(count))
        sssr = Chem.GetSymmSSSR(theirs)
        assert sorted(map(len, ours.rings())) == sorted(len(r) for r in sssr)
        assert all(theirs.GetBondBetweenAtoms(r[k - 1], r[k]) for r in ours.rings() for k in range(len(r)))
        assert sorted(ours.fragments()) == sorted(Chem.GetMolFrags(theirs))
        # Formula and weights against the sanitised molecule (RDKit's
        # hydrogens); charged molecules weigh the electrons in RDKit.
        mol = Chem.MolFromMolBlock(Chem.MolToMolBlock(theirs), removeHs=False)
        if mol is None or any(a.GetFormalCharge() or a.GetIsotope() for a in mol.GetAtoms()):
            continue
        assert ours.formula.counts == hill_counts(rdMolDescriptors.CalcMolFormula(mol))
        assert ours.num_hydrogens == sum(a.GetTotalNumHs(includeNeighbors=True) for a in mol.GetAtoms()
                                         if a.GetAtomicNum() != 1)
        worst_exact = max(worst_exact, abs(ours.exact_weight - Descriptors.ExactMolWt(mol)))
        worst_avg = max(worst_avg, abs(ours.average_weight - Descriptors.MolWt(mol)) / Descriptors.MolWt(mol))
        compared += 1
    print("%s: %d compared; exact weight off by %.2g u at most, average weight by %.2g (relative)"
          % (path, compared, worst_exact, worst_avg))
    assert compared > 20
    # Exact masses agree to 5e-5 u per atom; the suite's average weights are
    # those of the 1960s.
    assert worst_exact < 2e-3
    assert worst_avg < 1e-3


@pytest.mark.skipif(not TOOL, reason="TKZ_TOOL not set")
@pytest.mark.parametrize("path", FILES, ids=lambda p: p.rsplit("/", 1)[-1])
def test_records_agree_with_the_tool(path):
    info = subprocess.run([TOOL, "mol", "info", "--rings", path], capture_output=True, text=True).stdout
    frags = subprocess.run([TOOL, "mol", "fragments", path], capture_output=True, text=True).stdout
    rows = [json.loads(l) for l in info.splitlines()]
    groups = [json.loads(l) for l in frags.splitlines()]
    mols = list(chem.read_sd(path))
    assert len(mols) == len(rows) == len(groups)
    for mol, row, group in zip(mols, rows, groups):
        if "error" in row:
            assert mol is None
            continue
        assert (mol.name, len(mol), mol.num_bonds) == (row["name"], row["atoms"], row["bonds"])
        plain = mol.formula and "".join(("D" if (s, m) == ("H", 2) else s) + (str(n) if n > 1 else "")
                                        for s, m, n in mol.formula.entries)
        assert (plain or None) == row["formula"]
        assert mol.average_weight == pytest.approx(row["mw"], abs=1e-4)
        assert mol.exact_weight == pytest.approx(row["exact"], abs=1e-6)
        assert mol.cas == row["cas"]
        assert sorted(map(len, mol.rings())) == row["sssr"]
        assert mol.functional_groups() == group["groups"]
        assert mol.fragment_codes() == [(a["code"], a["text"]) for a in group["atoms"]]


def write_sd(path, records):
    path.write_bytes(b"".join(r if r.endswith(b"$$$$\n") else r + b"$$$$\n" for r in records))


def first_records(n):
    text = pathlib.Path(REAL[0]).read_bytes()
    return [r + b"$$$$\n" for r in text.split(b"$$$$\n")[:n]]


@pytest.fixture
def bad_file(tmp_path):
    records = first_records(4)
    records.insert(2, b"broken\n\n\n  2  1  0  0  0  0  0  0  0  0999 V2000\nnonsense\n")
    path = tmp_path / "bad.sdf"
    write_sd(path, records)
    return path


def test_unreadable_records_as_rdkit_reports_them(bad_file):
    Chem = rdkit()
    theirs = [m is None for m in Chem.SDMolSupplier(str(bad_file))]
    ours = [m is None for m in chem.read_sd(bad_file)]
    assert ours == theirs == [False, False, True, False, False]
    assert len(list(chem.read_sd(bad_file, errors="skip"))) == 4
    reader = chem.SDReader(bad_file, errors="raise")
    next(reader), next(reader)
    with pytest.raises(tkz.ConvertError, match="record index 2: not a structure of 1 to 63 atoms"):
        next(reader)
    assert reader.index == 2
    # The reader goes on after the bad record.
    assert next(reader).name == list(chem.read_sd(bad_file, errors="skip"))[2].name


def test_reader_is_a_context_manager(bad_file):
    with chem.read_sd(bad_file) as reader:
        first = next(reader)
        assert not reader.closed
    assert reader.closed and list(reader) == []
    assert first.name == next(iter(chem.read_sd(bad_file))).name


@pytest.mark.parametrize("call, error, message", [
    (lambda p: chem.read_sd(p / "missing.sdf"), tkz.InOutError, "missing.sdf"),
    (lambda p: chem.read_molfile(p / "missing.mol"), tkz.InOutError, "missing.mol"),
    (lambda p: chem.Molecule.from_molfile("not a molfile"), tkz.ConvertError, "1 to 63 atoms"),
    (lambda p: chem.read_sd(p, errors="ignore"), ValueError, "errors must be"),
])
def test_errors_name_what_was_wrong(tmp_path, call, error, message):
    with pytest.raises(error, match=message):
        call(tmp_path)


def test_windows_1252_names_and_data(tmp_path):
    record = first_records(1)[0].split(b"\n", 1)[1]
    name = "Caf\u00e9 \u00b1 \u20ac"
    data = b"> <REMARK>\n" + "\u00e0 la carte".encode("cp1252") + b"\n\n"
    text = name.encode("cp1252") + b"\n" + record.replace(b"$$$$\n", data + b"$$$$\n")
    (tmp_path / "n.sdf").write_bytes(text)
    mol = chem.read_molfile(tmp_path / "n.sdf")
    assert mol.name == name and mol.data["REMARK"] == "\u00e0 la carte"
    again = chem.Molecule.from_molfile(mol.to_molfile())
    assert again.name == name and again.bonds == mol.bonds and again.atoms == mol.atoms
    mol.name = "\u00c5ngstr\u00f6m"
    assert chem.Molecule.from_molfile(mol.to_molfile().encode("cp1252")).name == mol.name


def test_molfiles_we_write_read_back_in_rdkit():
    Chem = rdkit()
    from rdkit.Chem import rdMolDescriptors
    for mol in list(chem.read_sd(REAL[-1], errors="skip"))[:40]:
        theirs = Chem.MolFromMolBlock(mol.to_molfile(), sanitize=False, removeHs=False)
        assert theirs.GetNumAtoms() == len(mol) and theirs.GetNumBonds() == mol.num_bonds
        assert [a.GetAtomicNum() for a in theirs.GetAtoms()] == [a.atomic_number for a in mol.atoms]


def test_building_a_molecule():
    ethanol = chem.Molecule()
    for symbol in ("C", "C", "O"):
        ethanol.add_atom(symbol)
    ethanol.add_bond(0, 1)
    ethanol.add_bond(1, -1)
    assert str(ethanol.formula) == "C2 H6 O" and ethanol.hydrogen_counts == [3, 2, 1]
    assert ethanol.atom(-1).symbol == "O" and ethanol.bonds == [(0, 1, 1), (1, 2, 1)]
    with pytest.raises(IndexError):
        ethanol.add_bond(0, 3)
    with pytest.raises(ValueError):
        ethanol.add_bond(0, 0)
    big = chem.Molecule()
    for _ in range(63):
        big.add_atom(6)
    with pytest.raises(tkz.ConvertError, match="63 atoms"):
        big.add_atom(6)


def test_numpy_is_imported_only_for_arrays():
    code = ("import sys, tkz.chem as c\n"
            "m = [x for x in c.read_sd(%r) if x][0]\n"
            "m.atoms, m.rings(), m.formula, m.to_molfile(), m.render(%r)\n"
            "assert 'numpy' not in sys.modules\n"
            "assert m.coordinates().shape == (len(m), 3) and 'numpy' in sys.modules\n")
    out = os.path.join(os.environ.get("TMPDIR", "/tmp"), "tkz_chem_numpy_%d.png" % os.getpid())
    subprocess.run([sys.executable, "-c", code % (REAL[0], out)], check=True)
    os.remove(out)


def read_bmp(path):
    """A 24-bit BMP as an (h, w, 3) RGB array."""
    np = pytest.importorskip("numpy")
    raw = pathlib.Path(path).read_bytes()
    offset, w, h = (int.from_bytes(raw[i:i + 4], "little", signed=True) for i in (10, 18, 22))
    stride = (w * 3 + 3) // 4 * 4
    rows = np.frombuffer(raw, np.uint8, stride * abs(h), offset).reshape(abs(h), stride)[:, :w * 3]
    pixels = rows.reshape(abs(h), w, 3)[:, :, ::-1]
    return pixels[::-1] if h > 0 else pixels


@pytest.mark.skipif(not TOOL, reason="TKZ_TOOL not set")
@pytest.mark.parametrize("record, size, labels", [(1, (400, 300), "hetero"), (7, (123, 77), "all"),
                                                  (3, (300, 200), "numbers")])
def test_drawing_equals_the_tool(tmp_path, record, size, labels):
    mol = list(chem.read_sd(REAL[0]))[record - 1]
    subprocess.run([TOOL, "mol", "render", REAL[0], str(tmp_path / "t.png"), "--record", str(record),
                    "--size", "%dx%d" % size, "--labels", labels], check=True, capture_output=True)
    mol.render(tmp_path / "m.png", size=size, labels=labels)
    assert (tmp_path / "m.png").read_bytes() == (tmp_path / "t.png").read_bytes()
    picture = mol.to_array(size, labels=labels)
    assert picture.shape == (size[1], size[0], 3) and picture.dtype.name == "uint8"
    mol.render(str(tmp_path / "m.bmp"), size=size, labels=labels)
    assert (read_bmp(tmp_path / "m.bmp") == picture).all()
    assert (picture < 128).any() and (picture == 255).any()


@pytest.mark.parametrize("size, labels", [((0, 10), "hetero"), ((10, 9000), "all"), ((10, 10), "bold")])
def test_drawing_rejects(size, labels):
    mol = chem.read_molfile(REAL[0])
    with pytest.raises(ValueError):
        mol.to_array(size, labels=labels)


@pytest.mark.parametrize("newline", [b"\r\n", b"\r"])
def test_line_ends_read_alike(tmp_path, newline):
    text = b"".join(first_records(6))
    (tmp_path / "lf.sdf").write_bytes(text)
    (tmp_path / "other.sdf").write_bytes(text.replace(b"\n", newline))
    lf, other = list(chem.read_sd(tmp_path / "lf.sdf")), list(chem.read_sd(tmp_path / "other.sdf"))
    assert [(m.name, m.atoms, m.bonds, m.data) for m in lf] == [(m.name, m.atoms, m.bonds, m.data) for m in other]
    assert len(lf) == 6 and chem.search_file(tmp_path / "other.sdf", lf[2]) == chem.search_file(tmp_path / "lf.sdf", lf[2])


def test_overlong_records_are_unreadable(tmp_path):
    records = first_records(3)
    long_value = b"> <NOTE>\n" + (b"x" * 1000 + b"\n") * 1100 + b"\n"
    records[1] = records[1].replace(b"$$$$\n", long_value + b"$$$$\n")
    write_sd(tmp_path / "long.sdf", records)
    assert [m is None for m in chem.read_sd(tmp_path / "long.sdf")] == [False, True, False]
    with pytest.raises(tkz.ConvertError, match="record index 1: longer than 1048576 bytes"):
        list(chem.read_sd(tmp_path / "long.sdf", errors="raise"))
