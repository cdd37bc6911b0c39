#include "calendar/calendar.hpp"

#include <algorithm>
#include <string>

#include "calendar/calendar_json.hpp"
#include "calendar/embedded_document.hpp"

namespace calendar {
namespace {

using kelvane::Result;
using kelvane::UtcInstant;

constexpr std::int64_t min_local_year = -262'143;
// The year weight of Y needs 1 January of Y + 1.
constexpr std::int64_t max_local_year = 262'142;
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

// 1970-01-01 was a Thursday.
constexpr int weekday_of(std::int64_t days_since_epoch) noexcept {
    return static_cast<int>(floor_mod(days_since_epoch + 3, 7));
}

constexpr bool holds(const CalendarYear& year, std::int64_t day) noexcept {
    return day >= year.first_day && day - year.first_day < year.days;
}

constexpr bool is_leap_year(std::int64_t year) noexcept {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int days_in_year(std::int64_t year) noexcept { return is_leap_year(year) ? 366 : 365; }

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

namespace {

constexpr std::size_t year_offset(std::int64_t year) noexcept {
    return static_cast<std::size_t>(year - min_local_year);
}

}  // namespace

const CalendarYear* YearWeights::cached(std::int64_t year) const noexcept {
    if (year < min_local_year || year > max_local_year) return nullptr;
    const std::size_t offset = year_offset(year);
    const std::size_t page = offset >> page_bits;
    if (page >= pages_.size() || pages_[page].empty()) return nullptr;
    const CalendarYear& entry = pages_[page][offset & ((std::size_t{1} << page_bits) - 1)];
    return entry.days == 0 ? nullptr : &entry;
}

std::optional<double> YearWeights::find(std::int32_t year) const noexcept {
    if (const CalendarYear* entry = cached(year)) return entry->weight;
    return std::nullopt;
}

const CalendarYear& YearWeights::insert(const CalendarYear& year) {
    constexpr std::size_t page_size = std::size_t{1} << page_bits;
    const std::size_t offset = year_offset(year.year);
    const std::size_t page = offset >> page_bits;
    if (pages_.empty()) pages_.resize((year_offset(max_local_year) >> page_bits) + 1);
    if (pages_[page].empty()) pages_[page].resize(page_size);
    CalendarYear& entry = pages_[page][offset & (page_size - 1)];
    if (entry.days == 0) {
        entry = year;
        ++size_;
    }
    return entry;
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

// The local year holding a day: a recent year, a cached year, or one
// worked out and cached. The year is found without converting the day to a
// date: from a guess that is the year or one of its neighbours, checked
// against the cached years or against the first days of years.
Result<CalendarYear> Calendar::local_year(std::int64_t local_day) {
    for (const CalendarYear& recent : recent_years_) {
        if (holds(recent, local_day)) return recent;
    }
    // 400 Gregorian years have 146,097 days, and 1 January never strays a
    // year from where that mean puts it.
    std::int64_t year = 1970 + floor_div(local_day * 400, 146'097);
    if (year < min_local_year - 1 || year > max_local_year + 1) {
        return outside_range(kelvane::civil_from_days(local_day).year);
    }
    if (const CalendarYear* known = year_weights_.cached(year); known != nullptr) {
        const CalendarYear* neighbour = local_day < known->first_day                 ? year_weights_.cached(year - 1)
                                        : local_day - known->first_day >= known->days ? year_weights_.cached(year + 1)
                                                                                      : known;
        if (neighbour != nullptr && holds(*neighbour, local_day)) return remember(*neighbour);
    }
    std::int64_t first_day = kelvane::days_from_civil(year, 1, 1);
    if (local_day < first_day) {
        --year;
        first_day -= days_in_year(year);
    } else if (local_day - first_day >= days_in_year(year)) {
        first_day += days_in_year(year);
        ++year;
    }
    if (year < min_local_year || year > max_local_year) return outside_range(year);
    return remember(year_weights_.insert(new_year(year, first_day)));
}

const CalendarYear& Calendar::remember(const CalendarYear& year) noexcept {
    recent_years_[1] = recent_years_[0];
    recent_years_[0] = year;
    return recent_years_[0];
}

CalendarYear Calendar::new_year(std::int64_t year, std::int64_t first_day) const noexcept {
    const int days = days_in_year(year);
    const int first_weekday = weekday_of(first_day);
    return {static_cast<std::int32_t>(year), first_day, days, first_weekday, whole_days_weight(days, first_weekday)};
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
