"""tkz.chem elements, CAS numbers and formulas, against the tkz tool's JSON
output (the same library through the command line) and RDKit."""

import json
import os
import subprocess

import pytest

import tkz
from tkz import chem

TOOL = os.environ.get("TKZ_TOOL")
needs_tool = pytest.mark.skipif(not TOOL, reason="TKZ_TOOL not set")


def tool_lines(*args):
    out = subprocess.run([TOOL, *args], capture_output=True, text=True, check=True).stdout
    return [json.loads(line) for line in out.splitlines()]


@needs_tool
def test_every_element_agrees_with_the_tool():
    rows = tool_lines("element", "--all")
    assert len(rows) == len(chem.elements()) == 103
    for row, e in zip(rows, chem.elements()):
        assert (e.number, e.symbol, e.name) == (row["z"], row["symbol"], row["name"])
        assert chem.element(e.symbol) == chem.element(e.number) == e
        assert e.nominal_weight == row["nominal_mass"]
        assert e.exact_weight == pytest.approx(row["exact_mass"], abs=5e-7)
        assert (e.average_weight or 0) == pytest.approx(row["chemical_weight"] or 0, abs=5e-5)
        assert (e.vdw_radius or 0) == pytest.approx(row["vdw_radius"] or 0, abs=1e-9)
        assert e.electron_configuration == row["configuration"]
        assert e.full_electron_configuration == row["full_configuration"]
        assert e.outer_electrons == row["outer_electrons"]
        assert e.grid_position == (row["periodic"]["column"], row["periodic"]["row"])
        assert list(e.xray_lines) == [row["xray"][k] for k in ("k_alpha", "l_alpha", "m_alpha")]


def test_exact_weights_agree_with_rdkit():
    rdkit = pytest.importorskip("rdkit.Chem")
    table = rdkit.GetPeriodicTable()
    worst = 0.0
    for e in chem.elements():
        if e.average_weight is None:
            continue
        worst = max(worst, abs(e.exact_weight - table.GetMassForIsotope(e.number, e.nominal_weight)))
    print("largest exact-weight difference from RDKit: %.2g u" % worst)
    assert worst < 5e-5


def test_periodic_positions():
    # The grid's rows are the periods; lanthanides and actinides stand apart.
    assert [(chem.element(s).period, chem.element(s).group) for s in ("H", "Fe", "Cl", "Ce", "U")] == [
        (1, 1), (4, 8), (3, 17), (6, None), (7, None)]


@pytest.mark.parametrize("key, error", [("XX", ValueError), ("cl", ValueError), (0, ValueError),
                                        (104, ValueError), (2.5, TypeError)])
def test_element_rejects(key, error):
    with pytest.raises(error):
        chem.element(key)


@needs_tool
def test_xray_lines_in_a_range_agree_with_the_tool():
    rows = tool_lines("element", "--lines", "6.0", "7.0")
    lines = chem.xray_lines(6.0, 7.0)
    assert [(l.number, l.energy) for l in lines] == [(r["z"], pytest.approx(r["energy"])) for r in rows]
    assert all(chem.element(l.number).symbol == l.symbol for l in lines)


@pytest.mark.parametrize("text, number, valid", [
    ("7732-18-5", 7732185, True), ("50-00-0", 50000, True), ("7732-18-4", 7732184, False),
    ("64-17-5", 64175, True)])
def test_cas_numbers(text, number, valid):
    assert chem.check_cas(text) == chem.check_cas(number) == valid
    assert chem.format_cas(number) == text
    assert chem.parse_cas(text, check=False) == number
    if not valid:
        with pytest.raises(tkz.ConvertError, match="check digit"):
            chem.parse_cas(text)


@pytest.mark.parametrize("text", ["7732185", "77-32-18-5", "", "x-00-0"])
def test_malformed_cas_texts(text):
    assert not chem.check_cas(text)
    with pytest.raises(tkz.ConvertError, match="invalid CAS number"):
        chem.parse_cas(text)


FORMULAS = ["C6H12O6", "C6 H12 O6", "(C H3)2 C O", "C H3 (C H2)2 O H", "13C6 H6", "D2 O",
            "Na Cl", "C8 H10 N4 O2", "U F6", "Fe2 (S O4)3", "C60"]


@needs_tool
@pytest.mark.parametrize("text", FORMULAS)
def test_formulas_agree_with_the_tool(text):
    row = tool_lines("formula", text)[0]
    f = chem.Formula(text)
    assert f.entries == [(e["symbol"], e["mass_number"], e["count"]) for e in row["entries"]]
    assert f.nominal_weight == row["nominal_mass"]
    assert f.average_weight == pytest.approx(row["average_weight"], abs=5e-5)
    assert f.exact_weight == pytest.approx(row["exact_mass"], abs=5e-7)
    # The text form reads back as the same formula, isotopes and all.
    assert chem.Formula(str(f)) == f
    assert chem.Formula(f.counts) == f or any(m != chem.element(s).nominal_weight
                                              for s, m, _ in f.entries)


def test_formula_arithmetic_and_comparison():
    water, glucose = chem.Formula("H2 O"), chem.Formula("C6 H12 O6")
    assert glucose + 6 * water == chem.Formula("C6 H24 O12") == glucose + "H12 O6"
    assert water < glucose and glucose > water and water <= water and "C H2" in glucose
    assert not (chem.Formula("N") <= glucose) and not (glucose <= chem.Formula("N"))
    assert chem.Formula() <= water and not chem.Formula()
    assert len({chem.Formula("C6H12O6"), glucose, chem.Formula("(C H2 O)6")}) == 1
    assert (glucose * 0).num_atoms == 0 and glucose.num_atoms == 24


@pytest.mark.parametrize("text, error", [("NaCl", tkz.ConvertError), ("C6 H12 Xx", tkz.ConvertError),
                                         (12, TypeError), ("C6 H12 O6 ?", tkz.ConvertError)])
def test_unreadable_formulas(text, error):
    with pytest.raises(error):
        chem.Formula(text)


def test_formulas_of_real_molecules_are_found_by_their_mass():
    """A molecule's formula is found again among C, H, N, O formulas of its
    exact mass, as RDKit weighs it."""
    rdkit = pytest.importorskip("rdkit.Chem")
    from rdkit.Chem import Descriptors, rdMolDescriptors
    from rdkit import RDLogger
    RDLogger.DisableLog("rdApp.*")
    found = 0
    for mol in rdkit.SDMolSupplier("/usr/share/RDKit/Data/NCI/first_200.props.sdf"):
        if mol is None or any(a.GetSymbol() not in "CHNO" or a.GetFormalCharge() for a in mol.GetAtoms()):
            continue
        text = rdMolDescriptors.CalcMolFormula(mol)
        f = chem.Formula(" ".join(text.replace("C", " C").replace("H", " H").replace("N", " N")
                                  .replace("O", " O").split()))
        assert f.exact_weight == pytest.approx(Descriptors.ExactMolWt(mol), abs=5e-4)
        upper = chem.Formula({s: n + 2 for s, n in f.counts.items()})
        hits = list(chem.find_formulas(Descriptors.ExactMolWt(mol), upper, tolerance=0.001))
        assert f in hits and all(abs(h.exact_weight - f.exact_weight) <= 0.002 for h in hits)
        found += 1
        if found == 15:
            break
    assert found == 15
