"""Small calls: a call of plain arguments (exact floats and ints, C-order native float64 and str_ arrays of
one shape, a str) on fewer than 256 options is taken by the native small entry, and gives the bits, the
result type and the errors of the general path, which takes every other call."""
import datetime

import numpy as np
import pytest

import kelvane
import kelvane_arrays as ka
from kelvane_arrays import _native

PRICING = ka.__all__[:11]
PLAIN = ("b76_vega", "b76_gamma")
SMALL = [*PRICING, "get_vol"]
EXPIRY = datetime.datetime(2025, 3, 28, 8, 0, tzinfo=datetime.timezone.utc)
SMILE = kelvane.VolGeo(EXPIRY, ref_vol=55.0, corr=-0.4, vvol=35.0, ref_spot=103.0, vpr=0.8)


def arguments(name, shape, seed=7):
    """Seeded arguments of `name` in signature order, arrays of `shape` (edge values mixed in)."""
    r = np.random.default_rng(seed)
    numbers = [r.uniform(50, 150, shape), r.uniform(50, 150, shape), r.uniform(-0.1, 2, shape),
               r.uniform(-0.1, 1.2, shape), r.uniform(0.9, 1.0, shape)]
    if np.size(numbers[0]) > 1:
        numbers[2].flat[0], numbers[3].flat[-1] = 0.0, np.nan
    if name == "get_vol":
        return [SMILE, numbers[2], numbers[0], numbers[1]]
    if name in PLAIN:
        return numbers
    if name == "calibrate_black76_iv":
        numbers = [numbers[2], numbers[0], numbers[1], r.uniform(0, 30, shape), numbers[4]]
    call_put = r.choice(np.array(["c", "p", "Call", "PUT"]), shape) if shape else "put"
    return numbers[:4] + [call_put, numbers[4]]


def entry(name):
    return getattr(_native, "small_" + name)


def small(name, *args, out=None, threads=None):
    """The small entry's answer: None where it leaves the call to the general path."""
    args = list(args) + [1.0] * (len(arguments(name, ())) - len(args) if name != "get_vol" else 0)
    return entry(name)(*args, out, threads)


@pytest.fixture
def general(monkeypatch):
    """The front function through its general path alone."""
    def call(name, *args, **kwargs):
        with monkeypatch.context() as patched:
            patched.setattr(_native, "small_" + name, lambda *a: None)
            return getattr(ka, name)(*args, **kwargs)
    return call


def assert_same(computed, expected):
    assert type(computed) is type(expected)
    assert np.shape(computed) == np.shape(expected)
    assert np.asarray(computed).tobytes() == np.asarray(expected).tobytes(), (computed, expected)


def floats_and_ints(args):
    """Every other number a float, the last array of them an int, the rest arrays."""
    numbers = [i for i, x in enumerate(args) if isinstance(x, np.ndarray) and x.dtype.kind == "f"]
    changed = list(args)
    for i in numbers[1::2]:
        changed[i] = float(args[i].flat[0])
    changed[numbers[-1]] = 1
    return changed


FORMS = {  # the plain forms: each argument from the seeded arrays of a shape
    "arrays": lambda a: a,
    "a grid": lambda a: a,
    "empty arrays": lambda a: a,
    "floats and ints": floats_and_ints,
    "0-d arrays": lambda a: [np.asarray(x.flat[0]) if isinstance(x, np.ndarray) else x for x in a],
    "scalars": lambda a: [x.flat[0].item() if isinstance(x, np.ndarray) else x for x in a],
}
SHAPES = {"arrays": (10,), "a grid": (3, 4), "empty arrays": (0, 3), "floats and ints": (10,), "0-d arrays": (5,), "scalars": (10,)}


@pytest.mark.parametrize("form", FORMS)
@pytest.mark.parametrize("name", SMALL)
def test_small_calls_give_the_general_paths_bits_and_types(name, form, general):
    args = FORMS[form](arguments(name, SHAPES[form]))
    got = getattr(ka, name)(*args)
    assert small(name, *args) is not None
    assert_same(got, general(name, *args))
    if form in ("0-d arrays", "scalars"):
        assert type(got) is np.float64
    if name != "get_vol":  # every element the scalar call
        scalar = getattr(kelvane, name)
        flat = np.broadcast_arrays(*(np.asarray(x) for x in args))
        expected = [scalar(*(x.flat[i].item() for x in flat)) for i in range(flat[0].size)]
        assert np.asarray(got).ravel().tobytes() == np.array(expected).tobytes()


