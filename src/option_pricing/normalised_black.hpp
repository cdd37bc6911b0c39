// The normalised Black function, for the implied-volatility solver.
//
// With x = ln(F/K) and s = vol * sqrt(T), an out-of-the-money call divided by
// D * sqrt(F * K) is
//     b(x, s) = exp(x/2) N(x/s + s/2) - exp(-x/2) N(x/s - s/2),   x <= 0,
// rising from 0 at s = 0 to exp(x/2) as s grows, with vega
//     b'(x, s) = exp(-(h^2 + t^2)/2) / sqrt(2 pi),   h = x/s, t = s/2.
// Every price reduces to it: a put at x is the call at -x, and an
// in-the-money option is its out-of-the-money partner plus the intrinsic
// value.
//
// Evaluation: each term exp(+-x/2) N(h +- t) is b' Y(h +- t), with Y(u) =
// N(u)/phi(u) the Mills ratio (as +-x/2 - (h +- t)^2/2 = -(h^2 + t^2)/2),
// and Y(u) = sqrt(pi/2) erfcx(-u/sqrt 2) for u <= 0. So an evaluation takes
// one exponential, b' itself, and two erfcx, which need none: below the
// inflexion point s = sqrt(2|x|), b = b' (Y(h+t) - Y(h-t)); above it,
// where h + t > 0, exp(x/2) - b = b' (Y(-h-t) + Y(h-t)), a sum; for small s
// near the money, where Y(h+t) - Y(h-t) cancels to the order of t, b comes
// from its Taylor series in t.
//
// Accuracy: b and its complement exp(x/2) - b keep their relative accuracy
// wherever the solver needs it. erfcx's argument, rounded, is magnified by
// nothing in its tail, where N's would be by u^2; the error left is a few
// units in the last place of b times the factor the price itself cannot
// resolve, which the solver's own conditioning absorbs (see
// implied_vol.hpp). Inputs: x <= 0 and s > 0 finite; nothing else is
// screened here.
#pragma once

#include <cmath>

#include "common/math/elementary.hpp"
#include "common/math/lanes.hpp"

