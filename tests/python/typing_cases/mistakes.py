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
