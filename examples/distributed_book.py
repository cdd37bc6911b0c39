"""Prices and risks a book of options over numpy arrays, and on a dask.distributed cluster.

The book holds options on two underlyings over several expiries, each expiry
with its own fitted smile. Per option: value, delta and vega; for the whole
book: a grid of spot and vol shocks, every option revalued in full under each.

The figures are computed three ways, and must agree bit for bit:

- serially, one scalar kelvane call per option and figure (`risk`): the
  reference;
- through kelvane_arrays in this process (`risk_arrays`): per smile, one
  `get_vol` of a column of shocked forwards against the row of its strikes,
  and one `b76_fairvalue` over every scenario at once, on every core;
- on a cluster (`run_distributed`): the book's columns shipped as numpy
  arrays, one future per chunk, each worker running `risk_arrays` on one
  thread (`threads=1`: the cluster already keeps every core busy).

kelvane objects do not pickle, so nothing here sends one to a worker:

- a smile travels as (class name, expiry, parameter dictionary) and each
  chunk rebuilds its smiles once with `with_params`; business time comes
  from `kelvane_arrays.get_bus_ttx`, whose calendar is built once per
  process;
- the work is shipped per chunk, never per option;
- the function a task runs is a module-level function of this script; no
  task runs a kelvane class or one of its static methods directly.

Beside the smile delta, the script totals the book's Black-76 greeks at
the smile vols (`kelvane_arrays.b76_greeks`), turns the book's values back
into vols (`kelvane_arrays.b76_implied_vol`) and checks that they are the
smile vols that priced them, to the precision the values allow, and prints the throughput of each way.

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
from typing import Any, cast

import numpy as np
import pandas as pd

import kelvane
import kelvane_arrays

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
ROUND_TRIP = 1e-12  # the largest relative error of a value that the error of its implied vol may amount to

# The vol shifts as the serial code adds them, one division each.
VOL_SHIFTS = np.array([v / 100.0 for v in VOL_SHOCKS])

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


Columns = dict[str, np.ndarray]  # the book's columns that the figures depend on
FIGURES = 3 + len(SPOT_SHOCKS) * len(VOL_SHOCKS)


def book_columns(book: pd.DataFrame) -> Columns:
    """The columns the arrays path reads, as numpy arrays: what a chunk ships."""
    return {name: book[name].to_numpy() for name in ("underlying", "expiry", "strike", "call_put")}


def risk_arrays(columns: Columns, smiles: Mapping[SmileKey, Any], threads: int | None = None) -> np.ndarray:
    """`risk`'s figures through kelvane_arrays: an array of one row per figure
    and one column per option, in the order of the columns.

    Every element is the serial computation's, by the same formulas in the
    same order. The options are sorted by smile and option type, then by
    strike: the calls (or puts) of one smile are then one slice, priced with
    their type as one str rather than an array of them, and neighbouring
    options take the same branches of the pricing formula, which the
    processor predicts better than a random order. The figures are put back
    in book order at the end.
    """
    strike = columns["strike"]
    count = len(strike)
    ttx = kelvane_arrays.get_bus_ttx(CALENDAR, NOW, EXPIRIES, threads=threads).tolist()
    dfs = [math.exp(-RATE * t) for t in kelvane_arrays.get_cal_ttx(NOW, EXPIRIES, threads=threads).tolist()]
    underlyings = list(FORWARDS)
    # The slice of each option: 2 x (its smile's number: underlying x
    # expiries + expiry) + 1 for a put.
    group = columns["expiry"].astype(np.int16)
    for i, underlying in enumerate(underlyings[1:], 1):
        group[columns["underlying"] == underlying] += i * len(EXPIRIES)
    puts = columns["call_put"] == "put"
    if not np.all(puts | (columns["call_put"] == "call")):
        raise ValueError("the book's option types are 'call' and 'put' as written here, no other spelling")
    group = 2 * group + puts
    # By strike, then by slice with a stable sort (numpy's radix sort of
    # small integers): a tenth of the time np.lexsort takes.
    by_strike = np.argsort(strike)
    order = by_strike[np.argsort(group[by_strike], kind="stable")]
    group, strike = group[order], strike[order]
    edges = [0, *(np.flatnonzero(np.diff(group)) + 1).tolist(), count] if count else []

    figures = np.empty((FIGURES, count))
    for a, b in zip(edges[:-1], edges[1:]):
        smile_number, put = divmod(int(group[a]), 2)
        which, expiry_index = divmod(smile_number, len(EXPIRIES))
        underlying, call_put = underlyings[which], "put" if put else "call"
        smile = smiles[(underlying, expiry_index)]
        t, df, forward = ttx[expiry_index], dfs[expiry_index], FORWARDS[underlying]
        strikes, out = strike[a:b], figures[:, a:b]
        # The forwards `revalue` prices at: unshocked, bumped up and down for
        # the delta, then each spot shock; one get_vol for all, a column of
        # forwards against the row of strikes.
        forwards = np.array([forward, forward * (1.0 + DELTA_BUMP), forward * (1.0 - DELTA_BUMP),
                             *(forward * (1.0 + s) for s in SPOT_SHOCKS)])
        vols = kelvane_arrays.get_vol(smile, t, forwards[:, None], strikes, threads=threads)
        # Rows of `out` as b76_fairvalue fills them: the value, the values up
        # and down, then the scenarios, spot shock by spot shock and vol shock
        # by vol shock within it: `vol + vol_shift`, as `revalue` adds them.
        scenario_forwards = np.concatenate([forwards[:3], np.repeat(forwards[3:], len(VOL_SHOCKS))])
        scenario_vols = np.empty(out.shape)
        np.add(vols[:3], 0.0, out=scenario_vols[:3])
        np.add(vols[3:, None, :], VOL_SHIFTS[None, :, None],
               out=scenario_vols[3:].reshape(len(SPOT_SHOCKS), len(VOL_SHOCKS), b - a))
        kelvane_arrays.b76_fairvalue(scenario_forwards[:, None], strikes, t, scenario_vols, call_put, df,
                                     out=out, threads=threads)
        np.divide(out[1] - out[2], 2.0 * forward * DELTA_BUMP, out=out[1])
        kelvane_arrays.b76_vega(forward, strikes, t, vols[0], df, out=out[2], threads=threads)
        out[2] /= 100.0
    back = np.empty(count, dtype=np.intp)
    back[order] = np.arange(count)
    return np.take(figures, back, axis=1)


def figures_frame(figures: np.ndarray, index: pd.Index) -> pd.DataFrame:
    """`risk_arrays`' figures as `risk` returns them: a row per option (a view, not a copy)."""
    return pd.DataFrame(figures.T, index=index, columns=["value", "delta", "vega", *scenario_columns()],
                        copy=False)


