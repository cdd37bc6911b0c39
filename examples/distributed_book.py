"""Prices and risks a book of options on a dask.distributed cluster.

The book holds options on two underlyings over several expiries, each expiry
with its own fitted smile. Per option: value, delta and vega; for the whole
book: a grid of spot and vol shocks, every option revalued in full under each.

kelvane objects do not pickle, so nothing here sends one to a worker:

- a smile travels as (class name, expiry, parameter dictionary) and each
  partition rebuilds its smiles once with `with_params`; the calendar is
  built once per partition too;
- the work is shipped per partition (one future per chunk of the book),
  never per option;
- the function a task runs is a module-level function of this script; no
  task runs a kelvane class or one of its static methods directly.

The script then computes the same book serially, with the original smile
objects, checks that every figure agrees bit for bit, and prints both
throughputs.

    python examples/distributed_book.py                       # a LocalCluster
    python examples/distributed_book.py --workers 4 --options 200000
    python examples/distributed_book.py --scheduler tcp://host:8786
"""
from __future__ import annotations

import argparse
import datetime
import math
import os
import platform
import sys
import time
from collections.abc import Callable, Mapping
from typing import Any

import numpy as np
import pandas as pd

import kelvane

NOW = datetime.datetime(2026, 12, 8, 14, 30, tzinfo=datetime.timezone.utc)
FORWARDS = {"BTCUSDT": 65_000.0, "ETHUSDT": 3_400.0}
STRIKE_STEP = {"BTCUSDT": 1_000.0, "ETHUSDT": 50.0}
EXPIRIES = [datetime.datetime(2026, 12, 11, 8, tzinfo=datetime.timezone.utc) + datetime.timedelta(weeks=w)
            for w in (0, 1, 4, 8, 15, 28)]
RATE = 0.04  # continuously compounded, over calendar time
CALENDAR = "BTCUSDT"  # business time of every crypto expiry
SPOT_SHOCKS = (-0.20, -0.10, -0.05, 0.0, 0.05, 0.10, 0.20)  # relative moves of the forward
VOL_SHOCKS = (-10.0, -5.0, 0.0, 5.0, 10.0)  # vol points added to every smile vol
DELTA_BUMP = 1e-4  # relative forward bump of the smile delta

SmileKey = tuple[str, int]  # (underlying, index into EXPIRIES)
SmileSpec = tuple[str, datetime.datetime, dict[str, float]]  # (class name, expiry, parameters)


def scenario_columns() -> list[str]:
    return [f"spot {s:+.0%} vol {v:+g}" for s in SPOT_SHOCKS for v in VOL_SHOCKS]


def market_smiles() -> dict[SmileKey, Any]:
    """The desk's fitted smiles, one per underlying and expiry, of all three kinds."""
    smiles: dict[SmileKey, Any] = {}
    for underlying, forward in FORWARDS.items():
        level = 55.0 if underlying == "BTCUSDT" else 68.0
        for i, expiry in enumerate(EXPIRIES):
            ref_vol = level - 2.0 * math.log1p(i)
            kind = i % 3
            if kind == 0:
                smile = kelvane.VolGeo(expiry, ref_spot=forward, ref_vol=ref_vol, corr=-0.35, vvol=28.0 - i)
            elif kind == 1:
                smile = kelvane.GVVSpline(expiry, ref_spot=forward, ref_vol=ref_vol, skew=-5.0, smile=8.0,
                                          pwing=0.5, cwing=0.3)
            else:
                smile = kelvane.CubicSpline(expiry, ref_spot=forward, ref_vol=ref_vol, p05=2.0, p10=2.5, p15=3.0,
                                            p20=5.0, p25=8.0, c05=0.5, c10=1.0, c15=1.5, c20=3.0, c25=5.0)
            smiles[(underlying, i)] = smile
    return smiles


def smile_specs(smiles: Mapping[SmileKey, Any]) -> dict[SmileKey, SmileSpec]:
    """What travels to the workers: plain names, datetimes and floats."""
    return {key: (type(s).__name__, s.expiry, s.get_param_dict()) for key, s in smiles.items()}


def rebuild(specs: Mapping[SmileKey, SmileSpec]) -> dict[SmileKey, Any]:
    return {key: getattr(kelvane, name).with_params(expiry, params) for key, (name, expiry, params) in specs.items()}


