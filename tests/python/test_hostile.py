"""Hostile arguments: each either works like its plain equivalent or raises the documented exception,
and the process goes on."""
import array
import datetime
import pickle

import numpy as np
import pandas as pd
import polars as pl
import pyarrow as pa
import pytest

import kelvane
import kelvane_arrays as ka

EXPIRY = datetime.datetime(2025, 3, 28, 8, 0, tzinfo=datetime.timezone.utc)
SMILES = [kelvane.GVVSpline, kelvane.VolGeo, kelvane.CubicSpline]
STRIKES = [70.0, 90.0, 100.0, 110.0, 140.0]


def smile_of(cls):
    return cls(EXPIRY, ref_vol=60.0, ref_spot=100.0)


# The sequence arguments, each as a call that takes the hostile object.
SEQUENCE_ARGUMENTS = {
    "get_vol strikes": lambda s, seq: s.get_vol(0.25, 100.0, seq),
    "get_jacobian strikes": lambda s, seq: s.get_jacobian(0.25, 100.0, seq, ["ref_vol"]),
    "get_jacobian params": lambda s, seq: s.get_jacobian(0.25, 100.0, [100.0], seq),
}
parametrize_sequence_arguments = pytest.mark.parametrize(
    "call", SEQUENCE_ARGUMENTS.values(), ids=SEQUENCE_ARGUMENTS.keys())


class LyingList(list):
    def __init__(self, items, length):
        super().__init__(items)
        self.length = length

    def __len__(self):
        return self.length


class LyingSequence:
    """A sequence (not a list) that claims `length` items and holds `items`."""

    def __init__(self, items, length):
        self.items, self.length = list(items), length

    def __len__(self):
        return self.length

    def __getitem__(self, i):
        return self.items[i]


class TestHugeAndLyingLengths:
    @parametrize_sequence_arguments
    @pytest.mark.parametrize("make", [
        lambda: range(2**62), lambda: range(10**12), lambda: range(-(2**62), 2**62, 3),
        lambda: LyingList([], 2**62), lambda: LyingList([100.0], 2**62), lambda: LyingSequence([], 2**62),
        lambda: LyingSequence([100.0], 10**15),
    ], ids=["range 2**62", "range 10**12", "range stepped", "list subclass", "list subclass with items",
            "sequence", "sequence with items"])
    def test_a_length_no_memory_could_hold_raises_memory_error_at_once(self, call, make):
        with pytest.raises(MemoryError):
            call(kelvane.GVVSpline(EXPIRY), make())

    @pytest.mark.parametrize("argument", SEQUENCE_ARGUMENTS.keys())
    @pytest.mark.parametrize("kind", [LyingList, LyingSequence], ids=["list subclass", "sequence"])
    def test_a_length_that_overstates_is_caught_when_the_items_run_out(self, argument, kind):
        items = ["ref_vol", "skew"] if argument == "get_jacobian params" else [100.0, 90.0]
        with pytest.raises(IndexError):
            SEQUENCE_ARGUMENTS[argument](kelvane.GVVSpline(EXPIRY), kind(items, 5))

    def test_a_length_that_understates_reads_that_many_items(self):
        smile = kelvane.GVVSpline(EXPIRY)
        assert smile.get_vol(0.25, 100.0, LyingSequence([90.0, 100.0, 110.0], 2)) == \
            smile.get_vol(0.25, 100.0, [90.0, 100.0])
        assert smile.get_vol(0.25, 100.0, LyingList([90.0, 100.0, 110.0], 1)) == smile.get_vol(0.25, 100.0, [90.0])

    @parametrize_sequence_arguments
    def test_a_length_that_fails_raises_its_own_error(self, call):
        class BadLength(LyingSequence):
            def __len__(self):
                raise OverflowError("no length")

        with pytest.raises(OverflowError, match="^no length$"):
            call(kelvane.GVVSpline(EXPIRY), BadLength([], 0))

    def test_the_process_goes_on_with_large_honest_sequences(self):
        smile = kelvane.VolGeo(EXPIRY)
        vols = smile.get_vol(0.25, 100.0, range(1, 200_001))
        assert len(vols) == 200_000 and vols[99] == smile.get_vol_single(0.25, 100.0, 100.0)


class TestWholeMessages:
    @pytest.mark.parametrize("call, message", [
        (lambda: kelvane.b76_fairvalue(100, 100, 1, 0.2, "c\x00x"),
         "Unknown option type: 'c\x00x'. Use 'call'/'c' or 'put'/'p'."),
        (lambda: kelvane.binary_theta(100, 100, 1, 0.2, "\x00"),
         "Unknown option type: '\x00'. Use 'call'/'c' or 'put'/'p'."),
        (lambda: kelvane.calibrate_black76_iv(1, 100, 100, 8, "PUT\x00\x00ÇA"),
         "Unknown option type: 'put\x00\x00ça'. Use 'call'/'c' or 'put'/'p'."),
        (lambda: kelvane.Calendar.tenor_to_ttx("1d\x00x"), "Invalid tenor format: 1d\x00x"),
        (lambda: kelvane.Calendar.tenor_to_ttx("\x00"), "Invalid tenor format: \x00"),
        (lambda: kelvane.Calendar.tenor_to_ttx("1\x00d"), "invalid float literal"),
        (lambda: kelvane.Calendar("BTCUSDT\x00"), "No embedded calendar for underlying: BTCUSDT\x00"),
        (lambda: kelvane.Calendar("\x00BTCUSDT"), "No embedded calendar for underlying: \x00BTCUSDT"),
    ], ids=["option type", "option type of NUL alone", "option type lowered", "tenor", "tenor of NUL alone",
            "tenor number", "underlying", "underlying after NUL"])
    def test_messages_carry_the_whole_text(self, call, message):
        with pytest.raises(ValueError) as err:
            call()
        assert str(err.value) == message


    @pytest.mark.parametrize("call, message", [
        (lambda: kelvane.b76_vega(1, 1, 1, 1, **{"d\x00f": 1}), "b76_vega() got an unexpected keyword argument 'd\x00f'"),
        (lambda: kelvane.Calendar(**{"under\x00lying": "BTCUSDT"}),
         "Calendar.__new__() got an unexpected keyword argument 'under\x00lying'"),
    ], ids=["function", "constructor"])
    def test_binding_messages_carry_the_whole_keyword(self, call, message):
        with pytest.raises(TypeError) as err:
            call()
        assert str(err.value) == message


