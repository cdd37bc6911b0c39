"""Makes and checks the embedded business-time calendar document of BTCUSDT.

Usage:
  make_calendar_document.py --write PATH
      design the intraday profiles and write the document to PATH
  make_calendar_document.py --check PATH [--embed-cpp OUT]
      verify every stated fact of the document at PATH; with --embed-cpp,
      then write the C++ source that compiles the document into the library

The document gives each weekday a weight and spreads that weight over the 96
quarter-hours of the day, counted in New York time. The profiles follow the
market's rhythm as seen from New York: quiet nights with a dip after
midnight, Europe waking from 03:00, the 08:30 data releases, the US equity
open at 09:30 as the day's peak (on weekdays), a lunch lull, the close at
16:00, the Sunday 18:00 futures reopen as Sunday's peak, and an evening
bump when Asia opens. Some buckets are fixed by the published facts of the
document; the others are drawn from the shape below with a little seeded
noise and then solved so that the exact facts hold:

* Each day's 96 values sum exactly to its weight x 33600 / 19: Python's
  left-to-right sum of the parsed doubles, in label order, equals the double
  `weight * 33600 / 19` (evaluated left to right). One "balancing" bucket per
  day is solved ulp by ulp for this.
* Monday's cumulative table, built as the library builds it (S summed in
  index order, N[i] = (R[i] / S) * weight, T[i] = T[i-1] + N[i-1]), ends at
  exactly 0.9999999999999998.
* The quoted business-time figures, rounded to the digits quoted, come out
  as quoted (simulated here with the library's own evaluation order).
* The text is json.dumps(doc, indent=4) of exactly 33,024 bytes: the digit
  counts of a few free values are tuned to hit it.

Every value is written by Python's shortest round-trip repr, so it parses
back to the same double in any correctly rounding reader.
"""

from __future__ import annotations

import argparse
import datetime
import json
import math
import random
import sys
from pathlib import Path

UNDERLYING = "BTCUSDT"
ZONE = "US/Eastern"
DOCUMENT_BYTES = 33_024
BUCKETS = 96

WEEKDAYS = ["monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"]
# Monday to Thursday are the integer 1 in the text; the others are fractions.
DAY_WEIGHTS = {"monday": 1, "tuesday": 1, "wednesday": 1, "thursday": 1,
               "friday": 0.9, "saturday": 0.27, "sunday": 0.53}
# The week's 672 values sum to 10080, the minutes of a week: 5.7 x 33600/19.
MINUTES_PER_DAY_WEIGHT = (33600, 19)

# The days that carry their own profile; Tuesday to Thursday copy Monday.
PROFILE_DAYS = ["monday", "friday", "saturday", "sunday"]


def label(bucket: int) -> str:
    start = bucket * 15
    end = (start + 15) % 1440
    return f"{start // 60:02d}:{start % 60:02d} - {end // 60:02d}:{end % 60:02d}"


LABELS = [label(b) for b in range(BUCKETS)]


def bucket_of(start: str) -> int:
    hour, minute = start.split(":")
    return (int(hour) * 60 + int(minute)) // 15


def day_target(day: str) -> float:
    numerator, denominator = MINUTES_PER_DAY_WEIGHT
    return DAY_WEIGHTS[day] * numerator / denominator


# ----------------------------------------------------------------------------
# Published facts

TELLING_ROWS = {  # label start: monday, friday, saturday, sunday
    "00:00": (9.296884883729719, 9.03011625564374, 4.130380629396172, 3.6250555848397292),
    "08:00": (16.38196268692966, 17.455376698638712, 5.286391268603158, 6.825062866803988),
    "09:15": (21.284702893840002, 18.16067517069255, 5.91985218132015, 9.69922520707617),
    "09:30": (62.52174476139236, 63.55522673841343, 6.567933905746908, 9.92808486907062),
    "12:00": (30.28486135649962, 32.264060190511195, 7.112316458228987, 11.15883270894327),
    "16:00": (25.25906610633516, 18.235765711161214, 4.7558711479340605, 10.445227678921222),
    "18:00": (18.371145796496613, 11.502540257094058, 6.279044703992892, 30.747213458006772),
    "23:45": (8.026578187108981, 3.7397808633153513, 3.551490030261413, 8.649675868915342),
}

