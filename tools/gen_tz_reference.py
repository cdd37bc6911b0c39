"""Writes the offsets that Python's zoneinfo gives, as a reference for the C++ table.

Usage: gen_tz_reference.py --pyproject PATH --output PATH

zoneinfo is made to read the tzdata package (the pinned release, the one the
table is compiled from) by clearing its search path, so the system's own
zone files cannot leak in. Every offset written comes from zoneinfo's public
interface, datetime.fromtimestamp(t, tz=ZoneInfo(name)).utcoffset().

Instants checked, up to the end of 2099 UTC, for each group of names whose
files are byte-identical:
  - every transition time the TZif file lists, and the changes that
    zoneinfo's rule for later years makes, found by a scan from the last
    listed transition (daily where the rule has daylight saving) and
    narrowed to the second by bisection;
  - seeded random instants from 1900 to the end of 2099.

Before that, the TZ footer forms that the release does not use (Jn and n
days, extreme and negative times, daylight saving all year or across the new
year) are checked on synthetic files: tools/gen_time_zones.py's expansion of
each against zoneinfo, which fails the build when they disagree.

Output, one case a line:
  release <tzdata version> <IANA release>
  zone <name> <name> ...        names sharing the cases that follow
  T <instant> <before> <after>  offsets one second before and at the instant
  R <instant> <offset>          a random instant
"""

from __future__ import annotations

import argparse
import bisect
import datetime
import importlib.resources
import io
import random
import struct
import sys
import zoneinfo
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import gen_time_zones  # noqa: E402
from gen_time_zones import DataError, check_installed_tzdata, pinned_tzdata_version  # noqa: E402


def _utc(*when: int) -> int:
    return int(datetime.datetime(*when, tzinfo=datetime.timezone.utc).timestamp())


START = _utc(1900, 1, 1)
END = _utc(2100, 1, 1)
RANDOM_INSTANTS_PER_ZONE = 120
SEED = 20260601
DAY = 86400


def use_package_data_only() -> None:
    zoneinfo.reset_tzpath([])
    if zoneinfo.TZPATH != ():
        raise DataError(f"zoneinfo still searches {zoneinfo.TZPATH}")
    listed = set(importlib.resources.files("tzdata").joinpath("zones").read_text("utf-8").split())
    if zoneinfo.available_timezones() != listed:
        raise DataError("zoneinfo does not list the tzdata package's zones")


def listed_transition_times(data: bytes) -> list[int]:
    """The 64-bit transition times of a TZif file (version 2 or later)."""
    header = struct.Struct(">4sc15x6l")

    def counts_at(at: int) -> tuple[int, ...]:
        magic, version, *counts = header.unpack_from(data, at)
        if magic != b"TZif" or version < b"2":
            raise DataError("not a TZif file of version 2 or later")
        return tuple(counts)

    isutcnt, isstdcnt, leapcnt, timecnt, typecnt, charcnt = counts_at(0)
    at = header.size + timecnt * 5 + typecnt * 6 + charcnt + leapcnt * 8 + isstdcnt + isutcnt
    timecnt = counts_at(at)[3]
    return list(struct.unpack_from(f">{timecnt}q", data, at + header.size))


class Offsets:
    def __init__(self, name: str) -> None:
        self.zone = zoneinfo.ZoneInfo(name)

    @classmethod
    def of_file(cls, data: bytes) -> "Offsets":
        offsets = cls.__new__(cls)
        offsets.zone = zoneinfo.ZoneInfo.from_file(io.BytesIO(data))
        return offsets

    def at(self, instant: int) -> int:
        offset = datetime.datetime.fromtimestamp(instant, tz=self.zone).utcoffset()
        return offset.days * DAY + offset.seconds

    def first_change_after(self, low: int, high: int) -> int:
        """The first instant in (low, high] whose offset differs from low's."""
        before = self.at(low)
        while high - low > 1:
            middle = (low + high) // 2
            if self.at(middle) == before:
                low = middle
            else:
                high = middle
        return high


def scanned_changes(offsets: Offsets, start: int, step: int) -> list[int]:
    changes = []
    low = start
    previous = offsets.at(low)
    while low < END - 1:
        high = min(low + step, END - 1)
        current = offsets.at(high)
        if current != previous:
            # One step can hide two changes; the next step starts at the first.
            high = offsets.first_change_after(low, high)
            changes.append(high)
            current = offsets.at(high)
        low, previous = high, current
    return changes


def cases_for(names: list[str], data: bytes, rng: random.Random) -> list[str]:
    offsets = Offsets(names[0])
    listed = [t for t in listed_transition_times(data) if t < END]
    scan_from = max(listed[-1] if listed else START, START)
    # A footer rule with daylight saving changes twice a year, at least weeks
    # apart; a fixed one should not change at all, which a coarse scan checks.
    has_dst_rule = b"," in data.rstrip(b"\n").rsplit(b"\n", 1)[-1]
    step = DAY if has_dst_rule else 30 * DAY
    instants = sorted(set(listed) | set(scanned_changes(offsets, scan_from, step)))
    lines = [f"zone {' '.join(names)}"]
    for instant in instants:
        lines.append(f"T {instant} {offsets.at(instant - 1)} {offsets.at(instant)}")
    for _ in range(RANDOM_INSTANTS_PER_ZONE):
        instant = rng.randrange(START, END)
        lines.append(f"R {instant} {offsets.at(instant)}")
    return lines


