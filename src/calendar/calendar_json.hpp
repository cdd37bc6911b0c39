// The calendar document: the record `CalendarJson` and the reading of its
// JSON text.
//
// Reading rules:
// - The top-level value is an object (or, equally, an array of exactly three
//   elements holding the members in declaration order).
// - Member names match exactly, letter case included; a member of any other
//   name is skipped together with its value, whatever that value holds.
// - A member given twice fails with "duplicate field `{}`"; when the object
//   closes, the first absent member in declaration order fails with
//   "missing field `{}`".
// - A weight is any JSON number, read as the nearest double (integers of any
//   length included; the integer -0 is 0). A number beyond the largest
//   double fails with "number out of the range of a double", wherever it
//   stands. Any other JSON type where a weight, a map or the zone name
//   belongs fails with "invalid type: {found}, expected {wanted}".
// - Nesting deeper than 128 levels fails, skipped members included.
// - A key repeated within one map keeps the value that comes last; maps
//   iterate in byte order of their keys.
// - Only whitespace may follow the top-level value.
// - Every error message ends with " at line {} column {}": the 1-based line
//   and column of the byte at which the reader stopped (for a rejected
//   number, its first byte; for any other rejected token or a closing
//   bracket, the byte after it; for a syntax error, the offending byte).
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/error.hpp"

namespace calendar {

// A string-keyed map held as a vector sorted by key; iteration is in byte
// order of the keys. Built in one go from entries in document order.
template <class Value>
class KeyedMap {
public:
    using Entry = std::pair<std::string, Value>;

    KeyedMap() = default;
    // A repeated key keeps the value that comes last. One sort, whatever the
    // order of the keys (documents list them in order, which costs one
    // pass): inserting one by one would be quadratic for keys in
    // descending order.
    explicit KeyedMap(std::vector<Entry> entries) : entries_(std::move(entries)) {
        const auto by_key = [](const Entry& a, const Entry& b) { return a.first < b.first; };
        if (!std::is_sorted(entries_.begin(), entries_.end(), by_key)) {
            std::stable_sort(entries_.begin(), entries_.end(), by_key);
        }
        keep_last_of_equal_keys();
    }

    const Value* find(std::string_view key) const noexcept {
        const auto at = std::lower_bound(entries_.begin(), entries_.end(), key,
                                         [](const Entry& e, std::string_view k) { return e.first < k; });
        return at != entries_.end() && at->first == key ? &at->second : nullptr;
    }

    std::size_t size() const noexcept { return entries_.size(); }
    bool empty() const noexcept { return entries_.empty(); }
    auto begin() const noexcept { return entries_.begin(); }
    auto end() const noexcept { return entries_.end(); }

private:
    // The sort is stable, so of a run of equal keys the last came last.
    void keep_last_of_equal_keys() {
        auto kept = entries_.begin();
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            const auto next = std::next(it);
            if (next != entries_.end() && next->first == it->first) continue;
            if (kept != it) *kept = std::move(*it);
            ++kept;
        }
        entries_.erase(kept, entries_.end());
    }

    std::vector<Entry> entries_;
};

// Bucket label ("09:30 - 09:45") -> weight.
using TimeProfile = KeyedMap<double>;

// Members in declaration order; the order decides which missing member is
// reported.
struct CalendarJson {
    KeyedMap<TimeProfile> TimeWeightings;  // weekday name -> intraday profile
    KeyedMap<double> DayWeightings;        // weekday name -> weight of the day
    std::string IanaTimeZone;
};

kelvane::Result<CalendarJson> read_calendar_json(std::string_view text);

}  // namespace calendar
