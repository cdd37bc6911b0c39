"""The smile classes GVVSpline, VolGeo and CubicSpline from Python."""
import array
import datetime
import inspect
import math
import random
import struct
import weakref

import numpy as np
import pytest

import kelvane

EXPIRY = datetime.datetime(2025, 3, 28, 8, 0, tzinfo=datetime.timezone.utc)
CLASSES = [kelvane.GVVSpline, kelvane.VolGeo, kelvane.CubicSpline]
DEFAULTS = {
    kelvane.GVVSpline: {"vpr": 1.0, "ref_spot": 100.0, "ref_vol": 50.0, "skew": 0.0, "smile": 5.0,
                        "pwing": 0.0, "cwing": 0.0, "offset": 0.0},
    kelvane.VolGeo: {"vpr": 1.0, "ref_spot": 100.0, "ref_vol": 50.0, "corr": 0.0, "vvol": 20.0, "offset": 0.0},
    kelvane.CubicSpline: {"vpr": 1.0, "ref_spot": 100.0, "ref_vol": 50.0,
                          **{f"{side}{node}": 0.0 for side in "pc" for node in ("05", "10", "15", "20", "25")}},
}
FITTING = {
    kelvane.GVVSpline: ["ref_vol", "skew", "smile"],
    kelvane.VolGeo: ["ref_vol", "corr", "vvol"],
    kelvane.CubicSpline: ["ref_vol", "p25", "p20", "p15", "p10", "p05", "c05", "c10", "c15", "c20", "c25"],
}
# Shapes that keep every model arbitrage-free and its vols finite.
SHAPES = {
    kelvane.GVVSpline: lambda r: {"ref_vol": r.uniform(20, 90), "skew": r.uniform(-10, 10),
                                  "smile": r.uniform(1, 20), "pwing": r.uniform(0, 5), "cwing": r.uniform(0, 5),
                                  "ref_spot": r.uniform(80, 120)},
    kelvane.VolGeo: lambda r: {"ref_vol": r.uniform(20, 90), "corr": r.uniform(-1, 1),
                               "vvol": r.uniform(1, 60), "ref_spot": r.uniform(80, 120)},
    kelvane.CubicSpline: lambda r: {"ref_vol": r.uniform(30, 90), "ref_spot": r.uniform(80, 120),
                                    **{f"{side}{node}": r.uniform(0, 3) for side in "pc"
                                       for node in ("05", "10", "15", "20", "25")}},
}
METHODS = ["with_params", "get_vol", "get_vol_single", "arb_free", "get_parameter", "set_param",
           "get_param_dict", "get_fitting_params", "reanchor", "bump_param", "get_jacobian"]
TEXT_SIGNATURES = {
    "with_params": "(expiry, params)", "get_vol": "($self, ttx, spot, strikes)",
    "get_vol_single": "($self, ttx, spot, strike)", "arb_free": "($self)", "get_parameter": "($self, param)",
    "set_param": "($self, param, value)", "get_param_dict": "($self)", "get_fitting_params": "($self)",
    "reanchor": "($self, spot, ttx)", "bump_param": "($self, param, d_value)",
    "get_jacobian": "($self, ttx, spot, strikes, params)",
}

parametrize_classes = pytest.mark.parametrize("cls", CLASSES, ids=lambda c: c.__name__)


def seeded_models(cls, count=25, seed=11):
    r = random.Random(seed)
    return [cls.with_params(EXPIRY, SHAPES[cls](r)) for _ in range(count)]


STRIKES = [50.0, 70.0, 85.0, 95.0, 100.0, 105.0, 120.0, 150.0, 200.0]


@parametrize_classes
def test_class_properties(cls):
    assert cls.__module__ == "builtins"
    assert repr(cls) == f"<class 'builtins.{cls.__name__}'>"
    assert cls.__doc__ == "" and cls.__text_signature__ == "(expiry, **params)"
    assert str(inspect.signature(cls)) == "(expiry, **params)"
    with pytest.raises(TypeError):
        type("Derived", (cls,), {})
    smile = cls(EXPIRY)
    with pytest.raises(AttributeError):
        smile.anything = 1
    with pytest.raises(TypeError):
        weakref.ref(smile)
    for name in METHODS:
        assert getattr(cls, name).__text_signature__ == TEXT_SIGNATURES[name]
    assert smile == smile and smile != cls(EXPIRY)  # identity equality


