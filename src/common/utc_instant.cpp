#include "common/utc_instant.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvane {
namespace {

constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) noexcept {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr std::int64_t min_year = -262'143;
constexpr std::int64_t max_year = 262'142;

}  // namespace

// The era-based algorithm: 400-year eras of 146097 days, years starting in
// March so that the leap day falls at the end of the year.
std::int64_t days_from_civil(std::int64_t year, unsigned month, unsigned day) noexcept {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = floor_div(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146'097 + doe - 719'468;
}

CivilDate civil_from_days(std::int64_t days) noexcept {
    const std::int64_t z = days + 719'468;
    const std::int64_t era = floor_div(z, 146'097);
    const std::int64_t doe = z - era * 146'097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const auto day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
    const auto month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

double UtcInstant::unix_seconds() const noexcept {
    const std::uint32_t ns = is_leap_second() ? nanos - nanos_per_second : nanos;
    return static_cast<double>(seconds) + static_cast<double>(ns) / 1e9;
}

Result<UtcInstant> make_utc_instant(std::int64_t seconds, std::uint32_t nanos) {
    static const std::int64_t first_day = days_from_civil(min_year, 1, 1);
    static const std::int64_t last_day = days_from_civil(max_year, 12, 31);
    const std::int64_t day = floor_div(seconds, seconds_per_day);
    const std::int64_t second_of_day = seconds - day * seconds_per_day;
    const bool date_ok = day >= first_day && day <= last_day;
    const bool nanos_ok = nanos < 2 * nanos_per_second &&
                          (nanos < nanos_per_second || second_of_day % 60 == 59);
    if (!date_ok || !nanos_ok) return fail("Invalid timestamp");
    return UtcInstant{seconds, nanos};
}

Result<UtcInstant> utc_instant_from_timestamp(double timestamp) {
    constexpr double two63 = 9223372036854775808.0;
    std::int64_t whole = 0;
    if (std::isnan(timestamp)) {
        whole = 0;
    } else if (timestamp >= two63) {
        whole = std::numeric_limits<std::int64_t>::max();
    } else if (timestamp < -two63) {
        whole = std::numeric_limits<std::int64_t>::min();
    } else {
        whole = static_cast<std::int64_t>(std::trunc(timestamp));
    }
    const double fraction = timestamp - static_cast<double>(whole);
    const double scaled = std::round(fraction * 1e9);
    std::uint32_t nanos = 0;
    if (scaled >= 4294967295.0) {
        nanos = std::numeric_limits<std::uint32_t>::max();
    } else if (scaled > 0.0) {  // negative and NaN products give 0
        nanos = static_cast<std::uint32_t>(scaled);
    }
    return make_utc_instant(whole, nanos);
}

namespace {

// c * 10^6 - micros exactly, as a multiple of 2^scale (scale <= 0).
struct ScaledError {
    __int128 value;
    int scale;
};

ScaledError error_of(double candidate, std::int64_t micros) noexcept {
    int exponent = 0;
    const double fraction = std::frexp(candidate, &exponent);
    const auto mantissa = static_cast<std::int64_t>(std::ldexp(fraction, 53));
    const int scale = exponent - 53;  // candidate == mantissa * 2^scale, scale < 0 here
    return {static_cast<__int128>(mantissa) * 1'000'000 - (static_cast<__int128>(micros) << -scale), scale};
}

bool has_even_mantissa(double x) noexcept {
    int exponent = 0;
    return (static_cast<std::int64_t>(std::ldexp(std::frexp(x, &exponent), 53)) & 1) == 0;
}

__int128 magnitude_at(const ScaledError& error, int scale) noexcept {
    const __int128 v = error.value < 0 ? -error.value : error.value;
    return v << (error.scale - scale);
}

}  // namespace

double timestamp_from_micros(std::int64_t micros) noexcept {
    constexpr std::int64_t exact = std::int64_t{1} << 53;
    // Both operands exact: one division, correctly rounded.
    if (micros > -exact && micros < exact) return static_cast<double>(micros) / 1e6;
    // Beyond 2^53 microseconds (after the year 2255) the count is not a
    // double: a candidate within an ulp, then the nearest of it and its
    // neighbours by exact integer arithmetic.
    const double guess = static_cast<double>(micros / 1'000'000) +
                         static_cast<double>(micros % 1'000'000) / 1e6;
    const double candidates[] = {std::nextafter(guess, -HUGE_VAL), guess,
                                 std::nextafter(guess, HUGE_VAL)};
    ScaledError errors[3];
    int scale = 0;
    for (int i = 0; i < 3; ++i) {
        errors[i] = error_of(candidates[i], micros);
        scale = std::min(scale, errors[i].scale);
    }
    int best = 0;
    for (int i = 1; i < 3; ++i) {
        const __int128 a = magnitude_at(errors[i], scale);
        const __int128 b = magnitude_at(errors[best], scale);
        if (a < b || (a == b && has_even_mantissa(candidates[i]))) best = i;
    }
    return candidates[best];
}

CivilTime to_civil_time(const UtcInstant& instant) noexcept {
    const std::int64_t day = floor_div(instant.seconds, seconds_per_day);
    const auto second_of_day = static_cast<unsigned>(instant.seconds - day * seconds_per_day);
    const bool leap = instant.is_leap_second();
    return CivilTime{civil_from_days(day), second_of_day / 3600, second_of_day / 60 % 60,
                     second_of_day % 60, leap ? instant.nanos - nanos_per_second : instant.nanos,
                     leap};
}

}  // namespace kelvane
