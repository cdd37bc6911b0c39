// The pieces of the Black-76 formulas that b76.cpp and the greeks share, so
// that a value or a vega computed beside the other greeks has the bits of
// b76::fairvalue and b76::vega. Their evaluation orders are those of the
// published values (see b76.hpp); do not regroup them. Each is a template
// over the lanes of option_pricing/vector_rows.hpp, `call` a mask of calls.
#pragma once

#include "option_pricing/normal.hpp"
#include "option_pricing/option_type.hpp"
#include "option_pricing/vector_rows.hpp"

namespace option_pricing::b76::terms {

using lanes::Mask;
using lanes::select;

// A NaN ttx or vol is not degenerate: it propagates through the formulas.
template <class V>
[[gnu::always_inline]] inline Mask<V> is_degenerate(V ttx, V vol) {
    return lanes::Lanes<V>::either(ttx <= 0.0, vol <= 0.0);
}

template <class V>
[[gnu::always_inline]] inline V d1_from_parts(V log_moneyness, V ttx, V vol, V s) {
    return (log_moneyness + ttx * (vol * (vol * 0.5))) / s;
}

template <class V>
[[gnu::always_inline]] inline V intrinsic_value(Mask<V> call, V fwd, V strike, V df) {
    // maxNum: a NaN difference gives 0.
    return df * lanes::max_with_zero<V>(select<V>(call, fwd - strike, strike - fwd));
}

inline double intrinsic_value(OptionType type, double fwd, double strike, double df) {
    return intrinsic_value<double>(lanes::calls(type), fwd, strike, df);
}

// The two probabilities a value is made of: N(d1) and N(d2) for a call,
// N(-d1) and N(-d2) for a put (not 1 - N: no cancellation deep out of the
// money).
template <class V>
struct Probabilities {
    V of_d1;
    V of_d2;
};

// The scalar branches where a vector selects: the same operations, and a
// NaN meeting another NaN passes on the one it always has.
template <class V>
[[gnu::always_inline]] inline Probabilities<V> probabilities(Mask<V> call, V d1, V d2) {
    if constexpr (lanes::is_scalar<V>) {
        if (call) return {normal_cdf(d1), normal_cdf(d2)};
        return {normal_cdf(-d1), normal_cdf(-d2)};
    } else {
        return {normal_cdf(select<V>(call, d1, -d1)), normal_cdf(select<V>(call, d2, -d2))};
    }
}

inline Probabilities<double> probabilities(OptionType type, double d1, double d2) {
    return probabilities<double>(lanes::calls(type), d1, d2);
}

template <class V>
[[gnu::always_inline]] inline V value_from(Mask<V> call, V fwd, V strike, V df, Probabilities<V> n) {
    if constexpr (lanes::is_scalar<V>) {
        if (call) return df * (fwd * n.of_d1 - strike * n.of_d2);
        return df * (strike * n.of_d2 - fwd * n.of_d1);
    }
    const V forward_leg = fwd * n.of_d1;
    const V strike_leg = strike * n.of_d2;
    return df * select<V>(call, forward_leg - strike_leg, strike_leg - forward_leg);
}

inline double value_from(OptionType type, double fwd, double strike, double df, Probabilities<double> n) {
    return value_from<double>(lanes::calls(type), fwd, strike, df, n);
}

// The value at a vol given ln(F/K) and sqrt(T), which a search over vols
// takes once (b76::ValueAtVol); for an expiry and vol that are not
// degenerate.
template <class V>
[[gnu::always_inline]] inline V value_at(Mask<V> call, V fwd, V strike, V ttx, V vol, V df, V log_moneyness,
                                         V sqrt_ttx) {
    const V s = vol * sqrt_ttx;
    const V d1 = d1_from_parts(log_moneyness, ttx, vol, s);
    const V d2 = d1 - s;
    return value_from<V>(call, fwd, strike, df, probabilities<V>(call, d1, d2));
}

template <class V>
[[gnu::always_inline]] inline V vega_from(V sqrt_ttx, V fwd, V df, V pdf_d1) {
    return sqrt_ttx * (fwd * df * pdf_d1);
}

}  // namespace option_pricing::b76::terms
