#include "option_pricing/iv_calibration.hpp"

#include <cmath>
#include <limits>

#include "option_pricing/b76.hpp"
#include "option_pricing/brent.hpp"

namespace option_pricing::iv_calibration {

double calibrate_black76_iv(OptionType type, double ttx, double fwd, double strike, double price,
                            double df) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const b76::ValueAtVol value(type, fwd, strike, ttx, df);
    const auto objective = [&](double vol) { return value(vol) - price; };
    const Bracket bracket{vol_lower, objective(vol_lower), vol_upper, objective(vol_upper)};
    // Every comparison with NaN is false, so a NaN end passes the sign test
    // and Brent would bisect toward a plausible-looking 0.0101: a NaN price,
    // forward, strike or time has no implied volatility.
    if (std::isnan(bracket.f_lower) || std::isnan(bracket.f_upper)) return nan;
    const auto root = brent_root(objective, bracket, vol_tolerance, max_evaluations);
    return root ? *root : nan;
}

}  // namespace option_pricing::iv_calibration