STANDARD_GREEKS = ("delta", "gamma", "theta", "vega", "vanna", "volga")


def market_inputs(book: pd.DataFrame, smiles: Mapping[SmileKey, Any]) -> Columns:
    """Each option's Black-76 inputs today, in book order: its forward,
    business time, discount factor and smile vol."""
    ttx = kelvane_arrays.get_bus_ttx(CALENDAR, NOW, EXPIRIES)
    dfs = np.exp(-RATE * kelvane_arrays.get_cal_ttx(NOW, EXPIRIES))
    expiry = book["expiry"].to_numpy()
    inputs = {"fwd": book["underlying"].map(FORWARDS).to_numpy(dtype=float), "strike": book["strike"].to_numpy(),
              "ttx": ttx[expiry], "df": dfs[expiry], "vol": np.empty(len(book))}
    for key, rows in book.groupby(["underlying", "expiry"], sort=False).indices.items():
        underlying, expiry_index = cast(SmileKey, key)
        inputs["vol"][rows] = kelvane_arrays.get_vol(smiles[(underlying, expiry_index)], ttx[expiry_index],
                                                     FORWARDS[underlying], inputs["strike"][rows])
    return inputs


def standard_greeks(book: pd.DataFrame, inputs: Columns) -> pd.DataFrame:
    """The Black-76 greeks of each option at its smile vol, the smile held
    still (vol derivatives per 1.0 of vol, theta per business year): one
    `b76_greeks` call for the whole book."""
    greeks = kelvane_arrays.b76_greeks(inputs["fwd"], inputs["strike"], inputs["ttx"], inputs["vol"],
                                       book["call_put"].to_numpy(), inputs["df"], greeks=STANDARD_GREEKS)
    return pd.DataFrame(greeks, index=book.index)


def implied_vol_round_trip(book: pd.DataFrame, inputs: Columns, values: np.ndarray) -> float:
    """The book's values turned back into vols by `b76_implied_vol`: the
    largest |recovered vol - smile vol| x vega / value, the relative error
    of the value that the vol's error amounts to.

    The measure weighs each vol's error by its conditioning: where the value
    barely moves with the vol (deep in the money, the value nearly all
    intrinsic) a rounding of the value moves the vol far, and no solver can
    do better than the value's own rounding allows.
    """
    call_put = book["call_put"].to_numpy()
    vols = kelvane_arrays.b76_implied_vol(inputs["ttx"], inputs["fwd"], inputs["strike"], values, call_put,
                                          inputs["df"])
    vega = kelvane_arrays.b76_vega(inputs["fwd"], inputs["strike"], inputs["ttx"], inputs["vol"], inputs["df"])
    return float(np.max(np.abs(vols - inputs["vol"]) * vega / values, initial=0.0))


