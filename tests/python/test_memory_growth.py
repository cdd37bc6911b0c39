"""Every entry, on its success and its error paths, called tens of thousands of times: the heap, the
interpreter's live blocks and the garbage-collected objects stay flat."""
import ctypes
import ctypes.util
import datetime
import gc
import os
import sys

import numpy as np
import pandas as pd
import pytest

import kelvane
import kelvane_arrays as ka

pytestmark = pytest.mark.skipif(
    os.environ.get("KELVANE_SANITIZED") == "1" or sys.getallocatedblocks() == 0,
    reason="the sanitizers' allocator keeps freed memory in quarantine; Python's own allocator counts blocks")

EXPIRY = datetime.datetime(2025, 3, 28, 8, 0, tzinfo=datetime.timezone.utc)
START = datetime.datetime(2024, 3, 4, 14, 30, tzinfo=datetime.timezone.utc)
CALLS = 20_000
SMILES = {cls.__name__: cls for cls in (kelvane.GVVSpline, kelvane.VolGeo, kelvane.CubicSpline)}
CAL = kelvane.Calendar("BTCUSDT")
STRIKES = [80.0, 90.0, 100.0, 110.0, 120.0]
ARRAY = np.array(STRIKES)


# Strips of several blocks, read, evaluated and emitted a block at a time.
LONG_STRIKES = [50.0 + i * 0.05 for i in range(2500)]


class Overstating:
    """A sequence whose items run out one short of its length."""

    def __init__(self, items):
        self.items = items

    def __len__(self):
        return len(self.items) + 1

    def __getitem__(self, i):
        return self.items[i]


class Lying(list):
    def __len__(self):
        return 2**62


def smile_cases(name):
    cls = SMILES[name]
    smile = cls(EXPIRY, ref_vol=60.0)
    return {
        f"{name} construction": lambda: cls(EXPIRY, ref_vol=60.0, skew=1.0),
        f"{name} construction, bad expiry": lambda: cls(1.0),
        f"{name} construction, bad parameter": lambda: cls(EXPIRY, ref_vol="x"),
        f"{name}.with_params": lambda: cls.with_params(EXPIRY, {"ref_vol": 55.0}),
        f"{name}.with_params, bad dict": lambda: cls.with_params(EXPIRY, [1]),
        f"{name}.expiry": lambda: smile.expiry,
        f"{name}.get_vol": lambda: smile.get_vol(0.25, 100.0, STRIKES),
        f"{name}.get_vol, array": lambda: smile.get_vol(0.25, 100.0, ARRAY),
        f"{name}.get_vol, bad strike": lambda: smile.get_vol(0.25, 100.0, [100.0, "x"]),
        f"{name}.get_vol, huge length": lambda: smile.get_vol(0.25, 100.0, Lying()),
        f"{name}.get_vol, strip of blocks": lambda: smile.get_vol(0.25, 100.0, LONG_STRIKES),
        f"{name}.get_vol, bad strike after blocks": lambda: smile.get_vol(0.25, 100.0, LONG_STRIKES + ["x"]),
        f"{name}.get_jacobian, strip of blocks":
            lambda: smile.get_jacobian(0.25, 100.0, LONG_STRIKES, ["ref_vol", "vpr", "x", "vpr"]),
        f"{name}.get_vol, items running out after blocks":
            lambda: smile.get_vol(0.25, 100.0, Overstating(LONG_STRIKES)),
        f"{name}.get_vol_single": lambda: smile.get_vol_single(0.25, 100.0, 95.0),
        f"{name}.arb_free": smile.arb_free,
        f"{name}.get_parameter": lambda: (smile.get_parameter("ref_vol"), smile.get_parameter("nope")),
        f"{name}.set_param": lambda: smile.set_param("offset", 0.0),
        f"{name}.set_param, bad value": lambda: smile.set_param("offset", None),
        f"{name}.get_param_dict": smile.get_param_dict,
        f"{name}.get_fitting_params": smile.get_fitting_params,
        f"{name}.reanchor": lambda: smile.reanchor(100.0, 0.25),
        f"{name}.reanchor, refused": lambda: smile.reanchor(100.0, 0.0),
        f"{name}.bump_param": lambda: (smile.bump_param("ref_vol", 1.0), smile.bump_param("ref_vol", -1.0)),
        f"{name}.bump_param, bad name": lambda: smile.bump_param(1, 1.0),
        f"{name}.get_jacobian": lambda: smile.get_jacobian(0.25, 100.0, ARRAY, ["ref_vol", "vpr", "x"]),
        f"{name}.get_jacobian, bad names": lambda: smile.get_jacobian(0.25, 100.0, STRIKES, "ref_vol"),
    }


