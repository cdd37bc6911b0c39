#include "option_pricing/b76_greeks.hpp"

#include <cmath>
#include <limits>

#include "common/math/elementary.hpp"
#include "option_pricing/b76.hpp"
#include "option_pricing/b76_terms.hpp"
#include "option_pricing/loops.hpp"
#include "option_pricing/normal.hpp"

namespace option_pricing::b76 {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

double& at(Greeks& g, Greek greek) { return g[static_cast<std::size_t>(greek)]; }

// The greeks that need N(d1) and N(d2), and those that need phi(d1).
constexpr GreekSet probability_greeks =
    greek_bit(Greek::value) | greek_bit(Greek::delta) | greek_bit(Greek::rho) | greek_bit(Greek::dual_delta);
constexpr GreekSet density_greeks = all_greeks & ~probability_greeks;

// The limits as vol sqrt(T) -> 0+ (see the header's policy).
Greeks degenerate_greeks(OptionType type, double fwd, double strike, double ttx, double vol, double df) {
    Greeks g;
    const bool any_nan = std::isnan(fwd) || std::isnan(strike) || std::isnan(ttx) || std::isnan(vol) || std::isnan(df);
    g.fill(any_nan ? nan : 0.0);
    at(g, Greek::value) = terms::intrinsic_value(type, fwd, strike, df);
    at(g, Greek::vega) = 0.0;  // b76::vega's
    if (any_nan) return g;
    const bool call = type == OptionType::Call;
    // At the money the limits are those of N(0) = 1/2.
    const double call_delta = fwd > strike ? df : fwd < strike ? 0.0 : 0.5 * df;
    const double call_dual_delta = fwd > strike ? -df : fwd < strike ? 0.0 : -0.5 * df;
    at(g, Greek::delta) = call ? call_delta : call_delta - df;
    at(g, Greek::dual_delta) = call ? call_dual_delta : call_dual_delta + df;
    at(g, Greek::rho) = ttx > 0.0 ? -(ttx * at(g, Greek::value)) : 0.0;
    return g;
}

// How far d1 and d2 move when ln(F/K) is taken of the exact ratio rather
// than of F/K rounded to a double. The rounding is an error of about 1e-16
// in ln(F/K) whatever its size, 1e-16 / s in d1 and d2: near the money at a
// small vol sqrt(T) that would be the largest error of the greeks made of
// d1 and d2 alone. The residual F - (F/K) K is exact by the fused
// multiply-add, and ln of the exact ratio is ln(F/K) + residual / F to far
// below a unit in the last place. Where the shift is not small (s below
// about 1e-8, or inputs that are not finite) it is left out.
double rounding_shift(double fwd, double strike, double ratio, double s) {
    const double shift = std::fma(-ratio, strike, fwd) / (fwd * s);
    return std::abs(shift) <= 1e-8 ? shift : 0.0;
}

// The greeks made of D phi(d1): pdf is phi(d1) at the d1 of b76::vega, for
// its bits; d1, d2 and shifted_pdf (phi there) are moved by the rounding
// shift. The reciprocals are shared (one division each, not one per greek).
void fill_density_greeks(Greeks& g, double fwd, double ttx, double vol, double df, double sqrt_ttx, double s,
                         double ratio, double d1, double d2, double pdf, double shifted_pdf) {
    at(g, Greek::vega) = terms::vega_from(sqrt_ttx, fwd, df, pdf);
    if (pdf == 0.0) {
        // phi(d1) underflowed: every greek below is a multiple of it, and
        // some of their other factors may overflow.
        const double zero = std::isnan(df) ? df : 0.0;
        for (Greek greek : {Greek::gamma, Greek::theta, Greek::vanna, Greek::volga, Greek::charm, Greek::veta,
                            Greek::speed, Greek::zomma, Greek::color, Greek::ultima, Greek::dual_gamma}) {
            at(g, greek) = zero;
        }
        return;
    }
    const double vega = terms::vega_from(sqrt_ttx, fwd, df, shifted_pdf);
    const double per_s = 1.0 / s;
    const double per_fwd = 1.0 / fwd;
    const double per_vol = 1.0 / vol;
    const double per_two_ttx = 0.5 / ttx;
    const double discounted_pdf = df * shifted_pdf;
    const double gamma = discounted_pdf * per_fwd * per_s;
    const double d1d2 = d1 * d2;
    at(g, Greek::gamma) = gamma;
    at(g, Greek::theta) = -(vega * vol) * per_two_ttx;
    at(g, Greek::vanna) = -(discounted_pdf * d2) * per_vol;
    at(g, Greek::volga) = vega * d1d2 * per_vol;
    at(g, Greek::charm) = discounted_pdf * d2 * per_two_ttx;
    at(g, Greek::veta) = -(vega * (1.0 + d1d2)) * per_two_ttx;
    at(g, Greek::speed) = -(gamma * (1.0 + d1 * per_s)) * per_fwd;
    at(g, Greek::zomma) = gamma * (d1d2 - 1.0) * per_vol;
    at(g, Greek::color) = gamma * (1.0 - d1d2) * per_two_ttx;
    at(g, Greek::ultima) = -(vega * (d1d2 * (1.0 - d1d2) + (d1 * d1 + d2 * d2)) * per_vol) * per_vol;
    // phi(d2) = phi(d1) F / K: D phi(d2) / (K s) is gamma (F/K)^2, with no
    // second exponential.
    at(g, Greek::dual_gamma) = gamma * ratio * ratio;
}

}  // namespace

