"""kelvane_arrays.b76_greeks: each greek against a 50-digit oracle whose closed forms are themselves checked
against mpmath.diff of the 50-digit price; the limits at a degenerate expiry; value and vega bit for bit the
scalar functions; results, containers, out= and errors as the other array functions have them."""
import math

import mpmath as mp
import numpy as np
import pandas as pd
import pytest

import kelvane
import kelvane_arrays as ka

GREEKS = ["value", "delta", "gamma", "vega", "theta", "rho", "vanna", "volga", "charm", "veta", "speed", "zomma",
          "color", "ultima", "dual_delta", "dual_gamma"]
# Each greek's error allowed, in units of the size of its terms times its conditioning 1 + d1^2 + d2^2; vega's
# times 1 + 1 / (vol sqrt T) more, as it keeps the bits of kelvane.b76_vega, whose d1 is taken of F/K rounded to
# a double (an error of about 1e-16 in ln(F/K) whatever its size, 1e-16 / (vol sqrt T) in d1).
ALLOWED = 1e-13
# Below this the doubles are subnormal or zero: an error this small is allowed whatever the scale.
UNDERFLOW = 1e-300

mp.mp.dps = 50


def price(fwd, strike, ttx, vol, df, call):
    s = vol * mp.sqrt(ttx)
    d1 = (mp.log(fwd / strike) + vol * vol * ttx / 2) / s
    d2 = d1 - s
    if call:
        return df * (fwd * mp.ncdf(d1) - strike * mp.ncdf(d2))
    return df * (strike * mp.ncdf(-d2) - fwd * mp.ncdf(-d1))


def oracle(fwd, strike, ttx, vol, df, call):
    """The closed forms at 50 digits: {greek: (exact, the size of its terms times its conditioning)}."""
    f, k, t, v, d = (mp.mpf(x) for x in (fwd, strike, ttx, vol, df))
    s = v * mp.sqrt(t)
    d1 = (mp.log(f / k) + v * v * t / 2) / s
    d2 = d1 - s
    sign = 1 if call else -1
    n1, n2, pdf1, pdf2 = mp.ncdf(sign * d1), mp.ncdf(sign * d2), mp.npdf(d1), mp.npdf(d2)
    size = abs(d1) + abs(d2)  # of d1 and d2's own terms
    value = sign * d * (f * n1 - k * n2)
    value_terms = d * (f * n1 + k * n2)
    vega = d * f * pdf1 * mp.sqrt(t)
    gamma = d * pdf1 / (f * s)
    dd = d1 * d2
    exact = {
        "value": (value, value_terms),
        "delta": (sign * d * n1, None),
        "gamma": (gamma, None),
        "vega": (vega, None),
        "theta": (-d * f * pdf1 * v / (2 * mp.sqrt(t)), None),
        "rho": (-t * value, t * value_terms),
        "vanna": (-d * pdf1 * d2 / v, d * pdf1 * size / v),
        "volga": (vega * dd / v, vega * size**2 / v),
        "charm": (d * pdf1 * d2 / (2 * t), d * pdf1 * size / (2 * t)),
        "veta": (-d * f * pdf1 * (1 + dd) / (2 * mp.sqrt(t)), d * f * pdf1 * (1 + size**2) / (2 * mp.sqrt(t))),
        "speed": (-gamma * (1 + d1 / s) / f, gamma * (1 + size / s) / f),
        "zomma": (gamma * (dd - 1) / v, gamma * (1 + size**2) / v),
        "color": (gamma * (1 - dd) / (2 * t), gamma * (1 + size**2) / (2 * t)),
        "ultima": (-vega * (dd * (1 - dd) + d1**2 + d2**2) / v**2, vega * (size**4 + 2 * size**2) / v**2),
        "dual_delta": (-sign * d * n2, None),
        "dual_gamma": (d * pdf2 / (k * s), None),
    }
    conditioning = {name: 1 + d1**2 + d2**2 for name in exact}
    conditioning["vega"] *= 1 + 1 / s
    return {name: (e, (abs(e) if terms is None else terms) * conditioning[name]) for name, (e, terms) in exact.items()}


