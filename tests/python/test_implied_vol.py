"""kelvane_arrays.b76_implied_vol against a 60-digit oracle: each result within 32 eps (1 + kappa) of the exact
vol of its double price, over seeded books of every regime; its bounds, its NaNs, and its bits on any threads."""
import math

import mpmath as mp
import numpy as np
import pytest

import kelvane
import kelvane_arrays as ka

EPS = 2.0**-52
DIGITS = 60


def value(put, fwd, strike, ttx, vol, df):
    """The Black-76 value at the working precision."""
    fwd, strike, ttx, vol, df = (mp.mpf(a) for a in (fwd, strike, ttx, vol, df))
    s = vol * mp.sqrt(ttx)
    d1 = (mp.log(fwd / strike) + s * s / 2) / s
    d2 = d1 - s
    if put:
        return df * (strike * mp.ncdf(-d2) - fwd * mp.ncdf(-d1))
    return df * (fwd * mp.ncdf(d1) - strike * mp.ncdf(d2))


def vega(fwd, strike, ttx, vol, df):
    fwd, strike, ttx, vol, df = (mp.mpf(a) for a in (fwd, strike, ttx, vol, df))
    s = vol * mp.sqrt(ttx)
    return df * fwd * mp.npdf((mp.log(fwd / strike) + s * s / 2) / s) * mp.sqrt(ttx)


def exact_vol(put, fwd, strike, ttx, price, df, start):
    """The vol whose DIGITS-digit value is the double `price`, by Newton's method from `start`."""
    vol = mp.mpf(start)
    for _ in range(100):
        step = (value(put, fwd, strike, ttx, vol, df) - price) / vega(fwd, strike, ttx, vol, df)
        vol = vol - step if step < vol else vol / 2
        if abs(step) < mp.mpf(10) ** (-DIGITS + 5) * vol:
            return vol
    raise AssertionError(f"the oracle did not converge: {(put, fwd, strike, ttx, price, df)}")


@pytest.mark.parametrize("put, fwd, strike, ttx, vol, df", [
    (False, 100, 100, 1, 0.2, 1), (True, 100, 90, 0.5, 0.3, 0.98), (False, 100, 150, 0.5, 0.2, 0.9),
    (True, 40, 100, 3, 1.5, 1)])
def test_the_oracle_values_are_the_discounted_lognormal_expectation(put, fwd, strike, ttx, vol, df):
    with mp.workdps(30):
        s = mp.mpf(vol) * mp.sqrt(ttx)
        sign = -1 if put else 1

        def payoff(z):
            return max(sign * (fwd * mp.exp(s * z - s * s / 2) - strike), 0) * mp.npdf(z)

        kink = (mp.log(mp.mpf(strike) / fwd) + s * s / 2) / s
        expected = df * (mp.quad(payoff, [-mp.inf, kink]) + mp.quad(payoff, [kink, mp.inf]))
        assert abs(value(put, fwd, strike, ttx, mp.mpf(vol), df) / expected - 1) < mp.mpf(10) ** -25
        slope = mp.diff(lambda v: value(put, fwd, strike, ttx, v, df), mp.mpf(vol))
        assert abs(vega(fwd, strike, ttx, mp.mpf(vol), df) / slope - 1) < mp.mpf(10) ** -25


