"""Fits the three smile models to one expiry's option chain.

A desk's morning in one script: a chain of bid and ask prices (about 40
strikes, puts below the forward and calls above it) becomes implied vols
(`kelvane_arrays.b76_implied_vol`, one call per column of prices), and
each smile model is fitted to the mid vols by least squares over its fitting
parameters, every residual weighted by its quote's bid/ask width in vol, with
the Jacobian that the model itself provides (`kelvane_arrays.get_jacobian`, an
array of one row per strike and one column per parameter, as least_squares
takes it).

The chain is made here, from a known smile with seeded noise, so the example
needs no data files. Run with `make examples`; prints the fitted parameters
and writes docs/fit.png.

Units: smile parameters such as `ref_vol` are in vol points, `get_vol` returns
fractions, and `get_jacobian` gives d(vol fraction)/d(parameter). The fit works
in vol points throughout, so the Jacobian is scaled by 100.
"""
from __future__ import annotations

import argparse
import datetime
import math
import platform
import time
from collections.abc import Callable, Sequence
from dataclasses import dataclass
from pathlib import Path

import numpy as np
from scipy.optimize import least_squares

import kelvane
import kelvane_arrays

NOW = datetime.datetime(2026, 12, 8, 14, 30, tzinfo=datetime.timezone.utc)
EXPIRY = datetime.datetime(2027, 1, 8, 8, 0, tzinfo=datetime.timezone.utc)  # a Friday expiry
FORWARD = 65_000.0
DISCOUNT = 0.996
STRIKES = np.linspace(40_000.0, 98_500.0, 40)
TICK = 5.0  # price increment of the quotes
SEED = 20261208
MODELS = (kelvane.GVVSpline, kelvane.VolGeo, kelvane.CubicSpline)

# Lower bounds that keep each model inside its own arbitrage guard (`arb_free`):
# the fit may not wander where `bump_param` would refuse to follow. The guard's
# floor on `ref_vol` is strict, hence the next double above it.
LOWER_BOUNDS = {
    "GVVSpline": {"ref_vol": math.nextafter(10.0, math.inf), "smile": 1.0},
    "VolGeo": {"ref_vol": math.nextafter(1.0, math.inf), "vvol": 1.0},
    "CubicSpline": {"ref_vol": math.nextafter(1.0, math.inf), "p25": 0.0, "c25": 0.0},
}


@dataclass(frozen=True)
class Market:
    """What the fit needs to know about the expiry besides the quotes."""

    expiry: datetime.datetime
    ttx: float  # business years to expiry
    forward: float
    df: float


@dataclass(frozen=True)
class Chain:
    """One expiry's quotes: the out-of-the-money option at each strike."""

    strikes: np.ndarray
    call_put: tuple[str, ...]
    bid: np.ndarray
    ask: np.ndarray


@dataclass(frozen=True)
class ImpliedVols:
    """Implied vols of a chain as fractions; bid and ask bound the mid."""

    strikes: np.ndarray
    mid: np.ndarray
    bid: np.ndarray
    ask: np.ndarray

    @property
    def width_points(self) -> np.ndarray:
        return (self.ask - self.bid) * 100.0


@dataclass(frozen=True)
class Fit:
    model: object  # a kelvane smile, fitted
    names: tuple[str, ...]
    params: dict[str, float]
    rms_points: float  # unweighted root-mean-square error of the mid vols
    cost: float  # least_squares' half sum of squared weighted residuals
    iterations: int  # Jacobian evaluations
    evaluations: int  # residual evaluations
    seconds: float


def market_smile(ttx: float, forward: float) -> Callable[[np.ndarray], np.ndarray]:
    """The smile behind the made-up quotes, none of the three models: total
    variance a + b(rho(k - m) + sqrt((k - m)^2 + s^2)) in log-moneyness k."""
    a, b, rho, m, s = 0.016, 0.09, -0.25, 0.02, 0.12

    def vols(strikes: np.ndarray) -> np.ndarray:
        k = np.log(np.asarray(strikes) / forward)
        total = a + b * (rho * (k - m) + np.sqrt((k - m) ** 2 + s * s))
        return np.sqrt(total / ttx)

    return vols


def out_of_the_money(strike: float, forward: float) -> str:
    return "put" if strike < forward else "call"