DIFF_POINTS = [(100, 100, 1, 0.2, 0.97, True), (100, 80, 0.25, 0.5, 0.9, False), (2.5, 3.1, 3, 1.2, 0.6, True),
               (4e4, 4.4e4, 0.02, 0.8, 1.0, False)]


@pytest.mark.parametrize("point", DIFF_POINTS)
def test_the_oracle_s_closed_forms_are_derivatives_of_the_price(point):
    f, k, t, v, d = (mp.mpf(x) for x in point[:5])
    call = point[5]
    r = -mp.log(d) / t  # D = exp(-r T), the rate rho is taken along

    def at(f=f, k=k, t=t, v=v, d=None, r=r):
        return price(f, k, t, v, mp.exp(-r * t) if d is None else d, call)

    fixed_d = mp.exp(-r * t)
    by = {  # each greek as mpmath.diff of the price, D held fixed but for rho
        "value": at(),
        "delta": mp.diff(lambda x: at(f=x, d=fixed_d), f),
        "gamma": mp.diff(lambda x: at(f=x, d=fixed_d), f, 2),
        "vega": mp.diff(lambda x: at(v=x, d=fixed_d), v),
        "theta": -mp.diff(lambda x: at(t=x, d=fixed_d), t),
        "rho": mp.diff(lambda x: at(r=x), r),
        "vanna": mp.diff(lambda x, y: at(f=x, v=y, d=fixed_d), (f, v), (1, 1)),
        "volga": mp.diff(lambda x: at(v=x, d=fixed_d), v, 2),
        "charm": -mp.diff(lambda x, y: at(f=x, t=y, d=fixed_d), (f, t), (1, 1)),
        "veta": -mp.diff(lambda x, y: at(v=x, t=y, d=fixed_d), (v, t), (1, 1)),
        "speed": mp.diff(lambda x: at(f=x, d=fixed_d), f, 3),
        "zomma": mp.diff(lambda x, y: at(f=x, v=y, d=fixed_d), (f, v), (2, 1)),
        "color": -mp.diff(lambda x, y: at(f=x, t=y, d=fixed_d), (f, t), (2, 1)),
        "ultima": mp.diff(lambda x: at(v=x, d=fixed_d), v, 3),
        "dual_delta": mp.diff(lambda x: at(k=x, d=fixed_d), k),
        "dual_gamma": mp.diff(lambda x: at(k=x, d=fixed_d), k, 2),
    }
    exact = oracle(*point)
    for name in GREEKS:
        assert abs(exact[name][0] - by[name]) <= mp.mpf(10) ** -30 * (1 + abs(by[name])), (point, name)


def random_book(n, seed):
    """F from 1e-2 to 1e6, |ln F/K| <= 3, T from 1e-4 to 30, vol from 0.005 to 4, D from 0.3 to 1."""
    r = np.random.default_rng(seed)
    fwd = np.exp(r.uniform(np.log(1e-2), np.log(1e6), n))
    strike = fwd * np.exp(r.uniform(-3, 3, n))
    ttx = np.exp(r.uniform(np.log(1e-4), np.log(30), n))
    vol = np.exp(r.uniform(np.log(0.005), np.log(4), n))
    df = r.uniform(0.3, 1.0, n)
    call_put = r.choice(["c", "p"], n)
    return fwd, strike, ttx, vol, call_put, df


def worst_errors(book):
    """The worst error of each greek over the book, in units of its allowed scale, with the worst inputs."""
    computed = ka.b76_greeks(*book)
    worst = {name: (0.0, None) for name in GREEKS}
    for i in range(len(book[0])):
        fwd, strike, ttx, vol, call_put, df = (x[i] for x in book)
        inputs = (float(fwd), float(strike), float(ttx), float(vol), float(df), call_put == "c")
        exact = oracle(*inputs)
        for name in GREEKS:
            e, scale = exact[name]
            error = max(abs(mp.mpf(computed[name][i]) - e) - UNDERFLOW, 0) / scale
            if error > worst[name][0]:
                worst[name] = (float(error), inputs)
    return worst


