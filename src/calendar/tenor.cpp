// Tenors: a decimal number and a unit letter, as year fractions.
#include <cmath>
#include <limits>
#include <string>

#include "calendar/calendar.hpp"
#include "calendar/decimal.hpp"

namespace calendar {
namespace {

using kelvane::Result;

constexpr double days_per_year = 365.0;

bool equals_ignoring_case(std::string_view text, std::string_view lower) noexcept {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lower[i]) return false;
    }
    return true;
}

// A decimal literal (decimal.hpp), or inf, infinity or nan in any letter
// case, each with an optional sign.
Result<double> parse_number(std::string_view text) {
    if (text.empty()) return kelvane::fail("cannot parse float from empty string");
    if (const std::optional<double> value = double_from_decimal(text)) return *value;
    const double sign = text.front() == '-' ? -1.0 : 1.0;
    const std::string_view word = text.substr(text.front() == '+' || text.front() == '-' ? 1 : 0);
    if (equals_ignoring_case(word, "inf") || equals_ignoring_case(word, "infinity")) {
        return sign * std::numeric_limits<double>::infinity();
    }
    if (equals_ignoring_case(word, "nan")) {
        return std::copysign(std::numeric_limits<double>::quiet_NaN(), sign);
    }
    return kelvane::fail("invalid float literal");
}

}  // namespace

Result<double> Calendar::tenor_to_ttx(std::string_view tenor) {
    if (tenor.empty()) return kelvane::fail("Invalid tenor format: ");
    const char unit = tenor.back();
    if (unit != 'd' && unit != 'w' && unit != 'm' && unit != 'y') {
        return kelvane::fail("Invalid tenor format: " + std::string(tenor));
    }
    const Result<double> number = parse_number(tenor.substr(0, tenor.size() - 1));
    if (!number) return number;
    const double v = *number;
    // The multiplication precedes the division.
    switch (unit) {
        case 'd': return v / days_per_year;
        case 'w': return (v * 7.0) / days_per_year;
        case 'm': return (v * 30.0) / days_per_year;
        default: return v;
    }
}

}  // namespace calendar
