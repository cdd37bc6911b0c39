// Option types of numpy str_ elements (UCS4 code points, trailing NULs not
// part of the text) read without the interpreter: the accepted spellings in
// ASCII. Any other text is left to the scalar conversion, which reports it.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "common/strided.hpp"
#include "option_pricing/loops.hpp"

namespace kelvane::py::arrays {

// The code of an element of code points that is an accepted spelling in
// ASCII; nothing for any other (a non-ASCII or unknown text, left to the
// reading with the interpreter lock, which reports it). Touches no Python
// object, so it runs on any thread.
inline std::optional<std::uint8_t> ascii_code(const char* at, std::size_t units) noexcept {
    char lowered[5] = {};
    std::size_t length = 0;
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t c = strided::load<std::uint32_t>(at + 4 * i);
        if (c == 0) {
            for (std::size_t j = i + 1; j < units; ++j) {
                if (strided::load<std::uint32_t>(at + 4 * j) != 0) return std::nullopt;
            }
            break;
        }
        if (c >= 128 || length == 4) return std::nullopt;
        lowered[length++] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    const std::string_view text(lowered, length);
    if (text == "c" || text == "call") return option_pricing::call_code;
    if (text == "p" || text == "put") return option_pricing::put_code;
    return std::nullopt;
}

// The code of a one-letter element: "c", "C", "p" or "P"; 255 for any
// other, left to ascii_code's callers.
inline std::uint8_t letter_code(const char* at) noexcept {
    std::uint32_t c;
    std::memcpy(&c, at, sizeof c);
    c |= 0x20;  // ASCII upper to lower case; no other code point becomes 'c' or 'p'
    // Without a branch on the letter: a book mixes calls and puts in no
    // order a predictor could learn, and each wrong guess cost more than
    // the rest of the element.
    static_assert(option_pricing::call_code == 0 && option_pricing::put_code == 1);
    const bool call = c == 'c', put = c == 'p';
    return static_cast<std::uint8_t>(static_cast<unsigned>(put) | (static_cast<unsigned>(!(call || put)) * 255u));
}

}  // namespace kelvane::py::arrays
