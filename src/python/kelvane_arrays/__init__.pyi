"""kelvane's functions over numpy arrays.

Every function here takes arrays where its namesake in `kelvane` takes
numbers, broadcasts them together by numpy's rule and returns an array of
the broadcast shape whose every element is, bit for bit, the scalar call on
that element's values. The work runs in C++ without the interpreter lock;
`threads=None` spreads a large array over the cores available to the
process, `threads=1` keeps it on the caller's thread, and no result depends
on the choice.

Inputs are numbers, sequences, numpy arrays of any real dtype and strides,
masked arrays (a masked array out, its masked elements not computed),
pandas Series (a Series in gives a Series out, on its index; Series on
different indexes are refused rather than aligned), polars Series (a
polars Series out, named as the first) or pyarrow arrays. An element the
scalar float conversion refuses (None, a str, a missing value) is refused
with its position. `out=` takes a float64 array of the broadcast shape,
fills it and returns it. Option types are a str or any container of str,
read element by element as the scalar functions read one.

Datetimes are numpy datetime64 arrays of any unit, pandas DatetimeIndex or
datetime Series, sequences of datetimes, or one datetime. A naive
datetime64 or pandas value is read as UTC, as numpy and pandas read it; a
datetime object (aware, or naive in the process's local time zone) is read
through its timestamp(), exactly as the `kelvane.Calendar` methods read it.
A datetime64 element is taken to the whole microsecond (floored, as
converting it to a `datetime.datetime` does); NaT gives NaN.
"""

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
def b76_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Black-76 value of each option: `kelvane.b76_fairvalue` element by element.

    Call: D·(F·N(d1) − K·N(d2)); put: D·(K·N(−d2) − F·N(−d1)).
    With s = σ√T, d1 = (ln(F/K) + σ²T/2)/s and d2 = d1 − s; φ and N are the
    standard normal density and distribution function.
    A non-positive `ttx` or `vol` gives the discounted intrinsic value.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        ttx: Times to expiry T, in years.
        vol: Volatilities σ, annualised fractions (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p" in any letter case: one str for
            every option, or an array-like of them (a list, a numpy array of
            str or object, a Series).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, in price units; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: `call_put[1]: Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.`, naming the element; arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'fwd': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.b76_fairvalue(100.0, [90.0, 100.0, 110.0], 0.5, 0.25, "put")
        array([ 2.84115867,  7.04319777, 13.44121471])
    """

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
def b76_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Black-76 delta of each option as kelvane defines it: `kelvane.b76_delta`
    element by element.

    D·φ(d1)/(F·σ·√T), + for a call and − for a put: not the textbook D·N(d1).
    With s = σ√T, d1 = (ln(F/K) + σ²T/2)/s and d2 = d1 − s; φ and N are the
    standard normal density and distribution function.
    A non-positive `ttx` or `vol` gives +0.0.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        ttx: Times to expiry T, in years.
        vol: Volatilities σ, annualised fractions (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p" in any letter case: one str for
            every option, or an array-like of them (a list, a numpy array of
            str or object, a Series).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: `call_put[1]: Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.`, naming the element; arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'fwd': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.b76_delta(100.0, 100.0, 1.0, 0.2, ["call", "put"])
        array([ 0.01984763, -0.01984763])
    """

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
def b76_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Black-76 vega of each option: `kelvane.b76_vega` element by element.

    √T·F·D·φ(d1), the change of value per 1.0 of vol (100 vol points), the same
    for calls and puts.
    With s = σ√T, d1 = (ln(F/K) + σ²T/2)/s and d2 = d1 − s; φ and N are the
    standard normal density and distribution function.
    A non-positive `ttx` or `vol` gives +0.0.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        ttx: Times to expiry T, in years.
        vol: Volatilities σ, annualised fractions (0.25 is 25 %).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, in price units per 1.0 of vol; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'fwd': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.b76_vega(100.0, [90.0, 100.0, 110.0], 1.0, 0.2)
        array([32.77909343, 39.69525475, 37.16384437])
    """

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
def b76_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Black-76 gamma of each option as kelvane defines it: `kelvane.b76_gamma`
    element by element.

    D·φ(d1)/(F²·σ·√T): the textbook gamma divided by F once more.
    With s = σ√T, d1 = (ln(F/K) + σ²T/2)/s and d2 = d1 − s; φ and N are the
    standard normal density and distribution function.
    A non-positive `ttx` or `vol` gives +0.0.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        ttx: Times to expiry T, in years.
        vol: Volatilities σ, annualised fractions (0.25 is 25 %).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'fwd': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.b76_gamma(100.0, 100.0, [0.5, 1.0], 0.2)
        array([0.00028139, 0.00019848])
    """

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
def binary_fairvalue(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Value of each binary (cash-or-nothing) option: `kelvane.binary_fairvalue`
    element by element.

    D·N(d) for a call, D·N(−d) for a put, paying 1 at expiry in the money.
    A non-positive `ttx` or `vol` gives D when in the money at the forward
    (a call when F > K, a put when F < K), else 0.
    With s = σ√T and d = ln(F/K)/s (no drift term), the binary call is worth
    D·N(d) and the put D·N(−d); a put's greek is the call's with its sign flipped.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        ttx: Times to expiry T, in years.
        vol: Volatilities σ, annualised fractions (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p" in any letter case: one str for
            every option, or an array-like of them (a list, a numpy array of
            str or object, a Series).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, in units of the cash amount; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: `call_put[1]: Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.`, naming the element; arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'fwd': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.binary_fairvalue(100.0, [90.0, 110.0], 0.5, 0.3, "call", 0.98)
        array([0.67648479, 0.32007671])
    """

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
def binary_vega(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Binary vega of each option: `kelvane.binary_vega` element by element.

    ∂V/∂σ = −D·d·φ(d)/σ for a call, per 1.0 of vol. A non-positive `ttx` or
    `vol` gives +0.0.
    With s = σ√T and d = ln(F/K)/s (no drift term), the binary call is worth
    D·N(d) and the put D·N(−d); a put's greek is the call's with its sign flipped.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        ttx: Times to expiry T, in years.
        vol: Volatilities σ, annualised fractions (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p" in any letter case: one str for
            every option, or an array-like of them (a list, a numpy array of
            str or object, a Series).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, in cash units per 1.0 of vol; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: `call_put[1]: Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.`, naming the element; arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'fwd': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.binary_vega(100.0, [90.0, 110.0], 0.5, 0.3, "call", 0.98)
        array([-0.57216263,  0.52931351])
    """

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
def binary_delta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Binary delta of each option: `kelvane.binary_delta` element by element.

    ∂V/∂F = D·φ(d)/(F·σ·√T) for a call. A non-positive `ttx` or `vol` gives
    +0.0.
    With s = σ√T and d = ln(F/K)/s (no drift term), the binary call is worth
    D·N(d) and the put D·N(−d); a put's greek is the call's with its sign flipped.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        ttx: Times to expiry T, in years.
        vol: Volatilities σ, annualised fractions (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p" in any letter case: one str for
            every option, or an array-like of them (a list, a numpy array of
            str or object, a Series).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, in cash units per unit of forward; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: `call_put[1]: Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.`, naming the element; arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'fwd': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.binary_delta(100.0, [90.0, 110.0], 0.5, 0.3, "call", 0.98)
        array([0.01629157, 0.01666077])
    """

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
def binary_gamma(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Binary gamma of each option: `kelvane.binary_gamma` element by element.

    ∂²V/∂F² = −D·φ(d)·(1 + d/s)/(F²·s) for a call. A non-positive `ttx` or
    `vol` gives +0.0.
    With s = σ√T and d = ln(F/K)/s (no drift term), the binary call is worth
    D·N(d) and the put D·N(−d); a put's greek is the call's with its sign flipped.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        ttx: Times to expiry T, in years.
        vol: Volatilities σ, annualised fractions (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p" in any letter case: one str for
            every option, or an array-like of them (a list, a numpy array of
            str or object, a Series).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, in cash units per unit of forward squared; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: `call_put[1]: Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.`, naming the element; arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'fwd': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.binary_gamma(100.0, [90.0, 110.0], 0.5, 0.3, "call", 0.98)
        array([-0.00054436,  0.00018627])
    """

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
def binary_speed(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Binary speed of each option: `kelvane.binary_speed` element by element.

    ∂³V/∂F³ = D·φ(d)·((d/s + 1)(d/s + 2) − 1/s²)/(F³·s) for a call. A
    non-positive `ttx` or `vol` gives +0.0.
    With s = σ√T and d = ln(F/K)/s (no drift term), the binary call is worth
    D·N(d) and the put D·N(−d); a put's greek is the call's with its sign flipped.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        ttx: Times to expiry T, in years.
        vol: Volatilities σ, annualised fractions (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p" in any letter case: one str for
            every option, or an array-like of them (a list, a numpy array of
            str or object, a Series).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, in cash units per unit of forward cubed; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: `call_put[1]: Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.`, naming the element; arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'fwd': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.binary_speed(100.0, [90.0, 110.0], 0.5, 0.3, "call", 0.98)
        array([-1.25710493e-05, -3.68041193e-05])
    """

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
def binary_theta(fwd: _Numbers, strike: _Numbers, ttx: _Numbers, vol: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Binary theta of each option: `kelvane.binary_theta` element by element.

    −∂V/∂T = D·d·φ(d)/(2T) for a call, per year (not per day), D held fixed.
    A non-positive `ttx` or `vol` gives +0.0.
    With s = σ√T and d = ln(F/K)/s (no drift term), the binary call is worth
    D·N(d) and the put D·N(−d); a put's greek is the call's with its sign flipped.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        ttx: Times to expiry T, in years.
        vol: Volatilities σ, annualised fractions (0.25 is 25 %).
        call_put: "call"/"c" or "put"/"p" in any letter case: one str for
            every option, or an array-like of them (a list, a numpy array of
            str or object, a Series).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, in cash units per year; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: `call_put[1]: Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.`, naming the element; arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'fwd': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.binary_theta(100.0, [90.0, 110.0], 0.5, 0.3, "call", 0.98)
        array([ 0.17164879, -0.15879405])
    """

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
def calibrate_black76_iv(ttx: _Numbers, fwd: _Numbers, strike: _Numbers, price: _Numbers, call_put: _OptionTypes, df: _Numbers = 1.0, *, out: _FloatArray | None = None, threads: int | None = None) -> _FloatArray:
    """Black-76 implied vol of each option: `kelvane.calibrate_black76_iv`
    element by element.

    The σ at which the Black-76 value is `price`, by Brent's method between
    0.01 and 10.0, to about 1e-4 (the scalar solver's accuracy; the array
    peers iterate to about 1e-12); NaN where the price is not bracketed by the
    values at σ = 0.01 and σ = 10. Note the argument order: `ttx` first, and
    `price` where the pricing functions take `vol`.
    The arguments broadcast together by numpy's rule and every element of the
    result is, bit for bit, the scalar call on that element's values, so a
    degenerate or NaN element gives what the scalar function gives.

    Args:
        ttx: Times to expiry T, in years.
        fwd: Forwards F, in the underlying's price units.
        strike: Strikes K, in the same units.
        price: Discounted option prices, in price units.
        call_put: "call"/"c" or "put"/"p" in any letter case: one str for
            every option, or an array-like of them (a list, a numpy array of
            str or object, a Series).
        df: Discount factors D to expiry, which multiply the results (default
            1.0).
        out: A float64 array of the broadcast shape to fill and return instead
            of a new one; nothing is written to it when an argument fails.
        threads: None (the default) spreads a call over every core available
            to the process once it is large enough to pay for starting
            threads; 1 keeps it on the caller's thread (as a dask or
            multiprocessing worker should); N uses up to N. No result depends
            on it.

    Returns:
        A float64 array of the broadcast shape, annualised fractions; a numpy float64 when
        every argument is a scalar; a pandas Series on the inputs' index when
        any of them is a Series; `out` itself when it is given.

    Raises:
        ValueError: `call_put[1]: Unknown option type: 'calls'. Use 'call'/'c' or
            'put'/'p'.`, naming the element; arguments that do not broadcast together
            (numpy's message); `Series inputs must share one index: they are
            not aligned, and kelvane_arrays does not align them; reindex them
            first`; `argument 'out': expected shape (3,), got (2,)`;
            `argument 'threads': must be at least 1, got 0`.
        TypeError: an argument that is not real numbers, named: `argument
            'ttx': expected real numbers, got an array of <U1`; `argument
            'out': expected dtype float64, got float32`.
        MemoryError: an output larger than the machine's memory, refused
            before anything is allocated.

    Examples:
        >>> kelvane_arrays.calibrate_black76_iv(1.0, 100.0, 100.0, [7.965567455405804, 200.0], "call")
        array([0.20001446,        nan])
    """

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
    """The Black-76 greeks of each option in one pass: a dict of greek name
    to array, a pandas DataFrame for pandas Series, a polars DataFrame for
    polars Series (masked arrays are refused). The greeks, in order: value, delta,
    gamma, vega, theta, rho, vanna, volga, charm, veta, speed, zomma, color,
    ultima, dual_delta, dual_gamma; vol derivatives per 1.0 of vol, time
    derivatives per year of ttx, rho along r with df = exp(-r ttx). value
    and vega are kelvane.b76_fairvalue and kelvane.b76_vega bit for bit; at a
    degenerate expiry each greek is its limit as vol*sqrt(ttx) -> 0 (the
    stub and docs/arrays.md give the formulas and the limits). `greeks`
    chooses greeks and their order; `out` maps greek names to the caller's
    arrays, and its keys choose the greeks when `greeks` is None.
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
    """Black-76 implied vol of each price to the precision the price allows:
    0.0 at the lower bound, inf at the upper bound, NaN beyond either.
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
                 params: list[str] | tuple[str, ...], *, threads: int | None = None) -> _FloatArray:
    """d vol / d parameter at each strike, as the array `least_squares` takes as `jac`.

    Column j is `smile.get_jacobian(ttx, spot, strikes, params)[params[j]]`,
    bit for bit: forward differences with a bump of 0.01 in the parameter's
    own units, d(vol as a fraction)/d(parameter); multiply by 100 for a fit in
    vol points. A name the model does not have gives a column of zeros (NaN
    where the vol is NaN).

    Args:
        smile: A `kelvane.GVVSpline`, `VolGeo` or `CubicSpline`.
        ttx: The time to expiry, in years (one number).
        spot: The spot (or forward), in price units (one number).
        strikes: A one-dimensional array-like of strikes, in price units.
        params: A list or tuple of parameter names (not a str); a name given
            twice gives two equal columns.
        threads: None (the default) spreads the strikes over every core
            available to the process once there are enough of them; 1 keeps
            the call on the caller's thread; N uses up to N. No result
            depends on it.

    Returns:
        A float64 array of shape (len(strikes), len(params)); a masked array
        when `strikes` is one, its masked rows not computed and holding 0.0.

    Raises:
        TypeError: `argument 'smile': expected a GVVSpline, VolGeo or
            CubicSpline, got dict`; `argument 'params': Can't extract `str` to
            `Vec``; strikes that are not real numbers, named.
        ValueError: `argument 'strikes': expected one dimension, got 2`.

    Examples:
        >>> kelvane_arrays.get_jacobian(smile, 0.25, 100.0, [90.0, 100.0, 110.0], smile.get_fitting_params()).shape
        (3, 3)
    """
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
