#!/usr/bin/env python3
"""The library's exp, log, tanh, erfc and erfcx against MPFR (gmpy2).

Seeded arguments cover each function's whole range: every binade (random
bit patterns, subnormals included), its working range, the edges where
the result overflows, turns subnormal or underflows, the seams between
its approximations, and NaN, +-0 and +-inf. Each result is compared with
MPFR's value at 160 bits: the error in units in the last place of the
exact value must stay within the bound the header states, and the
two-lane vector evaluation must give the same bits as the scalar one.
Between 2 and 26.6 erfc's reference is mpmath's, at the same precision, and
so is erfcx's above 2.

    accuracy.py PROBE_LIBRARY [--count N] [--seed S] [--only NAME]

PROBE_LIBRARY is libkelvane_elementary_probe.so of the C++ test build.
"""
import argparse
import ctypes
import math
import sys
import time

import gmpy2
import mpmath
import numpy as np

# The error each function may reach, in ulps of the exact value (the
# header's figures, rounded up).
BOUNDS = {"exp": 0.52, "log": 0.65, "tanh": 0.59, "erfc": 0.58, "erfcx": 0.61}

MAX = sys.float_info.max
INF = math.inf
SPECIALS = [0.0, -0.0, INF, -INF, math.nan, 5e-324, -5e-324, 2.2250738585072014e-308, MAX, -MAX,
            1.0, -1.0, 0.5, -0.5, 2.0]

mpmath.mp.prec = 160


def erfc_reference(x):
    """MPFR's erfc, or between 2 and 26.6 mpmath's (at 160 bits too), where
    MPFR's takes milliseconds an argument."""
    if 2.0 < x < 26.6:
        return gmpy2.mpfr(mpmath.nstr(mpmath.erfc(mpmath.mpf(float(x))), 60, min_fixed=1, max_fixed=0))
    return gmpy2.erfc(x)


def erfcx_reference(x):
    """e^(x^2) erfc(x): MPFR's below 2; mpmath's between 2 and 32, as for
    erfc; beyond, the asymptotic series sum_k (-1)^k (2k-1)!! / (2x^2)^k
    over x sqrt(pi) in MPFR, whose 40th term is below 2^-300 there."""
    if math.isinf(x):
        return gmpy2.mpfr(0.0 if x > 0 else INF)
    if x > 32.0:
        u = 1 / (2 * x * x)
        total, term = gmpy2.mpfr(1), gmpy2.mpfr(1)
        for k in range(1, 40):
            term = -term * (2 * k - 1) * u
            total += term
        return total / (x * gmpy2.sqrt(gmpy2.const_pi()))
    if x > 2.0:
        v = mpmath.mpf(float(x))
        return gmpy2.mpfr(mpmath.nstr(mpmath.erfc(v) * mpmath.exp(v * v), 60, min_fixed=1, max_fixed=0))
    return gmpy2.erfc(x) * gmpy2.exp(x * x)


REFERENCE = {
    "exp": gmpy2.exp,
    "log": gmpy2.log,
    "tanh": gmpy2.tanh,
    "erfc": erfc_reference,
    "erfcx": erfcx_reference,
}


def random_bits(rng, n, positive=False):
    """Doubles with uniformly random bit patterns: every binade equally."""
    x = rng.integers(0, 2**64, size=n, dtype=np.uint64, endpoint=False).view(np.float64)
    x = np.where(np.isfinite(x), x, 1.0)
    return np.abs(x) if positive else x


def near(rng, n, points, ulps=64):
    """Arguments within a few ulps of each point."""
    p = rng.choice(np.asarray(points, dtype=np.float64), size=n)
    steps = rng.integers(-ulps, ulps + 1, size=n)
    return np.nextafter(p, np.where(steps < 0, -INF, INF)) if ulps == 1 else \
        p + steps * np.spacing(np.abs(p))


def uniform(rng, n, lo, hi):
    return rng.uniform(lo, hi, size=n)


