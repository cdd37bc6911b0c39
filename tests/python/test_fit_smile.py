"""examples/fit_smile.py: quotes, implied vols and the least-squares fits of the three smiles."""
import importlib.util
import math

import numpy as np
import pytest
from conftest import load_example

import kelvane

fs = load_example("fit_smile")
MARKET = fs.todays_market()

# Smiles to recover: shapes a desk would fit, inside each model's arbitrage guard.
TRUE_PARAMS = {
    "GVVSpline": {"ref_vol": 57.0, "skew": -6.0, "smile": 9.0},
    "VolGeo": {"ref_vol": 56.0, "corr": -0.4, "vvol": 30.0},
    "CubicSpline": {"ref_vol": 56.0, "p25": 20.0, "p20": 10.0, "p15": 6.0, "p10": 5.0, "p05": 4.0,
                    "c05": 1.0, "c10": 2.0, "c15": 3.0, "c20": 6.0, "c25": 15.0},
}
# Wide enough that the cubic's outer nodes (5 standard moves) are inside the chain.
WIDE_STRIKES = np.geomspace(25_000.0, 160_000.0, 40)
# The solver stops within 1e-4 of the vol (0.01 vol points), which bounds how
# well noise-free quotes pin the parameters down.
RECOVERY_TOLERANCE = 0.01


def model_vols(model):
    return lambda strikes: np.array(model.get_vol(MARKET.ttx, MARKET.forward, list(strikes)))


def example_quotes():
    chain = fs.quote_chain(fs.market_smile(MARKET.ttx, MARKET.forward), MARKET, fs.STRIKES,
                           np.random.default_rng(fs.SEED), fs.TICK)
    return fs.implied_vols(chain, MARKET)


@pytest.fixture(scope="module")
def quotes():
    return example_quotes()


class TestQuotes:
    @pytest.mark.parametrize("seed", [1, 2, 3, 20261208])
    def test_noisy_chain_is_a_tradable_market(self, seed):
        chain = fs.quote_chain(fs.market_smile(MARKET.ttx, MARKET.forward), MARKET, fs.STRIKES,
                               np.random.default_rng(seed), fs.TICK)
        assert np.all(chain.bid > 0) and np.all(chain.bid < chain.ask)
        for prices in (chain.bid, chain.ask):
            assert np.all(prices / fs.TICK == np.round(prices / fs.TICK)), "quotes off the tick"
        assert chain.call_put == tuple("put" if k < MARKET.forward else "call" for k in chain.strikes)
        vols = fs.implied_vols(chain, MARKET)
        assert not np.any(np.isnan(vols.bid) | np.isnan(vols.mid) | np.isnan(vols.ask))
        assert np.all((vols.bid < vols.mid) & (vols.mid < vols.ask))

    @pytest.mark.parametrize("name", TRUE_PARAMS)
    def test_noise_free_mid_is_the_smiles_vol(self, name):
        model = getattr(kelvane, name).with_params(MARKET.expiry, {"ref_spot": MARKET.forward, **TRUE_PARAMS[name]})
        vols = fs.implied_vols(fs.quote_chain(model_vols(model), MARKET, WIDE_STRIKES), MARKET)
        np.testing.assert_allclose(vols.mid, model_vols(model)(WIDE_STRIKES), rtol=0, atol=5e-5)


class TestFit:
    @pytest.mark.parametrize("name", TRUE_PARAMS)
    @pytest.mark.parametrize("shift", [0.0, 0.5, 3.0])
    def test_model_jacobian_is_the_derivative_of_the_residuals(self, name, shift, quotes):
        # The residuals are in vol points over the width; get_jacobian is in
        # vol fractions: a missed factor 100 or a wrong column order shows here.
        problem = fs.SmileProblem(getattr(kelvane, name), quotes, MARKET)
        x = problem.x0 + shift
        step = 1e-5
        central = np.column_stack([(problem.residuals(x + step * e) - problem.residuals(x - step * e)) / (2 * step)
                                   for e in np.eye(len(x))])
        # Forward differences with a bump of 0.01 agree to about 1 % of the column's scale.
        np.testing.assert_allclose(problem.jacobian(x), central, rtol=0.0, atol=0.02 * np.abs(central).max())

    @pytest.mark.parametrize("name", TRUE_PARAMS)
    def test_recovers_the_parameters_of_noise_free_quotes(self, name):
        model_class = getattr(kelvane, name)
        truth = model_class.with_params(MARKET.expiry, {"ref_spot": MARKET.forward, **TRUE_PARAMS[name]})
        vols = fs.implied_vols(fs.quote_chain(model_vols(truth), MARKET, WIDE_STRIKES), MARKET)
        fitted = fs.fit(model_class, vols, MARKET)
        assert fitted.names == tuple(truth.get_fitting_params())
        for param, expected in TRUE_PARAMS[name].items():
            assert fitted.params[param] == pytest.approx(expected, abs=RECOVERY_TOLERANCE), (
                f"{name}.{param}: fitted {fitted.params[param]!r}, true {expected!r}")
        assert fitted.rms_points < 0.005
        assert fitted.model.arb_free()

    @pytest.mark.parametrize("name", TRUE_PARAMS)
    def test_model_jacobian_reaches_the_finite_difference_optimum(self, name, quotes):
        # get_jacobian is itself a forward difference (bump 0.01 in the
        # parameter's units), so the point where the fit stops on noisy quotes
        # moves by a small multiple of bump x residual.
        model_class = getattr(kelvane, name)
        own = fs.fit(model_class, quotes, MARKET)
        scipy = fs.fit(model_class, quotes, MARKET, jacobian="2-point")
        assert own.cost == pytest.approx(scipy.cost, rel=1e-6)
        for param in own.names:
            assert own.params[param] == pytest.approx(scipy.params[param], abs=2e-3), param

    @pytest.mark.parametrize("name", TRUE_PARAMS)
    def test_fit_stays_inside_the_arbitrage_guard(self, name, quotes):
        fitted = fs.fit(getattr(kelvane, name), quotes, MARKET)
        assert fitted.model.arb_free()
        for param, floor in fs.LOWER_BOUNDS[name].items():
            assert fitted.params[param] >= floor
        assert fitted.model.get_parameter("ref_spot") == MARKET.forward
        assert fitted.iterations >= 1 and fitted.evaluations >= fitted.iterations

    def test_the_example_chain_ranks_the_models(self, quotes):
        # Three parameters of GVVSpline cannot follow this chain's wings; the
        # cubic's eleven nearly match the quotes to within their bid/ask.
        rms = {name: fs.fit(getattr(kelvane, name), quotes, MARKET).rms_points for name in TRUE_PARAMS}
        assert rms["CubicSpline"] < rms["VolGeo"] < rms["GVVSpline"]
        assert rms["CubicSpline"] < 0.5 * float(np.median(quotes.width_points))


@pytest.mark.skipif(importlib.util.find_spec("matplotlib") is None, reason="the examples extra draws the pictures")
def test_example_prints_the_fits_and_draws_them(tmp_path, capsys):
    picture = tmp_path / "fit.png"
    fs.main(["--picture", str(picture)])
    out = capsys.readouterr().out
    rows = [line for line in out.splitlines() if line.split()[:1] in (["GVVSpline"], ["VolGeo"], ["CubicSpline"])]
    assert len(rows) == 3 and all(" True " in row for row in rows), out
    assert "fit time per expiry" in out
    assert picture.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    assert not math.isnan(float(rows[0].split()[1]))
