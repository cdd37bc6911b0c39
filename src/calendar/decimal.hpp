// Decimal floating-point literals to doubles, correctly rounded.
//
// The grammar: an optional sign ('+' or '-'), digits with an optional
// decimal point (at least one digit on one side of it), then optionally an
// exponent: 'e' or 'E', an optional sign, one or more digits. Nothing else:
// no white space, no words, no hexadecimal. JSON numbers are a subset.
// A literal beyond the largest double gives an infinity of its sign; one
// below the smallest subnormal gives a zero of its sign.
#pragma once

#include <optional>
#include <string_view>

namespace calendar {

// The nearest double to the literal, or nullopt when the text does not
// follow the grammar.
std::optional<double> double_from_decimal(std::string_view text) noexcept;

}  // namespace calendar
