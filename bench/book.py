"""Pricing a whole book from a pandas DataFrame: the per-option cost of the
ways a user might loop over its rows.

    python bench/book.py             # prints the table
    python bench/book.py --readme    # rewrites it in docs/pricing.md

Every way calls kelvane.b76_fairvalue once per row; they differ only in how
the row's five values reach the call.
"""
from __future__ import annotations

import argparse
import re
import sys
import time
from pathlib import Path

import numpy as np
import pandas as pd

sys.path.insert(0, str(Path(__file__).parent))
from harness import machine  # noqa: E402

import kelvane  # noqa: E402

ROOT = Path(__file__).resolve().parent.parent
ROWS = 100_000


def make_book(rows: int) -> pd.DataFrame:
    rng = np.random.default_rng(7)
    return pd.DataFrame({
        "fwd": rng.uniform(90.0, 110.0, rows),
        "strike": rng.uniform(60.0, 140.0, rows),
        "ttx": rng.uniform(0.01, 2.0, rows),
        "vol": rng.uniform(0.1, 0.9, rows),
        "call_put": rng.choice(["call", "put"], rows),
    })


def by_columns(df: pd.DataFrame) -> list[float]:
    f = kelvane.b76_fairvalue
    cols = (df[c].tolist() for c in ("fwd", "strike", "ttx", "vol", "call_put"))
    return [f(fwd, k, t, v, cp) for fwd, k, t, v, cp in zip(*cols)]


def by_itertuples(df: pd.DataFrame) -> list[float]:
    f = kelvane.b76_fairvalue
    return [f(r.fwd, r.strike, r.ttx, r.vol, r.call_put) for r in df.itertuples(index=False)]


def by_apply(df: pd.DataFrame) -> pd.Series:
    f = kelvane.b76_fairvalue
    return df.apply(lambda r: f(r.fwd, r.strike, r.ttx, r.vol, r.call_put), axis=1)


WAYS = [
    ("list comprehension over the columns (`zip` of `df[c].tolist()`)", by_columns),
    ("list comprehension over `df.itertuples()`", by_itertuples),
    ("`df.apply(..., axis=1)`", by_apply),
]


def ns_per_option(fn, df: pd.DataFrame, repeat: int) -> float:
    best = float("inf")
    for _ in range(repeat):
        start = time.perf_counter()
        fn(df)
        best = min(best, time.perf_counter() - start)
    return best * 1e9 / len(df)


def table() -> str:
    df = make_book(ROWS)
    reference = by_columns(df)
    lines = [f"Measured by `make bench` on {machine()}, pandas {pd.__version__}: "
             f"a book of {ROWS:,} options priced with `b76_fairvalue`, best of the repeats.", "",
             "| loop over the book | ns per option | whole book |", "|---|---:|---:|"]
    for label, fn in WAYS:
        assert list(fn(df)) == reference  # every way prices the same book
        ns = ns_per_option(fn, df, repeat=2 if fn is by_apply else 5)
        lines.append(f"| {label} | {ns:,.0f} | {ns * ROWS / 1e6:,.0f} ms |")
    return "\n".join(lines)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--readme", action="store_true", help="rewrite the table in docs/pricing.md")
    text = table()
    print(text)
    if parser.parse_args().readme:
        readme = ROOT / "docs" / "pricing.md"
        pattern = re.compile(r"(<!-- book:start -->\n).*?(<!-- book:end -->)", re.S)
        updated, n = pattern.subn(lambda m: m[1] + text + "\n" + m[2], readme.read_text())
        if n != 1:
            sys.exit("docs/pricing.md has no <!-- book:start --> ... <!-- book:end --> section")
        readme.write_text(updated)


if __name__ == "__main__":
    main()
