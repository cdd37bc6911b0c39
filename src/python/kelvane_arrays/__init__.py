"""kelvane's functions over numpy arrays.

Every function here takes arrays where its namesake in `kelvane` takes
numbers, broadcasts them together by numpy's rule and returns an array of
the broadcast shape whose every element is, bit for bit, the scalar call on
that element's values. The work runs in C++ without the interpreter lock;
`threads=None` spreads a large array over the cores available to the
process, `threads=1` keeps it on the caller's thread, and no result depends
on the choice.

Inputs are numbers, sequences, numpy arrays of any real dtype and strides,
or pandas Series (a Series in gives a Series out, on its index; Series on
different indexes are refused rather than aligned). `out=` takes a float64
array of the broadcast shape, fills it and returns it. Option types are a
str or an array-like of str, read element by element as the scalar
functions read one.

Datetimes are numpy datetime64 arrays of any unit, pandas DatetimeIndex or
datetime Series, sequences of datetimes, or one datetime. A naive
datetime64 or pandas value is read as UTC, as numpy and pandas read it; a
datetime object (aware, or naive in the process's local time zone) is read
through its timestamp(), exactly as the `kelvane.Calendar` methods read it.
A datetime64 element is taken to the whole microsecond (floored, as
converting it to a `datetime.datetime` does); NaT gives NaN.
"""
from __future__ import annotations

import os as _os
import sys as _sys
from collections.abc import Sequence as _Sequence
from typing import Any, Union, overload

import numpy as np
import numpy.typing as npt

import kelvane as _kelvane

from . import _native

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

if _sys.version_info >= (3, 13):  # pragma: no cover - depends on the interpreter
    _CORES = _os.process_cpu_count() or 1
elif hasattr(_os, "sched_getaffinity"):
    _CORES = len(_os.sched_getaffinity(0))
else:  # pragma: no cover
    _CORES = _os.cpu_count() or 1

# A call starts threads only when its work would take at least this long
# on one: starting and joining a thread costs some tens of microseconds.
_PARALLEL_WORK_NS = 250_000

# Nanoseconds an element of each kind of work takes, about, on one core.
_COST_NS = {"codes": 5, "price": 60, "solve": 600, "smile": 80, "bus": 80, "cal": 30}

# The native loops start at most this many threads, whatever they are asked.
_MAX_THREADS = 256

_F64 = np.dtype(np.float64)
_REAL_KINDS = "biuf"

# datetime64 units and the codes the native loops know them by; 0 is a
# float64 timestamp.
_TIMESTAMP = 0
_TIME_UNITS = {"W": 1, "D": 2, "h": 3, "m": 4, "s": 5, "ms": 6, "us": 7, "ns": 8, "ps": 9, "fs": 10, "as": 11}

_SMILE_KINDS = {_kelvane.GVVSpline: "GVVSpline", _kelvane.VolGeo: "VolGeo", _kelvane.CubicSpline: "CubicSpline"}

ArrayLike = npt.ArrayLike
FloatArray = npt.NDArray[np.float64]
Smile = Union[_kelvane.GVVSpline, _kelvane.VolGeo, _kelvane.CubicSpline]


# ---- inputs ------------------------------------------------------------


def _pandas() -> Any:
    return _sys.modules.get("pandas")


def _common_index(values: tuple[Any, ...]) -> Any:
    """The index of the Series among the inputs, or None; Series on
    different indexes are an error, never aligned."""
    pd = _pandas()
    if pd is None:
        return None
    index = None
    for value in values:
        if isinstance(value, pd.Series):
            if index is None:
                index = value.index
            elif value.index is not index and not value.index.equals(index):
                raise ValueError("Series inputs must share one index: they are not aligned, and kelvane_arrays "
                                 "does not align them; reindex them first")
    return index