def make_book(n_options: int, seed: int) -> pd.DataFrame:
    """A seeded book: strikes on each underlying's grid around the forward, both option types, long and short."""
    rng = np.random.default_rng(seed)
    underlying = rng.choice(list(FORWARDS), n_options)
    forward = np.array([FORWARDS[u] for u in underlying])
    step = np.array([STRIKE_STEP[u] for u in underlying])
    moneyness = np.exp(rng.normal(0.0, 0.25, n_options))
    return pd.DataFrame({
        "underlying": underlying,
        "expiry": rng.integers(0, len(EXPIRIES), n_options),
        "strike": np.maximum(np.round(forward * moneyness / step), 1.0) * step,
        "call_put": rng.choice(["call", "put"], n_options),
        "quantity": rng.integers(-50, 51, n_options).astype(float),
    })


def risk(book: pd.DataFrame, smiles: Mapping[SmileKey, Any], calendar: Any) -> pd.DataFrame:
    """Value, smile delta and vega (per vol point) of each option, and its value under every shock.

    Figures are per unit of each option, in the order of `book`. The work for
    one smile is grouped, so each smile evaluates all its strikes in one
    `get_vol` call per shocked forward.
    """
    names = ["value", "delta", "vega", *scenario_columns()]
    out = np.empty((len(book), len(names)))
    for (underlying, expiry_index), group in book.groupby(["underlying", "expiry"], sort=False):
        smile = smiles[(underlying, expiry_index)]
        expiry = EXPIRIES[expiry_index]
        ttx = calendar.get_bus_ttx(NOW, expiry)
        df = math.exp(-RATE * kelvane.Calendar.get_cal_ttx(NOW, expiry))
        forward = FORWARDS[underlying]
        strikes = group["strike"].tolist()
        rows = book.index.get_indexer(group.index)
        out[rows] = revalue(smile, ttx, df, forward, strikes, group["call_put"].tolist())
    return pd.DataFrame(out, index=book.index, columns=names)


def revalue(smile: Any, ttx: float, df: float, forward: float, strikes: list[float],
            call_put: list[str]) -> np.ndarray:
    def values(fwd: float, vol_shift: float = 0.0) -> list[float]:
        vols = smile.get_vol(ttx, fwd, strikes)
        return [kelvane.b76_fairvalue(fwd, k, ttx, v + vol_shift, cp, df) for k, v, cp in zip(strikes, vols, call_put)]

    base_vols = smile.get_vol(ttx, forward, strikes)
    columns = [
        values(forward),
        # The smile moves with the forward as the model says: a delta that includes the smile's own response.
        [(up - down) / (2.0 * forward * DELTA_BUMP)
         for up, down in zip(values(forward * (1.0 + DELTA_BUMP)), values(forward * (1.0 - DELTA_BUMP)))],
        [kelvane.b76_vega(forward, k, ttx, v, df) / 100.0 for k, v in zip(strikes, base_vols)],
    ]
    for spot_shock in SPOT_SHOCKS:
        for vol_shock in VOL_SHOCKS:
            columns.append(values(forward * (1.0 + spot_shock), vol_shock / 100.0))
    return np.array(columns).T


def risk_partition(part: pd.DataFrame, specs: Mapping[SmileKey, SmileSpec]) -> pd.DataFrame:
    """What a worker runs on one chunk of the book: rebuild, once, then price."""
    return risk(part, rebuild(specs), kelvane.Calendar(CALENDAR))


def book_totals(book: pd.DataFrame, figures: pd.DataFrame) -> tuple[pd.DataFrame, pd.DataFrame]:
    """Position totals per underlying, and the book's P&L grid (rows: spot
    shock, columns: vol shock), each summed in book order."""
    quantity = book["quantity"].to_numpy()
    base = figures["value"].to_numpy()
    totals = pd.DataFrame({
        name: {u: float(np.sum(np.where(book["underlying"] == u, quantity * figures[name].to_numpy(), 0.0)))
               for u in FORWARDS}
        for name in ("value", "delta", "vega")})
    pnl = [[float(np.sum(quantity * (figures[f"spot {s:+.0%} vol {v:+g}"].to_numpy() - base))) for v in VOL_SHOCKS]
           for s in SPOT_SHOCKS]
    grid = pd.DataFrame(pnl, index=[f"{s:+.0%}" for s in SPOT_SHOCKS], columns=[f"{v:+g} vol" for v in VOL_SHOCKS])
    return totals, grid


def run_distributed(client: Any, book: pd.DataFrame, specs: Mapping[SmileKey, SmileSpec], partitions: int,
                    timeout: float) -> pd.DataFrame:
    from distributed import wait

    chunks = [book.iloc[i:j] for i, j in chunk_bounds(len(book), partitions)]
    # The specs are a few hundred floats: they ride along with every chunk.
    futures = client.map(risk_partition, chunks, specs=dict(specs), pure=False)
    wait(futures, timeout=timeout)
    return pd.concat(client.gather(futures))


