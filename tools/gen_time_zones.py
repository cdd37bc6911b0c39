"""Compiles the IANA time-zone database of the pinned tzdata package into C++.

Usage: gen_time_zones.py --pyproject PATH --output PATH

The build runs this with the interpreter it found; that interpreter must have
exactly the tzdata release that pyproject.toml pins, so that every build
embeds the same data. The TZif files are read through importlib.resources
and checked field by field before anything is trusted: a malformed file, a
TZ rule outside the forms handled here, or a footer that contradicts the
file's own last transition fails the build with a message naming the zone.

What the table holds, per zone: the UTC offsets (standard plus daylight
saving, whole seconds) and the instants at which they change, the file's
explicit transitions followed by its POSIX TZ footer rule expanded up to the
end of 2099 UTC. An instant after the last listed change keeps that change's
offset. Only offsets matter to the library, so a transition that changes only
the abbreviation or the DST flag is dropped; zones whose offset histories are
equal (links, and distinct files that happen to agree) share one table.
"""

from __future__ import annotations

import argparse
import dataclasses
import importlib.metadata
import importlib.resources
import re
import struct
import sys
import tomllib
from pathlib import Path

# Transitions at or after this instant (2100-01-01T00:00:00Z) are not listed.
END_OF_LISTED_TIME = 4102444800

# A rule-only zone (a footer with daylight saving and no explicit transitions)
# has no history to start from; its rule is expanded from this year on.
FIRST_RULE_YEAR_WITHOUT_HISTORY = 1900

# RFC 8536: offsets outside -25h..+26h are not meaningful.
MIN_UTC_OFFSET = -89999
MAX_UTC_OFFSET = 93599

NAME_PATTERN = re.compile(r"[A-Za-z0-9_+\-]+(/[A-Za-z0-9_+\-]+)*")


class DataError(Exception):
    """The installed data, or its pin, cannot be used."""


# ----------------------------------------------------------------------------
# The pin


def pinned_tzdata_version(pyproject: Path) -> str:
    """The X of the `tzdata==X` build requirement."""
    project = tomllib.loads(pyproject.read_text(encoding="utf-8"))
    pins = [
        requirement.split("==", 1)[1].strip()
        for requirement in project["build-system"]["requires"]
        if re.fullmatch(r"tzdata\s*==\s*[^\s,;]+", requirement.strip())
    ]
    if len(pins) != 1:
        raise DataError(f"{pyproject}: expected one 'tzdata==<version>' build requirement")
    return pins[0]


def check_installed_tzdata(pin: str) -> str:
    """Returns the IANA release name of the installed tzdata, if it is the pinned one."""
    try:
        installed = importlib.metadata.version("tzdata")
    except importlib.metadata.PackageNotFoundError:
        raise DataError(
            f"the tzdata package is not installed for {sys.executable}; "
            f"install tzdata=={pin}"
        ) from None
    if installed != pin:
        raise DataError(
            f"{sys.executable} has tzdata {installed}, but pyproject.toml pins "
            f"tzdata=={pin}; install tzdata=={pin}"
        )
    import tzdata

    return tzdata.IANA_VERSION


# ----------------------------------------------------------------------------
# TZif files


@dataclasses.dataclass(frozen=True)
class LocalTimeType:
    utc_offset: int
    is_dst: bool


@dataclasses.dataclass(frozen=True)
class TzifData:
    transition_times: list[int]
    transition_types: list[int]
    types: list[LocalTimeType]
    footer: str


_HEADER = struct.Struct(">4sc15x6l")


def _read_header(data: bytes, at: int, zone: str) -> tuple[bytes, tuple[int, ...], int]:
    if len(data) < at + _HEADER.size:
        raise DataError(f"{zone}: truncated TZif header")
    magic, version, *counts = _HEADER.unpack_from(data, at)
    if magic != b"TZif":
        raise DataError(f"{zone}: not a TZif file")
    if any(count < 0 for count in counts):
        raise DataError(f"{zone}: negative count in TZif header")
    return version, tuple(counts), at + _HEADER.size


def _v1_block_size(isutcnt, isstdcnt, leapcnt, timecnt, typecnt, charcnt) -> int:
    return timecnt * 5 + typecnt * 6 + charcnt + leapcnt * 8 + isstdcnt + isutcnt