# Footers that zoneinfo expands as POSIX defines them.
SYNTHETIC_FOOTERS = [
    "<+0330>-3:30<+0430>,J79/24,J263/24",  # Jn days, quoted names, 24:00
    "AAA-10BBB-11,J60,J365",  # J60 is 1 March in leap years as well
    "<-02>2<-01>,M3.5.0/-1,M10.5.0/0",  # a negative time of day
    "AAA3BBB,M3.2.0/-167,M11.1.0/167",  # the extreme hours of version 3
    "EST5EDT,0/0,J365/25",  # daylight saving all year
    "AAA-13BBB,M12.5.0/23,M1.1.0/1",  # daylight saving across the new year
    "IST-1GMT0,M10.5.0,M3.5.0/1",  # daylight time behind standard time
    "AAA3BBB,M4.1.0/0:30:15,M10.5.6/1:02:03",  # the default one-hour saving, seconds
]


# Forms that zoneinfo takes a day late or early, worked out by hand from
# POSIX instead: the changes of 1903 and of the leap year 1904.
HAND_CHECKED_FOOTERS = {
    # J59 is 28 February in every year; zoneinfo moves it to 29 February in
    # leap years. J300 is 27 October.
    "AAA-10BBB-11,J59,J300": [
        (_utc(1903, 2, 27, 16), 39600),
        (_utc(1903, 10, 26, 15), 36000),
        (_utc(1904, 2, 27, 16), 39600),
        (_utc(1904, 10, 26, 15), 36000),
    ],
    # The zero-based day 59 is 1 March in 1903 and 29 February in 1904; day
    # 300 is 28 and 27 October. zoneinfo takes the n form a day early.
    "XXX3YYY,59/2,300/-1:30": [
        (_utc(1903, 3, 1, 5), -7200),
        (_utc(1903, 10, 28, 0, 30), -10800),
        (_utc(1904, 2, 29, 5), -7200),
        (_utc(1904, 10, 27, 0, 30), -10800),
    ],
}


def synthetic_tzif(footer: str) -> bytes:
    """A version 2 file with no transitions: the footer rules all time."""
    std_offset = gen_time_zones.parse_tz_rule(footer, footer).std_offset
    header = struct.pack(">4sc15x6l", b"TZif", b"2", 0, 0, 0, 0, 1, 4)
    block = struct.pack(">lBB", std_offset, 0, 0) + b"STD\0"
    return header + block + header + block + b"\n" + footer.encode("ascii") + b"\n"


def generated_history(data: bytes, footer: str) -> gen_time_zones.OffsetHistory:
    return gen_time_zones.offset_history(gen_time_zones.parse_tzif(data, footer), footer)


def offset_in_history(history: gen_time_zones.OffsetHistory, instant: int) -> int:
    passed = bisect.bisect_right([change[0] for change in history.changes], instant)
    return history.initial_offset if passed == 0 else history.changes[passed - 1][1]


def check_footer_forms(rng: random.Random) -> None:
    # The generator expands rule-only zones from 1900; compare from 1901 on.
    start = _utc(1901, 1, 1)
    for footer in SYNTHETIC_FOOTERS:
        data = synthetic_tzif(footer)
        history = generated_history(data, footer)
        expected = Offsets.of_file(data)
        instants = [t + d for t, _ in history.changes if t > start for d in (-1, 0)]
        instants += scanned_changes(expected, start, DAY)
        instants += [rng.randrange(start, END) for _ in range(2000)]
        for instant in instants:
            computed = offset_in_history(history, instant)
            if computed != expected.at(instant):
                raise DataError(
                    f"footer {footer!r} at {instant}: zoneinfo gives {expected.at(instant)}, "
                    f"gen_time_zones.py {computed}"
                )
    for footer, expected_changes in HAND_CHECKED_FOOTERS.items():
        history = generated_history(synthetic_tzif(footer), footer)
        computed = [
            change for change in history.changes if _utc(1903, 1, 1) <= change[0] < _utc(1905, 1, 1)
        ]
        if computed != expected_changes:
            raise DataError(f"footer {footer!r}: gen_time_zones.py gives {computed} in 1903-1904")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pyproject", type=Path, required=True)
    parser.add_argument("--output", type=Path, required=True)
    arguments = parser.parse_args()
    try:
        pin = pinned_tzdata_version(arguments.pyproject)
        iana_release = check_installed_tzdata(pin)
        use_package_data_only()
        check_footer_forms(random.Random(SEED))
        package = importlib.resources.files("tzdata").joinpath("zoneinfo")
        names_by_file: dict[bytes, list[str]] = {}
        for name in sorted(zoneinfo.available_timezones()):
            data = package.joinpath(*name.split("/")).read_bytes()
            names_by_file.setdefault(data, []).append(name)
        rng = random.Random(SEED)
        lines = [f"release {pin} {iana_release}"]
        for data, names in names_by_file.items():
            lines.extend(cases_for(names, data, rng))
    except DataError as error:
        print(f"gen_tz_reference.py: error: {error}", file=sys.stderr)
        return 1
    arguments.output.parent.mkdir(parents=True, exist_ok=True)
    temporary = arguments.output.with_suffix(".tmp")
    temporary.write_text("\n".join(lines) + "\n", encoding="utf-8")
    temporary.replace(arguments.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
