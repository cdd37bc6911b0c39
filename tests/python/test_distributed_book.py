"""examples/distributed_book.py: smiles rebuilt from their parameters, the figures, a run on a LocalCluster."""
import math
import os
import pickle
import signal
import subprocess
import sys
from pathlib import Path

import numpy as np
import pandas as pd
import pytest
from conftest import load_example

import kelvane

ROOT = Path(__file__).resolve().parents[2]

db = load_example("distributed_book")
SMILES = db.market_smiles()
CALENDAR = kelvane.Calendar(db.CALENDAR)


def flat_smiles(vol_points: float):
    """Every expiry of every underlying on a flat smile: VolGeo without vol of vol."""
    return {(u, i): kelvane.VolGeo(e, ref_spot=db.FORWARDS[u], ref_vol=vol_points, vvol=0.0)
            for u in db.FORWARDS for i, e in enumerate(db.EXPIRIES)}


def pairs_book(seed: int, n: int = 60) -> pd.DataFrame:
    """A call and a put at each of n random strikes, underlyings and expiries."""
    book = db.make_book(n, seed)
    calls, puts = book.assign(call_put="call"), book.assign(call_put="put")
    return pd.concat([calls, puts], ignore_index=True)


class TestSmilesTravelAsParameters:
    @pytest.mark.parametrize("key", list(SMILES))
    def test_rebuilt_smile_quotes_the_same_vols_bit_for_bit(self, key):
        specs = pickle.loads(pickle.dumps(db.smile_specs(SMILES)))  # as a worker receives them
        rebuilt = db.rebuild(specs)[key]
        original = SMILES[key]
        assert type(rebuilt) is type(original) and rebuilt.expiry == original.expiry
        forward = db.FORWARDS[key[0]]
        strikes = [forward * math.exp(x) for x in np.linspace(-1.5, 1.5, 31)]
        for spot in (forward, 0.8 * forward, 1.2 * forward):
            assert rebuilt.get_vol(0.3, spot, strikes) == original.get_vol(0.3, spot, strikes)

    @pytest.mark.parametrize("obj", [SMILES[("BTCUSDT", 0)], SMILES[("BTCUSDT", 1)], SMILES[("BTCUSDT", 2)],
                                     CALENDAR], ids=lambda o: type(o).__name__)
    def test_instances_do_not_pickle(self, obj):
        with pytest.raises(TypeError, match=f"cannot pickle 'builtins.{type(obj).__name__}' object"):
            pickle.dumps(obj)


