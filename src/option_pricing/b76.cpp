#include "option_pricing/b76.hpp"

#include <cmath>

#include "common/math/elementary.hpp"
#include "common/math/vector_width.hpp"
#include "option_pricing/b76_terms.hpp"
#include "option_pricing/normal.hpp"
#include "option_pricing/vector_rows.hpp"

namespace option_pricing::b76 {
namespace {

using terms::d1_from_parts;
using terms::intrinsic_value;
using terms::is_degenerate;

template <class V>
[[gnu::always_inline]] inline V d1_of(V fwd, V strike, V ttx, V vol, V sqrt_ttx) {
    return d1_from_parts(kelvane::elementary::log(fwd / strike), ttx, vol, vol * sqrt_ttx);
}

// A sensitivity that is +0.0 at a degenerate expiry: the scalar returns
// early, a vector selects.
template <class V>
[[gnu::always_inline]] inline V unless_degenerate(lanes::Mask<V> degenerate, V value) {
    if constexpr (lanes::is_scalar<V>) {
        return value;
    } else {
        return lanes::select<V>(degenerate, lanes::splat<V>(0.0), value);
    }
}

using terms::value_at;

// fairvalue over lanes; the scalar takes the degenerate branch, a vector
// computes both sides and selects, in the two stages below.
struct Fairvalue {
    template <class V>
    [[gnu::always_inline]] static V of(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        if constexpr (lanes::is_scalar<V>) {
            if (is_degenerate(ttx, vol)) return intrinsic_value<V>(call, fwd, strike, df);
            return value_at<V>(call, fwd, strike, ttx, vol, df, kelvane::elementary::log(fwd / strike),
                               lanes::sqrt(ttx));
        } else {
            return finish<V>(prepare<V>(call, fwd, strike, ttx, vol, df));
        }
    }
    static double scalar(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
        return fairvalue(type, fwd, strike, ttx, vol, df);
    }

