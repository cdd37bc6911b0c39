"""Whole books through kelvane_arrays: the cost per option (per strike, per
interval) of one array call, on one thread and on every core, against the C++
kernel loop it runs, the vectorised peers and a list comprehension over the
scalar call.

    python bench/arrays.py                   # prints the table
    python bench/arrays.py --kernels PATH    # with the kernel loops of the C++ benchmark at PATH
    python bench/arrays.py --readme          # rewrites the table in docs/speed.md

Every kelvane figure is checked first against the scalar calls (bit for bit)
and every peer's against Black-76, so that no row times a wrong answer.
"""
from __future__ import annotations

import argparse
import datetime
import json
import math
import os
import re
import subprocess
import sys
import warnings
from dataclasses import dataclass
from importlib.metadata import PackageNotFoundError, version
from pathlib import Path
from typing import Callable

import numpy as np

sys.path.insert(0, str(Path(__file__).parent))
from harness import Timing, machine, measure_stmt, run_rounds  # noqa: E402
from run import UNITS  # noqa: E402

import kelvane  # noqa: E402
import kelvane_arrays  # noqa: E402

try:
    from scipy.special import ndtr
except ImportError:
    ndtr = None

ROOT = Path(__file__).resolve().parent.parent
MARKERS = re.compile(r"(<!-- arrays-bench:start -->\n).*?(<!-- arrays-bench:end -->)", re.S)

B76_OPTIONS = 1_000_000
IV_OPTIONS = 100_000
B76_SCALAR_OPTIONS = 100_000  # the list comprehensions: enough for a figure per option
IV_SCALAR_OPTIONS = 10_000
STRIKES = 1_000_000
INTERVALS = 1_000_000
METHOD_INTERVALS = 10_000
SMALL = 10
DF = 1.0  # the peers take a rate: 0.0 is a discount factor of 1
EXPIRY = datetime.datetime(2026, 3, 27, 8, 0, tzinfo=datetime.timezone.utc)
SMILE_TTX, SMILE_SPOT = 0.25, 101.0

# The C++ loops of bench/kernels.cpp over a book of the same size.
B76_KERNEL = f"kelvane_arrays.b76_fairvalue, {B76_OPTIONS:,} options"
IV_KERNEL = f"kelvane_arrays.calibrate_black76_iv, {IV_OPTIONS:,} options"
GREEKS_KERNEL = f"kelvane_arrays.b76_greeks, {B76_OPTIONS:,} options"
# The loops one option at a time through the same scalar formulas, against
# which the vector unit's loops are set.
B76_SCALAR_KERNEL = f"b76_fairvalue, scalar loop, {B76_OPTIONS:,} options"
BINARY_KERNEL = f"kelvane_arrays.binary_fairvalue, {B76_OPTIONS:,} options"
BINARY_SCALAR_KERNEL = f"binary_fairvalue, scalar loop, {B76_OPTIONS:,} options"
GREEKS_SCALAR_KERNEL = f"b76_greeks, scalar loop, {B76_OPTIONS:,} options"
STRIP_WIDTHS = (1, 2, 4, 8)
SMILE_STRIP_KERNELS = {model: f"{model}.get_vol, {STRIKES:,} strikes, width" for model in
                       ("GVVSpline", "VolGeo", "CubicSpline")}
IMPLIED_KERNEL = f"kelvane_arrays.b76_implied_vol, {IV_OPTIONS:,} options"
IMPLIED_SCALAR_KERNEL = f"b76_implied_vol, scalar loop, {IV_OPTIONS:,} options"


def kernel_loops(binary: str | None) -> dict[str, float]:
    """ns per option of the C++ kernel loops: the best of their repetitions,
    as bench/run.py takes every kernel (the loops alone are run here)."""
    if not binary:
        return {}
    out = subprocess.run([binary, "--benchmark_format=json", "--benchmark_repetitions=5",
                          "--benchmark_min_time=0.1", "--benchmark_enable_random_interleaving=true",
                          "--benchmark_filter=^(kelvane_arrays[.]|[a-z0-9_]+, scalar loop|[A-Za-z]+[.]get_vol, )"],
                         check=True, capture_output=True, text=True).stdout
    best: dict[str, float] = {}
    for run in json.loads(out)["benchmarks"]:
        if run.get("run_type") != "iteration":
            continue
        ns = run["real_time"] * UNITS[run["time_unit"]] / run["per_iteration"]
        best[run["run_name"]] = min(ns, best.get(run["run_name"], ns))
    return best


@dataclass
class Book:
    fwd: np.ndarray
    strike: np.ndarray
    ttx: np.ndarray
    vol: np.ndarray
    call_put: np.ndarray  # "c" and "p"
    price: np.ndarray  # the Black-76 values, for the solvers

    def head(self, n: int) -> Book:
        return Book(*(getattr(self, name)[:n] for name in self.__dataclass_fields__))

    def lists(self, *names: str) -> list[list]:
        return [getattr(self, name).tolist() for name in names]


def random_book(size: int, seed: int) -> Book:
    """The book of bench/kernels.cpp's loops, drawn from the same laws: forwards
    uniform on [50, 150], strikes at a normal log-moneyness of deviation 0.25,
    ttx uniform on [0.02, 2], vols uniform on [0.1, 1.2], calls and puts at
    random, df 1."""
    rng = np.random.default_rng(seed)
    fwd = rng.uniform(50.0, 150.0, size)
    strike = fwd * np.exp(rng.normal(0.0, 0.25, size))
    ttx = rng.uniform(0.02, 2.0, size)
    vol = rng.uniform(0.1, 1.2, size)
    call_put = rng.choice(np.array(["c", "p"]), size)
    price = kelvane_arrays.b76_fairvalue(fwd, strike, ttx, vol, call_put, DF)
    return Book(fwd, strike, ttx, vol, call_put, price)


def numpy_b76(fwd, strike, ttx, vol, call_put, df=1.0):
    """Black-76 over arrays with numpy and scipy.special.ndtr, as a user writes it."""
    sign = np.where(call_put == "c", 1.0, -1.0)
    s = vol * np.sqrt(ttx)
    d1 = np.log(fwd / strike) / s + 0.5 * s
    d2 = d1 - s
    return df * sign * (fwd * ndtr(sign * d1) - strike * ndtr(sign * d2))


