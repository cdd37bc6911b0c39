#include "calendar/decimal.hpp"

#include <charconv>
#include <limits>
#include <system_error>

namespace calendar {
namespace {

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

// Checks the unsigned part of a literal against the grammar and returns the
// power of ten of its leading nonzero digit (saturated), which is all that
// tells an overflow from an underflow once the conversion is out of range.
std::optional<long long> decimal_magnitude(std::string_view s) noexcept {
    constexpr long long exponent_cap = 1'000'000'000;
    std::size_t i = 0;
    std::size_t digits = 0;
    long long leading = 0;
    bool nonzero_seen = false;
    for (; i < s.size() && is_digit(s[i]); ++i, ++digits) {
        if (nonzero_seen) {
            ++leading;
        } else if (s[i] != '0') {
            nonzero_seen = true;
        }
    }
    if (i < s.size() && s[i] == '.') {
        for (long long place = -1; ++i < s.size() && is_digit(s[i]); --place, ++digits) {
            if (!nonzero_seen && s[i] != '0') {
                nonzero_seen = true;
                leading = place;
            }
        }
    }
    if (digits == 0) return std::nullopt;
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        bool negative = false;
        if (++i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
        const std::size_t first = i;
        for (; i < s.size() && is_digit(s[i]); ++i) {
            if (exponent < exponent_cap) exponent = exponent * 10 + (s[i] - '0');
        }
        if (i == first) return std::nullopt;
        if (negative) exponent = -exponent;
    }
    if (i != s.size()) return std::nullopt;
    return leading + exponent;
}

}  // namespace

std::optional<double> double_from_decimal(std::string_view text) noexcept {
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    const std::optional<long long> magnitude = decimal_magnitude(text);
    if (!magnitude) return std::nullopt;
    // from_chars parses the general format correctly rounded; it takes no
    // sign of its own here, and leaves the value alone when out of range.
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        value = *magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace calendar
