"""The array module's native entries fuzzed: any arguments the front could
be bypassed with get a Python exception or a result, never a crash (the
sanitizer run makes this test its fuzzer), and any shapes and strides the
front accepts give each element the scalar call's bits."""

import datetime

import numpy as np
from hypothesis import given, settings
from hypothesis import strategies as st

import kelvane
import kelvane_arrays as ka
from kelvane_arrays import _native

ENTRIES = [name for name in dir(_native) if not name.startswith("_")]
ODD_OBJECTS = [None, 0, -1, 2**70, 1.5, float("nan"), "c", "", "x" * 40, b"c", bytearray(3), [], ["c", 1],
               ("p",), {}, object(), np.zeros(0), np.zeros((2, 3)), np.zeros(3, np.int64), np.zeros(3, np.uint8),
               np.zeros(3, np.complex128), np.array(["c", "P"]), np.array(["c", None], dtype=object),
               np.zeros(3)[::-1], np.zeros((3, 1))[:, 0], np.broadcast_to(np.zeros(1), (4, 3)),
               memoryview(b"abcdefgh"), np.zeros(2, ">f8"), np.array([0, 2**62], "M8[s]").view(np.int64)]


@settings(max_examples=300, deadline=None)
@given(st.sampled_from(ENTRIES), st.lists(st.sampled_from(range(len(ODD_OBJECTS))), max_size=9))
def test_native_entries_never_crash_on_any_arguments(entry, picks):
    args = [ODD_OBJECTS[i] for i in picks]
    try:
        getattr(_native, entry)(*args)
    except (TypeError, ValueError, OverflowError, MemoryError, BufferError, AttributeError, IndexError):
        pass


shapes = st.lists(st.integers(1, 4), min_size=0, max_size=3).map(tuple)


@st.composite
def operand(draw, shape):
    """An array broadcastable to `shape`: some dimensions 1, any strides."""
    kept = tuple(draw(st.sampled_from([1, n])) for n in shape)[draw(st.integers(0, len(shape))):]
    step = draw(st.sampled_from([1, 2, -1]))
    base = np.random.default_rng(draw(st.integers(0, 2**32))).uniform(0.5, 2.0, tuple(n * abs(step) for n in kept))
    view = base[tuple(slice(None, None, step) for _ in kept)]
    return draw(st.sampled_from([view, view.astype(np.float32), np.asfortranarray(view)]))


@settings(max_examples=150, deadline=None)
@given(st.data(), shapes)
def test_any_broadcast_and_strides_give_the_scalar_bits(data, shape):
    fwd, strike, ttx, vol = (data.draw(operand(shape)) for _ in range(4))
    call_put = data.draw(st.sampled_from(["c", "PUT", np.array(["c", "p", "Call", "put"])[: shape[-1] if shape else 1]]))
    got = ka.b76_fairvalue(fwd, strike, ttx, vol, call_put, threads=data.draw(st.sampled_from([1, 3])))
    arrays = np.broadcast_arrays(*(np.asarray(x, dtype=np.float64) for x in (fwd, strike, ttx, vol)),
                                 np.asarray(call_put))
    expected = np.array([kelvane.b76_fairvalue(*(float(a[i]) for a in arrays[:4]), str(arrays[4][i]))
                         for i in np.ndindex(arrays[0].shape)]).reshape(arrays[0].shape)
    assert np.shape(got) == expected.shape
    assert np.asarray(got).tobytes() == expected.tobytes()