    // The same for a vector, in two stages (lanes::Staged): up to the
    // arguments of the two erfc, and from them.
    template <class V>
    struct Stage {
        lanes::Mask<V> call, degenerate;
        V fwd, strike, df;
        V of_d1, of_d2;  // normal_cdf's arguments for N(+-d1) and N(+-d2)
    };
    template <class V>
    [[gnu::always_inline]] static Stage<V> prepare(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        const V sqrt_ttx = lanes::sqrt(ttx);
        const V s = vol * sqrt_ttx;
        const V d1 = d1_from_parts(kelvane::elementary::log(fwd / strike), ttx, vol, s);
        const V d2 = d1 - s;
        return {call,
                is_degenerate(ttx, vol),
                fwd,
                strike,
                df,
                normal_cdf_argument(lanes::select<V>(call, d1, -d1)),
                normal_cdf_argument(lanes::select<V>(call, d2, -d2))};
    }
    template <class V>
    [[gnu::always_inline]] static V finish(const Stage<V>& st) {
        const terms::Probabilities<V> n{normal_cdf_of_argument(st.of_d1), normal_cdf_of_argument(st.of_d2)};
        const V value = terms::value_from<V>(st.call, st.fwd, st.strike, st.df, n);
        return lanes::select<V>(st.degenerate, intrinsic_value<V>(st.call, st.fwd, st.strike, st.df), value);
    }
};

struct Vega {
    template <class V>
    [[gnu::always_inline]] static V of(V fwd, V strike, V ttx, V vol, V df) {
        const auto degenerate = is_degenerate(ttx, vol);
        if constexpr (lanes::is_scalar<V>) {
            if (degenerate) return 0.0;
        }
        const V sqrt_ttx = lanes::sqrt(ttx);
        const V d1 = d1_of(fwd, strike, ttx, vol, sqrt_ttx);
        return unless_degenerate<V>(degenerate, terms::vega_from(sqrt_ttx, fwd, df, normal_pdf(d1)));
    }
    static double scalar(double fwd, double strike, double ttx, double vol, double df) {
        return vega(fwd, strike, ttx, vol, df);
    }
};

struct Gamma {
    template <class V>
    [[gnu::always_inline]] static V of(V fwd, V strike, V ttx, V vol, V df) {
        const auto degenerate = is_degenerate(ttx, vol);
        if constexpr (lanes::is_scalar<V>) {
            if (degenerate) return 0.0;
        }
        const V sqrt_ttx = lanes::sqrt(ttx);
        const V d1 = d1_of(fwd, strike, ttx, vol, sqrt_ttx);
        return unless_degenerate<V>(degenerate, df * normal_pdf(d1) / (sqrt_ttx * (fwd * fwd * vol)));
    }
    static double scalar(double fwd, double strike, double ttx, double vol, double df) {
        return gamma(fwd, strike, ttx, vol, df);
    }
};

struct Delta {
    template <class V>
    [[gnu::always_inline]] static V of(lanes::Mask<V> call, V fwd, V strike, V ttx, V vol, V df) {
        const auto degenerate = is_degenerate(ttx, vol);
        if constexpr (lanes::is_scalar<V>) {
            if (degenerate) return 0.0;  // +0.0 for puts too
        }
        const V sqrt_ttx = lanes::sqrt(ttx);
        const V d1 = d1_of(fwd, strike, ttx, vol, sqrt_ttx);
        const V g = df * normal_pdf(d1) / (sqrt_ttx * (fwd * vol));
        return unless_degenerate<V>(degenerate, lanes::select<V>(call, g, -g));
    }
    static double scalar(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
        return delta(type, fwd, strike, ttx, vol, df);
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


ValueAtVol::ValueAtVol(OptionType type, double fwd, double strike, double ttx, double df)
    : type_(type), fwd_(fwd), strike_(strike), ttx_(ttx), df_(df),
      log_moneyness_(kelvane::elementary::log(fwd / strike)), sqrt_ttx_(std::sqrt(ttx)) {}

double ValueAtVol::operator()(double vol) const {
    if (is_degenerate(ttx_, vol)) return intrinsic_value(type_, fwd_, strike_, df_);
    return value_at<double>(lanes::calls(type_), fwd_, strike_, ttx_, vol, df_, log_moneyness_, sqrt_ttx_);
}

[[gnu::noinline]] double vega(double fwd, double strike, double ttx, double vol, double df) {
    return Vega::of<double>(fwd, strike, ttx, vol, df);
}

[[gnu::noinline]] double gamma(double fwd, double strike, double ttx, double vol, double df) {
    return Gamma::of<double>(fwd, strike, ttx, vol, df);
}

[[gnu::noinline]] double delta(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    return Delta::of<double>(lanes::calls(type), fwd, strike, ttx, vol, df);
}

void vega_row_at(std::size_t width, std::size_t count, Row<double> fwd, Row<double> strike, Row<double> ttx,
                 Row<double> vol, Row<double> df, OutRow out) noexcept {
    lanes::option_row_at<lanes::TypeBlind<Vega>>(width, count, {{nullptr, 0}, fwd, strike, ttx, vol, df, out});
}


void gamma_row_at(std::size_t width, std::size_t count, Row<double> fwd, Row<double> strike, Row<double> ttx,
                  Row<double> vol, Row<double> df, OutRow out) noexcept {
    lanes::option_row_at<lanes::TypeBlind<Gamma>>(width, count, {{nullptr, 0}, fwd, strike, ttx, vol, df, out});
}


void delta_row_at(std::size_t width, std::size_t count, Row<std::uint8_t> types, Row<double> fwd,
                  Row<double> strike, Row<double> ttx, Row<double> vol, Row<double> df, OutRow out) noexcept {
    lanes::option_row_at<Delta>(width, count, {types, fwd, strike, ttx, vol, df, out});
}


}  // namespace option_pricing::b76