def parse_tzif(data: bytes, zone: str) -> TzifData:
    """The version 2+ (64-bit) data block and the footer, validated."""
    version, counts, at = _read_header(data, 0, zone)
    if version < b"2":
        raise DataError(f"{zone}: TZif version 1 has no 64-bit data nor TZ footer")
    at += _v1_block_size(*counts)
    version2, counts, at = _read_header(data, at, zone)
    if version2 != version:
        raise DataError(f"{zone}: the two TZif headers disagree on the version")
    isutcnt, isstdcnt, leapcnt, timecnt, typecnt, charcnt = counts
    if typecnt == 0 or charcnt == 0:
        raise DataError(f"{zone}: no local time types")
    if isutcnt not in (0, typecnt) or isstdcnt not in (0, typecnt):
        raise DataError(f"{zone}: UT/standard indicator counts differ from the type count")
    if leapcnt != 0:
        # Leap-second files count TAI-like seconds; the library's instants do not.
        raise DataError(f"{zone}: leap-second records are not supported")
    block = timecnt * 9 + typecnt * 6 + charcnt + isstdcnt + isutcnt
    if len(data) < at + block:
        raise DataError(f"{zone}: truncated TZif data block")

    times = list(struct.unpack_from(f">{timecnt}q", data, at))
    at += timecnt * 8
    indices = list(data[at : at + timecnt])
    at += timecnt
    types = []
    for _ in range(typecnt):
        utc_offset, is_dst, abbreviation_index = struct.unpack_from(">lBB", data, at)
        at += 6
        if not MIN_UTC_OFFSET <= utc_offset <= MAX_UTC_OFFSET:
            raise DataError(f"{zone}: UTC offset {utc_offset} out of range")
        if is_dst > 1:
            raise DataError(f"{zone}: DST flag {is_dst} is neither 0 nor 1")
        if abbreviation_index >= charcnt:
            raise DataError(f"{zone}: abbreviation index out of range")
        types.append(LocalTimeType(utc_offset, bool(is_dst)))
    at += charcnt
    indicators = data[at : at + isstdcnt + isutcnt]
    if any(flag > 1 for flag in indicators):
        raise DataError(f"{zone}: UT/standard indicator is neither 0 nor 1")
    at += isstdcnt + isutcnt

    if any(later <= earlier for earlier, later in zip(times, times[1:])):
        raise DataError(f"{zone}: transition times are not strictly ascending")
    if any(index >= typecnt for index in indices):
        raise DataError(f"{zone}: transition type index out of range")

    footer = data[at:]
    if len(footer) < 2 or footer[0:1] != b"\n" or footer[-1:] != b"\n" or b"\n" in footer[1:-1]:
        raise DataError(f"{zone}: missing or malformed TZ string footer")
    try:
        footer_text = footer[1:-1].decode("ascii")
    except UnicodeDecodeError:
        raise DataError(f"{zone}: TZ string footer is not ASCII") from None
    return TzifData(times, indices, types, footer_text)


# ----------------------------------------------------------------------------
# POSIX TZ rules


@dataclasses.dataclass(frozen=True)
class RuleDate:
    kind: str  # "J" (1..365, no leap day), "n" (0..365), "M" (month.week.weekday)
    values: tuple[int, ...]
    local_seconds: int  # time of day of the change, in the time it ends


@dataclasses.dataclass(frozen=True)
class TzRule:
    std_offset: int  # UTC offset, east positive
    dst_offset: int | None
    dst_start: RuleDate | None
    dst_end: RuleDate | None


_NAME = r"(?:[A-Za-z]{3,}|<[A-Za-z0-9+\-]{3,}>)"
_OFFSET = r"[+-]?\d{1,2}(?::\d{2}(?::\d{2})?)?"
_TIME = r"[+-]?\d{1,3}(?::\d{2}(?::\d{2})?)?"
_DATE = r"(?:J\d{1,3}|\d{1,3}|M\d{1,2}\.\d\.\d)"
_TZ_STRING = re.compile(
    rf"(?P<std>{_NAME})(?P<stdoff>{_OFFSET})"
    rf"(?:(?P<dst>{_NAME})(?P<dstoff>{_OFFSET})?"
    rf"(?:,(?P<start>{_DATE})(?:/(?P<starttime>{_TIME}))?"
    rf",(?P<end>{_DATE})(?:/(?P<endtime>{_TIME}))?)?)?"
)


