#!/usr/bin/python3
"""tkz.chem against RDKit from Python, on the real records of the SD reading
benchmark (bench/sd_data.py: rdkit-data's SD files and RDKit's NCI set,
repeated to at least 12 000 records).

Reading: molecules per second, tkz.chem.read_sd against RDKit's
SDMolSupplier (sanitised, as it is mostly used, and not) and
ForwardSDMolSupplier. Screening: the 20 queries of bench/search_bench.sh
(no aromatic bonds, bond orders checked) over every record: tkz.chem.search_file
(which reads the file as well), one query at a time and all 20 in one reading
of the file, on one worker and on every core, against
RDKit's HasSubstructMatch over molecules read beforehand, on one process and
on a pool of one process per core. Wall times, best of three.

usage: PYTHONPATH=build/bench/python /usr/bin/python3 bench/python_chem_bench.py [FILE.sdf]
(build the package first: cmake --preset bench && cmake --build --preset bench --target tkz_python)
"""
import multiprocessing
import os
import pathlib
import subprocess
import sys
import time

from rdkit import Chem, RDLogger

from tkz import chem

ROOT = pathlib.Path(__file__).resolve().parents[1]
RDLogger.DisableLog("rdApp.*")


def best(fn, repeat=3):
    times, result = [], None
    for _ in range(repeat):
        t = time.perf_counter()
        result = fn()
        times.append(time.perf_counter() - t)
    return min(times), result


def data_file():
    if len(sys.argv) > 1:
        return sys.argv[1]
    path = ROOT / "build" / "bench" / "data" / "sd_records.sdf"
    if not path.exists() or path.stat().st_mtime < (ROOT / "bench" / "sd_data.py").stat().st_mtime:
        path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run([sys.executable, str(ROOT / "bench" / "sd_data.py"), str(path), "12000"],
                       check=True, stdout=subprocess.DEVNULL)
    return str(path)


def queries():
    sys.path.insert(0, str(ROOT / "tests" / "chem"))
    import rdkit_search
    out = []
    for _, smiles in rdkit_search.QUERIES[:20]:
        q = rdkit_search.query_mol(smiles)
        out.append((q, chem.Molecule.from_molfile(Chem.MolToMolBlock(q, kekulize=True))))
    return out


MOLS = []  # RDKit's molecules, shared with the pool's processes by fork


def rdkit_hits(query):
    return [i for i, m in MOLS if m.HasSubstructMatch(query)]


def main():
    path = data_file()
    cores = os.cpu_count() or 1
    print("file: %s" % path)

    # ------------------------------------------------------------ reading
    t_ours, n = best(lambda: sum(1 for _ in chem.read_sd(path)))
    t_sane, _ = best(lambda: sum(1 for _ in Chem.SDMolSupplier(path)))
    t_raw, _ = best(lambda: sum(1 for _ in Chem.SDMolSupplier(path, sanitize=False, removeHs=False)))
    with open(path, "rb") as f:
        t_fwd, _ = best(lambda: (f.seek(0), sum(1 for _ in Chem.ForwardSDMolSupplier(f)))[1])
    print("\nreading %d records, molecules per second:" % n)
    print("  tkz read_sd                         %9.0f" % (n / t_ours))
    for label, t in (("RDKit SDMolSupplier", t_sane), ("RDKit SDMolSupplier, not sanitised", t_raw),
                     ("RDKit ForwardSDMolSupplier", t_fwd)):
        print("  %-35s %9.0f   tkz is %.1f x" % (label, n / t, t / t_ours))

    # ---------------------------------------------------------- screening
    qs = queries()
    ours = [i for i, m in enumerate(chem.read_sd(path)) if m is not None]
    for i, m in enumerate(Chem.SDMolSupplier(path, sanitize=False, removeHs=False)):
        if m is None or m.GetNumAtoms() > 63:
            continue
        m.UpdatePropertyCache(strict=False)
        Chem.FastFindRings(m)
        MOLS.append((i, m))
    pairs = len(ours) * len(qs)
    t_one, hits_one = best(lambda: [chem.search_file(path, q, threads=1) for _, q in qs])
    t_all, hits_all = best(lambda: [chem.search_file(path, q) for _, q in qs])
    t_many_one, hits_many = best(lambda: chem.search_file(path, [q for _, q in qs], threads=1))
    t_many, _ = best(lambda: chem.search_file(path, [q for _, q in qs]))
    t_rd, hits_rd = best(lambda: [rdkit_hits(q) for q, _ in qs])
    # Both read before and looped over in Python, the way RDKit is mostly used.
    mols = [(i, m) for i, m in enumerate(chem.read_sd(path)) if m is not None]
    t_loop, hits_loop = best(lambda: [[i for i, m in mols if m.has_substructure(q)] for _, q in qs])

    def rdkit_file(q):  # one query over the file, reading included
        hits = []
        for i, m in enumerate(Chem.SDMolSupplier(path, sanitize=False, removeHs=False)):
            if m is None or m.GetNumAtoms() > 63:
                continue
            m.UpdatePropertyCache(strict=False)
            Chem.FastFindRings(m)
            if m.HasSubstructMatch(q):
                hits.append(i)
        return hits

    t_file_rd, _ = best(lambda: rdkit_file(qs[0][0]), repeat=1)
    t_file_ours, _ = best(lambda: chem.search_file(path, qs[0][1], threads=1))
    with multiprocessing.get_context("fork").Pool(cores) as pool:
        t_pool, _ = best(lambda: pool.map(rdkit_hits, [q for q, _ in qs]))
    same = hits_one == hits_all == hits_rd == hits_many == hits_loop
    print("\nscreening %d queries x %d records (%d hits; %s), pairs per second:"
          % (len(qs), len(ours), sum(map(len, hits_one)), "same hits as RDKit" if same else "HITS DIFFER"))
    print("  tkz search_file, one query at a time (the file read 20 times):")
    print("    1 worker                                       %9.0f" % (pairs / t_one))
    print("    %d workers                                      %9.0f" % (cores, pairs / t_all))
    print("  tkz search_file, the 20 queries in one reading:")
    print("    1 worker                                       %9.0f" % (pairs / t_many_one))
    print("    %d workers                                      %9.0f" % (cores, pairs / t_many))
    print("  tkz has_substructure, 1 process (read before)    %9.0f" % (pairs / t_loop))
    print("  RDKit HasSubstructMatch, 1 process (read before) %9.0f" % (pairs / t_rd))
    print("  RDKit HasSubstructMatch, pool of %d               %9.0f" % (cores, pairs / t_pool))
    print("  ratios to RDKit (one reading): 1 worker / 1 process %.1f x; %d workers / pool of %d %.1f x"
          % (t_rd / t_many_one, cores, cores, t_pool / t_many))
    print("  ratio to RDKit, both read before, a Python loop over the molecules: %.1f x" % (t_rd / t_loop))
    print("  ratios to RDKit (one query at a time, tkz reading the file each time): %.1f x and %.1f x"
          % (t_rd / t_one, t_pool / t_all))
    print("\none query over the file, reading included, seconds: tkz search_file (1 worker) %.3f, "
          "RDKit SDMolSupplier + HasSubstructMatch %.3f; tkz is %.1f x"
          % (t_file_ours, t_file_rd, t_file_rd / t_file_ours))


if __name__ == "__main__":
    main()
