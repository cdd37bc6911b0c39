#include "option_pricing/binary.hpp"

#include <cmath>

#include "common/math/elementary.hpp"
#include "common/math/vector_width.hpp"
#include "option_pricing/normal.hpp"
#include "option_pricing/vector_rows.hpp"

namespace option_pricing::binary {
namespace {

template <class V>
[[gnu::always_inline]] inline lanes::Mask<V> is_degenerate(V ttx, V vol) {
    return lanes::Lanes<V>::either(ttx <= 0.0, vol <= 0.0);
}

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

// fairvalue over lanes; the scalar takes the degenerate branch, a vector
// computes both sides and selects.
struct Fairvalue {
    template <class V>
    [[gnu::always_inline]] static V of(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        using L = lanes::Lanes<V>;
        const auto degenerate = is_degenerate(ttx, vol);
        // Strictly in the money: at F == K, or with a NaN F or K, it is not.
        const auto in_the_money = L::either(L::both(call, fwd > strike), L::both(!call, fwd < strike));
        const V at_expiry = df * lanes::select<V>(in_the_money, lanes::splat<V>(1.0), lanes::splat<V>(0.0));
        if constexpr (lanes::is_scalar<V>) {
            if (degenerate) return at_expiry;
        }
        const V d = kelvane::elementary::log(fwd / strike) / (vol * lanes::square_root<V>(ttx));
        if constexpr (lanes::is_scalar<V>) {
            return call ? df * normal_cdf(d) : df * normal_cdf(-d);
        } else {
            const V value = df * normal_cdf(lanes::select<V>(call, d, -d));
            return lanes::select<V>(degenerate, at_expiry, value);
        }
    }
    static double scalar(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
        return fairvalue(type, fwd, strike, ttx, vol, df);
    }
};

}  // namespace

// Never inlined: the loops over vectors call this body for their NaN lanes
// and tails, so that a NaN's payload is the one the scalar call gives.
[[gnu::noinline]] double fairvalue(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    return Fairvalue::of<double>(lanes::calls(type), fwd, strike, ttx, vol, df);
}

void fairvalue_row_at(std::size_t width, std::size_t count, Row<std::uint8_t> types, Row<double> fwd,
                      Row<double> strike, Row<double> ttx, Row<double> vol, Row<double> df, OutRow out) noexcept {
    lanes::option_row_at<Fairvalue>(width, count, {types, fwd, strike, ttx, vol, df, out});
}

void fairvalue_row(std::size_t count, Row<std::uint8_t> types, Row<double> fwd, Row<double> strike,
                   Row<double> ttx, Row<double> vol, Row<double> df, OutRow out) noexcept {
    fairvalue_row_at(kelvane::vectors::width(), count, types, fwd, strike, ttx, vol, df, out);
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
