"""Type stubs for kelvane_arrays: kelvane's functions over numpy arrays.

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
            threads: int | None = None) -> _FloatArray: ...
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
def get_cal_ttx(from_: pl.Series, to: _Datetimes, *, out: None = None,  # type: ignore[overload-overlap]
                threads: int | None = None) -> pl.Series: ...
@overload
def get_cal_ttx(from_: _Datetimes, to: pl.Series, *, out: None = None,  # type: ignore[overload-overlap]
                threads: int | None = None) -> pl.Series: ...
@overload
def get_cal_ttx(from_: _Datetimes, to: _Datetimes, *, out: _FloatArray | None = None,
                threads: int | None = None) -> _FloatArray: ...