def book(regime, n=60):
    """A seeded book of (put, fwd, strike, ttx, vol, df) in one regime."""
    r = np.random.default_rng(sum(map(ord, regime)))
    fwd, ttx, df = r.uniform(20, 500, n), np.exp(r.uniform(-4, 2, n)), r.uniform(0.5, 1.0, n)
    if regime == "far tails":  # out of the money, prices down to 1e-250 of the forward
        log_moneyness = r.choice([-1, 1], n) * r.uniform(0.05, 6, n)
        total = np.abs(log_moneyness) / np.sqrt(2 * math.log(10) * r.uniform(3, 245, n))
        put = log_moneyness > 0
    elif regime == "extreme moneyness":  # F/K up to 1e600 either way: ln(F/K) ~ s^2, far beyond a cubic step
        log_moneyness = r.choice([-1, 1], n) * r.uniform(20, 1400, n)
        scale = r.uniform(0.5, 2, n)
        total = np.sqrt(2 * np.abs(log_moneyness)) * r.uniform(0.75, 1.3, n)
        fwd, strike = scale * np.exp(log_moneyness / 2), scale * np.exp(-log_moneyness / 2)
        return r.random(n) < 0.5, fwd, strike, ttx, total / np.sqrt(ttx), df
    else:
        log_moneyness, total = {
            "at the money": (r.uniform(-0.02, 0.02, n), r.uniform(0.02, 1.5, n)),
            "wings": (r.choice([-1, 1], n) * r.uniform(0.3, 4, n), r.uniform(0.1, 2.5, n)),
            "tiny total vol": (r.uniform(-0.4, 0.4, n), np.exp(r.uniform(math.log(1e-3), math.log(0.05), n))),
            "huge total vol": (r.uniform(-3, 3, n), r.uniform(2, 6, n)),
            # A desk's book: most solves end on the Taylor step from their first evaluation of b.
            "desk book": (r.normal(0, 0.25, n), r.uniform(0.1, 1.2, n) * np.sqrt(r.uniform(0.02, 2, n))),
        }[regime]
        put = r.random(n) < 0.5
    return put, fwd, fwd * np.exp(-log_moneyness), ttx, total / np.sqrt(ttx), df


REGIMES = ["at the money", "wings", "tiny total vol", "huge total vol", "desk book", "far tails", "extreme moneyness"]


@pytest.mark.parametrize("regime", REGIMES)
def test_each_vol_is_within_its_bound_of_the_exact_vol_of_its_price(regime):
    put, fwd, strike, ttx, vol, df = book(regime)
    worst = (0.0, None)
    with mp.workdps(DIGITS + 20):
        prices = np.array([float(value(bool(row[0]), *(mp.mpf(float(a)) for a in row[1:])))
                           for row in zip(put, fwd, strike, ttx, vol, df)])
        computed = ka.b76_implied_vol(ttx, fwd, strike, prices, np.where(put, "p", "c"), df)
        for i in range(len(prices)):
            args = (bool(put[i]), *(mp.mpf(float(a[i])) for a in (fwd, strike, ttx)))
            lower = max(df[i] * ((strike[i] - fwd[i]) if put[i] else (fwd[i] - strike[i])), 0.0)
            if not lower < prices[i] < df[i] * (strike[i] if put[i] else fwd[i]) or prices[i] < 1e-250 * fwd[i]:
                continue  # a price the double cannot hold strictly inside its bounds
            if prices[i] < 1e-300:
                continue  # a subnormal price, or one whose normalised value is: it holds fewer bits than a double
            start = computed[i] if 0 < computed[i] < math.inf else vol[i]  # the root is unique: any start finds it
            exact = exact_vol(*args, prices[i], mp.mpf(df[i]), start)
            kappa = prices[i] / (exact * vega(*args[1:], exact, mp.mpf(df[i])))
            error = float(abs(computed[i] - exact) / exact / (32 * EPS * (1 + kappa)))
            case = (bool(put[i]), fwd[i], strike[i], ttx[i], prices[i], df[i], computed[i], float(exact))
            worst = max(worst, (error, case), key=lambda w: w[0])
    assert worst[0] <= 1.0, f"{regime}: error {worst[0]:.3g} of the bound at (put, F, K, T, price, D, vol, exact) {worst[1]}"


@pytest.mark.parametrize("put, fwd, strike, ttx, price, df", [
    # Deep in the money: the time value is a few units of the price, and the rounding of D (F - K) is as large.
    (False, 100.0, 4.505249891356226, 0.11278391075539108, 59.916816759363854, 0.6274357144366247),
    (True, 3.0, 250.0, 2.0, 246.75300000000004, 0.999),
    # Next to the upper bound, where the rounding of D F is as large as the distance to it.
    (False, 100.0, 100.0, 1.0, 99.99999999999997, 1.0),
])
def test_prices_a_few_units_from_a_bound_give_the_exact_vol_of_the_double_price(put, fwd, strike, ttx, price, df):
    computed = ka.b76_implied_vol(ttx, fwd, strike, price, "p" if put else "c", df)
    with mp.workdps(DIGITS + 20):
        args = (put, *(mp.mpf(a) for a in (fwd, strike, ttx)))
        exact = exact_vol(*args, mp.mpf(price), mp.mpf(df), computed)
        kappa = price / (exact * vega(*args[1:], exact, mp.mpf(df)))
        assert abs(computed - exact) / exact <= 32 * EPS * (1 + kappa), (computed, exact, kappa)


