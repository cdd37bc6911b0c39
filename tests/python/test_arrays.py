"""kelvane_arrays: every element, bit for bit, the scalar kelvane call on that element's values, whatever
the layout, dtype or thread count; and inputs, outputs and errors as a numpy user expects them."""
import datetime
import inspect
import math
import os
import re
import subprocess
import sys
import threading

import numpy as np
import pandas as pd
import pytest

import kelvane
import kelvane_arrays as ka

UTC = datetime.timezone.utc
EPOCH = datetime.datetime(1970, 1, 1, tzinfo=UTC)
EXPIRY = datetime.datetime(2025, 3, 28, 8, 0, tzinfo=UTC)
CAL = kelvane.Calendar("BTCUSDT")
NAT = np.iinfo(np.int64).min
PLAIN_FUNCTIONS = ["b76_vega", "b76_gamma"]
PRICING = ka.__all__[:11]
SPELLINGS = ["c", "call", "p", "put", "C", "Call", "CALL", "P", "Put", "PUT", "cAlL", "pUt"]
NANS = np.array([0x7FF8000000000123, 0xFFF8000000000001, 0x7FF0000000000001], dtype=np.uint64).view(np.float64)
EDGES = [0.0, -0.0, -0.5, -2.0, math.inf, -math.inf, math.nan, *NANS, 1e300, -1e300, 5e-324, 1e-300]


def assert_bits(computed, expected, inputs=()):
    """Equal bit for bit (NaN payloads and signed zeros count); a failure names the first elements."""
    computed, expected = np.asarray(computed, dtype=np.float64), np.asarray(expected, dtype=np.float64)
    assert computed.shape == expected.shape
    bad = np.argwhere(computed.view(np.uint64) != expected.view(np.uint64))
    cases = [(tuple(i), [np.asarray(x)[tuple(i)] if np.ndim(x) else x for x in inputs], computed[tuple(i)],
              expected[tuple(i)]) for i in bad[:5]]
    assert not len(bad), f"{len(bad)} elements differ: (index, inputs, computed, expected) {cases}"


