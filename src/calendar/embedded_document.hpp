// The calendar documents compiled into the library.
//
// The text of each is generated at build time from its JSON file beside
// this header, after tools/make_calendar_document.py has checked it.
#pragma once

#include <optional>
#include <string_view>

namespace calendar {

inline constexpr std::string_view btcusdt_underlying = "BTCUSDT";

// The document of "BTCUSDT" (btcusdt_calendar.json).
std::string_view btcusdt_document() noexcept;

// The document of an underlying, matched exactly; nullopt when the library
// carries none.
std::optional<std::string_view> embedded_document(std::string_view underlying) noexcept;

}  // namespace calendar