@pytest.mark.parametrize("put", [False, True])
@pytest.mark.parametrize("fwd, strike", [(100.0, 90.0), (100.0, 110.0), (100.0, 100.0), (1e-3, 7e4)])
def test_the_bounds_give_zero_and_infinity_and_nan_beyond(put, fwd, strike):
    df = 0.97
    lower = max(df * ((strike - fwd) if put else (fwd - strike)), 0.0)
    upper = df * (strike if put else fwd)
    prices = [lower, upper, math.nextafter(lower, -math.inf), math.nextafter(upper, math.inf), -1.0, math.inf,
              -math.inf, math.nan]
    got = ka.b76_implied_vol(0.5, fwd, strike, prices, "p" if put else "c", df)
    assert got[0] == 0.0 and not math.copysign(1.0, got[0]) < 0
    assert got[1] == math.inf
    assert np.isnan(got[2:]).all(), got


@pytest.mark.parametrize("argument", ["ttx", "fwd", "strike", "df"])
@pytest.mark.parametrize("bad", [0.0, -0.0, -1.0, math.nan, math.inf, -math.inf])
def test_degenerate_or_nan_inputs_give_nan(argument, bad):
    given = {"ttx": 1.0, "fwd": 100.0, "strike": 100.0, "price": 8.0, "call_put": "c", "df": 1.0, argument: bad}
    assert math.isnan(ka.b76_implied_vol(**given))


def test_prices_the_defined_solver_brackets_give_its_vol_to_its_tolerance():
    _, fwd, strike, ttx, vol, df = book("wings", 200)
    put, vol = strike < fwd, np.clip(vol, 0.02, 9.0)  # out of the money: deep in it the price hardly holds the vol
    call_put = np.where(put, "p", "c")
    prices = ka.b76_fairvalue(fwd, strike, ttx, vol, call_put, df)
    ours = ka.b76_implied_vol(ttx, fwd, strike, prices, call_put, df)
    theirs = ka.calibrate_black76_iv(ttx, fwd, strike, prices, call_put, df)
    # Brent's objective is the price itself: below some 1e-6 of the forward its 1e-4 is not assured.
    both = ~np.isnan(theirs) & (prices > 1e-6 * fwd) & (ours > 0)  # 0: the price is its intrinsic value
    assert both.sum() > 100
    assert np.abs(ours[both] - theirs[both]).max() < 2e-4


def test_bits_are_the_same_on_any_threads_and_in_zero_dimensional_calls():
    r = np.random.default_rng(3)
    put, fwd, strike, ttx, vol, df = (np.concatenate(column) for column in zip(*(book(regime, 400) for regime in REGIMES)))
    call_put = np.where(put, "put", "Call")
    prices = ka.b76_fairvalue(fwd, strike, ttx, vol, call_put, df) * r.choice([1.0, 0.5, 1.5], len(put))
    one = ka.b76_implied_vol(ttx, fwd, strike, prices, call_put, df, threads=1)
    for threads in (2, 3, 7):
        assert ka.b76_implied_vol(ttx, fwd, strike, prices, call_put, df, threads=threads).tobytes() == one.tobytes()
    alone = [ka.b76_implied_vol(*(float(a[i]) for a in (ttx, fwd, strike, prices)), str(call_put[i]), float(df[i]))
             for i in range(0, len(put), 7)]
    assert np.array(alone).tobytes() == one[::7].tobytes()


def test_the_defined_solver_and_scalar_module_are_unchanged():
    assert not hasattr(kelvane, "b76_implied_vol")
    assert abs(kelvane.calibrate_black76_iv(1, 100, 100, 7.965567455405804, "c") - 0.2000144) < 1e-6