def near_the_money_book(n, seed):
    """|ln F/K| within three vol sqrt T: where the rounding of F/K tells most."""
    fwd, strike, ttx, vol, call_put, df = random_book(n, seed)
    strike = fwd * np.exp(np.random.default_rng(seed).uniform(-3, 3, n) * vol * np.sqrt(ttx))
    return fwd, strike, ttx, vol, call_put, df


@pytest.mark.parametrize("book", [random_book(1200, seed=3), near_the_money_book(600, seed=4)],
                         ids=["random book", "near the money"])
def test_every_greek_is_accurate_to_its_conditioning(book):
    worst = worst_errors(book)
    bad = {name: w for name, w in worst.items() if w[0] > ALLOWED}
    assert not bad, f"(error in units of the scale, inputs) {bad}"


# ---- degenerate expiries, NaN ------------------------------------------------


@pytest.mark.parametrize("ttx, vol", [(0.0, 0.2), (-1.0, 0.2), (0.5, 0.0), (0.5, -0.3)])
def test_a_degenerate_expiry_gives_the_limits(ttx, vol):
    fwd = np.array([110.0, 90.0, 100.0] * 2)
    call_put = ["c"] * 3 + ["p"] * 3
    got = ka.b76_greeks(fwd, 100.0, ttx, vol, call_put, 0.9)
    value = ka.b76_fairvalue(fwd, 100.0, ttx, vol, call_put, 0.9)
    expected = {"value": value, "delta": [0.9, 0.0, 0.45, 0.0, -0.9, -0.45],
                "dual_delta": [-0.9, 0.0, -0.45, 0.0, 0.9, 0.45], "rho": -ttx * value if ttx > 0 else 0.0 * value}
    for name in GREEKS:
        want = np.broadcast_to(np.asarray(expected.get(name, 0.0), dtype=np.float64), fwd.shape)
        assert got[name].tobytes() == want.tobytes(), (name, got[name], want)


def test_nan_gives_nan_in_every_greek_but_value_and_vega_keep_the_scalar_bits():
    nan = math.nan
    rows = [(nan, 100, 0.0, 0.2, 1.0), (100, nan, 1.0, 0.0, 1.0), (100, 100, nan, 0.2, 1.0),
            (100, 100, -1.0, nan, 1.0), (100, 100, 1.0, 0.2, nan), (nan, 100, 1.0, 0.2, 1.0)]
    fwd, strike, ttx, vol, df = (np.array(c, dtype=float) for c in zip(*rows))
    got = ka.b76_greeks(fwd, strike, ttx, vol, "p", df)
    assert got["value"].tobytes() == ka.b76_fairvalue(fwd, strike, ttx, vol, "p", df).tobytes()
    assert got["vega"].tobytes() == ka.b76_vega(fwd, strike, ttx, vol, df).tobytes()
    assert got["value"][0] == 0.0 and got["vega"][3] == 0.0  # the scalar functions' degenerate branch
    for name in set(GREEKS) - {"value", "vega"}:
        assert np.isnan(got[name]).all(), name


# ---- the scalar bits, threads, containers ---------------------------------------


def edged_book():
    book = random_book(3000, seed=8)
    r = np.random.default_rng(9)
    for column in book[:4] + book[5:]:
        at = r.choice(len(column), 150, replace=False)
        column[at] = r.choice([0.0, -0.0, -1.0, math.inf, -math.inf, math.nan, 1e300, 5e-324], len(at))
    return book


def test_value_and_vega_are_the_scalar_functions_bit_for_bit():
    fwd, strike, ttx, vol, call_put, df = book = edged_book()
    got = ka.b76_greeks(*book, greeks=["vega", "value"])
    rows = list(zip(fwd, strike, ttx, vol, call_put, df))
    assert got["value"].tobytes() == np.array([kelvane.b76_fairvalue(*row) for row in rows]).tobytes()
    assert got["vega"].tobytes() == np.array([kelvane.b76_vega(f, k, t, v, d) for f, k, t, v, _, d in rows]).tobytes()


