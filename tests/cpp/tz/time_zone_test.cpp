// Lookup by name and the offset rules that the calendar relies on.
#include "calendar/tz/time_zone.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "calendar/tz/time_zone_table.hpp"
#include "common/utc_instant.hpp"

namespace {

using calendar::tz::find_time_zone;
using calendar::tz::time_zone_names;

std::int64_t utc_seconds(std::int64_t year, unsigned month, unsigned day, unsigned hour = 0,
                         unsigned minute = 0, unsigned second = 0) {
    return kelvane::days_from_civil(year, month, day) * kelvane::seconds_per_day + hour * 3600 +
           minute * 60 + second;
}

std::int32_t offset_in(std::string_view zone, std::int64_t instant) {
    const auto found = find_time_zone(zone);
    EXPECT_TRUE(found.has_value()) << zone;
    return found ? found->utc_offset_at(instant) : -1;
}

TEST(TimeZoneLookup, FindsZoneAndLinkNamesExactly) {
    for (std::string_view name : {"UTC", "US/Eastern", "America/New_York", "Europe/London",
                                  "Etc/GMT+5", "Asia/Kolkata", "Asia/Calcutta", "Factory"}) {
        const auto zone = find_time_zone(name);
        ASSERT_TRUE(zone.has_value()) << name;
        EXPECT_EQ(zone->name(), name);
    }
}

TEST(TimeZoneLookup, RejectsOtherSpellings) {
    for (std::string_view name : {"us/eastern", "US/EASTERN", "utc", "US/Eastern ", " UTC",
                                  "US/", "", "Mars/Olympus_Mons", "America/New_York/"}) {
        EXPECT_FALSE(find_time_zone(name).has_value()) << '"' << name << '"';
    }
}

TEST(TimeZoneLookup, NamesAreSortedAndUnique) {
    const auto names = time_zone_names();
    EXPECT_TRUE(std::adjacent_find(names.begin(), names.end(), [](auto a, auto b) {
                    return a >= b;
                }) == names.end());
    for (std::string_view name : {"UTC", "US/Eastern", "Europe/London"}) {
        EXPECT_TRUE(std::binary_search(names.begin(), names.end(), name)) << name;
    }
}

TEST(TimeZoneLookup, LinkSharesItsTargetsOffsets) {
    for (const auto instant : {utc_seconds(1883, 11, 18, 17), utc_seconds(1945, 8, 14, 23),
                               utc_seconds(2024, 3, 10, 7), utc_seconds(2099, 7, 1)}) {
        EXPECT_EQ(offset_in("US/Eastern", instant), offset_in("America/New_York", instant))
            << "instant " << instant;
    }
}

TEST(TimeZoneOffsets, ListEndsWithTheLastChangeOf2099) {
    EXPECT_EQ(offset_in("US/Eastern", utc_seconds(2099, 7, 1, 12)), -4 * 3600);
    EXPECT_EQ(offset_in("US/Eastern", utc_seconds(2100, 7, 1, 12)), -5 * 3600);
    EXPECT_EQ(offset_in("US/Eastern", utc_seconds(2500, 7, 1, 12)), -5 * 3600);
    // The southern summer that starts in October 2099 is the last change there.
    EXPECT_EQ(offset_in("Australia/Sydney", utc_seconds(2100, 7, 1)), 11 * 3600);
    EXPECT_EQ(offset_in("Europe/London", utc_seconds(2100, 7, 1)), 0);
}

TEST(TimeZoneOffsets, NewOffsetAppliesAtTheTransitionInstant) {
    // 10 March 2024, 02:00 EST and 3 November 2024, 02:00 EDT.
    const std::int64_t spring = utc_seconds(2024, 3, 10, 7);
    const std::int64_t autumn = utc_seconds(2024, 11, 3, 6);
    EXPECT_EQ(offset_in("US/Eastern", spring - 1), -5 * 3600);
    EXPECT_EQ(offset_in("US/Eastern", spring), -4 * 3600);
    EXPECT_EQ(offset_in("US/Eastern", autumn - 1), -4 * 3600);
    EXPECT_EQ(offset_in("US/Eastern", autumn), -5 * 3600);
}

TEST(TimeZoneOffsets, FixedZonesAndExtremeInstants) {
    for (const auto instant : {std::int64_t{INT64_MIN}, std::int64_t{0}, std::int64_t{INT64_MAX}}) {
        EXPECT_EQ(offset_in("UTC", instant), 0) << "instant " << instant;
        EXPECT_EQ(offset_in("Etc/GMT+5", instant), -5 * 3600) << "instant " << instant;
    }
    // Local mean time of New York (-4:56:02) before the first transition.
    EXPECT_EQ(offset_in("America/New_York", INT64_MIN), -17762);
    EXPECT_EQ(offset_in("America/New_York", INT64_MAX), -5 * 3600);
}

// The offset by a bisection over the zone's whole transition list, without
// the shortcuts for instants outside it: the reference for every instant.
std::int32_t bisected_offset(std::string_view name, std::int64_t instant) {
    const auto& table = calendar::tz::detail::time_zone_table;
    const auto found = std::lower_bound(table.names.begin(), table.names.end(), name);
    const auto& zone = table.zones[table.zone_of_name[static_cast<std::size_t>(found - table.names.begin())]];
    const auto times = table.transition_times.subspan(zone.first_transition, zone.transition_count);
    const auto passed = static_cast<std::size_t>(std::upper_bound(times.begin(), times.end(), instant) - times.begin());
    const std::size_t index = passed == 0 ? 0 : table.offset_index_after[zone.first_transition + passed - 1];
    return table.offsets[zone.first_offset + index];
}

// Instants at and around the ends of a zone's list, at the extremes of the
// time line, and at seeded random instants from year -262143 to 262142,
// most of them outside the list.
std::vector<std::int64_t> probe_instants(std::string_view name, std::mt19937_64& random) {
    const auto& table = calendar::tz::detail::time_zone_table;
    const auto found = std::lower_bound(table.names.begin(), table.names.end(), name);
    const auto& zone = table.zones[table.zone_of_name[static_cast<std::size_t>(found - table.names.begin())]];
    const auto times = table.transition_times.subspan(zone.first_transition, zone.transition_count);
    std::vector<std::int64_t> instants = {INT64_MIN, INT64_MIN + 1, -1, 0, 1, INT64_MAX - 1, INT64_MAX};
    if (!times.empty()) {
        for (const std::int64_t end : {times.front(), times.back()}) {
            for (const std::int64_t delta : {-86'400, -1, 0, 1, 86'400}) instants.push_back(end + delta);
        }
    }
    std::uniform_int_distribution<std::int64_t> anywhere(utc_seconds(-262'143, 1, 1), utc_seconds(262'142, 12, 31));
    for (int i = 0; i < 200; ++i) instants.push_back(anywhere(random));
    return instants;
}

TEST(TimeZoneOffsets, EveryZoneMatchesABisectionOfItsWholeList) {
    std::mt19937_64 random(2099);
    int mismatches = 0;
    for (const std::string_view name : time_zone_names()) {
        for (const std::int64_t instant : probe_instants(name, random)) {
            const std::int32_t expected = bisected_offset(name, instant);
            const std::int32_t computed = offset_in(name, instant);
            if (expected != computed && ++mismatches <= 20) {
                ADD_FAILURE() << name << " at " << instant << ": expected " << expected << ", computed " << computed;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