def peer(name: str) -> object | None:
    """The peer's module, or None where it does not import."""
    try:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            if name == "pyvolr":
                import pyvolr.black76
                return pyvolr.black76
            if name == "fast-vollib":
                import fast_vollib
                return fast_vollib
            if name == "quantforge":
                import quantforge.black76
                return quantforge.black76
            if name == "opengreeks":
                import opengreeks.black76
                return opengreeks.black76
            if name == "iv-engine":
                import iv_engine
                return iv_engine
            if name == "fast-vollib LBR":
                import fast_vollib.jackel
                return fast_vollib.jackel
    except (ImportError, OSError):
        return None
    raise ValueError(name)


def by_type(solve: Callable, price, fwd, strike, ttx, call_put, call, put):
    """A peer that takes one option type a call, over a book of both: each half
    solved by its own call (the masks drawn once, outside the timing)."""
    out = np.empty(len(price))
    for mask, kind in ((call, "c"), (put, "p")):
        out[mask] = solve(price[mask], fwd[mask], strike[mask], ttx[mask], kind)
    return out


def package_version(name: str) -> str:
    try:
        return version(name)
    except PackageNotFoundError:
        return "not installed"


@dataclass
class Line:
    label: str
    count: int  # options, strikes or intervals of one call
    timing: Timing | None = None
    status: str = ""  # why there is no figure
    kernel: str | None = None  # the kernel loop's benchmark, for a row of the C++ loop
    per_call: bool = False  # a figure per call (in µs), not per item

    def ns(self, kernels: dict[str, float]) -> float | None:
        if self.kernel:
            return kernels.get(self.kernel)
        return self.timing.ns if self.timing else None


def agrees(result, expected: np.ndarray, tolerance: float) -> str:
    """"" where result is within tolerance of expected (scaled by it, NaN
    matching NaN), else what is wrong."""
    got = np.asarray(result, dtype=float).ravel()
    if got.shape != expected.shape:
        return f"gave {got.size} values for {expected.size}"
    err = np.abs(got - expected) / np.maximum(1.0, np.abs(expected))
    bad = ~((err <= tolerance) | (np.isnan(got) & np.isnan(expected)))
    if bad.any():
        return f"disagrees at {bad.sum():,} of {got.size:,} (up to {np.nanmax(err):.1e})"
    return ""


def same_bits(result, expected, what: str) -> None:
    if isinstance(result, dict):  # b76_greeks: each option's greeks in a row, as a comprehension gives them
        result = np.stack(list(result.values()), axis=-1)
    if not np.array_equal(np.asarray(result), np.asarray(expected), equal_nan=True):
        sys.exit(f"bench/arrays.py: {what} differs from the scalar calls")


# The greeks the peers give, in kelvane's units: each peer's figure times
# the factor is kelvane's (per day and per vol point undone, their time
# derivatives taken along t rather than minus it).
FAST_VOLLIB_UNITS = {"delta": 1.0, "gamma": 1.0, "theta": 365.0, "vega": 100.0}
OPENGREEKS_UNITS = {"theta": 365.0, "vega": 100.0, "rho": 100.0, "charm": -1.0, "veta": -1.0, "color": -1.0}
OPENGREEKS_NAMES = {"volga": "vomma"}
IV_ENGINE_GREEKS = {"delta": "deltas", "gamma": "gammas", "vega": "vegas", "vanna": "vannas", "volga": "vommas"}


def split_by_type(book: Book) -> dict[str, tuple[np.ndarray, ...]]:
    """The book's calls and its puts apart, for the peers that take one
    option type per call."""
    calls = book.call_put == "c"
    return {kind: tuple(np.ascontiguousarray(getattr(book, name)[mask]) for name in ("fwd", "strike", "ttx", "vol"))
            for kind, mask in (("c", calls), ("p", ~calls))}


def greeks_agree(results: dict[str, dict[str, np.ndarray]], expected: dict[str, np.ndarray],
                 units: dict[str, float], masks: dict[str, np.ndarray]) -> str:
    """"" where a peer's greeks, by option type, are kelvane's in kelvane's
    units (to 1e-9 of their scale), else the first that is not."""
    for name in units:
        got = np.concatenate([np.asarray(results[kind][name], dtype=float) * units.get(name, 1.0)
                              for kind in ("c", "p")])
        want = np.concatenate([expected[name][masks[kind]] for kind in ("c", "p")])
        wrong = agrees(got, want, 1e-9 * max(1.0, float(np.nanmax(np.abs(want)))))
        if wrong:
            return f"{name} {wrong}"
    return ""


