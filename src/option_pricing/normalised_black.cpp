#include "option_pricing/normalised_black.hpp"

namespace option_pricing::normalised {
namespace {

double normal_cdf(double u) { return 0.5 * erfc_of(-u * inv_sqrt_two); }

// exp(-(h^2 + t^2)/2), the Gaussian factor of b' and of b's forms below.
double gaussian(double h, double t) { return exp_of(-0.5 * (h * h + t * t)); }

// Above the inflexion point (h + t > 0), exp(x/2) - b: each term of b is
// b' Y(u) for its u (the header), and N(h + t) = 1 - N(-h - t), so the distance
// to the upper bound is the sum b' (Y(-h - t) + Y(h - t)), which cancels
// nothing; times 2 / exp(-(h^2 + t^2)/2) = 2 b' sqrt(2 pi), this is
// erfcx((h + t)/sqrt 2) + erfcx(-(h - t)/sqrt 2).
double mills_sum(double h, double t) {
    return erfcx_of((h + t) * inv_sqrt_two) + erfcx_of(-(h - t) * inv_sqrt_two);
}

// exp(-x/2) N(u) at the inflexion point, u = -s_c. Below tail_from
// exp(-x/2) may be as large as 1e308; the product is then b' Y(u), as
// -x/2 - u^2/2 = -(h^2 + t^2)/2, with neither factor out of range.
double term(double exp_half, double u, double vega) {
    if (u < tail_from) return vega * mills_ratio(u);
    return exp_half * normal_cdf(u);
}

}  // namespace

Black::Black(double x) : Black(x, exp_of(0.5 * x)) {}

Black::Black(double x, double exp_half_x) : x_(x), exp_half_x_(exp_half_x), exp_minus_half_x_(1.0 / exp_half_x) {}

double Black::at_inflexion(double s_inflexion) const {
    if (-s_inflexion >= tail_from) return at_inflexion_in_range(exp_half_x_, exp_minus_half_x_, s_inflexion);
    // b' there is exp(x/2) / sqrt(2 pi), as h^2 + t^2 = -x.
    return 0.5 * exp_half_x_ - term(exp_minus_half_x_, -s_inflexion, exp_half_x_ * inv_sqrt_two_pi);
}

double Black::value(double s) const { return value_and_vega(s).value; }

Black::WithVega Black::value_and_vega(double s) const {
    const ValueAndVega<double> at = value_and_vega_lanes(x_, exp_half_x_, s);
    return {at.value, at.vega};
}

double Black::complement(double s) const {
    const double h = x_ / s;
    const double t = 0.5 * s;
    if (is_near_money_small_vol(x_, s) || !(h + t > 0.0)) return exp_half_x_ - value(s);
    return 0.5 * mills_sum(h, t) * gaussian(h, t);
}

double black_vega(double x, double s) { return gaussian(x / s, 0.5 * s) * inv_sqrt_two_pi; }

}  // namespace option_pricing::normalised
