#!/usr/bin/env python3
"""The projection routines beside PROJ, as ratios of CPU times measured in one run.

Runs geodetic_bench (default build) with repetitions and prints, for each of our rows, the
median over the repetitions of (our time / PROJ's time in the same repetition). Usage:
    bench/projection_ratios.py [build/default/bench/geodetic_bench] [repetitions]
"""
import csv
import io
import statistics
import subprocess
import sys

BENCH = sys.argv[1] if len(sys.argv) > 1 else "build/default/bench/geodetic_bench"
REPS = int(sys.argv[2]) if len(sys.argv) > 2 else 7

# Our row, the PROJ row it is set beside.
PAIRS = [
    ("BM_Sub4ForwardNoLift", "BM_ProjTmercForward", "Sub4 forward, no lift"),
    ("BM_BL2XYg/lifted:1", "BM_ProjTmercForward", "BL2XYg with lift"),
    ("BM_BL2XYg/lifted:0", "BM_ProjTmercForward", "BL2XYg, nothing lifted"),
    ("BM_XYg2BL/lifted:1", "BM_ProjTmercInverse", "XYg2BL with lift"),
    ("BM_XYg2BL/lifted:0", "BM_ProjTmercInverse", "XYg2BL, nothing lifted"),
    ("BM_xyzblh", "BM_ProjGeocentricInverse", "xyzblh"),
]

ratios = {name: [] for name, _, _ in PAIRS}
times = {name: [] for name, _, _ in PAIRS}
for _ in range(REPS):
    out = subprocess.run(
        [BENCH, "--benchmark_filter=Sub4|BL2XYg|XYg2BL|xyzblh|Proj", "--benchmark_min_time=0.3",
         "--benchmark_format=csv"],
        check=True, capture_output=True, text=True).stdout
    lines = [l for l in out.splitlines() if l.startswith("name") or l.startswith('"BM')]
    cpu = {r["name"]: float(r["cpu_time"]) for r in csv.DictReader(io.StringIO("\n".join(lines)))}
    for name, peer, _ in PAIRS:
        ratios[name].append(cpu[name] / cpu[peer])
        times[name].append(cpu[name])

print(f"{'routine':28} {'µs / 1024 points':>17} {'ratio to PROJ':>14}  (median of {REPS} runs)")
for name, _, label in PAIRS:
    print(f"{label:28} {statistics.median(times[name]) / 1000:17.1f} "
          f"{statistics.median(ratios[name]):13.3f}x")