def risk_chunk(columns: Columns, specs: Mapping[SmileKey, SmileSpec]) -> np.ndarray:
    """What a worker runs on one chunk of the book: rebuild the smiles, once,
    then price on this worker's one thread."""
    return risk_arrays(columns, rebuild(specs), threads=1)


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


def greek_totals(book: pd.DataFrame, smile_delta: pd.Series, greeks: pd.DataFrame) -> pd.DataFrame:
    """Position totals per underlying of the smile delta and of each Black-76 greek."""
    figures = pd.concat([smile_delta.rename("smile delta"), greeks], axis=1)
    totals = figures.mul(book["quantity"], axis=0).groupby(book["underlying"], sort=False).sum()
    return totals.reindex(list(FORWARDS)).rename_axis(None)


def run_distributed(client: Any, book: pd.DataFrame, specs: Mapping[SmileKey, SmileSpec], partitions: int,
                    timeout: float) -> pd.DataFrame:
    from distributed import wait

    columns = book_columns(book)
    chunks = [{name: column[i:j] for name, column in columns.items()} for i, j in chunk_bounds(len(book), partitions)]
    # The specs are a few hundred floats: they ride along with every chunk.
    futures = client.map(risk_chunk, chunks, specs=dict(specs), pure=False)
    wait(futures, timeout=timeout)
    return figures_frame(np.concatenate(client.gather(futures), axis=1), book.index)


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


def kelvane_arrays_cores() -> int:
    """The cores `threads=None` spreads a large array over: those this process may run on."""
    return len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") else os.cpu_count() or 1


def parse(argv: list[str] | None) -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scheduler", help="address of a running scheduler (default: start a LocalCluster)")
    parser.add_argument("--workers", type=int, default=2, help="worker processes of the LocalCluster")
    parser.add_argument("--options", type=int, default=100_000, help="options in the book")
    parser.add_argument("--partitions", type=int, default=0, help="chunks of the book (default: 4 per worker)")
    parser.add_argument("--seed", type=int, default=20261208)
    parser.add_argument("--repeat", type=int, default=2,
                        help="runs of the serial and the distributed computation (of the arrays one, five times"
                             " as many: it is over sooner); the fastest is timed")
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
    arrays_repeat = 5 * max(1, args.repeat)
    arrays, arrays_seconds = fastest(arrays_repeat,
                                     lambda: figures_frame(risk_arrays(book_columns(book), smiles), book.index))
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
    inputs = market_inputs(book, smiles)
    greeks = standard_greeks(book, inputs)
    print("smile delta beside the Black-76 greeks at the smile vols, the smile held still"
          " (per 1.0 of vol, theta per business year):")
    print(greek_totals(book, serial["delta"], greeks).to_string(float_format=lambda x: f"{x:,.2f}"))
    print("P&L of the book under spot (rows) and vol (columns) shocks:")
    print(grid.to_string(float_format=lambda x: f"{x:,.0f}"))
    print(f"serial:      {len(book) / serial_seconds:>10,.0f} options per second ({serial_seconds:.3f} s,"
          f" fastest of {args.repeat})")
    print(f"arrays:      {len(book) / arrays_seconds:>10,.0f} options per second ({arrays_seconds:.3f} s,"
          f" fastest of {arrays_repeat}, {kelvane_arrays_cores()} cores; {serial_seconds / arrays_seconds:.1f}x"
          f" the serial throughput)")
    print(f"distributed: {len(book) / distributed_seconds:>10,.0f} options per second ({distributed_seconds:.3f} s,"
          f" fastest of {args.repeat}, {workers} workers, {partitions} partitions)")
    status = 0
    worst = implied_vol_round_trip(book, inputs, serial["value"].to_numpy())
    if worst <= ROUND_TRIP:
        print(f"b76_implied_vol recovers the smile vols from the values (largest vol error x vega / value:"
              f" {worst:.1e})")
    else:
        print(f"MISMATCH: b76_implied_vol's vols miss the smile vols (vol error x vega / value up to {worst:.1e})")
        status = 1
    for name, figures in (("arrays", arrays), ("distributed", distributed)):
        if identical(figures, serial):
            print(f"{name} figures equal the serial ones bit for bit")
        else:
            print(f"MISMATCH: the {name} figures differ from the serial computation")
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
