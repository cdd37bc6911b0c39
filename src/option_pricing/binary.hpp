// Value and greeks of a binary (cash-or-nothing) option on a forward that
// pays one unit at expiry.
//
// Every greek is the exact derivative of the one value formula D * N(d) with
// d = ln(F/K) / (vol * sqrt(T)), the point midway between Black-76's d1 and
// d2. A put's greek is the call's with its sign flipped (zeros included).
//
// Numeric policy: as for Black-76. T <= 0 or vol <= 0 is the degenerate
// expiry: the value is D when the option is in the money at the forward
// (strictly: at F == K, or with a NaN F or K, it is 0) and every greek is
// +0.0. Other out-of-domain inputs give IEEE results; nothing fails.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/strided.hpp"
#include "option_pricing/option_type.hpp"

namespace option_pricing::binary {

double fairvalue(OptionType type, double fwd, double strike, double ttx, double vol, double df);

// out[i] = fairvalue(types[i], fwd[i], ...) a vector of options at a time,
// as b76::fairvalue_row_at (option_pricing/b76.hpp) does.
void fairvalue_row_at(std::size_t width, std::size_t count, kelvane::strided::Row<std::uint8_t> types,
                      kelvane::strided::Row<double> fwd, kelvane::strided::Row<double> strike,
                      kelvane::strided::Row<double> ttx, kelvane::strided::Row<double> vol,
                      kelvane::strided::Row<double> df, kelvane::strided::OutRow<double> out) noexcept;
double vega(OptionType type, double fwd, double strike, double ttx, double vol, double df);
double delta(OptionType type, double fwd, double strike, double ttx, double vol, double df);
double gamma(OptionType type, double fwd, double strike, double ttx, double vol, double df);
double speed(OptionType type, double fwd, double strike, double ttx, double vol, double df);
// Minus the derivative with respect to T, per year, D held fixed.
double theta(OptionType type, double fwd, double strike, double ttx, double vol, double df);

// The greeks' row loops over vectors, as fairvalue_row_at.
using OptionRowAt = void(std::size_t width, std::size_t count, kelvane::strided::Row<std::uint8_t> types,
                         kelvane::strided::Row<double> fwd, kelvane::strided::Row<double> strike,
                         kelvane::strided::Row<double> ttx, kelvane::strided::Row<double> vol,
                         kelvane::strided::Row<double> df, kelvane::strided::OutRow<double> out) noexcept;
OptionRowAt vega_row_at, delta_row_at, gamma_row_at, speed_row_at, theta_row_at;

}  // namespace option_pricing::binary
