"""Hostile arguments: each either works like its plain equivalent or raises the documented exception,
and the process goes on."""
import array
import datetime
import pickle

import numpy as np
import pytest

import kelvane

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

    def test_an_out_that_is_an_input_shifted_is_the_general_paths(self):
        import kelvane_arrays as ka
        from kelvane_arrays import _native
        buffer = np.linspace(90.0, 110.0, 11)
        fwd, out = buffer[:10], buffer[1:]
        expected = ka.b76_vega(fwd.copy(), 100.0, 1.0, 0.2)
        assert _native.small_b76_vega(fwd, 100.0, 1.0, 0.2, 1.0, out, None) is None
        assert ka.b76_vega(fwd, 100.0, 1.0, 0.2, out=out) is out
        assert out.tobytes() == expected.tobytes()
