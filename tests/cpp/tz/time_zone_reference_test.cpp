// Every name of the compiled table against Python's zoneinfo reading the
// same tzdata release (tools/gen_tz_reference.py writes what zoneinfo says,
// around every transition up to the end of 2099 and at random instants).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/tz/time_zone.hpp"
#include "calendar/tz/time_zone_table.hpp"
#include "calendar/tz/tz_reference_path.hpp"
#include "common/utc_instant.hpp"

namespace {

using calendar::tz::find_time_zone;
using calendar::tz::TimeZone;

struct ReferenceTransition {
    std::int64_t instant;
    std::int32_t before;  // one second earlier
    std::int32_t after;   // at the instant
};

struct ReferenceSample {
    std::int64_t instant;
    std::int32_t offset;
};

// Names whose zone files are identical, and what zoneinfo gives for them.
struct ReferenceGroup {
    std::vector<std::string> names;
    std::vector<ReferenceTransition> transitions;
    std::vector<ReferenceSample> samples;
};

struct Reference {
    std::string tzdata_version;
    std::string iana_release;
    std::vector<ReferenceGroup> groups;
    std::string error;  // empty when the file was read whole
};

Reference read_reference(const char* path) {
    Reference reference;
    std::ifstream file(path);
    if (!file) {
        reference.error = std::string("cannot open ") + path;
        return reference;
    }
    std::string line;
    for (int line_number = 1; std::getline(file, line); ++line_number) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        bool ok = true;
        if (kind == "release") {
            ok = static_cast<bool>(fields >> reference.tzdata_version >> reference.iana_release);
        } else if (kind == "zone") {
            reference.groups.emplace_back();
            for (std::string name; fields >> name;) reference.groups.back().names.push_back(name);
            ok = !reference.groups.back().names.empty();
        } else if (kind == "T" && !reference.groups.empty()) {
            ReferenceTransition t{};
            ok = static_cast<bool>(fields >> t.instant >> t.before >> t.after);
            reference.groups.back().transitions.push_back(t);
        } else if (kind == "R" && !reference.groups.empty()) {
            ReferenceSample s{};
            ok = static_cast<bool>(fields >> s.instant >> s.offset);
            reference.groups.back().samples.push_back(s);
        } else {
            ok = false;
        }
        if (!ok) {
            reference.error = std::string(path) + ":" + std::to_string(line_number) +
                              ": unreadable line: " + line;
            return reference;
        }
    }
    return reference;
}

const Reference& reference() {
    static const Reference loaded = read_reference(calendar::tz::test::reference_path);
    return loaded;
}

std::string iso_utc(std::int64_t instant) {
    const std::int64_t days =
        instant / kelvane::seconds_per_day - (instant % kelvane::seconds_per_day < 0 ? 1 : 0);
    const std::int64_t second_of_day = instant - days * kelvane::seconds_per_day;
    const kelvane::CivilDate date = kelvane::civil_from_days(days);
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ",
                  static_cast<long long>(date.year), date.month, date.day,
                  static_cast<long long>(second_of_day / 3600),
                  static_cast<long long>(second_of_day / 60 % 60),
                  static_cast<long long>(second_of_day % 60));
    return text;
}

// Reports the first few mismatches in full and the rest as a count, so that
// a wholesale fault does not bury the log.
class Mismatches {
public:
    void check(std::string_view zone, std::int64_t instant, std::int32_t expected,
               std::int32_t computed) {
        ++checked_;
        if (expected == computed) return;
        if (++count_ <= 20) {
            ADD_FAILURE() << "zone " << zone << " at " << instant << " (" << iso_utc(instant)
                          << "): zoneinfo gives " << expected << " s, the table " << computed
                          << " s";
        }
    }
    ~Mismatches() {
        EXPECT_EQ(count_, 0u) << "mismatches out of " << checked_ << " instants checked";
    }

private:
    std::size_t count_ = 0;
    std::size_t checked_ = 0;
};

class TimeZoneReference : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(reference().error.empty()) << reference().error;
        ASSERT_FALSE(reference().groups.empty());
    }

    static TimeZone zone_named(const std::string& name) {
        const auto zone = find_time_zone(name);
        EXPECT_TRUE(zone.has_value()) << "zone " << name << " is not in the table";
        return zone ? *zone : *find_time_zone("UTC");
    }
};

TEST_F(TimeZoneReference, ReadsTheReleaseTheTableWasBuiltFrom) {
    EXPECT_EQ(reference().tzdata_version, calendar::tz::detail::time_zone_table.tzdata_version);
    EXPECT_EQ(reference().iana_release, calendar::tz::detail::time_zone_table.iana_release);
}

TEST_F(TimeZoneReference, TableHasExactlyZoneinfosNames) {
    std::set<std::string> expected;
    for (const auto& group : reference().groups) expected.insert(group.names.begin(), group.names.end());
    std::set<std::string> computed;
    for (std::string_view name : calendar::tz::time_zone_names()) computed.emplace(name);
    for (const auto& name : expected) EXPECT_TRUE(computed.count(name)) << "missing " << name;
    for (const auto& name : computed) EXPECT_TRUE(expected.count(name)) << "extra " << name;
}

TEST_F(TimeZoneReference, OffsetsAtAndJustBeforeEveryTransition) {
    Mismatches mismatches;
    for (const auto& group : reference().groups) {
        for (const auto& name : group.names) {
            const TimeZone zone = zone_named(name);
            for (const auto& t : group.transitions) {
                mismatches.check(name, t.instant - 1, t.before, zone.utc_offset_at(t.instant - 1));
                mismatches.check(name, t.instant, t.after, zone.utc_offset_at(t.instant));
            }
        }
    }
}

TEST_F(TimeZoneReference, OffsetsAtRandomInstantsFrom1900To2099) {
    Mismatches mismatches;
    for (const auto& group : reference().groups) {
        for (const auto& name : group.names) {
            const TimeZone zone = zone_named(name);
            for (const auto& s : group.samples) {
                mismatches.check(name, s.instant, s.offset, zone.utc_offset_at(s.instant));
            }
        }
    }
}

// The table changes offset exactly where zoneinfo does, no more: a spurious
// transition would otherwise hide between the instants checked above.
TEST_F(TimeZoneReference, TableTransitionsAreZoneinfosChanges) {
    const auto& table = calendar::tz::detail::time_zone_table;
    for (const auto& group : reference().groups) {
        std::vector<std::int64_t> expected;
        for (const auto& t : group.transitions) {
            if (t.before != t.after) expected.push_back(t.instant);
        }
        for (const auto& name : group.names) {
            const auto found = std::lower_bound(table.names.begin(), table.names.end(), name);
            ASSERT_TRUE(found != table.names.end() && *found == name) << "zone " << name;
            const auto name_index = static_cast<std::size_t>(found - table.names.begin());
            const auto& extent = table.zones[table.zone_of_name[name_index]];
            const auto times =
                table.transition_times.subspan(extent.first_transition, extent.transition_count);
            const std::vector<std::int64_t> computed(times.begin(), times.end());
            if (computed == expected) continue;
            const auto [e, c] = std::mismatch(expected.begin(), expected.end(), computed.begin(),
                                              computed.end());
            ADD_FAILURE() << "zone " << name << ": zoneinfo changes offset " << expected.size()
                          << " times, the table " << computed.size() << " times; first difference: "
                          << (e == expected.end() ? std::string("none") : iso_utc(*e))
                          << " in zoneinfo, "
                          << (c == computed.end() ? std::string("none") : iso_utc(*c))
                          << " in the table";
        }
    }
}

}  // namespace
