#!/usr/bin/env bash
# Indexing a large SD file: the molecule viewer's record index (sd_index_bench,
# wall time of finding every record's bounds) against RDKit's SDMolSupplier
# counting the records of the same file (len(), which scans the file for its
# record offsets), on the real records of bench/sd_data.py eight times over
# (about 143 000 records, 236 MB, in the page cache). Best of three runs each;
# needs /usr/bin/python3 with rdkit.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target sd_index_bench >/dev/null
dir=build/bench/data
data=$dir/sd_records.sdf
big=$dir/sd_records_x8.sdf
mkdir -p "$dir"
[ -s "$data" ] && [ "$data" -nt bench/sd_data.py ] ||
  /usr/bin/python3 bench/sd_data.py "$data" 12000 >/dev/null
[ -s "$big" ] && [ "$big" -nt "$data" ] || for _ in 1 2 3 4 5 6 7 8; do cat "$data"; done >"$big"
cat "$big" >/dev/null

ours=$(TKZ_SD_FILE="$big" build/bench/bench/sd_index_bench --benchmark_repetitions=3 \
  --benchmark_format=json 2>/dev/null | /usr/bin/python3 -c '
import json, sys
runs = [b for b in json.load(sys.stdin)["benchmarks"] if b.get("run_type") == "iteration"]
best = max(runs, key=lambda b: b["records"])
print("%.0f" % best["records"])')
peer=$(/usr/bin/python3 - "$big" <<'PY'
import sys, time
from rdkit import Chem, RDLogger
RDLogger.DisableLog("rdApp.*")
best, n = None, 0
for _ in range(3):
    t = time.perf_counter()
    n = len(Chem.SDMolSupplier(sys.argv[1]))
    t = time.perf_counter() - t
    best = t if best is None else min(best, t)
print("%.0f" % (n / best))
PY
)
echo "indexing $(grep -c '^\$\$\$\$' "$big") records, records per second:"
printf '  ours  %12.0f\n  RDKit %12.0f\n  ratio %.2f\n' "$ours" "$peer" \
  "$(awk "BEGIN{print $ours / $peer}")"
