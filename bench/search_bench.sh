#!/usr/bin/env bash
# Substructure screening on the real records of the SD reading benchmark
# (bench/sd_data.py): 20 queries without aromatic bonds, with bond checking,
# over every record of at most 63 atoms, one thread each side: our search
# (search_bench) against RDKit's HasSubstructMatch on the molecules as
# written (read before timing, CPU time, best of three); then "tkz mol
# search" over the whole file on one worker and on every core (wall time).
# Needs /usr/bin/python3 with rdkit.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target tkz search_bench >/dev/null
dir=build/bench/data
data=$dir/sd_records.sdf
queries=$dir/search_queries
mkdir -p "$dir" "$queries"
# Made again when bench/sd_data.py is newer (a file of an older version).
[ -s "$data" ] && [ "$data" -nt bench/sd_data.py ] ||
  /usr/bin/python3 bench/sd_data.py "$data" 12000 >/dev/null
/usr/bin/python3 tests/chem/rdkit_search.py queries "$queries" >"$queries/all.txt"
head -20 "$queries/all.txt" >"$queries/queries.txt"
records=$(grep -c '^\$\$\$\$' "$data")

ours=$(TKZ_SD_FILE="$data" TKZ_QUERY_DIR="$queries" build/bench/bench/search_bench \
  --benchmark_format=json 2>/dev/null | /usr/bin/python3 -c \
  'import json,sys; b=json.load(sys.stdin)["benchmarks"][0]; print(b["pairs"], int(b["hits"]))')
peer=$(/usr/bin/python3 - "$data" "$queries" <<'PY'
import os, sys, time
from rdkit import Chem, RDLogger
RDLogger.DisableLog("rdApp.*")
names = open(os.path.join(sys.argv[2], "queries.txt")).read().split()
queries = [Chem.MolFromMolFile(os.path.join(sys.argv[2], n + ".mol")) for n in names]
for q in queries:  # as written: Kekule, no aromatic flags
    Chem.Kekulize(q, clearAromaticFlags=True)
mols = []
for m in Chem.SDMolSupplier(sys.argv[1], sanitize=False, removeHs=False):
    if m is None or m.GetNumAtoms() > 63:
        continue
    m.UpdatePropertyCache(strict=False)
    Chem.FastFindRings(m)
    mols.append(m)
best, hits = None, 0
for _ in range(3):
    t = time.process_time()
    hits = sum(m.HasSubstructMatch(q) for m in mols for q in queries)
    t = time.process_time() - t
    best = t if best is None else min(best, t)
print(len(mols) * len(queries) / best, hits)
PY
)
read -r ours_rate ours_hits <<<"$ours"
read -r peer_rate peer_hits <<<"$peer"
echo "screening, pairs (records x queries) per CPU second, 20 queries:"
printf '  ours  %12.0f  (%s hits)\n  RDKit %12.0f  (%s hits)\n  ratio %.2f\n' \
  "$ours_rate" "$ours_hits" "$peer_rate" "$peer_hits" \
  "$(awk "BEGIN{print $ours_rate / $peer_rate}")"

# Wall time of one query over the records eight times over, best of three.
big=$dir/sd_records_x8.sdf
[ -s "$big" ] && [ "$big" -nt "$data" ] || for _ in 1 2 3 4 5 6 7 8; do cat "$data"; done >"$big"
wall() {
  local best=""
  for _ in 1 2 3; do
    local s e t
    s=$(date +%s.%N)
    build/bench/tools/tkz/tkz mol search "$queries/benzene.mol" "$big" --bonds "$@" \
      >/dev/null 2>&1 || true
    e=$(date +%s.%N)
    t=$(awk "BEGIN{print $e - $s}")
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
  done
  echo "$best"
}
one=$(wall --threads 1)
all=$(wall)
printf 'tkz mol search, benzene, %d records: %.2f s on 1 worker, %.2f s on %d; speed-up %.2f\n' \
  "$((records * 8))" "$one" "$all" "$(nproc)" "$(awk "BEGIN{print $one / $all}")"
