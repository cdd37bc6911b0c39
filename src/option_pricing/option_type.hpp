#pragma once

#include <string_view>

#include "common/error.hpp"

namespace option_pricing {

enum class OptionType { Call, Put };

// Accepts "c", "call", "p", "put" in any letter case. The caller passes the
// text already lower-cased with the full Unicode mapping (the binding layer
// owns Unicode); an error names that lower-cased text.
kelvane::Result<OptionType> parse_lowered_option_type(std::string_view lowered);

}  // namespace option_pricing