def quote_chain(vols: Callable[[np.ndarray], np.ndarray], market: Market, strikes: Sequence[float],
                rng: np.random.Generator | None = None, tick: float = 0.0) -> Chain:
    """Bid and ask prices around the value at the smile's vols.

    The half-spread is worth 0.4 vol points at the money, widening into the
    wings, and never more than half the value so that a bid stays positive.
    With `rng`, each fair vol is moved by noise of 0.3 vol points (clipped to
    the half-spread) before quoting; with `tick`, the bid is rounded down and
    the ask up to it. Without either, the mid of each quote is its value at
    the smile's vol.
    """
    strikes = np.asarray(strikes, dtype=float)
    fair = vols(strikes)
    std_moves = np.log(strikes / market.forward) / (fair * math.sqrt(market.ttx))
    half_points = 0.4 * (1.0 + 0.25 * std_moves**2)
    if rng is not None:
        fair = fair + np.clip(rng.normal(0.0, 0.3, len(strikes)), -half_points, half_points) / 100.0
    call_put, bid, ask = [], [], []
    for strike, vol, half in zip(strikes, fair, half_points):
        cp = out_of_the_money(strike, market.forward)
        value = kelvane.b76_fairvalue(market.forward, strike, market.ttx, vol, cp, market.df)
        vega = kelvane.b76_vega(market.forward, strike, market.ttx, vol, market.df)
        spread = min(vega * half / 100.0, 0.5 * value)
        lo, hi = value - spread, value + spread
        if tick:
            lo, hi = max(math.floor(lo / tick), 1) * tick, math.ceil(hi / tick) * tick
        call_put.append(cp)
        bid.append(lo)
        ask.append(hi)
    return Chain(strikes, tuple(call_put), np.array(bid), np.array(ask))


def implied_vols(chain: Chain, market: Market) -> ImpliedVols:
    """The chain's vols, all strikes of one price column in one
    `kelvane_arrays.b76_implied_vol` call."""
    call_put = np.array(chain.call_put)

    def solve(prices: np.ndarray) -> np.ndarray:
        return kelvane_arrays.b76_implied_vol(market.ttx, market.forward, chain.strikes, prices, call_put, market.df)

    return ImpliedVols(chain.strikes, solve((chain.bid + chain.ask) / 2), solve(chain.bid), solve(chain.ask))


class SmileProblem:
    """The weighted least-squares problem of one model against one chain.

    Residuals are (model - mid) / (ask - bid), both in vol points, over the
    model's fitting parameters; the other parameters stay at their defaults,
    with the anchor `ref_spot` at the forward.
    """

    def __init__(self, model_class: type, quotes: ImpliedVols, market: Market):
        self.model_class = model_class
        self.market = market
        self.base = model_class.with_params(market.expiry, {
            "ref_spot": market.forward, "ref_vol": 100.0 * atm_vol(quotes, market.forward)}).get_param_dict()
        self.names = tuple(model_class.with_params(market.expiry, {}).get_fitting_params())
        floors = LOWER_BOUNDS[model_class.__name__]
        self.lower = np.array([floors.get(n, -np.inf) for n in self.names])
        self.x0 = np.maximum([self.base[n] for n in self.names], self.lower)
        self.strikes = quotes.strikes.tolist()
        self.strike_array = quotes.strikes
        self.mid_points = quotes.mid * 100.0
        self.width = quotes.width_points

    def smile(self, x: np.ndarray):
        return self.model_class.with_params(self.market.expiry, self.base | dict(zip(self.names, x.tolist())))

    def errors_points(self, x: np.ndarray) -> np.ndarray:
        vols = self.smile(x).get_vol(self.market.ttx, self.market.forward, self.strikes)
        return np.array(vols) * 100.0 - self.mid_points

    def residuals(self, x: np.ndarray) -> np.ndarray:
        return self.errors_points(x) / self.width

    def jacobian(self, x: np.ndarray) -> np.ndarray:
        """The model's own d(vol fraction)/d(parameter), one row per strike and
        one column per fitting parameter, so x 100 for vol points."""
        sensitivities = kelvane_arrays.get_jacobian(self.smile(x), self.market.ttx, self.market.forward,
                                                    self.strike_array, self.names)
        return sensitivities * 100.0 / self.width[:, None]


def fit(model_class: type, quotes: ImpliedVols, market: Market, jacobian: str = "model", repeat: int = 1) -> Fit:
    """Fits a model to the mid vols by `SmileProblem`. `jacobian` is "model"
    for the model's own `get_jacobian`, or one of least_squares'
    finite-difference schemes ("2-point", "3-point"). The fit is run `repeat`
    times and timed by the fastest run: on a shared machine the others
    measure the neighbours."""
    problem = SmileProblem(model_class, quotes, market)
    seconds = math.inf
    for _ in range(repeat):
        began = time.perf_counter()
        result = least_squares(problem.residuals, problem.x0,
                               jac=problem.jacobian if jacobian == "model" else jacobian,
                               bounds=(problem.lower, np.inf), x_scale="jac", xtol=1e-12, ftol=1e-12, gtol=1e-12,
                               max_nfev=2000)
        seconds = min(seconds, time.perf_counter() - began)
    rms = float(np.sqrt(np.mean(problem.errors_points(result.x) ** 2)))
    return Fit(problem.smile(result.x), problem.names, dict(zip(problem.names, result.x.tolist())), rms,
               float(result.cost), int(result.njev or 0), int(result.nfev), seconds)


