"""The business-time Calendar from Python."""
import datetime
import inspect
import random

import pytest

import kelvane
from kelvane import Calendar

UTC = datetime.timezone.utc
EASTERN_STANDARD = datetime.timezone(datetime.timedelta(hours=-5))
EASTERN_SUMMER = datetime.timezone(datetime.timedelta(hours=-4))
NEW_YORK_MEAN_TIME = datetime.timezone(datetime.timedelta(seconds=-17762))


@pytest.fixture(scope="module")
def cal():
    return Calendar("BTCUSDT")


def test_class_surface():
    assert kelvane.__all__[0] == "Calendar"
    assert repr(Calendar) == "<class 'builtins.Calendar'>"
    assert str(inspect.signature(Calendar)) == "(underlying)"
    assert Calendar.get_bus_ttx.__text_signature__ == "($self, from, to)"
    assert Calendar.get_cal_ttx.__text_signature__ == "(from, to)"
    assert Calendar.tenor_to_ttx.__text_signature__ == "(tenor)"
    with pytest.raises(TypeError):
        type("Derived", (Calendar,), {})
    with pytest.raises(AttributeError):
        Calendar("BTCUSDT").anything = 1


def test_construction():
    assert isinstance(Calendar(underlying="BTCUSDT"), Calendar)
    with pytest.raises(TypeError, match="^argument 'underlying': 'int' object is not an instance of 'str'$"):
        Calendar(1)
    with pytest.raises(TypeError, match=r"^Calendar.__new__\(\) missing 1 required positional argument: 'underlying'$"):
        Calendar()
    with pytest.raises(TypeError, match=r"^Calendar.__new__\(\) got an unexpected keyword argument 'name'$"):
        Calendar("BTCUSDT", name="x")


@pytest.mark.parametrize("underlying", ["btcusdt", "ETHUSDT", "", "BTCUSDT "])
def test_other_underlyings_have_no_calendar(underlying):
    with pytest.raises(ValueError) as err:
        Calendar(underlying)
    assert str(err.value) == f"No embedded calendar for underlying: {underlying}"


def test_a_local_year_is_one_business_year(cal):
    start = datetime.datetime(2024, 1, 1, 5, tzinfo=UTC)
    end = datetime.datetime(2025, 1, 1, 5, tzinfo=UTC)
    assert cal.get_bus_ttx(start, end) == 1.0
    assert Calendar.get_cal_ttx(start, end) == 366 / 365


@pytest.mark.parametrize("start, end, expected, rel", [
    # One quarter-hour of a Monday, the day's heaviest, and half of it.
    ((2024, 3, 4, 9, 30), (2024, 3, 4, 9, 45), 1.1848e-4, 1e-4),
    ((2024, 3, 4, 9, 30), (2024, 3, 4, 9, 37, 30), 5.924e-5, 1e-4),
    # Whole days carry their weekday's weight over the year's weight 298.4.
    ((2024, 3, 4), (2024, 3, 5), 1 / 298.4, 1e-12),
    ((2024, 3, 9), (2024, 3, 10), 0.27 / 298.4, 1e-12),
])
def test_business_time_of_local_intervals(cal, start, end, expected, rel):
    a = datetime.datetime(*start, tzinfo=EASTERN_STANDARD)
    b = datetime.datetime(*end, tzinfo=EASTERN_STANDARD)
    assert cal.get_bus_ttx(a, b) == pytest.approx(expected, rel=rel)


def test_clock_changes(cal):
    spring = cal.get_bus_ttx(datetime.datetime(2024, 3, 10, 1, 59, 59, tzinfo=EASTERN_STANDARD),
                             datetime.datetime(2024, 3, 10, 3, 0, 0, tzinfo=EASTERN_SUMMER))
    assert f"{spring:.3e}" == "2.598e-05"
    autumn = cal.get_bus_ttx(datetime.datetime(2024, 11, 3, 1, 59, 59, tzinfo=EASTERN_SUMMER),
                             datetime.datetime(2024, 11, 3, 1, 0, 0, tzinfo=EASTERN_STANDARD))
    assert f"{autumn:.3e}" == "-2.662e-05"
    # The repeated hour maps onto the same buckets twice.
    first = datetime.datetime(2024, 11, 3, 1, 20, tzinfo=EASTERN_SUMMER)
    second = datetime.datetime(2024, 11, 3, 1, 20, tzinfo=EASTERN_STANDARD)
    assert cal.get_bus_ttx(first, second) == 0.0


