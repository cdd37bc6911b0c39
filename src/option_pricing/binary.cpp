#include "option_pricing/binary.hpp"

#include <cmath>

#include "common/math/elementary.hpp"
#include "option_pricing/normal.hpp"

namespace option_pricing::binary {
namespace {

bool is_degenerate(double ttx, double vol) { return ttx <= 0.0 || vol <= 0.0; }

struct State {
    double s;  // vol * sqrt(T)
    double d;  // ln(F/K) / s
};

State state_of(double fwd, double strike, double ttx, double vol) {
    const double s = vol * std::sqrt(ttx);
    return {s, kelvane::elementary::log(fwd / strike) / s};
}

// D * phi(d) with the sign of the derivative folded into the divisor, the
// order in which the vega and gamma reference values were computed.
double neg_discounted_pdf(double d, double df) {
    return (kelvane::elementary::exp(-(d * d) / 2.0) / -sqrt_two_pi) * df;
}

double signed_for(OptionType type, double call_greek) {
    return type == OptionType::Call ? call_greek : -call_greek;
}

}  // namespace

double fairvalue(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) {
        const bool in_the_money = type == OptionType::Call ? fwd > strike : fwd < strike;
        return df * (in_the_money ? 1.0 : 0.0);
    }
    const State st = state_of(fwd, strike, ttx, vol);
    return type == OptionType::Call ? df * normal_cdf(st.d) : df * normal_cdf(-st.d);
}

double vega(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) return 0.0;
    const State st = state_of(fwd, strike, ttx, vol);
    return signed_for(type, st.d * neg_discounted_pdf(st.d, df) / vol);
}

double delta(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) return 0.0;
    const State st = state_of(fwd, strike, ttx, vol);
    return signed_for(type, df * normal_pdf(st.d) / (std::sqrt(ttx) * (fwd * vol)));
}

double gamma(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) return 0.0;
    const State st = state_of(fwd, strike, ttx, vol);
    const double inv_s = 1.0 / st.s;
    const double inv_f = 1.0 / fwd;
    const double g = (st.d * inv_s + 1.0) * (inv_s * (inv_f * (inv_f * neg_discounted_pdf(st.d, df))));
    return signed_for(type, g);
}

double speed(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) return 0.0;
    const State st = state_of(fwd, strike, ttx, vol);
    const double ds = st.d / st.s;
    const double shape = (ds + 1.0) * (ds + 2.0) - 1.0 / (st.s * st.s);
    const double scale = (1.0 / (fwd * (fwd * fwd))) * (df * normal_pdf(st.d)) / st.s;
    return signed_for(type, shape * scale);
}

double theta(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    if (is_degenerate(ttx, vol)) return 0.0;
    const State st = state_of(fwd, strike, ttx, vol);
    return signed_for(type, st.d * (df * 0.5 * normal_pdf(st.d)) / ttx);
}

}  // namespace option_pricing::binary
