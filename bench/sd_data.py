#!/usr/bin/python3
"""Writes an SD file of real records for the SD reading benchmark.

The records come from Debian's rdkit-data: its SD files (PubChem, NCI,
ChEMBL-derived sets) as they are, and the 5 000 NCI compounds of
first_5K.smi written by RDKit with 2D coordinates. The set is repeated until
the file holds at least the wanted number of records.

usage: sd_data.py OUT.sdf [RECORDS]   (needs the rdkit module)
"""
import glob
import os
import subprocess
import sys
import tempfile

ROOT = "/usr/share/RDKit"
HELPER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "chem",
                      "rdkit_mdl.py")


def split_records(text):
    """The records of an SD text, each ending with its "$$$$" line, every
    other line kept as it is: a blank name line at the start of a record and
    the blank line that ends its last data item belong to the record."""
    out, lines = [], []
    for line in text.splitlines(keepends=True):
        if line.strip() == "$$$$":
            if "".join(lines).strip():
                out.append("".join(lines) + "$$$$\n")
            lines = []
        else:
            lines.append(line.rstrip("\r\n") + "\n")
    if "".join(lines).strip():
        out.append("".join(lines) + "$$$$\n")
    return out


def records():
    """The text of each record, as a list."""
    out = []
    for path in sorted(glob.glob(ROOT + "/**/*.sdf", recursive=True)):
        with open(path, encoding="latin-1") as f:
            out.extend(split_records(f.read()))
    # The NCI compounds as RDKit writes them, by the tests' own helper.
    with tempfile.TemporaryDirectory() as tmp:
        nci = os.path.join(tmp, "nci.sdf")
        subprocess.run([sys.executable, HELPER, "gen", ROOT + "/Data/NCI/first_5K.smi", nci],
                       check=True)
        with open(nci, encoding="latin-1") as f:
            out.extend(split_records(f.read()))
    return out


def main():
    target = int(sys.argv[2]) if len(sys.argv) > 2 else 12000
    recs = records()
    with open(sys.argv[1], "w", encoding="latin-1", newline="\n") as f:
        written = 0
        while written < target:
            for rec in recs:
                f.write(rec)
                written += 1
    print(written)


if __name__ == "__main__":
    main()
