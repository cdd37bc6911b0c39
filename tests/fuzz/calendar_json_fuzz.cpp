// Fuzz target of the calendar document reader. Besides not crashing (the
// sanitizers watch memory and undefined behaviour), every outcome must keep
// the reader's contract: an error names the line and column where reading
// stopped; a success holds the three members with their maps sorted and
// free of repeated keys.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "calendar/calendar_json.hpp"

namespace {

[[noreturn]] void broken(const char* what, std::string_view detail) {
    std::fprintf(stderr, "calendar_json_fuzz: %s: %.*s\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

template <class Map>
void check_sorted_unique(const Map& map, const char* name) {
    const typename Map::Entry* previous = nullptr;
    for (const auto& entry : map) {
        if (previous != nullptr && !(previous->first < entry.first)) broken("keys out of order", name);
        if (map.find(entry.first) != &entry.second) broken("key not found where it is", entry.first);
        previous = &entry;
    }
}

// A positive decimal number without leading zeros at the start of `text`;
// returns the rest.
bool skip_positive_number(std::string_view& text) {
    if (text.empty() || text.front() < '1' || text.front() > '9') return false;
    while (!text.empty() && text.front() >= '0' && text.front() <= '9') text.remove_prefix(1);
    return true;
}

// The message ends with " at line {} column {}".
void check_error(std::string_view message) {
    const std::size_t at = message.rfind(" at line ");
    std::string_view rest = at == std::string_view::npos ? std::string_view() : message.substr(at + 9);
    const bool positioned = at != std::string_view::npos && skip_positive_number(rest) &&
                            rest.starts_with(" column ") && (rest.remove_prefix(8), skip_positive_number(rest)) &&
                            rest.empty();
    if (!positioned) broken("error without its position", message);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto read = calendar::read_calendar_json(text);
    if (!read) {
        check_error(read.error().message);
        return 0;
    }
    check_sorted_unique(read->DayWeightings, "DayWeightings");
    check_sorted_unique(read->TimeWeightings, "TimeWeightings");
    for (const auto& [day, profile] : read->TimeWeightings) check_sorted_unique(profile, day.c_str());
    return 0;
}
