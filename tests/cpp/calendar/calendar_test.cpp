// Calendar construction, business-time coordinates and calendar time: the
// embedded calendar's published figures, daylight-saving days, year ends,
// the edges of the range, and invariants over seeded random instants.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "calendar/calendar.hpp"

namespace {

using calendar::Calendar;
using kelvane::UtcInstant;

UtcInstant utc(std::int64_t year, unsigned month, unsigned day, int hour = 0, int minute = 0, int second = 0) {
    return {kelvane::days_from_civil(year, month, day) * 86'400 + hour * 3600 + minute * 60 + second, 0};
}

std::string describe(const UtcInstant& t) {
    const kelvane::CivilTime c = kelvane::to_civil_time(t);
    char text[64];
    std::snprintf(text, sizeof text, "%lld-%02u-%02uT%02u:%02u:%02uZ", static_cast<long long>(c.date.year),
                  c.date.month, c.date.day, c.hour, c.minute, c.second);
    return text;
}

// The figure rounded to as many significant digits as the quoted text shows.
bool rounds_to(double value, const std::string& quoted) {
    int digits = 0;
    bool leading = true;
    for (const char ch : quoted.substr(0, quoted.find('e'))) {
        if (ch < '0' || ch > '9') continue;
        if (leading && ch == '0') continue;
        leading = false;
        ++digits;
    }
    char a[64], b[64];
    std::snprintf(a, sizeof a, "%.*g", digits, value);
    std::snprintf(b, sizeof b, "%.*g", digits, std::stod(quoted));
    return std::string(a) == b;
}

Calendar embedded() {
    auto calendar = Calendar::create("BTCUSDT");
    EXPECT_TRUE(calendar) << calendar.error().message;
    return std::move(*calendar);
}

double bus(Calendar& calendar, const UtcInstant& from, const UtcInstant& to) {
    const auto result = calendar.bus_ttx(from, to);
    EXPECT_TRUE(result) << describe(from) << " to " << describe(to) << ": " << result.error().message;
    return result ? *result : std::nan("");
}

double point(Calendar& calendar, const UtcInstant& at) {
    const auto result = calendar.bus_ttx_point(at);
    EXPECT_TRUE(result) << describe(at) << ": " << result.error().message;
    return result ? *result : std::nan("");
}

// A document in UTC with the given members' contents.
std::string document(const std::string& time_weightings, const std::string& day_weightings,
                     const std::string& zone = "UTC") {
    return "{\"TimeWeightings\": {" + time_weightings + "}, \"DayWeightings\": {" + day_weightings +
           "}, \"IanaTimeZone\": \"" + zone + "\"}";
}

Calendar build(const std::string& text) {
    auto calendar = Calendar::from_document(text);
    EXPECT_TRUE(calendar) << text << ": " << calendar.error().message;
    return calendar ? std::move(*calendar) : *Calendar::from_document(document("", ""));
}

// ---------------------------------------------------------------------------
// Construction

TEST(CalendarCreate, UnknownUnderlyingsAndZones) {
    for (const char* underlying : {"btcusdt", "ETHUSDT", "", "BTCUSDT ", "BTCUSD"}) {
        const auto calendar = Calendar::create(underlying);
        ASSERT_FALSE(calendar) << underlying;
        EXPECT_EQ(calendar.error().message, std::string("No embedded calendar for underlying: ") + underlying);
    }
    for (const char* zone : {"Mars/Olympus_Mons", "us/eastern", ""}) {
        const auto calendar = Calendar::from_document(document("", "", zone));
        ASSERT_FALSE(calendar) << zone;
        EXPECT_EQ(calendar.error().message, std::string("Invalid IANA timezone: ") + zone);
    }
    const auto unreadable = Calendar::from_document("{\"DayWeightings\": {}, \"IanaTimeZone\": \"UTC\"}");
    ASSERT_FALSE(unreadable);
    EXPECT_EQ(unreadable.error().message, "missing field `TimeWeightings` at line 1 column 45");
}

TEST(CalendarCreate, EmbeddedCalendar) {
    const Calendar calendar = embedded();
    EXPECT_EQ(calendar.tz().name(), "US/Eastern");
    const std::array<double, 7> day_weights = {1, 1, 1, 1, 0.9, 0.27, 0.53};
    EXPECT_EQ(calendar.day_weights(), day_weights);
    EXPECT_EQ(calendar.week_weight(), 1.0 + 1.0 + 1.0 + 1.0 + 0.9 + 0.27 + 0.53);
    EXPECT_NEAR(calendar.week_weight(), 5.7, 1e-15);
    EXPECT_EQ(calendar.year_weights().size(), 0u);
    for (int d = 0; d < 7; ++d) {
        ASSERT_TRUE(calendar.cum_weights()[d]) << "weekday " << d;
        const auto& table = *calendar.cum_weights()[d];
        EXPECT_EQ(table[0], 0.0);
        EXPECT_NEAR(table[96], day_weights[d], 1e-15) << "weekday " << d;
        for (int k = 0; k < 96; ++k) EXPECT_LT(table[k], table[k + 1]) << "weekday " << d << " bucket " << k;
    }
    const auto& monday = *calendar.cum_weights()[0];
    EXPECT_EQ(monday[96], 0.9999999999999998);
    EXPECT_TRUE(rounds_to(monday[38], "0.25927")) << monday[38];
    EXPECT_TRUE(rounds_to(monday[39], "0.29462")) << monday[39];
    for (int d = 1; d < 4; ++d) EXPECT_EQ(*calendar.cum_weights()[d], monday) << "weekday " << d;
}

TEST(CalendarCreate, WeekdayKeysAndTheirProfiles) {
    // A capitalised day key counts as its weekday, but its profile is sought
    // under that spelling: "monday" is not found, so the profile is flat.
    const Calendar capitalised = build(document(R"("monday": {"00:00 - 00:15": 5})", R"("Monday": 2)"));
    EXPECT_EQ(capitalised.day_weights()[0], 2.0);
    const auto& flat = *capitalised.cum_weights()[0];
    for (int k = 0; k <= 96; ++k) {
        EXPECT_NEAR(flat[k], 2.0 * k / 96, 1e-14) << "bucket " << k;
    }
    EXPECT_EQ(flat[1], (1.0 / 96.0) * 2.0);

    // Profiles of days that the day weights do not name count for nothing.
    const Calendar unnamed = build(document(R"("tuesday": {"00:00 - 00:15": 5})", R"("Monday": 2, "Funday": 9)"));
    EXPECT_EQ(unnamed.day_weights()[1], 0.0);
    EXPECT_FALSE(unnamed.cum_weights()[1]);
    EXPECT_EQ(unnamed.week_weight(), 2.0);
    for (int d = 1; d < 7; ++d) EXPECT_FALSE(unnamed.cum_weights()[d]) << "weekday " << d;

    // Keys compare without case, and nothing else: no trimming, no plurals.
    const Calendar spelled = build(document("", R"("SUNDAY": 1, "wEdNeSdAy": 1, "friday ": 1, "saturdays": 1)"));
    EXPECT_TRUE(spelled.cum_weights()[6]);
    EXPECT_TRUE(spelled.cum_weights()[2]);
    EXPECT_FALSE(spelled.cum_weights()[4]);
    EXPECT_FALSE(spelled.cum_weights()[5]);
}

TEST(CalendarCreate, TwoKeysForOneWeekday) {
    // Day keys are processed in byte order, so "monday" (lower case sorts
    // after upper) comes last and sets both the weight and the table.
    const Calendar calendar = build(document(R"("MONDAY": {"00:00 - 00:15": 1}, "monday": {"12:00 - 12:15": 1})",
                                             R"("MONDAY": 3, "monday": 2)"));
    EXPECT_EQ(calendar.day_weights()[0], 2.0);
    EXPECT_EQ(calendar.week_weight(), 2.0);
    const auto& table = *calendar.cum_weights()[0];
    EXPECT_EQ(table[48], 0.0);
    EXPECT_EQ(table[49], 2.0);
}

TEST(CalendarCreate, EmptyAndZeroSumProfiles) {
    const Calendar calendar =
        build(document(R"("monday": {}, "tuesday": {"00:00 - 00:15": 1, "00:15 - 00:30": -1})",
                       R"("monday": 0.5, "tuesday": 0.25, "wednesday": 0.125)"));
    const calendar::CumulativeWeights zeros{};
    EXPECT_EQ(*calendar.cum_weights()[0], zeros) << "an empty profile";
    EXPECT_EQ(*calendar.cum_weights()[1], zeros) << "a profile summing to zero";
    // Their weights still count.
    EXPECT_EQ(calendar.week_weight(), 0.875);
    EXPECT_NEAR((*calendar.cum_weights()[2])[96], 0.125, 1e-15);
}

TEST(CalendarCreate, BucketLabelsPlaceValues) {
    const Calendar calendar = build(document(
        R"("monday": {"24:00 - 00:15": 100, "no digits": 3, "09:40 - 09:55": 4, "23:45 - 00:00": 1})",
        R"("monday": 8)"));
    const auto& t = *calendar.cum_weights()[0];
    EXPECT_EQ(t[1], 3.0) << "a label without digits lands in bucket 0";
    EXPECT_EQ(t[38], 3.0);
    EXPECT_EQ(t[39], 7.0) << "a label starting at 09:40 lands in bucket 38";
    EXPECT_EQ(t[95], 7.0);
    EXPECT_EQ(t[96], 8.0) << "a label starting at 24:00 is ignored";
}

TEST(CalendarCreate, NegativeWeightsAreTakenAsTheyStand) {
    const Calendar calendar = build(document(R"("monday": {"00:00 - 00:15": 1})", R"("monday": -2)"));
    EXPECT_EQ(calendar.week_weight(), -2.0);
    EXPECT_EQ((*calendar.cum_weights()[0])[96], -2.0);
}

struct LabelCase {
    const char* label;
    std::uint64_t minute;
};

const LabelCase label_cases[] = {
    {"09:30 - 09:45", 570},
    {"09:40 - 09:55", 580},
    {"00:00 - 00:15", 0},
    {"23:45 - 00:00", 1425},
    {"24:00 - 00:15", 1440},
    {"no digits", 0},
    {"", 0},
    {"-09:30", 0},           // nothing before the hyphen
    {"  7:05  - later", 425},
    {"+09:+30", 570},
    {"09:-30", 540},         // the minute stops at the hyphen: "" counts as 0
    {"9", 540},              // no minute
    {"09:30:59", 570},       // further pieces ignored
    {"09 : 30", 0},          // blanks inside pieces are other characters
    {"++9:30", 30},
    {"\xC2\xA0" "09:30\xE3\x80\x80", 570},  // no-break space and ideographic space trimmed
    {"\t09:30\n", 570},
    {"18446744073709551616:00", 0},  // 2^64 exceeds 64 bits
    {"18446744073709551615:05", 18446744073709551615ull * 60 + 5},  // wraps
};

TEST(BucketLabel, MinuteOfDay) {
    for (const auto& c : label_cases) {
        EXPECT_EQ(calendar::label_minute_of_day(c.label), c.minute) << '"' << c.label << '"';
    }
}

// ---------------------------------------------------------------------------
// Business time on the embedded calendar (US/Eastern: EST = UTC-5, EDT = UTC-4)

// A business time is a difference of two coordinates near the year number,
// each rounded to an ulp of about 2024 (2.3e-13).
constexpr double coordinate_error = 5e-13;

struct FigureCase {
    const char* what;
    UtcInstant from, to;
    const char* quoted;
};

const FigureCase figure_cases[] = {
    {"Monday 4 March 2024 09:30 to 09:45 EST", utc(2024, 3, 4, 14, 30), utc(2024, 3, 4, 14, 45), "1.1848e-4"},
    {"Monday 4 March 2024 09:30 to 09:37:30 EST", utc(2024, 3, 4, 14, 30), utc(2024, 3, 4, 14, 37, 30),
     "5.924e-5"},
    {"the whole of Monday 4 March 2024", utc(2024, 3, 4, 5), utc(2024, 3, 5, 5), "0.0033512"},
    {"the whole of Saturday 9 March 2024", utc(2024, 3, 9, 5), utc(2024, 3, 10, 5), "0.00090483"},
    {"10 March 2024 01:59:59 EST to 03:00:00 EDT", utc(2024, 3, 10, 6, 59, 59), utc(2024, 3, 10, 7),
     "2.598e-5"},
    {"3 November 2024 01:59:59 EDT to 01:00:00 EST", utc(2024, 11, 3, 5, 59, 59), utc(2024, 11, 3, 6),
     "-2.662e-5"},
};

TEST(BusinessTime, PublishedFigures) {
    Calendar calendar = embedded();
    for (const auto& c : figure_cases) {
        const double computed = bus(calendar, c.from, c.to);
        EXPECT_TRUE(rounds_to(computed, c.quoted))
            << c.what << " (" << describe(c.from) << " to " << describe(c.to) << "): computed " << computed
            << ", expected about " << c.quoted;
    }
    // Whole days weigh their day weight over the year's weight.
    EXPECT_NEAR(bus(calendar, utc(2024, 3, 4, 5), utc(2024, 3, 5, 5)), 1.0 / 298.4, coordinate_error);
    EXPECT_NEAR(bus(calendar, utc(2024, 3, 9, 5), utc(2024, 3, 10, 5)), 0.27 / 298.4, coordinate_error);
    // Half a bucket is half its weight.
    const double bucket = bus(calendar, utc(2024, 3, 4, 14, 30), utc(2024, 3, 4, 14, 45));
    const double half = bus(calendar, utc(2024, 3, 4, 14, 30), utc(2024, 3, 4, 14, 37, 30));
    EXPECT_NEAR(half, bucket / 2, coordinate_error);
}

TEST(BusinessTime, OneLocalYearIsExactlyOne) {
    Calendar calendar = embedded();
    const UtcInstant start = utc(2024, 1, 1, 5), end = utc(2025, 1, 1, 5);
    EXPECT_EQ(point(calendar, start), 2024.0);
    EXPECT_EQ(point(calendar, end), 2025.0);
    EXPECT_EQ(bus(calendar, start, end), 1.0);
    EXPECT_EQ(Calendar::cal_ttx(start, end), 1.0027397260273974);
    EXPECT_EQ(Calendar::cal_ttx(start, end), 366.0 / 365.0);
    // Both years are cached, with their weights: 2024 starts on a Monday and
    // has 366 days, 2025 starts on a Wednesday.
    EXPECT_EQ(calendar.year_weights().size(), 2u);
    EXPECT_NEAR(*calendar.year_weights().find(2024), 298.4, 1e-12);
    EXPECT_NEAR(*calendar.year_weights().find(2025), 297.4, 1e-12);
    EXPECT_FALSE(calendar.year_weights().find(2026));
}

TEST(BusinessTime, RepeatedHourOnTheDayTheClocksGoBack) {
    Calendar calendar = embedded();
    // 01:30 EDT and 01:30 EST, one hour apart, are the same wall-clock time.
    EXPECT_EQ(bus(calendar, utc(2024, 11, 3, 5, 30), utc(2024, 11, 3, 6, 30)), 0.0);
    EXPECT_EQ(point(calendar, utc(2024, 11, 3, 5, 30)), point(calendar, utc(2024, 11, 3, 6, 30)));
    // The whole day still weighs one Sunday, though it lasts 25 hours.
    EXPECT_NEAR(bus(calendar, utc(2024, 11, 3, 4), utc(2024, 11, 4, 5)), 0.53 / 298.4, coordinate_error);
    // The spring day lasts 23 hours and weighs one Sunday as well.
    EXPECT_NEAR(bus(calendar, utc(2024, 3, 10, 5), utc(2024, 3, 11, 4)), 0.53 / 298.4, coordinate_error);
}

TEST(BusinessTime, NoSummerTimeAfter2099) {
    Calendar calendar = embedded();
    // Local 00:00-00:15 of 1 July starts at 04:00Z in 2099 (UTC-4) and at
    // 05:00Z in 2100 (UTC-5, the offset of the last listed transition).
    // 1 July 2099 is a Wednesday, 1 July 2100 a Thursday; both follow the
    // Monday profile.
    const auto& weekday_table = *calendar.cum_weights()[0];
    const double first_bucket = weekday_table[1] - weekday_table[0];
    const double eleven_pm_bucket = weekday_table[93] - weekday_table[92];
    for (const std::int64_t year : {2099, 2100}) {
        (void)point(calendar, utc(year, 1, 1, 12));  // caches the year's weight
        const double a = *calendar.year_weights().find(year);
        const int standard_hour = year == 2099 ? 4 : 5;
        EXPECT_NEAR(bus(calendar, utc(year, 7, 1, standard_hour), utc(year, 7, 1, standard_hour, 15)),
                    first_bucket / a, 4 * coordinate_error)
            << "local midnight of 1 July " << year << " at " << standard_hour << ":00Z";
        if (year == 2100) {
            EXPECT_NEAR(bus(calendar, utc(year, 7, 1, 4), utc(year, 7, 1, 4, 15)), eleven_pm_bucket / a, 4 * coordinate_error)
                << "04:00Z on 1 July 2100 is 23:00 local";
        }
    }
}

TEST(BusinessTime, LastSecondOfTheDay) {
    Calendar calendar = embedded();
    // Wednesday 6 March 2024: 23:45 EST is 04:45Z on the 7th.
    const auto& t = *calendar.cum_weights()[2];
    const double a = 298.4;
    const UtcInstant quarter_to = utc(2024, 3, 7, 4, 45), last_second = utc(2024, 3, 7, 4, 59, 59),
                     midnight = utc(2024, 3, 7, 5);
    const double bucket = t[96] - t[95];
    EXPECT_NEAR(bus(calendar, quarter_to, last_second), (899.0 / 900.0) * bucket / a, coordinate_error);
    EXPECT_NEAR(bus(calendar, last_second, midnight), bucket / 900.0 / a, coordinate_error);
    // Midnight adds T[0] = 0 to the weight of the whole days before it:
    // from 1 January (a Monday) 66 days, 9 weeks and 3 days.
    const double whole_days = 5.7 * 9 + 1 + 1 + 1;
    EXPECT_NEAR(point(calendar, midnight), 2024.0 + whole_days / a, coordinate_error);
}

TEST(BusinessTime, SwappingNegatesAndEqualInstantsGiveZero) {
    Calendar calendar = embedded();
    const UtcInstant a = utc(2024, 3, 4, 14, 30), b = utc(2026, 8, 17, 3, 7, 11);
    EXPECT_EQ(bus(calendar, a, b), -bus(calendar, b, a));
    EXPECT_EQ(Calendar::cal_ttx(a, b), -Calendar::cal_ttx(b, a));
    EXPECT_EQ(bus(calendar, a, a), 0.0);
    EXPECT_EQ(Calendar::cal_ttx(a, a), 0.0);
}

TEST(BusinessTime, InstantsOutsideTheRange) {
    Calendar calendar = embedded();
    // The last UTC day of year 262142 is still in 262142 locally (UTC-5).
    EXPECT_TRUE(calendar.bus_ttx_point(utc(262'142, 12, 31, 23, 59, 59)));
    EXPECT_TRUE(calendar.bus_ttx_point(utc(-262'143, 1, 1, 12)));
    struct Case {
        UtcInstant instant;
        const char* message;
    };
    const Case cases[] = {
        {utc(262'143, 1, 1, 6), "Instant outside the calendar's range: local year 262143 is not between -262143 and 262142"},
        {utc(-262'143, 1, 1, 0), "Instant outside the calendar's range: local year -262144 is not between -262143 and 262142"},
        {{INT64_MAX, 0}, "Instant outside the calendar's range: local year 292277026596 is not between -262143 and 262142"},
        {{INT64_MIN, 0}, "Instant outside the calendar's range: local year -292277022657 is not between -262143 and 262142"},
    };
    for (const auto& c : cases) {
        const auto result = calendar.bus_ttx_point(c.instant);
        ASSERT_FALSE(result) << c.instant.seconds;
        EXPECT_EQ(result.error().message, c.message) << c.instant.seconds;
        // bus_ttx reports the failing end, `to` first.
        const auto interval = calendar.bus_ttx(utc(2024, 1, 1), c.instant);
        ASSERT_FALSE(interval);
        EXPECT_EQ(interval.error().message, c.message);
    }
}

TEST(BusinessTime, ZeroWeightYearGivesNaNNotAnError) {
    Calendar calendar = build(document("", R"("monday": 0)"));
    const auto result = calendar.bus_ttx_point(utc(2024, 5, 5, 12));
    ASSERT_TRUE(result);
    EXPECT_TRUE(std::isnan(*result));  // 0 / 0
}

// ---------------------------------------------------------------------------
// Invariants over seeded random instants

TEST(BusinessTimeInvariants, CoordinatesOfTheEmbeddedCalendar) {
    Calendar calendar = embedded();
    std::mt19937_64 random(20240304);
    const std::int64_t first = utc(1900, 1, 1).seconds, last = utc(2200, 1, 1).seconds;
    std::uniform_int_distribution<std::int64_t> instant(first, last);
    std::uniform_int_distribution<std::int64_t> gap(0, 86'400 * 40);
    for (int i = 0; i < 20'000; ++i) {
        const UtcInstant a{instant(random), 0};
        const UtcInstant b{a.seconds + gap(random), 0};
        const UtcInstant c{b.seconds + gap(random), 0};
        const double pa = point(calendar, a);
        // The whole part of a coordinate is the local year.
        const std::int64_t local_seconds = a.seconds + calendar.tz().utc_offset_at(a.seconds);
        const std::int64_t local_day = local_seconds / 86'400 - (local_seconds % 86'400 < 0 ? 1 : 0);
        EXPECT_EQ(std::floor(pa), static_cast<double>(kelvane::civil_from_days(local_day).year)) << describe(a);
        // Business time adds up along the time line.
        const double ab = bus(calendar, a, b), bc = bus(calendar, b, c), ac = bus(calendar, a, c);
        EXPECT_NEAR(ab + bc, ac, 1e-11) << describe(a) << ", " << describe(b) << ", " << describe(c);
        // Forward in time, business time goes back by no more than the weight
        // of the hour repeated when the clocks go back (about 2.662e-5).
        EXPECT_GT(ab, -2.7e-5) << describe(a) << " to " << describe(b);
    }
}

TEST(BusinessTimeInvariants, FlatUtcCalendarIsElapsedTimeOverTheYear) {
    // Every day weighs 1 and every quarter-hour the same: within a year the
    // business time is the elapsed seconds over the seconds of the year.
    Calendar calendar = build(document("", R"("monday": 1, "tuesday": 1, "wednesday": 1, "thursday": 1,
                                              "friday": 1, "saturday": 1, "sunday": 1)"));
    std::mt19937_64 random(7);
    for (int i = 0; i < 20'000; ++i) {
        const std::int64_t year = std::uniform_int_distribution<std::int64_t>(1, 9999)(random);
        const std::int64_t start = utc(year, 1, 1).seconds, end = utc(year + 1, 1, 1).seconds;
        std::uniform_int_distribution<std::int64_t> within(start, end - 1);
        const UtcInstant a{within(random), 0}, b{within(random), 0};
        const double expected = static_cast<double>(b.seconds - a.seconds) / static_cast<double>(end - start);
        EXPECT_NEAR(bus(calendar, a, b), expected, 1e-11) << describe(a) << " to " << describe(b);
        EXPECT_EQ(bus(calendar, {start, 0}, {end, 0}), 1.0) << year;
    }
}

// ---------------------------------------------------------------------------
// The year cache: a coordinate is the same whether its year comes from the
// previous calls, from the cache or from a fresh calendar

bool same_bytes(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

struct YearSpread {
    const char* what;
    std::int64_t first_year, last_year;
};

// A failing case names its spread of years rather than its bytes.
void PrintTo(const YearSpread& spread, std::ostream* out) {
    *out << spread.what << " (" << spread.first_year << " to " << spread.last_year << ")";
}

class YearCache : public ::testing::TestWithParam<YearSpread> {};

TEST_P(YearCache, CachedCoordinatesEqualFreshOnes) {
    const Calendar pristine = embedded();
    const Calendar negative = build(document(R"("monday": {"09:30 - 09:45": -2.5, "10:00 - 10:15": 7})",
                                             R"("monday": -1.5, "tuesday": 0.25, "sunday": 3)",
                                             "Australia/Lord_Howe"));
    for (const Calendar& kind : {pristine, negative}) {
        Calendar shared = kind;
        std::mt19937_64 random(99);
        const std::int64_t first = utc(GetParam().first_year, 1, 1).seconds;
        const std::int64_t last = utc(GetParam().last_year, 12, 31, 23, 59, 59).seconds;
        std::uniform_int_distribution<std::int64_t> anywhere(first, last);
        std::uniform_int_distribution<int> step(0, 3);
        std::int64_t previous = anywhere(random);
        for (int i = 0; i < 20'000; ++i) {
            // Runs within a year, jumps to any year, and returns to earlier ones.
            const int how = step(random);
            const std::int64_t seconds = how == 0 ? anywhere(random)
                                         : how == 1 ? previous + std::uniform_int_distribution<std::int64_t>(-86'400 * 30, 86'400 * 30)(random)
                                                    : previous + std::uniform_int_distribution<std::int64_t>(-3'600, 3'600)(random);
            const UtcInstant at{std::clamp(seconds, first, last), 0};
            previous = how == 0 ? previous : at.seconds;
            Calendar fresh = kind;
            const auto expected = fresh.bus_ttx_point(at);
            const auto computed = shared.bus_ttx_point(at);
            ASSERT_TRUE(expected && computed) << describe(at);
            ASSERT_TRUE(same_bytes(*expected, *computed))
                << describe(at) << ": fresh " << *expected << ", after " << i << " others " << *computed;
            // The fresh calendar cached the instant's local year, and only it.
            const std::int64_t local_seconds = at.seconds + kind.tz().utc_offset_at(at.seconds);
            const std::int64_t local_day = local_seconds / 86'400 - (local_seconds % 86'400 < 0 ? 1 : 0);
            const auto local_year = static_cast<std::int32_t>(kelvane::civil_from_days(local_day).year);
            ASSERT_EQ(fresh.year_weights().size(), 1u) << describe(at);
            ASSERT_TRUE(fresh.year_weights().find(local_year)) << describe(at) << " in " << local_year;
        }
        // One entry per local year met, each with the weight a fresh calendar
        // computes.
        EXPECT_LE(shared.year_weights().size(), static_cast<std::size_t>(GetParam().last_year - GetParam().first_year + 2));
        for (std::int64_t year = GetParam().first_year; year <= GetParam().last_year; year += 97) {
            if (const auto cached = shared.year_weights().find(static_cast<std::int32_t>(year))) {
                Calendar fresh = kind;
                ASSERT_TRUE(fresh.bus_ttx_point(utc(year, 7, 1)));
                EXPECT_TRUE(same_bytes(*fresh.year_weights().find(static_cast<std::int32_t>(year)), *cached)) << year;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Spreads, YearCache,
    ::testing::Values(YearSpread{"OneYear", 2026, 2026}, YearSpread{"Decade", 2020, 2030},
                      YearSpread{"DatetimeRange", 1, 9999}, YearSpread{"WholeRange", -262'142, 262'141}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(YearCacheEdges, FirstAndLastYearsAndFailuresLeaveTheCache) {
    Calendar calendar = embedded();
    ASSERT_TRUE(calendar.bus_ttx_point(utc(-262'143, 1, 1, 12)));
    ASSERT_TRUE(calendar.bus_ttx_point(utc(262'142, 12, 31, 12)));
    EXPECT_EQ(calendar.year_weights().size(), 2u);
    EXPECT_TRUE(calendar.year_weights().find(-262'143));
    EXPECT_TRUE(calendar.year_weights().find(262'142));
    EXPECT_FALSE(calendar.year_weights().find(0));
    EXPECT_FALSE(calendar.year_weights().find(INT32_MAX));
    EXPECT_FALSE(calendar.year_weights().find(INT32_MIN));
    EXPECT_FALSE(calendar.bus_ttx_point(utc(262'143, 1, 1, 6)));
    EXPECT_FALSE(calendar.bus_ttx_point(utc(-262'143, 1, 1, 0)));
    EXPECT_EQ(calendar.year_weights().size(), 2u);
    // The same year again, from the cache, after the recent years moved on.
    const double first = point(calendar, utc(2024, 3, 4, 15));
    (void)point(calendar, utc(1999, 3, 4, 15));
    (void)point(calendar, utc(2101, 3, 4, 15));
    EXPECT_TRUE(same_bytes(point(calendar, utc(2024, 3, 4, 15)), first));
    EXPECT_EQ(calendar.year_weights().size(), 5u);
    // A copy carries the cache and gives the same coordinates.
    Calendar copy = calendar;
    EXPECT_TRUE(same_bytes(point(copy, utc(2024, 3, 4, 15)), first));
    EXPECT_EQ(copy.year_weights().size(), 5u);
}

// ---------------------------------------------------------------------------
// Coordinates against the same rules worked step by step: the local date by
// the civil calendar, the first days of the year and of the next from dates,
// W(n) day by day, and the year weight as W(days of the year). The calendar
// finds the year by arithmetic and keeps one weight per kind of year (length
// and weekday of 1 January); the bytes must be the same.

double whole_days(const Calendar& calendar, std::int64_t days, int first_weekday) {
    double weight = calendar.week_weight() * static_cast<double>(days / 7);
    for (std::int64_t i = 0, weekday = first_weekday; i < days % 7; ++i, weekday = (weekday + 1) % 7) {
        weight += calendar.day_weights()[static_cast<std::size_t>(weekday)];
    }
    return weight;
}

struct ReferencePoint {
    double coordinate;
    std::int32_t year;
    double year_weight;
};

ReferencePoint reference_point(const Calendar& calendar, const UtcInstant& at) {
    const std::int64_t local_seconds = at.seconds + calendar.tz().utc_offset_at(at.seconds);
    const std::int64_t local_day = local_seconds / 86'400 - (local_seconds % 86'400 < 0 ? 1 : 0);
    const std::int64_t second_of_day = local_seconds - local_day * 86'400;
    const std::int64_t year = kelvane::civil_from_days(local_day).year;
    const std::int64_t first_day = kelvane::days_from_civil(year, 1, 1);
    const std::int64_t next_first_day = kelvane::days_from_civil(year + 1, 1, 1);
    const int first_weekday = static_cast<int>(((first_day + 3) % 7 + 7) % 7);
    const std::int64_t elapsed = local_day - first_day;
    double h = whole_days(calendar, elapsed, first_weekday);
    if (const auto& table = calendar.cum_weights()[static_cast<std::size_t>((first_weekday + elapsed) % 7)]) {
        const auto k = static_cast<std::size_t>(std::min<std::int64_t>(second_of_day / 900, 95));
        const double f = std::fmod(static_cast<double>(second_of_day), 900.0) / 900.0;
        h = h + ((*table)[k] + f * ((*table)[k + 1] - (*table)[k]));
    }
    const double a = whole_days(calendar, next_first_day - first_day, first_weekday);
    return {static_cast<double>(year) + h / a, static_cast<std::int32_t>(year), a};
}

// Calendars whose year weights differ from year to year in every way: the
// embedded one, one with negative weights, weekdays without a table and a
// half-hour summer time, and one in UTC whose local years start exactly at
// UTC midnight.
std::vector<std::pair<std::string, Calendar>> reference_calendars() {
    std::vector<std::pair<std::string, Calendar>> calendars;
    calendars.emplace_back("embedded", embedded());
    calendars.emplace_back("negative", build(document(R"("monday": {"09:30 - 09:45": -2.5, "10:00 - 10:15": 7})",
                                                      R"("monday": -1.5, "tuesday": 0.25, "sunday": 3)",
                                                      "Australia/Lord_Howe")));
    calendars.emplace_back("utc", build(document("", R"("monday": 1.1, "tuesday": 0.9, "wednesday": 1.3,
                                                     "thursday": 0.7, "friday": 1e-3, "saturday": 0.3)")));
    return calendars;
}

void expect_reference(Calendar& calendar, const std::string& what, const UtcInstant& at) {
    const ReferencePoint expected = reference_point(calendar, at);
    const auto computed = calendar.bus_ttx_point(at);
    ASSERT_TRUE(computed) << what << " " << describe(at) << ": " << computed.error().message;
    ASSERT_TRUE(same_bytes(*computed, expected.coordinate))
        << what << " " << describe(at) << ": expected " << expected.coordinate << ", computed " << *computed;
    const auto cached = calendar.year_weights().find(expected.year);
    ASSERT_TRUE(cached) << what << " " << describe(at) << " in " << expected.year;
    ASSERT_TRUE(same_bytes(*cached, expected.year_weight)) << what << " year " << expected.year;
}

class ReferenceCoordinates : public ::testing::TestWithParam<YearSpread> {};

TEST_P(ReferenceCoordinates, SameBytesAsTheStepByStepCoordinate) {
    for (auto& [what, kind] : reference_calendars()) {
        Calendar shared = kind;
        std::mt19937_64 random(4243);
        std::uniform_int_distribution<std::int64_t> anywhere(utc(GetParam().first_year, 1, 1).seconds,
                                                             utc(GetParam().last_year, 12, 31, 23, 59, 59).seconds);
        for (int i = 0; i < 5'000; ++i) {
            const UtcInstant at{anywhere(random), 0};
            Calendar fresh = kind;
            expect_reference(fresh, what, at);
            expect_reference(shared, what, at);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Spreads, ReferenceCoordinates,
    ::testing::Values(YearSpread{"OneYear", 2026, 2026}, YearSpread{"DatetimeRange", 1, 9999},
                      YearSpread{"WholeRange", -262'142, 262'141}),
    [](const auto& info) { return std::string(info.param.what); });

// The first and last seconds of every local year of the range, on a calendar
// in UTC, and on fresh calendars for the years where the arithmetic is most
// likely to slip: century and 400-year boundaries, the ends of the range, the
// years around 1970 and the ends of the cache's pages of 32,768 years.
TEST(ReferenceCoordinatesAtYearEnds, FirstAndLastSecondOfEveryYear) {
    const Calendar utc_calendar = reference_calendars().back().second;
    Calendar shared = utc_calendar;
    for (std::int64_t year = -262'143; year <= 262'142; ++year) {
        const UtcInstant first = utc(year, 1, 1);
        const UtcInstant last = utc(year, 12, 31, 23, 59, 59);
        expect_reference(shared, "utc", last);
        expect_reference(shared, "utc", first);
        ASSERT_EQ(point(shared, first), static_cast<double>(year)) << year;
    }
    EXPECT_EQ(shared.year_weights().size(), 524'286u);
    for (const std::int64_t year : {-262'143, -262'142, -229'376, -229'375, -196'609, -196'608, -400, -101, -100,
                                    -4, -1, 0, 1, 4, 99, 100, 1599, 1600, 1601, 1699, 1700, 1899, 1900, 1969, 1970,
                                    1971, 1999, 2000, 2001, 2099, 2100, 2400, 9999, 10'000, 229'373, 262'141, 262'142}) {
        for (const UtcInstant at : {utc(year, 1, 1), utc(year, 12, 31, 23, 59, 59)}) {
            Calendar fresh = utc_calendar;
            expect_reference(fresh, "utc", at);
            EXPECT_EQ(fresh.year_weights().size(), 1u) << year;
        }
    }
}

// ---------------------------------------------------------------------------
// Calendar time

TEST(CalendarTime, WholeSecondsTowardZeroOverA365DayYear) {
    struct Case {
        const char* what;
        UtcInstant from, to;
        std::int64_t whole_seconds;
    };
    const Case cases[] = {
        {"one day", {0, 0}, {86'400, 0}, 86'400},
        {"minus one and a half seconds", {10, 0}, {8, 500'000'000}, -1},
        {"plus one and a half seconds", {8, 500'000'000}, {10, 0}, 1},
        {"half a second", {5, 0}, {5, 500'000'000}, 0},
        {"into a leap second", {59, 0}, {59, 1'500'000'000}, 1},
        {"across a leap second", {59, 900'000'000}, {60, 0}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Calendar::cal_ttx(c.from, c.to), static_cast<double>(c.whole_seconds) / 31'536'000.0) << c.what;
    }
    EXPECT_EQ(Calendar::cal_ttx(utc(2023, 1, 1), utc(2024, 1, 1)), 1.0);
}

}  // namespace