def add_greeks(add: Callable, book: Book, small: Book, ns: dict) -> None:
    """The rows of b76_greeks and of the peers' calls that give several greeks."""
    greeks = kelvane_arrays.b76_greeks(book.fwd, book.strike, book.ttx, book.vol, book.call_put, DF)
    same_bits(greeks["value"], book.price, "b76_greeks value")
    for threads in (1, None):
        got = kelvane_arrays.b76_greeks(small.fwd, small.strike, small.ttx, small.vol, small.call_put, DF,
                                        threads=threads, greeks=["vega"])
        same_bits(got["vega"], [kelvane.b76_vega(*args, DF) for args in zip(*small.lists("fwd", "strike", "ttx", "vol"))],
                  f"b76_greeks vega, threads={threads}")
    split = split_by_type(book)
    masks = {"c": book.call_put == "c", "p": book.call_put != "c"}
    ns.update(SPLIT=split)
    pyvolr, fast_vollib, quantforge, opengreeks, iv_engine = (
        peer(name) for name in ("pyvolr", "fast-vollib", "quantforge", "opengreeks", "iv-engine"))
    ns.update(pyvolr=pyvolr, fast_vollib=fast_vollib, quantforge=quantforge, opengreeks=opengreeks,
              iv_engine=iv_engine)
    call = "`kelvane_arrays.b76_greeks(fwd, strike, ttx, vol, call_put)`, all sixteen"
    add("greeks one", f"{call}, `threads=1`", B76_OPTIONS, "ka.b76_greeks(F, K, T, V, CP, DF, threads=1)", ns)
    add("greeks all", f"{call}, all cores", B76_OPTIONS, "ka.b76_greeks(F, K, T, V, CP, DF)", ns)
    add("greeks kernel", "C++ loop `option_pricing::b76::greeks_row` over vectors, all sixteen", B76_OPTIONS, None, ns,
        kernel=GREEKS_KERNEL)
    add("greeks scalar kernel", "C++ loop over the scalar sixteen greeks, one option at a time", B76_OPTIONS, None,
        ns, kernel=GREEKS_SCALAR_KERNEL)
    five = '["delta", "gamma", "theta", "vega", "rho"]'
    add("greeks five", "`kelvane_arrays.b76_greeks`, the peers' five (`greeks=[delta, gamma, theta, vega, rho]`), "
        "all cores", B76_OPTIONS, f"ka.b76_greeks(F, K, T, V, CP, DF, greeks={five})", ns)

    status = "not installed"
    if pyvolr:
        got = pyvolr.greeks(book.call_put, book.fwd, book.strike, book.ttx, 0.0, book.vol)
        status = greeks_agree({kind: {k: np.asarray(v)[masks[kind]] for k, v in got.items()} for kind in masks},
                              greeks, {k: 1.0 for k in ("delta", "gamma", "theta", "vega", "rho")}, masks)
    add("greeks pyvolr", "pyvolr `black76.greeks` (five greeks)", B76_OPTIONS, "pyvolr.greeks(CP, F, K, T, 0.0, V)",
        ns, status=status)
    status = "not installed"
    if fast_vollib:
        got = fast_vollib.get_all_greeks(book.call_put, book.fwd, book.strike, book.ttx, 0.0, book.vol, model="black")
        status = greeks_agree({kind: {k: got[k].to_numpy()[masks[kind]] for k in FAST_VOLLIB_UNITS} for kind in masks},
                              greeks, FAST_VOLLIB_UNITS, masks)
    add("greeks fast-vollib", "fast-vollib `get_all_greeks(model=\"black\")` (five greeks, a DataFrame, its default)",
        B76_OPTIONS, "fast_vollib.get_all_greeks(CP, F, K, T, 0.0, V, model='black')", ns, status=status)
    status = "not installed"
    if quantforge:
        got = {kind: quantforge.greeks_batch(*split[kind][:3], 0.0, split[kind][3], is_call=kind == "c")
               for kind in split}
        status = greeks_agree(got, greeks, {k: 1.0 for k in ("delta", "gamma", "theta", "vega", "rho")}, masks)
    add("greeks quantforge", "quantforge `black76.greeks_batch` (five greeks), once for the calls and once for "
        "the puts", B76_OPTIONS, "[quantforge.greeks_batch(f, k, t, 0.0, v, is_call=c == 'c') "
        "for c, (f, k, t, v) in SPLIT.items()]", ns, status=status)
    status = "not installed"
    if opengreeks:
        names = [name for name in kelvane_arrays._GREEKS if name != "value"]
        ns.update(OG_FUNCTIONS=[getattr(opengreeks, f"{OPENGREEKS_NAMES.get(n, n)}_array") for n in names])
        got = {kind: {n: getattr(opengreeks, f"{OPENGREEKS_NAMES.get(n, n)}_array")(kind, *split[kind][:3], 0.0,
                                                                                     split[kind][3]) for n in names}
               for kind in split}
        status = greeks_agree(got, greeks, {n: OPENGREEKS_UNITS.get(n, 1.0) for n in names}, masks)
    add("greeks opengreeks", "opengreeks, its fifteen `black76.*_array` greeks, for the calls and for the puts",
        B76_OPTIONS, "[g(c, f, k, t, 0.0, v) for c, (f, k, t, v) in SPLIT.items() for g in OG_FUNCTIONS]", ns,
        status=status)
    status = "not installed"
    if iv_engine:
        got = {kind: {n: getattr(iv_engine, f)(*split[kind], **({"is_call": kind == "c"} if n == "delta" else {}))
                      for n, f in IV_ENGINE_GREEKS.items()} for kind in split}
        status = greeks_agree(got, greeks, {n: 1.0 for n in IV_ENGINE_GREEKS}, masks)
    add("greeks iv-engine", "iv-engine `deltas`, `gammas`, `vegas`, `vannas`, `vommas`, for the calls and for the "
        "puts", B76_OPTIONS, "[(iv_engine.deltas(f, k, t, v, is_call=c == 'c'), iv_engine.gammas(f, k, t, v), "
        "iv_engine.vegas(f, k, t, v), iv_engine.vannas(f, k, t, v), iv_engine.vommas(f, k, t, v)) "
        "for c, (f, k, t, v) in SPLIT.items()]", ns, status=status)