def _floats(value: Any, name: str) -> Any:
    """`value` as float64 operands go to the native loops: a Python float,
    or a float64 array of native byte order (any strides), converted as
    np.asarray(value, dtype=np.float64) would."""
    if type(value) is float:
        return value
    if type(value) is np.ndarray and value.dtype is _F64:
        return value
    if isinstance(value, (int, float)) and not isinstance(value, np.generic):
        return float(value)
    pd = _pandas()
    if pd is not None and isinstance(value, (pd.Series, pd.Index)):
        value = value.to_numpy()
    try:
        array = np.asarray(value)
    except (TypeError, ValueError) as error:
        raise TypeError(f"argument '{name}': {error}") from error
    kind = array.dtype.kind
    if kind == "f" and array.dtype.itemsize == 8 and array.dtype.isnative:
        return array
    if kind in _REAL_KINDS:
        return array.astype(np.float64)
    if kind == "O":
        try:
            return array.astype(np.float64)
        except (TypeError, ValueError) as error:
            raise TypeError(f"argument '{name}': {error}") from error
    raise TypeError(f"argument '{name}': expected real numbers, got an array of {array.dtype}")


def _option_codes(call_put: Any, threads: Any) -> Any:
    """One byte per option type (0 a call, 1 a put), or an int for a str;
    every element read as the scalar functions read call_put."""
    if isinstance(call_put, str):
        return _native.option_types(call_put, 1)
    pd = _pandas()
    if pd is not None and isinstance(call_put, (pd.Series, pd.Index)):
        call_put = call_put.to_numpy()
    if isinstance(call_put, np.ndarray):
        array = call_put
        if array.dtype.kind == "U" and not array.dtype.isnative:
            array = array.astype(array.dtype.newbyteorder("="))
        shape = array.shape
    elif isinstance(call_put, (list, tuple)):
        if any(isinstance(item, (list, tuple, np.ndarray)) for item in call_put):
            try:
                array = np.array(call_put, dtype=object)
            except ValueError as error:
                raise ValueError(f"argument 'call_put': {error}") from error
            shape = array.shape
        else:
            array = call_put
            shape = (len(call_put),)
    else:
        # Anything else is refused by the native reader with the scalar
        # conversion's TypeError.
        return _native.option_types(call_put, 1)
    codes = _native.option_types(array, _threads(threads, array.size if isinstance(array, np.ndarray) else 1,
                                                 "codes"))
    if len(shape) == 1:
        return codes  # a one-dimensional buffer of its own: no array needed
    return np.frombuffer(codes, dtype=np.uint8).reshape(shape)


def _shape_of(value: Any) -> tuple[int, ...]:
    if isinstance(value, np.ndarray):
        return value.shape
    if isinstance(value, bytearray):
        return (len(value),)
    return ()


def _broadcast_shape(operands: tuple[Any, ...]) -> tuple[int, ...]:
    """numpy's broadcast shape of the operands; inputs of one shape (and
    scalars), the usual case, without asking numpy."""
    shape: tuple[int, ...] | None = None
    for value in operands:
        if type(value) is float or type(value) is int:
            continue
        this = _shape_of(value)
        if shape is None:
            shape = this
        elif this != shape:
            return np.broadcast_shapes(*(_shape_of(v) for v in operands))
    return () if shape is None else shape


class _Datetime64Item:
    """A datetime64 item of a sequence of datetime objects, read through the
    timestamp of its whole microseconds like a datetime64 array's element."""

    __slots__ = ("_stamp",)

    def __init__(self, stamp: float) -> None:
        self._stamp = stamp

    def timestamp(self) -> float:
        return self._stamp

    @staticmethod
    def of(item: np.datetime64) -> Any:
        if np.isnat(item):
            return _NAT
        # int / int is correctly rounded: the timestamp of the aware datetime.
        return _Datetime64Item(int(item.astype("M8[us]").astype(np.int64)) / 10**6)


# "Not a time" among datetime objects.
_NAT = object()


