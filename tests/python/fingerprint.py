#!/usr/bin/env python3
"""The library's fingerprint: every public function of kelvane and
kelvane_arrays over a seeded book of inputs, hashed bit for bit.

Every formula computes through the library's own exp, log, tanh and erfc,
in fixed evaluation orders, so its results are meant to be the same bits on
every machine, C library and interpreter the wheels serve. The book's
inputs are made with Python's own arithmetic (random.Random's uniform
draws and integers, never math's functions or numpy's generators, whose
last bits may differ between machines), so they are the same bits
everywhere too. Each group of values, one function or one method of one
smile class, is hashed with sha256 over its float64 values, little-endian,
in the book's order, every NaN written as the one quiet NaN
0x7ff8000000000000 (machines differ in the sign and payload of the NaN an
invalid operation makes). An array function's group holds its results at
each thread count of THREADS, one after another, so a split that changes a
bit moves it too. test_fingerprint.py checks the groups against
fingerprint.sha256.

    fingerprint.py                  compares with fingerprint.sha256, naming the groups that moved
    fingerprint.py --write          rewrites fingerprint.sha256
    fingerprint.py --dump F.npz     saves every group's values
    fingerprint.py --compare F.npz  counts the values that moved from a dump, and by how many ulps
"""
import argparse
import datetime
import hashlib
import random
import sys
from pathlib import Path

import numpy as np

import kelvane
import kelvane_arrays as ka

SEED = 20261209
COMMITTED = Path(__file__).with_name("fingerprint.sha256")
# One thread, an even and an odd split, and the default for the machine.
THREADS = (1, 2, 3, None)
NAN, INF = float("nan"), float("inf")
UTC = datetime.timezone.utc
EXPIRY = datetime.datetime(2027, 3, 26, 8, tzinfo=UTC)
CALENDAR = "BTCUSDT"

HEADER = """\
# sha256 of kelvane's results over the seeded book of tests/python/fingerprint.py:
# one line a group (hash, number of values, group), then `all`, over the lines.
# The bits are meant to be the same on every machine the wheels serve; a group
# that moves names the functions whose bits changed. Rewrite this file with
#     python tests/python/fingerprint.py --write
# only in a change that means to move those bits (a formula's evaluation order,
# an elementary function), and say so in the CHANGELOG.
"""

# Option rows (fwd, strike, ttx, vol, call_put, df): every pairing of these
# edge values, then seeded rows about the money and in the wings.
EDGE_MONEYNESS = ((100.0, 100.0), (100.0, 1e-6), (100.0, 1e6), (1e-300, 1.0), (100.0, 0.0), (0.0, 100.0),
                  (NAN, 100.0), (100.0, NAN), (INF, 100.0), (-1.0, 100.0))
EDGE_TTX = (0.0, -1.0, 5e-324, 1e-12, 1.0, 100.0, NAN, INF)
EDGE_VOL = (0.0, -0.2, 1e-9, 0.3, 20.0, NAN)
EDGE_DF = (1.0, 0.97, 0.0, NAN, -1.0)
RANDOM_OPTIONS = 700
# Ranges of the smiles' parameters (vol points where they are vols); a
# negative smile or wing gives NaN vols, a ref_vol of 10 or less fails arb_free.
PARAMETER_RANGES = {"vpr": (0.0, 2.0), "ref_spot": (50.0, 200.0), "ref_vol": (5.0, 90.0), "vvol": (1.0, 80.0),
                    "corr": (-2.0, 2.0), "smile": (-2.0, 20.0), "pwing": (-1.0, 5.0), "cwing": (-1.0, 5.0)}
SMILES_PER_CLASS = 24
SMILE_TTX = (0.0, 1e-10, NAN)  # the first smiles' times; the others' are drawn
EDGE_STRIKE_FACTORS = (0.0, -1.0, NAN, INF, 1e-300, 1.0, 1e-6, 1e6)
STRIKES_PER_SMILE = 40
JACOBIAN_STRIKES = 20
BUMPS = (1.5, -3.0, -50.0)
TENORS = ("1d", "3m", "0.5y", "2w", "1e3d", "-7d", "0d", "1.5e-3y", "infd", "nanw", "18m", "10y")
# Instants: microseconds since 1970, around the clock changes and the local
# new year of the calendar's zone, at its ends, and drawn over 1950-2150.
US = 1_000_000
EDGE_INSTANTS = (0, 1_805_007_600 * US, 1_805_007_600 * US - 1, 1_825_567_200 * US, 1_825_567_200 * US + 1,
                 1_798_779_600 * US, 4_102_444_800 * US, 4_102_444_800 * US + 1, -631_152_000 * US)
