"""Black-76, binary and implied-volatility values from Python: reference tables and invariants."""
import math

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import kelvane
from conftest import assert_rel

B76_REFERENCE = [
    # fwd, strike, ttx, vol, df, call, put, vega, gamma, delta (call; put is its negative)
    (100, 100, 1, 0.2, 1, 7.965567455405804, 7.965567455405804, 39.69525474770118,
     0.00019847627373850588, 0.01984762737385059),
    (100, 90, 0.5, 0.3, 0.98, 13.71003663126781, 3.9100366312678103, 23.053265968830463,
     0.00015368843979220306, 0.015368843979220307),
]

BINARY_REFERENCE = [
    # fwd, strike, ttx, vol, df, value, put value, then call greeks (a put's are negated)
    (100, 100, 1, 0.2, 1, 0.5, 0.5, {
        "vega": -0.0, "delta": 0.019947114020071634, "gamma": -0.00019947114020071633,
        "speed": -4.587836224616474e-05, "theta": 0.0}),
    (100, 90, 0.5, 0.3, 0.98, 0.6764847904074648, 0.3035152095925353, {
        "vega": -0.572162626337399, "delta": 0.0162915668008568, "gamma": -0.0005443574189001675,
        "speed": -1.257104932223732e-05, "theta": 0.1716487879012197}),
]


@pytest.mark.parametrize("fwd, strike, ttx, vol, df, call, put, vega, gamma, delta", B76_REFERENCE)
def test_b76_reference_values(fwd, strike, ttx, vol, df, call, put, vega, gamma, delta):
    assert_rel(kelvane.b76_fairvalue(fwd, strike, ttx, vol, "call", df), call)
    assert_rel(kelvane.b76_fairvalue(fwd, strike, ttx, vol, "put", df), put)
    assert_rel(kelvane.b76_vega(fwd, strike, ttx, vol, df), vega)
    assert_rel(kelvane.b76_gamma(fwd, strike, ttx, vol, df), gamma)
    assert_rel(kelvane.b76_delta(fwd, strike, ttx, vol, "c", df), delta)
    assert_rel(kelvane.b76_delta(fwd, strike, ttx, vol, "p", df), -delta)


@pytest.mark.parametrize("ttx, vol", [(0, 0.2), (-0.5, 0.2), (1, 0), (1, -0.1)])
def test_b76_degenerate_expiry(ttx, vol):
    assert kelvane.b76_fairvalue(100, 90, ttx, vol, "c", 0.98) == 0.98 * 10
    assert kelvane.b76_fairvalue(100, 90, ttx, vol, "p", 0.98) == 0.0
    for greek in (kelvane.b76_vega, kelvane.b76_gamma):
        assert_rel(greek(100, 90, ttx, vol, 0.98), 0.0)
    assert_rel(kelvane.b76_delta(100, 90, ttx, vol, "put", 0.98), 0.0)  # +0.0, not -0.0
    assert kelvane.b76_fairvalue(100, 110, ttx, vol, "put", 0.5) == 5.0


def test_b76_nan_time_is_not_degenerate():
    assert math.isnan(kelvane.b76_fairvalue(100, 90, math.nan, 0.2, "c"))
    assert kelvane.b76_fairvalue(math.nan, 90, 0, 0.2, "c") == 0.0  # maxNum of a NaN difference


@pytest.mark.parametrize("fwd, strike, ttx, vol, df, value, put_value, greeks", BINARY_REFERENCE)
def test_binary_reference_values(fwd, strike, ttx, vol, df, value, put_value, greeks):
    assert_rel(kelvane.binary_fairvalue(fwd, strike, ttx, vol, "c", df), value)
    assert_rel(kelvane.binary_fairvalue(fwd, strike, ttx, vol, "p", df), put_value)
    for name, expected in greeks.items():
        function = getattr(kelvane, f"binary_{name}")
        assert_rel(function(fwd, strike, ttx, vol, "c", df), expected)
        assert_rel(function(fwd, strike, ttx, vol, "p", df), -expected)