@parametrize_classes
def test_defaults_and_fitting_params(cls):
    smile = cls(EXPIRY)
    assert smile.get_param_dict() == DEFAULTS[cls]
    assert smile.get_param_dict() is not smile.get_param_dict()
    assert smile.get_fitting_params() == FITTING[cls]
    assert smile.get_fitting_params() is not smile.get_fitting_params()
    assert smile.arb_free()
    assert cls.with_params(EXPIRY, {}).get_param_dict() == DEFAULTS[cls]


@parametrize_classes
def test_keywords_and_dictionary_build_the_same_model(cls):
    by_keywords = cls(EXPIRY, ref_vol=60.0, vpr=0.5, not_a_name=3.0)
    by_dict = cls.with_params(EXPIRY, {"ref_vol": 60.0, "vpr": 0.5})
    assert by_keywords.get_param_dict() == by_dict.get_param_dict()
    assert by_keywords.get_vol(0.25, 100.0, STRIKES) == by_dict.get_vol(0.25, 100.0, STRIKES)
    assert type(by_dict) is cls
    by_keyword_expiry = cls(expiry=EXPIRY, ref_vol=60.0)
    assert by_keyword_expiry.expiry == EXPIRY and by_keyword_expiry.get_parameter("ref_vol") == 60.0


def test_names_of_other_models_are_ignored():
    geo = kelvane.VolGeo(EXPIRY, vvol=30.0, skew=1.0)
    assert geo.get_parameter("skew") is None and "skew" not in geo.get_param_dict()
    cubic = kelvane.CubicSpline(EXPIRY, offset=1.0)
    assert cubic.get_parameter("offset") is None
    geo.set_param("smile", 1.0)
    assert geo.get_param_dict() == {**DEFAULTS[kelvane.VolGeo], "vvol": 30.0}


def test_values_are_stored_unvalidated():
    smile = kelvane.GVVSpline(EXPIRY, ref_vol=-3.0, smile=math.inf, skew=math.nan)
    d = smile.get_param_dict()
    assert d["ref_vol"] == -3.0 and d["smile"] == math.inf and math.isnan(d["skew"])


def test_construction_errors():
    with pytest.raises(TypeError) as err:
        kelvane.GVVSpline(EXPIRY, vpr="x")
    assert str(err.value).startswith("argument 'params': ")
    # The parameters are converted before the expiry is looked at.
    with pytest.raises(TypeError, match="^argument 'params': "):
        kelvane.GVVSpline(None, vpr="x")
    with pytest.raises(TypeError, match="^argument 'params': 'list' object is not an instance of 'dict'$"):
        kelvane.VolGeo.with_params(None, [])
    with pytest.raises(TypeError, match="^argument 'params': 'int' object is not an instance of 'str'$"):
        kelvane.VolGeo.with_params(EXPIRY, {1: 2.0})
    with pytest.raises(TypeError, match=r"^GVVSpline.__new__\(\) missing 1 required positional argument: 'expiry'$"):
        kelvane.GVVSpline(ref_vol=3.0)
    with pytest.raises(TypeError, match=r"^CubicSpline.__new__\(\) takes 1 positional arguments but 2 were given$"):
        kelvane.CubicSpline(EXPIRY, 3)
    with pytest.raises(AttributeError):
        kelvane.GVVSpline(datetime.date(2025, 1, 1))


@parametrize_classes
def test_expiry_is_read_only_and_in_utc(cls):
    smile = cls(datetime.datetime(2025, 3, 28, 9, 0, tzinfo=datetime.timezone(datetime.timedelta(hours=1))))
    assert smile.expiry == EXPIRY and smile.expiry.tzinfo is datetime.timezone.utc
    with pytest.raises(AttributeError):
        smile.expiry = EXPIRY