def build() -> tuple[dict[str, Line], dict[str, float]]:
    """Every row, checked, with its timing queued for run_rounds; and each
    solver's largest miss of the book's vols where the problem is well posed."""
    lines: dict[str, Line] = {}
    accuracy: dict[str, float] = {}

    def add(key: str, label: str, count: int, stmt: str | None, ns: dict, *, status: str = "",
            kernel: str | None = None, per_call: bool = False) -> None:
        timing = None
        if stmt is not None and not status:
            timing = measure_stmt(stmt, ns, repeat=5, per=1 if per_call else count)
        lines[key] = Line(label, count, timing, status, kernel, per_call)

    pyvolr, fast_vollib = peer("pyvolr"), peer("fast-vollib")

    # Black-76 values of a book of a million options.
    book = random_book(B76_OPTIONS, seed=1)
    small = book.head(B76_SCALAR_OPTIONS)
    scalar = [kelvane.b76_fairvalue(*args, DF) for args in zip(*small.lists("fwd", "strike", "ttx", "vol", "call_put"))]
    for threads in (1, None):
        same_bits(kelvane_arrays.b76_fairvalue(small.fwd, small.strike, small.ttx, small.vol, small.call_put, DF,
                                               threads=threads), scalar, f"b76_fairvalue, threads={threads}")
    ns = {"ka": kelvane_arrays, "numpy_b76": numpy_b76, "pyvolr": pyvolr, "fast_vollib": fast_vollib,
          "F": book.fwd, "K": book.strike, "T": book.ttx, "V": book.vol, "CP": book.call_put, "P": book.price,
          "DF": DF, "LISTS": small.lists("fwd", "strike", "ttx", "vol", "call_put")}
    b76 = "`kelvane_arrays.b76_fairvalue(fwd, strike, ttx, vol, call_put)`"
    add("b76 one", f"{b76}, `threads=1`", B76_OPTIONS, "ka.b76_fairvalue(F, K, T, V, CP, DF, threads=1)", ns)
    add("b76 all", f"{b76}, all cores", B76_OPTIONS, "ka.b76_fairvalue(F, K, T, V, CP, DF)", ns)
    add("b76 kernel", "C++ loop `option_pricing::b76::fairvalue_row` over vectors", B76_OPTIONS, None, ns,
        kernel=B76_KERNEL)
    add("b76 scalar kernel", "C++ loop over the scalar `option_pricing::b76::fairvalue`, one option at a time",
        B76_OPTIONS, None, ns, kernel=B76_SCALAR_KERNEL)
    add("binary kernel", "C++ loop `option_pricing::binary::fairvalue_row` over vectors", B76_OPTIONS, None, ns,
        kernel=BINARY_KERNEL)
    add("binary scalar kernel", "C++ loop over the scalar `option_pricing::binary::fairvalue`, one option at a "
        "time", B76_OPTIONS, None, ns, kernel=BINARY_SCALAR_KERNEL)
    quantforge = peer("quantforge")
    status = "not installed"
    if quantforge:
        split = split_by_type(book)
        calls = book.call_put == "c"
        got = np.empty(B76_OPTIONS)
        got[calls] = np.asarray(quantforge.call_price_batch(*split["c"][:3], 0.0, split["c"][3]))
        got[~calls] = np.asarray(quantforge.put_price_batch(*split["p"][:3], 0.0, split["p"][3]))
        status = agrees(got, book.price, 1e-12)
        ns.update(quantforge=quantforge, SPLIT=split)
    add("b76 quantforge", "quantforge `black76.call_price_batch` and `put_price_batch`, the calls and the puts "
        "split beforehand", B76_OPTIONS, "[(quantforge.call_price_batch if c == 'c' else quantforge.put_price_batch)"
        "(f, k, t, 0.0, v) for c, (f, k, t, v) in SPLIT.items()]", ns, status=status)
    status = "not installed"
    if ndtr:
        status = agrees(numpy_b76(book.fwd, book.strike, book.ttx, book.vol, book.call_put, DF), book.price, 1e-12)
    add("b76 numpy", "numpy + `scipy.special.ndtr`, by hand", B76_OPTIONS, "numpy_b76(F, K, T, V, CP, DF)", ns,
        status=status)
    status = "not installed"
    if pyvolr:
        status = agrees(pyvolr.price(book.call_put, book.fwd, book.strike, book.ttx, 0.0, book.vol), book.price, 1e-12)
    add("b76 pyvolr", "pyvolr `black76.price`", B76_OPTIONS, "pyvolr.price(CP, F, K, T, 0.0, V)", ns, status=status)
    status = "not installed"
    if fast_vollib:
        status = agrees(fast_vollib.fast_black(book.call_put, book.fwd, book.strike, book.ttx, 0.0, book.vol),
                        book.price, 1e-12)
    add("b76 fast-vollib", "fast-vollib `fast_black` (a DataFrame, its default)", B76_OPTIONS,
        "fast_vollib.fast_black(CP, F, K, T, 0.0, V)", ns, status=status)
    add("b76 scalar", "list comprehension over `kelvane.b76_fairvalue`", B76_SCALAR_OPTIONS,
        "[f(a, b, c, d, e, DF) for a, b, c, d, e in zip(*LISTS)]", {**ns, "f": kelvane.b76_fairvalue})

    # Every greek of the same book, against the peers' all-greeks calls.
    add_greeks(add, book, small, ns)

    # Implied vols of a book of a hundred thousand options from its values.
    book = random_book(IV_OPTIONS, seed=2)
    small = book.head(IV_SCALAR_OPTIONS)
    scalar = [kelvane.calibrate_black76_iv(*args, DF)
              for args in zip(*small.lists("ttx", "fwd", "strike", "price", "call_put"))]
    for threads in (1, None):
        same_bits(kelvane_arrays.calibrate_black76_iv(small.ttx, small.fwd, small.strike, small.price,
                                                      small.call_put, DF, threads=threads),
                  scalar, f"calibrate_black76_iv, threads={threads}")
    ns.update(F=book.fwd, K=book.strike, T=book.ttx, V=book.vol, CP=book.call_put, P=book.price,
              LISTS=small.lists("ttx", "fwd", "strike", "price", "call_put"))
    iv = "`kelvane_arrays.calibrate_black76_iv(ttx, fwd, strike, price, call_put)`"
    add("iv one", f"{iv}, `threads=1`", IV_OPTIONS, "ka.calibrate_black76_iv(T, F, K, P, CP, DF, threads=1)", ns)
    add("iv all", f"{iv}, all cores", IV_OPTIONS, "ka.calibrate_black76_iv(T, F, K, P, CP, DF)", ns)
    add("iv kernel", "C++ loop `option_pricing::iv_calibration::calibrate_black76_iv_row_at`, vectors of options "
        "searched in lockstep", IV_OPTIONS, None, ns,
        kernel=IV_KERNEL)
    # How far each solver lands from the book's vols on the options whose
    # value moves with vol (vega above 1 % of the forward), for the footnote;
    # a peer whose median miss there is above 1e-6 is called wrongly.
    s = book.vol * np.sqrt(book.ttx)
    vega = book.fwd * np.sqrt(book.ttx) * np.exp(-0.5 * (np.log(book.fwd / book.strike) / s + 0.5 * s) ** 2)
    posed = vega / np.sqrt(2.0 * np.pi) > 0.01 * book.fwd
    solved = {"kelvane": kelvane_arrays.calibrate_black76_iv(book.ttx, book.fwd, book.strike, book.price,
                                                             book.call_put, DF)}
    if pyvolr:
        solved["pyvolr"] = pyvolr.implied_vol(book.price, book.call_put, book.fwd, book.strike, book.ttx, 0.0)
    if fast_vollib:
        solved["fast-vollib"] = fast_vollib.fast_implied_volatility_black(book.price, book.fwd, book.strike, 0.0,
                                                                          book.ttx, book.call_put)
    status = {"pyvolr": "not installed", "fast-vollib": "not installed"}
    for name, vols in solved.items():
        miss = np.abs(np.asarray(vols, dtype=float).ravel()[posed] - book.vol[posed])
        accuracy[name] = float(np.max(miss))
        status[name] = "" if np.median(miss) <= 1e-6 else f"misses the book's vols by {np.median(miss):.1e} (median)"
    add("iv pyvolr", "pyvolr `black76.implied_vol`", IV_OPTIONS, "pyvolr.implied_vol(P, CP, F, K, T, 0.0)", ns,
        status=status["pyvolr"])
    add("iv fast-vollib", "fast-vollib `fast_implied_volatility_black` (a DataFrame, its default)", IV_OPTIONS,
        "fast_vollib.fast_implied_volatility_black(P, F, K, 0.0, T, CP)", ns, status=status["fast-vollib"])
    add("iv scalar", "list comprehension over `kelvane.calibrate_black76_iv`", IV_SCALAR_OPTIONS,
        "[f(a, b, c, d, e, DF) for a, b, c, d, e in zip(*LISTS)]", {**ns, "f": kelvane.calibrate_black76_iv})

    # The same book through b76_implied_vol, which solves to the precision
    # the price allows, against the peers that iterate to machine precision.
    alone = [kelvane_arrays.b76_implied_vol(*args, DF)
             for args in zip(*small.lists("ttx", "fwd", "strike", "price", "call_put"))]
    for threads in (1, None):
        same_bits(kelvane_arrays.b76_implied_vol(small.ttx, small.fwd, small.strike, small.price, small.call_put, DF,
                                                 threads=threads), alone, f"b76_implied_vol, threads={threads}")
    lbr, iv_engine, opengreeks, quantforge = (peer(name) for name in ("fast-vollib LBR", "iv-engine", "opengreeks",
                                                                       "quantforge"))
    call, put = book.call_put == "c", book.call_put == "p"
    ns.update(CALL=call, PUT=put, IS_CALL=call, by_type=by_type, lbr=lbr, quantforge=quantforge,
              iv_engine=iv_engine and (lambda p, f, k, t, kind: iv_engine.implied_volatilities(p, f, k, t, kind == "c")),
              opengreeks=opengreeks and (lambda p, f, k, t, kind: opengreeks.implied_volatility_array(p, f, k, 0.0, t,
                                                                                                   kind)))
    implied = "`kelvane_arrays.b76_implied_vol(ttx, fwd, strike, price, call_put)`"
    add("implied one", f"{implied}, `threads=1`", IV_OPTIONS, "ka.b76_implied_vol(T, F, K, P, CP, DF, threads=1)", ns)
    add("implied all", f"{implied}, all cores", IV_OPTIONS, "ka.b76_implied_vol(T, F, K, P, CP, DF)", ns)
    add("implied kernel", "C++ loop `option_pricing::implied_vol::black76_implied_vol_row_at`, vectors of options "
        "solved in lockstep", IV_OPTIONS, None, ns, kernel=IMPLIED_KERNEL)
    add("implied scalar kernel", "C++ loop over `option_pricing::implied_vol::black76_implied_vol`, one option at a "
        "time", IV_OPTIONS, None, ns, kernel=IMPLIED_SCALAR_KERNEL)
    exact = {"kelvane b76_implied_vol": lambda: kelvane_arrays.b76_implied_vol(book.ttx, book.fwd, book.strike,
                                                                               book.price, book.call_put, DF)}
    statements: dict[str, str] = {}
    if lbr:
        exact["fast-vollib LBR"] = lambda: lbr.jackel_iv_black(book.price, book.fwd, book.strike, book.ttx, call)
        statements["iv fast-vollib LBR"] = "lbr.jackel_iv_black(P, F, K, T, IS_CALL)"
    if iv_engine:
        exact["iv-engine"] = lambda: by_type(ns["iv_engine"], book.price, book.fwd, book.strike, book.ttx,
                                             book.call_put, call, put)
        statements["iv iv-engine"] = "by_type(iv_engine, P, F, K, T, CP, CALL, PUT)"
    if opengreeks:
        exact["opengreeks"] = lambda: by_type(ns["opengreeks"], book.price, book.fwd, book.strike, book.ttx,
                                              book.call_put, call, put)
        statements["iv opengreeks"] = "by_type(opengreeks, P, F, K, T, CP, CALL, PUT)"
    if quantforge:
        exact["quantforge"] = lambda: quantforge.implied_volatility_batch(book.price, book.fwd, book.strike,
                                                                          book.ttx, 0.0, call)
        statements["iv quantforge"] = "quantforge.implied_volatility_batch(P, F, K, T, 0.0, IS_CALL)"
    status.update({name: "not installed" for name in ("fast-vollib LBR", "iv-engine", "opengreeks", "quantforge")})
    for name, solve in exact.items():
        try:
            vols = np.asarray(solve(), dtype=float).ravel()[posed]
        except Exception as error:  # noqa: BLE001 - a peer's own failure is its row's status
            status[name] = f"fails: {type(error).__name__}"
            continue
        miss = np.abs(vols - book.vol[posed])
        accuracy[name] = float(np.nanmax(miss)) if not np.isnan(miss).all() else math.nan
        status[name] = ("" if np.median(miss) <= 1e-12 and not np.isnan(miss).any() else
                        f"misses the book's vols: NaN at {np.isnan(miss).sum():,} options" if np.isnan(miss).any() else
                        f"misses the book's vols by {np.median(miss):.1e} (median)")
    add("iv fast-vollib LBR", "fast-vollib `jackel.jackel_iv_black`", IV_OPTIONS,
        statements.get("iv fast-vollib LBR"), ns, status=status["fast-vollib LBR"])
    add("iv iv-engine", "iv-engine `implied_volatilities` (one call per option type, its default `parallel=True`)",
        IV_OPTIONS, statements.get("iv iv-engine"), ns, status=status["iv-engine"])
    add("iv opengreeks", "opengreeks `black76.implied_volatility_array` (one call per option type)", IV_OPTIONS,
        statements.get("iv opengreeks"), ns, status=status["opengreeks"])
    add("iv quantforge", "quantforge `black76.implied_volatility_batch`", IV_OPTIONS,
        statements.get("iv quantforge"), ns, status=status["quantforge"])

    # A smile over a million strikes.
    smile = kelvane.GVVSpline(EXPIRY, ref_vol=55.0, skew=-4.0, smile=8.0, pwing=1.0, cwing=0.5)
    strikes = np.linspace(50.0, 150.0, STRIKES, endpoint=False)
    strike_list = strikes.tolist()
    by_method = smile.get_vol(SMILE_TTX, SMILE_SPOT, strike_list)
    for threads in (1, None):
        same_bits(kelvane_arrays.get_vol(smile, SMILE_TTX, SMILE_SPOT, strikes, threads=threads), by_method,
                  f"get_vol, threads={threads}")
    ns.update(smile=smile, STRIKES=strikes, STRIKE_LIST=strike_list, TTX=SMILE_TTX, SPOT=SMILE_SPOT)
    get_vol = "`kelvane_arrays.get_vol(smile, ttx, spot, strikes)` of a `GVVSpline`"
    add("vol all", f"{get_vol}, all cores", STRIKES, "ka.get_vol(smile, TTX, SPOT, STRIKES)", ns)
    add("vol one", f"{get_vol}, `threads=1`", STRIKES, "ka.get_vol(smile, TTX, SPOT, STRIKES, threads=1)", ns)
    add("vol method", "`smile.get_vol(ttx, spot, strikes)` of a list", STRIKES,
        "smile.get_vol(TTX, SPOT, STRIKE_LIST)", ns)
    for model, kernel in SMILE_STRIP_KERNELS.items():
        for width in STRIP_WIDTHS:
            unit = "one strike at a time" if width == 1 else f"{width} strikes at a time"
            add(f"strip {model} {width}", f"C++ loop of a `{model}` strip, {unit}", STRIKES, None, ns,
                kernel=f"{kernel}/{width}")

    # Business time over a million intervals of up to a year, from instants of 2026.
    rng = np.random.default_rng(3)
    start = np.datetime64("2026-01-01T00:00:00", "us").astype(np.int64)
    year = 365 * 86_400 * 10**6
    starts = start + rng.integers(0, year, INTERVALS)
    from_ = starts.astype("datetime64[us]")
    to = (starts + rng.integers(0, year, INTERVALS)).astype("datetime64[us]")
    utc = datetime.timezone.utc
    from_dt = [d.replace(tzinfo=utc) for d in from_[:METHOD_INTERVALS].astype(object)]
    to_dt = [d.replace(tzinfo=utc) for d in to[:METHOD_INTERVALS].astype(object)]
    cal = kelvane.Calendar("BTCUSDT")
    by_method = [cal.get_bus_ttx(a, b) for a, b in zip(from_dt, to_dt)]
    for threads in (1, None):
        same_bits(kelvane_arrays.get_bus_ttx("BTCUSDT", from_[:METHOD_INTERVALS], to[:METHOD_INTERVALS],
                                             threads=threads), by_method, f"get_bus_ttx, threads={threads}")
    ns.update(FROM=from_, TO=to, FROM_DT=from_dt, TO_DT=to_dt, bus=cal.get_bus_ttx)
    bus = "`kelvane_arrays.get_bus_ttx(\"BTCUSDT\", from_, to)` of `datetime64[us]` arrays"
    add("bus all", f"{bus}, all cores", INTERVALS, "ka.get_bus_ttx('BTCUSDT', FROM, TO)", ns)
    add("bus one", f"{bus}, `threads=1`", INTERVALS, "ka.get_bus_ttx('BTCUSDT', FROM, TO, threads=1)", ns)
    add("bus method", "`Calendar(\"BTCUSDT\").get_bus_ttx(a, b)` per interval of aware datetimes",
        METHOD_INTERVALS, "[bus(a, b) for a, b in zip(FROM_DT, TO_DT)]", ns)

    # Small calls: a desk's few options, each entry beside what a user writes instead.
    book = random_book(SMALL, seed=4)
    expiries = np.datetime64("2026-03-27T08:00", "us") + np.arange(SMALL) * np.timedelta64(7, "D")
    ns.update(F=book.fwd, K=book.strike, T=book.ttx, V=book.vol, CP=book.call_put, P=book.price, NOW=EXPIRY,
              EXPIRIES=expiries, cal=cal, Calendar=kelvane.Calendar, kelvane=kelvane,
              EXPIRY_LIST=[e.replace(tzinfo=utc) for e in expiries.astype(object)],
              PRICING=book.lists("fwd", "strike", "ttx", "vol", "call_put"),
              PLAIN=book.lists("fwd", "strike", "ttx", "vol"),
              SOLVING=book.lists("ttx", "fwd", "strike", "price", "call_put"),
              STRIKE_LIST=book.strike.tolist())
    for small_call in SMALL_CALLS:
        if not hasattr(kelvane_arrays, small_call.name):
            continue  # an entry of another branch, not in this build
        choice = f", {small_call.choice}" if small_call.choice else ""
        add(f"small {small_call.key}", f"`kelvane_arrays.{small_call.name}` of {SMALL} {small_call.items}{choice}",
            SMALL, small_call.call, ns, per_call=True)
        if small_call.scalar:
            same_bits(eval(small_call.call, ns), eval(small_call.scalar, ns), f"{small_call.key} of {SMALL}")
            add(f"small {small_call.key} scalar", f"{small_call.scalar_label}, {SMALL} {small_call.items}", SMALL,
                small_call.scalar, ns, per_call=True)
    return lines, accuracy


