"""The datetime conversions, through the smile classes' expiry."""
import datetime
import math
import warnings

import pytest

import kelvane

UTC = datetime.timezone.utc


class Stamp:
    """An object whose timestamp() returns a chosen value."""

    def __init__(self, value):
        self.value = value

    def timestamp(self):
        return self.value


def expiry_of(obj):
    return kelvane.GVVSpline(obj).expiry


def test_aware_datetime_with_a_fraction_round_trips():
    dt = datetime.datetime(2024, 1, 1, 0, 0, 0, 500000, tzinfo=UTC)
    back = expiry_of(dt)
    assert back == dt and back.tzinfo is UTC and back.microsecond == 500000 and back.fold == 0


def test_other_zones_are_converted_to_utc():
    eastern = datetime.timezone(datetime.timedelta(hours=-5))
    dt = datetime.datetime(2024, 3, 1, 12, 0, tzinfo=eastern)
    assert expiry_of(dt) == dt
    assert expiry_of(dt).hour == 17


def test_naive_datetime_is_taken_in_local_time():
    naive = datetime.datetime(2024, 6, 1, 12, 0)
    assert expiry_of(naive).timestamp() == naive.timestamp()


@pytest.mark.parametrize("stamp, expected", [
    (-1.5, datetime.datetime(1969, 12, 31, 23, 59, 59, tzinfo=UTC)),
    (math.nan, datetime.datetime(1970, 1, 1, tzinfo=UTC)),
    (0, datetime.datetime(1970, 1, 1, tzinfo=UTC)),
    (1_700_000_000.000001, datetime.datetime(2023, 11, 14, 22, 13, 20, tzinfo=UTC)),  # 954 ns: 0 us
])
def test_timestamp_splitting(stamp, expected):
    assert expiry_of(Stamp(stamp)) == expected


def test_integer_timestamps_are_accepted():
    assert expiry_of(Stamp(86400)) == datetime.datetime(1970, 1, 2, tzinfo=UTC)


@pytest.mark.parametrize("stamp", [1e20, -1e20, math.inf, 0.9999999999])
def test_invalid_timestamps(stamp):
    with pytest.raises(ValueError, match="^Invalid timestamp$"):
        expiry_of(Stamp(stamp))


def test_conversion_errors_pass_through_unwrapped():
    with pytest.raises(AttributeError):
        expiry_of(datetime.date(2024, 1, 1))
    with pytest.raises(AttributeError):
        expiry_of(5)
    with pytest.raises(TypeError) as err:
        expiry_of(Stamp("soon"))
    assert not str(err.value).startswith("argument")

    class Raising:
        def timestamp(self):
            raise KeyError("no")

    with pytest.raises(KeyError):
        expiry_of(Raising())


def test_year_beyond_datetime_range_raises_the_datetime_error():
    smile = kelvane.GVVSpline(Stamp(1e12))  # year 33658: an instant, but no datetime
    with pytest.raises(ValueError, match="year"):
        smile.expiry


def test_leap_second_warns_and_drops_the_second():
    smile = kelvane.GVVSpline(Stamp(59.9999999996))  # rounds to 1e9 ns at second 59
    with pytest.warns(UserWarning, match="^ignored leap-second, `datetime` does not support leap-seconds$"):
        dt = smile.expiry
    assert dt == datetime.datetime(1970, 1, 1, 0, 0, 59, tzinfo=UTC)


def test_leap_second_warning_as_error_still_returns_the_datetime(monkeypatch):
    seen = []
    monkeypatch.setattr("sys.unraisablehook", seen.append)
    smile = kelvane.GVVSpline(Stamp(59.9999999996))
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        dt = smile.expiry
    assert dt == datetime.datetime(1970, 1, 1, 0, 0, 59, tzinfo=UTC)
    assert len(seen) == 1 and isinstance(seen[0].exc_value, UserWarning)
    assert seen[0].object == dt
