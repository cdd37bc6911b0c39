// The Black-76 implied volatility to the precision the price allows.
//
// Unlike calibrate_black76_iv (Brent on [0.01, 10] to 1e-4), this inverts
// b76::fairvalue for any total vol: the price is reduced to the normalised
// Black function of an out-of-the-money call (normalised_black.hpp) and its
// total vol s = vol sqrt(T) solved by Householder steps of order three on an
// objective that is nearly linear in s: 1/ln b below the inflexion point
// s = sqrt(2|x|), b itself above it, ln(exp(x/2) - b) near the upper bound.
// Each starts from a closed-form asymptotic guess and is kept inside the
// bracket its evaluations establish. An evaluation within 2% of the root
// ends the solve: every derivative of b there is in closed form, and the
// root of the objective's Taylor polynomial through the eighth power of the
// step is the last step.
//
// Accuracy: for a price strictly between the bounds below, the result
// differs from the exact vol of that double price by at most
// 32 eps (1 + kappa) of it, eps = 2^-52, where kappa = price / (vol * vega)
// is the condition number of the inversion: the relative change in vol that
// a relative change in the price makes. Out of the money far into the tails
// (prices down to 1e-250 of the forward) kappa is small and the result keeps
// full relative accuracy; near the upper bound kappa grows without limit, as
// the price itself then says little about the vol. The bound holds for any
// moneyness two doubles can have (|ln F/K| up to some 1450), so long as the
// price, and the price divided by D sqrt(F K), are normal doubles: a
// subnormal one holds fewer bits than the bound assumes.
//
// Bounds and NaN policy: a call lies between D max(F - K, 0) and D F, a put
// between D max(K - F, 0) and D K. A price at the lower bound gives 0.0, at
// the upper bound +inf, beyond either NaN. T, F, K or D that is not a
// positive finite number, or a NaN price, gives NaN, as would a solve that
// did not converge (none is known). Nothing here fails or throws.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/strided.hpp"
#include "option_pricing/option_type.hpp"

namespace option_pricing::implied_vol {

double black76_implied_vol(OptionType type, double ttx, double fwd, double strike, double price, double df);

// out[i] = black76_implied_vol(types[i], ttx[i], ...) over a row of options
// (types as option_pricing/loops.hpp codes them), `width` options at a time
// solved in lockstep on the vector unit (2, 4 or 8, one the machine runs:
// common/math/vector_width.hpp), with the bits of black76_implied_vol.
void black76_implied_vol_row_at(std::size_t width, std::size_t count, kelvane::strided::Row<std::uint8_t> types,
                                kelvane::strided::Row<double> ttx, kelvane::strided::Row<double> fwd,
                                kelvane::strided::Row<double> strike, kelvane::strided::Row<double> price,
                                kelvane::strided::Row<double> df, kelvane::strided::OutRow<double> out) noexcept;

// The total vol s of the normalised price beta = b(x, s), x <= 0, given
// also its distance to the upper bound, beta_complement = exp(x/2) - beta,
// taken from the prices so that it keeps its own relative accuracy. Both
// must be positive.
double normalised_implied_total_vol(double x, double beta, double beta_complement);

}  // namespace option_pricing::implied_vol
