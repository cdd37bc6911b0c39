#include "option_pricing/b76.hpp"

#include <cmath>

#include "common/math/elementary.hpp"
#include "option_pricing/b76_terms.hpp"
#include "option_pricing/normal.hpp"

namespace option_pricing::b76 {
namespace {

using terms::d1_from_parts;
using terms::intrinsic_value;
using terms::is_degenerate;

double d1_of(double fwd, double strike, double ttx, double vol) {
    return d1_from_parts(kelvane::elementary::log(fwd / strike), ttx, vol, vol * std::sqrt(ttx));
}

double value_of(OptionType type, double fwd, double strike, double ttx, double vol, double df,
                double log_moneyness, double sqrt_ttx) {
    const double s = vol * sqrt_ttx;
    const double d1 = d1_from_parts(log_moneyness, ttx, vol, s);
    const double d2 = d1 - s;
    return terms::value_from(type, fwd, strike, df, terms::probabilities(type, d1, d2));
}

}  // namespace

double fairvalue(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) return intrinsic_value(type, fwd, strike, df);
    return value_of(type, fwd, strike, ttx, vol, df, kelvane::elementary::log(fwd / strike), std::sqrt(ttx));
}

ValueAtVol::ValueAtVol(OptionType type, double fwd, double strike, double ttx, double df)
    : type_(type), fwd_(fwd), strike_(strike), ttx_(ttx), df_(df),
      log_moneyness_(kelvane::elementary::log(fwd / strike)), sqrt_ttx_(std::sqrt(ttx)) {}

double ValueAtVol::operator()(double vol) const {
    if (is_degenerate(ttx_, vol)) return intrinsic_value(type_, fwd_, strike_, df_);
    return value_of(type_, fwd_, strike_, ttx_, vol, df_, log_moneyness_, sqrt_ttx_);
}

double vega(double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) return 0.0;
    const double d1 = d1_of(fwd, strike, ttx, vol);
    return terms::vega_from(std::sqrt(ttx), fwd, df, normal_pdf(d1));
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