def test_results_do_not_depend_on_threads_subsets_or_shape():
    book = edged_book()
    one = ka.b76_greeks(*book, threads=1)
    for threads in (2, 3, None):
        again = ka.b76_greeks(*book, threads=threads)
        assert all(again[name].tobytes() == one[name].tobytes() for name in GREEKS), threads
    subset = ka.b76_greeks(*book, greeks=["dual_gamma", "rho", "speed"], threads=2)
    assert list(subset) == ["dual_gamma", "rho", "speed"]
    assert all(subset[name].tobytes() == one[name].tobytes() for name in subset)
    square = ka.b76_greeks(*(np.asarray(x)[:2500].reshape(50, 50).T for x in book), threads=2)
    assert all(square[name].T.ravel().tobytes() == one[name][:2500].tobytes() for name in GREEKS)
    scalar = ka.b76_greeks(*(np.asarray(x)[7].item() for x in book))
    assert list(scalar) == GREEKS and all(type(v) is np.float64 for v in scalar.values())
    assert all(np.float64(scalar[name]).tobytes() == one[name][7].tobytes() for name in GREEKS)


def test_a_series_gives_a_frame_on_its_index():
    index = pd.Index(["a", "b", "c"])
    frame = ka.b76_greeks(pd.Series([90.0, 100.0, 110.0], index=index), 100.0, 1.0, 0.2, "c", greeks=["vega", "delta"])
    assert isinstance(frame, pd.DataFrame) and list(frame.columns) == ["vega", "delta"] and frame.index is index
    plain = ka.b76_greeks([90.0, 100.0, 110.0], 100.0, 1.0, 0.2, "c")
    assert frame["delta"].to_numpy().tobytes() == plain["delta"].tobytes()
    with pytest.raises(ValueError, match="share one index"):
        ka.b76_greeks(pd.Series([1.0]), pd.Series([1.0], index=[5]), 1.0, 0.2, "c")
    with pytest.raises(ValueError, match="cannot label"):
        ka.b76_greeks(pd.Series([90.0, 100.0]), [[1.0], [2.0]], 1.0, 0.2, "c")


def test_polars_gives_a_polars_frame_and_masks_are_refused():
    pl = pytest.importorskip("polars")
    frame = ka.b76_greeks(pl.Series("strike", [90.0, 110.0]), 100.0, 1.0, 0.2, "c", greeks=["gamma", "value"])
    assert isinstance(frame, pl.DataFrame) and frame.columns == ["gamma", "value"]
    assert frame["value"].to_numpy().tobytes() == ka.b76_fairvalue([90.0, 110.0], 100.0, 1.0, 0.2, "c").tobytes()
    with pytest.raises(TypeError, match="no masked arrays"):
        ka.b76_greeks(np.ma.MaskedArray([90.0, 110.0], mask=[False, True]), 100.0, 1.0, 0.2, "c")
    with pytest.raises(ValueError, match=r"^strike with shape \(2,\) and ttx with shape \(3,\) cannot be broadcast"):
        ka.b76_greeks(100.0, [90.0, 110.0], [1.0, 2.0, 3.0], 0.2, "c")


# ---- out= ------------------------------------------------------------------------


def test_out_fills_the_callers_arrays_and_its_keys_choose_the_greeks():
    delta, gamma = np.full(3, -7.0), np.full((4, 3), -7.0)[1]
    got = ka.b76_greeks([90.0, 100.0, 110.0], 100.0, 1.0, 0.2, "c", out={"gamma": gamma, "delta": delta})
    assert list(got) == ["gamma", "delta"] and got["gamma"] is gamma and got["delta"] is delta
    plain = ka.b76_greeks([90.0, 100.0, 110.0], 100.0, 1.0, 0.2, "c", greeks=["delta", "gamma"])
    assert delta.tobytes() == plain["delta"].tobytes() and gamma.tobytes() == plain["gamma"].tobytes()
    got = ka.b76_greeks([90.0, 100.0, 110.0], 100.0, 1.0, 0.2, "c", greeks=["delta", "gamma"],
                        out={"gamma": gamma, "delta": delta})
    assert list(got) == ["delta", "gamma"]