@pytest.mark.parametrize("name", SMALL)
def test_out_and_threads_through_the_small_path(name, general):
    args = arguments(name, (4, 5))
    out = np.full((4, 5), -7.0)
    assert small(name, *args, out=out, threads=3) is out
    assert_same(out, general(name, *args))
    fwd = args[1].copy()
    args[1] = fwd
    assert getattr(ka, name)(*args, out=fwd, threads=2**70) is fwd  # out the input itself
    args[1] = arguments(name, (4, 5))[1]
    assert_same(fwd, general(name, *args))
    zero_d = np.empty(())
    args = arguments(name, ())
    assert getattr(ka, name)(*args, out=zero_d) is zero_d and zero_d[()] == general(name, *args)


def half_of(a):
    """A non-contiguous view of the same values."""
    return np.repeat(a, 2)[::2]


class Sub(np.ndarray):
    pass


FALLBACKS = {
    "a subclass": lambda a: a.view(Sub),
    "big-endian": lambda a: a.astype(">f8"),
    "a non-contiguous view": half_of,
    "Fortran order": lambda a: np.asfortranarray(a.reshape(2, 5)).reshape(2, 5),
    "float32": lambda a: a.astype(np.float32),
    "a list": list,
    "a bool": lambda a: True,
    "a float subclass": lambda a: np.float64(a[0]),
    "another shape": lambda a: a[:2],
    "another shape, broadcast": lambda a: a[:1],
}


def outcome(call):
    try:
        return call()
    except (TypeError, ValueError) as error:
        return type(error), str(error)


@pytest.mark.parametrize("fallback", [*FALLBACKS, "256 elements"])
@pytest.mark.parametrize("name", ["b76_fairvalue", "b76_vega", "calibrate_black76_iv", "get_vol"])
def test_any_other_form_is_left_to_the_general_path(name, fallback, general):
    args = arguments(name, (256,) if fallback == "256 elements" else (10,))
    if fallback in FALLBACKS:
        changed = FALLBACKS[fallback](args[1])
        if fallback == "Fortran order":
            args = [x.reshape(2, 5) if isinstance(x, np.ndarray) else x for x in args]
        args[1] = changed
    assert small(name, *args) is None
    got, expected = outcome(lambda: getattr(ka, name)(*args)), outcome(lambda: general(name, *args))
    if isinstance(expected, tuple):
        assert got == expected
    else:
        assert_same(got, expected)


@pytest.mark.parametrize("call_put", [np.array(["c", "x", "p"]), np.array(["c", "Çall", "p"]), "Çall", "CALL ",
                                      np.array(["c", "p", "c"]).astype(">U1"), np.array(["c", "p"], dtype=object),
                                      ["c", "p", "c"]])
def test_option_types_it_cannot_read_alone_are_the_general_paths(call_put, general):
    args = [np.full(3, 100.0), 95.0, 1.0, 0.2, call_put]
    assert small("b76_delta", *args) is None
    got, expected = outcome(lambda: ka.b76_delta(*args)), outcome(lambda: general("b76_delta", *args))
    if isinstance(expected, tuple):
        assert got == expected
    else:
        assert_same(got, expected)


@pytest.mark.parametrize("changes, error, message", [
    ({"strike": np.ones(4)}, ValueError, "cannot be broadcast together"),
    ({"out": np.empty(4)}, ValueError, r"argument 'out': expected shape \(3,\), got \(4,\)"),
    ({"out": np.frombuffer(bytes(24))}, ValueError, "argument 'out': the array is read-only"),
    ({"out": np.empty(3, np.float32)}, TypeError, "argument 'out': expected dtype float64, got float32"),
    ({"threads": 0}, ValueError, "argument 'threads': must be at least 1, got 0"),
    ({"ttx": 2**1024}, OverflowError, "int too large to convert to float"),
    ({"call_put": "x"}, ValueError, "Unknown option type: 'x'"),
])
def test_wrong_arguments_raise_the_general_paths_errors(changes, error, message):
    kwargs = {"fwd": np.full(3, 100.0), "strike": 100.0, "ttx": 1.0, "vol": 0.2, "call_put": "c", **changes}
    assert small("b76_fairvalue", *[kwargs[k] for k in ("fwd", "strike", "ttx", "vol", "call_put")], 1.0,
                 out=kwargs.get("out"), threads=kwargs.get("threads")) is None
    with pytest.raises(error, match=message):
        ka.b76_fairvalue(**kwargs)