class TestStrikesAreTheirValuesAtConversion:
    @pytest.mark.parametrize("cls", SMILES, ids=lambda c: c.__name__)
    @pytest.mark.parametrize("make", [np.array, lambda v: array.array("d", v), lambda v: memoryview(array.array("d", v))],
                             ids=["ndarray", "array", "memoryview"])
    def test_a_later_argument_writing_into_the_strikes_changes_nothing(self, cls, make):
        smile = smile_of(cls)
        strikes = make(STRIKES)

        class Overwriting:
            def __len__(self):
                return 1

            def __getitem__(self, i):
                if i:
                    raise IndexError(i)
                for k in range(len(STRIKES)):
                    strikes[k] = 1.0
                return "ref_vol"

        assert smile.get_jacobian(0.25, 100.0, strikes, Overwriting()) == \
            smile.get_jacobian(0.25, 100.0, list(STRIKES), ["ref_vol"])

    @pytest.mark.parametrize("exporter", [
        lambda: pickle.PickleBuffer(array.array("d", STRIKES)), lambda: pickle.PickleBuffer(b"\x00" * 8),
    ], ids=["float64", "bytes"])
    @parametrize_sequence_arguments
    def test_a_buffer_that_is_not_a_sequence_is_refused(self, call, exporter):
        with pytest.raises(TypeError) as err:
            call(kelvane.GVVSpline(EXPIRY), exporter())
        argument = "params" if call is SEQUENCE_ARGUMENTS["get_jacobian params"] else "strikes"
        assert str(err.value) == f"argument '{argument}': 'PickleBuffer' object is not an instance of 'Sequence'"


def layouts():
    base = np.array(STRIKES * 2)
    read_only = np.array(STRIKES)
    read_only.flags.writeable = False
    return {
        "contiguous": np.array(STRIKES),
        "strided": base[::2],
        "reversed": np.array(STRIKES)[::-1],
        "read-only": read_only,
        "byte-swapped": np.array(STRIKES, dtype=">f8"),
        "float32": np.array(STRIKES, dtype=np.float32),
        "int64": np.array([70, 90, 100], dtype=np.int64),
        "column of a 2-d array": np.array([STRIKES, STRIKES]).T[:, 1],
        "float16": np.array(STRIKES, dtype=np.float16),
        "bool": np.array([True, True]),
        "object": np.array(STRIKES, dtype=object),
        "empty": np.array([], dtype=np.float64),
        "empty float32": np.array([], dtype=np.float32),
        "Fortran-ordered column": np.asfortranarray(np.array([STRIKES, STRIKES]))[0],
    }


class TestNumpyLayouts:
    @pytest.mark.parametrize("name", layouts().keys())
    @pytest.mark.parametrize("cls", SMILES, ids=lambda c: c.__name__)
    def test_every_one_dimensional_layout_works_like_its_list(self, cls, name):
        smile = smile_of(cls)
        array_ = layouts()[name]
        as_list = [float(v) for v in array_]
        assert smile.get_vol(0.25, 100.0, array_) == smile.get_vol(0.25, 100.0, as_list)
        assert smile.get_jacobian(0.25, 100.0, array_, ["ref_vol", "vpr"]) == \
            smile.get_jacobian(0.25, 100.0, as_list, ["ref_vol", "vpr"])

    @pytest.mark.parametrize("array_", [np.array(100.0), np.ones((2, 2)), np.ones((2, 0)), np.ones((1, 1, 2))],
                             ids=["0-d", "2-d", "2-d without columns", "3-d"])
    @pytest.mark.parametrize("call", [SEQUENCE_ARGUMENTS["get_vol strikes"], SEQUENCE_ARGUMENTS["get_jacobian strikes"]],
                             ids=["get_vol", "get_jacobian"])
    def test_other_dimensions_raise_a_type_error_for_the_strikes(self, call, array_):
        with pytest.raises(TypeError, match="^argument 'strikes': "):
            call(kelvane.GVVSpline(EXPIRY), array_)

    @pytest.mark.parametrize("array_", [np.array([1, 2], dtype="datetime64[s]"), np.zeros(2, dtype=[("a", "f8")]),
                                        np.array(["90.0"])], ids=["datetime64", "structured", "str"])
    @pytest.mark.parametrize("call", [SEQUENCE_ARGUMENTS["get_vol strikes"], SEQUENCE_ARGUMENTS["get_jacobian strikes"]],
                             ids=["get_vol", "get_jacobian"])
    def test_items_that_are_no_numbers_raise_what_their_list_raises(self, call, array_):
        smile = kelvane.GVVSpline(EXPIRY)
        with pytest.raises(TypeError) as from_list:
            call(smile, list(array_))
        with pytest.raises(TypeError) as from_array:
            call(smile, array_)
        assert str(from_array.value).startswith("argument 'strikes': ")
        assert type(from_array.value) is type(from_list.value)

    @pytest.mark.parametrize("dtype", [str, object])
    def test_an_array_of_names_works_like_its_list(self, dtype):
        smile = kelvane.GVVSpline(EXPIRY)
        assert smile.get_jacobian(0.25, 100.0, STRIKES, np.array(["ref_vol", "skew"], dtype=dtype)) == \
            smile.get_jacobian(0.25, 100.0, STRIKES, ["ref_vol", "skew"])
        with pytest.raises(TypeError, match="^argument 'params': 'float' object is not an instance of 'str'$"):
            smile.get_jacobian(0.25, 100.0, STRIKES, np.array([1.0], dtype=object))



class Lowering(str):
    """A str whose own lower() would turn anything into a call."""

    def lower(self):
        return "call"


class Failing(str):
    def lower(self):
        raise TypeError("not today")

    def __str__(self):
        raise TypeError("not today")


def outcome(call):
    try:
        return call()
    except ValueError as err:
        return ("ValueError", str(err))


