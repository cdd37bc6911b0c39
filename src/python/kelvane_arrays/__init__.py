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
    "b76_greeks",
    "b76_implied_vol",
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
_COST_NS = {"codes": 5, "price": 60, "greeks": 150, "solve": 600, "implied": 250, "smile": 80, "bus": 80, "cal": 30}

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


def _polars() -> Any:
    return _sys.modules.get("polars")


def _pyarrow() -> Any:
    return _sys.modules.get("pyarrow")


class _Labels:
    """What a result is given back as besides its numbers: a pandas Series on
    `index`, a polars Series named `polars_name`, or a masked array masked
    wherever an input is (`masks`, one per masked input, which
    _broadcast_shape combines into `mask` of the broadcast shape; the
    masked elements are left out of the computation)."""

    __slots__ = ("index", "polars", "polars_name", "masks", "mask", "keep", "full")

    def __init__(self) -> None:
        self.index: Any = None
        self.polars = False
        self.polars_name = ""
        self.masks: list[Any] = []
        self.mask: Any = None
        self.keep: Any = None
        self.full: Any = None

    def add(self, value: Any) -> None:
        masked_array = _masked_array_type()
        if masked_array is not None and isinstance(value, masked_array):
            self.masks.append(np.ma.getmaskarray(value))
            return
        pd = _pandas()
        if pd is not None and isinstance(value, pd.Series):
            if self.index is None:
                self.index = value.index
            elif value.index is not self.index and not value.index.equals(self.index):
                raise ValueError("Series inputs must share one index: they are not aligned, and kelvane_arrays "
                                 "does not align them; reindex them first")
            return
        pl = _polars()
        if pl is not None and isinstance(value, pl.Series) and not self.polars:
            self.polars = True
            self.polars_name = value.name

    def fit(self, shape: tuple[int, ...]) -> None:
        """Refuses, before anything is computed, a result these labels cannot
        label; combines the masks over the broadcast shape."""
        if self.masks:
            if self.index is not None or self.polars:
                raise ValueError("masked arrays and Series cannot be combined in one call: a Series has no mask; "
                                 "pass the Series' values as a masked array, or fill the masked array")
            mask = np.zeros(shape, dtype=bool)
            for each in self.masks:
                np.logical_or(mask, each, out=mask)
            self.mask = mask
        elif self.index is not None:
            if shape != (len(self.index),):
                raise ValueError(f"the Series' index of {len(self.index)} labels cannot label a result of shape "
                                 f"{shape}: broadcast the Series' values as an array, or pass Series of that "
                                 f"length")
        elif self.polars and len(shape) != 1:
            raise ValueError(f"a polars Series holds one dimension, not a result of shape {shape}: pass the "
                             f"Series' values as an array to broadcast them")

    def compress(self, target: FloatArray, fresh: bool, shape: tuple[int, ...],
                 inputs: tuple[Any, ...]) -> tuple[FloatArray, tuple[Any, ...]]:
        """The unmasked elements of the inputs, one dimension each, and the
        array they are computed into; `target` keeps 0.0 (`fresh`) or the
        caller's numbers where masked."""
        keep = ~self.mask
        self.keep = keep
        self.full = np.ma.getdata(target)
        if fresh:
            self.full[...] = 0.0
        kept = []
        for value in inputs:
            if isinstance(value, bytearray):  # option codes
                value = np.frombuffer(value, dtype=np.uint8) if len(value) else np.zeros(0, dtype=np.uint8)
            if isinstance(value, np.ndarray):
                value = np.broadcast_to(value, shape)[keep]
            kept.append(value)
        return _empty((int(np.count_nonzero(keep)),)), tuple(kept)

    def give(self, target: FloatArray, given: Any) -> Any:
        if self.mask is not None:
            self.full[self.keep] = target
            if isinstance(given, np.ma.MaskedArray):  # numpy.ma is imported: a mask came in
                given.mask = self.mask
                return given
            masked = np.ma.MaskedArray(self.full, mask=self.mask)
            return masked[()] if masked.ndim == 0 else masked
        if given is not None:
            return given
        if self.index is not None:
            return _pandas().Series(target, index=self.index, copy=False)
        if self.polars:
            return _polars().Series(self.polars_name, target)
        return target[()] if target.ndim == 0 else target


