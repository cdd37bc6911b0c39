// Business and calendar time over rows of strided arrays of instants.
//
// An instant arrives either as a POSIX timestamp (a double, as an object's
// timestamp() gave it) or as a count of ticks of a datetime64 unit. A count
// becomes the timestamp that timestamp() of the aware datetime.datetime of
// the same instant returns (whole microseconds, the ticks floored to them),
// and every timestamp becomes its instant by the scalar conversion, so that
// an element gets the instant the scalar method would. The count that
// marks "not a time" (the least int64) gives a NaN result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "calendar/calendar.hpp"
#include "common/error.hpp"
#include "common/strided.hpp"

namespace calendar {

// How an operand holds its instants: timestamps, or ticks of a unit.
// timestamp_or_nat is a timestamp whose not_a_time_stamp bits mark "not a
// time" (pandas' NaT among datetime objects); a plain timestamp has no such
// mark, so every double there is the instant the scalar conversion gives.
enum class TimeUnit : int {
    timestamp = 0,
    week, day, hour, minute, second, millisecond, microsecond, nanosecond,
    picosecond, femtosecond, attosecond,
    timestamp_or_nat,
};

// A quiet NaN of its own payload.
inline constexpr std::uint64_t not_a_time_stamp = 0x7ff8'0000'4e61'5400;

// Whether a code names a TimeUnit.
bool is_time_unit(int code) noexcept;

struct TimeRow {
    kelvane::strided::Row<std::int64_t> raw;  // the element's 8 bytes
    TimeUnit unit;
};

// Which instant of an element failed: its start, its end, or (neither
// alone) the interval of the two.
enum class FailedSide { from, to, interval };

// The first element of a row that failed, and why.
struct RowFailure {
    std::size_t index;
    kelvane::Error error;
    FailedSide side = FailedSide::interval;
};

// out[i] = calendar.bus_ttx(from[i], to[i]); stops at the first element that
// fails. The calendar's year cache fills as it goes, which changes no
// result.
std::optional<RowFailure> bus_ttx_row(Calendar& calendar, std::size_t count, TimeRow from, TimeRow to,
                                      kelvane::strided::OutRow<double> out);

// out[i] = Calendar::cal_ttx(from[i], to[i]); stops at the first element that
// fails.
std::optional<RowFailure> cal_ttx_row(std::size_t count, TimeRow from, TimeRow to,
                                      kelvane::strided::OutRow<double> out);

}  // namespace calendar
