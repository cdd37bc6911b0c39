// The IANA time-zone database, compiled into the library.
//
// Every zone and link name of the pinned tzdata release is known, looked up
// by exact, case-sensitive name. Each zone's transitions run to the end of
// 2099 and no further: an instant after the last transition keeps the offset
// that transition set. Nothing is read from disk.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace calendar::tz {

class TimeZone {
public:
    // The name the zone was looked up by (a link name stays a link name).
    std::string_view name() const noexcept;

    // Standard plus daylight-saving offset from UTC, in whole seconds, in
    // force at the instant; at the exact instant of a transition the new
    // offset applies. Constant time before the first transition and from
    // the last on; a bisection over the sorted transitions between.
    std::int32_t utc_offset_at(std::int64_t unix_seconds) const noexcept;

private:
    friend std::optional<TimeZone> find_time_zone(std::string_view name) noexcept;
    TimeZone(std::uint32_t name_index, std::uint32_t zone_index) noexcept
        : name_index_(name_index), zone_index_(zone_index) {}
    std::uint32_t name_index_;
    std::uint32_t zone_index_;
};

std::optional<TimeZone> find_time_zone(std::string_view name) noexcept;

// Every name the database defines, zones and links, in sorted order.
std::span<const std::string_view> time_zone_names() noexcept;

}  // namespace calendar::tz