# Inputs that never label a result, told apart by one look-up.
_UNLABELLED = frozenset({float, int, str, np.ndarray, list, tuple, bytearray})


def _masked_array_type() -> Any:
    """numpy's MaskedArray, or None while numpy.ma is not imported (and so
    no masked array can exist): no attribute of numpy's lazy loader is
    looked up on the way of a plain array."""
    ma = _sys.modules.get("numpy.ma")
    return None if ma is None else ma.MaskedArray


def _common_index(values: tuple[Any, ...]) -> Any:
    """How the result is labelled: None for numbers and plain arrays, the
    usual case, decided without importing anything; else a _Labels holding
    the index of the pandas Series among the inputs (Series on different
    indexes are an error, never aligned), the name of the first polars
    Series, or the masks of masked arrays."""
    if _UNLABELLED.issuperset(map(type, values)):
        return None
    labels = None
    for value in values:
        if type(value) in _UNLABELLED:
            continue
        if labels is None:
            labels = _Labels()
        labels.add(value)
    if labels is not None and not labels.masks and labels.index is None and not labels.polars:
        return None
    return labels


def _pandas_values(value: Any) -> Any:
    """A pandas Series' or Index's values as a numpy array; a missing value
    of an extension dtype (nullable numbers, text) as None, refused where it
    is like any None."""
    if isinstance(value.dtype, np.dtype) or not value.isna().any():
        return value.to_numpy()
    return value.to_numpy(dtype=object, na_value=None)


def _objects(items: Any) -> Any:
    return np.fromiter(items, dtype=object, count=len(items))


def _foreign_values(value: Any) -> Any:
    """A polars Series' or pyarrow array's values as a numpy array (numbers
    without a copy where the buffer allows), or None for anything else; nulls
    and non-numbers as Python objects, None for a null."""
    pl = _polars()
    if pl is not None and isinstance(value, pl.Series):
        if value.null_count() or not (value.dtype.is_numeric() or value.dtype == pl.Boolean):
            return _objects(value.to_list())
        return value.to_numpy()
    pa = _pyarrow()
    if pa is not None and isinstance(value, (pa.Array, pa.ChunkedArray)):
        kind = value.type
        if value.null_count or not (pa.types.is_integer(kind) or pa.types.is_floating(kind)
                                    or pa.types.is_boolean(kind)):
            return _objects(value.to_pylist())
        return np.asarray(value)
    return None


def _masked_data(value: Any, filler: Any) -> Any:
    """A masked array's data; elements under the mask are never read, so
    those of object or text data are replaced by `filler`."""
    data = np.ma.getdata(value)
    mask = np.ma.getmaskarray(value)
    if data.dtype.kind in _REAL_KINDS or data.dtype.kind == "M" or not mask.any():
        return data
    data = data.astype(object)
    data[mask] = filler
    return data


def _as_array(value: Any, name: str) -> Any:
    """Any container of numbers as a numpy array of its elements, each as the
    caller gave it where numpy would have read it as text."""
    if isinstance(value, np.ndarray):
        masked_array = _masked_array_type()
        if masked_array is not None and isinstance(value, masked_array):
            return _masked_data(value, 0.0)
        return np.asarray(value)
    pd = _pandas()
    if pd is not None and isinstance(value, (pd.Series, pd.Index)):
        return _pandas_values(value)
    foreign = _foreign_values(value)
    if foreign is not None:
        return foreign
    try:
        array = np.asarray(value)
        if array.dtype.kind not in _REAL_KINDS and isinstance(value, (list, tuple)):
            array = np.array(value, dtype=object)
    except (TypeError, ValueError) as error:
        raise TypeError(f"argument '{name}': {error}") from error
    return array


