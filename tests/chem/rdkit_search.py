#!/usr/bin/python3
"""RDKit's side of the substructure search oracle test.

  rdkit_search.py queries OUTDIR
      Writes each query of QUERIES, in Kekule form, as OUTDIR/NAME.mol and
      prints its name, one per line, in order.
  rdkit_search.py match FILE.sdf
      One line per record of FILE as RDKit reads it (not sanitised,
      hydrogens kept, bonds as written): HasSubstructMatch of every query,
      as '1' or '0', for the query as written, a blank, and the same for
      the query with its charges taken off; "none" for a record RDKit does
      not read.
"""
import os
import sys

from rdkit import Chem, RDLogger

# Queries without aromatic bonds: SMILES, kekulised before use.
QUERIES = [
    ("benzene", "c1ccccc1"),
    ("pyridine", "c1ccncc1"),
    ("carboxyl", "C(=O)O"),
    ("amide", "C(=O)N"),
    ("nitro", "C[N+](=O)[O-]"),
    ("sulfonamide", "S(=O)(=O)N"),
    ("steroid", "C1CCC2C(C1)CCC1C2CCC2CCCC12"),
    ("ethanol", "CCO"),
    ("cyclohexane", "C1CCCCC1"),
    ("phenol", "Oc1ccccc1"),
    ("ester", "CC(=O)OC"),
    ("ketone", "CC(=O)C"),
    ("carbonyl", "C=O"),
    ("amine", "CN"),
    ("nitrile", "C#N"),
    ("chlorobenzene", "Clc1ccccc1"),
    ("thiophene", "c1ccsc1"),
    ("furan", "c1ccoc1"),
    ("cyclopentane", "C1CCCC1"),
    ("urea", "NC(=O)N"),
    ("tert-butyl", "CC(C)(C)C"),
    ("piperidine", "C1CCNCC1"),
    ("naphthalene", "c1ccc2ccccc2c1"),
    ("sulfonyl", "S(=O)=O"),
    ("phosphate", "P(=O)(O)O"),
    ("imine", "C=N"),
    ("carbamate", "OC(=O)N"),
    ("bromoalkyl", "CBr"),
    ("fluoro", "CF"),
    ("biphenyl", "c1ccc(cc1)-c1ccccc1"),
]


def query_mol(smiles):
    mol = Chem.MolFromSmiles(smiles)
    Chem.Kekulize(mol, clearAromaticFlags=True)
    return mol


def uncharged(mol):
    copy = Chem.RWMol(mol)
    for atom in copy.GetAtoms():
        atom.SetFormalCharge(0)
    return copy.GetMol()


def write_queries(outdir):
    for name, smiles in QUERIES:
        with open(os.path.join(outdir, name + ".mol"), "w") as f:
            f.write(Chem.MolToMolBlock(query_mol(smiles), kekulize=True))
        print(name)


def match(path):
    queries = [query_mol(s) for _, s in QUERIES]
    plain = [uncharged(q) for q in queries]
    out = sys.stdout
    for mol in Chem.SDMolSupplier(path, sanitize=False, removeHs=False):
        if mol is None:
            out.write("none\n")
            continue
        mol.UpdatePropertyCache(strict=False)
        Chem.FastFindRings(mol)
        out.write("%s %s\n" % (
            "".join("1" if mol.HasSubstructMatch(q) else "0" for q in queries),
            "".join("1" if mol.HasSubstructMatch(q) else "0" for q in plain)))


def main():
    RDLogger.DisableLog("rdApp.*")
    if len(sys.argv) == 3 and sys.argv[1] == "queries":
        write_queries(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "match":
        match(sys.argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
