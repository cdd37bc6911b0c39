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

template <class V>
struct State {
    V s;  // vol * sqrt(T)
    V d;  // ln(F/K) / s
};

template <class V>
[[gnu::always_inline]] inline State<V> state_of(V fwd, V strike, V ttx, V vol) {
    const V s = vol * lanes::sqrt(ttx);
    return {s, kelvane::elementary::log(fwd / strike) / s};
}

// D * phi(d) with the sign of the derivative folded into the divisor, the
// order in which the vega and gamma reference values were computed.
template <class V>
[[gnu::always_inline]] inline V neg_discounted_pdf(V d, V df) {
    return (kelvane::elementary::exp(-(d * d) / 2.0) / -sqrt_two_pi) * df;
}

// A greek: +0.0 at a degenerate expiry (the scalar returns early, a vector
// selects), else call_greek(state) for a call and its negation for a put.
template <class V, class CallGreek>
[[gnu::always_inline]] inline V greek_of(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, CallGreek call_greek) {
    const auto degenerate = is_degenerate(ttx, vol);
    if constexpr (lanes::is_scalar<V>) {
        if (degenerate) return 0.0;
    }
    const V g = call_greek(state_of(fwd, strike, ttx, vol));
    const V signed_greek = lanes::select<V>(call, g, -g);
    if constexpr (lanes::is_scalar<V>) {
        return signed_greek;
    } else {
        return lanes::select<V>(degenerate, lanes::splat<V>(0.0), signed_greek);
    }
}

struct Vega {
    template <class V>
    [[gnu::always_inline]] static V of(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        return greek_of<V>(call, fwd, strike, ttx, vol,
                           [&](const State<V>& st) { return st.d * neg_discounted_pdf(st.d, df) / vol; });
    }
    static double scalar(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
        return vega(type, fwd, strike, ttx, vol, df);
    }
};

struct Delta {
    template <class V>
    [[gnu::always_inline]] static V of(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        return greek_of<V>(call, fwd, strike, ttx, vol, [&](const State<V>& st) {
            return df * normal_pdf(st.d) / (lanes::sqrt(ttx) * (fwd * vol));
        });
    }
    static double scalar(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
        return delta(type, fwd, strike, ttx, vol, df);
    }
};

struct Gamma {
    template <class V>
    [[gnu::always_inline]] static V of(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        return greek_of<V>(call, fwd, strike, ttx, vol, [&](const State<V>& st) {
            const V inv_s = 1.0 / st.s;
            const V inv_f = 1.0 / fwd;
            return (st.d * inv_s + 1.0) * (inv_s * (inv_f * (inv_f * neg_discounted_pdf(st.d, df))));
        });
    }
    static double scalar(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
        return gamma(type, fwd, strike, ttx, vol, df);
    }
};

struct Speed {
    template <class V>
    [[gnu::always_inline]] static V of(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        return greek_of<V>(call, fwd, strike, ttx, vol, [&](const State<V>& st) {
            const V ds = st.d / st.s;
            const V shape = (ds + 1.0) * (ds + 2.0) - 1.0 / (st.s * st.s);
            const V scale = (1.0 / (fwd * (fwd * fwd))) * (df * normal_pdf(st.d)) / st.s;
            return shape * scale;
        });
    }
    static double scalar(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
        return speed(type, fwd, strike, ttx, vol, df);
    }
};

struct Theta {
    template <class V>
    [[gnu::always_inline]] static V of(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        return greek_of<V>(call, fwd, strike, ttx, vol,
                           [&](const State<V>& st) { return st.d * (df * 0.5 * normal_pdf(st.d)) / ttx; });
    }
    static double scalar(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
        return theta(type, fwd, strike, ttx, vol, df);
    }
};

