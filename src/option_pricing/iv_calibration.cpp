#include "option_pricing/iv_calibration.hpp"

#include <cmath>
#include <limits>

#include "option_pricing/b76.hpp"
#include "option_pricing/b76_terms.hpp"
#include "option_pricing/brent.hpp"
#include "option_pricing/vector_rows.hpp"

namespace option_pricing::iv_calibration {

// Never inlined: the loops over vectors call this body for the options they
// leave to it.
[[gnu::noinline]] double calibrate_black76_iv(OptionType type, double ttx, double fwd, double strike, double price,
                                              double df) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const b76::ValueAtVol value(type, fwd, strike, ttx, df);
    const auto objective = [&](double vol) { return value(vol) - price; };
    const Bracket bracket{vol_lower, objective(vol_lower), vol_upper, objective(vol_upper)};
    // Every comparison with NaN is false, so a NaN end passes the sign test
    // and Brent would bisect toward a plausible-looking 0.0101: a NaN price,
    // forward, strike or time has no implied volatility.
    if (std::isnan(bracket.f_lower) || std::isnan(bracket.f_upper)) return nan;
    const auto root = brent_root(objective, bracket, vol_tolerance, max_evaluations);
    return root ? *root : nan;
}

namespace {

using lanes::Mask;
using lanes::select;

// b76::ValueAtVol less the price over lanes: ln(F/K) and sqrt(T) taken once,
// a degenerate lane's intrinsic value selected.
template <class V>
struct Objective {
    Mask<V> call;
    V ttx, fwd, strike, price, df, log_moneyness, sqrt_ttx, intrinsic;

    [[gnu::always_inline]] V operator()(V vol) const {
        const V value = b76::terms::value_at<V>(call, fwd, strike, ttx, vol, df, log_moneyness, sqrt_ttx);
        return select<V>(b76::terms::is_degenerate(ttx, vol), intrinsic, value) - price;
    }
};

// Brent's search (brent_root) over a vector of options in lockstep: each
// round every lane that has not converged takes its own step, the
// interpolation or the bisection that brent_root would take, by selects,
// and one evaluation of the objective serves all lanes. Lanes whose bracket
// does not hold the root or whose objective is NaN at an end are marked,
// for the scalar call to give them its NaN.
template <class V>
struct Search {
    V root;
    Mask<V> found;
};

template <class V>
[[gnu::always_inline]] inline Search<V> brent_lanes(const Objective<V>& f) {
    using L = lanes::Lanes<V>;
    using kelvane::elementary::detail::abs;
    constexpr double two_epsilon = 2.0 * std::numeric_limits<double>::epsilon();
    const double half_tolerance = 0.5 * vol_tolerance;
    const V f_lower = f(lanes::splat<V>(vol_lower)), f_upper = f(lanes::splat<V>(vol_upper));
    V a = lanes::splat<V>(vol_lower), c = a, fa = f_lower, fc = f_lower;
    V b = lanes::splat<V>(vol_upper), fb = f_upper;
    V d = lanes::splat<V>(vol_upper - vol_lower), e = d;
    auto active = L::both(L::both(f_lower == f_lower, f_upper == f_upper), (f_lower * f_upper > 0.0) == false);
    Search<V> out{b, active != active};
    for (int evaluations = 1; L::any(active); ++evaluations) {
        const auto outside = fb * fc > 0.0;
        c = select<V>(outside, a, c);
        fc = select<V>(outside, fa, fc);
        d = select<V>(outside, b - a, d);
        e = select<V>(outside, d, e);
        const auto swap = abs(fc) < abs(fb);
        const V old_b = b, old_fb = fb;
        a = select<V>(swap, old_b, a);
        b = select<V>(swap, c, b);
        c = select<V>(swap, old_b, c);
        fa = select<V>(swap, old_fb, fa);
        fb = select<V>(swap, fc, fb);
        fc = select<V>(swap, old_fb, fc);
        const V tol1 = abs(b) * two_epsilon + half_tolerance;
        const V xm = 0.5 * (c - b);
        const auto converged = L::both(active, L::either(abs(xm) <= tol1, fb == 0.0));
        out.root = select<V>(converged, b, out.root);
        out.found = L::either(out.found, converged);
        active = L::both(active, converged == false);
        if (!L::any(active)) break;
        // The interpolation step, secant where a = c, else inverse
        // quadratic; taken only where it shrinks the bracket fast enough.
        const V s = fb / fa;
        const V q_c = fa / fc;
        const V r = fb / fc;
        const auto secant = a == c;
        V p = select<V>(secant, 2.0 * xm * s, s * (2.0 * xm * q_c * (q_c - r) - (b - a) * (r - 1.0)));
        V q = select<V>(secant, 1.0 - s, (q_c - 1.0) * (r - 1.0) * (s - 1.0));
        q = select<V>(p > 0.0, -q, q);
        p = abs(p);
        const auto interpolates = L::both(L::both(abs(e) >= tol1, abs(fa) > abs(fb)),
                                          L::both(2.0 * p < 3.0 * xm * q - abs(tol1 * q), p < abs(0.5 * e * q)));
        e = select<V>(interpolates, d, xm);
        d = select<V>(interpolates, p / q, xm);
        a = b;
        fa = fb;
        b += select<V>(abs(d) > tol1, d, kelvane::elementary::detail::copy_sign(tol1, xm));
        fb = f(b);
        if (evaluations == max_evaluations) {
            out.root = select<V>(active, b, out.root);
            out.found = L::either(out.found, active);
            break;
        }
    }
    return out;
}

struct Calibrate {
    static double scalar(OptionType type, double ttx, double fwd, double strike, double price, double df) {
        return calibrate_black76_iv(type, ttx, fwd, strike, price, df);
    }

    template <class V>
    [[gnu::always_inline]] static V of(Mask<V> call, V ttx, V fwd, V strike, V price, V df) {
        const Objective<V> f{call,  ttx, fwd, strike, price, df, kelvane::elementary::log(fwd / strike),
                             lanes::sqrt(ttx), b76::terms::intrinsic_value<V>(call, fwd, strike, df)};
        const Search<V> search = brent_lanes(f);
        V vol = search.root;
        for (std::size_t l = 0; l < lanes::Lanes<V>::count; ++l) {
            if (search.found[l] != 0) continue;
            const OptionType type = call[l] != 0 ? OptionType::Call : OptionType::Put;
            vol[l] = scalar(type, ttx[l], fwd[l], strike[l], price[l], df[l]);
        }
        return vol;
    }
};

}  // namespace

void calibrate_black76_iv_row_at(std::size_t width, std::size_t count, Row<std::uint8_t> types, Row<double> ttx,
                                 Row<double> fwd, Row<double> strike, Row<double> price, Row<double> df,
                                 OutRow out) noexcept {
    // The loop's operands are named for pricing: in their order, these.
    lanes::option_row_at<Calibrate>(width, count, {types, ttx, fwd, strike, price, df, out});
}

}  // namespace option_pricing::iv_calibration
