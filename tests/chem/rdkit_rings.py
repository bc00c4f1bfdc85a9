#!/usr/bin/python3
"""RDKit's side of the ring oracle test.

  rdkit_rings.py FILE.sdf
      One line per record as RDKit reads it (not sanitised, hydrogens kept):
      "ATOMS SSSR | sizes of the symmetrised SSSR, ascending", or "none" for
      a record RDKit does not read.
"""
import sys

from rdkit import Chem, RDLogger


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    RDLogger.DisableLog("rdApp.*")
    out = sys.stdout
    for mol in Chem.SDMolSupplier(sys.argv[1], sanitize=False, removeHs=False):
        if mol is None:
            out.write("none\n")
            continue
        sssr = Chem.GetSSSR(mol)
        count = sssr if isinstance(sssr, int) else len(sssr)
        sizes = sorted(len(r) for r in Chem.GetSymmSSSR(mol))
        out.write("%d %d | %s\n" % (mol.GetNumAtoms(), count, " ".join(map(str, sizes))))


if __name__ == "__main__":
    main()
