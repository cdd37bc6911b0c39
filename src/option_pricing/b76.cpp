#include "option_pricing/b76.hpp"

#include <cmath>

#include "option_pricing/normal.hpp"

namespace option_pricing::b76 {
namespace {

bool is_degenerate(double ttx, double vol) { return ttx <= 0.0 || vol <= 0.0; }

double d1_of(double fwd, double strike, double ttx, double vol) {
    const double s = vol * std::sqrt(ttx);
    return (std::log(fwd / strike) + ttx * (vol * (vol * 0.5))) / s;
}

}  // namespace

double fairvalue(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) {
        // fmax is IEEE maxNum: a NaN difference gives 0.
        const double intrinsic = type == OptionType::Call ? fwd - strike : strike - fwd;
        return df * std::fmax(intrinsic, 0.0);
    }
    const double s = vol * std::sqrt(ttx);
    const double d1 = d1_of(fwd, strike, ttx, vol);
    const double d2 = d1 - s;
    if (type == OptionType::Call) {
        return df * (fwd * normal_cdf(d1) - strike * normal_cdf(d2));
    }
    // N(-d) rather than 1 - N(d): no cancellation deep out of the money.
    return df * (strike * normal_cdf(-d2) - fwd * normal_cdf(-d1));
}

double vega(double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) return 0.0;
    const double d1 = d1_of(fwd, strike, ttx, vol);
    return std::sqrt(ttx) * (fwd * df * normal_pdf(d1));
}

double gamma(double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) return 0.0;
    const double d1 = d1_of(fwd, strike, ttx, vol);
    return df * normal_pdf(d1) / (std::sqrt(ttx) * (fwd * fwd * vol));
}

double delta(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) return 0.0;  // +0.0 for puts too
    const double d1 = d1_of(fwd, strike, ttx, vol);
    const double g = df * normal_pdf(d1) / (std::sqrt(ttx) * (fwd * vol));
    return type == OptionType::Call ? g : -g;
}

}  // namespace option_pricing::b76
