"""Runs every benchmark section and prints, per call, its floor, its kernel time,
the measured time and how close the call is to its limit.

    python bench/run.py                          # plain table
    python bench/run.py --kernels PATH           # with the C++ kernel benchmark at PATH
    python bench/run.py --markdown               # the tables the Speed page shows
    python bench/run.py --readme                 # rewrites those tables in docs/speed.md

A call at its limit costs its floor (a builtin call of the same shape) plus its
kernel (the same work in C++ without the binding): measured / (floor + kernel)
is 1.0 there, and what exceeds 1.0 is binding overhead.
"""
from __future__ import annotations

import argparse
import contextlib
import importlib
import io
import json
import re
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent))

from harness import machine, run_rounds  # noqa: E402

SECTIONS = ["pricing", "smiles", "business_time"]


SPEED_PAGE = Path(__file__).parent.parent / "docs" / "speed.md"
MARKERS = re.compile(r"(<!-- bench:start -->\n).*?(<!-- bench:end -->)", re.S)
UNITS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def kernel_times(binary: str | None) -> dict[str, float]:
    """ns per call (per item, for a benchmark over many) of each C++ kernel:
    the best of its repetitions, like the Python figures, which are spread
    over the run in random order for the same reason as the Python rounds."""
    if not binary:
        return {}
    out = subprocess.run([binary, "--benchmark_format=json", "--benchmark_repetitions=5",
                          "--benchmark_min_time=0.1", "--benchmark_enable_random_interleaving=true"],
                         check=True, capture_output=True, text=True).stdout
    best: dict[str, float] = {}
    for run in json.loads(out)["benchmarks"]:
        if run.get("run_type") != "iteration":
            continue
        ns = run["real_time"] * UNITS[run["time_unit"]] / run.get("per_iteration", 1.0)
        best[run["run_name"]] = min(ns, best.get(run["run_name"], ns))
    return best


def update_speed_page(kernels: dict[str, float]) -> None:
    out = io.StringIO()
    with contextlib.redirect_stdout(out):
        report(kernels, markdown=True)
    text = SPEED_PAGE.read_text()
    if not MARKERS.search(text):
        sys.exit(f"{SPEED_PAGE} has no <!-- bench:start --> ... <!-- bench:end --> section")
    SPEED_PAGE.write_text(MARKERS.sub(lambda m: m.group(1) + out.getvalue() + m.group(2), text))
    print(out.getvalue())


def report(kernels: dict[str, float], markdown: bool) -> None:
    rows, comparisons, ratios, excess, growth = [], [], [], [], []
    for name in SECTIONS:
        module = importlib.import_module(name)
        rows += module.rows()
        comparisons += getattr(module, "COMPARISONS", [])
        ratios += getattr(module, "RATIOS", [])
        excess += getattr(module, "EXCESS_RATIOS", [])
        growth += getattr(module, "GROWTH_RATIOS", [])
    run_rounds()
    by_name = {row.name: row for row in rows}

    def floor_ns(row) -> float | None:
        return by_name[row.floor].ns if row.floor in by_name else None

    def kernel_ns(row) -> float | None:
        return kernels.get(row.kernel) if row.kernel else None

    def cells(row) -> list[str]:
        floor, kernel = floor_ns(row), kernel_ns(row)
        limit = (floor or 0.0) + (kernel or 0.0) if kernel is not None else None
        return [f"{floor:,.1f}" if floor is not None else "",
                f"{kernel:,.1f}" if kernel is not None else "",
                f"{row.ns:,.1f} per {row.per}",
                f"{row.ns / floor:.2f}x" if floor else "",
                f"{row.ns / limit:.2f}" if limit else ""]

    header = ["benchmark", "floor ns", "kernel ns", "measured ns", "vs floor", "measured / (floor + kernel)",
              "target"]
    table = [[row.name, *cells(row), row.target] for row in rows]
    if markdown:
        print(f"Measured by `make bench` on {machine()}.\n")
        print("| " + " | ".join(header) + " |")
        print("|---|---:|---:|---:|---:|---:|---|")
        for line in table:
            print("| " + " | ".join(line) + " |")
        print("\n| kelvane | set against | ratio | target |")
        print("|---|---|---:|---|")
    else:
        print(machine())
        widths = [max(len(line[i]) for line in [header, *table]) for i in range(len(header))]
        for line in [header, *table]:
            print("  ".join(cell.ljust(w) if i in (0, 6) else cell.rjust(w)
                            for i, (cell, w) in enumerate(zip(line, widths))).rstrip())
        print()

    def show(ours: str, theirs: str, value: str, goal: str) -> None:
        if markdown:
            print(f"| {ours} | {theirs} | {value} | {goal} |")
        else:
            print(f"{ours} against {theirs}: {value} {('(target ' + goal + ')') if goal else ''}")

    for ours, peer, target in comparisons:
        if ours in by_name and peer in by_name:
            show(ours, peer, f"{by_name[peer].ns / by_name[ours].ns:.1f}x faster",
                 f">= {target:g}x" if target else "")
    for ours, other, target in ratios:
        if ours in by_name and other in by_name:
            show(ours, other, f"{by_name[ours].ns / by_name[other].ns:.2f}x", f"<= {target:g}x")
    for ours, other, target in excess:
        if ours in by_name and other in by_name:
            mine, theirs = by_name[ours], by_name[other]
            value = (mine.ns - floor_ns(mine)) / (theirs.ns - floor_ns(theirs))
            show(f"{ours}, above its floor", f"{other}, above its floor", f"{value:.2f}x", f"<= {target:g}x")
    for long, short, long_floor, short_floor, target in growth:
        if all(name in by_name for name in (long, short, long_floor, short_floor)):
            ours = by_name[long].ns / by_name[short].ns
            floors = by_name[long_floor].ns / by_name[short_floor].ns
            show(f"{long}, per strike", f"{short}, beside the floor's growth",
                 f"{ours:.2f}x / {floors:.2f}x = {ours / floors:.2f}x", f"<= {target:g}x")


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--kernels", help="the C++ kernel benchmark binary (make kernel-bench builds it)")
    parser.add_argument("--markdown", action="store_true")
    parser.add_argument("--readme", action="store_true")
    args = parser.parse_args()
    kernels = kernel_times(args.kernels)
    if args.readme:
        update_speed_page(kernels)
        return
    report(kernels, markdown=args.markdown)


if __name__ == "__main__":
    main()