class TestStrSubclassOptionTypes:
    @pytest.mark.parametrize("text", ["c", "C", "call", "CALL", "Call", "p", "PUT", "put", "çall", "ÇALL", "İ",
                                      "calls", "CALLS", "x" * 40, "ＣＡＬＬ", "", "c\x00", "Σ"])
    @pytest.mark.parametrize("subclass", [Lowering, Failing])
    def test_a_subclass_gives_exactly_what_the_plain_str_gives(self, subclass, text):
        for function in (kelvane.b76_fairvalue, kelvane.binary_delta):
            assert outcome(lambda: function(100, 95, 1, 0.2, subclass(text))) == \
                outcome(lambda: function(100, 95, 1, 0.2, text))
        assert outcome(lambda: kelvane.calibrate_black76_iv(1, 100, 100, 8, subclass(text))) == \
            outcome(lambda: kelvane.calibrate_black76_iv(1, 100, 100, 8, text))


LONE_SURROGATE = "ref\udc80"
# Every text argument, as a call that takes the text.
TEXT_ARGUMENTS = {
    "call_put": lambda t: kelvane.b76_delta(100, 95, 1, 0.2, t),
    "tenor": kelvane.Calendar.tenor_to_ttx,
    "underlying": kelvane.Calendar,
    "get_parameter": lambda t: kelvane.GVVSpline(EXPIRY).get_parameter(t),
    "set_param": lambda t: kelvane.GVVSpline(EXPIRY).set_param(t, 1.0),
    "bump_param": lambda t: kelvane.GVVSpline(EXPIRY).bump_param(t, 1.0),
    "jacobian names": lambda t: kelvane.GVVSpline(EXPIRY).get_jacobian(0.25, 100.0, [100.0], [t]),
    "keyword parameter": lambda t: kelvane.GVVSpline(EXPIRY, **{t: 1.0}),
    "dictionary key": lambda t: kelvane.GVVSpline.with_params(EXPIRY, {t: 1.0}),
}


class TestTexts:
    @pytest.mark.parametrize("call", TEXT_ARGUMENTS.values(), ids=TEXT_ARGUMENTS.keys())
    def test_lone_surrogates_raise_unicode_encode_error(self, call):
        with pytest.raises(UnicodeEncodeError):
            call(LONE_SURROGATE)

    @pytest.mark.parametrize("name", ["ref_vol\x00", "\x00ref_vol", "ref\x00vol"])
    def test_a_name_with_nul_is_a_name_of_its_own(self, name):
        smile = kelvane.GVVSpline(EXPIRY)
        assert smile.get_parameter(name) is None
        smile.set_param(name, 99.0)
        smile.bump_param(name, 1.0)
        assert smile.get_param_dict() == kelvane.GVVSpline(EXPIRY).get_param_dict()
        assert kelvane.GVVSpline(EXPIRY, **{name: 99.0}).get_param_dict() == smile.get_param_dict()
        assert smile.get_jacobian(0.25, 100.0, [90.0, 100.0], [name, "ref_vol"])[name] == [0.0, 0.0]


class TestReentrantCallbacks:
    """A __float__, __getitem__ or timestamp() that calls back into the instance being used."""

    # member, its kind of borrow, and a call whose argument in position `slot` is the callback.
    MEMBERS = {
        "get_vol ttx": ("shared", lambda s, cb: s.get_vol(cb.float(0.25), 100.0, [100.0])),
        "get_vol spot": ("shared", lambda s, cb: s.get_vol(0.25, cb.float(100.0), [100.0])),
        "get_vol strike item": ("shared", lambda s, cb: s.get_vol(0.25, 100.0, [90.0, cb.float(100.0)])),
        "get_vol strikes sequence": ("shared", lambda s, cb: s.get_vol(0.25, 100.0, cb.sequence([100.0]))),
        "get_vol_single strike": ("shared", lambda s, cb: s.get_vol_single(0.25, 100.0, cb.float(100.0))),
        "get_jacobian spot": ("shared", lambda s, cb: s.get_jacobian(0.25, cb.float(100.0), [100.0], ["skew"])),
        "get_jacobian strike item": ("shared", lambda s, cb: s.get_jacobian(0.25, 100.0, [cb.float(100.0)], ["skew"])),
        "get_jacobian names": ("shared", lambda s, cb: s.get_jacobian(0.25, 100.0, [100.0], cb.sequence(["skew"]))),
        "set_param value": ("exclusive", lambda s, cb: s.set_param("skew", cb.float(1.0))),
        "bump_param d_value": ("exclusive", lambda s, cb: s.bump_param("skew", cb.float(1.0))),
        "reanchor spot": ("exclusive", lambda s, cb: s.reanchor(cb.float(100.0), 0.25)),
        "reanchor ttx": ("exclusive", lambda s, cb: s.reanchor(100.0, cb.float(0.25))),
    }

    class Callback:
        def __init__(self, into):
            self.into, self.outcomes = into, []

        def reenter(self):
            for attempt in (self.into):
                try:
                    attempt()
                    self.outcomes.append("ok")
                except RuntimeError as err:
                    self.outcomes.append(str(err))

        def float(self, value):
            callback = self

            class Float:
                def __float__(self):
                    callback.reenter()
                    return value
            return Float()

        def sequence(self, items):
            callback = self

            class Sequence:
                def __len__(self):
                    return len(items)

                def __getitem__(self, i):
                    callback.reenter()
                    return items[i]
            return Sequence()

    @pytest.mark.parametrize("cls", SMILES, ids=lambda c: c.__name__)
    @pytest.mark.parametrize("member", MEMBERS.keys())
    def test_every_borrow_refuses_what_conflicts_and_is_released(self, cls, member):
        kind, call = self.MEMBERS[member]
        smile = smile_of(cls)
        callback = self.Callback([
            lambda: smile.get_param_dict(), lambda: smile.expiry, lambda: smile.get_vol(0.25, 100.0, [100.0]),
            lambda: smile.set_param("skew", 2.0), lambda: smile.bump_param("ref_vol", 0.5),
            lambda: smile.reanchor(100.0, 0.25),
        ])
        call(smile, callback)
        readers = ["ok"] * 3 if kind == "shared" else ["Already mutably borrowed"] * 3
        assert callback.outcomes[:6] == readers + ["Already borrowed"] * 3
        smile.set_param("skew", 3.0)  # free again
        assert smile.get_parameter("skew") in (3.0, None)

    def test_calendar_timestamps_calling_back(self):
        cal = kelvane.Calendar("BTCUSDT")
        outcomes = []

        class Stamp(datetime.datetime):
            def timestamp(self):
                for attempt in (lambda: cal.get_bus_ttx(EXPIRY, EXPIRY), lambda: cal.get_cal_ttx(EXPIRY, EXPIRY),
                                lambda: cal.tenor_to_ttx("1d")):
                    try:
                        outcomes.append(attempt())
                    except RuntimeError as err:
                        outcomes.append(str(err))
                return super().timestamp()

        stamp = Stamp(2025, 3, 28, 8, 0, tzinfo=datetime.timezone.utc)
        assert cal.get_bus_ttx(stamp, EXPIRY) == 0.0
        assert outcomes == ["Already borrowed", 0.0, 1 / 365]
        assert cal.get_cal_ttx(EXPIRY, stamp) == 0.0

    def test_a_callback_that_drops_every_other_reference_to_the_instance(self):
        holder = [smile_of(kelvane.VolGeo)]

        class Dropping:
            def __float__(self):
                holder.clear()
                return 100.0

        expected = smile_of(kelvane.VolGeo).get_vol(0.25, 100.0, [100.0])
        assert holder[0].get_vol(0.25, Dropping(), [100.0]) == expected
        assert holder == []


