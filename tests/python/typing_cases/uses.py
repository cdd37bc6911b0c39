"""Every public name used the way the README uses it: mypy --strict finds no error."""

import datetime

import numpy as np
import pandas as pd
import polars as pl

import kelvane

price: float = kelvane.b76_fairvalue(100.0, 95.0, 0.5, 0.25, "call", 0.99)
vol: float = kelvane.calibrate_black76_iv(0.5, 100.0, 95.0, price, "call", 0.99)
digital = kelvane.binary_fairvalue(100.0, 95.0, 0.5, 0.25, "put")
greeks = [
    kelvane.b76_delta(100.0, 95.0, 0.5, 0.25, "c"),
    kelvane.b76_vega(100, 95, 0.5, 0.25),
    kelvane.b76_gamma(fwd=100.0, strike=95.0, ttx=0.5, vol=0.25, df=0.99),
    kelvane.binary_vega(100.0, 95.0, 0.5, 0.25, "C"),
    kelvane.binary_delta(100.0, 95.0, 0.5, 0.25, "p"),
    kelvane.binary_gamma(100.0, 95.0, 0.5, 0.25, "put"),
    kelvane.binary_speed(100.0, 95.0, 0.5, 0.25, "call"),
    kelvane.binary_theta(100.0, 95.0, 0.5, 0.25, call_put="call", df=1),
]

expiry = datetime.datetime(2026, 6, 26, 8, 0, tzinfo=datetime.timezone.utc)
smile = kelvane.GVVSpline(expiry, ref_spot=100.0, ref_vol=55.0, skew=-4.0, smile=6.0)
vols: list[float] = smile.get_vol(0.25, 100.0, [80.0, 90.0, 100.0, 110.0])
vols = smile.get_vol(0.25, 100.0, np.linspace(50, 150, 10_000))
vols = smile.get_vol(0.25, 100.0, (90, 100.5))
vols = smile.get_vol(0.25, 100.0, range(50, 150))
vols = smile.get_vol(0.25, 100.0, pd.Series([90.0, 110.0]))
single: float = smile.get_vol_single(0.25, 100.0, 95.0)
smile.bump_param("ref_vol", 1.0)
jac: dict[str, list[float]] = smile.get_jacobian(0.25, 100.0, [90.0, 110.0], smile.get_fitting_params())
smile.reanchor(105.0, 0.25)
smile.set_param("skew", -3)
ref_vol: float | None = smile.get_parameter("ref_vol")
ok: bool = smile.arb_free()
when: datetime.datetime = smile.expiry
offset = smile.get_param_dict()["offset"]

rebuilt = kelvane.GVVSpline.with_params(smile.expiry, smile.get_param_dict())
copy = type(smile).with_params(smile.expiry, smile.get_param_dict())
geo = kelvane.VolGeo.with_params(expiry, {"ref_vol": 60, "ref_spot": 100.0})
cubic = kelvane.CubicSpline(expiry, ref_vol=50.0)
for model in (rebuilt, geo, cubic):
    strip = model.get_vol(0.25, 100.0, [95.0, 105.0])
    names: list[str] = model.get_fitting_params()

cal = kelvane.Calendar("BTCUSDT")
now = datetime.datetime(2026, 12, 8, 14, 30, tzinfo=datetime.timezone.utc)
later = datetime.datetime(2027, 3, 26, 8, 0, tzinfo=datetime.timezone.utc)
ttx: float = cal.get_bus_ttx(now, later)
ttx = cal.get_bus_ttx(now, to=later)
ttx = cal.get_bus_ttx(**{"from": now, "to": later})
cal_ttx: float = kelvane.Calendar.get_cal_ttx(now, later)
cal_ttx = kelvane.Calendar.get_cal_ttx(**{"from": now, "to": later})
tenor: float = kelvane.Calendar.tenor_to_ttx("3m")
names = kelvane.__all__

import kelvane_arrays

