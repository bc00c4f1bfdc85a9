#!/usr/bin/env bash
# Frames per second of drawing one 63-atom structure at 800 x 600: our
# TChemGraph (chemgrph_bench) against RDKit's rdMolDraw2D Cairo drawer on the
# same molfile, its own coordinates, one new drawing per frame (CPU time,
# best of three runs of at least a second). The molecule is ZINC03815172 of
# rdkit-data's egfr.sdf (63 atoms with its hydrogens), laid out flat by
# RDKit's Compute2DCoords, since rdkit-data holds no flat drawing of 63
# atoms; TKZ_MOL_FILE and TKZ_MOL_RECORD name another record. Needs
# /usr/bin/python3 with rdkit and rdkit-data.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target chemgrph_bench >/dev/null
if [ -z "${TKZ_MOL_FILE:-}" ]; then
  mkdir -p build/bench/data
  file=build/bench/data/chemgrph_63.mol
  record=1
  /usr/bin/python3 - "$file" <<'PY'
import sys
from rdkit import Chem, RDLogger
from rdkit.Chem import rdDepictor
RDLogger.DisableLog("rdApp.*")
mol = Chem.SDMolSupplier("/usr/share/RDKit/Contrib/PBF/testData/egfr.sdf", removeHs=False)[170]
assert mol.GetNumAtoms() == 63
rdDepictor.SetPreferCoordGen(False)
rdDepictor.Compute2DCoords(mol, canonOrient=True)
Chem.MolToMolFile(mol, sys.argv[1], kekulize=True)
PY
else
  file=$TKZ_MOL_FILE
  record=${TKZ_MOL_RECORD:-1}
fi

ours=$(TKZ_MOL_FILE="$file" TKZ_MOL_RECORD="$record" build/bench/bench/chemgrph_bench \
  --benchmark_repetitions=3 --benchmark_min_time=1 --benchmark_format=json 2>/dev/null |
  /usr/bin/python3 -c '
import json, sys
runs = [b for b in json.load(sys.stdin)["benchmarks"] if b.get("run_type") == "iteration"]
best = max(runs, key=lambda b: b["fps"])
print("%.1f %d" % (best["fps"], best["atoms"]))')
peer=$(/usr/bin/python3 - "$file" "$record" <<'PY'
import sys, time
from rdkit import Chem, RDLogger
from rdkit.Chem.Draw import rdMolDraw2D
RDLogger.DisableLog("rdApp.*")
mols = Chem.SDMolSupplier(sys.argv[1], sanitize=False, removeHs=False)
mol = mols[int(sys.argv[2]) - 1]
mol.UpdatePropertyCache(strict=False)
Chem.FastFindRings(mol)
mol = rdMolDraw2D.PrepareMolForDrawing(mol, kekulize=False, addChiralHs=False)
def frame():
    d = rdMolDraw2D.MolDraw2DCairo(800, 600)
    d.drawOptions().prepareMolsBeforeDrawing = False
    d.DrawMolecule(mol)
    d.FinishDrawing()
best = 0.0
for _ in range(3):
    n, t0 = 0, time.process_time()
    while time.process_time() - t0 < 1.0:
        frame()
        n += 1
    best = max(best, n / (time.process_time() - t0))
print("%.1f %d" % (best, mol.GetNumAtoms()))
PY
)
read -r ours_fps ours_atoms <<<"$ours"
read -r peer_fps peer_atoms <<<"$peer"
echo "structure drawing, 800 x 600, record $record of $(basename "$file"), frames per CPU second:"
printf '  ours  %10.1f  (%s atoms)\n  RDKit %10.1f  (%s atoms, MolDraw2DCairo)\n  ratio %.2f\n' \
  "$ours_fps" "$ours_atoms" "$peer_fps" "$peer_atoms" "$(awk "BEGIN{print $ours_fps / $peer_fps}")"