def _floats(value: Any, name: str) -> Any:
    """`value` as float64 operands go to the native loops: a Python float,
    or a float64 array of native byte order (any strides). Numbers of any
    real dtype convert as np.asarray(value, dtype=np.float64) would; any
    other element (None, a str, a missing value) by the scalar float
    conversion, which refuses it with its position."""
    if type(value) is float:
        return value
    if type(value) is np.ndarray and value.dtype is _F64:
        return value
    if isinstance(value, (int, float)) and not isinstance(value, np.generic):
        return float(value)
    array = _as_array(value, name)
    kind = array.dtype.kind
    if kind == "f" and array.dtype.itemsize == 8 and array.dtype.isnative:
        return array
    if kind in _REAL_KINDS:
        return array.astype(np.float64)
    if kind in "OUST":  # objects and text: each element as the scalar functions read one
        objects = array if kind == "O" else array.astype(object)
        if objects.size == 0:
            return np.zeros(objects.shape)
        return np.frombuffer(_native.floats(objects, name), dtype=np.float64).reshape(objects.shape)
    raise TypeError(f"argument '{name}': expected real numbers, got an array of {array.dtype}")


def _texts(call_put: Any) -> Any:
    """Option types of any container as a numpy array of str_ or of objects,
    or the list or tuple given."""
    if isinstance(call_put, np.ndarray):
        masked_array = _masked_array_type()
        if masked_array is not None and isinstance(call_put, masked_array):
            return _masked_data(call_put, "c")
        kind = call_put.dtype.kind
        if kind == "U":
            return call_put if call_put.dtype.isnative else call_put.astype(call_put.dtype.newbyteorder("="))
        return call_put if kind == "O" else call_put.astype(object)  # StringDType, bytes, numbers
    pd = _pandas()
    if pd is not None and isinstance(call_put, (pd.Series, pd.Index)):
        return _texts(_pandas_values(call_put))
    pl = _polars()
    if pl is not None and isinstance(call_put, pl.Series):
        return _objects(call_put.to_list())
    pa = _pyarrow()
    if pa is not None and isinstance(call_put, (pa.Array, pa.ChunkedArray)):
        return _objects(call_put.to_pylist())
    return call_put


def _option_codes(call_put: Any, threads: Any) -> Any:
    """One byte per option type (0 a call, 1 a put), or an int for a str;
    every element read as the scalar functions read call_put."""
    if isinstance(call_put, str):
        return _native.option_types(call_put, 1)
    call_put = _texts(call_put)
    if isinstance(call_put, np.ndarray):
        array = call_put
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


def _broadcast_shape(operands: tuple[Any, ...], names: tuple[str, ...] | None = None,
                     labels: Any = None) -> tuple[int, ...]:
    """numpy's broadcast shape of the operands, named `names` in its errors;
    inputs of one shape (and scalars), the usual case, without asking numpy.
    `labels` (of _common_index) refuse a shape they cannot label."""
    shape: tuple[int, ...] | None = None
    for value in operands:
        if type(value) is float or type(value) is int:
            continue
        this = _shape_of(value)
        if shape is None:
            shape = this
        elif this != shape:
            shape = _broadcast_shapes(operands, names)
            break
    shape = () if shape is None else shape
    if labels is not None:
        labels.fit(shape)
    return shape


def _broadcast_shapes(operands: tuple[Any, ...], names: tuple[str, ...] | None) -> tuple[int, ...]:
    shapes = [_shape_of(value) for value in operands]
    try:
        return np.broadcast_shapes(*shapes)
    except ValueError:
        if names is None:
            raise
    # Shapes broadcast together exactly when every pair does: the first pair
    # that does not is the one to name.
    for i, first in enumerate(shapes):
        for j in range(i + 1, len(shapes)):
            try:
                np.broadcast_shapes(first, shapes[j])
            except ValueError:
                raise ValueError(f"{names[i]} with shape {first} and {names[j]} with shape {shapes[j]} cannot be "
                                 f"broadcast together") from None
    raise AssertionError("unreachable: some pair of shapes does not broadcast")  # pragma: no cover


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
    masked_array = _masked_array_type()
    if masked_array is not None and isinstance(value, masked_array):
        value = _masked_data(value, _NAT)
    pl, pa = _polars(), _pyarrow()
    if (pl is not None and isinstance(value, pl.Series)) or (pa is not None and isinstance(value, (pa.Array,
                                                                                                  pa.ChunkedArray))):
        value = np.asarray(value)  # datetime64, NaT for a null
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
        stamps, code = _native.timestamps(value.ravel(), name, nat, value.shape)
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


