"""kelvane's functions over numpy arrays.

A pandas Series in, at any position, gives a pandas Series out; a polars
Series (and no pandas one) a polars Series."""

import datetime
from collections.abc import Sequence
from typing import Any, overload

import numpy as np
import numpy.typing as npt
import pandas as pd
import polars as pl

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
_OptionTypes = (str | Sequence[str] | npt.NDArray[np.str_] | npt.NDArray[np.object_] | pd.Series[str] | pd.Series[Any]
                | pl.Series)
_Smile = GVVSpline | VolGeo | CubicSpline
_Datetimes = (datetime.datetime | np.datetime64 | npt.NDArray[np.datetime64] | pd.DatetimeIndex | pd.Series[Any]
              | pl.Series | Sequence[datetime.datetime])


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
def b76_fairvalue(fwd: pl.Series, strike: _Numbers | pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
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
def b76_delta(fwd: pl.Series, strike: _Numbers | pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: _Numbers, ttx: pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
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
def b76_vega(fwd: pl.Series, strike: _Numbers | pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_vega(fwd: _Numbers, strike: pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_vega(fwd: _Numbers, strike: _Numbers, ttx: pl.Series, vol: _Numbers | pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
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
def b76_gamma(fwd: pl.Series, strike: _Numbers | pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_gamma(fwd: _Numbers, strike: pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_gamma(fwd: _Numbers, strike: _Numbers, ttx: pl.Series, vol: _Numbers | pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def b76_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
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
def binary_fairvalue(fwd: pl.Series, strike: _Numbers | pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
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
def binary_vega(fwd: pl.Series, strike: _Numbers | pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: _Numbers, ttx: pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
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
def binary_delta(fwd: pl.Series, strike: _Numbers | pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: _Numbers, ttx: pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
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
def binary_gamma(fwd: pl.Series, strike: _Numbers | pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: _Numbers, ttx: pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
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
def binary_speed(fwd: pl.Series, strike: _Numbers | pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: _Numbers, ttx: pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_speed(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
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
def binary_theta(fwd: pl.Series, strike: _Numbers | pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: pl.Series, ttx: _Numbers | pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: _Numbers, ttx: pl.Series, vol: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def binary_theta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
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
=======
def calibrate_black76_iv(ttx: pl.Series, fwd: _Numbers | pl.Series, strike: _Numbers | pl.Series, price: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: pl.Series, strike: _Numbers | pl.Series, price: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: pl.Series, price: _Numbers | pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: pl.Series, call_put: _OptionTypes, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: _Numbers, call_put: pl.Series, df: _Numbers | pl.Series = 1.0, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: _Numbers, call_put: _OptionTypes, df: pl.Series, *, out: None = None, threads: int | None = None) -> pl.Series: ...  # type: ignore[overload-overlap]
@overload
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray: ...

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
def get_vol(smile: _Smile, ttx: pl.Series, spot: _Numbers | pl.Series, strikes: _Numbers | pl.Series, *,  # type: ignore[overload-overlap]
            out: None = None, threads: int | None = None) -> pl.Series: ...
@overload
def get_vol(smile: _Smile, ttx: _Numbers, spot: pl.Series, strikes: _Numbers | pl.Series, *,  # type: ignore[overload-overlap]
            out: None = None, threads: int | None = None) -> pl.Series: ...
@overload
def get_vol(smile: _Smile, ttx: _Numbers, spot: _Numbers, strikes: pl.Series, *,  # type: ignore[overload-overlap]
            out: None = None, threads: int | None = None) -> pl.Series: ...
@overload
def get_vol(smile: _Smile, ttx: _Numbers, spot: _Numbers, strikes: _Numbers, *, out: _FloatArray | None = None,
            threads: int | None = None) -> _FloatArray:
    """The smile's volatility at every (ttx, spot, strike) of the broadcast.

    Element (t, s, k) is `smile.get_vol(t, s, [k])[0]`, bit for bit: a
    fraction (0.25 is 25 %), NaN or infinite where the model's arithmetic
    gives it. A column of spots against a row of strikes gives a grid of
    every vol at every spot in one call.

    Args:
        smile: A `kelvane.GVVSpline`, `VolGeo` or `CubicSpline`; its parameters
            are read once, at the call.
        ttx: Times to expiry, in years.
        spot: Spots (or forwards), in price units.
        strikes: Strikes, in price units.
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, vols as fractions; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        TypeError: `argument 'smile': expected a GVVSpline, VolGeo or
            CubicSpline, got dict`; an argument that is not real numbers,
            named; `argument 'out': expected dtype float64, got float32`.
        ValueError: arguments that do not broadcast together (numpy's
            message); Series on different indexes; `out` of another shape;
            `threads` below 1.
        MemoryError: an output larger than the machine's memory.

    Examples:
        >>> smile = kelvane.VolGeo(datetime.datetime(2027, 3, 26, 8, tzinfo=datetime.timezone.utc), corr=-0.35, vvol=28.0)
        >>> kelvane_arrays.get_vol(smile, 0.25, [[90.0], [110.0]], [90.0, 100.0, 110.0]).shape
        (2, 3)
    """
# The parameter names as a list or tuple: a str, itself a sequence of str, is refused.
# Masked strikes give a masked array (a subclass of ndarray).
def get_jacobian(smile: _Smile, ttx: float, spot: float, strikes: _Numbers,
                 params: list[str] | tuple[str, ...], *, threads: int | None = None) -> _FloatArray: ...
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
def get_bus_ttx(underlying: str, from_: pl.Series, to: _Datetimes, *, out: None = None,  # type: ignore[overload-overlap]
                threads: int | None = None) -> pl.Series: ...
@overload
def get_bus_ttx(underlying: str, from_: _Datetimes, to: pl.Series, *, out: None = None,  # type: ignore[overload-overlap]
                threads: int | None = None) -> pl.Series: ...
@overload
def get_bus_ttx(underlying: str, from_: _Datetimes, to: _Datetimes, *, out: _FloatArray | None = None,
                threads: int | None = None) -> _FloatArray:
    """Business years from each `from_` to each `to` on the calendar of `underlying`.

    `kelvane.Calendar(underlying).get_bus_ttx` element by element, bit for
    bit: the difference of the two business-time coordinates (local year plus
    the fraction of its business weight elapsed). The calendar of each
    underlying is built once per process.

    Args:
        underlying: The calendar's underlying: "BTCUSDT".
        from_: Start instants: a numpy datetime64 array of any unit, a pandas
            DatetimeIndex or datetime Series, a sequence of datetimes, or one
            datetime. A naive datetime64 or pandas value is read as UTC, as
            numpy and pandas read it; a `datetime.datetime` through its
            `timestamp()` (aware: exact; naive: the process's local time),
            as the `kelvane.Calendar` methods read it. A datetime64 element is
            taken to the whole microsecond, floored; NaT gives NaN.
        to: End instants, likewise.
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, in business years; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        TypeError: `argument 'to': expected datetimes, got an array of
            float64`; `argument 'underlying': 'int' object is not an instance of 'str'`; `argument 'out': expected dtype float64, got
            float32`.
        ValueError: `from_[1]: Invalid timestamp` and the like, naming the
            element whose instant failed; arguments that do not broadcast;
            Series on different indexes; `out` of another shape; `threads`
            below 1. Nothing is written to `out` when an instant fails.
        MemoryError: an output larger than the machine's memory.
        ValueError: also `No embedded calendar for underlying: ETHUSDT`.

    Examples:
        >>> kelvane_arrays.get_bus_ttx("BTCUSDT", np.datetime64("2026-12-08T14:30"),
        ...                            np.array(["2027-03-26T08:00", "NaT"], dtype="datetime64[s]"))
        array([0.29706959,        nan])
    """
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
def get_cal_ttx(from_: pl.Series, to: _Datetimes, *, out: None = None,  # type: ignore[overload-overlap]
                threads: int | None = None) -> pl.Series: ...
@overload
def get_cal_ttx(from_: _Datetimes, to: pl.Series, *, out: None = None,  # type: ignore[overload-overlap]
                threads: int | None = None) -> pl.Series: ...
@overload
def get_cal_ttx(from_: _Datetimes, to: _Datetimes, *, out: _FloatArray | None = None,
                threads: int | None = None) -> _FloatArray:
    """Calendar years from each `from_` to each `to`: seconds / (365 × 86400).

    `kelvane.Calendar.get_cal_ttx` element by element, bit for bit: whole
    elapsed seconds, truncated toward zero, over a 365-day year.

    Args:
        from_: Start instants: a numpy datetime64 array of any unit, a pandas
            DatetimeIndex or datetime Series, a sequence of datetimes, or one
            datetime. A naive datetime64 or pandas value is read as UTC, as
            numpy and pandas read it; a `datetime.datetime` through its
            `timestamp()` (aware: exact; naive: the process's local time),
            as the `kelvane.Calendar` methods read it. A datetime64 element is
            taken to the whole microsecond, floored; NaT gives NaN.
        to: End instants, likewise.
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, in calendar years; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        TypeError: `argument 'to': expected datetimes, got an array of
            float64`; `argument 'out': expected dtype float64, got
            float32`.
        ValueError: `from_[1]: Invalid timestamp` and the like, naming the
            element whose instant failed; arguments that do not broadcast;
            Series on different indexes; `out` of another shape; `threads`
            below 1. Nothing is written to `out` when an instant fails.
        MemoryError: an output larger than the machine's memory.

    Examples:
        >>> kelvane_arrays.get_cal_ttx(np.datetime64("2026-12-08T14:30"), np.datetime64("2027-03-26T08:00"))
        np.float64(0.295148401826484)
    """
