"""Formulas and weights of real molecules, computed by RDKit, for
cform_oracle_test.cpp. Prints one line per molecule:

    FORMULA<TAB>EXACT<TAB>AVERAGE<TAB>NOMINAL<TAB>NAME

FORMULA has each element symbol followed by its count, blank-separated
("C10 H12 Cl N O"); EXACT is RDKit's monoisotopic weight, AVERAGE its
average weight, NOMINAL the sum of the mass numbers of each
element's most common isotope. Only neutral molecules (no atom with a formal charge) without
isotope labels are taken, at most COUNT of them (first argument, default
200), from the SD files named after it, in order. Exits with 2 when RDKit
is missing.
"""
import re
import sys

try:
    from rdkit import Chem, RDLogger
    from rdkit.Chem import Descriptors, rdMolDescriptors
except ImportError:
    sys.exit(2)

RDLogger.DisableLog("rdApp.*")
table = Chem.GetPeriodicTable()

count = int(sys.argv[1]) if len(sys.argv) > 1 else 200
taken = 0
seen = set()
for path in sys.argv[2:]:
    for i, mol in enumerate(Chem.SDMolSupplier(path)):
        if taken >= count:
            break
        if mol is None or mol.GetNumAtoms() == 0:
            continue
        # Charged atoms (zwitterions too) and isotope labels are left out:
        # RDKit weighs a charged molecule less the electrons' mass, and the
        # formula text of one molecule carries neither charge nor isotopes.
        if any(a.GetFormalCharge() != 0 or a.GetIsotope() != 0 for a in mol.GetAtoms()):
            continue
        formula = rdMolDescriptors.CalcMolFormula(mol)
        if formula in seen:
            continue
        parts = re.findall(r"([A-Z][a-z]?)(\d*)", formula)
        if "".join(s + n for s, n in parts) != formula:
            continue  # anything but plain symbols and counts
        seen.add(formula)
        text = " ".join(s + n for s, n in parts)
        name = mol.GetProp("_Name").strip() if mol.HasProp("_Name") else ""
        name = "%s#%d %s" % (path.rsplit("/", 1)[-1], i + 1, name)
        # Implicit hydrogens are 1H.
        nominal = sum(table.GetMostCommonIsotope(a.GetAtomicNum()) + a.GetTotalNumHs()
                      for a in mol.GetAtoms())
        print("%s\t%.8f\t%.8f\t%d\t%s" % (text, Descriptors.ExactMolWt(mol), Descriptors.MolWt(mol),
                                          nominal, name.replace("\t", " ")))
        taken += 1
