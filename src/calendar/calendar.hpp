// The business-time calendar: weekday weights spread over the 96
// quarter-hours of the local day of one time zone, business-time
// coordinates of instants, and calendar time and tenor year fractions.
//
// Numeric policy, for everything declared here:
// - Weights are taken as they stand: negative, zero, infinite or NaN weights
//   flow through the sums and quotients unscreened. A profile that sums to
//   0 gives a table of zeros; a year whose weight is 0 gives an infinite or
//   NaN coordinate, not an error.
// - A coordinate is defined for instants whose local year lies between
//   -262143 and 262142 (the year weight needs 1 January of the following
//   year, the last representable date is 31 December 262142). Outside that
//   range it fails with "Instant outside the calendar's range: local year
//   {} is not between -262143 and 262142".
// - Calendar time and tenors use no calendar data; calendar time cannot
//   fail for instants in the range of kelvane::UtcInstant.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "calendar/tz/time_zone.hpp"
#include "common/error.hpp"
#include "common/utc_instant.hpp"

namespace calendar {

// Weekday index of a date: Monday = 0 ... Sunday = 6.
inline constexpr int days_per_week = 7;
inline constexpr int buckets_per_day = 96;
inline constexpr int seconds_per_bucket = 900;

// Entry k: the business weight of the first k quarter-hours of the day.
using CumulativeWeights = std::array<double, buckets_per_day + 1>;

// A local calendar year: where it starts and what it weighs.
struct CalendarYear {
    std::int32_t year;
    std::int64_t first_day;  // 1 January, in days since 1970-01-01
    int days;                // 365 or 366
    int first_weekday;       // weekday index of 1 January
    double weight;           // W(days): the total business weight of the year
};

// The weight of a whole local year, by its length and the weekday of its
// 1 January: W(365) or W(366) from that weekday. Every year's weight is one
// of these fourteen values.
using YearWeightTable = std::array<std::array<double, days_per_week>, 2>;

// The cache of year weights, filled as coordinates meet new years. An
// entry depends only on the calendar's fixed weights and the year's length
// and first weekday, so the cache never changes a result: it holds one bit
// per year met, in pages of consecutive years allocated when one of their
// years is first met, and the weights of the fourteen kinds of year. Adding
// and finding a year take constant time and touch a few bytes however many
// years are cached (at most 64 kB for the whole range), so instants spread
// over many years cost little more than instants within one.
class YearWeights {
public:
    YearWeights() = default;
    explicit YearWeights(const YearWeightTable& weights) noexcept : weights_(weights) {}

    std::optional<double> find(std::int32_t year) const noexcept;
    // Records a year of the calendar's range as met.
    void insert(std::int64_t year) {
        const std::size_t offset = static_cast<std::size_t>(year - first_year);
        const std::size_t page = offset >> page_bits;
        if (page >= pages_.size() || pages_[page].empty()) [[unlikely]] add_page(page);
        std::uint64_t& word = pages_[page][(offset & page_mask) >> 6];
        const std::uint64_t bit = std::uint64_t{1} << (offset & 63);
        size_ += (word & bit) == 0 ? 1 : 0;
        word |= bit;
    }
    std::size_t size() const noexcept { return size_; }
    // The weight of a year of `days` days whose 1 January falls on
    // `first_weekday`.
    double weight(int days, int first_weekday) const noexcept { return weights_[days == 366 ? 1 : 0][first_weekday]; }

    static constexpr std::int64_t first_year = -262'143;
    // The year weight of Y needs 1 January of Y + 1.
    static constexpr std::int64_t last_year = 262'142;

private:
    static constexpr int page_bits = 15;  // 32,768 years, 4 kB
    static constexpr std::size_t page_mask = (std::size_t{1} << page_bits) - 1;
    void add_page(std::size_t page);

    YearWeightTable weights_{};
    std::vector<std::vector<std::uint64_t>> pages_;
    std::size_t size_ = 0;
};

class Calendar {
public:
    // The calendar of an underlying from its embedded document. Fails with
    // "No embedded calendar for underlying: {}", a read error of the
    // document, or "Invalid IANA timezone: {}".
    static kelvane::Result<Calendar> create(std::string_view underlying);

    // The same construction from any document text.
    static kelvane::Result<Calendar> from_document(std::string_view json_text);

    const tz::TimeZone& tz() const noexcept { return tz_; }
    const std::array<double, days_per_week>& day_weights() const noexcept { return day_weights_; }
    double week_weight() const noexcept { return week_weight_; }
    // Absent for a weekday that the document's day weights do not name.
    const std::array<std::optional<CumulativeWeights>, days_per_week>& cum_weights() const noexcept {
        return cum_weights_;
    }
    const YearWeights& year_weights() const noexcept { return year_weights_; }

    // The local year plus the fraction of that year's business weight
    // elapsed at the instant. May add the year's weight to year_weights.
    kelvane::Result<double> bus_ttx_point(const kelvane::UtcInstant& instant);

    // bus_ttx_point(to) - bus_ttx_point(from), in business years; the
    // coordinate of `to` is computed first.
    kelvane::Result<double> bus_ttx(const kelvane::UtcInstant& from, const kelvane::UtcInstant& to);

    // (to - from) in whole seconds, truncated toward zero, over a 365-day
    // year.
    static double cal_ttx(const kelvane::UtcInstant& from, const kelvane::UtcInstant& to) noexcept;

    // The year fraction of a tenor: a decimal number followed by d, w, m or
    // y (days of 1/365, weeks of 7 days, months of 30 days, years). Fails
    // with "Invalid tenor format: {}", "cannot parse float from empty
    // string" or "invalid float literal".
    static kelvane::Result<double> tenor_to_ttx(std::string_view tenor);

private:
    explicit Calendar(tz::TimeZone zone) noexcept : tz_(zone) {}

    void add_day(int weekday, double weight, const CumulativeWeights& table);
    double whole_days_weight(int days, int first_weekday) const noexcept;
    kelvane::Result<CalendarYear> local_year(std::int64_t local_day);
    CalendarYear year_holding(std::int64_t local_day) const noexcept;

    tz::TimeZone tz_;
    std::array<double, days_per_week> day_weights_{};
    double week_weight_ = 0.0;
    std::array<std::optional<CumulativeWeights>, days_per_week> cum_weights_{};
    YearWeights year_weights_;
    // The years of the two previous coordinates, the latest first: the two
    // ends of an interval, and the instants of consecutive calls, mostly fall
    // in them, which are then found without working the year out. An entry
    // with days == 0 holds no year yet.
    std::array<CalendarYear, 2> recent_years_{};
};

// The minute of day at which a bucket label starts ("09:30 - 09:45" gives
// 570): the text before the first hyphen, trimmed of white space, read as
// hour ':' minute. A part that is not an unsigned decimal (an optional '+'
// and ASCII digits, within 64 bits) counts as 0; the arithmetic wraps.
std::uint64_t label_minute_of_day(std::string_view label) noexcept;

// The weekday index named by a key, compared without regard to case, or -1.
int weekday_index(std::string_view name) noexcept;

}  // namespace calendar