def test_out_aliasing_an_input_gives_what_fresh_outputs_give():
    fwd = np.linspace(80.0, 120.0, 500)
    expected = ka.b76_greeks(fwd, fwd[::-1], 1.0, 0.2, "c", greeks=["gamma", "value"])
    a = fwd.copy()
    got = ka.b76_greeks(a, a[::-1], 1.0, 0.2, "c", out={"gamma": a, "value": np.empty(500)})
    assert got["gamma"].tobytes() == expected["gamma"].tobytes()
    assert got["value"].tobytes() == expected["value"].tobytes()


SHARED = np.zeros(6)
BAD = [
    (dict(greeks=["delta", "delt"]), ValueError, "argument 'greeks': unknown greek 'delt'; the greeks are value, "
                                                 "delta, gamma, vega, theta, rho, vanna, volga, charm, veta, speed, "
                                                 "zomma, color, ultima, dual_delta, dual_gamma"),
    (dict(greeks=["vega", "delta", "vega"]), ValueError, "argument 'greeks': greek 'vega' named twice"),
    (dict(greeks="delta"), TypeError, "argument 'greeks': expected a sequence of greek names, got str; "
                                      "write greeks=['delta']"),
    (dict(greeks=[1]), TypeError, "argument 'greeks': expected greek names (str), got int"),
    (dict(greeks=3), TypeError, "argument 'greeks': expected a sequence of greek names, got int"),
    (dict(out=np.empty(3)), TypeError, "argument 'out': expected a dict of greek name to float64 array, got ndarray"),
    (dict(out={"Delta": np.empty(3)}), ValueError, "argument 'out': unknown greek 'Delta'"),
    (dict(greeks=["delta"], out={"gamma": np.empty(3)}), ValueError,
     "argument 'out': names ['gamma'], but greeks asks for ['delta']; out must name exactly the greeks asked for"),
    (dict(out={"delta": np.empty(4)}), ValueError, "argument 'out['delta']': expected shape (3,), got (4,)"),
    (dict(out={"delta": np.empty(3, np.float32)}), TypeError,
     "argument 'out['delta']': expected dtype float64, got float32"),
    (dict(out={"delta": SHARED[:3], "gamma": SHARED[2:5]}), ValueError,
     "argument 'out': the arrays of 'delta' and 'gamma' overlap"),
    (dict(threads=0), ValueError, "argument 'threads': must be at least 1, got 0"),
]


@pytest.mark.parametrize("kwargs, error, message", BAD)
def test_wrong_greeks_and_outputs_name_themselves(kwargs, error, message):
    with pytest.raises(error) as raised:
        ka.b76_greeks([90.0, 100.0, 110.0], 100.0, 1.0, 0.2, "c", **kwargs)
    assert str(raised.value).startswith(message), str(raised.value)


def test_a_failing_argument_writes_nothing():
    delta, vega = np.full(3, -7.0), np.full(3, -7.0)
    for call_put, vol in ((["c", "x", "p"], 0.2), ("c", [0.2, "x", 0.2])):
        with pytest.raises((ValueError, TypeError)):
            ka.b76_greeks([90.0, 100.0, 110.0], 100.0, 1.0, vol, call_put, out={"delta": delta, "vega": vega})
        assert (delta == -7.0).all() and (vega == -7.0).all()


def test_no_greeks_computes_nothing_but_still_checks_the_inputs():
    assert ka.b76_greeks([1.0, 2.0], 1.0, 1.0, 0.2, "c", greeks=[]) == {}
    with pytest.raises(ValueError, match="Unknown option type"):
        ka.b76_greeks(1.0, 1.0, 1.0, 0.2, "x", greeks=[])