class TestSelfMutatingSequences:
    def test_a_list_that_grows_while_converting_reads_its_first_length(self):
        smile = kelvane.GVVSpline(EXPIRY)
        strikes = []

        class Growing:
            def __float__(self):
                strikes.extend([1.0] * 1000)
                return 100.0

        strikes[:] = [90.0, Growing(), 110.0]
        assert smile.get_vol(0.25, 100.0, strikes) == smile.get_vol(0.25, 100.0, [90.0, 100.0, 110.0])

    def test_a_list_whose_items_are_replaced_while_converting(self):
        smile = kelvane.GVVSpline(EXPIRY)
        strikes = []

        class Replacing:
            def __float__(self):
                strikes[0] = 1.0  # drops this element while it converts
                strikes[2] = 120.0
                return 100.0

        strikes[:] = [Replacing(), 90.0, 110.0]
        assert smile.get_vol(0.25, 100.0, strikes) == smile.get_vol(0.25, 100.0, [100.0, 90.0, 120.0])

    def test_names_that_mutate_their_list(self):
        smile = kelvane.GVVSpline(EXPIRY)
        names = ["ref_vol", "skew", "smile"]

        class Shrinking:
            def __len__(self):
                return 3

            def __getitem__(self, i):
                item = names[i]
                names.clear()
                return item

        with pytest.raises(IndexError):
            smile.get_jacobian(0.25, 100.0, [100.0], Shrinking())

    def test_an_array_resized_by_a_later_argument(self):
        smile = kelvane.GVVSpline(EXPIRY)
        strikes = array.array("d", STRIKES)

        class Resizing:
            def __len__(self):
                return 1

            def __getitem__(self, i):
                if i:
                    raise IndexError(i)
                strikes.extend([1.0] * 100_000)  # possible only while no view of the strikes is held
                return "ref_vol"

        assert smile.get_jacobian(0.25, 100.0, strikes, Resizing()) == \
            smile.get_jacobian(0.25, 100.0, STRIKES, ["ref_vol"])
        assert len(strikes) == len(STRIKES) + 100_000


class TestStripsInBlocks:
    """A strip longer than a block runs Python code (an element's __float__) while part of its
    result exists: what that code can see and what an error leaves."""

    LONG = 3000  # strikes, several blocks

    @staticmethod
    def strip_with(element, at):
        strikes = [80.0 + i * 0.01 for i in range(TestStripsInBlocks.LONG)]
        strikes[at] = element
        return strikes

    @pytest.mark.parametrize("cls", SMILES, ids=lambda c: c.__name__)
    @pytest.mark.parametrize("at", [0, 1500, LONG - 1])
    def test_code_run_mid_strip_can_walk_every_list_the_collector_knows(self, cls, at):
        import gc

        class Walking:
            def __float__(self):
                for obj in gc.get_objects():
                    if type(obj) is list:
                        for item in obj:  # a null item would crash here
                            pass
                return 100.0

        smile = smile_of(cls)
        strikes = self.strip_with(Walking(), at)
        expected = smile.get_vol(0.25, 100.0, [100.0 if i == at else k for i, k in enumerate(strikes)])
        assert smile.get_vol(0.25, 100.0, strikes) == expected
        assert smile.get_vol(0.25, 100.0, LyingSequence(strikes, len(strikes))) == expected

    @pytest.mark.parametrize("make", [list, lambda ks: LyingSequence(ks, len(ks))], ids=["list", "sequence"])
    @pytest.mark.parametrize("at", [1, 1500, LONG - 1])
    def test_a_bad_strike_mid_strip_is_reported_under_its_argument(self, make, at):
        smile = smile_of(kelvane.CubicSpline)
        with pytest.raises(TypeError, match=r"^argument 'strikes': must be real number, not str$"):
            smile.get_vol(0.25, 100.0, make(self.strip_with("x", at)))

    @pytest.mark.parametrize("error", [ZeroDivisionError, KeyboardInterrupt, MemoryError])
    def test_an_error_raised_mid_strip_passes_through_unchanged(self, error):
        class Raising:
            def __float__(self):
                raise error("raised mid-strip")

        with pytest.raises(error, match="^raised mid-strip$"):
            smile_of(kelvane.VolGeo).get_vol(0.25, 100.0, self.strip_with(Raising(), 2500))

    def test_a_list_shortened_mid_strip_raises_index_error(self):
        strikes = []

        class Shortening:
            def __float__(self):
                del strikes[1200:]
                return 100.0

        strikes[:] = self.strip_with(Shortening(), 1100)
        with pytest.raises(IndexError):
            smile_of(kelvane.GVVSpline).get_vol(0.25, 100.0, strikes)

    def test_a_sequence_whose_items_run_out_after_blocks_raises_index_error(self):
        with pytest.raises(IndexError, match="^sequence has fewer items than its length$"):
            smile_of(kelvane.GVVSpline).get_vol(0.25, 100.0, LyingSequence([100.0] * 2500, 2600))

    @pytest.mark.parametrize("cls", SMILES, ids=lambda c: c.__name__)
    def test_a_model_changed_mid_strip_is_refused_and_stays_unchanged(self, cls):
        smile = smile_of(cls)
        before = smile.get_param_dict()

        class Mutating:
            def __float__(self):
                smile.set_param("ref_vol", 10.0)
                return 100.0

        with pytest.raises(RuntimeError, match="^Already borrowed$"):
            smile.get_vol(0.25, 100.0, self.strip_with(Mutating(), 2100))
        assert smile.get_param_dict() == before

    def test_reading_the_same_model_mid_strip_is_allowed(self):
        smile = smile_of(kelvane.GVVSpline)
        seen = []

        class Reading:
            def __float__(self):
                seen.append(smile.get_vol(0.25, 100.0, [90.0, 110.0] * 600))
                return 100.0

        strikes = self.strip_with(Reading(), 2000)
        plain = [100.0 if isinstance(k, Reading) else k for k in strikes]
        assert smile.get_vol(0.25, 100.0, strikes) == smile.get_vol(0.25, 100.0, plain)
        assert seen == [smile.get_vol(0.25, 100.0, [90.0, 110.0] * 600)]

    def test_a_result_is_tracked_by_the_collector_once_complete(self):
        import gc
        vols = smile_of(kelvane.GVVSpline).get_vol(0.25, 100.0, self.strip_with(100.0, 0))
        assert gc.is_tracked(vols) and len(vols) == self.LONG


