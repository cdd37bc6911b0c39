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

Output, one case a line:
  release <tzdata version> <IANA release>
  zone <name> <name> ...        names sharing the cases that follow
  T <instant> <before> <after>  offsets one second before and at the instant
  R <instant> <offset>          a random instant
"""

from __future__ import annotations

import argparse
import datetime
import importlib.resources
import random
import struct
import sys
import zoneinfo
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gen_time_zones import DataError, check_installed_tzdata, pinned_tzdata_version  # noqa: E402

START = int(datetime.datetime(1900, 1, 1, tzinfo=datetime.timezone.utc).timestamp())
END = int(datetime.datetime(2100, 1, 1, tzinfo=datetime.timezone.utc).timestamp())
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


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pyproject", type=Path, required=True)
    parser.add_argument("--output", type=Path, required=True)
    arguments = parser.parse_args()
    try:
        pin = pinned_tzdata_version(arguments.pyproject)
        iana_release = check_installed_tzdata(pin)
        use_package_data_only()
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