def arguments(name, n, rng):
    """(share, generator) mixtures, each over the function's regimes."""
    pieces = [0.5 * 2**e * (1 + j / 4) for e in range(0, 6) for j in range(4)]
    mixes = {
        "exp": [
            (0.35, lambda k: uniform(rng, k, -745.2, 709.8)),
            (0.15, lambda k: random_bits(rng, k)),
            (0.15, lambda k: uniform(rng, k, -2.0, 2.0)),
            (0.1, lambda k: uniform(rng, k, 709.0, 709.8)),
            (0.15, lambda k: uniform(rng, k, -745.2, -708.0)),
            (0.1, lambda k: near(rng, k, [709.782712893384, -708.3964185322641, -745.1332191019411,
                                           -744.4400719213812, 0.34657359027997264, -0.34657359027997264])),
        ],
        "log": [
            (0.4, lambda k: random_bits(rng, k, positive=True)),
            (0.2, lambda k: uniform(rng, k, 0.5, 2.0)),
            (0.1, lambda k: 1.0 + uniform(rng, k, -1.0, 1.0) * 2.0 ** rng.integers(-53, 0, size=k)),
            (0.1, lambda k: uniform(rng, k, 0.0, 2.2250738585072014e-308)),
            (0.1, lambda k: near(rng, k, [2**0.5 * 2.0**e for e in range(-1074, 1024, 7)], ulps=8)),
            (0.1, lambda k: uniform(rng, k, 1.0, 1e6)),
        ],
        "tanh": [
            (0.25, lambda k: random_bits(rng, k)),
            (0.3, lambda k: uniform(rng, k, -20.0, 20.0)),
            (0.25, lambda k: uniform(rng, k, -0.6, 0.6)),
            (0.1, lambda k: near(rng, k, [0.3, -0.3, 19.0, 19.06, 20.0, -20.0])),
            (0.1, lambda k: uniform(rng, k, -3.0, 3.0)),
        ],
        "erfc": [
            (0.3, lambda k: uniform(rng, k, -6.0, 27.5)),
            (0.1, lambda k: random_bits(rng, k)),
            (0.2, lambda k: uniform(rng, k, -1.0, 1.0)),
            (0.1, lambda k: uniform(rng, k, 26.0, 27.3)),
            (0.1, lambda k: near(rng, k, pieces + [-p for p in pieces[:12]])),
            (0.1, lambda k: uniform(rng, k, 1.0, 6.0)),
            (0.1, lambda k: uniform(rng, k, -1e-3, 1e-3) * 2.0 ** -rng.integers(0, 1000, size=k)),
        ],
        "erfcx": [
            (0.3, lambda k: uniform(rng, k, -0.25, 32.5)),
            (0.1, lambda k: random_bits(rng, k)),
            (0.15, lambda k: uniform(rng, k, -1.0, 1.0)),
            (0.1, lambda k: uniform(rng, k, -26.7, -0.25)),
            (0.1, lambda k: near(rng, k, pieces + [32.0, -0.25, -26.6287] + [-p for p in pieces[:12]])),
            (0.15, lambda k: 10.0 ** uniform(rng, k, 1.5, 300.0)),
            (0.1, lambda k: uniform(rng, k, -1e-3, 1e-3) * 2.0 ** -rng.integers(0, 1000, size=k)),
        ],
    }
    parts = [np.asarray(SPECIALS, dtype=np.float64)]
    for share, make in mixes[name]:
        parts.append(np.asarray(make(max(1, int(share * n))), dtype=np.float64))
    return np.concatenate(parts)


class Probe:
    def __init__(self, path):
        self.lib = ctypes.CDLL(path)

    def __call__(self, name, x, lanes):
        y = np.empty_like(x)
        fn = getattr(self.lib, f"kelvane_probe_{name}")
        fn.restype = None
        fn(x.ctypes.data_as(ctypes.c_void_p), y.ctypes.data_as(ctypes.c_void_p),
           ctypes.c_size_t(x.size), ctypes.c_int(lanes))
        return y


def exact(name, x):
    """MPFR's value rounded to a double (hi, inf where it overflows), and
    the exact value's distance from hi in ulps of the exact value."""
    f = REFERENCE[name]
    hi = np.empty_like(x)
    rest = np.zeros_like(x)
    ulp = np.ones_like(x)
    for i, v in enumerate(x.tolist()):
        r = f(gmpy2.mpfr(v))
        h = float(r)
        hi[i] = h
        if math.isfinite(h):
            u = math.ulp(h)
            # Just below a power of two the exact value's ulp is half hi's.
            if abs(h) > 2.2250738585072014e-308 and math.frexp(h)[0] in (0.5, -0.5) and abs(r) < abs(h):
                u /= 2
            ulp[i] = u
            rest[i] = float((r - h) / u)
    return hi, rest, ulp


def ulp_errors(y, hi, rest, ulp):
    """|y - exact| in ulps of the exact value; 0 where both are the same
    NaN or infinity, inf where they disagree on those."""
    with np.errstate(invalid="ignore", over="ignore"):
        err = np.abs((y - hi) / ulp - rest)
    same_special = (np.isnan(y) & np.isnan(hi)) | ((y == hi) & ~np.isfinite(hi))
    err = np.where(same_special, 0.0, err)
    err = np.where(np.isnan(err) | (np.isnan(y) != np.isnan(hi)), INF, err)
    return err


def check(probe, name, count, seed):
    rng = np.random.default_rng([seed, sum(map(ord, name))])
    x = arguments(name, count, rng)
    start = time.perf_counter()
    y = probe(name, x, 0)
    y_lanes = probe(name, x, 1)
    hi, rest, ulp = exact(name, x)
    err = ulp_errors(y, hi, rest, ulp)
    correctly_rounded = np.mean((y.view(np.int64) == hi.view(np.int64)) | (np.isnan(y) & np.isnan(hi)))
    worst = int(np.argmax(err))
    failures = []
    lane_mismatch = np.flatnonzero(y.view(np.int64) != y_lanes.view(np.int64))
    for i in lane_mismatch[:10]:
        failures.append(f"  {name}({x[i]!r}): scalar {y[i]!r} but two lanes {y_lanes[i]!r}")
    for i in np.argsort(-err)[:10]:
        if err[i] > BOUNDS[name]:
            failures.append(f"  {name}({x[i]!r}) = {y[i]!r}, exact {hi[i]!r} {rest[i]:+.3f} ulp: "
                            f"{err[i]:.3f} ulp, above {BOUNDS[name]}")
    print(f"{name}: {x.size} arguments, max error {err[worst]:.4f} ulp at {x[worst]!r}, "
          f"{100 * correctly_rounded:.3f}% correctly rounded, lanes identical: "
          f"{lane_mismatch.size == 0} ({time.perf_counter() - start:.0f}s)")
    for line in failures:
        print(line)
    return not failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("probe")
    parser.add_argument("--count", type=int, default=10**7)
    parser.add_argument("--seed", type=int, default=20261209)
    parser.add_argument("--only", choices=sorted(REFERENCE))
    args = parser.parse_args()
    gmpy2.get_context().precision = 160
    probe = Probe(args.probe)
    names = [args.only] if args.only else list(REFERENCE)
    ok = all([check(probe, name, args.count, args.seed) for name in names])
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