class TestGreeksArguments:
    """kelvane_arrays.b76_greeks' own arguments changed by code that converting its inputs runs."""

    @staticmethod
    def changing(change):
        class Float:
            def __float__(self):
                change()
                return 0.2
        return np.array([Float(), Float()], dtype=object)

    def test_greeks_and_out_are_read_before_the_inputs_and_kept(self):
        import kelvane_arrays as ka
        names, delta, gamma = ["delta"], np.zeros(2), np.zeros(2)
        vol = self.changing(lambda: names.append("gamma"))
        got = ka.b76_greeks([90.0, 110.0], 100.0, 1.0, vol, "c", greeks=names, out={"delta": delta})
        assert list(got) == ["delta"] and got["delta"] is delta
        out = {"delta": delta}
        vol = self.changing(lambda: (out.clear(), out.update(gamma=gamma)))
        got = ka.b76_greeks([90.0, 110.0], 100.0, 1.0, vol, "c", out=out)
        assert list(got) == ["delta"] and got["delta"] is delta and (gamma == 0).all()
        assert delta.tolist() == ka.b76_greeks([90.0, 110.0], 100.0, 1.0, 0.2, "c")["delta"].tolist()


# ---- kelvane_arrays: inputs of every container read as the scalar functions read one ----

BAD = [None, "100", object()]
# Containers of numbers, each from a list of Python values (None: the container's missing value).
NUMBER_CONTAINERS = {
    "list": list, "tuple": tuple, "object array": lambda v: np.array(v, dtype=object),
    "object Series": lambda v: pd.Series(v, dtype=object),
    "masked object array": lambda v: np.ma.MaskedArray(v, mask=[False] * len(v), dtype=object),
}
# Containers that hold only numbers and missing values: the missing one is refused as None.
NULLABLE_CONTAINERS = {
    "Float64 Series": lambda v: pd.Series(v, dtype="Float64"), "Int64 Series": lambda v: pd.Series(v, dtype="Int64"),
    "pyarrow-backed Series": lambda v: pd.Series(v, dtype="float64[pyarrow]"),
    "polars Series": lambda v: pl.Series("x", v, dtype=pl.Float64), "pyarrow array": pa.array,
    "pyarrow chunked array": lambda v: pa.chunked_array([v[:1], v[1:]]),
}
# Containers of text as numbers: the first element is refused as a str.
TEXT_CONTAINERS = {
    "str_ array": np.array, "StringDType array": lambda v: np.array(v, dtype=np.dtypes.StringDType()),
    "str Series": lambda v: pd.Series(v, dtype="str"), "string Series": lambda v: pd.Series(v, dtype="string"),
    "polars String": lambda v: pl.Series(v), "pyarrow string": pa.array,
}
SCALAR_ARGUMENTS = {"fwd": 0, "strike": 1, "ttx": 2, "vol": 3, "df": 5}


def scalar_message(value, name="strike"):
    with pytest.raises(TypeError) as raised:
        kelvane.b76_fairvalue(**{"fwd": 100.0, "strike": 100.0, "ttx": 0.5, "vol": 0.25, "call_put": "c",
                                 name: value})
    return str(raised.value)


def price_with(name, column, out):
    arguments = {"fwd": 100.0, "strike": 100.0, "ttx": 0.5, "vol": 0.25, "call_put": "c", "df": 1.0, name: column}
    return ka.b76_fairvalue(**arguments, out=out)


def element_cases():
    for name in SCALAR_ARGUMENTS:
        for container in NUMBER_CONTAINERS:
            for bad in BAD:
                yield pytest.param(name, NUMBER_CONTAINERS[container]([90.0, bad, 110.0]), 1, bad,
                                   id=f"{name}-{container}-{type(bad).__name__}")
        for container in NULLABLE_CONTAINERS:
            yield pytest.param(name, NULLABLE_CONTAINERS[container]([90.0, None, 110.0]), 1, None,
                               id=f"{name}-{container}-null")
        for container in TEXT_CONTAINERS:
            yield pytest.param(name, TEXT_CONTAINERS[container](["90", "100", "110"]), 0, "90",
                               id=f"{name}-{container}-text")