def option_function_cases(name):
    function = getattr(kelvane, name)
    if name == "calibrate_black76_iv":
        good = lambda: function(1.0, 100.0, 100.0, 8.0, "call")  # noqa: E731
    elif name in ("b76_vega", "b76_gamma"):
        good = lambda: function(100.0, 95.0, 1.0, 0.2, 0.99)  # noqa: E731
    else:
        good = lambda: function(100.0, 95.0, 1.0, 0.2, "Put", 0.99)  # noqa: E731
    cases = {name: good, f"{name}, bad float": lambda: function(100.0, 95.0, "x", 0.2, "c")}
    if name not in ("b76_vega", "b76_gamma"):
        cases[f"{name}, bad option type"] = lambda: function(100.0, 95.0, 1.0, 0.2, "straddle\x00")
        cases[f"{name}, str subclass option type"] = lambda: function(100.0, 95.0, 1.0, 0.2, Text("ÇALL"))
    return cases


class Text(str):
    pass


CASES = {
    "Calendar construction": lambda: kelvane.Calendar("BTCUSDT"),
    "Calendar construction, unknown underlying": lambda: kelvane.Calendar("ETHUSDT\x00"),
    "Calendar.get_bus_ttx": lambda: CAL.get_bus_ttx(START, EXPIRY),
    "Calendar.get_bus_ttx, bad datetime": lambda: CAL.get_bus_ttx(START, 1),
    "Calendar.get_cal_ttx": lambda: CAL.get_cal_ttx(START, EXPIRY),
    "Calendar.get_cal_ttx, invalid timestamp": lambda: CAL.get_cal_ttx(START, Stamp()),
    "Calendar.tenor_to_ttx": lambda: CAL.tenor_to_ttx("3m"),
    "Calendar.tenor_to_ttx, bad tenor": lambda: CAL.tenor_to_ttx("3x\x00"),
}
for _smile in SMILES:
    CASES.update(smile_cases(_smile))
for _function in kelvane.__all__[4:]:
    CASES.update(option_function_cases(_function))


class Stamp:
    def timestamp(self):
        return 1e20


# Calendar construction reads the whole embedded document: fewer calls.
CALLS_OF = {"Calendar construction": 4_000,
            **{f"{name}.get_vol, {case}": 2_000 for name in SMILES
               for case in ("strip of blocks", "bad strike after blocks", "items running out after blocks")},
            **{f"{name}.get_jacobian, strip of blocks": 1_000 for name in SMILES}}


BOOK = np.linspace(80.0, 120.0, 64)
DAYS = np.arange(19700, 19764).astype("M8[D]")
BAD_DAYS = DAYS.astype("M8[s]")
BAD_DAYS[-1] = np.datetime64(2**62, "s")  # beyond every instant
SMILE_OF = {name: cls(EXPIRY, ref_vol=60.0) for name, cls in SMILES.items()}


def array_function_cases(name):
    function = getattr(ka, name)
    types = () if name in ("b76_vega", "b76_gamma") else (np.array(["c", "PUT"] * 32),)
    cases = {
        f"{name}, on two threads": lambda: function(BOOK, 100.0, 1.0, 0.2, *types, threads=2),
        f"{name}, into out": lambda: function(BOOK, 100, 1, [0.2], *types, out=np.empty(64)),
        f"{name}, bad float": lambda: function(BOOK, 100.0, "x", 0.2, *types),
        f"{name}, bad out": lambda: function(BOOK, 100.0, 1.0, 0.2, *types, out=np.empty(3)),
    }
    small_types = () if name in ("b76_vega", "b76_gamma") else (np.array(["c", "PUT"] * 5),)
    cases[f"{name}, small"] = lambda: function(BOOK[:10], 100.0, 1, 0.2, *small_types)
    cases[f"{name}, small into out"] = lambda: function(BOOK[:10], 100.0, 1, 0.2, *small_types, out=np.empty(10))
    scalar_type = ("c",) if small_types else ()
    cases[f"{name}, small of scalars"] = lambda: function(100.0, 100.0, 1, 0.2, *scalar_type)
    if types:
        cases[f"{name}, small, bad option type"] = lambda: function(BOOK[:10], 100.0, 1.0, 0.2, "x")
        cases[f"{name}, bad option type"] = lambda: function(BOOK, 100.0, 1.0, 0.2, ["c"] * 63 + ["ÇALL"])
        cases[f"{name}, non-ASCII option type"] = lambda: function(BOOK, 100, 1, 0.2, np.array(["Çall", "c"] * 32))
        cases[f"{name}, option type of no str"] = lambda: function(BOOK, 100.0, 1.0, 0.2, np.array([1, "c"], object))
    return cases