@dataclass
class SmallCall:
    """A small call of `name` on the book's SMALL options (F, K, T, V, CP, P), timed beside `scalar`, what a
    user writes instead (its bits checked against it); its target, where it has one, is at most `at_most`
    times the time of `versus`'s scalar row (its own by default)."""
    name: str
    call: str
    scalar: str | None = None
    scalar_label: str = ""
    at_most: float | None = None
    versus: str | None = None
    items: str = "options"
    choice: str = ""  # what sets this row apart from another of the same entry

    @property
    def key(self) -> str:
        return f"{self.name} {self.choice}".strip()


def _comprehension(function: str, lists: str, count: int = 5) -> str:
    names = ", ".join("abcde"[:count])
    return f"[kelvane.{function}({names}) for {names} in zip(*{lists})]"


# One line an entry; a line whose entry this build lacks is skipped.
SMALL_CALLS = [
    SmallCall("b76_fairvalue", "ka.b76_fairvalue(F, K, T, V, CP)", _comprehension("b76_fairvalue", "PRICING"),
              "list comprehension over `kelvane.b76_fairvalue`", at_most=1.5),
    *(SmallCall(name, f"ka.{name}(F, K, T, V, CP)", _comprehension(name, "PRICING"),
                f"list comprehension over `kelvane.{name}`")
      for name in ("b76_delta", "binary_fairvalue", "binary_vega", "binary_delta", "binary_gamma", "binary_speed",
                   "binary_theta")),
    *(SmallCall(name, f"ka.{name}(F, K, T, V)", _comprehension(name, "PLAIN", 4),
                f"list comprehension over `kelvane.{name}`") for name in ("b76_vega", "b76_gamma")),
    SmallCall("calibrate_black76_iv", "ka.calibrate_black76_iv(T, F, K, P, CP)",
              _comprehension("calibrate_black76_iv", "SOLVING"), "list comprehension over "
              "`kelvane.calibrate_black76_iv`"),
    # All sixteen greeks against ten scalar values; ten implied vols against ten scalar solves.
    SmallCall("b76_greeks", "ka.b76_greeks(F, K, T, V, CP)", at_most=3.0, versus="b76_fairvalue"),
    # The greeks the scalar module also gives bit for bit, against its two calls an option.
    SmallCall("b76_greeks", "ka.b76_greeks(F, K, T, V, CP, greeks=['value', 'vega'])",
              "[(kelvane.b76_fairvalue(a, b, c, d, e), kelvane.b76_vega(a, b, c, d))"
              " for a, b, c, d, e in zip(*PRICING)]",
              "list comprehension over `kelvane.b76_fairvalue` and `kelvane.b76_vega`", at_most=1.0,
              choice="value and vega"),
    SmallCall("b76_implied_vol", "ka.b76_implied_vol(T, F, K, P, CP)", at_most=1.0, versus="calibrate_black76_iv"),
    SmallCall("get_vol", "ka.get_vol(smile, TTX, SPOT, K)", "smile.get_vol(TTX, SPOT, STRIKE_LIST)",
              "`smile.get_vol(ttx, spot, strikes)` of a list", items="strikes"),
    SmallCall("get_bus_ttx", "ka.get_bus_ttx('BTCUSDT', NOW, EXPIRIES)", "[cal.get_bus_ttx(NOW, e) for e in "
              "EXPIRY_LIST]", "list comprehension over `Calendar.get_bus_ttx`", items="intervals"),
    SmallCall("get_cal_ttx", "ka.get_cal_ttx(NOW, EXPIRIES)", "[Calendar.get_cal_ttx(NOW, e) for e in EXPIRY_LIST]",
              "list comprehension over `Calendar.get_cal_ttx`", items="intervals"),
]


