// The conversion of POSIX timestamps to UTC instants and the civil calendar
// arithmetic behind it.
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "common/utc_instant.hpp"

namespace {

using kelvane::UtcInstant;

struct TimestampCase {
    double timestamp;
    std::int64_t seconds;
    std::uint32_t nanos;
};

// Before 1970 a fraction is dropped toward 1970; after it the fraction is
// kept as the double carries it, rounded to the nanosecond.
const TimestampCase timestamp_cases[] = {
    {1704067200.5, 1704067200, 500000000},
    {-1.5, -1, 0},
    {0.0, 0, 0},
    {std::numeric_limits<double>::quiet_NaN(), 0, 0},
    {1700000000.000001, 1700000000, 954},
    {59.9999999996, 59, 1000000000},  // rounds into the leap-second range at :59
};

TEST(UtcInstant, FromTimestamp) {
    for (const auto& c : timestamp_cases) {
        const auto instant = kelvane::utc_instant_from_timestamp(c.timestamp);
        ASSERT_TRUE(instant.has_value()) << "timestamp " << c.timestamp;
        EXPECT_EQ(instant->seconds, c.seconds) << "timestamp " << c.timestamp;
        EXPECT_EQ(instant->nanos, c.nanos) << "timestamp " << c.timestamp;
    }
}

TEST(UtcInstant, InvalidTimestamps) {
    for (double timestamp : {1e20, -1e20, 0.9999999999, std::numeric_limits<double>::infinity()}) {
        const auto instant = kelvane::utc_instant_from_timestamp(timestamp);
        ASSERT_FALSE(instant.has_value()) << "timestamp " << timestamp;
        EXPECT_EQ(instant.error().message, "Invalid timestamp");
    }
}

TEST(UtcInstant, RangeEndsAtTheRepresentableYears) {
    const std::int64_t first = kelvane::days_from_civil(-262143, 1, 1) * 86400;
    const std::int64_t last = kelvane::days_from_civil(262142, 12, 31) * 86400 + 86399;
    EXPECT_TRUE(kelvane::make_utc_instant(first, 0).has_value());
    EXPECT_TRUE(kelvane::make_utc_instant(last, 0).has_value());
    EXPECT_FALSE(kelvane::make_utc_instant(first - 1, 0).has_value());
    EXPECT_FALSE(kelvane::make_utc_instant(last + 1, 0).has_value());
}

TEST(UtcInstant, LeapSecondOnlyAtSecondFiftyNine) {
    EXPECT_TRUE(kelvane::make_utc_instant(59, 1'500'000'000).has_value());
    EXPECT_FALSE(kelvane::make_utc_instant(58, 1'000'000'000).has_value());
    EXPECT_FALSE(kelvane::make_utc_instant(59, 2'000'000'000).has_value());
    const auto civil = kelvane::to_civil_time(UtcInstant{59, 1'250'000'000});
    EXPECT_TRUE(civil.leap_second);
    EXPECT_EQ(civil.second, 59u);
    EXPECT_EQ(civil.nanos, 250'000'000u);
}

TEST(CivilDates, KnownDays) {
    EXPECT_EQ(kelvane::days_from_civil(1970, 1, 1), 0);
    EXPECT_EQ(kelvane::days_from_civil(2024, 1, 1), 19723);
    EXPECT_EQ(kelvane::days_from_civil(2000, 3, 1), 11017);
    EXPECT_EQ(kelvane::days_from_civil(1969, 12, 31), -1);
    const auto d = kelvane::civil_from_days(-719468);  // 0000-03-01
    EXPECT_EQ(d.year, 0);
    EXPECT_EQ(d.month, 3u);
    EXPECT_EQ(d.day, 1u);
}

TEST(CivilDates, RoundTripOverTheWholeRange) {
    std::mt19937_64 rng(20261208);
    const std::int64_t first = kelvane::days_from_civil(-262143, 1, 1);
    const std::int64_t last = kelvane::days_from_civil(262142, 12, 31);
    std::uniform_int_distribution<std::int64_t> day(first, last);
    for (int i = 0; i < 100000; ++i) {
        const std::int64_t n = day(rng);
        const auto date = kelvane::civil_from_days(n);
        ASSERT_EQ(kelvane::days_from_civil(date.year, date.month, date.day), n) << "day " << n;
    }
}

}  // namespace
