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
    // upper_bound: a transition at exactly this instant is already in force.
    const auto passed =
        static_cast<std::size_t>(std::upper_bound(times.begin(), times.end(), unix_seconds) -
                                 times.begin());
    const std::size_t offset_index =
        passed == 0 ? 0 : time_zone_table.offset_index_after[zone.first_transition + passed - 1];
    return time_zone_table.offsets[zone.first_offset + offset_index];
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
