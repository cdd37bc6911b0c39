"""Runs every benchmark section and prints ns per call with the ratios.

    python bench/run.py              # plain table
    python bench/run.py --markdown   # the tables the README shows
    python bench/run.py --readme     # rewrites those tables in README.md
"""
from __future__ import annotations

import argparse
import contextlib
import importlib
import io
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent))

from harness import machine  # noqa: E402

SECTIONS = ["pricing", "smiles", "business_time"]


README = Path(__file__).parent.parent / "README.md"
MARKERS = re.compile(r"(<!-- bench:start -->\n).*?(<!-- bench:end -->)", re.S)


def update_readme() -> None:
    out = io.StringIO()
    with contextlib.redirect_stdout(out):
        report(markdown=True)
    text = README.read_text()
    if not MARKERS.search(text):
        sys.exit("README.md has no <!-- bench:start --> ... <!-- bench:end --> section")
    README.write_text(MARKERS.sub(lambda m: m.group(1) + out.getvalue() + m.group(2), text))
    print(out.getvalue())


def report(markdown: bool) -> None:
    rows, comparisons = [], []
    for name in SECTIONS:
        module = importlib.import_module(name)
        rows += module.rows()
        comparisons += getattr(module, "COMPARISONS", [])
    by_name = {row.name: row for row in rows}

    def ratio(row) -> str:
        if row.floor is None or row.floor not in by_name:
            return ""
        return f"{row.ns / by_name[row.floor].ns:.2f}x floor"

    if markdown:
        print(f"Measured by `make bench` on {machine()}.\n")
        print("| benchmark | ns per call | vs floor | target |")
        print("|---|---:|---:|---|")
        for row in rows:
            print(f"| {row.name} | {row.ns:,.0f} per {row.per} | {ratio(row)} | {row.target} |")
        print("\n| kelvane | peer | kelvane is faster by | target |")
        print("|---|---|---:|---|")
    else:
        print(machine())
        width = max(len(row.name) for row in rows)
        for row in rows:
            print(f"{row.name:<{width}}  {row.ns:>10,.1f} ns per {row.per:<7} {ratio(row):>12}  {row.target}")
        print()
    for ours, peer, target in comparisons:
        if ours not in by_name or peer not in by_name:
            continue
        speedup = by_name[peer].ns / by_name[ours].ns
        goal = f">= {target:g}x" if target else ""
        if markdown:
            print(f"| {ours} | {peer} | {speedup:.1f}x | {goal} |")
        else:
            print(f"{ours} vs {peer}: {speedup:.1f}x faster {('(target ' + goal + ')') if goal else ''}")


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--markdown", action="store_true")
    parser.add_argument("--readme", action="store_true")
    args = parser.parse_args()
    if args.readme:
        update_readme()
        return
    report(markdown=args.markdown)


if __name__ == "__main__":
    main()