def atm_vol(quotes: ImpliedVols, forward: float) -> float:
    """The mid vol interpolated at the forward: the fit's first guess for `ref_vol`."""
    return float(np.interp(math.log(forward), np.log(quotes.strikes), quotes.mid))


def todays_market() -> Market:
    calendar = kelvane.Calendar("BTCUSDT")
    return Market(EXPIRY, calendar.get_bus_ttx(NOW, EXPIRY), FORWARD, DISCOUNT)


def print_fits(fits: list[Fit], quotes: ImpliedVols, market: Market) -> None:
    print(f"{'model':<12} {'rms (vol pts)':>13} {'inside bid/ask':>14} {'iterations':>10} {'evals':>6}"
          f" {'ms':>7}  {'arb_free':<8} parameters")
    for f in fits:
        vols = np.array(f.model.get_vol(market.ttx, market.forward, quotes.strikes.tolist()))
        inside = int(np.sum((vols >= quotes.bid) & (vols <= quotes.ask)))
        params = ", ".join(f"{n} {v:.3f}" for n, v in f.params.items())
        print(f"{type(f.model).__name__:<12} {f.rms_points:>13.3f} {inside:>8}/{len(vols):<5} {f.iterations:>10}"
              f" {f.evaluations:>6} {f.seconds * 1e3:>7.1f}  {str(f.model.arb_free()):<8} {params}")


def draw(quotes: ImpliedVols, fits: list[Fit], market: Market, path: Path) -> None:
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, (smiles, errors) = plt.subplots(2, 1, figsize=(10, 7.5), sharex=True, height_ratios=[3, 2])
    mid = quotes.mid * 100.0
    bars = np.vstack([mid - quotes.bid * 100.0, quotes.ask * 100.0 - mid])
    smiles.errorbar(quotes.strikes, mid, yerr=bars, fmt="o", ms=3, color="black", ecolor="grey",
                    capsize=2, label="quotes: mid, bid to ask")
    fine = np.linspace(quotes.strikes[0], quotes.strikes[-1], 400)
    for f in fits:
        name = type(f.model).__name__
        smiles.plot(fine, np.array(f.model.get_vol(market.ttx, market.forward, fine.tolist())) * 100.0,
                    label=f"{name} (rms {f.rms_points:.2f} vol pts)")
        fitted = np.array(f.model.get_vol(market.ttx, market.forward, quotes.strikes.tolist())) * 100.0
        errors.plot(quotes.strikes, fitted - mid, marker=".", label=name)
    for ax in (smiles, errors):
        ax.axvline(market.forward, color="grey", lw=0.6, ls=":")
        ax.grid(alpha=0.3)
    smiles.set_ylabel("implied vol (%)")
    smiles.set_title(f"BTCUSDT options expiring {market.expiry:%d %b %Y %H:%M} UTC"
                     f" ({market.ttx:.4f} business years), forward {market.forward:,.0f}")
    smiles.legend(fontsize=9)
    errors.fill_between(quotes.strikes, quotes.bid * 100.0 - mid, quotes.ask * 100.0 - mid, color="grey",
                        alpha=0.2, label="bid to ask")
    errors.set_ylabel("fit - mid (vol pts)")
    errors.set_xlabel("strike")
    errors.legend(fontsize=9, ncol=4)
    fig.tight_layout()
    fig.savefig(path, dpi=90)
    plt.close(fig)


def main(argv: Sequence[str] | None = None) -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--picture", type=Path, default=Path(__file__).parent.parent / "docs" / "fit.png")
    parser.add_argument("--no-picture", action="store_true")
    parser.add_argument("--repeat", type=int, default=5, help="fits per model; the fastest is timed")
    args = parser.parse_args(argv)

    market = todays_market()
    chain = quote_chain(market_smile(market.ttx, market.forward), market, STRIKES, np.random.default_rng(SEED), TICK)
    quotes = implied_vols(chain, market)
    print(f"{len(chain.strikes)} quotes expiring {market.expiry:%a %d %b %Y %H:%M} UTC:"
          f" {market.ttx:.6f} business years, forward {market.forward:,.0f}, discount factor {market.df}")
    print(f"mid vols {quotes.mid.min():.2%} to {quotes.mid.max():.2%},"
          f" bid/ask width {quotes.width_points.min():.2f} to {quotes.width_points.max():.2f} vol pts\n")
    fits = [fit(model, quotes, market, repeat=args.repeat) for model in MODELS]
    print_fits(fits, quotes, market)
    print(f"\nfit time per expiry, all three models: {sum(f.seconds for f in fits) * 1e3:.1f} ms"
          f" (fastest of {args.repeat} runs each, CPython {platform.python_version()})")
    if not args.no_picture:
        draw(quotes, fits, market, args.picture)
        print(f"wrote {args.picture}")


if __name__ == "__main__":
    main()
