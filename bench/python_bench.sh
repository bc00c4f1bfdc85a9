#!/usr/bin/env bash
# The Python module against its peers, from Python: tkz.geo.utm on a million
# points against pyproj's Transformer, and reading and screening the real SD
# files against RDKit. Builds the bench preset's module and runs both scripts
# with the system interpreter (it has numpy, pyproj and RDKit).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup
cmake --preset bench >/dev/null
cmake --build --preset bench --target tkz_python >/dev/null
export PYTHONPATH=build/bench/python
/usr/bin/python3 bench/python_geo_bench.py "$@"
/usr/bin/python3 bench/python_chem_bench.py