@pytest.mark.parametrize("monday, offset, year_weight", [
    ((2099, 7, 6), EASTERN_SUMMER, 52 * 5.7 + 1),      # 2099 starts on a Thursday
    ((2100, 7, 5), EASTERN_STANDARD, 52 * 5.7 + 0.9),  # no summer time after 2099; 2100 starts on a Friday
])
def test_local_days_follow_the_offset_in_force(cal, monday, offset, year_weight):
    midnight = datetime.datetime(*monday, tzinfo=offset)
    assert cal.get_bus_ttx(midnight, midnight + datetime.timedelta(days=1)) == pytest.approx(1 / year_weight, rel=1e-9)
    # An hour earlier the interval takes in the last hour of a Sunday instead.
    shifted = midnight - datetime.timedelta(hours=1)
    assert cal.get_bus_ttx(shifted, shifted + datetime.timedelta(days=1)) != pytest.approx(1 / year_weight, rel=1e-6)


def test_from_passes_by_position_or_unpacked_mapping(cal):
    a = datetime.datetime(2024, 5, 1, tzinfo=UTC)
    b = datetime.datetime(2024, 6, 1, tzinfo=UTC)
    assert cal.get_bus_ttx(**{"from": a, "to": b}) == cal.get_bus_ttx(a, b)
    assert Calendar.get_cal_ttx(**{"from": a, "to": b}) == cal.get_cal_ttx(a, b) == 31 / 365
    assert cal.get_bus_ttx(a, to=b) == cal.get_bus_ttx(a, b)


def test_equal_instants_give_zero_and_swapping_negates(cal):
    r = random.Random(9)
    base = datetime.datetime(2020, 1, 1, tzinfo=UTC).timestamp()
    for _ in range(200):
        a = datetime.datetime.fromtimestamp(base + r.uniform(0, 2e8), UTC)
        b = datetime.datetime.fromtimestamp(base + r.uniform(0, 2e8), UTC)
        assert cal.get_bus_ttx(a, a) == 0.0 and Calendar.get_cal_ttx(a, a) == 0.0
        assert cal.get_bus_ttx(b, a) == -cal.get_bus_ttx(a, b)
        assert Calendar.get_cal_ttx(b, a) == -Calendar.get_cal_ttx(a, b)


def test_business_time_is_additive_and_never_decreases_outside_the_clock_change(cal):
    r = random.Random(4)
    start = datetime.datetime(2025, 1, 6, tzinfo=UTC)
    stamps = sorted(start + datetime.timedelta(seconds=r.uniform(0, 3e7)) for _ in range(300))
    total = cal.get_bus_ttx(stamps[0], stamps[-1])
    pieces = sum(cal.get_bus_ttx(a, b) for a, b in zip(stamps, stamps[1:]))
    assert pieces == pytest.approx(total, abs=1e-11)
    autumn = (datetime.datetime(2025, 11, 2, 5, 0, tzinfo=UTC), datetime.datetime(2025, 11, 2, 7, 0, tzinfo=UTC))
    for a, b in zip(stamps, stamps[1:]):
        if not (a < autumn[1] and b > autumn[0]):
            assert cal.get_bus_ttx(a, b) >= 0.0, (a, b)


@pytest.mark.parametrize("first_year, last_year", [(2026, 2026), (1990, 2040), (1, 9999)])
def test_business_time_does_not_depend_on_the_years_met_before(first_year, last_year):
    # One calendar meets years in a random order, returns to earlier ones and
    # runs within one; each interval must match a fresh calendar's, bit for bit.
    r = random.Random(first_year)
    lo = datetime.datetime(first_year, 1, 1, tzinfo=UTC)
    span = int((datetime.datetime(last_year, 12, 31, 23, 59, 59, tzinfo=UTC) - lo).total_seconds())
    shared = Calendar("BTCUSDT")
    offsets = [r.randint(0, span) for _ in range(300)]
    for _ in range(1500):
        a = r.choice(offsets)
        b = min(max(r.choice(offsets) + r.randint(-86_400, 86_400), 0), span)
        start, end = lo + datetime.timedelta(seconds=a), lo + datetime.timedelta(seconds=b)
        assert shared.get_bus_ttx(start, end).hex() == Calendar("BTCUSDT").get_bus_ttx(start, end).hex(), (start, end)