# ---- business and calendar time ------------------------------------------------

UTC = datetime.timezone.utc
INTERVALS = {"get_bus_ttx": lambda *a, **k: ka.get_bus_ttx("BTCUSDT", *a, **k), "get_cal_ttx": ka.get_cal_ttx}
SMALL_INTERVALS = {"get_bus_ttx": lambda *a: _native.small_get_bus_ttx("BTCUSDT", *a),
                   "get_cal_ttx": _native.small_get_cal_ttx}


def instants(unit, shape, seed=3):
    r = np.random.default_rng(seed)
    low, high = (np.datetime64(d, unit).astype(np.int64) for d in ("1990-01-01", "2040-01-01"))
    ticks = r.integers(low, high, shape)
    if ticks.size > 2:
        ticks.flat[1] = np.iinfo(np.int64).min  # NaT
    return ticks.view(f"M8[{unit}]")


INSTANT_FORMS = {
    "aware and datetime64": lambda: (datetime.datetime(2026, 3, 2, 10, 30, 15, 250, tzinfo=UTC),
                                      instants("us", (10,))),
    "datetime64 grids": lambda: (instants("s", (3, 4)), instants("ns", (3, 4), seed=4)),
    "days and weeks": lambda: (instants("D", (5,)), instants("W", ())),
    "naive and of a fixed offset": lambda: (
        datetime.datetime(2026, 3, 2, 10, 30),
        datetime.datetime(2026, 9, 2, tzinfo=datetime.timezone(datetime.timedelta(hours=-5)))),
}


@pytest.mark.parametrize("form", INSTANT_FORMS)
@pytest.mark.parametrize("name", INTERVALS)
def test_small_intervals_give_the_general_paths_bits_and_types(name, form, general):
    from_, to = INSTANT_FORMS[form]()
    assert SMALL_INTERVALS[name](from_, to, None, None) is not None
    leading = ("BTCUSDT",) if name == "get_bus_ttx" else ()
    expected = general(name, *leading, from_, to)
    assert_same(INTERVALS[name](from_, to), expected)
    out = np.full(np.shape(expected), -7.0)
    assert INTERVALS[name](from_, to, out=out, threads=4) is out
    assert_same(out, np.asarray(expected))


class Zone(datetime.tzinfo):
    def utcoffset(self, dt):
        return datetime.timedelta(hours=1)


@pytest.mark.parametrize("from_", [
    datetime.datetime(2026, 3, 2, tzinfo=Zone()), instants("us", (3,)).astype(">M8[us]"),
    instants("s", (3,)).astype("M8[5s]"), instants("D", (3,)).astype("M8[M]"), instants("us", (6,))[::2],
    list(instants("us", (3,))), np.datetime64("2026-03-02"), instants("us", (2,)), instants("us", (256,)),
    np.array([2**62], "M8[s]").repeat(3),
], ids=["a tzinfo of its own", "big-endian", "a multiple of a unit", "months", "a strided view", "a list",
        "a datetime64 scalar", "another shape", "256 elements", "an invalid instant"])
@pytest.mark.parametrize("name", INTERVALS)
def test_other_instants_are_left_to_the_general_path(name, from_, general):
    to = instants("us", (256,) if np.size(from_) == 256 else (3,), seed=5)
    assert SMALL_INTERVALS[name](from_, to, None, None) is None
    leading = ("BTCUSDT",) if name == "get_bus_ttx" else ()
    got, expected = outcome(lambda: INTERVALS[name](from_, to)), outcome(lambda: general(name, *leading, from_, to))
    if isinstance(expected, tuple):
        assert got == expected
    else:
        assert_same(got, expected)