Greeks greeks(OptionType type, double fwd, double strike, double ttx, double vol, double df,
              GreekSet wanted) noexcept {
    if (terms::is_degenerate(ttx, vol)) return degenerate_greeks(type, fwd, strike, ttx, vol, df);
    Greeks g;
    // d1 and d2 exactly as b76::fairvalue and b76::vega take them.
    const double sqrt_ttx = std::sqrt(ttx);
    const double s = vol * sqrt_ttx;
    const double ratio = fwd / strike;
    const double d1 = terms::d1_from_parts(kelvane::elementary::log(ratio), ttx, vol, s);
    const double d2 = d1 - s;
    const bool needs_pdf = wanted & (density_greeks | greek_bit(Greek::delta) | greek_bit(Greek::dual_delta));
    const double pdf = needs_pdf ? normal_pdf(d1) : 0.0;
    const double shift = needs_pdf ? rounding_shift(fwd, strike, ratio, s) : 0.0;
    if (wanted & probability_greeks) {
        const terms::Probabilities n = terms::probabilities(type, d1, d2);
        const bool call = type == OptionType::Call;
        // The value needs no shift: F phi(d1) = K phi(d2), so it cancels
        // out of F N(d1) - K N(d2) to first order.
        at(g, Greek::value) = terms::value_from(type, fwd, strike, df, n);
        // N at the shifted d1 and d2, to first order; phi(d2) = phi(d1) F/K.
        const double moved_d1 = pdf * shift;
        const double moved_d2 = pdf * ratio * shift;
        at(g, Greek::delta) = call ? df * (n.of_d1 + moved_d1) : -(df * (n.of_d1 - moved_d1));
        at(g, Greek::dual_delta) = call ? -(df * (n.of_d2 + moved_d2)) : df * (n.of_d2 - moved_d2);
        at(g, Greek::rho) = -(ttx * at(g, Greek::value));
    }
    if (wanted & density_greeks) {
        fill_density_greeks(g, fwd, ttx, vol, df, sqrt_ttx, s, ratio, d1 + shift, d2 + shift, pdf,
                            pdf - pdf * (d1 * shift));
    }
    // Where two NaNs meet, which one an operation passes on is the
    // compiler's choice of operand order, which inlining may change: a NaN
    // value or vega is taken from the scalar function itself, payload and
    // all. Numbers have the same bits either way.
    if ((wanted & probability_greeks) && std::isnan(at(g, Greek::value))) {
        at(g, Greek::value) = fairvalue(type, fwd, strike, ttx, vol, df);
    }
    if ((wanted & density_greeks) && std::isnan(at(g, Greek::vega))) {
        at(g, Greek::vega) = vega(fwd, strike, ttx, vol, df);
    }
    return g;
}

void greeks_row(std::size_t count, kelvane::strided::Row<std::uint8_t> types, kelvane::strided::Row<double> fwd,
                kelvane::strided::Row<double> strike, kelvane::strided::Row<double> ttx,
                kelvane::strided::Row<double> vol, kelvane::strided::Row<double> df,
                std::span<const GreekRow> outs) noexcept {
    GreekSet wanted = 0;
    for (const GreekRow& row : outs) wanted |= greek_bit(row.greek);
    for (std::size_t i = 0; i < count; ++i) {
        const Greeks g = greeks(option_type_of(types[i]), fwd[i], strike[i], ttx[i], vol[i], df[i], wanted);
        for (const GreekRow& row : outs) row.out.set(i, g[static_cast<std::size_t>(row.greek)]);
    }
}

}  // namespace option_pricing::b76