def _instants(value: Any, name: str) -> tuple[Any, int]:
    """`value` as the native loops take instants: (an int64 view of a
    datetime64 array, its unit's code), or (float64 timestamps, a
    timestamp code)."""
    pd = _pandas()
    if pd is not None and isinstance(value, (pd.Series, pd.Index)):
        values = value.array
        if value.dtype.kind == "M" and hasattr(values, "asi8"):
            # The int64 counts behind the datetimes: UTC for aware ones, the
            # wall time (read as UTC) for naive ones.
            return values.asi8, _TIME_UNITS[getattr(values, "unit", "ns")]
        value = value.to_numpy()
    if isinstance(value, np.datetime64):
        value = np.asarray(value)
    elif pd is not None and value is pd.NaT:
        value = np.asarray(np.datetime64("NaT", "us"))
    if isinstance(value, (list, tuple)) and any(isinstance(item, np.datetime64) for item in value):
        converted = np.asarray(value)
        if converted.dtype.kind == "M":
            value = converted
        else:  # datetime64 items among datetime objects: each as its own array's element would be
            value = [_Datetime64Item.of(item) if isinstance(item, np.datetime64) else item for item in value]
    if isinstance(value, np.ndarray) and value.dtype.kind == "M":
        unit, count = np.datetime_data(value.dtype)
        if unit in ("Y", "M"):
            value = value.astype("M8[D]")  # exact: whole months and years are whole days
        elif unit == "generic":
            value = value.astype("M8[us]")
        elif count != 1:
            value = value.astype(f"M8[{unit}]")
        unit = np.datetime_data(value.dtype)[0]
        if not value.dtype.isnative:
            value = value.astype(value.dtype.newbyteorder("="))
        return value.view(np.int64), _TIME_UNITS[unit]
    nat = (_NAT,) if pd is None else (_NAT, pd.NaT)
    if isinstance(value, np.ndarray):
        if value.dtype.kind != "O":
            raise TypeError(f"argument '{name}': expected datetimes, got an array of {value.dtype}")
        stamps, code = _native.timestamps(value.ravel(), name, nat)
        return np.frombuffer(stamps, dtype=np.float64).reshape(value.shape), code
    if isinstance(value, (list, tuple)):
        stamps, code = _native.timestamps(value, name, nat)
        return np.frombuffer(stamps, dtype=np.float64), code
    if isinstance(value, (str, bytes)) or not hasattr(value, "timestamp"):
        raise TypeError(f"argument '{name}': expected datetimes, got {type(value).__qualname__}")
    # One datetime: its errors pass through unchanged, as the scalar
    # methods' do.
    stamps, code = _native.timestamps((value,), None, nat)
    return np.frombuffer(stamps, dtype=np.float64).reshape(()), code


def _threads(threads: Any, size: int, work: str) -> int:
    if threads is None:
        if _CORES > 1 and size * _COST_NS[work] >= _PARALLEL_WORK_NS:
            return _CORES
        return 1
    if isinstance(threads, bool) or not isinstance(threads, int):
        raise TypeError(f"argument 'threads': expected an int or None, got {type(threads).__qualname__}")
    if threads < 1:
        raise ValueError(f"argument 'threads': must be at least 1, got {threads}")
    return min(threads, _MAX_THREADS)


def _memory_bytes() -> int:
    try:
        return int(_os.sysconf("SC_PAGE_SIZE")) * int(_os.sysconf("SC_PHYS_PAGES"))
    except (AttributeError, ValueError, OSError):  # pragma: no cover - not on Linux
        return _sys.maxsize


# The memory of the machine: an output larger than that is refused before
# anything is asked of the allocator.
_MEMORY_BYTES = _memory_bytes()


def _empty(shape: tuple[int, ...]) -> FloatArray:
    if _size(shape) > _MEMORY_BYTES // 8:
        raise MemoryError(f"an output of shape {shape} would need {_size(shape) * 8:,} bytes, more than this "
                          f"machine's {_MEMORY_BYTES:,}")
    return np.empty(shape)


def _output(out: Any, shape: tuple[int, ...], inputs: tuple[Any, ...]) -> tuple[FloatArray, tuple[Any, ...]]:
    """The array to fill, and the inputs, copied where they overlap a
    caller's `out` other than element for element."""
    if out is None:
        return _empty(shape), inputs
    if not isinstance(out, np.ndarray):
        raise TypeError(f"argument 'out': expected a numpy array, got {type(out).__qualname__}")
    if out.dtype != _F64 or not out.dtype.isnative:
        raise TypeError(f"argument 'out': expected dtype float64, got {out.dtype}")
    if out.shape != shape:
        raise ValueError(f"argument 'out': expected shape {shape}, got {out.shape}")
    if not out.flags.writeable:
        raise ValueError("argument 'out': the array is read-only")
    kept = []
    for value in inputs:
        if isinstance(value, np.ndarray) and np.may_share_memory(value, out):
            same_walk = (value.shape == out.shape and value.strides == out.strides
                         and value.__array_interface__["data"][0] == out.__array_interface__["data"][0])
            if not same_walk:
                value = value.copy()
        kept.append(value)
    return out, tuple(kept)