def test_a_smile_changed_between_small_calls_is_read_anew():
    smile = kelvane.GVVSpline(EXPIRY, ref_vol=55.0, skew=-4.0)
    strikes = np.linspace(60.0, 140.0, 9)
    for change in (lambda: None, lambda: smile.set_param("skew", 0.0), lambda: smile.set_param("skew", -0.0),
                   lambda: smile.bump_param("ref_vol", 1e-12), lambda: smile.reanchor(104.0, 0.3)):
        change()
        assert_same(ka.get_vol(smile, 0.25, 100.0, strikes), np.array(smile.get_vol(0.25, 100.0, list(strikes))))
        other = SMILE.get_vol(0.25, 100.0, list(strikes))  # another smile between two calls of this one
        assert_same(ka.get_vol(SMILE, 0.25, 100.0, strikes), np.array(other))


# ---- b76_greeks ------------------------------------------------------------------

GREEK_CHOICES = {"all": None, "a list": ["ultima", "value", "dual_gamma"], "a tuple": ("vega",), "none": [],
                 "names built at run time": ["".join(["del", "ta"]), "rh" + "o"]}


def small_greeks(*args, greeks=None, out=None, threads=None):
    return _native.small_b76_greeks(*args, greeks, out, threads)


def assert_same_greeks(computed, expected):
    assert list(computed) == list(expected)
    for name in expected:
        assert_same(computed[name], expected[name])
        if getattr(expected[name], "base", None) is not None:  # the rows of one block, as the general path gives them
            assert computed[name].base.shape == expected[name].base.shape
            assert computed[name].flags == expected[name].flags


@pytest.mark.parametrize("choice", GREEK_CHOICES)
@pytest.mark.parametrize("form", FORMS)
def test_small_greeks_give_the_general_paths_dict(form, choice, general):
    args = FORMS[form](arguments("b76_greeks", SHAPES[form]))
    greeks = GREEK_CHOICES[choice]
    assert small_greeks(*args, greeks=greeks) is not None
    got, expected = ka.b76_greeks(*args, greeks=greeks), general("b76_greeks", *args, greeks=greeks)
    assert_same_greeks(got, expected)


@pytest.mark.parametrize("greeks", [None, ["gamma", "value"]])
@pytest.mark.parametrize("shape", [(4, 5), ()])
def test_small_greeks_into_out(shape, greeks, general):
    args = arguments("b76_greeks", shape)
    out = {"value": np.full(shape, -7.0), "gamma": np.full(shape, -7.0)}
    got = ka.b76_greeks(*args, greeks=greeks, out=dict(out), threads=3)
    assert small_greeks(*args, greeks=greeks, out=out) is not None
    assert list(got) == list(greeks or out) and all(got[name] is out[name] for name in out)
    for name, value in general("b76_greeks", *args, greeks=list(got)).items():
        assert_same(got[name], np.asarray(value))


class Name(str):
    pass


GREEK_FALLBACKS = {  # greeks=, out= (of arrays of 10)
    "a str": ("vega", None), "an unknown name": (["vega", "x"], None), "a name twice": (["rho", "rho"], None),
    "a str subclass": ([Name("rho")], None), "a set": ({"rho"}, None),
    "a dict subclass": (None, type("D", (dict,), {})(rho=np.empty(10))),
    "a key of another type": (None, {"rho": np.empty(10), 1: np.empty(10)}),
    "out of other names": (["rho"], {"vega": np.empty(10)}), "out of more names": (["rho"], {
        "rho": np.empty(10), "vega": np.empty(10)}),
    "outs that overlap": (None, {"rho": (shared := np.empty(11))[1:], "vega": shared[:10]}),
    "an out of another shape": (None, {"rho": np.empty(3)}),
    "a read-only out": (None, {"rho": np.frombuffer(bytes(80))}),
    "an array out": (None, np.empty(10)),
}


@pytest.mark.parametrize("fallback", [*GREEK_FALLBACKS, "a list input", "256 elements"])
def test_other_greeks_and_outs_are_left_to_the_general_path(fallback, general):
    args = arguments("b76_greeks", (256,) if fallback == "256 elements" else (10,))
    greeks, out = GREEK_FALLBACKS.get(fallback, (None, None))
    if fallback == "a list input":
        args[0] = list(args[0])
    assert small_greeks(*args, greeks=greeks, out=out) is None
    got = outcome(lambda: ka.b76_greeks(*args, greeks=greeks, out=out))
    expected = outcome(lambda: general("b76_greeks", *args, greeks=greeks, out=out))
    if isinstance(expected, tuple):
        assert got == expected
    else:
        assert_same_greeks(got, expected)
