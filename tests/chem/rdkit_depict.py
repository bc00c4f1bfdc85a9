#!/usr/bin/python3
"""RDKit's side of the structure display's orientation test.

  rdkit_depict.py FILE.sdf WIDTH HEIGHT [COUNT]
      For each of the first COUNT records (all by default), the pixel
      positions at which RDKit's MolDraw2DCairo draws the atoms of the file's
      own coordinates (no new layout), one line per record:
      "ATOMS x1 y1 x2 y2 ...", or "none" for a record RDKit does not read.
"""
import sys

from rdkit import Chem, RDLogger
from rdkit.Chem.Draw import rdMolDraw2D


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    RDLogger.DisableLog("rdApp.*")
    width, height = int(sys.argv[2]), int(sys.argv[3])
    count = int(sys.argv[4]) if len(sys.argv) == 5 else -1
    out = sys.stdout
    for i, mol in enumerate(Chem.SDMolSupplier(sys.argv[1], sanitize=False, removeHs=False)):
        if i == count:
            break
        if mol is None or mol.GetNumConformers() == 0:
            out.write("none\n")
            continue
        mol.UpdatePropertyCache(strict=False)
        Chem.FastFindRings(mol)
        drawer = rdMolDraw2D.MolDraw2DCairo(width, height)
        drawer.drawOptions().prepareMolsBeforeDrawing = False
        drawer.DrawMolecule(mol)
        drawer.FinishDrawing()
        points = [drawer.GetDrawCoords(a) for a in range(mol.GetNumAtoms())]
        out.write("%d %s\n" % (mol.GetNumAtoms(),
                               " ".join("%.2f %.2f" % (p.x, p.y) for p in points)))


if __name__ == "__main__":
    main()
