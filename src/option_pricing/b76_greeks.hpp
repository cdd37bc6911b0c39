// Every standard Black-76 greek of one option in one pass: d1, d2, the two
// normal probabilities and the density are computed once per option and
// shared by the greeks asked for.
//
// With V the Black-76 value and the discount factor D held fixed (it is an
// input, not a rate), the greeks are, in registry order:
//
//   value       V, bit for bit b76::fairvalue
//   delta       dV/dF               D N(d1); put -D N(-d1)
//   gamma       d2V/dF2             D phi(d1) / (F s)
//   vega        dV/dvol             bit for bit b76::vega (per 1.0 of vol)
//   theta       -dV/dT              -D F phi(d1) vol / (2 sqrt T) (per year)
//   rho         dV/dr, D = e^(-rT)  -T V
//   vanna       d2V/dF dvol         -D phi(d1) d2 / vol
//   volga       d2V/dvol2           vega d1 d2 / vol
//   charm       -d2V/dF dT          D phi(d1) d2 / (2T)
//   veta        -d2V/dvol dT        -D F phi(d1) (1 + d1 d2) / (2 sqrt T)
//   speed       d3V/dF3             -gamma (1 + d1 / s) / F
//   zomma       d3V/dF2 dvol        gamma (d1 d2 - 1) / vol
//   color       -d3V/dF2 dT         gamma (1 - d1 d2) / (2T)
//   ultima      d3V/dvol3           -vega (d1 d2 (1 - d1 d2) + d1^2 + d2^2) / vol^2
//   dual_delta  dV/dK               -D N(d2); put D N(-d2)
//   dual_gamma  d2V/dK2             D phi(d2) / (K s)
//
// where s = vol sqrt(T). Calls and puts share every greek but value, delta
// and dual_delta (put-call parity moves those by constants).
//
// Numeric policy. Accuracy: each greek is within a few 1e-16 of the size of
// the terms it is made of, times 1 + d1^2 + d2^2 (the conditioning of phi
// and N at d1 and d2 computed with relative errors). ln(F/K) is taken of F/K
// rounded to a double, which would move d1 and d2 by about 1e-16 / s; the
// greeks but vega undo that to first order (the value needs no undoing: it
// cancels out of it). vega keeps b76::vega's bits, so its error carries a
// further factor 1 + 1/s. A greek far below the smallest normal double loses
// its relative accuracy to underflow; dual gamma is gamma (F/K)^2, so it is
// 0 where phi(d1) underflows even if phi(d2) would not (F/K beyond e^700 or
// so).
// Degenerate expiry (T <= 0 or vol <= 0, decided as b76::fairvalue decides
// it; a NaN T or vol with the other positive is not degenerate and gives NaN
// everywhere): each greek is its limit as vol sqrt(T) -> 0+ where that is
// finite, and +0.0 where it is not, as b76::vega and b76::gamma are. So the
// value is the discounted intrinsic value; a call's delta is D in the money
// (F > K), +0.0 out of it and D/2 at the money, a put's the call's minus D;
// a call's dual delta is -D in the money, +0.0 out of it and -D/2 at the
// money, a put's the call's plus D; rho is -T V for T > 0 and +0.0
// otherwise; every other greek is +0.0. NaN: a NaN input gives NaN in every
// greek, except that value and vega keep the bits of b76::fairvalue and
// b76::vega, which at a degenerate expiry are the intrinsic value (0 for a
// NaN F or K, by maxNum) and 0. Nothing here fails.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/strided.hpp"
#include "option_pricing/option_type.hpp"

namespace option_pricing::b76 {

enum class Greek : std::uint8_t {
    value, delta, gamma, vega, theta, rho, vanna, volga, charm, veta, speed, zomma, color, ultima,
    dual_delta, dual_gamma,
};

inline constexpr std::size_t greek_count = 16;

// A set of greeks, bit g for Greek g.
using GreekSet = std::uint32_t;
inline constexpr GreekSet all_greeks = (GreekSet{1} << greek_count) - 1;

inline constexpr GreekSet greek_bit(Greek g) { return GreekSet{1} << static_cast<unsigned>(g); }

// One option's greeks, indexed by Greek.
using Greeks = std::array<double, greek_count>;

// The greeks of `wanted`; the other entries of the result are unspecified.
Greeks greeks(OptionType type, double fwd, double strike, double ttx, double vol, double df,
              GreekSet wanted = all_greeks) noexcept;

// One output row of a greeks loop: the greek it receives and where.
struct GreekRow {
    Greek greek;
    kelvane::strided::OutRow<double> out;
};

// For each option i of the row, outs[j].out[i] = greeks(...)[outs[j].greek];
// types are codes (0 a call, anything else a put). The row runs a vector of
// options at a time on the machine's unit (common/math/vector_width.hpp),
// each element with the bits of greeks(); greeks_row_at runs the loop of a
// given width (2, 4 or 8 doubles; one the machine supports).
void greeks_row(std::size_t count, kelvane::strided::Row<std::uint8_t> types,
                kelvane::strided::Row<double> fwd, kelvane::strided::Row<double> strike,
                kelvane::strided::Row<double> ttx, kelvane::strided::Row<double> vol,
                kelvane::strided::Row<double> df, std::span<const GreekRow> outs) noexcept;
void greeks_row_at(std::size_t width, std::size_t count, kelvane::strided::Row<std::uint8_t> types,
                   kelvane::strided::Row<double> fwd, kelvane::strided::Row<double> strike,
                   kelvane::strided::Row<double> ttx, kelvane::strided::Row<double> vol,
                   kelvane::strided::Row<double> df, std::span<const GreekRow> outs) noexcept;

}  // namespace option_pricing::b76
