#include "calendar/calendar.hpp"

#include <algorithm>
#include <string>

#include "calendar/calendar_json.hpp"
#include "calendar/embedded_document.hpp"

namespace calendar {
namespace {

using kelvane::Result;
using kelvane::UtcInstant;

constexpr std::int64_t min_local_year = YearWeights::first_year;
constexpr std::int64_t max_local_year = YearWeights::last_year;
constexpr int minutes_per_day = 1440;
constexpr int minutes_per_bucket = 15;

constexpr std::array<std::string_view, days_per_week> weekday_names = {
    "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};

constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) noexcept {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr std::int64_t floor_mod(std::int64_t a, std::int64_t b) noexcept {
    const std::int64_t r = a % b;
    return r != 0 && ((r < 0) != (b < 0)) ? r + b : r;
}

// One unsigned comparison: a day before the year wraps round to a large
// difference, so the test costs one branch that is rarely mispredicted.
constexpr bool holds(const CalendarYear& year, std::int64_t day) noexcept {
    return static_cast<std::uint64_t>(day - year.first_day) < static_cast<std::uint64_t>(year.days);
}

// Years and days are moved by a whole number of 400-year cycles (which
// have a whole number of weeks) before they are divided, so that every
// quotient below is of non-negative numbers and truncation is the floor.
constexpr std::int64_t shift_cycles = 1'000;
constexpr std::int64_t days_per_cycle = 146'097;

// The leap years among the years 1 to y, for y >= 0.
constexpr std::int64_t leap_years_through(std::int64_t y) noexcept { return y / 4 - y / 100 + y / 400; }

// 1 January of a year, in days since 1970-01-01, for every year within
// 400,000 of year 0.
constexpr std::int64_t first_day_of_year(std::int64_t year) noexcept {
    constexpr std::int64_t shift = 400 * shift_cycles;
    return 365 * (year - 1970) + leap_years_through(year - 1 + shift) - leap_years_through(1969 + shift);
}

static_assert(first_day_of_year(1970) == 0 && first_day_of_year(1971) == 365 && first_day_of_year(1969) == -365);
static_assert(first_day_of_year(2000) == 10'957 && first_day_of_year(2001) == 11'323);
static_assert(first_day_of_year(1900) == -25'567 && first_day_of_year(1901) == -25'202);

// The weekday of a day of the calendar's range (1970-01-01 was a Thursday).
constexpr int weekday_in_range(std::int64_t day) noexcept {
    return static_cast<int>((day + 3 + days_per_cycle * shift_cycles) % days_per_week);
}

// The first day of the calendar's range and the day after its last.
constexpr std::int64_t first_range_day = first_day_of_year(min_local_year);
constexpr std::int64_t end_range_day = first_day_of_year(max_local_year + 1);

// The local year holding a day of the calendar's range, and the first days
// of that year and of the next, by arithmetic alone: 400 Gregorian years
// have 146,097 days, and 1 January never strays a year from where that mean
// puts it.
struct YearSpan {
    std::int64_t year;
    std::int64_t first_day;
    std::int64_t next_first_day;
};

constexpr YearSpan year_span(std::int64_t day) noexcept {
    std::int64_t year = 1970 - 400 * shift_cycles + (day + days_per_cycle * shift_cycles) * 400 / days_per_cycle;
    std::int64_t first = first_day_of_year(year);
    std::int64_t next = first_day_of_year(year + 1);
    if (day < first) {
        --year;
        next = first;
        first = first_day_of_year(year);
    } else if (day >= next) {
        ++year;
        first = next;
        next = first_day_of_year(year + 1);
    }
    return {year, first, next};
}

// ---------------------------------------------------------------------------
// Bucket labels

// The UTF-8 length of the Unicode White_Space character at the front of
// `s`, or 0.
std::size_t leading_space_length(std::string_view s) noexcept {
    if (s.empty()) return 0;
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 == ' ' || (b0 >= '\t' && b0 <= '\r')) return 1;
    if (s.size() >= 2 && b0 == 0xC2) {
        const auto b1 = static_cast<unsigned char>(s[1]);
        return (b1 == 0x85 || b1 == 0xA0) ? 2 : 0;  // NEL, NO-BREAK SPACE
    }
    if (s.size() < 3) return 0;
    const auto b1 = static_cast<unsigned char>(s[1]);
    const auto b2 = static_cast<unsigned char>(s[2]);
    const bool space =
        (b0 == 0xE1 && b1 == 0x9A && b2 == 0x80) ||                  // U+1680
        (b0 == 0xE2 && b1 == 0x80 && (b2 <= 0x8A || b2 == 0xA8 ||    // U+2000..200A, 2028
                                      b2 == 0xA9 || b2 == 0xAF)) ||  // U+2029, 202F
        (b0 == 0xE2 && b1 == 0x81 && b2 == 0x9F) ||                  // U+205F
        (b0 == 0xE3 && b1 == 0x80 && b2 == 0x80);                    // U+3000
    return space && b2 >= 0x80 ? 3 : 0;
}

std::size_t trailing_space_length(std::string_view s) noexcept {
    // A lead byte never appears as a continuation byte, so the candidate
    // suffixes cannot straddle a character boundary.
    for (std::size_t n = 1; n <= 3 && n <= s.size(); ++n) {
        if (leading_space_length(s.substr(s.size() - n)) == n) return n;
    }
    return 0;
}

std::string_view trim_white_space(std::string_view s) noexcept {
    while (const std::size_t n = leading_space_length(s)) s.remove_prefix(n);
    while (const std::size_t n = trailing_space_length(s)) s.remove_suffix(n);
    return s;
}

// An optional '+' and ASCII digits, within 64 bits; anything else is 0.
std::uint64_t unsigned_or_zero(std::string_view s) noexcept {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return 0;
    std::uint64_t value = 0;
    for (const char c : s) {
        if (c < '0' || c > '9') return 0;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return 0;
        value = value * 10 + digit;
    }
    return value;
}

// ---------------------------------------------------------------------------
// Construction

// The raw profile of a weekday: each label's value in its bucket (a later
// label of the same bucket replacing an earlier one), labels from 24:00 on
// ignored. Without a profile, every quarter-hour weighs the same.
std::array<double, buckets_per_day> raw_profile(const TimeProfile* profile) noexcept {
    std::array<double, buckets_per_day> raw{};
    if (profile == nullptr) {
        raw.fill(1.0);
        return raw;
    }
    for (const auto& [label, value] : *profile) {
        const std::uint64_t minute = label_minute_of_day(label);
        if (minute < minutes_per_day) raw[minute / minutes_per_bucket] = value;
    }
    return raw;
}

// The profile rescaled to sum to the day's weight, accumulated. Dividing
// before multiplying keeps a unit weight exact: N[i] = R[i] / S.
CumulativeWeights cumulative_weights(const std::array<double, buckets_per_day>& raw,
                                     double weight) noexcept {
    double total = 0.0;
    for (const double r : raw) total += r;
    CumulativeWeights table{};
    for (int i = 0; i < buckets_per_day; ++i) {
        const double normalised = total == 0.0 ? 0.0 : (raw[i] / total) * weight;
        table[i + 1] = table[i] + normalised;
    }
    return table;
}

[[gnu::cold]] std::unexpected<kelvane::Error> outside_range(std::int64_t year) {
    return kelvane::fail("Instant outside the calendar's range: local year " + std::to_string(year) +
                         " is not between " + std::to_string(min_local_year) + " and " +
                         std::to_string(max_local_year));
}

}  // namespace

int weekday_index(std::string_view name) noexcept {
    // Unicode lower-casing maps no non-ASCII character onto the letters of
    // the English day names (the Kelvin sign, the only one that becomes an
    // ASCII letter, becomes 'k'), so an ASCII comparison without case is
    // the same test.
    for (int d = 0; d < days_per_week; ++d) {
        const std::string_view day = weekday_names[d];
        if (name.size() != day.size()) continue;
        const bool same = std::equal(name.begin(), name.end(), day.begin(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
        });
        if (same) return d;
    }
    return -1;
}

std::uint64_t label_minute_of_day(std::string_view label) noexcept {
    const std::string_view start = trim_white_space(label.substr(0, label.find('-')));
    const std::size_t colon = start.find(':');
    const std::uint64_t hour = unsigned_or_zero(start.substr(0, colon));
    if (colon == std::string_view::npos) return hour * 60;
    const std::string_view rest = start.substr(colon + 1);
    const std::uint64_t minute = unsigned_or_zero(rest.substr(0, rest.find(':')));
    return hour * 60 + minute;
}

void YearWeights::add_page(std::size_t page) {
    constexpr std::size_t page_count = static_cast<std::size_t>((last_year - first_year) >> page_bits) + 1;
    if (pages_.empty()) pages_.resize(page_count);
    pages_[page].resize((page_mask + 1) / 64);
}

std::optional<double> YearWeights::find(std::int32_t year) const noexcept {
    if (year < first_year || year > last_year) return std::nullopt;
    const auto offset = static_cast<std::size_t>(year - first_year);
    const std::size_t page = offset >> page_bits;
    if (page >= pages_.size() || pages_[page].empty()) return std::nullopt;
    const std::uint64_t word = pages_[page][(offset & page_mask) >> 6];
    if ((word >> (offset & 63) & 1) == 0) return std::nullopt;
    const std::int64_t first_day = first_day_of_year(year);
    const auto days = static_cast<int>(first_day_of_year(year + 1) - first_day);
    return weight(days, weekday_in_range(first_day));
}

Result<Calendar> Calendar::create(std::string_view underlying) {
    const std::optional<std::string_view> document = embedded_document(underlying);
    if (!document) {
        return kelvane::fail("No embedded calendar for underlying: " + std::string(underlying));
    }
    return from_document(*document);
}

Result<Calendar> Calendar::from_document(std::string_view json_text) {
    Result<CalendarJson> read = read_calendar_json(json_text);
    if (!read) return std::unexpected(std::move(read.error()));
    const CalendarJson& document = *read;

    const std::optional<tz::TimeZone> zone = tz::find_time_zone(document.IanaTimeZone);
    if (!zone) return kelvane::fail("Invalid IANA timezone: " + document.IanaTimeZone);

    Calendar calendar(*zone);
    for (const auto& [key, weight] : document.DayWeightings) {
        const int weekday = weekday_index(key);
        if (weekday < 0) continue;
        // The profile is sought under the key as written, not lower-cased.
        const TimeProfile* profile = document.TimeWeightings.find(key);
        calendar.add_day(weekday, weight, cumulative_weights(raw_profile(profile), weight));
    }
    for (const double weight : calendar.day_weights_) calendar.week_weight_ += weight;
    YearWeightTable year_weights{};
    for (int weekday = 0; weekday < days_per_week; ++weekday) {
        year_weights[0][weekday] = calendar.whole_days_weight(365, weekday);
        year_weights[1][weekday] = calendar.whole_days_weight(366, weekday);
    }
    calendar.year_weights_ = YearWeights(year_weights);
    return calendar;
}

void Calendar::add_day(int weekday, double weight, const CumulativeWeights& table) {
    day_weights_[weekday] = weight;
    cum_weights_[weekday] = table;
}

// W(n): the whole weeks by one product, then the remaining days one by one
// from the weekday of the first day.
double Calendar::whole_days_weight(int days, int first_weekday) const noexcept {
    double weight = week_weight_ * static_cast<double>(days / days_per_week);
    int weekday = first_weekday;
    for (int i = 0; i < days % days_per_week; ++i) {
        weight += day_weights_[weekday];
        weekday = weekday == days_per_week - 1 ? 0 : weekday + 1;
    }
    return weight;
}

// The local year holding a day: one of the recent years, or one worked out
// by arithmetic and recorded in the cache.
Result<CalendarYear> Calendar::local_year(std::int64_t local_day) {
    for (const CalendarYear& recent : recent_years_) {
        if (holds(recent, local_day)) return recent;
    }
    if (local_day < first_range_day || local_day >= end_range_day) [[unlikely]] {
        return outside_range(kelvane::civil_from_days(local_day).year);
    }
    const CalendarYear year = year_holding(local_day);
    year_weights_.insert(year.year);
    recent_years_[1] = recent_years_[0];
    recent_years_[0] = year;
    return year;
}

CalendarYear Calendar::year_holding(std::int64_t local_day) const noexcept {
    const YearSpan span = year_span(local_day);
    const auto days = static_cast<int>(span.next_first_day - span.first_day);
    const int first_weekday = weekday_in_range(span.first_day);
    return {static_cast<std::int32_t>(span.year), span.first_day, days, first_weekday,
            year_weights_.weight(days, first_weekday)};
}

Result<double> Calendar::bus_ttx_point(const UtcInstant& instant) {
    // Split into day and second before adding the offset, so that no
    // instant, however far out, overflows.
    const std::int64_t utc_day = floor_div(instant.seconds, kelvane::seconds_per_day);
    const std::int64_t local_second =
        floor_mod(instant.seconds, kelvane::seconds_per_day) + tz_.utc_offset_at(instant.seconds);
    const std::int64_t day_shift = floor_div(local_second, kelvane::seconds_per_day);
    const std::int64_t local_day = utc_day + day_shift;
    const auto second_of_day = static_cast<int>(local_second - day_shift * kelvane::seconds_per_day);

    const Result<CalendarYear> year = local_year(local_day);
    if (!year) return std::unexpected(year.error());
    const auto elapsed_days = static_cast<int>(local_day - year->first_day);
    const int weekday = (year->first_weekday + elapsed_days) % days_per_week;

    double h = whole_days_weight(elapsed_days, year->first_weekday);
    if (const std::optional<CumulativeWeights>& table = cum_weights_[weekday]) {
        // The seconds of day are whole, so the integer quotient and remainder
        // equal the floor and the floating-point remainder of s / 900.
        const int k = std::min(second_of_day / seconds_per_bucket, buckets_per_day - 1);
        const double f = static_cast<double>(second_of_day % seconds_per_bucket) / seconds_per_bucket;
        h = h + ((*table)[k] + f * ((*table)[k + 1] - (*table)[k]));
    }
    return static_cast<double>(year->year) + h / year->weight;
}

Result<double> Calendar::bus_ttx(const UtcInstant& from, const UtcInstant& to) {
    const Result<double> end = bus_ttx_point(to);
    if (!end) return end;
    const Result<double> start = bus_ttx_point(from);
    if (!start) return start;
    return *end - *start;
}

double Calendar::cal_ttx(const UtcInstant& from, const UtcInstant& to) noexcept {
    constexpr double seconds_per_year = 31'536'000.0;  // 365 days; leap years are not considered
    constexpr std::int64_t nanos_per_second = kelvane::nanos_per_second;
    // A leap second's nanoseconds (1e9 and up) count as the extra second
    // they are.
    const std::int64_t nanos = static_cast<std::int64_t>(to.nanos) - static_cast<std::int64_t>(from.nanos);
    std::int64_t seconds = to.seconds - from.seconds + nanos / nanos_per_second;
    const std::int64_t rest = nanos % nanos_per_second;
    // Whole seconds toward zero: a fraction against the sign gives one back.
    if (seconds > 0 && rest < 0) --seconds;
    if (seconds < 0 && rest > 0) ++seconds;
    return static_cast<double>(seconds) / seconds_per_year;
}

}  // namespace calendar