// fairvalue over lanes; the scalar takes the degenerate branch, a vector
// computes both sides and selects.
struct Fairvalue {
    // D at expiry strictly in the money, else 0: at F == K, or with a NaN F
    // or K, it is not.
    template <class V>
    [[gnu::always_inline]] static V at_expiry(lanes::Mask<V> call, V fwd, V strike, V df) {
        using L = lanes::Lanes<V>;
        const auto in_the_money = L::either(L::both(call, fwd > strike), L::both(!call, fwd < strike));
        return df * lanes::select<V>(in_the_money, lanes::splat<V>(1.0), lanes::splat<V>(0.0));
    }
    template <class V>
    [[gnu::always_inline]] static V of(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        if constexpr (lanes::is_scalar<V>) {
            if (is_degenerate(ttx, vol)) return at_expiry<V>(call, fwd, strike, df);
            const V d = kelvane::elementary::log(fwd / strike) / (vol * lanes::sqrt(ttx));
            return call ? df * normal_cdf(d) : df * normal_cdf(-d);
        } else {
            return finish<V>(prepare<V>(call, fwd, strike, ttx, vol, df));
        }
    }
    static double scalar(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
        return fairvalue(type, fwd, strike, ttx, vol, df);
    }

    // The same for a vector, in two stages (lanes::Staged): up to the
    // argument of erfc, and from it.
    template <class V>
    struct Stage {
        lanes::Mask<V> degenerate;
        V at_expiry_value, df, argument;
    };
    template <class V>
    [[gnu::always_inline]] static Stage<V> prepare(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        const V d = kelvane::elementary::log(fwd / strike) / (vol * lanes::sqrt(ttx));
        return {is_degenerate(ttx, vol), at_expiry<V>(call, fwd, strike, df), df,
                normal_cdf_argument(lanes::select<V>(call, d, -d))};
    }
    template <class V>
    [[gnu::always_inline]] static V finish(const Stage<V>& st) {
        return lanes::select<V>(st.degenerate, st.at_expiry_value, st.df * normal_cdf_of_argument(st.argument));
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


[[gnu::noinline]] double vega(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    return Vega::of<double>(lanes::calls(type), fwd, strike, ttx, vol, df);
}

[[gnu::noinline]] double delta(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    return Delta::of<double>(lanes::calls(type), fwd, strike, ttx, vol, df);
}

[[gnu::noinline]] double gamma(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    return Gamma::of<double>(lanes::calls(type), fwd, strike, ttx, vol, df);
}

[[gnu::noinline]] double speed(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    return Speed::of<double>(lanes::calls(type), fwd, strike, ttx, vol, df);
}

[[gnu::noinline]] double theta(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    return Theta::of<double>(lanes::calls(type), fwd, strike, ttx, vol, df);
}

void vega_row_at(std::size_t width, std::size_t count, Row<std::uint8_t> types, Row<double> fwd, Row<double> strike,
                 Row<double> ttx, Row<double> vol, Row<double> df, OutRow out) noexcept {
    lanes::option_row_at<Vega>(width, count, {types, fwd, strike, ttx, vol, df, out});
}

void delta_row_at(std::size_t width, std::size_t count, Row<std::uint8_t> types, Row<double> fwd,
                  Row<double> strike, Row<double> ttx, Row<double> vol, Row<double> df, OutRow out) noexcept {
    lanes::option_row_at<Delta>(width, count, {types, fwd, strike, ttx, vol, df, out});
}

void gamma_row_at(std::size_t width, std::size_t count, Row<std::uint8_t> types, Row<double> fwd,
                  Row<double> strike, Row<double> ttx, Row<double> vol, Row<double> df, OutRow out) noexcept {
    lanes::option_row_at<Gamma>(width, count, {types, fwd, strike, ttx, vol, df, out});
}

void speed_row_at(std::size_t width, std::size_t count, Row<std::uint8_t> types, Row<double> fwd,
                  Row<double> strike, Row<double> ttx, Row<double> vol, Row<double> df, OutRow out) noexcept {
    lanes::option_row_at<Speed>(width, count, {types, fwd, strike, ttx, vol, df, out});
}

void theta_row_at(std::size_t width, std::size_t count, Row<std::uint8_t> types, Row<double> fwd,
                  Row<double> strike, Row<double> ttx, Row<double> vol, Row<double> df, OutRow out) noexcept {
    lanes::option_row_at<Theta>(width, count, {types, fwd, strike, ttx, vol, df, out});
}

}  // namespace option_pricing::binary
