#include "option_pricing/option_type.hpp"

#include <string>

namespace option_pricing {

kelvane::Result<OptionType> parse_lowered_option_type(std::string_view lowered) {
    if (lowered == "c" || lowered == "call") return OptionType::Call;
    if (lowered == "p" || lowered == "put") return OptionType::Put;
    return kelvane::fail("Unknown option type: '" + std::string(lowered) +
                         "'. Use 'call'/'c' or 'put'/'p'.");
}

}  // namespace option_pricing