def chunk_bounds(n: int, partitions: int) -> list[tuple[int, int]]:
    edges = np.linspace(0, n, max(1, min(partitions, n)) + 1).round().astype(int)
    return [(int(a), int(b)) for a, b in zip(edges[:-1], edges[1:])]


def identical(a: pd.DataFrame, b: pd.DataFrame) -> bool:
    """Bit for bit: the same labels, and the same bytes in every float (NaNs included)."""
    return (a.index.equals(b.index) and list(a.columns) == list(b.columns)
            and a.to_numpy().tobytes() == b.to_numpy().tobytes())


def connect(args: argparse.Namespace) -> Any:
    from distributed import Client, LocalCluster

    if args.scheduler:
        return Client(args.scheduler, timeout=f"{args.timeout}s")
    cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                           dashboard_address=None, timeout=f"{args.timeout}s")
    return Client(cluster, timeout=f"{args.timeout}s")


def fastest(repeat: int, work: Callable[[], pd.DataFrame]) -> tuple[pd.DataFrame, float]:
    """The last result and the fastest of `repeat` runs: on a shared machine
    the slower runs measure the neighbours."""
    seconds = math.inf
    for _ in range(max(1, repeat)):
        began = time.perf_counter()
        result = work()
        seconds = min(seconds, time.perf_counter() - began)
    return result, seconds


def machine() -> str:
    """The processor, its cores and the interpreter: the figures mean little without them."""
    model = platform.processor() or platform.machine()
    try:
        with open("/proc/cpuinfo") as info:
            model = next(line.split(":", 1)[1].strip() for line in info if line.startswith("model name"))
    except (OSError, StopIteration):
        pass
    return f"{model}, {os.cpu_count()} cores, CPython {platform.python_version()}"


def parse(argv: list[str] | None) -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scheduler", help="address of a running scheduler (default: start a LocalCluster)")
    parser.add_argument("--workers", type=int, default=2, help="worker processes of the LocalCluster")
    parser.add_argument("--options", type=int, default=100_000, help="options in the book")
    parser.add_argument("--partitions", type=int, default=0, help="chunks of the book (default: 4 per worker)")
    parser.add_argument("--seed", type=int, default=20261208)
    parser.add_argument("--repeat", type=int, default=2, help="runs of each computation; the fastest is timed")
    parser.add_argument("--timeout", type=float, default=300.0, help="seconds to wait for the cluster and the work")
    return parser.parse_args(argv)


def main(argv: list[str] | None = None) -> int:
    args = parse(argv)
    smiles = market_smiles()
    specs = smile_specs(smiles)
    book = make_book(args.options, args.seed)
    print(f"book: {len(book):,} options on {', '.join(FORWARDS)} over {len(EXPIRIES)} expiries,"
          f" {len(SPOT_SHOCKS)} x {len(VOL_SHOCKS)} shocks")
    print(f"machine: {machine()}")

    serial, serial_seconds = fastest(args.repeat, lambda: risk(book, smiles, kelvane.Calendar(CALENDAR)))
    with connect(args) as client:
        workers = len(client.scheduler_info()["workers"])
        partitions = args.partitions or 4 * workers
        # Every worker imports kelvane and pandas before the clock starts.
        run_distributed(client, book.iloc[:partitions], specs, partitions, args.timeout)
        distributed, distributed_seconds = fastest(
            args.repeat, lambda: run_distributed(client, book, specs, partitions, args.timeout))

    totals, grid = book_totals(book, serial)
    print("positions (value in USD, delta in units of the underlying, vega in USD per vol point):")
    print(totals.to_string(float_format=lambda x: f"{x:,.2f}"))
    print("P&L of the book under spot (rows) and vol (columns) shocks:")
    print(grid.to_string(float_format=lambda x: f"{x:,.0f}"))
    print(f"serial:      {len(book) / serial_seconds:>10,.0f} options per second ({serial_seconds:.2f} s,"
          f" fastest of {args.repeat})")
    print(f"distributed: {len(book) / distributed_seconds:>10,.0f} options per second ({distributed_seconds:.2f} s,"
          f" fastest of {args.repeat}, {workers} workers, {partitions} partitions)")
    if not identical(distributed, serial):
        print("MISMATCH: the distributed figures differ from the serial computation")
        return 1
    print("distributed figures equal the serial ones bit for bit")
    return 0


if __name__ == "__main__":
    sys.exit(main())
