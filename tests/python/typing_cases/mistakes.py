"""Mistakes that mypy --strict must flag: each marked line gives an error."""

import datetime

import kelvane

expiry = datetime.datetime(2026, 6, 26, 8, 0, tzinfo=datetime.timezone.utc)
smile = kelvane.GVVSpline(expiry, ref_vol=55.0)

smile.get_vol(0.25, 100.0, smile.get_param_dict())  # error: a dict as strikes
smile.get_vol(0.25, 100.0, "90,110")  # error: a str as strikes
kelvane.b76_fairvalue(100.0, 95.0, 0.5, 0.25, 1)  # error: an int as call_put
kelvane.Calendar(1)  # error: an int as underlying
kelvane.Calendar.tenor_to_ttx(3)  # error: an int as tenor
smile.get_vol(0.25, 100.0, [90.0]).upper()  # error: get_vol's list treated as a str
kelvane.GVVSpline.with_params(expiry, {"ref_vol": "55"})  # error: a str as a parameter value
kelvane.Calendar("BTCUSDT").get_bus_ttx(expiry, 0.25)  # error: a number as a datetime

import kelvane_arrays

kelvane_arrays.get_vol(kelvane.Calendar("BTCUSDT"), 0.25, 100.0, [90.0])  # error: a calendar as the smile
kelvane_arrays.b76_vega(100.0, [90.0, 110.0], 0.5, 0.25, threads="all")  # error: a str as threads
kelvane_arrays.b76_greeks(100.0, [90.0, 110.0], 0.5, 0.25, "c", out=[0.0, 0.0])  # error: a list as out, not a dict
kelvane_arrays.b76_vega(100.0, [90.0, 110.0], 0.5, 0.25, out=[0.0, 0.0])  # error: a list as out
kelvane_arrays.get_bus_ttx(1, expiry, expiry)  # error: an int as underlying
kelvane_arrays.get_jacobian(smile, 0.25, 100.0, [90.0], ["ref_vol"]).upper()  # error: the Jacobian treated as a str
kelvane_arrays.get_jacobian(smile, 0.25, 100.0, [90.0], "ref_vol")  # error: a str as the parameter names
kelvane_arrays.b76_implied_vol(0.5, 100.0, 95.0, 3.0, "call").upper()  # error: a vol treated as a str
