#include "option_pricing/normalised_black.hpp"

namespace option_pricing::normalised {
namespace {

constexpr double sqrt_half_pi = 1.2533141373155002512;
constexpr double inv_sqrt_pi = 0.56418958354775628695;

// Beyond this erfc(z) leaves the normal range, so erfcx takes its asymptotic
// series instead, whose eight terms are exact to a unit there.
constexpr double erfcx_series_from = 26.0;

// Near the money at small total vol the two terms of b cancel to the order
// of t, so b comes from its Taylor series in t there. The series is summed
// through t^15, enough for t <= 0.15 to the last bit; its derivatives of Y
// come from a forward recurrence that loses (t|h|)^2k / (2k+1)! = (|x|/2)^2k
// / (2k+1)! of the leading term, nothing for |x| <= 1/4.
constexpr double taylor_max_abs_x = 0.25;
constexpr double taylor_max_s = 0.3;

// exp(v^2) with v^2 taken exactly: v splits into a 26-bit head whose square
// is exact and a tail; the small remainder enters through three terms of its
// exponential series.
double exp_of_square(double v) {
    constexpr double splitter = 134217729.0;  // 2^27 + 1
    const double scaled = splitter * v;
    const double head = scaled - (scaled - v);
    const double tail = v - head;
    const double rest = (2.0 * head + tail) * tail;
    return exp_of(head * head) * (1.0 + rest * (1.0 + rest * (0.5 + rest * (1.0 / 6.0))));
}

// 1/(z sqrt(pi)) * sum_k (-1)^k (2k-1)!! / (2 z^2)^k, for z >= 26.
double erfcx_series(double z) {
    const double u = 0.5 / (z * z);
    double sum = 1.0;
    for (int k = 15; k >= 1; k -= 2) sum = 1.0 - k * u * sum;
    return inv_sqrt_pi / z * sum;
}

// Y(u) = N(u)/phi(u) for u <= 0 through erfcx, whose condition in its
// argument is about 1, where N's in the tail is about u^2.
double mills(double u) { return sqrt_half_pi * erfcx(-u * inv_sqrt_two); }

double normal_cdf(double u) { return 0.5 * erfc_of(-u * inv_sqrt_two); }

bool is_near_money_small_vol(double x, double s) { return -x <= taylor_max_abs_x && s <= taylor_max_s; }

// Both terms of b directly: their arguments' rounding costs (|h+t| + |h-t|)
// units of the vega, harmless once s^2 >= |x|.
bool terms_are_safe(double x, double s) { return s * s >= -x; }

// (Y(h+t) - Y(h-t)) / 2 as the series sum_k Y^(2k+1)(h) t^(2k+1)/(2k+1)!,
// with Y' = 1 + hY and Y^(n+1) = h Y^(n) + n Y^(n-1); b is this times
// 2 exp(-(h^2 + t^2)/2) / sqrt(2 pi) = 2 b'.
double mills_gap_taylor(double h, double t) {
    double previous = mills(h);
    double current = 1.0 + h * previous;
    const double t2 = t * t;
    double power = t;  // t^(2k+1) / (2k+1)!
    double sum = current * power;
    for (int n = 1; n < 15; n += 2) {
        const double even = h * current + n * previous;
        const double odd = h * even + (n + 1) * current;
        previous = even;
        current = odd;
        power *= t2 / ((n + 1) * (n + 2));
        sum += current * power;
    }
    return sum;
}

// exp(-(h^2 + t^2)/2), the Gaussian factor of b' and of b's forms below.
double gaussian(double h, double t) { return exp_of(-0.5 * (h * h + t * t)); }

// The same difference of Mills ratios in closed form, for h + t <= 0, as
// erfcx(-(h + t)/sqrt 2) - erfcx(-(h - t)/sqrt 2); b is this times
// exp(-(h^2 + t^2)/2) / 2.
double mills_gap(double h, double t) {
    return erfcx(-(h + t) * inv_sqrt_two) - erfcx(-(h - t) * inv_sqrt_two);
}

// exp(+-x/2) N(u) for u = h +- t. Below tail_from exp(-x/2) may be as
// large as 1e308; the product is then b' Y(u), as +-x/2 - u^2/2 =
// -(h^2 + t^2)/2, with neither factor out of range.

double term(double exp_half, double u, double vega) {
    if (u < tail_from) return vega * mills(u);
    return exp_half * normal_cdf(u);
}

double black_from_terms(double exp_half_x, double exp_minus_half_x, double h, double t, double vega) {
    return term(exp_half_x, h + t, vega) - term(exp_minus_half_x, h - t, vega);
}

}  // namespace

double erfcx(double z) {
    if (z < 0.0) return 2.0 * exp_of_square(z) - erfcx(-z);
    if (z < erfcx_series_from) return erfc_of(z) * exp_of_square(z);
    return erfcx_series(z);  // NaN fails both tests above and stays NaN here
}

Black::Black(double x) : Black(x, exp_of(0.5 * x)) {}

Black::Black(double x, double exp_half_x) : x_(x), exp_half_x_(exp_half_x), exp_minus_half_x_(1.0 / exp_half_x) {}

double Black::at_inflexion(double s_inflexion) const {
    if (-s_inflexion >= tail_from) return at_inflexion_in_range(exp_half_x_, exp_minus_half_x_, s_inflexion);
    // b' there is exp(x/2) / sqrt(2 pi), as h^2 + t^2 = -x.
    return 0.5 * exp_half_x_ - term(exp_minus_half_x_, -s_inflexion, exp_half_x_ * inv_sqrt_two_pi);
}

double Black::value(double s) const { return value_and_vega(s).value; }

Black::WithVega Black::value_and_vega(double s) const {
    const double h = x_ / s;
    const double t = 0.5 * s;
    const double factor = gaussian(h, t);
    const double vega = factor * inv_sqrt_two_pi;
    if (is_near_money_small_vol(x_, s)) return {2.0 * mills_gap_taylor(h, t) * factor * inv_sqrt_two_pi, vega};
    if (terms_are_safe(x_, s)) return {black_from_terms(exp_half_x_, exp_minus_half_x_, h, t, vega), vega};
    return {0.5 * mills_gap(h, t) * factor, vega};
}

double Black::complement(double s) const {
    const double h = x_ / s;
    const double t = 0.5 * s;
    if (is_near_money_small_vol(x_, s) || !terms_are_safe(x_, s)) return exp_half_x_ - value(s);
    const double near = -(h + t), far = h - t;
    const double vega = near < tail_from || far < tail_from ? black_vega(x_, s) : 0.0;
    return term(exp_half_x_, near, vega) + term(exp_minus_half_x_, far, vega);
}

double black_vega(double x, double s) { return gaussian(x / s, 0.5 * s) * inv_sqrt_two_pi; }

}  // namespace option_pricing::normalised