# (peak label start, peak, low label start, low); each strictly unique in its day.
EXTREMES = {
    "monday": ("09:30", 62.52174476139236, "00:45", 7.700336881135465),
    "friday": ("09:30", 63.55522673841343, "23:45", 3.7397808633153513),
    "saturday": ("11:15", 7.856570316929013, "00:45", 3.263553788601789),
    "sunday": ("18:00", 30.747213458006772, "02:15", 3.119729966277294),
}

MONDAY_TABLE_END = 0.9999999999999998

# Figures on the embedded calendar: (description, computed by, quoted text).
# The quoted text is what the figure rounds to at its number of digits.
QUOTED_FIGURES = [
    ("Monday table entry 38", "t38", "0.25927"),
    ("Monday table entry 39", "t39", "0.29462"),
    ("spring forward, 10 March 2024 01:59:59 EST to 03:00:00 EDT", "spring", "2.598e-05"),
    ("fall back, 3 November 2024 01:59:59 EDT to 01:00:00 EST", "fall", "-2.662e-05"),
    ("Monday 4 March 2024 09:30 to 09:45", "open_bucket", "0.00011848"),
    ("Monday 4 March 2024 09:30 to 09:37:30", "open_half_bucket", "5.924e-05"),
    ("the whole of Monday 4 March 2024", "monday", "0.0033512"),
    ("the whole of Saturday 9 March 2024", "saturday", "0.00090483"),
]


def fixed_values(day: str) -> dict[int, float]:
    """The published values of a day, by bucket."""
    column = PROFILE_DAYS.index(day)
    fixed = {bucket_of(start): row[column] for start, row in TELLING_ROWS.items()}
    peak_at, peak, low_at, low = EXTREMES[day]
    fixed[bucket_of(peak_at)] = peak
    fixed[bucket_of(low_at)] = low
    return fixed


# ----------------------------------------------------------------------------
# The library's arithmetic, in its evaluation order

def cumulative_table(raw: list[float], weight: float) -> list[float]:
    total = 0.0
    for value in raw:
        total += value
    normalised = [0.0] * BUCKETS if total == 0.0 else [(value / total) * weight for value in raw]
    table = [0.0]
    for value in normalised:
        table.append(table[-1] + value)
    return table