ARRAY_CASES = {
    "get_jacobian": lambda: ka.get_jacobian(SMILE_OF["VolGeo"], 0.25, 100.0, BOOK, ["ref_vol", "x", "vpr"]),
    "get_jacobian, masked strikes on two threads": lambda: ka.get_jacobian(
        SMILE_OF["VolGeo"], 0.25, 100.0, np.ma.masked_greater(BOOK, 100.0), ["ref_vol"], threads=2),
    "b76_vega, objects": lambda: ka.b76_vega(100.0, BOOK.astype(object), 0.5, 0.25),
    "b76_vega, an object refused": lambda: ka.b76_vega(100.0, [*BOOK[:40], None], 0.5, 0.25),
    "b76_vega, a missing nullable value": lambda: ka.b76_vega(100.0, pd.Series([1.0, None], dtype="Float64"), 0.5,
                                                              0.25),
    "b76_vega, shapes that do not broadcast": lambda: ka.b76_vega(100.0, BOOK, BOOK[:2], 0.25),
    "b76_fairvalue, masked": lambda: ka.b76_fairvalue(100.0, np.ma.masked_greater(BOOK, 100.0), 0.5, 0.25, "c"),
    "get_jacobian, bad params": lambda: ka.get_jacobian(SMILE_OF["VolGeo"], 0.25, 100.0, BOOK, [1]),
    "get_bus_ttx, on two threads": lambda: ka.get_bus_ttx("BTCUSDT", DAYS, EXPIRY, threads=2),
    "get_bus_ttx, datetimes": lambda: ka.get_bus_ttx("BTCUSDT", [START, EXPIRY], EXPIRY),
    "get_bus_ttx, invalid instant": lambda: ka.get_bus_ttx("BTCUSDT", BAD_DAYS, EXPIRY),
    "get_bus_ttx, unknown underlying": lambda: ka.get_bus_ttx("ETHUSDT\x00", DAYS, EXPIRY),
    "get_bus_ttx, small": lambda: ka.get_bus_ttx("BTCUSDT", START, DAYS[:10]),
    "get_bus_ttx, small into out": lambda: ka.get_bus_ttx("BTCUSDT", DAYS[:10], EXPIRY, out=np.empty(10)),
    "get_cal_ttx, small": lambda: ka.get_cal_ttx(START, DAYS[:10]),
    "get_cal_ttx, small of two datetimes": lambda: ka.get_cal_ttx(START, EXPIRY),
    "get_cal_ttx, small, invalid instant": lambda: ka.get_cal_ttx(BAD_DAYS[-10:], EXPIRY),
    "get_cal_ttx, on two threads": lambda: ka.get_cal_ttx(DAYS, EXPIRY, threads=2),
    "get_cal_ttx, bad datetime": lambda: ka.get_cal_ttx([START, 1], EXPIRY),
    "get_cal_ttx, invalid instant": lambda: ka.get_cal_ttx(BAD_DAYS, EXPIRY),
    "get_cal_ttx, Series": lambda: ka.get_cal_ttx(pd.Series(DAYS), EXPIRY),
    "get_cal_ttx, Series on other indexes": lambda: ka.get_cal_ttx(pd.Series(DAYS), pd.Series(DAYS, index=DAYS)),
}
for _smile, _model in SMILE_OF.items():
    ARRAY_CASES[f"get_vol, {_smile}, on two threads"] = lambda s=_model: ka.get_vol(s, 0.25, BOOK[:, None], BOOK,
                                                                                   threads=2)
    ARRAY_CASES[f"get_vol, {_smile}, bad strikes"] = lambda s=_model: ka.get_vol(s, 0.25, 100.0, ["x"])
    ARRAY_CASES[f"get_vol, {_smile}, small"] = lambda s=_model: ka.get_vol(s, 0.25, 100.0, BOOK[:10])
    ARRAY_CASES[f"get_vol, {_smile}, Series"] = lambda s=_model: ka.get_vol(s, 0.25, 100.0, pd.Series(BOOK))
for _function in ka.__all__[:11]:
    ARRAY_CASES.update(array_function_cases(_function))
