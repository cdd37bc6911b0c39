// The compiled-in zone table, as tools/gen_time_zones.py lays it out.
//
// Names are sorted byte-wise (std::string_view order) for bisection; each
// name points at a zone, and zones with equal offset histories share one.
// A zone's transitions are a slice of `transition_times`, ascending, each
// changing the offset (no-op transitions are left out by the generator).
// Its offsets are a slice of `offsets` whose entry 0 is the offset before
// the first transition; `offset_index_after[i]` picks, within that slice,
// the offset from transition i on.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace calendar::tz::detail {

struct ZoneExtent {
    std::uint32_t first_transition;
    std::uint32_t transition_count;
    std::uint32_t first_offset;
};

struct TimeZoneTable {
    std::string_view tzdata_version;  // the PyPI release, e.g. "2026.6"
    std::string_view iana_release;    // e.g. "2026f"
    std::span<const std::string_view> names;
    std::span<const std::uint16_t> zone_of_name;
    std::span<const ZoneExtent> zones;
    std::span<const std::int64_t> transition_times;
    std::span<const std::uint8_t> offset_index_after;
    std::span<const std::int32_t> offsets;
};

extern const TimeZoneTable time_zone_table;

}  // namespace calendar::tz::detail