class TestFigures:
    @pytest.mark.parametrize("seed", [1, 2, 3])
    def test_put_call_parity_in_every_scenario(self, seed):
        book = pairs_book(seed)
        figures = db.risk(book, SMILES, CALENDAR)
        calls, puts = figures.iloc[: len(book) // 2].to_numpy(), figures.iloc[len(book) // 2:].to_numpy()
        first = book.iloc[: len(book) // 2]
        expiries = [db.EXPIRIES[i] for i in first["expiry"]]
        df = np.array([math.exp(-db.RATE * kelvane.Calendar.get_cal_ttx(db.NOW, e)) for e in expiries])
        forward = first["underlying"].map(db.FORWARDS).to_numpy()
        strike = first["strike"].to_numpy()
        columns = list(figures.columns)
        for j, name in enumerate(columns):
            if name == "delta":
                expected = df
            elif name == "vega":
                expected = np.zeros(len(df))
            else:
                shock = 0.0 if name == "value" else db.SPOT_SHOCKS[(j - 3) // len(db.VOL_SHOCKS)]
                expected = df * (forward * (1.0 + shock) - strike)
            np.testing.assert_allclose(calls[:, j] - puts[:, j], expected, rtol=0, atol=1e-6 * forward.max(),
                                       err_msg=name)

    @pytest.mark.parametrize("vol_points", [30.0, 80.0])
    def test_delta_on_a_flat_smile_is_the_black_delta(self, vol_points):
        book = db.make_book(200, 7)
        figures = db.risk(book, flat_smiles(vol_points), CALENDAR)
        sigma = vol_points / 100.0
        for (_, option), delta in zip(book.iterrows(), figures["delta"]):
            expiry = db.EXPIRIES[option["expiry"]]
            ttx = CALENDAR.get_bus_ttx(db.NOW, expiry)
            df = math.exp(-db.RATE * kelvane.Calendar.get_cal_ttx(db.NOW, expiry))
            forward = db.FORWARDS[option["underlying"]]
            d1 = (math.log(forward / option["strike"]) + 0.5 * sigma * sigma * ttx) / (sigma * math.sqrt(ttx))
            sign = 1.0 if option["call_put"] == "call" else -1.0
            expected = sign * df * 0.5 * math.erfc(-sign * d1 / math.sqrt(2.0))
            assert delta == pytest.approx(expected, abs=1e-6), dict(option)

    def test_shocks_are_full_revaluations(self):
        book = db.make_book(40, 11)
        figures = db.risk(book, SMILES, CALENDAR)
        assert list(figures.columns[:3]) == ["value", "delta", "vega"]
        assert len(figures.columns) == 3 + len(db.SPOT_SHOCKS) * len(db.VOL_SHOCKS)
        assert figures["spot +0% vol +0"].to_numpy().tobytes() == figures["value"].to_numpy().tobytes()
        option = book.iloc[5]
        smile = SMILES[(option["underlying"], option["expiry"])]
        expiry = db.EXPIRIES[option["expiry"]]
        ttx = CALENDAR.get_bus_ttx(db.NOW, expiry)
        df = math.exp(-db.RATE * kelvane.Calendar.get_cal_ttx(db.NOW, expiry))
        shocked = db.FORWARDS[option["underlying"]] * 0.9
        vol = smile.get_vol_single(ttx, shocked, option["strike"]) + 0.05
        assert figures.iloc[5]["spot -10% vol +5"] == kelvane.b76_fairvalue(
            shocked, option["strike"], ttx, vol, option["call_put"], df)


class TestGreeksAndImpliedVols:
    @pytest.mark.parametrize("vol_points", [30.0, 80.0])
    def test_on_a_flat_smile_the_black_delta_is_the_smile_delta(self, vol_points):
        book = db.make_book(200, 7)
        smiles = flat_smiles(vol_points)
        greeks = db.standard_greeks(book, db.market_inputs(book, smiles))
        assert list(greeks.columns) == list(db.STANDARD_GREEKS) and greeks.index.equals(book.index)
        np.testing.assert_allclose(greeks["delta"], db.risk(book, smiles, CALENDAR)["delta"], rtol=0, atol=1e-6)
        totals = db.greek_totals(book, greeks["delta"], greeks)
        assert list(totals.index) == list(db.FORWARDS)
        assert totals.loc["ETHUSDT", "gamma"] == pytest.approx(
            float(np.sum((book["quantity"] * greeks["gamma"])[book["underlying"] == "ETHUSDT"])), rel=1e-12)

    @pytest.mark.parametrize("seed", [1, 2])
    def test_implied_vols_of_the_values_are_the_smile_vols(self, seed):
        book = db.make_book(3000, seed)
        inputs = db.market_inputs(book, SMILES)
        values = db.risk(book, SMILES, CALENDAR)["value"].to_numpy()
        assert db.implied_vol_round_trip(book, inputs, values) <= db.ROUND_TRIP
        # A value off by a part in a million is caught.
        assert db.implied_vol_round_trip(book, inputs, values * (1.0 + 1e-6)) > 1e-7


class TestChunks:
    @pytest.mark.parametrize("n, partitions", [(10, 3), (3, 8), (1000, 8), (7, 1), (0, 4)])
    def test_chunks_cover_the_book_in_order(self, n, partitions):
        bounds = db.chunk_bounds(n, partitions)
        assert bounds[0][0] == 0 and bounds[-1][1] == n
        assert all(a[1] == b[0] for a, b in zip(bounds, bounds[1:]))
        assert len(bounds) == max(1, min(partitions, n))
        assert n == 0 or all(b > a for a, b in bounds)

    def test_identical_is_bitwise(self):
        a = pd.DataFrame({"x": [1.0, float("nan"), 0.0]})
        assert db.identical(a, a.copy())
        assert not db.identical(a, a.assign(x=[1.0, float("nan"), -0.0]))
        assert not db.identical(a, a.assign(x=[math.nextafter(1.0, 2.0), float("nan"), 0.0]))
        assert not db.identical(a, a.iloc[::-1])

    @pytest.mark.parametrize("partitions", [1, 7, 400])
    def test_chunks_give_the_serial_figures(self, partitions):
        # Per-chunk results from rebuilt smiles, concatenated, are the serial
        # book's: nothing depends on the chunking, empty chunks included.
        book = db.make_book(300, 3)
        columns = db.book_columns(book)
        specs = pickle.loads(pickle.dumps(db.smile_specs(SMILES)))
        chunks = [db.risk_chunk({name: column[a:b] for name, column in columns.items()}, specs)
                  for a, b in db.chunk_bounds(len(book), partitions)]
        figures = db.figures_frame(np.concatenate(chunks, axis=1), book.index)
        assert db.identical(figures, db.risk(book, SMILES, CALENDAR))


class TestArrays:
    @pytest.mark.parametrize("seed, n", [(1, 1), (2, 50), (3, 3000)])
    @pytest.mark.parametrize("threads", [1, None])
    def test_arrays_give_the_serial_figures_bit_for_bit(self, seed, n, threads):
        # 3000 options make calls large enough for threads=None to use every core.
        book = db.make_book(n, seed)
        figures = db.figures_frame(db.risk_arrays(db.book_columns(book), SMILES, threads=threads), book.index)
        assert db.identical(figures, db.risk(book, SMILES, CALENDAR))

    def test_figures_come_back_in_book_order(self):
        # The arrays path sorts by smile and strike: a shuffled book with labels of its own gets its rows back.
        book = db.make_book(500, 5).sample(frac=1.0, random_state=1)
        book.index = [f"option {i}" for i in range(len(book))]
        figures = db.figures_frame(db.risk_arrays(db.book_columns(book), SMILES), book.index)
        assert db.identical(figures, db.risk(book, SMILES, CALENDAR))

    def test_other_spellings_of_an_option_type_are_refused(self):
        # The slices are priced with "call" or "put" as one str: a "P" must not pass for a call.
        columns = db.book_columns(db.make_book(20, 4).assign(call_put=["P"] * 20))
        with pytest.raises(ValueError, match="'call' and 'put'"):
            db.risk_arrays(columns, SMILES)

    def test_an_empty_book_has_no_figures(self):
        assert db.risk_arrays(db.book_columns(db.make_book(0, 1)), SMILES).shape == (db.FIGURES, 0)


def test_runs_on_a_local_cluster_of_two_worker_processes():
    # Its own process group, so that a hang is ended whole: workers included.
    command = [sys.executable, str(ROOT / "examples" / "distributed_book.py"),
               "--workers", "2", "--options", "2000", "--repeat", "1", "--timeout", "90"]
    proc = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                            start_new_session=True)
    try:
        out, err = proc.communicate(timeout=150)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, err = proc.communicate()
        pytest.fail(f"no result within 150 s\n{out}\n{err[-3000:]}")
    assert proc.returncode == 0, f"{out}\n{err[-3000:]}"
    assert "2 workers" in out
    assert "arrays figures equal the serial ones bit for bit" in out
    assert "distributed figures equal the serial ones bit for bit" in out
    assert out.count("options per second") == 3
    assert "b76_implied_vol recovers the smile vols" in out and "smile delta" in out