@parametrize_classes
def test_argument_conversion_errors_name_the_argument(cls):
    smile = cls(EXPIRY)
    with pytest.raises(TypeError, match="^argument 'strikes': Can't extract `str` to `Vec`$"):
        smile.get_vol(0.25, 100.0, "100")
    with pytest.raises(TypeError, match="^argument 'strikes': 'set' object is not an instance of 'Sequence'$"):
        smile.get_vol(0.25, 100.0, {100.0})
    with pytest.raises(TypeError, match="^argument 'strikes': "):
        smile.get_vol(0.25, 100.0, [100.0, "x"])
    with pytest.raises(TypeError, match="^argument 'params': Can't extract `str` to `Vec`$"):
        smile.get_jacobian(0.25, 100.0, [100.0], "ref_vol")
    with pytest.raises(TypeError, match="^argument 'params': 'int' object is not an instance of 'str'$"):
        smile.get_jacobian(0.25, 100.0, [100.0], [1])
    with pytest.raises(TypeError, match="^argument 'param': 'None' is not an instance of 'str'$"):
        smile.set_param(None, 1.0)
    with pytest.raises(TypeError, match=rf"^{cls.__name__}.get_vol\(\) missing 1 required positional argument: 'strikes'$"):
        smile.get_vol(0.25, 100.0)
    with pytest.raises(TypeError, match=rf"^{cls.__name__}.arb_free\(\) takes 0 positional arguments but 1 was given$"):
        smile.arb_free(1)


@parametrize_classes
def test_empty_strikes(cls):
    smile = cls(EXPIRY)
    assert smile.get_vol(0.25, 100.0, []) == []
    assert smile.get_jacobian(0.25, 100.0, [], ["ref_vol", "vpr"]) == {"ref_vol": [], "vpr": []}
    assert smile.get_jacobian(0.25, 100.0, STRIKES, []) == {}


@parametrize_classes
def test_sequence_kinds_give_identical_results(cls):
    for smile in seeded_models(cls, 5):
        expected = smile.get_vol(0.3, 101.0, STRIKES)
        array = np.array(STRIKES)
        assert smile.get_vol(0.3, 101.0, tuple(STRIKES)) == expected
        assert smile.get_vol(0.3, 101.0, array) == expected
        assert smile.get_vol(0.3, 101.0, np.array([[k, 0.0] for k in STRIKES])[:, 0]) == expected  # strided
        assert smile.get_vol(0.3, 101.0, array.astype(np.float32).astype(np.float64)) == expected
        assert smile.get_vol(0.3, 101.0, [int(k) for k in STRIKES]) == expected
        assert smile.get_jacobian(0.3, 101.0, array, FITTING[cls]) == smile.get_jacobian(0.3, 101.0, STRIKES, FITTING[cls])
    smile = cls(EXPIRY)
    assert smile.get_vol(0.25, 100.0, range(90, 95)) == smile.get_vol(0.25, 100.0, [90.0, 91.0, 92.0, 93.0, 94.0])
    with pytest.raises(TypeError, match="^argument 'strikes': "):
        smile.get_vol(0.25, 100.0, np.ones((2, 2)))


@pytest.mark.parametrize("index", [None, "reversed", "filtered", "labels"])
def test_a_series_is_read_in_its_order_whatever_its_index(index):
    pd = pytest.importorskip("pandas")
    strikes = pd.Series(STRIKES, dtype=float)
    if index == "reversed":
        strikes.index = strikes.index[::-1]
    elif index == "filtered":
        strikes = pd.Series([0.0] + STRIKES)[1:]
    elif index == "labels":
        strikes.index = [f"k{i}" for i in range(len(STRIKES))]
    smile = kelvane.GVVSpline(EXPIRY, skew=-4.0)
    assert smile.get_vol(0.25, 100.0, strikes) == smile.get_vol(0.25, 100.0, STRIKES)
    names = pd.Series(["skew", "ref_vol"], index=[1, 0])
    assert smile.get_jacobian(0.25, 100.0, strikes, names).keys() == {"skew", "ref_vol"}


@parametrize_classes
def test_get_vol_single_is_get_vol_element_by_element(cls):
    for smile in seeded_models(cls):
        vols = smile.get_vol(0.4, 97.0, STRIKES)
        singles = [smile.get_vol_single(0.4, 97.0, k) for k in STRIKES]
        assert [v.hex() for v in singles] == [v.hex() for v in vols]