def _clock_seconds(text: str, max_hours: int, what: str) -> int:
    sign = -1 if text.startswith("-") else 1
    parts = [int(part) for part in text.lstrip("+-").split(":")]
    hours, minutes, seconds = parts + [0] * (3 - len(parts))
    if hours > max_hours or minutes > 59 or seconds > 59:
        raise DataError(f"{what} {text!r} out of range")
    return sign * (hours * 3600 + minutes * 60 + seconds)


def _rule_date(text: str, time_text: str | None, zone: str) -> RuleDate:
    # Version 3+ TZif allows -167..167 hours, so a change may land on another day.
    seconds = 7200 if time_text is None else _clock_seconds(time_text, 167, f"{zone}: rule time")
    if text.startswith("J"):
        day = int(text[1:])
        if not 1 <= day <= 365:
            raise DataError(f"{zone}: rule day {text!r} out of range")
        return RuleDate("J", (day,), seconds)
    if text.startswith("M"):
        month, week, weekday = (int(part) for part in text[1:].split("."))
        if not (1 <= month <= 12 and 1 <= week <= 5 and 0 <= weekday <= 6):
            raise DataError(f"{zone}: rule date {text!r} out of range")
        return RuleDate("M", (month, week, weekday), seconds)
    day = int(text)
    if not 0 <= day <= 365:
        raise DataError(f"{zone}: rule day {text!r} out of range")
    return RuleDate("n", (day,), seconds)


def parse_tz_rule(text: str, zone: str) -> TzRule:
    match = _TZ_STRING.fullmatch(text)
    if match is None:
        raise DataError(f"{zone}: unsupported TZ string {text!r}")
    # POSIX offsets count hours west of Greenwich; ours count east.
    std_offset = -_clock_seconds(match["stdoff"], 24, f"{zone}: offset")
    if match["dst"] is None:
        return TzRule(std_offset, None, None, None)
    if match["start"] is None:
        # The default rule is implementation-defined; zic never relies on it.
        raise DataError(f"{zone}: TZ string {text!r} has daylight saving but no rule")
    dst_offset = (
        std_offset + 3600
        if match["dstoff"] is None
        else -_clock_seconds(match["dstoff"], 24, f"{zone}: offset")
    )
    return TzRule(
        std_offset,
        dst_offset,
        _rule_date(match["start"], match["starttime"], zone),
        _rule_date(match["end"], match["endtime"], zone),
    )


def _is_leap(year: int) -> bool:
    return year % 4 == 0 and (year % 100 != 0 or year % 400 == 0)


def _days_from_civil(year: int, month: int, day: int) -> int:
    """Days since 1970-01-01 of a proleptic Gregorian date."""
    y = year - (month <= 2)
    era = y // 400
    yoe = y - era * 400
    doy = (153 * ((month + 9) % 12) + 2) // 5 + day - 1
    return era * 146097 + yoe * 365 + yoe // 4 - yoe // 100 + doy - 719468


_MONTH_DAYS = (31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31)


def _rule_day(date: RuleDate, year: int) -> int:
    """Days since 1970-01-01 of the date on which the rule changes in `year`."""
    jan1 = _days_from_civil(year, 1, 1)
    if date.kind == "J":
        (day,) = date.values
        return jan1 + day - 1 + (1 if _is_leap(year) and day >= 60 else 0)
    if date.kind == "n":
        (day,) = date.values
        return jan1 + day
    month, week, weekday = date.values
    first = _days_from_civil(year, month, 1)
    # 1970-01-01 was a Thursday (weekday 4, Sunday = 0).
    first_match = first + (weekday - (first + 4)) % 7
    length = _MONTH_DAYS[month - 1] + (1 if month == 2 and _is_leap(year) else 0)
    day = first_match + 7 * (week - 1)
    while day >= first + length:  # week 5 means the last such weekday
        day -= 7
    return day


def rule_changes(rule: TzRule, years: range) -> list[tuple[int, int]]:
    """(UTC instant, offset from then on) of each rule change in `years`, in order.

    The start of daylight saving is given in standard time, its end in
    daylight time. Ties are broken by year so that a rule whose end in one
    year meets the next year's start (daylight saving all year) stays in
    daylight time.
    """
    changes = []
    for year in years:
        start = _rule_day(rule.dst_start, year) * 86400 + rule.dst_start.local_seconds
        end = _rule_day(rule.dst_end, year) * 86400 + rule.dst_end.local_seconds
        changes.append((start - rule.std_offset, year, 1, rule.dst_offset))
        changes.append((end - rule.dst_offset, year, 0 if end < start else 2, rule.std_offset))
    changes.sort()
    return [(instant, offset) for instant, _, _, offset in changes]


