#include "calendar/tz/time_zone.hpp"

#include <algorithm>

#include "calendar/tz/time_zone_table.hpp"

namespace calendar::tz {
namespace {

using detail::time_zone_table;

}  // namespace

std::string_view TimeZone::name() const noexcept {
    return time_zone_table.names[name_index_];
}

std::int32_t TimeZone::utc_offset_at(std::int64_t unix_seconds) const noexcept {
    const detail::ZoneExtent& zone = time_zone_table.zones[zone_index_];
    const auto times =
        time_zone_table.transition_times.subspan(zone.first_transition, zone.transition_count);
    const auto offsets = time_zone_table.offsets.subspan(zone.first_offset);
    // Most of the years a date can name lie before a zone's first transition
    // or after its last (the lists end in 2099): those take their offset
    // without a search. One unsigned comparison tells them from the instants
    // between (an instant before the first wraps round to a large
    // difference), so that which side an instant falls on costs no branch.
    if (times.empty()) return offsets[0];
    const std::size_t last = times.size() - 1;
    const std::int64_t first_time = times.front();
    const std::uint64_t since_first = static_cast<std::uint64_t>(unix_seconds) - static_cast<std::uint64_t>(first_time);
    const std::uint64_t searched_span = static_cast<std::uint64_t>(times[last]) - static_cast<std::uint64_t>(first_time);
    if (since_first >= searched_span) {
        // Before the first transition the offset is entry 0; the mask keeps
        // this choice free of a branch.
        const std::size_t after_last = time_zone_table.offset_index_after[zone.first_transition + last];
        return offsets[after_last & -static_cast<std::size_t>(unix_seconds >= first_time)];
    }
    // upper_bound: a transition at exactly this instant is already in force.
    const auto passed =
        static_cast<std::size_t>(std::upper_bound(times.begin(), times.end(), unix_seconds) - times.begin());
    return offsets[time_zone_table.offset_index_after[zone.first_transition + passed - 1]];
}

std::optional<TimeZone> find_time_zone(std::string_view name) noexcept {
    const auto names = time_zone_table.names;
    const auto found = std::lower_bound(names.begin(), names.end(), name);
    if (found == names.end() || *found != name) return std::nullopt;
    const auto name_index = static_cast<std::uint32_t>(found - names.begin());
    return TimeZone(name_index, time_zone_table.zone_of_name[name_index]);
}

std::span<const std::string_view> time_zone_names() noexcept {
    return time_zone_table.names;
}

}  // namespace calendar::tz