@parametrize_classes
def test_jacobian_columns_are_forward_differences(cls):
    for smile in seeded_models(cls, 10):
        base = smile.get_vol(0.4, 103.0, STRIKES)
        jacobian = smile.get_jacobian(0.4, 103.0, STRIKES, FITTING[cls] + ["vpr", "not_a_name"])
        for name, column in jacobian.items():
            params = smile.get_param_dict()
            if name in params:
                params[name] = 0.01 + params[name]
            bumped = cls.with_params(EXPIRY, params).get_vol(0.4, 103.0, STRIKES)
            assert column == [(b - v) / 0.01 for b, v in zip(bumped, base)], name
        assert jacobian["not_a_name"] == [0.0] * len(STRIKES)


# NaNs with payloads of both signs (one signalling), signed zeros,
# infinities and the extremes of the range.
HOSTILE = [struct.unpack("<d", struct.pack("<Q", bits))[0]
           for bits in (0x7FF8000000000001, 0xFFF800000000BEEF, 0x7FF0000000000042)] + [
    0.0, -0.0, math.inf, -math.inf, 1e308, -1e308, 5e-324]


def as_bytes(values):
    return [struct.pack("<d", v) for v in values]


def hostile_cases(cls, count, seed):
    """Seeded random models and markets, about one value in eight hostile."""
    r = random.Random(seed)

    def maybe(x):
        return r.choice(HOSTILE) if r.random() < 0.125 else x

    for _ in range(count):
        params = {name: maybe(value) for name, value in {**DEFAULTS[cls], **SHAPES[cls](r)}.items()}
        strikes = [maybe(r.uniform(20.0, 300.0)) for _ in range(r.randint(0, 12))]
        yield cls.with_params(EXPIRY, params), maybe(r.uniform(0.01, 2.0)), maybe(r.uniform(60.0, 150.0)), strikes


@parametrize_classes
def test_single_strikes_and_jacobians_match_their_recipes_byte_for_byte(cls):
    for smile, ttx, spot, strikes in hostile_cases(cls, 150, seed=9):
        case = f"{smile.get_param_dict()} ttx={ttx!r} spot={spot!r} strikes={strikes!r}"
        vols = smile.get_vol(ttx, spot, strikes)
        singles = [smile.get_vol_single(ttx, spot, k) for k in strikes]
        assert as_bytes(singles) == as_bytes(smile.get_vol(ttx, spot, [k])[0] for k in strikes), case
        assert as_bytes(singles) == as_bytes(vols), case

        names = list(DEFAULTS[cls]) + ["not_a_name", "ref_vol"]
        jacobian = smile.get_jacobian(ttx, spot, strikes, names)
        assert sorted(jacobian) == sorted(set(names))
        for name, column in jacobian.items():
            params = smile.get_param_dict()
            if name in params:
                params[name] = 0.01 + params[name]
            bumped = cls.with_params(EXPIRY, params).get_vol(ttx, spot, strikes)
            assert as_bytes(column) == as_bytes((b - v) / 0.01 for b, v in zip(bumped, vols)), (name, case)


@parametrize_classes
def test_bump_and_opposite_bump_restore_the_parameter(cls):
    r = random.Random(5)
    for smile in seeded_models(cls, 10):
        for name in FITTING[cls]:
            before = smile.get_parameter(name)
            d = r.uniform(0.01, 0.5)
            smile.bump_param(name, d)
            if smile.get_parameter(name) == before:
                continue  # refused: the bumped model would not be arbitrage-free
            assert smile.get_parameter(name) == d + before
            smile.bump_param(name, -d)
            assert smile.get_parameter(name) == pytest.approx(before, abs=1e-12)


@pytest.mark.parametrize("cls, name, d_value", [
    (kelvane.GVVSpline, "ref_vol", -45.0), (kelvane.GVVSpline, "smile", -4.5), (kelvane.GVVSpline, "pwing", -0.01),
    (kelvane.VolGeo, "vvol", -19.5), (kelvane.VolGeo, "ref_vol", -49.0), (kelvane.CubicSpline, "c25", -1.0),
    (kelvane.CubicSpline, "ref_vol", -49.0), (kelvane.GVVSpline, "Smile", 1.0),
])
def test_refused_bumps_change_nothing(cls, name, d_value):
    smile = cls(EXPIRY)
    assert smile.bump_param(name, d_value) is None
    assert smile.get_param_dict() == DEFAULTS[cls]


