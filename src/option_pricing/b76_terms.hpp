// The pieces of the Black-76 formulas that b76.cpp and the greeks share, so
// that a value or a vega computed beside the other greeks has the bits of
// b76::fairvalue and b76::vega. Their evaluation orders are those of the
// published values (see b76.hpp); do not regroup them.
#pragma once

#include <cmath>

#include "option_pricing/normal.hpp"
#include "option_pricing/option_type.hpp"

namespace option_pricing::b76::terms {

// A NaN ttx or vol is not degenerate: it propagates through the formulas.
inline bool is_degenerate(double ttx, double vol) { return ttx <= 0.0 || vol <= 0.0; }

inline double d1_from_parts(double log_moneyness, double ttx, double vol, double s) {
    return (log_moneyness + ttx * (vol * (vol * 0.5))) / s;
}

inline double intrinsic_value(OptionType type, double fwd, double strike, double df) {
    // fmax is IEEE maxNum: a NaN difference gives 0.
    const double intrinsic = type == OptionType::Call ? fwd - strike : strike - fwd;
    return df * std::fmax(intrinsic, 0.0);
}

// The two probabilities a value is made of: N(d1) and N(d2) for a call,
// N(-d1) and N(-d2) for a put (not 1 - N: no cancellation deep out of the
// money).
struct Probabilities {
    double of_d1;
    double of_d2;
};

inline Probabilities probabilities(OptionType type, double d1, double d2) {
    if (type == OptionType::Call) return {normal_cdf(d1), normal_cdf(d2)};
    return {normal_cdf(-d1), normal_cdf(-d2)};
}

inline double value_from(OptionType type, double fwd, double strike, double df, Probabilities n) {
    if (type == OptionType::Call) return df * (fwd * n.of_d1 - strike * n.of_d2);
    return df * (strike * n.of_d2 - fwd * n.of_d1);
}

inline double vega_from(double sqrt_ttx, double fwd, double df, double pdf_d1) {
    return sqrt_ttx * (fwd * df * pdf_d1);
}

}  // namespace option_pricing::b76::terms