namespace option_pricing::normalised {

// The elementary functions every formula here calls, in one place, so that
// another implementation of them replaces these lines only.
inline double exp_of(double v) { return kelvane::elementary::exp(v); }
inline double log_of(double v) { return kelvane::elementary::log(v); }
// log(1 + v) for -0.5 < v < 1 through the library's log: u = 1 + v rounds,
// and v / (u - 1), exact in that range, undoes the rounding to first order,
// which keeps the result within a few units in the last place.
// A template over the lane type: a vector's lanes select where a scalar
// returns early.
template <class V>
[[gnu::always_inline]] inline V log1p_of(V v) {
    const V u = 1.0 + v;
    if constexpr (kelvane::lanes::is_scalar<V>) {
        if (u == 1.0) return v;
        return kelvane::elementary::log(u) * (v / (u - 1.0));
    } else {
        return kelvane::lanes::select<V>(u == 1.0, v, kelvane::elementary::log(u) * (v / (u - 1.0)));
    }
}
inline double erfc_of(double v) { return kelvane::elementary::erfc(v); }
inline double erfcx_of(double v) { return kelvane::elementary::erfcx(v); }
inline double sqrt_of(double v) { return std::sqrt(v); }

inline constexpr double inv_sqrt_two = 0.70710678118654752440;
inline constexpr double inv_sqrt_two_pi = 0.39894228040143267794;

// Below this N(u) nears the end of the normal range (it underflows past
// -38.4), and exp(-x/2) N(u) is taken another way (normalised_black.cpp).
inline constexpr double tail_from = -37.0;

// b at the inflexion point s = sqrt(2|x|), 0.5 exp(x/2) - exp(-x/2) N(-s),
// for s <= -tail_from: one erfc. A template over the lane type of
// common/math/lanes.hpp, so that a vector of options gets each option's
// scalar bits.
template <class V>
[[gnu::always_inline]] inline V at_inflexion_in_range(V exp_half_x, V exp_minus_half_x, V s_inflexion) {
    const V u = -s_inflexion;
    return 0.5 * exp_half_x - exp_minus_half_x * (0.5 * kelvane::elementary::erfc(-u * inv_sqrt_two));
}

inline constexpr double sqrt_half_pi = 1.2533141373155002512;

// Y(u) = N(u)/phi(u) for u <= 0 through erfcx, whose condition in its
// argument is about 1, where N's in the tail is about u^2.
template <class V>
[[gnu::always_inline]] inline V mills_ratio(V u) {
    return sqrt_half_pi * kelvane::elementary::erfcx(-u * inv_sqrt_two);
}

// Near the money at small total vol the two terms of b cancel to the order
// of t, so b comes from its Taylor series in t there. The series is summed
// through t^15, enough for t <= 0.15 to the last bit; its derivatives of Y
// come from a forward recurrence that loses (t|h|)^2k / (2k+1)! = (|x|/2)^2k
// / (2k+1)! of the leading term, nothing for |x| <= 1/4.
inline constexpr double taylor_max_abs_x = 0.25;
inline constexpr double taylor_max_s = 0.3;

template <class V>
[[gnu::always_inline]] inline kelvane::lanes::Mask<V> is_near_money_small_vol(V x, V s) {
    return kelvane::lanes::Lanes<V>::both(-x <= taylor_max_abs_x, s <= taylor_max_s);
}

// (Y(h+t) - Y(h-t)) / 2 as the series sum_k Y^(2k+1)(h) t^(2k+1)/(2k+1)!,
// with Y' = 1 + hY and Y^(n+1) = h Y^(n) + n Y^(n-1); b is this times
// 2 exp(-(h^2 + t^2)/2) / sqrt(2 pi) = 2 b'.
template <class V>
[[gnu::always_inline]] inline V mills_gap_taylor(V h, V t) {
    V previous = mills_ratio(h);
    V current = 1.0 + h * previous;
    const V t2 = t * t;
    V power = t;  // t^(2k+1) / (2k+1)!
    V sum = current * power;
    for (int n = 1; n < 15; n += 2) {
        const V even = h * current + double(n) * previous;
        const V odd = h * even + double(n + 1) * current;
        previous = even;
        current = odd;
        power *= t2 / double((n + 1) * (n + 2));
        sum += current * power;
    }
    return sum;
}

// b and b' at s (Black::value_and_vega): b' from one exponential, and b
// from the Mills ratios, a sum above the inflexion point and a difference
// below it, or near the money at small total vol from its series. A
// template over the lane type: a lone s takes one branch, a vector's lanes
// select.
template <class V>
struct ValueAndVega {
    V value, vega;
};

template <class V>
[[gnu::always_inline]] inline ValueAndVega<V> value_and_vega_lanes(V x, V exp_half_x, V s) {
    using kelvane::lanes::select;
    const V h = x / s;
    const V t = 0.5 * s;
    const V factor = kelvane::elementary::exp(-0.5 * (h * h + t * t));
    const V vega = factor * inv_sqrt_two_pi;
    const auto near = is_near_money_small_vol<V>(x, s);
    if constexpr (kelvane::lanes::is_scalar<V>) {
        if (near) return {2.0 * mills_gap_taylor(h, t) * factor * inv_sqrt_two_pi, vega};
    }
    const V u = h + t;
    const auto above = u > 0.0;
    const V first = kelvane::elementary::erfcx(select<V>(above, u, -u) * inv_sqrt_two);
    const V second = kelvane::elementary::erfcx(-(h - t) * inv_sqrt_two);
    const V sum_value = exp_half_x - 0.5 * (first + second) * factor;
    const V gap_value = 0.5 * (first - second) * factor;
    const V value = select<V>(above, sum_value, gap_value);
    if (!kelvane::lanes::Lanes<V>::any(near)) return {value, vega};
    return {select<V>(near, 2.0 * mills_gap_taylor(h, t) * factor * inv_sqrt_two_pi, value), vega};
}

// b at one x <= 0 for many s > 0, with exp(+-x/2) taken once.
class Black {
public:
    explicit Black(double x);
    // The same, given exp(x/2).
    Black(double x, double exp_half_x);

    double x() const { return x_; }
    // exp(x/2), the limit of b as s grows.
    double upper() const { return exp_half_x_; }
    double value(double s) const;
    // b and b' together: where b is taken from Mills ratios or its series
    // it carries the exponential of b' as a factor, computed once for both.
    struct WithVega {
        double value, vega;
    };
    WithVega value_and_vega(double s) const;
    // b at the inflexion point s = sqrt(2|x|), where h + t = 0: one erfc.
    double at_inflexion(double s_inflexion) const;
    // exp(x/2) - b(x, s), the distance to the upper bound, without the
    // cancellation of that difference when b is close to it.
    double complement(double s) const;

private:
    double x_, exp_half_x_, exp_minus_half_x_;
};

// b'(x, s), the normalised vega.
double black_vega(double x, double s);

}  // namespace option_pricing::normalised