@dataclass
class Target:
    label: str
    value: Callable[[Callable[[str], float | None]], float | None]
    text: Callable[[float], str]
    goal: str
    met: Callable[[float], bool]


def _slower(a: str, b: str) -> Callable:
    """a's time over b's: how many times slower a is."""
    return lambda ns: ns(a) / ns(b) if ns(a) and ns(b) else None


def _fastest_peer(ns) -> float | None:
    times = [t for t in (ns("b76 numpy"), ns("b76 pyvolr"), ns("b76 fast-vollib")) if t]
    return min(times) / ns("b76 all") if times and ns("b76 all") else None


def _widest_strip(model: str) -> Callable:
    """The fastest vector width's strip over the strip one strike at a time."""
    def ratio(ns) -> float | None:
        times = [t for t in (ns(f"strip {model} {w}") for w in STRIP_WIDTHS[1:]) if t]
        return min(times) / ns(f"strip {model} 1") if times and ns(f"strip {model} 1") else None
    return ratio


def _fastest_greeks_peer(ns) -> float | None:
    times = [t for t in (ns("greeks pyvolr"), ns("greeks fast-vollib"), ns("greeks quantforge")) if t]
    return min(times) / ns("greeks all") if times and ns("greeks all") else None


EXACT_PEERS = ("iv pyvolr", "iv fast-vollib LBR", "iv iv-engine", "iv opengreeks", "iv quantforge")


