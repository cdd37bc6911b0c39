#!/usr/bin/env python3
"""Every public function of both modules over a seeded book of 50,000
values each, saved, or compared with a saved run: how many values moved and
by how many ulps at most. It shows what a change to the formulas' building
blocks (the elementary functions, say) does to the results.

    compare_book.py --save BEFORE.npz        # with one build installed
    compare_book.py --compare BEFORE.npz     # with the other
"""
import argparse
import datetime
import sys

import numpy as np

import kelvane
import kelvane_arrays as ka

N = 50_000
EXPIRY = datetime.datetime(2027, 6, 25, 8, tzinfo=datetime.timezone.utc)


def book(rng):
    fwd = 100.0 * np.exp(rng.normal(0.0, 0.5, N))
    strike = fwd * np.exp(rng.normal(0.0, 0.4, N))
    ttx = rng.uniform(1 / 365, 3.0, N)
    vol = rng.uniform(0.05, 1.5, N)
    df = rng.uniform(0.9, 1.0, N)
    call_put = rng.choice(np.array(["call", "put"]), N)
    return fwd, strike, ttx, vol, df, call_put


SMILES = {
    kelvane.GVVSpline: lambda r: dict(vpr=r.uniform(0, 2), ref_spot=100.0, ref_vol=r.uniform(20, 80),
                                      skew=r.uniform(-10, 10), smile=r.uniform(0, 20), pwing=r.uniform(0, 5),
                                      cwing=r.uniform(0, 5)),
    kelvane.VolGeo: lambda r: dict(vpr=r.uniform(0, 2), ref_spot=100.0, ref_vol=r.uniform(20, 80),
                                   vvol=r.uniform(1, 60), corr=r.uniform(-2, 2)),
    kelvane.CubicSpline: lambda r: dict(vpr=r.uniform(0, 2), ref_spot=100.0, ref_vol=r.uniform(20, 80),
                                        p25=r.uniform(-5, 5), c25=r.uniform(-5, 5), p10=r.uniform(-5, 10),
                                        c10=r.uniform(-5, 10)),
}


def results():
    rng = np.random.default_rng(20261209)
    fwd, strike, ttx, vol, df, call_put = book(rng)
    out = {}
    for name in ("b76_fairvalue", "b76_delta", "binary_fairvalue", "binary_vega", "binary_delta",
                 "binary_gamma", "binary_speed", "binary_theta"):
        out[name] = getattr(ka, name)(fwd, strike, ttx, vol, call_put, df)
    for name in ("b76_vega", "b76_gamma"):
        out[name] = getattr(ka, name)(fwd, strike, ttx, vol, df)
    price = out["b76_fairvalue"]
    out["calibrate_black76_iv"] = ka.calibrate_black76_iv(ttx, fwd, strike, price, call_put, df)
    # The scalar module on a share of the book: the same core functions.
    k = 2_000
    out["kelvane scalar b76_fairvalue"] = np.array(
        [kelvane.b76_fairvalue(*a) for a in zip(fwd[:k], strike[:k], ttx[:k], vol[:k], call_put[:k], df[:k])])
    out["kelvane scalar calibrate_black76_iv"] = np.array(
        [kelvane.calibrate_black76_iv(*a) for a in zip(ttx[:k], fwd[:k], strike[:k], price[:k], call_put[:k], df[:k])])
    for cls, params in SMILES.items():
        vols, singles, jac = [], [], []
        for i in range(50):
            smile = cls(EXPIRY, **params(rng))
            strikes = 100.0 * np.exp(rng.normal(0.0, 0.5, N // 50))
            t = float(rng.uniform(0.02, 2.0))
            spot = float(rng.uniform(80, 120))
            vols.append(ka.get_vol(smile, t, spot, strikes))
            singles.append([smile.get_vol_single(t, spot, s) for s in strikes[:20]])
            names = smile.get_fitting_params()
            jac.append(np.asarray(ka.get_jacobian(smile, t, spot, strikes[:100], names)).ravel())
        out[f"{cls.__name__}.get_vol"] = np.concatenate(vols)
        out[f"{cls.__name__}.get_vol_single"] = np.array(singles).ravel()
        out[f"{cls.__name__}.get_jacobian"] = np.concatenate(jac)
    return out


def ulps(a, b):
    """|a - b| in ulps, counted along the doubles; 0 for equal bits or two NaNs."""
    ia = a.view(np.int64).astype(object)
    ib = b.view(np.int64).astype(object)
    # Doubles ordered as integers: negative ones mirrored below zero.
    key = lambda i: i if i >= 0 else -(i & 0x7FFFFFFFFFFFFFFF)
    d = np.array([0 if (x == y or (np.isnan(u) and np.isnan(v))) else abs(key(x) - key(y))
                  for x, y, u, v in zip(ia, ib, a, b)], dtype=object)
    return d


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    group = parser.add_mutually_exclusive_group(required=True)
    group.add_argument("--save")
    group.add_argument("--compare")
    args = parser.parse_args()
    now = results()
    if args.save:
        np.savez(args.save, **now)
        print(f"saved {sum(v.size for v in now.values())} values of {len(now)} functions to {args.save}")
        return
    before = np.load(args.compare)
    total = moved_total = 0
    worst_total = 0
    # Many ulps on a value that a cancellation made small are a tiny change
    # next to the function's own scale: both are shown.
    for name, values in now.items():
        old = np.asarray(before[name], dtype=np.float64)
        new = np.asarray(values, dtype=np.float64)
        d = ulps(old, new)
        moved = int(sum(1 for v in d if v))
        worst = max(d) if d.size else 0
        finite = np.isfinite(old) & np.isfinite(new)
        scale = np.max(np.abs(old[finite])) if finite.any() else 0.0
        change = np.max(np.abs(new[finite] - old[finite])) / scale if scale else 0.0
        total += d.size
        moved_total += moved
        worst_total = max(worst_total, worst)
        print(f"{name:36s} {d.size:7d} values, {moved:6d} moved, at most {worst:>8} ulps, "
              f"{change:.1e} of the largest value")
    print(f"{'all':36s} {total:7d} values, {moved_total:6d} moved, at most {worst_total:>8} ulps")


if __name__ == "__main__":
    sys.exit(main())
