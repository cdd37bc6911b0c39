#include "option_pricing/implied_vol.hpp"

#include <cmath>
#include <limits>
#ifdef IV_TRACE
#include <cstdio>
#endif

#include "option_pricing/normalised_black.hpp"

namespace option_pricing::implied_vol {
namespace {

using normalised::Black;
using normalised::exp_of;
using normalised::log_of;
using normalised::sqrt_of;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double log_sqrt_two_pi = 0.91893853320467274178;
constexpr double inv_sqrt_two_pi = 0.39894228040143267794;

// Quartic convergence: once a step is this small relative to s, the error
// left after it is far below a unit in the last place.
constexpr double last_step = 1e-5;
constexpr int max_steps = 12;

enum class Objective { Lower, Middle, Upper };

// b''/b' and b'''/b' at s, in closed form from b' = exp(-(h^2 + t^2)/2).
struct Curvature {
    double second, third;
};

Curvature curvature(double x, double s) {
    const double x2_s3 = x * x / (s * s * s);
    const double q = x2_s3 - 0.25 * s;
    return {q, q * q - 3.0 * x2_s3 / s - 0.25};
}

// The Householder step of order three for g with -g/g' = newton and
// g''/g' = second, g'''/g' = third.
double householder(double newton, double second, double third) {
    return newton * (1.0 + 0.5 * second * newton) / (1.0 + newton * (second + third * newton * (1.0 / 6.0)));
}

// ln(F/K) to a unit in its last place even near the money, where the
// rounding of F/K alone would cost 1/|ln(F/K)| units, and the vol of a
// small total vol moves with ln(F/K) unit for unit.
double log_moneyness(double fwd, double strike) {
    const double ratio = fwd / strike;
    if (ratio > 0.5 && ratio < 2.0) return normalised::log1p_of((fwd - strike) / strike);  // fwd - strike is exact
    return log_of(ratio);
}

bool is_positive_finite(double v) { return v > 0.0 && v < infinity; }

class Solver {
public:
    Solver(double x, double beta, double beta_complement)
        : black_(x), x_(x), beta_(beta), complement_(beta_complement) {}

    double solve() {
        const double s_inflexion = sqrt_of(-2.0 * x_);
        const double b_inflexion = x_ < 0.0 ? black_.value(s_inflexion) : 0.0;
        double s;
        if (beta_ < b_inflexion) {
            objective_ = Objective::Lower;
            log_beta_ = log_of(beta_);
            high_ = s_inflexion;
            s = lower_guess(s_inflexion);
        } else {
            low_ = s_inflexion;
            // At the money the inflexion point is s = 0, where b' = 1/sqrt(2 pi).
            const double vega = x_ < 0.0 ? normalised::black_vega(x_, s_inflexion) : inv_sqrt_two_pi;
            const double tangent = s_inflexion + (beta_ - b_inflexion) / vega;
            if (complement_ < 0.5 * black_.upper()) {
                objective_ = Objective::Upper;
                s = std::fmax(tangent, upper_guess());
            } else {
                objective_ = Objective::Middle;
                s = tangent;
            }
        }
        return iterate(s);
    }

private:
    // b ~ exp(-x^2/(2 s^2)) s^3 / (x^2 sqrt(2 pi)) as s -> 0, solved for s by
    // two fixed-point steps from the leading term.
    double lower_guess(double s_inflexion) const {
        double u = -log_beta_;
        double s = -x_ / sqrt_of(2.0 * u);
        for (int k = 0; k < 2; ++k) {
            u = -log_beta_ + log_of(s * s * s / (x_ * x_)) - log_sqrt_two_pi - 0.125 * s * s;
            if (!(u > 0.0)) return 0.5 * s_inflexion;
            s = -x_ / sqrt_of(2.0 * u);
        }
        return std::fmin(s, s_inflexion);
    }

