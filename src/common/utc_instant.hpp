// A point on the UTC time line with nanosecond resolution.
//
// Stored as whole seconds since 1970-01-01T00:00:00Z on a time line without
// leap seconds, plus a nanosecond part. A nanosecond part of one billion or
// more marks a leap second: the instant is then the 61st second of the minute
// whose 60th second `seconds` names, so it occurs only when that second of
// the minute is 59.
//
// Representable dates run from 1 January of year -262143 to 31 December of
// year 262142 (proleptic Gregorian); the range is wider than std::chrono's
// calendar types, so the civil arithmetic here is done on 64-bit day counts.
#pragma once

#include <cstdint>

#include "common/error.hpp"

namespace kelvane {

struct CivilDate {
    std::int64_t year;
    unsigned month;  // 1..12
    unsigned day;    // 1..31
};

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t days_from_civil(std::int64_t year, unsigned month, unsigned day) noexcept;
CivilDate civil_from_days(std::int64_t days) noexcept;

inline constexpr std::int64_t seconds_per_day = 86'400;
inline constexpr std::uint32_t nanos_per_second = 1'000'000'000;

struct UtcInstant {
    std::int64_t seconds = 0;     // since the epoch, leap seconds not counted
    std::uint32_t nanos = 0;      // 0 .. 1'999'999'999 (>= 1e9: leap second)

    bool is_leap_second() const noexcept { return nanos >= nanos_per_second; }

    // Seconds since the epoch as a double, the leap second folded into the
    // second before it (time lines that know no leap seconds see it so).
    double unix_seconds() const noexcept;

    friend bool operator==(const UtcInstant&, const UtcInstant&) = default;
};

// Builds the instant from whole seconds and nanoseconds, or fails with
// "Invalid timestamp" when the date is out of range or the nanoseconds do
// not describe a valid (leap) second.
Result<UtcInstant> make_utc_instant(std::int64_t seconds, std::uint32_t nanos);

// The conversion of a POSIX timestamp (a double, as Python's
// datetime.timestamp() gives it): whole seconds truncated toward zero with
// saturation, the fraction rounded to the nanosecond, halves away from zero.
Result<UtcInstant> utc_instant_from_timestamp(double timestamp);

// The timestamp of a count of microseconds since the epoch: the double
// nearest to micros / 10^6, ties to even, which is what an aware
// datetime.datetime's timestamp() returns for the same instant.
double timestamp_from_micros(std::int64_t micros) noexcept;

// Broken-down UTC time of an instant, for building a datetime.
struct CivilTime {
    CivilDate date;
    unsigned hour, minute, second;
    std::uint32_t nanos;  // 0 .. 999'999'999 (the leap second's excess removed)
    bool leap_second;
};
CivilTime to_civil_time(const UtcInstant& instant) noexcept;

}  // namespace kelvane
