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
    "b76_implied_vol",
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
def b76_implied_vol(ttx: _Scalar, fwd: _Scalar, strike: _Scalar, price: _Scalar, call_put: str, df: _Scalar = 1.0, *, out: None = None, threads: int | None = None) -> np.float64: ...  # type: ignore[overload-overlap]
@overload
def b76_implied_vol(ttx: pd.Series[Any], fwd: _Numbers | pd.Series[Any], strike: _Numbers | pd.Series[Any], price: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_implied_vol(ttx: _Numbers, fwd: pd.Series[Any], strike: _Numbers | pd.Series[Any], price: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_implied_vol(ttx: _Numbers, fwd: _Numbers, strike: pd.Series[Any], price: _Numbers | pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_implied_vol(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: pd.Series[Any], call_put: _OptionTypes, df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_implied_vol(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: _Numbers, call_put: pd.Series[str], df: _Numbers | pd.Series[Any] = 1.0, *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_implied_vol(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: _Numbers, call_put: _OptionTypes, df: pd.Series[Any], *, out: None = None, threads: int | None = None) -> pd.Series[float]: ...  # type: ignore[overload-overlap]
@overload
def b76_implied_vol(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Black-76 implied vol of each price, to the precision the price allows.

    The result is within 32 eps (1 + kappa) of the exact vol of the double
    price, eps = 2**-52 and kappa = price / (vol * vega) the condition number
    of the inversion, for any total vol and moneyness. A price at the lower
    bound D*max(F - K, 0) (call) or D*max(K - F, 0) (put) gives 0.0, at the
    upper bound D*F (call) or D*K (put) inf, beyond either NaN; so do
    ttx, fwd, strike or df not positive and finite, and a NaN price.
    calibrate_black76_iv, by contrast, searches [0.01, 10] to about 1e-4
    and gives NaN outside it.
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