@settings(max_examples=60, deadline=None)
@given(st.data(), shapes)
def test_greeks_over_any_broadcast_and_strides_are_the_contiguous_ones(data, shape):
    fwd, strike, ttx, vol = (data.draw(operand(shape)) for _ in range(4))
    call_put = data.draw(st.sampled_from(["c", "PUT", np.array(["c", "p", "Call", "put"])[: shape[-1] if shape else 1]]))
    greeks = data.draw(st.permutations(ka._GREEKS).map(lambda names: names[: 1 + len(names) // 3]))
    got = ka.b76_greeks(fwd, strike, ttx, vol, call_put, greeks=greeks, threads=data.draw(st.sampled_from([1, 3])))
    arrays = [np.array(a, order="C") for a in np.broadcast_arrays(
        *(np.asarray(x, dtype=np.float64) for x in (fwd, strike, ttx, vol)), np.asarray(call_put))]
    expected = ka.b76_greeks(*arrays[:4], arrays[4], greeks=greeks, threads=1)
    assert list(got) == list(greeks)
    for name in greeks:
        assert np.shape(got[name]) == expected[name].shape
        assert np.asarray(got[name]).tobytes() == expected[name].tobytes(), name
    if "value" in got:
        scalar = np.array([kelvane.b76_fairvalue(*(float(a[i]) for a in arrays[:4]), str(arrays[4][i]))
                           for i in np.ndindex(arrays[0].shape)]).reshape(arrays[0].shape)
        assert np.asarray(got["value"]).tobytes() == scalar.tobytes()


@settings(max_examples=100, deadline=None)
@given(st.data(), shapes)
def test_implied_vols_over_any_broadcast_and_strides_are_those_of_each_element(data, shape):
    ttx, fwd, strike, value = (data.draw(operand(shape)) for _ in range(4))
    price = value * 0.3  # inside the bounds mostly, beyond them sometimes
    call_put = data.draw(st.sampled_from(["c", "PUT", np.array(["c", "p", "Call", "put"])[: shape[-1] if shape else 1]]))
    got = ka.b76_implied_vol(ttx, fwd, strike, price, call_put, threads=data.draw(st.sampled_from([1, 3])))
    arrays = np.broadcast_arrays(*(np.asarray(x, dtype=np.float64) for x in (ttx, fwd, strike, price)),
                                 np.asarray(call_put))
    expected = np.array([ka.b76_implied_vol(*(float(a[i]) for a in arrays[:4]), str(arrays[4][i]))
                         for i in np.ndindex(arrays[0].shape)]).reshape(arrays[0].shape)
    assert np.shape(got) == expected.shape
    assert np.asarray(got).tobytes() == expected.tobytes()


SMALL_ENTRIES = {name: name[len("small_"):] for name in ENTRIES if name.startswith("small_")}
NUMBERS = [100.0, 1, np.full(3, 1.5), np.full(3, 2.0), np.array(0.5)] * 3 + [2**70, True, np.float64(1.0), np.full(3, 0.5), np.full((3, 1), 0.5), np.full(2, 0.5),
           np.full(3, 0.5)[::-1], np.full(3, 0.5, ">f8"), np.full(300, 0.5), np.array(0.5), np.full(3, 7.0),
           np.full((), 7.0), np.full(3, 2.0), np.full(3, 1.5), "c"]
OPTION_TYPES = ["c", np.array(["c", "P", "put"])] * 3 + ["x", "PUT", np.array(["c", "P", "put"]), np.array(["c", "P", "x"]), np.array("c"),
                np.array(["c", "p", "c"], ">U1"), 1.0]
OUTS = [None, None, np.full(3, 7.0), np.full((), 7.0), np.full(3, 1.5), np.full(3, 0.5)[::-1], np.zeros(3, "f4")]
THREADS = [None, None, 3, 0, 2**70, True, 1.0]
GREEKS = [None, None, ["vega", "value"], ("rho",), [], ["x"], "rho", ["rho", "rho"]]
GREEK_OUTS = [None, None, {"vega": np.full(3, 7.0), "value": np.full(3, 1.5)}, {"rho": np.full((), 7.0)},
              {"rho": np.full(3, 0.5)[::-1]}, {"vega": np.zeros(3, "f4")}, {}, OUTS[2]]
SMILE = kelvane.VolGeo(datetime.datetime(2025, 3, 28, tzinfo=datetime.timezone.utc), ref_vol=50.0)
UTC = datetime.timezone.utc
INSTANTS = [datetime.datetime(2026, 3, 2, tzinfo=UTC), np.array(["2026-03-27", "NaT", "2027-01-01"], "M8[s]"),
            np.array("2026-06-26T08", "M8[ns]"), datetime.datetime(2026, 3, 2), np.array([2**62] * 3, "M8[s]"),
            np.arange(3).astype("M8[D]"), np.arange(3).astype("M8[5D]"), np.arange(2).astype("M8[us]"), 1.5,
            np.arange(3).astype("M8[D]").astype(">M8[D]"), datetime.date(2026, 3, 2)]
POOLS = {  # what each entry's arguments are drawn from, in order
    "get_bus_ttx": [["BTCUSDT", "BTCUSDT", "ETHUSDT", 1]] + [INSTANTS] * 2 + [OUTS, THREADS],
    "get_cal_ttx": [INSTANTS] * 2 + [OUTS, THREADS],
    "get_vol": [[SMILE, SMILE, None]] + [NUMBERS] * 3 + [OUTS, THREADS],
    "b76_vega": [NUMBERS] * 5 + [OUTS, THREADS],
    "b76_gamma": [NUMBERS] * 5 + [OUTS, THREADS],
    "b76_greeks": [NUMBERS] * 4 + [OPTION_TYPES, NUMBERS, GREEKS, GREEK_OUTS, THREADS],
}


def outcome(call):
    try:
        return call()
    except Exception as error:  # noqa: BLE001 - whatever the general path raises
        return type(error), str(error)


@settings(max_examples=300, deadline=None)
@given(st.sampled_from(sorted(SMALL_ENTRIES)), st.data())
def test_a_small_entry_gives_the_general_paths_result_or_leaves_the_call_to_it(entry, data):
    """Near-plain arguments: the small entry's result is the front's with the entry out of the way."""
    name = SMALL_ENTRIES[entry]
    pools = POOLS.get(name, [NUMBERS] * 4 + [OPTION_TYPES, NUMBERS, OUTS, THREADS])
    drawn = [data.draw(st.sampled_from(pool)) for pool in pools]

    def copies():  # an array drawn twice is one array twice: out may be an input
        made = {}
        return [made.setdefault(id(a), a.copy()) if isinstance(a, np.ndarray) else a for a in drawn]

    args, fresh = copies(), copies()
    front_args, out, threads = fresh[:-2], fresh[-2], fresh[-1]
    keywords = {"greeks": front_args.pop()} if name == "b76_greeks" else {}
    got = outcome(lambda: getattr(_native, entry)(*args))
    if got is None:
        return
    original = getattr(_native, entry)
    setattr(_native, entry, lambda *a: None)
    try:
        expected = outcome(lambda: getattr(ka, name)(*front_args, **keywords, out=out, threads=threads))
    finally:
        setattr(_native, entry, original)
    if isinstance(expected, dict):  # b76_greeks: each greek's result as another entry's
        assert list(got) == list(expected)
        got, expected = list(got.values()), list(expected.values())
    else:
        got, expected = [got], [expected]
    for one, other in zip(got, expected, strict=True):
        assert type(one) is type(other)
        assert np.asarray(one).tobytes() == np.asarray(other).tobytes()