class TestArrayElements:
    @pytest.mark.parametrize("name, column, where, bad", list(element_cases()))
    def test_an_element_the_scalar_refuses_is_refused_with_its_position(self, name, column, where, bad):
        out = np.full(3, -7.0)
        with pytest.raises(TypeError) as raised:
            price_with(name, column, out)
        assert str(raised.value) == scalar_message(bad, name).replace(f"'{name}'", f"'{name}'[{where}]", 1)
        assert (out == -7.0).all()

    @pytest.mark.parametrize("call", [
        lambda column: ka.get_vol(smile_of(kelvane.VolGeo), 0.25, 100.0, column),
        lambda column: ka.get_jacobian(smile_of(kelvane.VolGeo), 0.25, 100.0, column, ["ref_vol"]),
    ], ids=["get_vol", "get_jacobian"])
    @pytest.mark.parametrize("column", [[90.0, None], pd.Series([90.0, None], dtype="Float64"),
                                        pl.Series([90.0, None]), pd.Series(["90", "100"])],
                             ids=["list", "Float64 Series", "polars Series", "text Series"])
    def test_smile_strikes_follow_the_same_rule(self, call, column):
        where, kind = (0, "str") if isinstance(column, pd.Series) and column.dtype == "str" else (1, "NoneType")
        with pytest.raises(TypeError, match=rf"^argument 'strikes'\[{where}\]: must be real number, not {kind}$"):
            call(column)

    def test_an_element_of_an_n_d_array_is_named_by_its_index_whatever_the_error(self):
        grid = np.array([[90.0, 100.0], [110.0, 120.0]], dtype=object)
        for bad, error, message in [(None, TypeError, r"^argument 'strike'\[1, 0\]: must be real number"),
                                    (2**2000, OverflowError, r"^strike\[1, 0\]: int too large")]:
            grid[1, 0] = bad
            with pytest.raises(error, match=message):
                ka.b76_vega(100.0, grid, 0.5, 0.25)
        start = datetime.datetime(2024, 1, 1, tzinfo=datetime.timezone.utc)
        ends = np.array([[EXPIRY, EXPIRY], [EXPIRY, None]], dtype=object)
        with pytest.raises(AttributeError, match=r"^to\[1, 1\]: 'NoneType' object has no attribute 'timestamp'$"):
            ka.get_cal_ttx(start, ends)

    @pytest.mark.parametrize("bad", [None, "1", object()], ids=["None", "str", "object"])
    def test_one_refused_number_is_refused_as_the_scalar_refuses_it(self, bad):
        with pytest.raises(TypeError) as raised:
            ka.b76_vega(100.0, 100.0, bad, 0.25)
        assert str(raised.value) == scalar_message(bad, "ttx")

    def test_a_float_that_changes_its_list_is_read_once(self):
        column = [90.0, None, 110.0]

        class Shrinking:
            def __float__(self):
                column.clear()
                return 100.0

        column[1] = Shrinking()
        assert ka.b76_vega(100.0, column, 0.5, 0.25).shape == (3,)


NUMBERS = [90.0, 100.0, 110.0, 120.0]
# Containers of numbers read without a refusal: (container, the type of result it gives back).
READABLE = {
    "float64 array": (np.array, np.ndarray), "list of ints": (lambda v: [int(x) for x in v], np.ndarray),
    "Float64 Series": (lambda v: pd.Series(v, dtype="Float64"), pd.Series),
    "Int64 Series": (lambda v: pd.Series([int(x) for x in v], dtype="Int64"), pd.Series),
    "polars Float64": (lambda v: pl.Series("strike", v), pl.Series),
    "polars Int32": (lambda v: pl.Series("strike", [int(x) for x in v], dtype=pl.Int32), pl.Series),
    "pyarrow array": (pa.array, np.ndarray), "pyarrow chunked": (lambda v: pa.chunked_array([v[:2], v[2:]]), np.ndarray),
    "masked array": (lambda v: np.ma.MaskedArray(v, mask=False), np.ma.MaskedArray),
}


@pytest.mark.parametrize("container", READABLE)
def test_numbers_of_every_container_give_the_float64_bits(container):
    build, result_type = READABLE[container]
    got = ka.b76_fairvalue(100.0, build(NUMBERS), 0.5, 0.25, "p", threads=2)
    assert type(got) is result_type
    expected = ka.b76_fairvalue(100.0, np.array(NUMBERS), 0.5, 0.25, "p")
    assert np.asarray(got).tobytes() == expected.tobytes()
    if result_type is pl.Series:
        assert got.name == "strike" and got.dtype == pl.Float64


def test_a_polars_book_is_priced_into_a_column_named_by_the_first_series():
    fwd, strike = pl.Series("fwd", [100.0] * 4), pl.Series("strike", NUMBERS)
    book = pl.DataFrame({"fwd": fwd, "strike": strike})
    priced = book.with_columns(ka.b76_vega(book["fwd"], book["strike"], 0.5, 0.25).alias("vega"))
    assert priced["vega"].to_list() == ka.b76_vega(100.0, np.array(NUMBERS), 0.5, 0.25).tolist()
    assert ka.b76_vega(100.0, strike, 0.5, 0.25).name == "strike"
    assert ka.b76_vega(fwd, strike, 0.5, 0.25).name == "fwd"  # the first Series'
    with pytest.raises(ValueError, match=r"^a polars Series holds one dimension, not a result of shape \(2, 4\)"):
        ka.b76_vega(fwd, strike, [[0.5], [1.0]], 0.25)


TEXT = ["c", "P", "put", "Call"]
OPTION_CONTAINERS = {
    "str_ array": np.array, "StringDType array": lambda v: np.array(v, dtype=np.dtypes.StringDType()),
    "object array": lambda v: np.array(v, dtype=object), "object Series": lambda v: pd.Series(v, dtype=object),
    "str Series": lambda v: pd.Series(v, dtype="str"), "string Series": lambda v: pd.Series(v, dtype="string"),
    "string[pyarrow] Series": lambda v: pd.Series(v, dtype="string[pyarrow]"),
    "polars String": pl.Series, "polars Categorical": lambda v: pl.Series(v, dtype=pl.Categorical),
    "pyarrow string": pa.array, "pyarrow large_string": lambda v: pa.array(v, pa.large_string()),
    "pyarrow string_view": lambda v: pa.array(v, pa.string_view()),
    "pyarrow chunked": lambda v: pa.chunked_array([v[:1], v[1:]]),
}


@pytest.mark.parametrize("container", OPTION_CONTAINERS)
def test_option_types_of_every_string_array_give_the_str_array_bits(container):
    build = OPTION_CONTAINERS[container]
    fwd = np.array([90.0, 100.0, 110.0, 120.0])
    got = ka.binary_delta(fwd, 100.0, 0.5, 0.25, build(TEXT))
    assert np.asarray(got).tobytes() == ka.binary_delta(fwd, 100.0, 0.5, 0.25, np.array(TEXT)).tobytes()
    if not isinstance(build(["c"]), np.ndarray | pa.Array | pa.ChunkedArray):
        out = np.full(4, -7.0)
        with pytest.raises(TypeError, match=r"^call_put\[2\]: 'None' is not an instance of 'str'$"):
            ka.binary_delta(fwd, 100.0, 0.5, 0.25, build(["c", "p", None, "c"]), out=out)
        assert (out == -7.0).all()


