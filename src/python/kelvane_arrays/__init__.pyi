"""Type stubs for kelvane_arrays: kelvane's functions over numpy arrays.

A pandas Series in, at any position, gives a Series out."""

import datetime
from collections.abc import Sequence
from typing import Any, overload

import numpy as np
import numpy.typing as npt
import pandas as pd

from kelvane import CubicSpline, GVVSpline, VolGeo

__all__ = [
    "b76_fairvalue",
    "b76_delta",
    "b76_vega",
    "b76_gamma",
    "binary_fairvalue",
    "binary_vega",
    "binary_delta",
    "binary_gamma",
    "binary_speed",
    "binary_theta",
    "calibrate_black76_iv",
    "b76_greeks",
    "get_vol",
    "get_jacobian",
    "get_bus_ttx",
    "get_cal_ttx",
]

_FloatArray = npt.NDArray[np.float64]
_Scalar = float | np.floating[Any] | np.integer[Any]
_Numbers = npt.ArrayLike
# "c", "call", "p", "put" in any letter case, one or an array-like of them.
_OptionTypes = str | Sequence[str] | npt.NDArray[np.str_] | npt.NDArray[np.object_] | pd.Series[str] | pd.Series[Any]
_Smile = GVVSpline | VolGeo | CubicSpline
_Datetimes = (datetime.datetime | np.datetime64 | npt.NDArray[np.datetime64] | pd.DatetimeIndex | pd.Series[Any]
              | Sequence[datetime.datetime])