ARRAY_CASES.update({
    "b76_greeks, on two threads": lambda: ka.b76_greeks(BOOK, 100.0, 1.0, 0.2, "c", threads=2),
    "b76_greeks, into out": lambda: ka.b76_greeks(BOOK, 100, 1, [0.2], "p", out={"vega": np.empty(64)}),
    "b76_greeks, Series": lambda: ka.b76_greeks(pd.Series(BOOK), 100.0, 1.0, 0.2, "c", greeks=["charm", "value"]),
    "b76_greeks, unknown greek": lambda: ka.b76_greeks(BOOK, 100.0, 1.0, 0.2, "c", greeks=["delta", "x"]),
    "b76_greeks, bad out": lambda: ka.b76_greeks(BOOK, 100.0, 1.0, 0.2, "c", out={"rho": np.empty(3)}),
    "b76_greeks, bad option type": lambda: ka.b76_greeks(BOOK, 100.0, 1.0, 0.2, ["c"] * 63 + ["ÇALL"]),
})
ARRAY_CASES.update(array_function_cases("b76_implied_vol"))  # (ttx, fwd, strike, price): prices 0.2 on 1.0
ARRAY_CASES.update({
    "b76_greeks, small": lambda: ka.b76_greeks(BOOK[:10], 100.0, 1, 0.2, np.array(["c", "PUT"] * 5)),
    "b76_greeks, small of scalars": lambda: ka.b76_greeks(100.0, 100.0, 1, 0.2, "c", greeks=("vega", "rho")),
    "b76_greeks, small into out": lambda: ka.b76_greeks(BOOK[:10], 100.0, 1.0, 0.2, "p",
                                                        out={"speed": np.empty(10), "value": np.empty(10)}),
    "b76_greeks, small, unknown greek": lambda: ka.b76_greeks(BOOK[:10], 100.0, 1.0, 0.2, "c", greeks=["x"]),
})


class MallInfo2(ctypes.Structure):
    _fields_ = [(f, ctypes.c_size_t) for f in
                ("arena", "ordblks", "smblks", "hblks", "hblkhd", "usmblks", "fsmblks", "uordblks", "fordblks",
                 "keepcost")]


LIBC = ctypes.CDLL(ctypes.util.find_library("c"))
LIBC.mallinfo2.restype = MallInfo2


def heap_in_use():
    """Bytes the C allocator has handed out and not had back (the module's own allocations)."""
    info = LIBC.mallinfo2()
    return info.uordblks + info.hblkhd


def footprint():
    gc.collect()
    return heap_in_use(), sys.getallocatedblocks(), len(gc.get_objects())


def run(call, times):
    for _ in range(times):
        try:
            call()
        except (TypeError, ValueError, AttributeError, MemoryError, IndexError):
            pass


def growth(call, times):
    heap, blocks, objects = footprint()
    run(call, times)
    heap_after, blocks_after, objects_after = footprint()
    return heap_after - heap, blocks_after - blocks, objects_after - objects


def assert_flat(case, call, times):
    run(call, times // 10)  # caches, free lists and first-use objects settle
    # A leak of one object, or of 8 bytes, per call shows as `times` blocks or 8 * `times` bytes in every
    # round. A library's cache that fills once (pandas keeps some across calls) shows in one round only,
    # so a round that is not flat is measured again before it counts.
    for _ in range(2):
        heap, blocks, objects = growth(call, times)
        if heap < 64 * 1024 and blocks < 100 and objects < 50:
            return
    assert blocks < 100, f"{case}: {blocks} more live blocks after {times} calls"
    assert objects < 50, f"{case}: {objects} more tracked objects"
    assert heap < 64 * 1024, f"{case}: {heap} more heap bytes after {times} calls"


@pytest.mark.parametrize("case", CASES.keys())
def test_repeated_calls_leave_nothing_behind(case):
    assert_flat(case, CASES[case], CALLS_OF.get(case, CALLS))


@pytest.mark.parametrize("case", ARRAY_CASES.keys())
def test_repeated_array_calls_leave_nothing_behind(case):
    # A thread started and joined per call: fewer calls.
    assert_flat(case, ARRAY_CASES[case], 4_000 if case.endswith("on two threads") else CALLS)


def test_every_entry_is_exercised():
    names = {case.split(" ")[0].split(".")[0].rstrip(",") for case in CASES}
    assert names == set(kelvane.__all__)
    assert {case.split(",")[0] for case in ARRAY_CASES} == set(ka.__all__)