@pytest.mark.parametrize("build", [pa.array, lambda v: pa.chunked_array([v[:2], v[2:]])], ids=["array", "chunked"])
def test_a_missing_option_type_of_pyarrow_is_refused_where_it_is(build):
    with pytest.raises(TypeError, match=r"^call_put\[2\]: 'None' is not an instance of 'str'$"):
        ka.b76_fairvalue(100.0, 100.0, 0.5, 0.25, build(["c", "p", None, "c"]))


@pytest.mark.parametrize("call, message", [
    (lambda: ka.b76_fairvalue(100.0, [90.0, 100.0], [0.5, 1.0, 2.0], 0.25, "c"),
     r"strike with shape \(2,\) and ttx with shape \(3,\) cannot be broadcast together"),
    (lambda: ka.b76_vega(100.0, 100.0, 0.5, np.ones((2, 3)), np.ones(2)),
     r"vol with shape \(2, 3\) and df with shape \(2,\) cannot be broadcast together"),
    (lambda: ka.b76_delta(100.0, 100.0, 0.5, 0.25, ["c", "p", "c"], [1.0, 1.0]),
     r"call_put with shape \(3,\) and df with shape \(2,\) cannot be broadcast together"),
    (lambda: ka.get_vol(smile_of(kelvane.GVVSpline), [0.5, 1.0], 100.0, [90.0, 100.0, 110.0]),
     r"ttx with shape \(2,\) and strikes with shape \(3,\) cannot be broadcast together"),
    (lambda: ka.get_cal_ttx(np.array(["2024-01-01"] * 2, "M8[s]"), np.array(["2025-01-01"] * 3, "M8[s]")),
     r"from_ with shape \(2,\) and to with shape \(3,\) cannot be broadcast together"),
    (lambda: ka.b76_vega(pd.Series([100.0]), np.array([90.0, 100.0]), 0.5, 0.25),
     r"the Series' index of 1 labels cannot label a result of shape \(2,\)"),
    (lambda: ka.b76_vega(pd.Series([100.0, 90.0]), np.ones((3, 1)), 0.5, 0.25),
     r"the Series' index of 2 labels cannot label a result of shape \(3, 2\)"),
    (lambda: ka.b76_vega(pd.Series([100.0]), np.ma.MaskedArray([1.0]), 0.5, 0.25),
     "masked arrays and Series cannot be combined"),
], ids=["strike-ttx", "vol-df", "call_put-df", "get_vol", "intervals", "short Series", "2-D Series", "masked+Series"])
def test_shape_errors_name_the_arguments_before_anything_is_computed(call, message):
    with pytest.raises(ValueError, match=f"^{message}"):
        call()


class TestMaskedArrays:
    def test_the_result_is_masked_wherever_an_input_is_and_masked_elements_are_not_computed(self):
        strike = np.ma.MaskedArray([90.0, 100.0, 110.0], mask=[False, True, False])
        vol = np.ma.MaskedArray([[0.2], [0.3]], mask=[[False], [True]])
        got = ka.b76_fairvalue(100.0, strike, 0.5, vol, "c", threads=3)
        expected_mask = np.ma.getmaskarray(strike) | np.ma.getmaskarray(vol)
        assert isinstance(got, np.ma.MaskedArray) and (got.mask == expected_mask).all()
        plain = ka.b76_fairvalue(100.0, strike.data, 0.5, vol.data, "c")
        assert got.data[~expected_mask].tobytes() == plain[~expected_mask].tobytes()
        assert (got.data[expected_mask] == 0.0).all()  # a fresh result holds 0.0 where masked

    def test_masked_elements_are_not_read_and_out_keeps_its_numbers_there(self):
        strike = np.ma.MaskedArray(np.array([90.0, None, 110.0], dtype=object), mask=[False, True, False])
        call_put = np.ma.MaskedArray(["c", "nonsense", "p"], mask=[False, True, False])
        out = np.full(3, -7.0)
        got = ka.b76_fairvalue(100.0, strike, 0.5, 0.25, call_put, out=out)
        assert got.data is out or np.shares_memory(got.data, out)
        assert out[1] == -7.0 and got.mask.tolist() == [False, True, False]
        assert out[[0, 2]].tolist() == [kelvane.b76_fairvalue(100.0, 90.0, 0.5, 0.25, "c"),
                                        kelvane.b76_fairvalue(100.0, 110.0, 0.5, 0.25, "p")]

    def test_get_jacobian_and_intervals_keep_the_mask(self):
        smile = smile_of(kelvane.CubicSpline)
        strikes = np.ma.MaskedArray([90.0, 100.0, 110.0], mask=[False, True, False])
        jacobian = ka.get_jacobian(smile, 0.25, 100.0, strikes, ["ref_vol", "p25"])
        assert jacobian.mask.tolist() == [[False, False], [True, True], [False, False]]
        assert jacobian.data[[0, 2]].tobytes() == ka.get_jacobian(smile, 0.25, 100.0, [90.0, 110.0],
                                                                  ["ref_vol", "p25"]).tobytes()
        ends = np.ma.MaskedArray(np.array(["2025-01-01", "2026-01-01"], "M8[s]"), mask=[True, False])
        got = ka.get_cal_ttx(np.datetime64("2024-01-01", "s"), ends)
        assert got.mask.tolist() == [True, False] and got[1] == ka.get_cal_ttx(np.datetime64("2024-01-01", "s"),
                                                                              ends.data[1])