@pytest.mark.parametrize("ttx, vol", [(0, 0.2), (-1, 0.2), (1, 0)])
@pytest.mark.parametrize("fwd, call, put", [(101, 0.9, 0.0), (99, 0.0, 0.9), (100, 0.0, 0.0)])
def test_binary_degenerate_expiry(ttx, vol, fwd, call, put):
    assert kelvane.binary_fairvalue(fwd, 100, ttx, vol, "call", 0.9) == call
    assert kelvane.binary_fairvalue(fwd, 100, ttx, vol, "put", 0.9) == put
    for name in ("vega", "delta", "gamma", "speed", "theta"):
        assert_rel(getattr(kelvane, f"binary_{name}")(fwd, 100, ttx, vol, "put", 0.9), 0.0)


positive = st.floats(min_value=0.05, max_value=5.0)


@settings(max_examples=200, deadline=None)
@given(fwd=st.floats(50, 150), strike=st.floats(50, 150), ttx=st.floats(0.05, 3), vol=st.floats(0.05, 1.5),
       df=st.floats(0.5, 1.0))
def test_binary_call_and_put_values_add_up_to_the_discount_factor(fwd, strike, ttx, vol, df):
    total = kelvane.binary_fairvalue(fwd, strike, ttx, vol, "c", df) + kelvane.binary_fairvalue(fwd, strike, ttx, vol, "p", df)
    assert total == pytest.approx(df, rel=1e-12)


@settings(max_examples=200, deadline=None)
@given(fwd=st.floats(50, 150), strike=st.floats(50, 150), ttx=st.floats(0.05, 3), vol=st.floats(0.05, 1.5),
       df=st.floats(0.5, 1.0))
def test_b76_put_call_parity(fwd, strike, ttx, vol, df):
    call = kelvane.b76_fairvalue(fwd, strike, ttx, vol, "c", df)
    put = kelvane.b76_fairvalue(fwd, strike, ttx, vol, "p", df)
    assert call - put == pytest.approx(df * (fwd - strike), abs=1e-9 * fwd)


@settings(max_examples=150, deadline=None)
@given(fwd=st.floats(50, 150), strike=st.floats(50, 150), ttx=st.floats(0.05, 3), vol=st.floats(0.05, 2.0),
       call_put=st.sampled_from(["c", "p"]))
def test_calibration_recovers_the_volatility(fwd, strike, ttx, vol, call_put):
    price = kelvane.b76_fairvalue(fwd, strike, ttx, vol, call_put)
    # Only prices that carry information about vol can be inverted to 1e-4.
    vega = kelvane.b76_vega(fwd, strike, ttx, vol)
    if vega < 1e-3:
        return
    implied = kelvane.calibrate_black76_iv(ttx, fwd, strike, price, call_put)
    assert abs(implied - vol) < 1e-4 + 1e-6 / vega, (fwd, strike, ttx, vol, call_put, implied)


@pytest.mark.parametrize("ttx, fwd, strike, price, call_put, df, expected", [
    (1, 100, 100, 7.965567455405804, "c", 1, 0.2),
    (0.5, 100, 90, 3.9100366312678103, "p", 0.98, 0.3),
])
def test_calibration_reference(ttx, fwd, strike, price, call_put, df, expected):
    assert abs(kelvane.calibrate_black76_iv(ttx, fwd, strike, price, call_put, df) - expected) < 1e-4


@pytest.mark.parametrize("ttx, fwd, strike, price", [
    (1, 100, 100, 200), (1, 100, 100, 0), (0, 100, 90, 9),
    # No NaN input may come back as a plausible volatility.
    (1, 100, 100, math.nan), (1, math.nan, 100, 8), (1, 100, math.nan, 8), (math.nan, 100, 100, 8),
])
def test_calibration_gives_nan_when_there_is_no_root(ttx, fwd, strike, price):
    assert math.isnan(kelvane.calibrate_black76_iv(ttx, fwd, strike, price, "call"))


def test_calibration_at_the_bracket_ends_and_the_degenerate_expiry():
    at_upper = kelvane.b76_fairvalue(100, 100, 1, 10.0, "c")
    at_lower = kelvane.b76_fairvalue(100, 100, 1, 0.01, "c")
    assert kelvane.calibrate_black76_iv(1, 100, 100, at_upper, "c") == 10.0
    assert kelvane.calibrate_black76_iv(1, 100, 100, at_lower, "c") == 0.01
    assert kelvane.calibrate_black76_iv(0, 100, 90, 10, "c") == 10.0