def _year_of(instant: int) -> int:
    return 1970 + instant // 31556952  # close enough to pick a range of years


def rule_offset_at(rule: TzRule, instant: int) -> int:
    if rule.dst_offset is None:
        return rule.std_offset
    year = _year_of(instant)
    offset = None
    for change_instant, change_offset in rule_changes(rule, range(year - 2, year + 3)):
        if change_instant <= instant:
            offset = change_offset
    assert offset is not None
    return offset


# ----------------------------------------------------------------------------
# Offset histories


@dataclasses.dataclass(frozen=True)
class OffsetHistory:
    initial_offset: int
    changes: tuple[tuple[int, int], ...]  # (UTC instant, offset from then on)


def _offset_before_first_transition(tzif: TzifData) -> int:
    # Python's zoneinfo takes the first standard-time type, falling back to
    # type 0; the reference test compares against it.
    for local_type in tzif.types:
        if not local_type.is_dst:
            return local_type.utc_offset
    return tzif.types[0].utc_offset


def offset_history(tzif: TzifData, zone: str) -> OffsetHistory:
    rule = parse_tz_rule(tzif.footer, zone) if tzif.footer else None
    explicit = [
        (instant, tzif.types[index].utc_offset)
        for instant, index in zip(tzif.transition_times, tzif.transition_types)
    ]
    if explicit:
        initial = _offset_before_first_transition(tzif)
    elif rule is not None:
        initial = rule.std_offset
    else:
        initial = tzif.types[0].utc_offset

    expanded: list[tuple[int, int]] = []
    if rule is not None:
        if explicit:
            last_instant, last_offset = explicit[-1]
            # zic writes the footer so that it agrees with the last transition.
            if rule_offset_at(rule, last_instant) != last_offset:
                raise DataError(
                    f"{zone}: TZ string {tzif.footer!r} disagrees with the last "
                    f"transition (offset {last_offset} at {last_instant})"
                )
            first_year = _year_of(last_instant) - 1
        else:
            last_instant = None
            first_year = FIRST_RULE_YEAR_WITHOUT_HISTORY
        if rule.dst_offset is not None:
            expanded = [
                change
                for change in rule_changes(rule, range(first_year, 2101))
                if last_instant is None or change[0] > last_instant
            ]
        elif not explicit:
            initial = rule.std_offset

    changes = []
    current = initial
    for instant, offset in explicit + expanded:
        if instant >= END_OF_LISTED_TIME:
            break
        if offset != current:  # zic emits transitions that keep the offset
            changes.append((instant, offset))
            current = offset
    return OffsetHistory(initial, tuple(changes))


# ----------------------------------------------------------------------------
# The package


def zone_files() -> dict[str, bytes]:
    """Every TZif file of the package by zone or link name."""
    root = importlib.resources.files("tzdata").joinpath("zoneinfo")
    found: dict[str, bytes] = {}

    def walk(directory, prefix: str) -> None:
        for entry in directory.iterdir():
            if entry.name.startswith(("_", ".")):
                continue
            name = prefix + entry.name
            if entry.is_dir():
                walk(entry, name + "/")
            else:
                data = entry.read_bytes()
                if data.startswith(b"TZif"):
                    found[name] = data

    walk(root, "")
    listed = set(importlib.resources.files("tzdata").joinpath("zones").read_text("utf-8").split())
    if listed != set(found):
        raise DataError(
            "the package's zones list and its TZif files disagree: "
            f"listed only {sorted(listed - set(found))}, files only {sorted(set(found) - listed)}"
        )
    for name in found:
        if not NAME_PATTERN.fullmatch(name):
            raise DataError(f"unexpected characters in zone name {name!r}")
    return found


@dataclasses.dataclass
class Table:
    names: list[str]
    zone_of_name: list[int]
    histories: list[OffsetHistory]