@pytest.mark.parametrize("years", [
    (1, 2, 5, 101),            # the first years of a datetime, and a century without a leap day
    (1599, 1600, 1601, 1700),  # a 400-year leap day, then none
    (1882, 1883, 1884),        # the zone's first transition (local mean time before it)
    (1969, 1970, 1971),
    (2099, 2100, 2101, 2500),  # the zone's last transition, summer time no more
    (9996, 9997, 9998, 9999),
])
def test_whole_local_years_add_exactly_one_each(years):
    # Local midnights of 1 January have coordinates equal to their years, on
    # a fresh calendar and whatever years it met before. New York kept local
    # mean time (-4:56:02) until November 1883, and standard time (-5) on
    # every 1 January since but in the war years.
    def midnight(year):
        offset = NEW_YORK_MEAN_TIME if year <= 1883 else EASTERN_STANDARD
        return datetime.datetime(year, 1, 1, tzinfo=offset)

    shared = Calendar("BTCUSDT")
    r = random.Random(sum(years))
    for first in years:
        for last in years:
            a, b = midnight(first), midnight(last)
            assert Calendar("BTCUSDT").get_bus_ttx(a, b) == float(last - first), (first, last)
            assert shared.get_bus_ttx(a, b) == float(last - first), (first, last)
            other = datetime.datetime(r.randint(1, 9998), 7, 1, tzinfo=UTC)
            shared.get_bus_ttx(other, a)


def test_week_of_business_time(cal):
    monday = datetime.datetime(2025, 3, 17, tzinfo=EASTERN_SUMMER)
    assert cal.get_bus_ttx(monday, monday + datetime.timedelta(days=7)) == pytest.approx(5.7 / 297.4, rel=1e-12)


@pytest.mark.parametrize("tenor, expected", [
    ("1d", 0.0027397260273972603), ("2w", 0.038356164383561646), ("3m", 0.2465753424657534),
    ("1.5y", 1.5), ("-1d", -0.0027397260273972603), ("1e1d", 10 / 365), ("1w", 0.019178082191780823),
    ("+2d", 2 / 365), (".5y", 0.5), ("5.d", 5 / 365),
])
def test_tenors(cal, tenor, expected):
    assert Calendar.tenor_to_ttx(tenor) == expected
    assert cal.tenor_to_ttx(tenor=tenor) == expected


@pytest.mark.parametrize("tenor, message", [
    ("1D", "Invalid tenor format: 1D"), ("", "Invalid tenor format: "), ("12", "Invalid tenor format: 12"),
    ("d", "cannot parse float from empty string"), ("1 d", "invalid float literal"),
    ("1.2.3d", "invalid float literal"), ("1,000d", "invalid float literal"),
])
def test_bad_tenors(tenor, message):
    with pytest.raises(ValueError) as err:
        Calendar.tenor_to_ttx(tenor)
    assert str(err.value) == message


def test_tenor_must_be_a_str():
    with pytest.raises(TypeError, match="^argument 'tenor': 'int' object is not an instance of 'str'$"):
        Calendar.tenor_to_ttx(1)


def test_conversion_errors_concern_from_first(cal):
    with pytest.raises(AttributeError, match="date"):
        cal.get_bus_ttx(datetime.date(2024, 1, 1), "not a datetime either")
    with pytest.raises(AttributeError, match="str"):
        cal.get_bus_ttx(datetime.datetime(2024, 1, 1, tzinfo=UTC), "x")

    class Stamp:
        def timestamp(self):
            return 1e20

    with pytest.raises(ValueError, match="^Invalid timestamp$"):
        Calendar.get_cal_ttx(Stamp(), datetime.datetime(2024, 1, 1, tzinfo=UTC))


def test_reentrant_business_time_is_refused(cal):
    errors = []

    class Reentrant(datetime.datetime):
        def timestamp(self):
            try:
                cal.get_bus_ttx(datetime.datetime(2024, 1, 1, tzinfo=UTC), datetime.datetime(2024, 1, 2, tzinfo=UTC))
            except RuntimeError as err:
                errors.append(str(err))
            # The static methods take no guard.
            plain = datetime.datetime(2024, 1, 1, tzinfo=UTC)
            errors.append(Calendar.get_cal_ttx(plain, plain))
            return super().timestamp()

    result = cal.get_bus_ttx(Reentrant(2024, 1, 1, tzinfo=UTC), datetime.datetime(2024, 1, 2, tzinfo=UTC))
    assert errors == ["Already borrowed", 0.0]
    plain = cal.get_bus_ttx(datetime.datetime(2024, 1, 1, tzinfo=UTC), datetime.datetime(2024, 1, 2, tzinfo=UTC))
    assert result == plain
    # Released afterwards.
    assert cal.get_bus_ttx(datetime.datetime(2024, 1, 1, tzinfo=UTC), datetime.datetime(2024, 1, 1, tzinfo=UTC)) == 0.0
