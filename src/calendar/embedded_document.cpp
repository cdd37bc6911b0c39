#include "calendar/embedded_document.hpp"

namespace calendar {

std::optional<std::string_view> embedded_document(std::string_view underlying) noexcept {
    if (underlying == btcusdt_underlying) return btcusdt_document();
    return std::nullopt;
}

}  // namespace calendar