def _fastest_exact_peer(ns) -> float | None:
    times = [t for t in (ns(key) for key in EXACT_PEERS) if t]
    return min(times) / ns("implied all") if times and ns("implied all") else None


TARGETS = [
    Target("b76_fairvalue, one thread against the C++ loop", _slower("b76 one", "b76 kernel"),
           lambda r: f"{r:.2f}x its time", "<= 1.15x", lambda r: r <= 1.15),
    Target("b76_fairvalue, all cores against one thread", _slower("b76 one", "b76 all"),
           lambda r: f"{r:.2f}x faster", ">= 1.6x", lambda r: r >= 1.6),
    Target("b76_fairvalue, all cores against the fastest of numpy + scipy, pyvolr and fast-vollib", _fastest_peer,
           lambda r: f"{r:.2f}x faster", ">= 1.5x", lambda r: r >= 1.5),
    Target("b76_fairvalue's loop on the vector unit against the scalar loop", _slower("b76 kernel", "b76 scalar kernel"),
           lambda r: f"{r:.2f}x its time", "<= 0.4x", lambda r: r <= 0.4),
    Target("b76_fairvalue, all cores against quantforge, calls and puts split beforehand",
           _slower("b76 quantforge", "b76 all"), lambda r: f"{r:.2f}x faster", ">= 2x", lambda r: r >= 2.0),
    Target("binary_fairvalue's loop on the vector unit against the scalar loop",
           _slower("binary kernel", "binary scalar kernel"), lambda r: f"{r:.2f}x its time", "<= 0.4x",
           lambda r: r <= 0.4),
    Target("b76_greeks' loop on the vector unit against the scalar loop", _slower("greeks kernel", "greeks scalar kernel"),
           lambda r: f"{r:.2f}x its time", "<= 0.4x", lambda r: r <= 0.4),
    *(Target(f"a {model} strip on the vector unit against one strike at a time", _widest_strip(model),
             lambda r: f"{r:.2f}x its time", "<= 0.5x", lambda r: r <= 0.5) for model in SMILE_STRIP_KERNELS),
    Target("b76_greeks, all sixteen on one thread against b76_fairvalue on one thread, per option",
           _slower("greeks one", "b76 one"), lambda r: f"{r:.2f}x its time", "<= 2x", lambda r: r <= 2.0),
    Target("b76_greeks, all sixteen on all cores against the fastest all-greeks call of pyvolr, fast-vollib and "
           "quantforge (five greeks each)", _fastest_greeks_peer, lambda r: f"{r:.2f}x faster", ">= 2x",
           lambda r: r >= 2.0),
    Target("calibrate_black76_iv, one thread against the C++ loop", _slower("iv one", "iv kernel"),
           lambda r: f"{r:.2f}x its time", "<= 1.1x", lambda r: r <= 1.1),
    Target("calibrate_black76_iv, all cores against one thread", _slower("iv one", "iv all"),
           lambda r: f"{r:.2f}x faster", ">= 1.6x", lambda r: r >= 1.6),
    Target("calibrate_black76_iv, all cores against pyvolr¹", _slower("iv pyvolr", "iv all"),
           lambda r: f"{r:.2f}x faster", ">= 2x", lambda r: r >= 2.0),
    Target("calibrate_black76_iv, all cores against fast-vollib¹", _slower("iv fast-vollib", "iv all"),
           lambda r: f"{r:.2f}x faster", ">= 2x", lambda r: r >= 2.0),
    Target("b76_implied_vol, one thread against the b76_fairvalue C++ loop", _slower("implied one", "b76 kernel"),
           lambda r: f"{r:.2f}x its time", "<= 5x", lambda r: r <= 5.0),
    Target("b76_implied_vol's C++ loop against the b76_fairvalue C++ loop", _slower("implied kernel", "b76 kernel"),
           lambda r: f"{r:.2f}x its time", "<= 5x", lambda r: r <= 5.0),
    Target("b76_implied_vol, all cores against the fastest machine-precision peer", _fastest_exact_peer,
           lambda r: f"{r:.2f}x faster", ">= 2x", lambda r: r >= 2.0),
    Target("b76_implied_vol, all cores against calibrate_black76_iv, all cores", _slower("iv all", "implied all"),
           lambda r: f"{r:.2f}x faster", "> 1x", lambda r: r > 1.0),
    Target("get_vol of an array against the list method, per strike", _slower("vol method", "vol all"),
           lambda r: f"{r:.2f}x faster", ">= 2.5x", lambda r: r >= 2.5),
    Target("get_bus_ttx of arrays against the method, per interval", _slower("bus method", "bus all"),
           lambda r: f"{r:.2f}x faster", ">= 5x", lambda r: r >= 5.0),
    Target(f"b76_fairvalue of {SMALL} options, per call", lambda ns: ns("small b76_fairvalue"),
           lambda ns: f"{ns / 1e3:.2f} µs", "<= 4 µs", lambda ns: ns <= 4e3),
    *(Target(f"{c.key} of {SMALL} {c.items} against the {c.versus or c.key} list comprehension",
             _slower(f"small {c.key}", f"small {c.versus or c.key} scalar"), lambda r: f"{r:.2f}x its time",
             f"<= {c.at_most}x", lambda r, at_most=c.at_most: r <= at_most)
      for c in SMALL_CALLS if c.at_most is not None and hasattr(kelvane_arrays, c.name)),
]