strikes = np.array([90.0, 100.0, 110.0])
arrays = [
    kelvane_arrays.b76_fairvalue(100.0, strikes, 0.5, 0.25, ["put", "call", "call"], 0.99),
    kelvane_arrays.b76_delta(100.0, strikes, 0.5, 0.25, "call", threads=1),
    kelvane_arrays.b76_vega(100.0, strikes, 0.5, 0.25, out=np.empty(3)),
    kelvane_arrays.b76_gamma([100.0, 101.0, 102.0], strikes, 0.5, 0.25),
    kelvane_arrays.binary_fairvalue(100.0, strikes, 0.5, 0.25, np.array(["p", "c", "c"])),
    kelvane_arrays.binary_vega(100.0, strikes, 0.5, 0.25, "call"),
    kelvane_arrays.binary_delta(100.0, strikes, 0.5, 0.25, "call"),
    kelvane_arrays.binary_gamma(100.0, strikes, 0.5, 0.25, "call"),
    kelvane_arrays.binary_speed(100.0, strikes, 0.5, 0.25, "call"),
    kelvane_arrays.binary_theta(100.0, strikes, 0.5, 0.25, "call", threads=None),
    kelvane_arrays.calibrate_black76_iv(0.5, 100.0, strikes, [3.0, 7.0, 3.5], "put"),
    kelvane_arrays.b76_implied_vol(0.5, 100.0, strikes, [3.0, 7.0, 3.5], "put", out=np.empty(3)),
    kelvane_arrays.get_vol(geo, 0.25, np.array([[90.0], [110.0]]), strikes),
    kelvane_arrays.get_jacobian(geo, 0.25, 100.0, strikes, geo.get_fitting_params()),
    kelvane_arrays.get_bus_ttx("BTCUSDT", now, [later, later]),
    kelvane_arrays.get_cal_ttx(np.datetime64("2026-12-08T14:30"), np.array(["2027-03-26"], dtype="datetime64[D]")),
]
shapes: list[tuple[int, ...]] = [a.shape for a in arrays]
one: np.float64 = kelvane_arrays.b76_fairvalue(100.0, 95.0, 0.5, 0.25, "call")
one_vol: np.float64 = kelvane_arrays.b76_implied_vol(0.5, 100.0, 95.0, one, "call")
labels = kelvane_arrays.b76_fairvalue(pd.Series([100.0, 101.0]), 95.0, 0.5, 0.25, pd.Series(["call", "put"])).index
bus_index = kelvane_arrays.get_bus_ttx("BTCUSDT", now, pd.Series(pd.date_range(later, periods=2, tz="UTC"))).index
book_greeks = kelvane_arrays.b76_greeks(strikes, 95.0, 0.5, 0.25, ["c", "p", "c"], greeks=["delta", "gamma"])
greek_shape: tuple[int, ...] = book_greeks["delta"].shape
one_greeks: dict[str, np.float64] = kelvane_arrays.b76_greeks(100.0, 95.0, 0.5, 0.25, "p")
frame: pd.DataFrame = kelvane_arrays.b76_greeks(pd.Series([100.0, 101.0]), 95.0, 0.5, 0.25, "c")
filled = kelvane_arrays.b76_greeks(strikes, 95.0, 0.5, 0.25, "c", out={"vega": np.empty(3)})["vega"]
polars_name: str = kelvane_arrays.b76_vega(100.0, pl.Series("strike", [95.0, 105.0]), 0.5, 0.25).name
polars_book = pl.DataFrame({"strike": [95.0, 105.0], "call_put": ["c", "p"]})
priced_book: pl.DataFrame = polars_book.with_columns(
    kelvane_arrays.b76_fairvalue(100.0, polars_book["strike"], 0.5, 0.25, polars_book["call_put"]).alias("value"))
jacobian_threads: np.ndarray = kelvane_arrays.get_jacobian(geo, 0.25, 100.0, strikes, ["ref_vol"], threads=2)
names = kelvane_arrays.__all__