def build_table(files: dict[str, bytes]) -> Table:
    names = sorted(files)  # byte order, the order of std::string_view's compare
    histories: list[OffsetHistory] = []
    zone_by_history: dict[OffsetHistory, int] = {}
    zone_of_name = []
    for name in names:
        history = offset_history(parse_tzif(files[name], name), name)
        if history not in zone_by_history:
            zone_by_history[history] = len(histories)
            histories.append(history)
        zone_of_name.append(zone_by_history[history])
    return Table(names, zone_of_name, histories)


# ----------------------------------------------------------------------------
# C++ output


def _wrapped(items: list[str], indent: str = "    ", width: int = 100) -> str:
    lines, line = [], indent
    for item in items:
        piece = item + ","
        if len(line) + len(piece) + 1 > width and line.strip():
            lines.append(line.rstrip())
            line = indent
        line += piece + " "
    if line.strip():
        lines.append(line.rstrip())
    return "\n".join(lines)


def render_cpp(table: Table, pin: str, iana_release: str) -> tuple[str, dict[str, int]]:
    extents, times, offset_indices, offsets = [], [], [], []
    for history in table.histories:
        zone_offsets = [history.initial_offset]
        for _, offset in history.changes:
            if offset not in zone_offsets:
                zone_offsets.append(offset)
        if len(zone_offsets) > 256:
            raise DataError("a zone has more than 256 distinct offsets")
        extents.append(f"{{{len(times)}, {len(history.changes)}, {len(offsets)}}}")
        for instant, offset in history.changes:
            times.append(str(instant))
            offset_indices.append(str(zone_offsets.index(offset)))
        offsets.extend(str(offset) for offset in zone_offsets)
    if len(table.histories) > 65535:
        raise DataError("too many distinct zones for 16-bit zone indices")

    sizes = {
        "names": len(table.names),
        "zones": len(table.histories),
        "transitions": len(times),
        "offsets": len(offsets),
        "bytes": 8 * len(times) + len(times) + 4 * len(offsets) + 12 * len(extents)
        + 2 * len(table.names) + sum(len(name) for name in table.names)
        + 16 * len(table.names),
    }
    name_literals = [f'"{name}"' for name in table.names]
    text = f"""\
// Generated by tools/gen_time_zones.py from tzdata {pin} (IANA release
// {iana_release}). Do not edit: the build regenerates it.
//
// {sizes['names']} names, {sizes['zones']} distinct zones, {sizes['transitions']} transitions.

#include "calendar/tz/time_zone_table.hpp"

namespace calendar::tz::detail {{
namespace {{

constexpr std::string_view names[] = {{
{_wrapped(name_literals)}
}};

constexpr std::uint16_t zone_of_name[] = {{
{_wrapped([str(zone) for zone in table.zone_of_name])}
}};

constexpr ZoneExtent zones[] = {{
{_wrapped(extents)}
}};

constexpr std::int64_t transition_times[] = {{
{_wrapped(times)}
}};

constexpr std::uint8_t offset_index_after[] = {{
{_wrapped(offset_indices)}
}};

constexpr std::int32_t offsets[] = {{
{_wrapped(offsets)}
}};

}}  // namespace

constinit const TimeZoneTable time_zone_table{{
    "{pin}", "{iana_release}", names, zone_of_name, zones,
    transition_times, offset_index_after, offsets,
}};

}}  // namespace calendar::tz::detail
"""
    return text, sizes


def write_if_changed(path: Path, text: str) -> None:
    if path.exists() and path.read_text(encoding="utf-8") == text:
        return
    path.parent.mkdir(parents=True, exist_ok=True)
    temporary = path.with_suffix(path.suffix + ".tmp")
    temporary.write_text(text, encoding="utf-8")
    temporary.replace(path)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pyproject", type=Path, required=True)
    parser.add_argument("--output", type=Path, required=True)
    arguments = parser.parse_args()
    try:
        pin = pinned_tzdata_version(arguments.pyproject)
        iana_release = check_installed_tzdata(pin)
        table = build_table(zone_files())
        text, sizes = render_cpp(table, pin, iana_release)
    except DataError as error:
        print(f"gen_time_zones.py: error: {error}", file=sys.stderr)
        return 1
    write_if_changed(arguments.output, text)
    print(
        f"tzdata {pin} ({iana_release}): {sizes['names']} names, {sizes['zones']} zones, "
        f"{sizes['transitions']} transitions, about {sizes['bytes']} bytes of table"
    )
    return 0


if __name__ == "__main__":
    sys.exit(main())