RANDOM_INSTANT_PAIRS = 600


class Book:
    """The seeded inputs, every one made from random.Random's draws with
    Python's float arithmetic."""

    def __init__(self, seed: int = SEED) -> None:
        rng = random.Random(seed)
        self.options = self._options(rng)
        self.prices = [self._price(i, row) for i, row in enumerate(self.options)]
        self.smiles = [self._smile(rng, cls, i) for cls in (kelvane.GVVSpline, kelvane.VolGeo, kelvane.CubicSpline)
                       for i in range(SMILES_PER_CLASS)]
        self.instants = self._instants(rng)

    @staticmethod
    def _options(rng: random.Random) -> list[tuple]:
        rows = []
        for fwd, strike in EDGE_MONEYNESS:
            for ttx in EDGE_TTX:
                for vol in EDGE_VOL:
                    n = len(rows)
                    rows.append((fwd, strike, ttx, vol, ("call", "put")[n % 2], EDGE_DF[n % len(EDGE_DF)]))
        for n in range(RANDOM_OPTIONS):
            fwd = rng.uniform(1.0, 1000.0)
            # Most strikes within a factor of 3 of the forward, one in eight deep in a wing.
            moneyness = rng.uniform(0.33, 3.0) if n % 8 else rng.choice((1e-3, 1e3)) * rng.uniform(0.5, 2.0)
            rows.append((fwd, fwd * moneyness, rng.uniform(1e-4, 5.0), rng.uniform(0.01, 3.0),
                         rng.choice(("call", "put", "C", "p")), rng.uniform(0.5, 1.0)))
        return rows

    @staticmethod
    def _price(n: int, row: tuple) -> float:
        """A price to solve for: the row's value, or now and then one outside
        what any vol gives."""
        fwd, strike, ttx, vol, call_put, df = row
        special = (0.0, -1.0, 2.0 * fwd, NAN)
        return special[n // 7 % 4] if n % 7 == 0 else kelvane.b76_fairvalue(fwd, strike, ttx, vol, call_put, df)

    @staticmethod
    def _smile(rng: random.Random, cls: type, i: int) -> tuple:
        params = {}
        for name in sorted(cls(EXPIRY).get_param_dict()):
            low, high = PARAMETER_RANGES.get(name, (-10.0, 10.0))
            params[name] = rng.uniform(low, high)
        ttx = SMILE_TTX[i] if i < len(SMILE_TTX) else rng.uniform(0.01, 2.0)
        ref_spot = params["ref_spot"]
        spot = ref_spot * rng.uniform(0.8, 1.25)
        strikes = [ref_spot * f for f in EDGE_STRIKE_FACTORS]
        strikes += [ref_spot * rng.uniform(0.2, 5.0) for _ in range(STRIKES_PER_SMILE - len(strikes))]
        return cls, params, ttx, spot, strikes

    @staticmethod
    def _instants(rng: random.Random) -> list[tuple[int, int]]:
        edges = [(a, b) for a in EDGE_INSTANTS for b in EDGE_INSTANTS]
        low, high = -631_152_000 * US, 5_680_281_600 * US  # 1950 to 2150
        return edges + [(rng.randrange(low, high), rng.randrange(low, high)) for _ in range(RANDOM_INSTANT_PAIRS)]

    def columns(self, with_type: bool = True) -> tuple:
        fwd, strike, ttx, vol, call_put, df = (np.array(c) for c in zip(*self.options))
        return (fwd, strike, ttx, vol, call_put, df) if with_type else (fwd, strike, ttx, vol, df)

    def solver_columns(self) -> tuple:
        fwd, strike, ttx, _, call_put, df = self.columns()
        return ttx, fwd, strike, np.array(self.prices), call_put, df

    def smile_objects(self, cls: type):
        for kind, params, ttx, spot, strikes in self.smiles:
            if kind is cls:
                yield kind.with_params(EXPIRY, params), ttx, spot, strikes


def instant(microseconds: int) -> datetime.datetime:
    return datetime.datetime(1970, 1, 1, tzinfo=UTC) + datetime.timedelta(microseconds=microseconds)


def inputs(book: Book) -> list[float]:
    """The book's draws, so that a machine whose draws differ says so first
    (the prices are b76_fairvalue's, hashed with the solvers' results)."""
    smiles = [v for _, params, ttx, spot, strikes in book.smiles for v in [*params.values(), ttx, spot, *strikes]]
    rows = [v for row in book.options for v in row if not isinstance(v, str)]
    return rows + smiles + [float(v) for pair in book.instants for v in pair]


# ---- the entries: a group name and what computes its values -------------------

OPTION_FUNCTIONS = ("b76_fairvalue", "b76_delta", "binary_fairvalue", "binary_vega", "binary_delta",
                    "binary_gamma", "binary_speed", "binary_theta")
UNTYPED_FUNCTIONS = ("b76_vega", "b76_gamma")


def scalar_option(name: str):
    function, typed = getattr(kelvane, name), name not in UNTYPED_FUNCTIONS
    return lambda book: [function(*row) if typed else function(*row[:4], row[5]) for row in book.options]


def scalar_solver(book: Book) -> list[float]:
    return [kelvane.calibrate_black76_iv(r[2], r[0], r[1], p, r[4], r[5]) for r, p in zip(book.options, book.prices)]


def at_every_thread_count(call):
    """call(threads) at each thread count, its results one after another."""
    return np.concatenate([np.ravel(call(threads)) for threads in THREADS])


def array_option(name: str):
    function, typed = getattr(ka, name, None), name not in UNTYPED_FUNCTIONS
    return lambda book: at_every_thread_count(lambda t: function(*book.columns(typed), threads=t))


def array_solver(name: str):
    function = getattr(ka, name, None)
    return lambda book: at_every_thread_count(lambda t: function(*book.solver_columns(), threads=t))


def array_greeks(book: Book) -> np.ndarray:
    def every_greek(threads):
        return np.concatenate(list(ka.b76_greeks(*book.columns(), threads=threads).values()))
    return at_every_thread_count(every_greek)


def smile_vols(cls: type, book: Book) -> list[float]:
    return [v for smile, ttx, spot, strikes in book.smile_objects(cls) for v in smile.get_vol(ttx, spot, strikes)]


def smile_single_vols(cls: type, book: Book) -> list[float]:
    return [smile.get_vol_single(ttx, spot, k) for smile, ttx, spot, strikes in book.smile_objects(cls)
            for k in strikes]


def smile_jacobians(cls: type, book: Book) -> list[float]:
    values = []
    for smile, ttx, spot, strikes in book.smile_objects(cls):
        names = smile.get_fitting_params()
        columns = smile.get_jacobian(ttx, spot, strikes[:JACOBIAN_STRIKES], names)
        values += [v for name in names for v in columns[name]]
    return values


def parameters(smile) -> list[float]:
    return [value for _, value in sorted(smile.get_param_dict().items())]


def smile_arb_free(cls: type, book: Book) -> list[float]:
    return [float(smile.arb_free()) for smile, *_ in book.smile_objects(cls)]


def smile_round_trips(cls: type, book: Book) -> list[float]:
    """with_params of get_param_dict, and set_param read back by get_parameter."""
    values = []
    for smile, *_ in book.smile_objects(cls):
        values += parameters(cls.with_params(EXPIRY, smile.get_param_dict()))
        for name, value in sorted(smile.get_param_dict().items()):
            smile.set_param(name, value / 3.0)
            values.append(smile.get_parameter(name))
    return values


def smile_reanchored(cls: type, book: Book) -> list[float]:
    """The parameters after reanchor, NaN where it refuses a vol that is not finite."""
    values = []
    for smile, ttx, spot, _ in book.smile_objects(cls):
        try:
            smile.reanchor(spot, ttx)
        except ValueError:
            values += [NAN] * len(parameters(smile))
            continue
        values += parameters(smile)
    return values


def smile_bumped(cls: type, book: Book) -> list[float]:
    values = []
    for smile, *_ in book.smile_objects(cls):
        for name in smile.get_fitting_params():
            for bump in BUMPS:
                smile.bump_param(name, bump)
                values.append(smile.get_parameter(name))
    return values


def array_smile_vols(cls: type, book: Book) -> np.ndarray:
    """Along the strikes, and on a grid of three times by the strikes."""
    values = []
    for smile, ttx, spot, strikes in book.smile_objects(cls):
        values.append(at_every_thread_count(lambda t: ka.get_vol(smile, ttx, spot, strikes, threads=t)))
        times = np.array([[0.0], [ttx], [ttx * 2.0]])
        values.append(at_every_thread_count(lambda t: ka.get_vol(smile, times, spot, strikes, threads=t)))
    return np.concatenate(values)


def array_smile_jacobians(cls: type, book: Book) -> np.ndarray:
    return np.concatenate([
        at_every_thread_count(lambda t: ka.get_jacobian(smile, ttx, spot, strikes, smile.get_fitting_params(),
                                                        threads=t))
        for smile, ttx, spot, strikes in book.smile_objects(cls)])


def business_times(book: Book) -> list[float]:
    calendar = kelvane.Calendar(CALENDAR)
    return [calendar.get_bus_ttx(instant(a), instant(b)) for a, b in book.instants]


def calendar_times(book: Book) -> list[float]:
    return [kelvane.Calendar.get_cal_ttx(instant(a), instant(b)) for a, b in book.instants]


def tenors(book: Book) -> list[float]:
    return [kelvane.Calendar.tenor_to_ttx(tenor) for tenor in TENORS]


def instant_arrays(book: Book) -> tuple[np.ndarray, np.ndarray]:
    """The instants as datetime64[us], and a NaT at each end."""
    starts, ends = (np.array(list(column) + [None], dtype="datetime64[us]") for column in zip(*book.instants))
    starts[-1], ends[0] = np.datetime64("NaT", "us"), np.datetime64("NaT", "us")
    return starts, ends


def array_business_times(book: Book) -> np.ndarray:
    starts, ends = instant_arrays(book)
    return at_every_thread_count(lambda t: ka.get_bus_ttx(CALENDAR, starts, ends, threads=t))


def array_calendar_times(book: Book) -> np.ndarray:
    starts, ends = instant_arrays(book)
    return at_every_thread_count(lambda t: ka.get_cal_ttx(starts, ends, threads=t))


def smile_entries(cls: type) -> list[tuple]:
    name = cls.__name__
    return [(f"kelvane.{name}.{method}", lambda book, f=function: f(cls, book)) for method, function in (
        ("get_vol", smile_vols), ("get_vol_single", smile_single_vols), ("get_jacobian", smile_jacobians),
        ("arb_free", smile_arb_free), ("params", smile_round_trips), ("reanchor", smile_reanchored),
        ("bump_param", smile_bumped))] + [
        (f"kelvane_arrays.get_vol[{name}]", lambda book: array_smile_vols(cls, book)),
        (f"kelvane_arrays.get_jacobian[{name}]", lambda book: array_smile_jacobians(cls, book))]


ENTRIES = [
    ("inputs", inputs),
    *[(f"kelvane.{name}", scalar_option(name)) for name in OPTION_FUNCTIONS + UNTYPED_FUNCTIONS],
    ("kelvane.calibrate_black76_iv", scalar_solver),
    *[(f"kelvane_arrays.{name}", array_option(name)) for name in OPTION_FUNCTIONS + UNTYPED_FUNCTIONS],
    ("kelvane_arrays.b76_greeks", array_greeks),
    ("kelvane_arrays.calibrate_black76_iv", array_solver("calibrate_black76_iv")),
    ("kelvane_arrays.b76_implied_vol", array_solver("b76_implied_vol")),
    *[entry for cls in (kelvane.GVVSpline, kelvane.VolGeo, kelvane.CubicSpline) for entry in smile_entries(cls)],
    ("kelvane.Calendar.get_bus_ttx", business_times),
    ("kelvane.Calendar.get_cal_ttx", calendar_times),
    ("kelvane.Calendar.tenor_to_ttx", tenors),
    ("kelvane_arrays.get_bus_ttx", array_business_times),
    ("kelvane_arrays.get_cal_ttx", array_calendar_times),
]


# ---- hashing --------------------------------------------------------------------


def canonical(values) -> np.ndarray:
    """float64, little-endian, every NaN the one quiet NaN."""
    array = np.array(values, dtype="<f8").ravel()
    array.view("<u8")[np.isnan(array)] = 0x7FF8000000000000
    return array


def values_of(book: Book, missing: list[str] | None = None) -> dict[str, np.ndarray]:
    """Every group's canonical values; with `missing`, a group that this build
    cannot compute (a function or an argument it does not have) is named
    there instead of raising."""
    values = {}
    for group, compute in ENTRIES:
        try:
            values[group] = canonical(compute(book))
        except (AttributeError, TypeError):
            if missing is None:
                raise
            missing.append(group)
    return values


def hashes(values: dict[str, np.ndarray]) -> dict[str, tuple[str, int]]:
    """group -> (sha256 of its bytes, number of values), then `all` over those lines."""
    lines = {group: (hashlib.sha256(array.tobytes()).hexdigest(), array.size) for group, array in values.items()}
    text = "".join(f"{digest} {count} {group}\n" for group, (digest, count) in lines.items())
    lines["all"] = (hashlib.sha256(text.encode()).hexdigest(), sum(array.size for array in values.values()))
    return lines


def fingerprint() -> dict[str, tuple[str, int]]:
    return hashes(values_of(Book()))


def committed(path: Path = COMMITTED) -> dict[str, tuple[str, int]]:
    lines = {}
    for line in path.read_text().splitlines():
        if line and not line.startswith("#"):
            digest, count, group = line.split(" ", 2)
            lines[group] = (digest, int(count))
    return lines


def write(lines: dict[str, tuple[str, int]], path: Path = COMMITTED) -> None:
    path.write_text(HEADER + "".join(f"{digest} {count} {group}\n" for group, (digest, count) in lines.items()))


def differences(expected: dict[str, tuple[str, int]], computed: dict[str, tuple[str, int]]) -> list[str]:
    """One line per group that moved, appeared or went missing."""
    moved = []
    for group in dict.fromkeys([*expected, *computed]):
        if group not in computed:
            moved.append(f"{group}: not computed")
        elif group not in expected:
            moved.append(f"{group}: not in {COMMITTED.name}")
        elif computed[group] != expected[group]:
            moved.append(f"{group}: {computed[group][1]} values hash to {computed[group][0]}, "
                         f"{expected[group][1]} hashed to {expected[group][0]}")
    return moved


# ---- comparing with a dump -------------------------------------------------------


def ulps(old: np.ndarray, new: np.ndarray) -> np.ndarray:
    """|old - new| in ulps, counted along the doubles (0 for equal bits)."""
    def ordered(array):  # doubles as integers in their order, negatives mirrored below zero
        bits = array.view("<i8").astype(object)
        return np.array([b if b >= 0 else -(b & 0x7FFFFFFFFFFFFFFF) for b in bits], dtype=object)
    return np.abs(ordered(old) - ordered(new)) if old.size else np.zeros(0, dtype=object)


def compare(dump: Path, now: dict[str, np.ndarray]) -> None:
    before = np.load(dump)
    total = moved_total = 0
    for group, new in now.items():
        if group not in before.files:
            print(f"{group:48s} new")
            continue
        old = before[group]
        if old.size != new.size:
            print(f"{group:48s} {old.size} values then, {new.size} now")
            continue
        distance = ulps(old, new)
        moved = int(np.count_nonzero(distance))
        total, moved_total = total + new.size, moved_total + moved
        print(f"{group:48s} {new.size:7d} values, {moved:6d} moved, at most {max(distance, default=0)} ulps")
    for group in before.files:
        if group not in now:
            print(f"{group:48s} gone")
    print(f"{'all compared':48s} {total:7d} values, {moved_total:6d} moved")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    action = parser.add_mutually_exclusive_group()
    action.add_argument("--write", action="store_true", help=f"rewrite {COMMITTED.name}")
    action.add_argument("--dump", type=Path, help="save every group's values to this .npz")
    action.add_argument("--compare", type=Path, help="count the values that moved from this .npz")
    args = parser.parse_args()
    missing: list[str] = []
    values = values_of(Book(), missing if args.dump or args.compare else None)
    for group in missing:
        print(f"{group}: not in this build")
    if args.dump:
        np.savez(args.dump, **values)
        return 0
    if args.compare:
        compare(args.compare, values)
        return 0
    lines = hashes(values)
    if args.write:
        write(lines)
        print(f"wrote {COMMITTED}: {lines['all'][1]} values, {lines['all'][0]}")
        return 0
    moved = differences(committed(), lines)
    print("\n".join(moved) if moved else f"every group matches {COMMITTED.name}: {lines['all'][0]}")
    return 1 if moved else 0


if __name__ == "__main__":
    sys.exit(main())