def footnote(accuracy: dict[str, float]) -> str:
    misses = ", ".join(f"{name} {miss:.0e}" for name, miss in accuracy.items())
    return ("¹ The solvers do not stop at the same accuracy: the peers iterate towards machine precision, "
            "as does kelvane_arrays.b76_implied_vol (to the precision the price allows), while kelvane's Brent "
            "search, calibrate_black76_iv, stops at 1e-4. Their largest miss of the "
            f"book's vols, over the options whose vega is above 1 % of the forward: {misses}.")


def table(lines: dict[str, Line], kernels: dict[str, float], accuracy: dict[str, float]) -> str:
    def ns(key: str) -> float | None:
        return lines[key].ns(kernels)

    cores = os.cpu_count()
    out = [f"Measured by `make bench` on {machine()}, {cores} cores; numpy {package_version('numpy')}, "
           f"scipy {package_version('scipy')}, pyvolr {package_version('pyvolr')}, "
           f"fast-vollib {package_version('fast-vollib')}, quantforge {package_version('quantforge')}, "
           f"opengreeks {package_version('opengreeks')}, iv-engine {package_version('iv-engine')}. Each figure is the best of its rounds; "
           "\"all cores\" is `threads=None`, the default.", "",
           "| call | items | ns per item | whole call |", "|---|---:|---:|---:|"]
    for line in lines.values():
        figure = line.ns(kernels)
        if figure is None:
            why = line.status or ("needs `--kernels`" if line.kernel else "not measured")
            out.append(f"| {line.label} | {line.count:,} | {why} | |")
        elif line.per_call:
            out.append(f"| {line.label} | {line.count:,} | {figure / line.count:,.1f} | {figure / 1e3:,.2f} µs |")
        else:
            whole = figure * line.count / 1e6
            out.append(f"| {line.label} | {line.count:,} | {figure:,.1f} | {whole:,.1f} ms |")
    out += ["", "| set against | measured | target | |", "|---|---:|---|---|"]
    for target in TARGETS:
        value = target.value(ns)
        if value is None:
            out.append(f"| {target.label} | not measured | {target.goal} | |")
        else:
            out.append(f"| {target.label} | {target.text(value)} | {target.goal} | "
                       f"{'met' if target.met(value) else 'missed'} |")
    out += ["", footnote(accuracy)]
    return "\n".join(out)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kernels", help="the C++ kernel benchmark binary (make kernel-bench builds it)")
    parser.add_argument("--readme", action="store_true", help="rewrite the table in docs/speed.md")
    args = parser.parse_args()
    kernels = kernel_loops(args.kernels)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # the peers' solvers warn of the book's unsolvable options
        lines, accuracy = build()
        run_rounds()
    text = table(lines, kernels, accuracy)
    print(text)
    if args.readme:
        readme = ROOT / "docs" / "speed.md"
        updated, n = MARKERS.subn(lambda m: m[1] + text + "\n" + m[2], readme.read_text())
        if n != 1:
            print("docs/speed.md has no <!-- arrays-bench:start --> ... <!-- arrays-bench:end --> section: "
                  "the table is printed only")
            return
        readme.write_text(updated)


if __name__ == "__main__":
    main()