@overload
def b76_fairvalue(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, call_put: str, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def b76_delta(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, call_put: str, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def b76_vega(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def b76_vega(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_vega(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_vega(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def b76_gamma(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def b76_gamma(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_gamma(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_gamma(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def binary_fairvalue(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, call_put: str, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def binary_vega(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, call_put: str, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def binary_delta(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, call_put: str, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def binary_gamma(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, call_put: str, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def binary_speed(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, call_put: str, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def binary_theta(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, call_put: str, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def calibrate_black76_iv(ttx: _Scalar, fwd: _Scalar, strike: _Scalar, price: _Scalar, call_put: str, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: pd.Series[Any], fwd: _Numbers | pd.Series[Any], strike: _Numbers | pd.Series[Any], price: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], price: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: pd.Series[Any], price: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

@overload
def b76_greeks(fwd: _Scalar, strike: _Scalar, ttx: _Scalar, vol: _Scalar, call_put: str, df: _Scalar = 1.0, *, greeks: Sequence[str] | None = None, out: None = None, threads: int | None = None) -> dict[str, np.float64]: ...  # type: ignore[overload-overlap]
@overload
def b76_greeks(fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, greeks: Sequence[str] | None = None, out: None = None, threads: int | None = None) -> pd.DataFrame: ...  # type: ignore[overload-overlap]
@overload
def b76_greeks(fwd: _Numbers, strike: pd.Series[Any], ttx: _Numbers | pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, greeks: Sequence[str] | None = None, out: None = None, threads: int | None = None) -> pd.DataFrame: ...  # type: ignore[overload-overlap]
@overload
def b76_greeks(fwd: _Numbers, strike: _Numbers, ttx: pd.Series[Any], vol: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, greeks: Sequence[str] | None = None, out: None = None, threads: int | None = None) -> pd.DataFrame: ...  # type: ignore[overload-overlap]
@overload
def b76_greeks(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, greeks: Sequence[str] | None = None, out: None = None, threads: int | None = None) -> pd.DataFrame: ...  # type: ignore[overload-overlap]
@overload
def b76_greeks(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, greeks: Sequence[str] | None = None, out: None = None, threads: int | None = None) -> pd.DataFrame: ...  # type: ignore[overload-overlap]
@overload
def b76_greeks(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, greeks: Sequence[str] | None = None, out: None = None, threads: int | None = None) -> pd.DataFrame: ...  # type: ignore[overload-overlap]
@overload
def b76_greeks(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, greeks: Sequence[str] | None = None, out: dict[str, _FloatArray] | None = None, threads: int | None = None) -> dict[str, _FloatArray]:
    """The Black-76 greeks of each option in one pass: a dict of greek name to
    float64 array of the broadcast shape (numpy scalars when every argument is
    a scalar; a pandas.DataFrame, one column per greek, when any is a Series).

    With V the Black-76 value, s = vol*sqrt(ttx) and the discount factor D held
    fixed, the greeks, in this order, are:

    ==========  ====================  =========================================
    value       V                     kelvane.b76_fairvalue, bit for bit
    delta       dV/dF                 D N(d1); put -D N(-d1)
    gamma       d2V/dF2               D phi(d1) / (F s)
    vega        dV/dvol               kelvane.b76_vega, bit for bit
    theta       -dV/dttx              -D F phi(d1) vol / (2 sqrt(ttx))
    rho         dV/dr, D = e^(-r T)   -ttx V
    vanna       d2V/dF dvol           -D phi(d1) d2 / vol
    volga       d2V/dvol2             vega d1 d2 / vol
    charm       -d2V/dF dttx          D phi(d1) d2 / (2 ttx)
    veta        -d2V/dvol dttx        -D F phi(d1) (1 + d1 d2) / (2 sqrt(ttx))
    speed       d3V/dF3               -gamma (1 + d1 / s) / F
    zomma       d3V/dF2 dvol          gamma (d1 d2 - 1) / vol
    color       -d3V/dF2 dttx         gamma (1 - d1 d2) / (2 ttx)
    ultima      d3V/dvol3             -vega (d1 d2 (1 - d1 d2) + d1^2 + d2^2) / vol^2
    dual_delta  dV/dstrike            -D N(d2); put D N(-d2)
    dual_gamma  d2V/dstrike2          D phi(d2) / (strike s)
    ==========  ====================  =========================================

    Units: vol derivatives are per 1.0 of vol (divide vega by 100 for a vol
    point), time derivatives per year of ttx (multiply theta by the years of
    one day, in the calendar ttx is counted in, for a day's decay).

    At a degenerate expiry (ttx <= 0 or vol <= 0) each greek is its limit as
    vol*sqrt(ttx) -> 0: value the discounted intrinsic value; a call's delta D
    in the money, 0 out of it, D/2 at the money, a put's the call's minus D; a
    call's dual_delta -D, 0, -D/2, a put's the call's plus D; rho -ttx*value
    for ttx > 0, else 0; every other greek 0. A NaN input gives NaN in every
    greek but value and vega, which keep the scalar functions' bits.

    `greeks` names the greeks to compute, in the order of the result (all
    sixteen by default; an unknown or repeated name is a ValueError). `out`
    is a dict of greek name to float64 array of the broadcast shape: its keys
    choose the greeks when `greeks` is None, and must be exactly `greeks`
    otherwise; the arrays are filled and returned in a dict.
    """

@overload
def get_vol(smile: _Smile, ttx: _Scalar, spot: _Scalar, strikes: _Scalar, *, out: None = None,  # type: ignore[overload-overlap]
            threads: int | None = None) -> np.float64: ...
@overload
def get_vol(smile: _Smile, ttx: pd.Series[Any], spot: _Numbers | pd.Series[Any], strikes: _Numbers | pd.Series[Any], *,  # type: ignore[overload-overlap]
            out: None = None, threads: int | None = None) -> pd.Series[float]: ...
@overload
def get_vol(smile: _Smile, ttx: _Numbers, spot: pd.Series[Any], strikes: _Numbers | pd.Series[Any], *,  # type: ignore[overload-overlap]
            out: None = None, threads: int | None = None) -> pd.Series[float]: ...
@overload
def get_vol(smile: _Smile, ttx: _Numbers, spot: _Numbers, strikes: pd.Series[Any], *,  # type: ignore[overload-overlap]
            out: None = None, threads: int | None = None) -> pd.Series[float]: ...
@overload
def get_vol(smile: _Smile, ttx: _Numbers, spot: _Numbers, strikes: _Numbers, *, out: _FloatArray | None = None,
            threads: int | None = None) -> _FloatArray: ...
# The parameter names as a list or tuple: a str, itself a sequence of str, is refused.
def get_jacobian(smile: _Smile, ttx: float, spot: float, strikes: _Numbers,
                 params: list[str] | tuple[str, ...]) -> _FloatArray: ...
@overload
def get_bus_ttx(underlying: str, from_: datetime.datetime, to: datetime.datetime, *,  # type: ignore[overload-overlap]
                out: None = None, threads: int | None = None) -> np.float64: ...
@overload
def get_bus_ttx(underlying: str, from_: pd.Series[Any], to: _Datetimes, *, out: None = None,  # type: ignore[overload-overlap]
                threads: int | None = None) -> pd.Series[float]: ...
@overload
def get_bus_ttx(underlying: str, from_: _Datetimes, to: pd.Series[Any], *, out: None = None,  # type: ignore[overload-overlap]
                threads: int | None = None) -> pd.Series[float]: ...
@overload
def get_bus_ttx(underlying: str, from_: _Datetimes, to: _Datetimes, *, out: _FloatArray | None = None,
                threads: int | None = None) -> _FloatArray: ...
@overload
def get_cal_ttx(from_: datetime.datetime, to: datetime.datetime, *,  # type: ignore[overload-overlap]
                out: None = None, threads: int | None = None) -> np.float64: ...
@overload
def get_cal_ttx(from_: pd.Series[Any], to: _Datetimes, *, out: None = None,  # type: ignore[overload-overlap]
                threads: int | None = None) -> pd.Series[float]: ...
@overload
def get_cal_ttx(from_: _Datetimes, to: pd.Series[Any], *, out: None = None,  # type: ignore[overload-overlap]
                threads: int | None = None) -> pd.Series[float]: ...
@overload
def get_cal_ttx(from_: _Datetimes, to: _Datetimes, *, out: _FloatArray | None = None,
                threads: int | None = None) -> _FloatArray: ...