def _size(shape: tuple[int, ...]) -> int:
    if len(shape) == 1:
        return shape[0]
    size = 1
    for extent in shape:
        size *= extent
    return size


def _result(out: FloatArray, given: Any, index: Any) -> Any:
    if given is not None:
        return given
    if index is not None:
        return _pandas().Series(out, index=index, copy=False)
    if out.ndim == 0:
        return out[()]
    return out


# ---- pricing -----------------------------------------------------------


def _priced(native: Any, work: str, numbers: tuple[Any, ...], names: tuple[str, ...], call_put: Any,
            out: Any, threads: Any) -> Any:
    index = _common_index(numbers + (call_put,)) if _pandas() is not None else None
    codes = _option_codes(call_put, threads)
    a, b, c, d, e = numbers
    operands = (_floats(a, names[0]), _floats(b, names[1]), _floats(c, names[2]), _floats(d, names[3]),
                _floats(e, names[4]))
    shape = _broadcast_shape((codes,) + operands)
    target, operands = _output(out, shape, operands)
    native(target, _threads(threads, _size(shape), work), codes, *operands)
    return _result(target, out, index)


def _plain(native: Any, numbers: tuple[Any, ...], out: Any, threads: Any) -> Any:
    index = _common_index(numbers) if _pandas() is not None else None
    operands = tuple(_floats(value, name) for value, name in zip(numbers, _PLAIN_NAMES))
    shape = _broadcast_shape(operands)
    target, operands = _output(out, shape, operands)
    native(target, _threads(threads, _size(shape), "price"), *operands)
    return _result(target, out, index)


_OPTION_NAMES = ("fwd", "strike", "ttx", "vol", "df")
_PLAIN_NAMES = ("fwd", "strike", "ttx", "vol", "df")
_CALIBRATION_NAMES = ("ttx", "fwd", "strike", "price", "df")