class Simulation:
    """Business-time coordinates of the document, for local wall times."""

    def __init__(self, profiles: dict[str, list[float]]):
        self.day_weights = [float(DAY_WEIGHTS[day]) for day in WEEKDAYS]
        self.week_weight = 0.0
        for weight in self.day_weights:
            self.week_weight += weight
        self.tables = [cumulative_table(profiles[day], float(DAY_WEIGHTS[day])) for day in WEEKDAYS]

    def whole_days(self, days: int, first_weekday: int) -> float:
        weight = self.week_weight * (days // 7)
        for i in range(days % 7):
            weight += self.day_weights[(first_weekday + i) % 7]
        return weight

    def coordinate(self, year: int, month: int, day: int, second_of_day: int) -> float:
        jan1 = datetime.date(year, 1, 1)
        date = datetime.date(year, month, day)
        first_weekday = jan1.weekday()
        elapsed_days = (date - jan1).days
        weekday = date.weekday()
        year_days = (datetime.date(year + 1, 1, 1) - jan1).days
        h = self.whole_days(elapsed_days, first_weekday)
        table = self.tables[weekday]
        k = min(second_of_day // 900, 95)
        f = math.fmod(float(second_of_day), 900.0) / 900.0
        h = h + (table[k] + f * (table[k + 1] - table[k]))
        year_weight = self.whole_days(year_days, first_weekday)
        return float(year) + h / year_weight

    def between(self, start: tuple, end: tuple) -> float:
        return self.coordinate(*end) - self.coordinate(*start)

    def figure(self, name: str) -> float:
        monday = self.tables[0]
        hms = lambda h, m, s=0: h * 3600 + m * 60 + s
        figures = {
            "t38": lambda: monday[38],
            "t39": lambda: monday[39],
            "spring": lambda: self.between((2024, 3, 10, hms(1, 59, 59)), (2024, 3, 10, hms(3, 0))),
            "fall": lambda: self.between((2024, 11, 3, hms(1, 59, 59)), (2024, 11, 3, hms(1, 0))),
            "open_bucket": lambda: self.between((2024, 3, 4, hms(9, 30)), (2024, 3, 4, hms(9, 45))),
            "open_half_bucket": lambda: self.between((2024, 3, 4, hms(9, 30)), (2024, 3, 4, hms(9, 37, 30))),
            "monday": lambda: self.between((2024, 3, 4, 0), (2024, 3, 5, 0)),
            "saturday": lambda: self.between((2024, 3, 9, 0), (2024, 3, 10, 0)),
        }
        return figures[name]()


def rounds_to(value: float, quoted: str) -> bool:
    digits = significant_digits(quoted)
    return f"{value:.{digits}g}" == f"{float(quoted):.{digits}g}"


# ----------------------------------------------------------------------------
# Design: the shape of each profile

# Anchor levels by bucket, interpolated linearly between anchors. The
# published buckets override the shape; the balancing groups are rescaled.
SHAPES = {
    "monday": {
        0: 9.30, 1: 8.75, 2: 8.20, 3: 7.70, 4: 7.95, 6: 8.10, 8: 8.20, 10: 8.60,
        12: 10.4, 14: 10.9, 16: 11.1, 20: 10.9, 24: 11.5, 28: 12.8, 31: 14.6,
        32: 16.38, 33: 17.3, 34: 24.8, 35: 22.3, 36: 20.9, 37: 21.28, 38: 62.52,
        39: 45.8, 40: 40.5, 41: 37.6, 42: 35.9, 44: 33.7, 46: 32.1, 48: 30.28,
        50: 27.9, 52: 26.7, 54: 27.2, 56: 28.2, 58: 28.9, 60: 29.8, 62: 31.8,
        63: 37.4, 64: 25.26, 65: 21.2, 66: 19.2, 68: 17.2, 70: 15.9, 71: 15.5,
        72: 18.37, 73: 16.9, 74: 15.9, 76: 14.5, 78: 14.8, 80: 15.5, 82: 14.6,
        84: 13.0, 88: 11.2, 92: 9.5, 94: 8.55, 95: 8.03,
    },
    "friday": {
        0: 9.03, 1: 8.55, 2: 8.05, 3: 7.75, 4: 7.65, 6: 7.85, 8: 8.30, 10: 9.10,
        12: 11.6, 14: 12.3, 16: 12.6, 20: 12.5, 24: 13.3, 28: 14.9, 31: 16.4,
        32: 17.46, 33: 18.2, 34: 26.1, 35: 21.6, 36: 19.4, 37: 18.16, 38: 63.56,
        39: 47.5, 40: 41.9, 41: 38.8, 42: 37.0, 44: 34.8, 46: 33.1, 48: 32.26,
        50: 28.5, 52: 26.5, 54: 25.3, 56: 24.5, 58: 23.9, 60: 23.6, 62: 24.3,
        63: 28.7, 64: 18.24, 65: 15.4, 66: 13.8, 68: 12.5, 70: 11.7, 71: 11.3,
        72: 11.50, 73: 10.9, 74: 10.4, 76: 9.6, 80: 8.7, 84: 7.3, 88: 6.0,
        92: 4.9, 94: 4.25, 95: 3.74,
    },
    "saturday": {
        0: 4.13, 1: 3.78, 2: 3.46, 3: 3.26, 4: 3.42, 6: 3.48, 8: 3.50, 12: 3.62,
        16: 3.80, 20: 4.02, 24: 4.35, 28: 4.72, 32: 5.29, 34: 5.40, 37: 5.92,
        38: 6.57, 40: 6.70, 42: 7.02, 44: 7.35, 45: 7.86, 46: 7.30, 47: 7.15,
        48: 7.11, 50: 6.70, 52: 6.42, 56: 5.95, 60: 5.38, 63: 4.88, 64: 4.76,
        66: 4.80, 68: 5.15, 70: 5.55, 72: 6.28, 74: 5.82, 76: 5.48, 80: 4.98,
        84: 4.58, 88: 4.17, 92: 3.80, 95: 3.55,
    },
    "sunday": {
        0: 3.63, 1: 3.57, 2: 3.53, 3: 3.50, 4: 3.50, 5: 3.51, 6: 3.52, 7: 3.51,
        8: 3.47, 9: 3.12, 10: 3.52, 11: 3.58, 12: 3.62, 16: 3.84, 20: 4.23,
        24: 4.82, 28: 5.61, 32: 6.83, 34: 7.47, 36: 8.45, 37: 9.70, 38: 9.93,
        40: 10.02, 44: 10.51, 48: 11.16, 52: 11.19, 56: 11.00, 60: 10.60,
        64: 10.45, 66: 11.3, 68: 12.8, 70: 15.3, 71: 19.0, 72: 30.75, 73: 25.1,
        74: 21.7, 76: 18.2, 78: 17.1, 80: 17.4, 82: 16.3, 84: 14.3, 88: 11.9,
        92: 9.9, 94: 9.0, 95: 8.65,
    },
}

NOISE = 0.02          # relative amplitude of the seeded noise on free buckets
SEED = 20240304

# Groups of free buckets rescaled so that a figure hits the middle of its
# quoted interval, as sums of raw values (A(2024) = 298.4, and a raw unit is
# 1 / (33600/19) of a day's weight on every day).
RAW_PER_YEAR = 298.4 * 33600 / 19
GROUP_TARGETS = {
    # Monday: buckets 0..37 decide T[38] = 0.2592677 (inside both intervals).
    "monday": [(range(0, 38), 1.0, 0.2592677 * 33600 / 19)],
    # Sunday 01:00-02:00 (fall back) and 01:59:59-03:00 (spring forward).
    "sunday": [(range(4, 8), 899 / 900, 2.662e-5 * RAW_PER_YEAR),
               (range(8, 12), 1.0, 2.598e-5 * RAW_PER_YEAR - 1 / 900 * 3.51)],
}

# The bucket of each day solved ulp by ulp for the exact day sum: late in
# the day, so that few additions follow it.
BALANCING_BUCKET = {day: 94 for day in PROFILE_DAYS}


def shape_levels(day: str) -> list[float]:
    anchors = sorted(SHAPES[day].items())
    levels = []
    for b in range(BUCKETS):
        for (b0, v0), (b1, v1) in zip(anchors, anchors[1:]):
            if b0 <= b <= b1:
                levels.append(v0 + (v1 - v0) * (b - b0) / (b1 - b0))
                break
    return levels


def left_to_right_sum(values) -> float:
    total = 0.0
    for value in values:
        total += value
    return total


def rescale(values: list[float], buckets, free: set[int], target: float, weights=None) -> None:
    """Scales the free buckets of a group so that the group sums to target."""
    members = [b for b in buckets if b in free]
    weight = (lambda b: 1.0) if weights is None else weights
    fixed_part = sum(values[b] * weight(b) for b in buckets if b not in free)
    free_part = sum(values[b] * weight(b) for b in members)
    factor = (target - fixed_part) / free_part
    for b in members:
        values[b] *= factor


def solve_balance(values: list[float], bucket: int, target: float) -> None:
    """Moves one bucket ulp by ulp until the left-to-right sum is target.

    A step of the bucket can make the sum skip the target (a tie rounding to
    even two ulps on), so when the sum jumps over it, the bucket before is
    nudged by an ulp and the search starts again.
    """
    helper = bucket - 1
    for _ in range(200):
        others = left_to_right_sum(v for b, v in enumerate(values) if b != bucket)
        values[bucket] = target - others
        below = None
        for _ in range(10_000):
            total = left_to_right_sum(values)
            if total == target:
                return
            if below is not None and below != (total < target):
                break
            below = total < target
            values[bucket] = math.nextafter(values[bucket], math.inf if below else -math.inf)
        values[helper] = math.nextafter(values[helper], math.inf)
    raise RuntimeError(f"no balancing value in bucket {bucket}")


def design_day(day: str, rng: random.Random) -> list[float]:
    fixed = fixed_values(day)
    free = set(range(BUCKETS)) - set(fixed)
    values = shape_levels(day)
    for b in range(BUCKETS):
        values[b] = fixed[b] if b in fixed else values[b] * (1.0 + NOISE * rng.uniform(-1.0, 1.0))
    grouped: set[int] = set()
    for buckets, last_weight, target in GROUP_TARGETS.get(day, []):
        weights = lambda b, last=buckets[-1], w=last_weight: w if b == last else 1.0
        rescale(values, buckets, free, target, weights)
        grouped.update(buckets)
    rest = [b for b in range(BUCKETS) if b not in grouped]
    rescale(values, rest, free - grouped, day_target(day) - sum(values[b] for b in grouped))
    solve_balance(values, BALANCING_BUCKET[day], day_target(day))
    return values


def design_monday() -> list[float]:
    """Draws Monday's noise again until its table ends at the stated value.

    The end of the table is the rounding of 96 divisions and 96 additions;
    about one draw in ten lands on the stated double.
    """
    for attempt in range(1000):
        values = design_day("monday", random.Random(SEED + attempt))
        if cumulative_table(values, 1.0)[-1] == MONDAY_TABLE_END:
            return values
    raise RuntimeError("Monday's table end cannot be reached")


def build_document(profiles: dict[str, list[float]]) -> dict:
    time_weightings = {}
    for day in WEEKDAYS:
        source = profiles["monday" if day in ("tuesday", "wednesday", "thursday") else day]
        time_weightings[day] = dict(zip(LABELS, source))
    return {"DayWeightings": dict(DAY_WEIGHTS), "TimeWeightings": time_weightings,
            "IanaTimeZone": ZONE}


def render(doc: dict) -> str:
    return json.dumps(doc, indent=4)


def shorten(value: float, by: int) -> float:
    """The value rounded to `by` fewer significant digits than its repr has."""
    digits = significant_digits(repr(value))
    return float(f"{value:.{max(digits - by, 6)}g}")


def lengthen(value: float) -> float:
    """The nearest larger double whose repr is one character longer, or the
    value itself when its neighbours all print as short as it does."""
    length = len(repr(value))
    candidate = value
    for _ in range(64):
        candidate = math.nextafter(candidate, math.inf)
        if len(repr(candidate)) == length + 1:
            return candidate
    return value


def tune_length(profiles: dict[str, list[float]]) -> None:
    """Shortens or lengthens free Friday to Sunday values to hit the byte count.

    Monday's values stay as they are: they count four times and settle the
    table end. Each change moves a day's sum, so the balancing bucket is
    solved again; its own repr may change length, hence the loop.
    """
    candidates = []
    for day in ("friday", "saturday", "sunday"):
        balancing = BALANCING_BUCKET[day]
        untouchable = set(fixed_values(day)) | {balancing, balancing - 1} | set(
            b for buckets, _, _ in GROUP_TARGETS.get(day, []) for b in buckets)
        candidates += [(day, b) for b in range(BUCKETS) if b not in untouchable]
    for turn in range(4 * len(candidates)):
        excess = len(render(build_document(profiles))) - DOCUMENT_BYTES
        if excess == 0:
            return
        day, b = candidates[(turn * 37) % len(candidates)]
        values = profiles[day]
        values[b] = shorten(values[b], min(excess, 3)) if excess > 0 else lengthen(values[b])
        solve_balance(values, BALANCING_BUCKET[day], day_target(day))
    raise RuntimeError("the byte count cannot be reached")


def design() -> str:
    profiles = {"monday": design_monday()}
    for index, day in enumerate(PROFILE_DAYS[1:], start=1):
        profiles[day] = design_day(day, random.Random(SEED + 1000 * index))
    tune_length(profiles)
    return render(build_document(profiles))


# ----------------------------------------------------------------------------
# Checks

def significant_digits(text: str) -> int:
    mantissa = text.lstrip("-").split("e")[0].replace(".", "").lstrip("0")
    return len(mantissa)


class Checker:
    def __init__(self) -> None:
        self.failures: list[str] = []

    def expect(self, condition: bool, what: str) -> None:
        if not condition:
            self.failures.append(what)


def check(text: str, raw: bytes) -> list[str]:
    c = Checker()
    c.expect(len(raw) == DOCUMENT_BYTES, f"size is {len(raw)} bytes, expected {DOCUMENT_BYTES}")
    c.expect(all(byte < 128 for byte in raw), "the text is not plain ASCII")
    c.expect(not raw.endswith(b"\n"), "the text ends with a line feed")
    doc = json.loads(text)
    c.expect(render(doc) == text, "the layout is not json.dumps(doc, indent=4)")
    c.expect(list(doc) == ["DayWeightings", "TimeWeightings", "IanaTimeZone"],
             f"members are {list(doc)}")
    c.expect(doc.get("IanaTimeZone") == ZONE, f"zone is {doc.get('IanaTimeZone')!r}")
    days = doc.get("DayWeightings", {})
    c.expect(list(days) == WEEKDAYS, f"DayWeightings keys are {list(days)}")
    for day in WEEKDAYS:
        value = days.get(day)
        c.expect(type(value) is type(DAY_WEIGHTS[day]) and value == DAY_WEIGHTS[day],
                 f"DayWeightings[{day!r}] is {value!r}, expected {DAY_WEIGHTS[day]!r}")
    c.expect(left_to_right_sum(float(days.get(d, 0)) for d in WEEKDAYS) == 5.7,
             "the day weights do not sum to 5.7")
    profiles = doc.get("TimeWeightings", {})
    c.expect(list(profiles) == WEEKDAYS, f"TimeWeightings keys are {list(profiles)}")
    if c.failures:
        return c.failures
    values = {}
    for day in WEEKDAYS:
        profile = profiles[day]
        c.expect(list(profile) == LABELS, f"{day}: labels are not the 96 quarter-hours in order")
        values[day] = [profile.get(lab, 0.0) for lab in LABELS]
        for lab, value in zip(LABELS, values[day]):
            c.expect(type(value) is float and math.isfinite(value) and value > 0.0,
                     f"{day} {lab}: {value!r} is not a positive float")
            written = repr(value)
            c.expect("e" not in written and significant_digits(written) <= 17,
                     f"{day} {lab}: written as {written}")
        total = left_to_right_sum(values[day])
        c.expect(total == day_target(day),
                 f"{day}: values sum to {total!r}, expected {day_target(day)!r}")
    for day in ("tuesday", "wednesday", "thursday"):
        c.expect(values[day] == values["monday"], f"{day} differs from monday")
    week = left_to_right_sum(v for day in WEEKDAYS for v in values[day])
    c.expect(abs(week - 10080.0) < 1e-9, f"the week sums to {week!r}, expected 10080")
    for day in PROFILE_DAYS:
        for b, value in fixed_values(day).items():
            c.expect(values[day][b] == value,
                     f"{day} {LABELS[b]}: {values[day][b]!r}, expected {value!r}")
        peak_at, peak, low_at, low = EXTREMES[day]
        others = [v for b, v in enumerate(values[day]) if b != bucket_of(peak_at)]
        c.expect(max(others) < peak, f"{day}: peak at {peak_at} is not unique")
        others = [v for b, v in enumerate(values[day]) if b != bucket_of(low_at)]
        c.expect(min(others) > low, f"{day}: low at {low_at} is not unique")
    simulation = Simulation(values)
    end = simulation.tables[0][-1]
    c.expect(end == MONDAY_TABLE_END, f"Monday's table ends at {end!r}, expected {MONDAY_TABLE_END!r}")
    for what, name, quoted in QUOTED_FIGURES:
        value = simulation.figure(name)
        c.expect(rounds_to(value, quoted), f"{what}: {value!r} does not round to {quoted}")
    return c.failures


def report(text: str) -> None:
    doc = json.loads(text)
    simulation = Simulation({day: list(doc["TimeWeightings"][day].values()) for day in WEEKDAYS})
    print(f"monday table end {simulation.tables[0][-1]!r}")
    for what, name, quoted in QUOTED_FIGURES:
        print(f"{what}: {simulation.figure(name)!r} (quoted {quoted})")


# ----------------------------------------------------------------------------
# The C++ constant

def embed_cpp(text: str) -> str:
    lines = []
    for line in text.split("\n"):
        escaped = line.replace("\\", "\\\\").replace('"', '\\"')
        lines.append(f'    "{escaped}\\n"')
    lines[-1] = lines[-1][:-3] + '"'  # the document ends without a line feed
    body = "\n".join(lines)
    return (
        "// Generated by tools/make_calendar_document.py from btcusdt_calendar.json.\n"
        "// Do not edit: edit the document and rebuild.\n"
        '#include "calendar/embedded_document.hpp"\n\n'
        "namespace calendar {\n\n"
        "namespace {\n"
        "constexpr char btcusdt_text[] =\n"
        f"{body};\n"
        "}  // namespace\n\n"
        "std::string_view btcusdt_document() noexcept {\n"
        "    return {btcusdt_text, sizeof btcusdt_text - 1};\n"
        "}\n\n"
        "}  // namespace calendar\n"
    )


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    action = parser.add_mutually_exclusive_group(required=True)
    action.add_argument("--write", type=Path, help="design the document and write it here")
    action.add_argument("--check", type=Path, help="check the document here")
    parser.add_argument("--embed-cpp", type=Path, help="after checking, write the C++ constant here")
    args = parser.parse_args()

    if args.write:
        text = design()
        failures = check(text, text.encode("ascii"))
        if failures:
            print("\n".join(["the designed document fails its checks:"] + failures), file=sys.stderr)
            return 1
        args.write.write_bytes(text.encode("ascii"))
        report(text)
        return 0

    raw = args.check.read_bytes()
    text = raw.decode("ascii", errors="replace")
    failures = check(text, raw)
    if failures:
        print("\n".join([f"{args.check}: the calendar document fails its checks:"] + failures),
              file=sys.stderr)
        return 1
    if args.embed_cpp:
        args.embed_cpp.write_text(embed_cpp(text))
    else:
        report(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
