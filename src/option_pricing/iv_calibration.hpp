// The Black-76 implied-volatility solver.
//
// Brent's method on f(vol) = b76::fairvalue(vol) - price over the bracket
// [0.01, 10.0] with an absolute tolerance of 1e-4 on vol: the result is
// accurate to about 1e-4, not to machine precision. A price that the bracket
// does not contain gives NaN, never an exception; so does any input that
// makes the objective NaN at either end of the bracket.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/strided.hpp"
#include "option_pricing/option_type.hpp"

namespace option_pricing::iv_calibration {

inline constexpr double vol_lower = 0.01;
inline constexpr double vol_upper = 10.0;
inline constexpr double vol_tolerance = 1e-4;
inline constexpr int max_evaluations = 100;

double calibrate_black76_iv(OptionType type, double ttx, double fwd, double strike, double price,
                            double df);

// out[i] = calibrate_black76_iv(types[i], ttx[i], ...) over a row of options
// (types as option_pricing/loops.hpp codes them), `width` options at a time
// searched in lockstep on the vector unit (2, 4 or 8, one the machine runs:
// common/math/vector_width.hpp), with the bits of calibrate_black76_iv.
void calibrate_black76_iv_row_at(std::size_t width, std::size_t count, kelvane::strided::Row<std::uint8_t> types,
                                 kelvane::strided::Row<double> ttx, kelvane::strided::Row<double> fwd,
                                 kelvane::strided::Row<double> strike, kelvane::strided::Row<double> price,
                                 kelvane::strided::Row<double> df, kelvane::strided::OutRow<double> out) noexcept;

}  // namespace option_pricing::iv_calibration