def _output(out: Any, shape: tuple[int, ...], inputs: tuple[Any, ...],
            labels: Any = None) -> tuple[FloatArray, tuple[Any, ...]]:
    """The array to fill, and the inputs, copied where they overlap a
    caller's `out` other than element for element; only the unmasked
    elements of both where `labels` hold a mask."""
    masked = labels is not None and labels.mask is not None
    if out is None:
        if masked:
            return labels.compress(_empty(shape), True, shape, inputs)  # type: ignore[no-any-return]
        return _empty(shape), inputs
    if not isinstance(out, np.ndarray):
        raise TypeError(f"argument 'out': expected a numpy array, got {type(out).__qualname__}")
    if out.dtype != _F64 or not out.dtype.isnative:
        raise TypeError(f"argument 'out': expected dtype float64, got {out.dtype}")
    if out.shape != shape:
        raise ValueError(f"argument 'out': expected shape {shape}, got {out.shape}")
    if not out.flags.writeable:
        raise ValueError("argument 'out': the array is read-only")
    if masked:
        return labels.compress(out, False, shape, inputs)  # type: ignore[no-any-return]
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
    """The call's result: `given` (the caller's out) or the array computed,
    as `index` (the labels of _common_index) says."""
    if index is not None:
        return index.give(out, given)
    if given is not None:
        return given
    if out.ndim == 0:
        return out[()]
    return out


# ---- pricing -----------------------------------------------------------


def _priced(native: Any, work: str, numbers: tuple[Any, ...], names: tuple[str, ...], call_put: Any,
            out: Any, threads: Any) -> Any:
    index = _common_index(numbers + (call_put,))
    codes = _option_codes(call_put, threads)
    a, b, c, d, e = numbers
    operands = (codes, _floats(a, names[0]), _floats(b, names[1]), _floats(c, names[2]), _floats(d, names[3]),
                _floats(e, names[4]))
    shape = _broadcast_shape(operands, ("call_put",) + names, index)
    target, operands = _output(out, shape, operands, index)
    native(target, _threads(threads, target.size, work), *operands)
    return _result(target, out, index)


def _plain(native: Any, numbers: tuple[Any, ...], out: Any, threads: Any) -> Any:
    index = _common_index(numbers)
    operands = tuple(_floats(value, name) for value, name in zip(numbers, _PLAIN_NAMES))
    shape = _broadcast_shape(operands, _PLAIN_NAMES, index)
    target, operands = _output(out, shape, operands, index)
    native(target, _threads(threads, target.size, "price"), *operands)
    return _result(target, out, index)


_OPTION_NAMES = ("fwd", "strike", "ttx", "vol", "df")
_PLAIN_NAMES = ("fwd", "strike", "ttx", "vol", "df")
_CALIBRATION_NAMES = ("ttx", "fwd", "strike", "price", "df")