@pytest.mark.parametrize("cls, name, d_value", [
    (kelvane.GVVSpline, "ref_vol", 1.0), (kelvane.VolGeo, "corr", 0.1), (kelvane.CubicSpline, "p25", 1.0),
])
def test_accepted_bumps_add_the_amount(cls, name, d_value):
    smile = cls(EXPIRY)
    smile.bump_param(name, d_value)
    assert smile.get_parameter(name) == DEFAULTS[cls][name] + d_value


@parametrize_classes
def test_reanchor_preserves_the_quoted_volatility(cls):
    r = random.Random(3)
    for smile in seeded_models(cls):
        spot, ttx = r.uniform(85, 115), r.uniform(0.05, 0.9)
        quoted = smile.get_vol_single(ttx, spot, spot)
        shape = {k: v for k, v in smile.get_param_dict().items() if k not in ("ref_vol", "ref_spot")}
        assert smile.reanchor(spot, ttx) is None
        assert smile.get_parameter("ref_spot") == spot
        assert smile.get_parameter("ref_vol") == quoted * 100
        assert smile.get_vol_single(ttx, spot, spot) == pytest.approx(quoted, rel=4e-16, abs=0)
        assert {k: v for k, v in smile.get_param_dict().items() if k not in ("ref_vol", "ref_spot")} == shape


@pytest.mark.parametrize("cls, spot, ttx, shown", [
    (kelvane.GVVSpline, 110.0, 0.0, "spot 110 and ttx 0"), (kelvane.GVVSpline, 110.0, -1.0, "spot 110 and ttx -1"),
    (kelvane.GVVSpline, -5.0, 0.25, "spot -5 and ttx 0.25"), (kelvane.VolGeo, 110.0, 0.0, "spot 110 and ttx 0"),
    (kelvane.VolGeo, math.nan, 0.25, "spot nan and ttx 0.25"), (kelvane.VolGeo, 0.0, 0.25, "spot 0 and ttx 0.25"),
    (kelvane.CubicSpline, 110.0, 1.0, "spot 110 and ttx 1"), (kelvane.CubicSpline, 110.5, -0.5, "spot 110.5 and ttx -0.5"),
    (kelvane.CubicSpline, 100.0, math.nan, "spot 100 and ttx nan"),
])
def test_reanchor_where_the_volatility_is_not_finite_is_refused(cls, spot, ttx, shown):
    smile = cls(EXPIRY, p05=2.0, c05=1.0, corr=0.3)
    before = smile.get_param_dict()
    with pytest.raises(ValueError) as err:
        smile.reanchor(spot, ttx)
    assert str(err.value) == f"Cannot reanchor at {shown}: the volatility there is not finite"
    assert smile.get_param_dict() == before


def test_cubic_spline_at_its_reference_spot_is_flat_at_ref_vol_for_every_ttx():
    smile = kelvane.CubicSpline(EXPIRY, ref_vol=40.0, p05=2.0, c05=1.0)
    for ttx in (0.25, 1.0, 2.0):
        assert smile.get_vol_single(ttx, 100.0, 100.0) == 0.4
    smile.reanchor(100.0, 1.0)
    assert smile.get_parameter("ref_vol") == 40.0


def test_cubic_spline_jacobian_keys():
    smile = kelvane.CubicSpline(EXPIRY)
    jacobian = smile.get_jacobian(0.25, 100.0, [90.0, 100.0], ["ref_vol", "ref_vol", "skew"])
    assert set(jacobian) == {"ref_vol", "skew"} and jacobian["skew"] == [0.0, 0.0]


