#!/usr/bin/python3
"""RDKit's side of the molfile oracle test.

  rdkit_mdl.py dump FILE.sdf
      One line per record as RDKit reads it (not sanitised, hydrogens kept):
      "N M | Z... | charge... | isotope... | a-b-order..." with orders 1, 2,
      3, 4 (aromatic) or 0 (other), atoms numbered from 1; "none" for a
      record RDKit does not read.
  rdkit_mdl.py gen FILE.smi OUT.sdf
      Writes every SMILES of a tab-separated (SMILES, id) file that RDKit
      reads as an SD record with 2D coordinates, named by its id.
"""
import sys

from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem

ORDERS = {
    Chem.BondType.SINGLE: 1,
    Chem.BondType.DOUBLE: 2,
    Chem.BondType.TRIPLE: 3,
    Chem.BondType.AROMATIC: 4,
}


def dump(path):
    supplier = Chem.SDMolSupplier(path, sanitize=False, removeHs=False)
    out = sys.stdout
    for mol in supplier:
        if mol is None:
            out.write("none\n")
            continue
        atoms = list(mol.GetAtoms())
        bonds = [
            "%d-%d-%d" % (b.GetBeginAtomIdx() + 1, b.GetEndAtomIdx() + 1,
                          ORDERS.get(b.GetBondType(), 0))
            for b in mol.GetBonds()
        ]
        out.write("%d %d | %s | %s | %s | %s\n" % (
            len(atoms), len(bonds),
            " ".join(str(a.GetAtomicNum()) for a in atoms),
            " ".join(str(a.GetFormalCharge()) for a in atoms),
            " ".join(str(a.GetIsotope()) for a in atoms),
            " ".join(bonds)))


def generate(smi, target):
    writer = Chem.SDWriter(target)
    with open(smi) as lines:
        for line in lines:
            fields = line.split()
            if not fields:
                continue
            mol = Chem.MolFromSmiles(fields[0])
            if mol is None:
                continue
            AllChem.Compute2DCoords(mol)
            mol.SetProp("_Name", fields[1] if len(fields) > 1 else "")
            writer.write(mol)
    writer.close()


def main():
    RDLogger.DisableLog("rdApp.*")
    if len(sys.argv) == 3 and sys.argv[1] == "dump":
        dump(sys.argv[2])
    elif len(sys.argv) == 4 and sys.argv[1] == "gen":
        generate(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
