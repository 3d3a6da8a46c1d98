#!/usr/bin/env python3
"""Side-by-side ratios: ours against a reference, measured in the same process.

Each line of bench/ratios.txt names a benchmark program, our benchmark, the reference one,
the goal (the largest ratio that meets it, or -) and what is compared. For each program the
listed benchmarks run together with repetitions in random interleaving, so ours and the
reference alternate under the same load; the ratio is of the medians of CPU time.

  bench/ratios.py [BUILD_DIR] [--repetitions N] [--only PROGRAM] [--markdown]
"""
import argparse
import json
import pathlib
import re
import statistics
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent


def read_pairs(only):
    pairs = []
    for line in (HERE / "ratios.txt").read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        program, ours, reference, goal, what = line.split(None, 4)
        if only and program != only:
            continue
        pairs.append((program, ours, reference, None if goal == "-" else float(goal), what))
    return pairs


def run(build, program, names, repetitions):
    pattern = "^(" + "|".join(re.escape(n) for n in sorted(set(names))) + ")$"
    out = subprocess.run(
        [str(build / "bench" / program), f"--benchmark_filter={pattern}",
         f"--benchmark_repetitions={repetitions}", "--benchmark_enable_random_interleaving=true",
         "--benchmark_min_time=0.05", "--benchmark_format=json"],
        check=True, capture_output=True, text=True).stdout
    times = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") == "iteration":
            times.setdefault(b["run_name"], []).append(b["cpu_time"] * scale(b["time_unit"]))
    return {name: statistics.median(ts) for name, ts in times.items()}


def scale(unit):
    return {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[unit]


def show(ns):
    for unit, size in (("ms", 1e6), ("µs", 1e3)):
        if ns >= size:
            return f"{ns / size:.3g} {unit}"
    return f"{ns:.3g} ns"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default=str(HERE.parent / "build"))
    parser.add_argument("--repetitions", type=int, default=15)
    parser.add_argument("--only")
    parser.add_argument("--markdown", action="store_true")
    args = parser.parse_args()
    build = pathlib.Path(args.build)
    pairs = read_pairs(args.only)
    medians = {}
    for program in dict.fromkeys(p[0] for p in pairs):
        names = [n for p in pairs if p[0] == program for n in p[1:3]]
        medians[program] = run(build, program, names, args.repetitions)
    missed = 0
    if args.markdown:
        print("| compared | ours | reference | ratio | goal |")
        print("|---|---|---|---|---|")
    for program, ours, reference, goal, what in pairs:
        a, b = medians[program][ours], medians[program][reference]
        ratio = a / b
        met = goal is None or ratio <= goal
        missed += not met
        goal_text = "-" if goal is None else f"≤ {goal:g}" + ("" if met else " (missed)")
        if args.markdown:
            print(f"| {what} | {show(a)} | {show(b)} | {ratio:.2f} | {goal_text} |")
        else:
            print(f"{what:60} {show(a):>10} {show(b):>10} {ratio:6.2f}  {goal_text}")
    print(f"{len(pairs) - missed} of {len(pairs)} goals met", file=sys.stderr)


if __name__ == "__main__":
    main()
