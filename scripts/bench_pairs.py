#!/usr/bin/env python3
"""Pairs "<name>/ours" with "<name>/peer" benchmarks of a Google Benchmark JSON
report and prints one line per pair: NAME: ours X UNIT, peer Y UNIT, ratio R."""
import json
import sys


def main(path):
    with open(path) as f:
        report = json.load(f)
    runs = {}
    for b in report.get("benchmarks", []):
        if b.get("run_type", "iteration") != "iteration":
            continue
        name = b["name"]
        for side in ("ours", "peer"):
            tag = "/" + side
            if tag in name:
                key = name.replace(tag, "", 1)
                runs.setdefault(key, {})[side] = (b["real_time"], b["time_unit"])
    for key, sides in runs.items():
        if "ours" not in sides or "peer" not in sides:
            print(f"{key}: unpaired ({', '.join(sides)})")
            continue
        (ours, unit_o), (peer, unit_p) = sides["ours"], sides["peer"]
        scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
        ratio = (peer * scale[unit_p]) / (ours * scale[unit_o]) if ours > 0 else float("inf")
        print(f"{key}: ours {ours:.4g} {unit_o}, peer {peer:.4g} {unit_p}, ratio {ratio:.2f}")


if __name__ == "__main__":
    for p in sys.argv[1:]:
        main(p)
