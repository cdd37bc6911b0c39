// The names of the pricing functions, which the scalar and the array module
// both register and report in their messages.
#pragma once

namespace kelvane::py::names {

inline constexpr char b76_fairvalue[] = "b76_fairvalue";
inline constexpr char b76_delta[] = "b76_delta";
inline constexpr char b76_vega[] = "b76_vega";
inline constexpr char b76_gamma[] = "b76_gamma";
inline constexpr char binary_fairvalue[] = "binary_fairvalue";
inline constexpr char binary_vega[] = "binary_vega";
inline constexpr char binary_delta[] = "binary_delta";
inline constexpr char binary_gamma[] = "binary_gamma";
inline constexpr char binary_speed[] = "binary_speed";
inline constexpr char binary_theta[] = "binary_theta";
inline constexpr char calibrate_black76_iv[] = "calibrate_black76_iv";

}  // namespace kelvane::py::names