class TestArraySmilesUnderTheBorrow:
    @pytest.mark.parametrize("call", [
        lambda smile, strike: ka.get_vol(smile, 0.25, 100.0, [90.0, strike]),
        lambda smile, strike: ka.get_vol(smile, 0.25, strike, 100.0),
        lambda smile, strike: ka.get_jacobian(smile, 0.25, 100.0, [90.0, strike], ["ref_vol"]),
        lambda smile, strike: ka.get_jacobian(smile, strike, 100.0, [90.0], ["ref_vol"]),
    ], ids=["get_vol strikes", "get_vol spot", "get_jacobian strikes", "get_jacobian ttx"])
    @pytest.mark.parametrize("change", ["set_param", "bump_param", "reanchor"])
    def test_a_smile_changed_while_arguments_convert_is_refused_and_stays_unchanged(self, call, change):
        smile = smile_of(kelvane.GVVSpline)
        before = smile.get_param_dict()
        arguments = {"set_param": ("skew", 3.0), "bump_param": ("skew", 0.5), "reanchor": (100.0, 0.25)}[change]

        class Changing:
            def __float__(self):
                getattr(smile, change)(*arguments)
                return 100.0

        with pytest.raises(RuntimeError, match="^Already borrowed$"):
            call(smile, Changing())
        assert smile.get_param_dict() == before

    def test_a_smile_read_while_arguments_convert_is_allowed(self):
        smile = smile_of(kelvane.GVVSpline)

        class Reading:
            def __float__(self):
                return smile.get_vol_single(0.25, 100.0, 100.0) * 0 + 100.0

        assert ka.get_vol(smile, 0.25, 100.0, [Reading()]).tolist() == smile.get_vol(0.25, 100.0, [100.0])

    def test_a_smile_being_changed_is_refused_to_the_array_call(self):
        smile = smile_of(kelvane.GVVSpline)
        seen = []

        class Calling:
            def __float__(self):
                with pytest.raises(RuntimeError, match="^Already mutably borrowed$") as raised:
                    ka.get_vol(smile, 0.25, 100.0, [100.0])
                seen.append(raised.value)
                return 1.0

        smile.set_param("skew", Calling())
        assert len(seen) == 1 and smile.get_parameter("skew") == 1.0


@pytest.mark.parametrize("threads", [1, 2, 7])
def test_get_jacobian_threads_change_no_bit(threads):
    strikes = np.random.default_rng(5).uniform(20.0, 300.0, 3001)
    smile = smile_of(kelvane.VolGeo)
    names = ["ref_vol", "corr", "vvol"]
    got = ka.get_jacobian(smile, 0.4, 100.0, strikes, names, threads=threads)
    scalar = smile.get_jacobian(0.4, 100.0, list(strikes), names)
    assert got.tobytes() == np.column_stack([scalar[name] for name in names]).tobytes()
    with pytest.raises(ValueError, match="^argument 'threads': must be at least 1, got 0$"):
        ka.get_jacobian(smile, 0.4, 100.0, strikes, names, threads=0)


def test_kelvane_arrays_imports_no_dataframe_library():
    import subprocess
    import sys
    code = "import sys, kelvane_arrays; print(sorted({'pandas', 'polars', 'pyarrow'} & set(sys.modules)))"
    assert subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                          check=True).stdout.strip() == "[]"
class TestSmallCalls:
    """The array module's small entries take no object that could run Python code while they read it: each
    such object leaves the call to the general path untouched, which then reads it exactly once."""

    @staticmethod
    def counted(make):
        calls = []
        return make(calls), calls

    @pytest.mark.parametrize("position, make", [
        (1, lambda calls: type("F", (float,), {"__float__": lambda s: calls.append(1) or 95.0})(95.0)),
        (2, lambda calls: type("I", (int,), {"__index__": lambda s: calls.append(1) or 1})(1)),
        (0, lambda calls: type("A", (np.ndarray,), {"__array_finalize__": lambda s, o: calls.append(1)})(3)),
        (4, lambda calls: type("S", (str,), {"lower": lambda s: calls.append(1) or "put"})("c")),
    ], ids=["float subclass", "int subclass", "ndarray subclass", "str subclass"])
    def test_subclasses_are_read_once_by_the_general_path(self, position, make):
        import kelvane_arrays as ka
        from kelvane_arrays import _native
        hostile, calls = self.counted(make)
        args = [np.full(3, 100.0), 95.0, 1.0, 0.2, "c"]
        if isinstance(hostile, np.ndarray):
            hostile[...] = 100.0
        args[position] = hostile
        assert _native.small_b76_fairvalue(*args, 1.0, None, None) is None
        made = len(calls)  # the ndarray subclass's own construction
        plain = [np.full(3, 100.0), 95.0, 1.0, 0.2, "c"]
        assert ka.b76_fairvalue(*args).tobytes() == ka.b76_fairvalue(*plain).tobytes()
        assert len(calls) - made <= 1

    def test_a_time_zone_of_its_own_is_asked_only_by_the_general_path(self):
        import kelvane_arrays as ka
        from kelvane_arrays import _native
        calls = []

        class Zone(datetime.tzinfo):
            def utcoffset(self, dt):
                calls.append(dt)
                return datetime.timedelta(hours=2)

        class Moment(datetime.datetime):
            def timestamp(self):
                calls.append(self)
                return super().timestamp()

        for start in (datetime.datetime(2026, 3, 2, tzinfo=Zone()), Moment(2026, 3, 2, tzinfo=datetime.timezone.utc)):
            calls.clear()
            assert _native.small_get_cal_ttx(start, EXPIRY, None, None) is None
            assert not calls
            assert ka.get_cal_ttx(start, EXPIRY) == kelvane.Calendar.get_cal_ttx(start, EXPIRY)
            assert len(calls) == 2  # once by each call

    @pytest.mark.parametrize("where", ["greeks", "out"])
    def test_greek_names_that_compare_by_code_are_the_general_paths(self, where):
        import kelvane_arrays as ka
        from kelvane_arrays import _native
        calls = []

        class Name(str):
            def __eq__(self, other):
                calls.append(other)
                return str.__eq__(self, other)

            __hash__ = str.__hash__

        rho = Name("rho")
        greeks, out = ([rho], None) if where == "greeks" else (None, {rho: np.empty(3), "vega": np.empty(3)})
        assert _native.small_b76_greeks(np.full(3, 100.0), 95.0, 1.0, 0.2, "c", 1.0, greeks, out, None) is None
        assert not calls
        got = ka.b76_greeks(np.full(3, 100.0), 95.0, 1.0, 0.2, "c", greeks=greeks, out=out)
        assert got["rho"].tobytes() == ka.b76_greeks(np.full(3, 100.0), 95.0, 1.0, 0.2, "c")["rho"].tobytes()

    def test_an_out_that_is_an_input_shifted_is_the_general_paths(self):
        import kelvane_arrays as ka
        from kelvane_arrays import _native
        buffer = np.linspace(90.0, 110.0, 11)
        fwd, out = buffer[:10], buffer[1:]
        expected = ka.b76_vega(fwd.copy(), 100.0, 1.0, 0.2)
        assert _native.small_b76_vega(fwd, 100.0, 1.0, 0.2, 1.0, out, None) is None
        assert ka.b76_vega(fwd, 100.0, 1.0, 0.2, out=out) is out
        assert out.tobytes() == expected.tobytes()