    // exp(x/2) - b ~ exp(-(h^2 + t^2)/2) 2t / ((t^2 - h^2) sqrt(2 pi)) as s
    // grows, solved for t^2/2 by fixed-point steps from the leading term.
    double upper_guess() const {
        const double log_complement = log_of(complement_);
        double w = -log_complement;
        double s = 0.0;
        for (int k = 0; k < 3; ++k) {
            if (!(w > 0.0)) return 0.0;
            const double t = sqrt_of(2.0 * w);
            const double h = x_ / (2.0 * t);
            const double spread = t * t - h * h;
            if (!(spread > 0.0)) return 0.0;
            s = 2.0 * t;
            w = -log_complement - 0.5 * h * h - log_sqrt_two_pi + log_of(2.0 * t / spread);
        }
        return s;
    }

    double iterate(double s) {
        for (int k = 0; k < max_steps; ++k) {
            if (!(s > 0.0 && s >= low_ && s <= high_)) s = fallback();
            const double step = step_at(s);
            const double next = s + step;
#ifdef IV_TRACE
            std::fprintf(stderr, "k=%d obj=%d s=%.17g step=%.3g\n", k, int(objective_), s, step);
#endif
            if (std::fabs(step) <= last_step * s || next == s) return next;
            s = next;
        }
        return s;
    }

    // A point inside the bracket when a step leaves it.
    double fallback() const { return high_ < infinity ? 0.5 * (low_ + high_) : std::fmax(2.0 * low_, 1.0); }

    // The step from s, after narrowing the bracket by the sign of b(s) - beta.
    double step_at(double s) {
        const double vega = normalised::black_vega(x_, s);
        const Curvature c = curvature(x_, s);
        if (objective_ == Objective::Upper) {
            const double complement = black_.complement(s);
            narrow(s, complement < complement_);
            const double mu = -vega / complement;
            const double newton = -log_of(complement / complement_) / mu;
            return householder(newton, c.second - mu, c.third - 3.0 * mu * c.second + 2.0 * mu * mu);
        }
        const double b = black_.value(s);
        narrow(s, b > beta_);
        if (objective_ == Objective::Middle) return householder((beta_ - b) / vega, c.second, c.third);
        const double lambda = vega / b;
        const double log_b = log_of(b);
        const double newton = -log_of(b / beta_) * log_b / (log_beta_ * lambda);
        const double d2 = c.second - lambda;
        const double d3 = c.third - 3.0 * lambda * c.second + 2.0 * lambda * lambda;
        return householder(newton, d2 - 2.0 * lambda / log_b,
                           d3 - 6.0 * lambda * d2 / log_b + 6.0 * lambda * lambda / (log_b * log_b));
    }

    void narrow(double s, bool above) {
        if (above) {
            high_ = std::fmin(high_, s);
        } else {
            low_ = std::fmax(low_, s);
        }
    }

    Black black_;
    double x_, beta_, complement_;
    double log_beta_ = 0.0;
    double low_ = 0.0, high_ = infinity;
    Objective objective_ = Objective::Middle;
};

}  // namespace

double normalised_implied_total_vol(double x, double beta, double beta_complement) {
    return Solver(x, beta, beta_complement).solve();
}

double black76_implied_vol(OptionType type, double ttx, double fwd, double strike, double price, double df) {
    if (!(is_positive_finite(ttx) && is_positive_finite(fwd) && is_positive_finite(strike) &&
          is_positive_finite(df))) {
        return nan;
    }
    const bool call = type == OptionType::Call;
    const double intrinsic = df * (call ? fwd - strike : strike - fwd);
    const double lower = std::fmax(intrinsic, 0.0);
    const double upper = df * (call ? fwd : strike);
    if (!(price >= lower && price <= upper)) return nan;  // NaN too
    if (price == lower) return 0.0;
    if (price == upper) return infinity;
    // The out-of-the-money option of the pair, by parity; a put at x is the
    // call at -x once both are divided by D sqrt(F K).
    const double out_of_money = intrinsic > 0.0 ? price - intrinsic : price;
    const double scale = df * sqrt_of(fwd) * sqrt_of(strike);
    const double beta = out_of_money / scale;
    const double beta_complement = (upper - price) / scale;
    if (!(beta > 0.0)) return 0.0;
    if (!(beta_complement > 0.0)) return infinity;
    const double x = -std::fabs(log_moneyness(fwd, strike));
    return normalised_implied_total_vol(x, beta, beta_complement) / sqrt_of(ttx);
}

}  // namespace option_pricing::implied_vol