def b76_fairvalue(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                  df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """Black-76 value of each option: kelvane.b76_fairvalue element by element."""
    small = _native.small_b76_fairvalue(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.b76_fairvalue, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def b76_delta(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
              df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """kelvane.b76_delta element by element."""
    small = _native.small_b76_delta(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.b76_delta, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out, threads)


def b76_vega(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, df: ArrayLike = 1.0, *,
             out: FloatArray | None = None, threads: int | None = None) -> Any:
    """kelvane.b76_vega element by element."""
    small = _native.small_b76_vega(fwd, strike, ttx, vol, df, out, threads)
    if small is not None:
        return small
    return _plain(_native.b76_vega, (fwd, strike, ttx, vol, df), out, threads)


def b76_gamma(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, df: ArrayLike = 1.0, *,
              out: FloatArray | None = None, threads: int | None = None) -> Any:
    """kelvane.b76_gamma element by element."""
    small = _native.small_b76_gamma(fwd, strike, ttx, vol, df, out, threads)
    if small is not None:
        return small
    return _plain(_native.b76_gamma, (fwd, strike, ttx, vol, df), out, threads)


def binary_fairvalue(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                     df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """kelvane.binary_fairvalue element by element."""
    small = _native.small_binary_fairvalue(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_fairvalue, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def binary_vega(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """kelvane.binary_vega element by element."""
    small = _native.small_binary_vega(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_vega, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def binary_delta(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                 df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """kelvane.binary_delta element by element."""
    small = _native.small_binary_delta(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_delta, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def binary_gamma(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                 df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """kelvane.binary_gamma element by element."""
    small = _native.small_binary_gamma(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_gamma, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def binary_speed(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                 df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """kelvane.binary_speed element by element."""
    small = _native.small_binary_speed(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_speed, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def binary_theta(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                 df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """kelvane.binary_theta element by element."""
    small = _native.small_binary_theta(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_theta, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def calibrate_black76_iv(ttx: ArrayLike, fwd: ArrayLike, strike: ArrayLike, price: ArrayLike, call_put: Any,
                         df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """kelvane.calibrate_black76_iv element by element: implied vols to about
    1e-4, NaN where the price is not bracketed."""
    small = _native.small_calibrate_black76_iv(ttx, fwd, strike, price, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.calibrate_black76_iv, "solve", (ttx, fwd, strike, price, df), _CALIBRATION_NAMES,
                   call_put, out, threads)


# ---- smiles ------------------------------------------------------------


def _smile_state(smile: Any) -> tuple[str, dict[str, float]]:
    for cls, kind in _SMILE_KINDS.items():
        if isinstance(smile, cls):
            return kind, smile.get_param_dict()
    raise TypeError(f"argument 'smile': expected a GVVSpline, VolGeo or CubicSpline, got "
                    f"{type(smile).__qualname__}")


def get_vol(smile: Smile, ttx: ArrayLike, spot: ArrayLike, strikes: ArrayLike, *, out: FloatArray | None = None,
            threads: int | None = None) -> Any:
    """The smile's volatility (a fraction) at every (ttx, spot, strike) of the
    broadcast: element (t, s, k) is smile.get_vol(t, s, [k])[0]."""
    small = _native.small_get_vol(smile, ttx, spot, strikes, out, threads)
    if small is not None:
        return small
    kind, params = _smile_state(smile)
    index = _common_index((ttx, spot, strikes))
    operands = (_floats(ttx, "ttx"), _floats(spot, "spot"), _floats(strikes, "strikes"))
    shape = _broadcast_shape(operands)
    target, operands = _output(out, shape, operands)
    _native.get_vol(kind, params, target, _threads(threads, _size(shape), "smile"), *operands)
    return _result(target, out, index)


def get_jacobian(smile: Smile, ttx: float, spot: float, strikes: ArrayLike, params: _Sequence[str]) -> FloatArray:
    """d vol / d parameter at each strike: an array of shape (len(strikes),
    len(params)) whose column j is smile.get_jacobian(ttx, spot, strikes,
    params)[params[j]], the shape least_squares takes as `jac`."""
    kind, values = _smile_state(smile)
    column = _floats(strikes, "strikes")
    if np.ndim(column) != 1:
        raise ValueError(f"argument 'strikes': expected one dimension, got {np.ndim(column)}")
    if isinstance(params, str):
        raise TypeError("argument 'params': Can't extract `str` to `Vec`")
    names = list(params)
    target = _empty((len(column), len(names)))
    _native.get_jacobian(kind, values, ttx, spot, column, names, target)
    return target


# ---- business and calendar time ------------------------------------------


def _interval(native: Any, leading: tuple[Any, ...], work: str, from_: Any, to: Any, out: Any,
              threads: Any) -> Any:
    index = _common_index((from_, to))
    start, start_unit = _instants(from_, "from_")
    end, end_unit = _instants(to, "to")
    shape = _broadcast_shape((start, end))
    target, (start, end) = _output(out, shape, (start, end))
    # A caller's out is written only once every element is known to have
    # an instant: the loops check the whole interval first.
    native(*leading, target, _threads(threads, _size(shape), work), start, start_unit, end, end_unit,
           out is not None)
    return _result(target, out, index)


def get_bus_ttx(underlying: str, from_: Any, to: Any, *, out: FloatArray | None = None,
                threads: int | None = None) -> Any:
    """Business years from each `from_` to each `to` on the calendar of
    `underlying`: kelvane.Calendar(underlying).get_bus_ttx element by
    element (each underlying's calendar is built once per process)."""
    small = _native.small_get_bus_ttx(underlying, from_, to, out, threads)
    if small is not None:
        return small
    if not isinstance(underlying, str):
        raise TypeError(f"argument 'underlying': '{type(underlying).__qualname__}' object is not an instance "
                        f"of 'str'")
    return _interval(_native.bus_ttx, (underlying,), "bus", from_, to, out, threads)


def get_cal_ttx(from_: Any, to: Any, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """Calendar years (seconds / (365 x 86400)) from each `from_` to each
    `to`: kelvane.Calendar.get_cal_ttx element by element."""
    small = _native.small_get_cal_ttx(from_, to, out, threads)
    if small is not None:
        return small
    return _interval(_native.cal_ttx, (), "cal", from_, to, out, threads)