def b76_fairvalue(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                  df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_b76_fairvalue(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.b76_fairvalue, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def b76_delta(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
              df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_b76_delta(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.b76_delta, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out, threads)


def b76_vega(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, df: ArrayLike = 1.0, *,
             out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_b76_vega(fwd, strike, ttx, vol, df, out, threads)
    if small is not None:
        return small
    return _plain(_native.b76_vega, (fwd, strike, ttx, vol, df), out, threads)


def b76_gamma(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, df: ArrayLike = 1.0, *,
              out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_b76_gamma(fwd, strike, ttx, vol, df, out, threads)
    if small is not None:
        return small
    return _plain(_native.b76_gamma, (fwd, strike, ttx, vol, df), out, threads)


# The greeks of b76_greeks, in registry order: a greek's number is its
# position here.
_GREEKS = ("value", "delta", "gamma", "vega", "theta", "rho", "vanna", "volga", "charm", "veta", "speed", "zomma",
           "color", "ultima", "dual_delta", "dual_gamma")
_GREEK_NUMBERS = {name: number for number, name in enumerate(_GREEKS)}


def _greek_names(greeks: Any, out: Any) -> tuple[str, ...]:
    """The greeks asked for, in their order: `greeks`, else the keys of
    `out`, else all of them."""
    if out is not None and not isinstance(out, dict):
        raise TypeError(f"argument 'out': expected a dict of greek name to float64 array, got "
                        f"{type(out).__qualname__}")
    if greeks is None:
        names = tuple(_GREEKS) if out is None else tuple(out)
        argument = "greeks" if out is None else "out"
    elif isinstance(greeks, (str, bytes)):
        raise TypeError(f"argument 'greeks': expected a sequence of greek names, got {type(greeks).__qualname__}; "
                        f"write greeks=[{greeks!r}]")
    else:
        try:
            names = tuple(greeks)
        except TypeError:
            raise TypeError(f"argument 'greeks': expected a sequence of greek names, got "
                            f"{type(greeks).__qualname__}") from None
        argument = "greeks"
    for name in names:
        if not isinstance(name, str):
            raise TypeError(f"argument '{argument}': expected greek names (str), got {type(name).__qualname__}")
        if name not in _GREEK_NUMBERS:
            raise ValueError(f"argument '{argument}': unknown greek {name!r}; the greeks are {', '.join(_GREEKS)}")
    if len(set(names)) != len(names):
        twice = next(name for name in names if names.count(name) > 1)
        raise ValueError(f"argument '{argument}': greek {twice!r} named twice")
    if out is not None and greeks is not None and set(out) != set(names):
        raise ValueError(f"argument 'out': names {sorted(out)}, but greeks asks for {sorted(names)}; out must "
                         f"name exactly the greeks asked for")
    return names


def _greek_outputs(names: tuple[str, ...], out: Any, shape: tuple[int, ...],
                   operands: tuple[Any, ...]) -> tuple[tuple[FloatArray, ...], tuple[Any, ...]]:
    """An output array per greek, and the inputs, copied where they overlap
    a caller's output other than element for element."""
    if out is None:
        block = _empty((len(names),) + shape)  # one allocation; a DataFrame takes it without a copy
        return tuple(block[j, ...] for j in range(len(names))), operands
    targets: list[FloatArray] = []
    for name in names:
        try:
            target, operands = _output(out[name], shape, operands)
        except (TypeError, ValueError) as error:
            raise type(error)(str(error).replace("argument 'out'", f"argument 'out[{name!r}]'", 1)) from None
        for earlier, other in zip(names, targets):
            if np.may_share_memory(target, other):
                raise ValueError(f"argument 'out': the arrays of {earlier!r} and {name!r} overlap")
        targets.append(target)
    return tuple(targets), operands


def b76_greeks(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
               df: ArrayLike = 1.0, *, greeks: _Sequence[str] | None = None, out: dict[str, FloatArray] | None = None,
               threads: int | None = None) -> Any:
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
    arrays, and its keys choose the greeks when `greeks` is None."""
    small = _native.small_b76_greeks(fwd, strike, ttx, vol, call_put, df, greeks, out, threads)
    if small is not None:
        return small
    if isinstance(out, dict):
        out = dict(out)  # as it is now: converting the inputs may run code that changes the caller's dict
    names = _greek_names(greeks, out)
    labels = _common_index((fwd, strike, ttx, vol, df, call_put))
    if labels is not None and labels.masks:
        raise TypeError("b76_greeks takes no masked arrays: pass the unmasked elements (compressed()) or "
                        "filled() values")
    codes = _option_codes(call_put, threads)
    operands = (_floats(fwd, "fwd"), _floats(strike, "strike"), _floats(ttx, "ttx"), _floats(vol, "vol"),
                _floats(df, "df"))
    shape = _broadcast_shape((codes,) + operands, ("call_put", "fwd", "strike", "ttx", "vol", "df"), labels)
    targets, operands = _greek_outputs(names, out, shape, operands)
    if names:
        _native.b76_greeks(targets, tuple(_GREEK_NUMBERS[name] for name in names),
                           _threads(threads, _size(shape), "greeks"), codes, *operands)
    if out is not None:
        return {name: out[name] for name in names}
    if labels is not None and labels.index is not None:
        # The block the outputs are rows of, as the frame's columns.
        block = targets[0].base if targets else np.empty((0, len(labels.index)))
        return _pandas().DataFrame(block.T, index=labels.index, columns=list(names), copy=False)
    if labels is not None and labels.polars:
        return _polars().DataFrame({name: target for name, target in zip(names, targets)})
    if shape == ():
        return {name: target[()] for name, target in zip(names, targets)}
    return dict(zip(names, targets))


def binary_fairvalue(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                     df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_binary_fairvalue(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_fairvalue, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def binary_vega(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_binary_vega(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_vega, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def binary_delta(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                 df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_binary_delta(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_delta, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def binary_gamma(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                 df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_binary_gamma(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_gamma, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def binary_speed(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                 df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_binary_speed(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_speed, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def binary_theta(fwd: ArrayLike, strike: ArrayLike, ttx: ArrayLike, vol: ArrayLike, call_put: Any,
                 df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_binary_theta(fwd, strike, ttx, vol, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.binary_theta, "price", (fwd, strike, ttx, vol, df), _OPTION_NAMES, call_put, out,
                   threads)


def calibrate_black76_iv(ttx: ArrayLike, fwd: ArrayLike, strike: ArrayLike, price: ArrayLike, call_put: Any,
                         df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_calibrate_black76_iv(ttx, fwd, strike, price, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.calibrate_black76_iv, "solve", (ttx, fwd, strike, price, df), _CALIBRATION_NAMES,
                   call_put, out, threads)


def b76_implied_vol(ttx: ArrayLike, fwd: ArrayLike, strike: ArrayLike, price: ArrayLike, call_put: Any,
                    df: ArrayLike = 1.0, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
    """Black-76 implied vol of each price to the precision the price allows:
    0.0 at the lower bound, inf at the upper bound, NaN beyond either."""
    small = _native.small_b76_implied_vol(ttx, fwd, strike, price, call_put, df, out, threads)
    if small is not None:
        return small
    return _priced(_native.b76_implied_vol, "implied", (ttx, fwd, strike, price, df), _CALIBRATION_NAMES,
                   call_put, out, threads)


# ---- smiles ------------------------------------------------------------


class _Converting:
    """Runs `work` when converted to a float, keeping what it returns or
    raises: handed to a smile method as its first float argument, the work
    runs while that method holds the smile's shared borrow."""

    __slots__ = ("work", "done", "error")

    def __init__(self, work: Any) -> None:
        self.work = work
        self.done: Any = None
        self.error: BaseException | None = None

    def __float__(self) -> float:
        try:
            self.done = self.work()
        except BaseException as error:  # raised again by _smile_state, after the borrow
            self.error = error
        return 0.0


def _smile_state(smile: Any, convert: Any) -> tuple[str, dict[str, float], Any]:
    """The smile's kind and parameters, and what `convert()` returns, all
    under the smile's shared borrow, as the scalar methods convert their
    arguments: a change to the smile while the arguments convert (from a
    __float__, a sequence or another thread) raises RuntimeError "Already
    borrowed", and a smile being changed raises "Already mutably
    borrowed". The borrow is the one the smile's own get_vol_single takes
    before it converts its ttx."""
    for cls, kind in _SMILE_KINDS.items():
        if isinstance(smile, cls):
            break
    else:
        raise TypeError(f"argument 'smile': expected a GVVSpline, VolGeo or CubicSpline, got "
                        f"{type(smile).__qualname__}")
    converting = _Converting(lambda: (cls.get_param_dict(smile), convert()))
    cls.get_vol_single(smile, converting, 0.0, 0.0)
    error, converting.error = converting.error, None
    if error is not None:
        raise error
    params, converted = converting.done
    return kind, params, converted


def _number(value: Any, name: str) -> float:
    """One float argument, by the scalar float conversion."""
    number = _floats(value, name)
    if isinstance(number, np.ndarray):
        if number.ndim != 0:
            raise TypeError(f"argument '{name}': must be real number, not {type(value).__qualname__}")
        return float(number)
    return number  # type: ignore[no-any-return]


def get_vol(smile: Smile, ttx: ArrayLike, spot: ArrayLike, strikes: ArrayLike, *, out: FloatArray | None = None,
            threads: int | None = None) -> Any:
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
    small = _native.small_get_vol(smile, ttx, spot, strikes, out, threads)
    if small is not None:
        return small
    kind, params, (index, operands) = _smile_state(smile, lambda: (
        _common_index((ttx, spot, strikes)),
        (_floats(ttx, "ttx"), _floats(spot, "spot"), _floats(strikes, "strikes"))))
    shape = _broadcast_shape(operands, ("ttx", "spot", "strikes"), index)
    target, operands = _output(out, shape, operands, index)
    _native.get_vol(kind, params, target, _threads(threads, target.size, "smile"), *operands)
    return _result(target, out, index)


def _jacobian_inputs(ttx: Any, spot: Any, strikes: Any, params: Any) -> tuple[Any, float, float, Any, list[str]]:
    index = _common_index((strikes,))
    number_ttx, number_spot = _number(ttx, "ttx"), _number(spot, "spot")
    column = _floats(strikes, "strikes")
    if np.ndim(column) != 1:
        raise ValueError(f"argument 'strikes': expected one dimension, got {np.ndim(column)}")
    if isinstance(params, str):
        raise TypeError("argument 'params': Can't extract `str` to `Vec`")
    return index, number_ttx, number_spot, column, list(params)


def get_jacobian(smile: Smile, ttx: float, spot: float, strikes: ArrayLike, params: _Sequence[str], *,
                 threads: int | None = None) -> Any:
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
    kind, values, (index, number_ttx, number_spot, column, names) = _smile_state(
        smile, lambda: _jacobian_inputs(ttx, spot, strikes, params))
    mask = None
    if index is not None and index.masks:
        _broadcast_shape((column,), ("strikes",), index)
        mask = index.mask
        column = column[~mask]
    target = _empty((len(column), len(names)))
    _native.get_jacobian(kind, values, number_ttx, number_spot, column, names, target,
                         _threads(threads, target.size, "smile"))
    if mask is None:
        return target
    full = np.zeros((len(mask), len(names)))
    full[~mask] = target
    return np.ma.MaskedArray(full, mask=np.repeat(mask[:, None], len(names), axis=1))


# ---- business and calendar time ------------------------------------------


def _interval(native: Any, leading: tuple[Any, ...], work: str, from_: Any, to: Any, out: Any,
              threads: Any) -> Any:
    index = _common_index((from_, to))
    start, start_unit = _instants(from_, "from_")
    end, end_unit = _instants(to, "to")
    shape = _broadcast_shape((start, end), ("from_", "to"), index)
    target, (start, end) = _output(out, shape, (start, end), index)
    # A caller's out is written only once every element is known to have
    # an instant: the loops check the whole interval first.
    native(*leading, target, _threads(threads, target.size, work), start, start_unit, end, end_unit,
           out is not None)
    return _result(target, out, index)


def get_bus_ttx(underlying: str, from_: Any, to: Any, *, out: FloatArray | None = None,
                threads: int | None = None) -> Any:
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
    small = _native.small_get_bus_ttx(underlying, from_, to, out, threads)
    if small is not None:
        return small
    if not isinstance(underlying, str):
        raise TypeError(f"argument 'underlying': '{type(underlying).__qualname__}' object is not an instance "
                        f"of 'str'")
    return _interval(_native.bus_ttx, (underlying,), "bus", from_, to, out, threads)


def get_cal_ttx(from_: Any, to: Any, *, out: FloatArray | None = None, threads: int | None = None) -> Any:
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
    small = _native.small_get_cal_ttx(from_, to, out, threads)
    if small is not None:
        return small
    return _interval(_native.cal_ttx, (), "cal", from_, to, out, threads)

