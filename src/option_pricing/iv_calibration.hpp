// The Black-76 implied-volatility solver.
//
// Brent's method on f(vol) = b76::fairvalue(vol) - price over the bracket
// [0.01, 10.0] with an absolute tolerance of 1e-4 on vol: the result is
// accurate to about 1e-4, not to machine precision. A price that the bracket
// does not contain gives NaN, never an exception; so does any input that
// makes the objective NaN at either end of the bracket.
#pragma once

#include "option_pricing/option_type.hpp"

namespace option_pricing::iv_calibration {

inline constexpr double vol_lower = 0.01;
inline constexpr double vol_upper = 10.0;
inline constexpr double vol_tolerance = 1e-4;
inline constexpr int max_evaluations = 100;

double calibrate_black76_iv(OptionType type, double ttx, double fwd, double strike, double price,
                            double df);

}  // namespace option_pricing::iv_calibration
