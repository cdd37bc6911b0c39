#include "calendar/loops.hpp"

#include <bit>
#include <limits>

namespace calendar {
namespace {

constexpr std::int64_t not_a_time = std::numeric_limits<std::int64_t>::min();

constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) noexcept {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Microseconds per tick for the units coarser than a microsecond, ticks per
// microsecond (negated) for the finer ones.
constexpr std::int64_t scale_of(TimeUnit unit) noexcept {
    switch (unit) {
        case TimeUnit::week: return 604'800'000'000;
        case TimeUnit::day: return 86'400'000'000;
        case TimeUnit::hour: return 3'600'000'000;
        case TimeUnit::minute: return 60'000'000;
        case TimeUnit::second: return 1'000'000;
        case TimeUnit::millisecond: return 1'000;
        case TimeUnit::microsecond: return 1;
        case TimeUnit::nanosecond: return -1'000;
        case TimeUnit::picosecond: return -1'000'000;
        case TimeUnit::femtosecond: return -1'000'000'000;
        case TimeUnit::attosecond: return -1'000'000'000'000;
        case TimeUnit::timestamp:
        case TimeUnit::timestamp_or_nat: break;
    }
    return 1;
}

enum class Instant { valid, not_a_time, failed };

// The element's instant, or why it has none.
Instant instant_at(const TimeRow& row, std::size_t i, kelvane::UtcInstant& instant,
                   kelvane::Error& error) {
    const std::int64_t raw = row.raw[i];
    double timestamp;
    if (row.unit == TimeUnit::timestamp || row.unit == TimeUnit::timestamp_or_nat) {
        if (row.unit == TimeUnit::timestamp_or_nat && std::bit_cast<std::uint64_t>(raw) == not_a_time_stamp) {
            return Instant::not_a_time;
        }
        timestamp = std::bit_cast<double>(raw);
    } else {
        if (raw == not_a_time) return Instant::not_a_time;
        const std::int64_t scale = scale_of(row.unit);
        std::int64_t micros;
        if (scale < 0) {
            micros = floor_div(raw, -scale);
        } else if (__builtin_mul_overflow(raw, scale, &micros)) {
            error = kelvane::Error{"Invalid timestamp"};  // far beyond the range of instants
            return Instant::failed;
        }
        timestamp = kelvane::timestamp_from_micros(micros);
    }
    auto converted = kelvane::utc_instant_from_timestamp(timestamp);
    if (!converted) {
        error = std::move(converted.error());
        return Instant::failed;
    }
    instant = *converted;
    return Instant::valid;
}

// The loop both rows share: `interval(from, to)` gives the element's result.
template <class Interval>
std::optional<RowFailure> interval_row(std::size_t count, const TimeRow& from, const TimeRow& to,
                                       kelvane::strided::OutRow<double> out, Interval&& interval) {
    kelvane::Error error;
    for (std::size_t i = 0; i < count; ++i) {
        kelvane::UtcInstant a, b;
        const Instant first = instant_at(from, i, a, error);
        if (first == Instant::failed) return RowFailure{i, std::move(error), FailedSide::from};
        const Instant second = instant_at(to, i, b, error);
        if (second == Instant::failed) return RowFailure{i, std::move(error), FailedSide::to};
        if (first == Instant::not_a_time || second == Instant::not_a_time) {
            out.set(i, std::numeric_limits<double>::quiet_NaN());
            continue;
        }
        kelvane::Result<double> value = interval(a, b);
        if (!value) return RowFailure{i, std::move(value.error())};
        out.set(i, *value);
    }
    return std::nullopt;
}

}  // namespace

bool is_time_unit(int code) noexcept {
    return code >= static_cast<int>(TimeUnit::timestamp) && code <= static_cast<int>(TimeUnit::timestamp_or_nat);
}

std::optional<RowFailure> bus_ttx_row(Calendar& calendar, std::size_t count, TimeRow from, TimeRow to,
                                      kelvane::strided::OutRow<double> out) {
    return interval_row(count, from, to, out, [&](const kelvane::UtcInstant& a, const kelvane::UtcInstant& b) {
        return calendar.bus_ttx(a, b);
    });
}

std::optional<RowFailure> cal_ttx_row(std::size_t count, TimeRow from, TimeRow to,
                                      kelvane::strided::OutRow<double> out) {
    return interval_row(count, from, to, out, [](const kelvane::UtcInstant& a, const kelvane::UtcInstant& b) {
        return kelvane::Result<double>(Calendar::cal_ttx(a, b));
    });
}

}  // namespace calendar