def test_default_smiles_are_flat():
    assert kelvane.CubicSpline(EXPIRY).get_vol(0.25, 100.0, [1.0, 50.0, 100.0, 400.0]) == [0.5] * 4
    assert kelvane.GVVSpline(EXPIRY, smile=0.0).get_vol(0.25, 100.0, [50.0, 100.0, 200.0]) == [0.5] * 3
    geo = kelvane.VolGeo(EXPIRY, vvol=0.0)
    assert geo.get_vol(0.25, 120.0, [50.0, 120.0, 200.0]) == [0.5] * 3


def test_degenerate_inputs_give_nan_not_exceptions():
    gvv = kelvane.GVVSpline(EXPIRY)
    assert all(math.isnan(v) for v in gvv.get_vol(0.0, 100.0, [90.0, 100.0]))
    assert math.isnan(gvv.get_vol_single(0.25, 100.0, -1.0))
    assert all(math.isnan(v) for v in kelvane.VolGeo(EXPIRY, corr=400.0).get_vol(0.25, 100.0, [90.0, 110.0]))


class TestBorrowRule:
    def test_readers_refuse_while_a_mutation_converts_its_arguments(self):
        smile = kelvane.GVVSpline(EXPIRY)
        errors = []

        class Reentrant:
            def __float__(self):
                try:
                    smile.get_vol(0.25, 100.0, [100.0])
                except RuntimeError as err:
                    errors.append(str(err))
                return 1.0

        smile.set_param("skew", Reentrant())
        assert errors == ["Already mutably borrowed"]
        assert smile.get_parameter("skew") == 1.0

    def test_mutations_refuse_while_a_reader_converts_its_arguments(self):
        smile = kelvane.VolGeo(EXPIRY)
        errors = []

        class Reentrant:
            def __float__(self):
                for mutate in (lambda: smile.set_param("corr", 1.0), lambda: smile.bump_param("corr", 1.0),
                               lambda: smile.reanchor(100.0, 0.25)):
                    try:
                        mutate()
                    except RuntimeError as err:
                        errors.append(str(err))
                return 100.0

        smile.get_vol(0.25, Reentrant(), [100.0])
        assert errors == ["Already borrowed"] * 3
        assert smile.get_param_dict() == DEFAULTS[kelvane.VolGeo]

    def test_readers_share(self):
        smile = kelvane.CubicSpline(EXPIRY)
        seen = []

        class Reentrant:
            def __float__(self):
                seen.append(smile.get_param_dict()["ref_vol"])
                return 100.0

        smile.get_vol(0.25, Reentrant(), [Reentrant()])
        assert seen == [50.0, 50.0]

    def test_borrow_is_released_after_a_failure(self):
        smile = kelvane.GVVSpline(EXPIRY)
        with pytest.raises(TypeError):
            smile.set_param("skew", "x")
        with pytest.raises(ValueError):
            smile.reanchor(100.0, 0.0)
        smile.set_param("skew", 2.0)
        assert smile.get_parameter("skew") == 2.0

    def test_binding_errors_come_before_the_borrow(self):
        smile = kelvane.GVVSpline(EXPIRY)

        class Reentrant:
            def __float__(self):
                with pytest.raises(TypeError, match="missing"):
                    smile.set_param("skew")
                return 1.0

        smile.get_vol(Reentrant(), 100.0, [100.0])


def test_strike_lists_changed_during_conversion_are_handled():
    smile = kelvane.GVVSpline(EXPIRY)
    strikes = []

    class Shrinking:
        def __float__(self):
            strikes.clear()  # drops the last reference to this element
            return 100.0

    strikes[:] = [Shrinking(), 90.0, 110.0]
    with pytest.raises(IndexError):
        smile.get_vol(0.25, 100.0, strikes)
    # The last element survives its own removal while it converts.
    strikes[:] = [90.0, Shrinking()]
    assert smile.get_vol(0.25, 100.0, strikes) == smile.get_vol(0.25, 100.0, [90.0, 100.0])