def with_edges(r, *columns):
    for column in columns:
        at = r.choice(len(column), len(column) // 10, replace=False)
        column[at] = r.choice(EDGES, len(at))


def scalar_calls(name, columns, call_put):
    """The scalar function on every element: inputs in signature order, call_put before df."""
    f = getattr(kelvane, name)
    if name in PLAIN_FUNCTIONS:
        return np.array([f(*(float(c[i]) for c in columns)) for i in range(len(columns[0]))])
    return np.array([f(*(float(c[i]) for c in columns[:4]), str(call_put[i]), float(columns[4][i]))
                     for i in range(len(columns[0]))])


def inputs_of(name, n=1200):
    """A seeded book for `name`: its float inputs in signature order (edge values mixed in, some strikes 0)
    and option types in every spelling; implied vols of prices some of which no vol brackets."""
    r = np.random.default_rng(17)
    fwd = r.uniform(50, 150, n)
    columns = [fwd, fwd * np.exp(r.normal(0, 0.25, n)), r.uniform(0.02, 2, n), r.uniform(0.1, 1.2, n),
               r.uniform(0.9, 1.0, n)]
    with_edges(r, *columns)
    columns[1][r.choice(n, 10)], call_put = 0.0, r.choice(SPELLINGS, n)
    if name == "calibrate_black76_iv":
        price = scalar_calls("b76_fairvalue", columns, call_put)
        at = r.choice(n, n // 8, replace=False)
        with np.errstate(invalid="ignore"):
            price[at] *= r.choice([0.0, -1.0, 1e6, math.nan, 1.0], len(at))
        columns = [columns[2], columns[0], columns[1], price, columns[4]]
    return columns, call_put


def array_call(name, columns, call_put, **kwargs):
    if name in PLAIN_FUNCTIONS:
        return getattr(ka, name)(*columns, **kwargs)
    return getattr(ka, name)(*columns[:4], call_put, columns[4], **kwargs)


# ---- surface -------------------------------------------------------------


SIGNATURES = {name: str(inspect.signature(getattr(kelvane, name)))[:-1] + ", *, out=None, threads=None)"
              for name in PRICING}
SIGNATURES.update({"b76_greeks": "(fwd, strike, ttx, vol, call_put, df=1.0, *, greeks=None, out=None, threads=None)",
                   "get_vol": "(smile, ttx, spot, strikes, *, out=None, threads=None)",
                   "get_jacobian": "(smile, ttx, spot, strikes, params, *, threads=None)",
                   "get_bus_ttx": "(underlying, from_, to, *, out=None, threads=None)",
                   "get_cal_ttx": "(from_, to, *, out=None, threads=None)",
                   "b76_implied_vol": "(ttx, fwd, strike, price, call_put, df=1.0, *, out=None, threads=None)"})


@pytest.mark.parametrize("name", ka.__all__)
def test_signatures_are_the_scalar_ones_plus_out_and_threads(name):
    parameters = inspect.signature(getattr(ka, name)).parameters.values()
    assert str(inspect.Signature([p.replace(annotation=p.empty) for p in parameters])) == SIGNATURES[name]


def test_kelvane_alone_imports_no_numpy():
    code = "import sys, kelvane; kelvane.b76_fairvalue(1, 1, 1, 1, 'c'); print('numpy' in sys.modules)"
    assert subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True).stdout == "False\n"


# ---- pricing: the scalar bits --------------------------------------------


@pytest.mark.parametrize("threads", [1, 2, 3, 7])
@pytest.mark.parametrize("name", PRICING)
def test_pricing_is_the_scalar_call_on_every_element(name, threads):
    columns, call_put = inputs_of(name)
    assert_bits(array_call(name, columns, call_put, threads=threads), scalar_calls(name, columns, call_put),
                columns + [call_put])


def unaligned(a):
    return np.frombuffer(bytearray(b"\0" * 3 + a.tobytes()), dtype=np.float64, offset=3).reshape(a.shape)


OUT_LAYOUTS = ["Fortran order", "non-contiguous", "reversed view", "unaligned"]
LAYOUTS = {
    "Fortran order": np.asfortranarray,
    "non-contiguous": lambda a: np.repeat(a, 3, axis=1)[:, 1::3],
    "reversed view": lambda a: a[::-1, ::-1].copy()[::-1, ::-1],
    "unaligned": unaligned,
    "big-endian": lambda a: a.astype(">f8"),
    "float32": lambda a: a.astype(np.float32),
    "int64": lambda a: np.nan_to_num(a, posinf=9e18, neginf=-9e18).clip(-9e18, 9e18).astype(np.int64),
    "bool": lambda a: a > 100,
    "object": lambda a: a.astype(object),
}


@pytest.mark.parametrize("layout", LAYOUTS)
@pytest.mark.parametrize("name", ["b76_fairvalue", "b76_vega", "calibrate_black76_iv"])
def test_results_do_not_depend_on_layout_or_dtype(name, layout):
    columns, call_put = inputs_of(name)
    grid = [c.reshape(30, 40) for c in columns]
    with np.errstate(all="ignore"):  # huge values cast to float32 and int64
        given = [LAYOUTS[layout](c) for c in grid]
    expected = array_call(name, [np.asarray(c, dtype=np.float64) for c in given], call_put.reshape(30, 40))
    assert_bits(array_call(name, given, call_put.reshape(30, 40), threads=3), expected)
    out = LAYOUTS[layout](np.zeros((30, 40))) if layout in OUT_LAYOUTS else np.zeros((30, 40))
    assert array_call(name, given, call_put.reshape(30, 40).T.copy().T, out=out, threads=1) is out
    assert_bits(out, expected)


def test_out_aliasing_an_input_still_gives_the_scalar_values():
    columns, call_put = inputs_of("b76_fairvalue")
    expected = scalar_calls("b76_fairvalue", columns, call_put)
    buffer = np.empty(len(expected) + 1)
    for fwd, out in [(buffer[1:], buffer[1:]), (buffer[:-1], buffer[1:]), (buffer[1:], buffer[:-1])]:
        fwd[...] = columns[0]  # out the input itself, or one element off it either way
        assert ka.b76_fairvalue(fwd, *columns[1:4], call_put, columns[4], out=out, threads=3) is out
        assert_bits(out, expected)
    grid = np.empty((3, len(expected)))
    grid[0] = columns[1]  # out a grid whose first row is the strikes broadcast over it
    ka.b76_fairvalue(np.tile(columns[0], (3, 1)), grid[0], *columns[2:4], call_put, columns[4], out=grid)
    assert_bits(grid, np.tile(expected, (3, 1)))


# ---- pricing: numpy's and pandas' conventions -------------------------------


def test_scalars_lists_and_broadcasting():
    value = ka.b76_fairvalue(100, 90, 1, 0.2, "c", 0.98)
    assert type(value) is np.float64 and value == kelvane.b76_fairvalue(100, 90, 1, 0.2, "c", 0.98)
    assert type(ka.b76_vega(np.array(100.0), np.float32(90), 1, True)) is np.float64
    assert ka.b76_fairvalue(100, 90, 1, 0.2, ["c"]).shape == (1,)
    grid = ka.binary_delta([[90.0], [100.0], [110.0]], [95.0, 105.0], 0.5, 0.3, ["p", "c"], threads=2)
    assert_bits(grid, [[kelvane.binary_delta(f, k, 0.5, 0.3, cp) for k, cp in zip([95.0, 105.0], "pc")]
                       for f in (90.0, 100.0, 110.0)])
    assert ka.b76_delta(np.ones((0, 3)), 1.0, 1.0, 1.0, "c").shape == (0, 3)
    for threads in (10**6, 2**70):  # beyond any machine: capped
        assert ka.b76_vega([100.0] * 9, 95, 1, 0.2, threads=threads)[8] == kelvane.b76_vega(100, 95, 1, 0.2)


CONTAINERS = {
    "list": list, "tuple": tuple, "str_ array": np.array, "object array": lambda s: np.array(s, dtype=object),
    "big-endian str_": lambda s: np.array(s).astype(">U4"), "Series of objects": lambda s: pd.Series(s),
    "string Series": lambda s: pd.Series(s, dtype="string"),
}


@pytest.mark.parametrize("threads", [1, 3])
@pytest.mark.parametrize("container", CONTAINERS)
def test_option_types_in_every_container(container, threads):
    columns, call_put = inputs_of("binary_theta")
    result = ka.binary_theta(*columns[:4], CONTAINERS[container](list(call_put)), columns[4], threads=threads)
    assert_bits(np.asarray(result), scalar_calls("binary_theta", columns, call_put))


def test_series_in_give_series_out_on_their_index():
    index = pd.date_range("2024-01-01", periods=4, tz="UTC")
    fwd = pd.Series([90.0, 100.0, 110.0, 120.0], index=index)
    result = ka.b76_fairvalue(fwd, 100.0, 1.0, pd.Series([0.2] * 4, index=index.copy()), "put")
    assert isinstance(result, pd.Series) and result.index is index
    assert_bits(result.to_numpy(), [kelvane.b76_fairvalue(f, 100, 1, 0.2, "put") for f in fwd])
    out = np.empty(4)
    assert ka.b76_fairvalue(fwd, 100.0, 1.0, 0.2, "c", out=out) is out
    with pytest.raises(ValueError, match="^Series inputs must share one index"):
        ka.b76_delta(fwd, 100.0, 1.0, pd.Series([0.2] * 4), "c")
    with pytest.raises(ValueError, match="^Series inputs must share one index"):
        ka.b76_delta(fwd, 100.0, 1.0, 0.2, pd.Series(["c"] * 4, index=index[::-1]))


UNKNOWN = "Unknown option type: '{}'. Use 'call'/'c' or 'put'/'p'."


@pytest.mark.parametrize("container", ["list", "tuple", "str_ array", "object array", "string Series"])
@pytest.mark.parametrize("text", ["x", "", " c", "callx", "c\x00x", "PUT\x00\x00ÇA", "CALL\u0130", "\uff43"])
def test_a_bad_option_type_names_its_position_and_writes_nothing(text, container):
    call_put = CONTAINERS[container](["c", "P", "put", text, "C"])
    out = np.full(5, -7.0)
    with pytest.raises(ValueError) as raised:
        ka.binary_fairvalue(np.full(5, 100.0), 100.0, 1.0, 0.2, call_put, out=out)
    assert str(raised.value) == "call_put[3]: " + UNKNOWN.format(text.lower())
    assert (out == -7.0).all()


def test_bad_option_types_in_n_dimensions_and_of_other_types():
    grid = np.array([["c", "p", "x"], ["p", "c", "zz"]])
    for call_put, where in [(grid, "[0, 2]"), (grid.T, "[2, 0]"), (grid.tolist(), "[0, 2]"),
                            (np.broadcast_to(grid[:, 1:], (3, 2, 2)), "[0, 0, 1]")]:
        with pytest.raises(ValueError, match=rf"^call_put{re.escape(where)}: Unknown option type"):
            ka.b76_fairvalue(100.0, 100.0, 1.0, 0.2, call_put, threads=2)
    out = np.full(3, -7.0)
    for bad, type_name in [(1, "'int' object"), (None, "'None'"), (b"c", "'bytes' object"), (1.5, "'float' object")]:
        with pytest.raises(TypeError) as raised:
            ka.b76_delta(100.0, 100.0, 1.0, 0.2, ["c", bad, "p"], out=out)
        message = str(raised.value)  # the scalar's text after the position
        assert message.startswith("call_put[1]: ") and message.endswith(f"{type_name} is not an instance of 'str'")
    assert (out == -7.0).all()
    with pytest.raises(TypeError, match="^argument 'call_put': 'int' object is not an instance of 'str'$"):
        ka.b76_delta(100.0, 100.0, 1.0, 0.2, 1)


@pytest.mark.parametrize("kwargs, error, message", [
    ({"fwd": np.ones(3, dtype=complex)}, TypeError, "argument 'fwd': expected real numbers"),
    ({"strike": ["100"]}, TypeError, r"argument 'strike'\[0\]: must be real number, not str$"),
    ({"ttx": "1"}, TypeError, "argument 'ttx': must be real number, not str$"),
    ({"vol": [object()]}, TypeError, r"argument 'vol'\[0\]: must be real number, not object$"),
    ({"out": np.empty(3, dtype=np.float32)}, TypeError, "argument 'out': expected dtype float64, got float32"),
    ({"out": np.empty(4)}, ValueError, r"argument 'out': expected shape \(3,\), got \(4,\)"),
    ({"out": np.frombuffer(bytes(24))}, ValueError, "argument 'out': the array is read-only"),
    ({"out": [0.0] * 3}, TypeError, "argument 'out': expected a numpy array, got list"),
    ({"threads": 0}, ValueError, "argument 'threads': must be at least 1, got 0"),
    ({"threads": "2"}, TypeError, "argument 'threads': expected an int or None, got str"),
])
def test_wrong_arguments_name_themselves(kwargs, error, message):
    arguments = {"fwd": np.full(3, 100.0), "strike": 100.0, "ttx": 1.0, "vol": 0.2, "call_put": "c", "df": 1.0,
                 **kwargs}
    with pytest.raises(error, match=f"^{message}"):
        ka.b76_fairvalue(**arguments)


BIG = np.broadcast_to(1.0, (10**7, 10**6))  # ten trillion elements, none of them stored


@pytest.mark.parametrize("call", [
    lambda: ka.b76_fairvalue(np.broadcast_to(1.0, (10**7, 1)), np.ones(10**6), 1.0, 0.2, "c"),
    lambda: ka.b76_fairvalue(100.0, 1.0, 1.0, 0.2, np.broadcast_to(np.array(["c"]), BIG.shape)),
    lambda: ka.b76_greeks(np.broadcast_to(1.0, (10**7, 1)), np.ones(10**6), 1.0, 0.2, "c", greeks=["rho"]),
    lambda: ka.get_vol(kelvane.VolGeo(EXPIRY), 1.0, 100.0, BIG),
    lambda: ka.get_cal_ttx(np.broadcast_to(np.datetime64(0, "s"), BIG.shape), EPOCH),
    lambda: ka.get_jacobian(kelvane.VolGeo(EXPIRY), 1.0, 100.0, np.broadcast_to(1.0, (10**13,)), ["vpr"]),
], ids=["pricing", "option types", "greeks", "get_vol", "get_cal_ttx", "get_jacobian"])
def test_a_broadcast_of_ten_trillion_elements_raises_memory_error(call):
    with pytest.raises(MemoryError):
        call()


# ---- smiles --------------------------------------------------------------


def smiles():
    return {"GVVSpline": kelvane.GVVSpline(EXPIRY, ref_vol=62.0, skew=-4.0, smile=9.0, pwing=1.5, cwing=2.0,
                                           ref_spot=97.0, vpr=1.3, offset=0.5),
            "VolGeo": kelvane.VolGeo(EXPIRY, ref_vol=55.0, corr=-0.4, vvol=35.0, ref_spot=103.0, vpr=0.8, offset=-1),
            "CubicSpline": kelvane.CubicSpline(EXPIRY, ref_vol=70.0, ref_spot=101.0, p25=2.0, p10=1.0, c05=0.5,
                                               c20=2.5, vpr=1.1)}


EXAMPLE = smiles()["VolGeo"]


CHANGES = {
    "as built": lambda s: None,
    "after set_param and bump_param": lambda s: (s.set_param("ref_vol", 48.0), s.bump_param("ref_spot", 3.0)),
    "after reanchor": lambda s: s.reanchor(106.0, 0.3),
}


def smile_book(n=900):
    r = np.random.default_rng(5)
    ttx, spot = r.uniform(0.02, 2, n), r.uniform(80, 120, n)
    strikes = spot * np.exp(r.normal(0, 0.25, n))
    ttx[100:400], spot[100:400] = 0.25, 100.0  # a strip of one expiry and spot, evaluated as one
    with_edges(r, ttx, spot, strikes)
    return ttx, spot, strikes


@pytest.mark.parametrize("threads", [1, 3])
@pytest.mark.parametrize("change", CHANGES)
@pytest.mark.parametrize("kind", ["GVVSpline", "VolGeo", "CubicSpline"])
def test_get_vol_is_the_smile_at_every_element(kind, change, threads):
    smile = smiles()[kind]
    CHANGES[change](smile)
    ttx, spot, strikes = smile_book()
    expected = [smile.get_vol(float(t), float(s), [float(k)])[0] for t, s, k in zip(ttx, spot, strikes)]
    assert_bits(ka.get_vol(smile, ttx, spot, strikes, threads=threads), expected, (ttx, spot, strikes))
    spots, row = np.linspace(80, 120, 7)[:, None], np.linspace(60, 160, 11)
    assert_bits(ka.get_vol(smile, 0.4, spots, row), [smile.get_vol(0.4, s, list(row)) for s in spots[:, 0]])
    expiries = np.linspace(0.1, 1.0, 7)[:, None]
    out = np.empty((7, 11))
    assert ka.get_vol(smile, expiries, spots, row, out=out, threads=threads) is out
    assert_bits(out, [smile.get_vol(t, s, list(row)) for t, s in zip(expiries[:, 0], spots[:, 0])])
    assert type(ka.get_vol(smile, 0.4, 100, 95)) is np.float64


@pytest.mark.parametrize("kind", ["GVVSpline", "VolGeo", "CubicSpline"])
def test_get_jacobian_columns_are_the_scalar_jacobian(kind):
    smile = smiles()[kind]
    names = ["ref_vol", "skew", "ref_vol", "nope", "vpr", "offset", "corr", "p25", "c05"]
    for strikes in (smile_book()[2][:60], np.linspace(50, 200, 2500)[::-1]):  # a strip of several blocks
        jacobian = ka.get_jacobian(smile, 0.4, 100.0, strikes, names)
        assert jacobian.dtype == np.float64 and jacobian.shape == (len(strikes), len(names))
        columns = smile.get_jacobian(0.4, 100.0, list(strikes), names)
        assert_bits(jacobian, np.array([columns[name] for name in names]).T)
    assert ka.get_jacobian(smile, 0.4, 100.0, [], names).shape == (0, 9)
    assert ka.get_jacobian(smile, 0.4, 100.0, [100.0], ()).shape == (1, 0)


# ---- business and calendar time ------------------------------------------


def aware(micros):
    return EPOCH + datetime.timedelta(microseconds=int(micros))


def scalar_intervals(function, start, end):
    """The scalar interval between the aware datetimes of two arrays of microsecond counts; NaT gives NaN."""
    return np.array([math.nan if NAT in (a, b) else function(aware(a), aware(b)) for a, b in zip(start, end)])


INTERVALS = {"get_cal_ttx": (lambda a, b, **kw: ka.get_cal_ttx(a, b, **kw), kelvane.Calendar.get_cal_ttx),
             "get_bus_ttx": (lambda a, b, **kw: ka.get_bus_ttx("BTCUSDT", a, b, **kw), CAL.get_bus_ttx)}
SPANS = {**dict.fromkeys(["s", "ms", "us"], ("0001-01-01", "9999-12-31")), "ns": ("1678-01-01", "2262-04-11")}


@pytest.mark.parametrize("threads", [1, 2, 7])
@pytest.mark.parametrize("unit", SPANS)
@pytest.mark.parametrize("name", INTERVALS)
def test_datetime64_instants_are_the_scalar_ones(name, unit, threads):
    r = np.random.default_rng(len(unit) + threads)
    low, high = (np.datetime64(d, unit).astype(np.int64) for d in SPANS[unit])
    ticks = r.integers(low, high, (2, 400))
    ticks[0, :3], ticks[1, 5] = NAT, NAT
    start, end = ticks.view(f"M8[{unit}]")
    array, scalar = INTERVALS[name]
    micros = [t.astype("M8[us]").astype(np.int64) for t in (start, end)]  # floored, as datetime conversion does
    assert_bits(array(start, end, threads=threads), scalar_intervals(scalar, *micros), (start, end))
    assert_bits(array(start[::-1], end.astype(">M8[" + unit + "]")[::-1], threads=threads),
                scalar_intervals(scalar, micros[0][::-1], micros[1][::-1]))


@pytest.mark.filterwarnings("error")  # pandas' deprecations included: the call must outlive them
@pytest.mark.parametrize("unit", ["ns", "ms"])
@pytest.mark.parametrize("zone", [None, "UTC", "America/New_York", "Asia/Kolkata", "Australia/Lord_Howe"])
def test_pandas_datetimes_exact_in_any_zone_and_naive_as_utc(zone, unit):
    r = np.random.default_rng(3)
    ticks = r.integers(np.datetime64("1700-01-01", "ns").astype(np.int64),
                       np.datetime64("2260-01-01", "ns").astype(np.int64), (2, 300))
    ticks[0, 7] = NAT
    start, end = (pd.DatetimeIndex(t.view("M8[ns]")).as_unit(unit) for t in ticks)
    if zone:
        start, end = start.tz_localize("UTC").tz_convert(zone), end.tz_localize("UTC").tz_convert(zone)
    micros = [t.view("M8[ns]").astype("M8[" + unit + "]").astype("M8[us]").astype(np.int64) for t in ticks]
    series = pd.Series(start, index=range(100, 400))
    result = ka.get_bus_ttx("BTCUSDT", series, end)
    assert isinstance(result, pd.Series) and result.index is series.index
    assert_bits(result.to_numpy(), scalar_intervals(CAL.get_bus_ttx, *micros))
    assert_bits(ka.get_cal_ttx(start, end), scalar_intervals(kelvane.Calendar.get_cal_ttx, *micros))


def test_datetime_objects_are_read_through_their_timestamp():
    india = datetime.timezone(datetime.timedelta(hours=5, minutes=30))
    aware_list = [datetime.datetime(1 + 97 * i, 1 + i % 12, 1 + i % 28, i % 24, i, i, 997 * i, tzinfo=india)
                  for i in range(1, 60)]
    anchor = datetime.datetime(2024, 1, 1, tzinfo=UTC)
    assert_bits(ka.get_bus_ttx("BTCUSDT", aware_list, anchor), [CAL.get_bus_ttx(x, anchor) for x in aware_list])
    naive = [datetime.datetime(2024, 3, 9, 20) + datetime.timedelta(minutes=37 * i) for i in range(200)]
    assert_bits(ka.get_cal_ttx(np.array(naive, dtype=object).reshape(20, 10), anchor),
                np.reshape([kelvane.Calendar.get_cal_ttx(x, anchor) for x in naive], (20, 10)))
    days = np.arange(0, 30000, 7).astype("M8[D]").reshape(-1, 1)
    grid = ka.get_cal_ttx(anchor, days)  # one datetime against a column of days
    assert grid.shape == days.shape and grid[0, 0] == kelvane.Calendar.get_cal_ttx(anchor, EPOCH)
    assert type(ka.get_cal_ttx(anchor, np.datetime64("NaT", "us"))) is np.float64
    assert math.isnan(ka.get_cal_ttx(anchor, np.datetime64("NaT", "us")))


def scalar_cal_ttx(item):
    if item is pd.NaT or (isinstance(item, np.datetime64) and np.isnat(item)):
        return math.nan
    if isinstance(item, np.datetime64):
        item = aware(item.astype("M8[us]").astype(np.int64))
    return kelvane.Calendar.get_cal_ttx(item, EPOCH)


@pytest.mark.parametrize("given", [
    [pd.NaT, pd.Timestamp("2024-01-01", tz="UTC")],
    [np.datetime64("2024-01-01T12", "h"), np.datetime64("NaT", "s")],
    (np.datetime64("2024-01-01T12", "h"), datetime.datetime(2024, 1, 1, 12, tzinfo=EPOCH.tzinfo), pd.NaT),
], ids=["pandas NaT among datetimes", "datetime64 items", "datetime64 among datetimes"])
def test_each_item_of_a_sequence_is_an_instant_of_its_own_kind(given):
    assert math.isnan(ka.get_cal_ttx(pd.NaT, EPOCH))
    assert_bits(ka.get_cal_ttx(given, EPOCH), [scalar_cal_ttx(item) for item in given])


@pytest.mark.parametrize("call, error, message", [
    (lambda: ka.get_vol({}, 0.4, 100.0, [100.0]), TypeError, "argument 'smile': expected a GVVSpline, VolGeo or Cub"),
    (lambda: ka.get_jacobian(EXAMPLE, 0.4, 100, [[100.0]], ["vpr"]), ValueError, "argument 'strikes': expected one "),
    (lambda: ka.get_jacobian(EXAMPLE, 0.4, 100, [100.0], "vpr"), TypeError, "argument 'params'"),
    (lambda: ka.get_cal_ttx(np.arange(3), EPOCH), TypeError, "argument 'from_': expected datetimes, got an array"),
    (lambda: ka.get_cal_ttx(EPOCH, "2024-01-01"), TypeError, "argument 'to': expected datetimes, got str$"),
    (lambda: ka.get_bus_ttx(1, EPOCH, EPOCH), TypeError, "argument 'underlying': 'int' object is not an instance"),
    (lambda: ka.get_bus_ttx("ETHUSDT", EPOCH, EPOCH), ValueError, "No embedded calendar for underlying: ETHUSDT$"),
], ids=["smile", "strikes", "params", "from_", "to", "underlying", "unknown underlying"])
def test_wrong_arguments_of_smiles_and_intervals_name_themselves(call, error, message):
    with pytest.raises(error, match=f"^{message}"):
        call()


@pytest.mark.parametrize("name", INTERVALS)
def test_an_invalid_instant_names_its_position_and_writes_nothing(name):
    days = np.arange(6).astype("M8[D]").astype("M8[s]")
    days[[4, 2]], out = np.datetime64(2**62, "s"), np.full(6, -7.0)
    with pytest.raises(ValueError, match=r"^from_\[2\]: Invalid timestamp$"):  # the first, on any thread
        INTERVALS[name][0](days, EPOCH, out=out, threads=3)
    with pytest.raises(ValueError, match=r"^to\[2\]: Invalid timestamp$"):
        INTERVALS[name][0](EPOCH, days, out=out, threads=3)
    assert (out == -7.0).all()


# ---- inputs written by another thread ----------------------------------------


WRITTEN = {  # a call, and the values written into its input by another thread
    "b76_fairvalue": (lambda x: ka.b76_fairvalue(x, 1.5, 1.0, 0.3, "c", threads=2), (1.0, 2.0)),
    "b76_greeks": (lambda x: ka.b76_greeks(x, 1.5, 1.0, 0.3, "c", greeks=["speed"], threads=2)["speed"], (1.0, 2.0)),
    "get_vol": (lambda x: ka.get_vol(EXAMPLE, x, 100.0, 90.0, threads=2), (1.0, 2.0)),
    "b76_implied_vol": (lambda x: ka.b76_implied_vol(1.0, 100.0, 100.0, x, "c", threads=2), (5.0, 10.0)),
    "get_bus_ttx": (lambda x: ka.get_bus_ttx("BTCUSDT", x.view("M8[us]"), EXPIRY, threads=2), (17 * 10**14, 10**15)),
}


@pytest.mark.skipif(os.environ.get("KELVANE_SANITIZED") == "1",
                    reason="the sanitizer's memcpy copies byte by byte: the writer itself tears the elements")
@pytest.mark.parametrize("case", WRITTEN)
def test_an_input_written_during_a_call_gives_old_or_new_results(case):
    compute, values = WRITTEN[case]
    old, new = (np.full(400_000, v) for v in values)
    shared, stop = old.copy(), threading.Event()

    def write():
        while not stop.is_set():
            shared[:] = new
            shared[:] = old

    writer = threading.Thread(target=write)
    writer.start()
    try:
        results = [compute(shared) for _ in range(5)]
    finally:
        stop.set()
        writer.join()
    allowed = {compute(old[:1])[0], compute(new[:1])[0]}
    assert len(allowed) == 2 and all(set(np.unique(r).tolist()) <= allowed for r in results)


VECTOR_WIDTH_SCRIPT = """
import sys
import numpy as np
import kelvane_arrays as ka
sys.path.insert(0, {tests!r})
from test_arrays import inputs_of
for name in {names!r}:
    columns, call_put = inputs_of(name, n=1001)
    fwd, strike, ttx, vol, df = columns
    types, strided_types = ([], []) if name in {plain!r} else ([call_put], [call_put[::3]])
    print(getattr(ka, name)(fwd, strike, ttx, vol, *types, df, threads=1).tobytes().hex())
    print(getattr(ka, name)(fwd[::3], strike[::3], ttx[::3], vol[::3], *strided_types, 0.97, threads=1).tobytes().hex())
"""
VECTOR_LOOPS = ["b76_fairvalue", "b76_delta", "b76_vega", "b76_gamma", "binary_fairvalue", "binary_vega",
                "binary_delta", "binary_gamma", "binary_speed", "binary_theta"]


@pytest.mark.parametrize("width", ["2", "4", "8"])
def test_every_vector_width_gives_the_scalar_bits(width):
    """The loops over vectors at each width the machine has (KELVANE_VECTOR_WIDTH chooses one), over a
    seeded book with edge values and a tail, contiguous and strided: each element the scalar call's bits."""
    script = VECTOR_WIDTH_SCRIPT.format(tests=os.path.dirname(os.path.abspath(__file__)), names=VECTOR_LOOPS,
                                        plain=PLAIN_FUNCTIONS)
    env = dict(os.environ, KELVANE_VECTOR_WIDTH=width)
    lines = subprocess.run([sys.executable, "-c", script], env=env, capture_output=True, text=True,
                           check=True).stdout.split()
    for k, name in enumerate(VECTOR_LOOPS):
        columns, call_put = inputs_of(name, n=1001)
        expected = scalar_calls(name, columns, call_put)
        assert_bits(np.frombuffer(bytes.fromhex(lines[2 * k]), np.float64), expected, [name, width])
        strided = [c[::3] for c in columns[:4]] + [np.full(len(columns[0][::3]), 0.97)]
        expected = scalar_calls(name, strided, call_put[::3])
        assert_bits(np.frombuffer(bytes.fromhex(lines[2 * k + 1]), np.float64), expected, [name, width, "strided"])