# Strips are read, evaluated and emitted a block at a time: lengths on each
# side of block boundaries of every plausible size, and beyond one block.
STRIP_LENGTHS = [255, 256, 257, 1023, 1024, 1025, 2047, 2048, 2049, 4097, 9001]
STRIP_SOURCES = {
    "list": list,
    "tuple": tuple,
    "list of ints and floats": lambda ks: [int(k) if k.is_integer() else k for k in ks],
    "array('d')": lambda ks: array.array("d", ks),
    "numpy contiguous": np.array,
    "numpy strided": lambda ks: np.array([[k, -1.0] for k in ks])[:, 0],
    "numpy reversed": lambda ks: np.array(ks[::-1])[::-1],
    "numpy unaligned": lambda ks: unaligned(np.array(ks)),
    "generic sequence": lambda ks: Sequence(ks),
    "pandas Series": lambda ks: pytest.importorskip("pandas").Series(ks, index=range(len(ks), 0, -1)),
}


def unaligned(doubles):
    """The doubles in a view that starts one byte into its memory."""
    raw = np.zeros(doubles.nbytes + 1, dtype=np.uint8)
    view = raw[1:].view(np.float64)
    view[:] = doubles
    return view


class Sequence:
    """A sequence that is no list, tuple or buffer: read through its iterator."""

    def __init__(self, items):
        self.items = list(items)

    def __len__(self):
        return len(self.items)

    def __getitem__(self, i):
        return self.items[i]


def seeded_strip(r, length):
    """Strikes over a wide range, one in twenty hostile (NaN payloads, signed zeros, infinities)."""
    return [r.choice(HOSTILE) if r.random() < 0.05 else r.uniform(1.0, 400.0) for _ in range(length)]


class TestLongStrips:
    @parametrize_classes
    @pytest.mark.parametrize("source", STRIP_SOURCES.keys())
    def test_a_strip_gives_the_bytes_of_its_strikes_one_by_one(self, cls, source):
        r = random.Random(f"{cls.__name__} {source}")
        for length in STRIP_LENGTHS:
            smile = next(hostile_cases(cls, 1, seed=r.random()))[0]
            ttx, spot = r.choice([r.uniform(0.01, 2.0), 0.0, math.nan]), r.uniform(60.0, 150.0)
            strikes = seeded_strip(r, length)
            vols = smile.get_vol(ttx, spot, STRIP_SOURCES[source](strikes))
            assert len(vols) == length
            expected = [smile.get_vol_single(ttx, spot, k) for k in strikes]
            case = f"{smile.get_param_dict()} ttx={ttx!r} spot={spot!r} length={length}"
            assert as_bytes(vols) == as_bytes(expected), case

    @parametrize_classes
    def test_a_strip_gives_the_bytes_of_one_call_per_strike(self, cls):
        r = random.Random(5)
        smile = cls.with_params(EXPIRY, SHAPES[cls](r))
        strikes = seeded_strip(r, 3001)
        assert as_bytes(smile.get_vol(0.3, 99.0, strikes)) == \
            as_bytes(smile.get_vol(0.3, 99.0, [k])[0] for k in strikes)

    def test_a_range_longer_than_a_block(self):
        smile = kelvane.VolGeo(EXPIRY, corr=-0.4, vvol=35.0)
        assert smile.get_vol(0.5, 100.0, range(1, 5000, 2)) == \
            [smile.get_vol_single(0.5, 100.0, k) for k in range(1, 5000, 2)]

    @parametrize_classes
    @pytest.mark.parametrize("source", ["list", "numpy strided", "generic sequence"])
    def test_a_jacobian_over_a_long_strip_is_its_forward_differences_byte_for_byte(self, cls, source):
        r = random.Random(f"jacobian {cls.__name__} {source}")
        smile = next(hostile_cases(cls, 1, seed=r.random()))[0]
        strikes = seeded_strip(r, r.choice([1024, 1025, 2500]))
        names = list(DEFAULTS[cls]) + ["not_a_name", "ref_vol"]
        jacobian = smile.get_jacobian(0.7, 104.0, STRIP_SOURCES[source](strikes), names)
        assert sorted(jacobian) == sorted(set(names))
        vols = [smile.get_vol_single(0.7, 104.0, k) for k in strikes]
        for name, column in jacobian.items():
            params = smile.get_param_dict()
            if name in params:
                params[name] = 0.01 + params[name]
            bumped = cls.with_params(EXPIRY, params).get_vol(0.7, 104.0, strikes)
            assert as_bytes(column) == as_bytes((b - v) / 0.01 for b, v in zip(bumped, vols)), name
