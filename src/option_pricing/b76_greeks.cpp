#include "option_pricing/b76_greeks.hpp"

#include <cmath>
#include <limits>

#include "common/math/elementary.hpp"
#include "common/math/vector_width.hpp"
#include "option_pricing/b76.hpp"
#include "option_pricing/b76_terms.hpp"
#include "option_pricing/loops.hpp"
#include "option_pricing/normal.hpp"
#include "option_pricing/vector_rows.hpp"

namespace option_pricing::b76 {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// One option's greeks, or a vector of options' (V a vector of doubles).
template <class V>
using GreeksOf = std::array<V, greek_count>;

template <class V>
[[gnu::always_inline]] inline V& at(GreeksOf<V>& g, Greek greek) { return g[static_cast<std::size_t>(greek)]; }

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
// about 1e-8, or inputs that are not finite) it is left out. The fused
// multiply-add is correctly rounded on every unit (lanes::fma), so every
// lane has the scalar's residual.
template <class V>
[[gnu::always_inline]] inline V rounding_shift(V fwd, V strike, V ratio, V s) {
    const V residual = lanes::fma(-ratio, strike, fwd);
    const V shift = residual / (fwd * s);
    return lanes::select<V>(kelvane::elementary::detail::abs(shift) <= 1e-8, shift, lanes::splat<V>(0.0));
}

// The greeks made of D phi(d1): pdf is phi(d1) at the d1 of b76::vega, for
// its bits; d1, d2 and shifted_pdf (phi there) are moved by the rounding
// shift. The reciprocals are shared (one division each, not one per greek).
// Where phi(d1) underflowed (pdf == 0) the scalar gives the zeros below; a
// vector leaves those lanes to the scalar call.
template <class V>
[[gnu::always_inline]] inline void fill_density_greeks(GreeksOf<V>& g, V fwd, V ttx, V vol, V df, V sqrt_ttx, V s,
                                                       V ratio, V d1, V d2, V pdf, V shifted_pdf) {
    at(g, Greek::vega) = terms::vega_from(sqrt_ttx, fwd, df, pdf);
    if constexpr (lanes::is_scalar<V>) {
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
    }
    const V vega = terms::vega_from(sqrt_ttx, fwd, df, shifted_pdf);
    const V per_s = 1.0 / s;
    const V per_fwd = 1.0 / fwd;
    const V per_vol = 1.0 / vol;
    const V per_two_ttx = 0.5 / ttx;
    const V discounted_pdf = df * shifted_pdf;
    const V gamma = discounted_pdf * per_fwd * per_s;
    const V d1d2 = d1 * d2;
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

// The greeks of `wanted` of options that are not at a degenerate expiry;
// returns phi(d1) (0 where it is not needed).
template <class V>
[[gnu::always_inline]] inline V ordinary_greeks(GreeksOf<V>& g, lanes::Mask<V> call, V fwd, V strike, V ttx, V vol,
                                                V df, GreekSet wanted) {
    // d1 and d2 exactly as b76::fairvalue and b76::vega take them.
    const V sqrt_ttx = lanes::sqrt(ttx);
    const V s = vol * sqrt_ttx;
    const V ratio = fwd / strike;
    const V d1 = terms::d1_from_parts(kelvane::elementary::log(ratio), ttx, vol, s);
    const V d2 = d1 - s;
    const bool needs_pdf = wanted & (density_greeks | greek_bit(Greek::delta) | greek_bit(Greek::dual_delta));
    const V pdf = needs_pdf ? normal_pdf(d1) : lanes::splat<V>(0.0);
    const V shift = needs_pdf ? rounding_shift(fwd, strike, ratio, s) : lanes::splat<V>(0.0);
    if (wanted & probability_greeks) {
        const terms::Probabilities<V> n = terms::probabilities<V>(call, d1, d2);
        // The value needs no shift: F phi(d1) = K phi(d2), so it cancels
        // out of F N(d1) - K N(d2) to first order.
        at(g, Greek::value) = terms::value_from<V>(call, fwd, strike, df, n);
        // N at the shifted d1 and d2, to first order; phi(d2) = phi(d1) F/K.
        const V moved_d1 = pdf * shift;
        const V moved_d2 = pdf * ratio * shift;
        at(g, Greek::delta) = lanes::select<V>(call, df * (n.of_d1 + moved_d1), -(df * (n.of_d1 - moved_d1)));
        at(g, Greek::dual_delta) = lanes::select<V>(call, -(df * (n.of_d2 + moved_d2)), df * (n.of_d2 - moved_d2));
        at(g, Greek::rho) = -(ttx * at(g, Greek::value));
    }
    if (wanted & density_greeks) {
        fill_density_greeks<V>(g, fwd, ttx, vol, df, sqrt_ttx, s, ratio, d1 + shift, d2 + shift, pdf,
                               pdf - pdf * (d1 * shift));
    }
    return pdf;
}

}  // namespace

// Never inlined: the loops over vectors call this body for the options they
// leave to it, so that those get the very bits of the scalar call.
[[gnu::noinline]] Greeks greeks(OptionType type, double fwd, double strike, double ttx, double vol, double df,
                                GreekSet wanted) noexcept {
    if (terms::is_degenerate(ttx, vol)) return degenerate_greeks(type, fwd, strike, ttx, vol, df);
    Greeks g;
    ordinary_greeks<double>(g, lanes::calls(type), fwd, strike, ttx, vol, df, wanted);
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

namespace {

using lanes::double2;
using lanes::double4;
using lanes::double8;

struct GreeksOperands {
    lanes::OptionOperands in;  // in.out unused
    std::span<const GreekRow> outs;
    GreekSet wanted;
};

// Each of the rows of greeks is asked for, for writing, some options ahead of
// its stores, a cache line at a time: sixteen rows of stores are more than
// the processor's own prefetch follows, and each line they miss is read
// from memory before it is written (a million options' sixteen greeks,
// 128 MB: 38 -> 33 ns an option).
constexpr std::size_t options_per_line = 64 / sizeof(double);
constexpr std::size_t written_ahead = 8 * options_per_line;

// The greeks of whole vectors of options; a lane at a degenerate expiry,
// with phi(d1) underflowed or with a NaN greek is left to the scalar call
// (rare lanes: their limits and NaN payloads are the scalar's own).
template <class V>
[[gnu::always_inline]] inline void greeks_vectors(std::size_t count, const GreeksOperands& op) {
    using L = lanes::Lanes<V>;
    constexpr std::size_t n = L::count;
    const lanes::OptionOperands& in = op.in;
    const bool density = op.wanted & density_greeks;
    std::size_t i = 0;
    for (; i + n <= count; i += n) {
        const lanes::Mask<V> call = lanes::load_calls<V>(in.types, i);
        const V fwd = lanes::load<V>(in.fwd, i), strike = lanes::load<V>(in.strike, i);
        const V ttx = lanes::load<V>(in.ttx, i), vol = lanes::load<V>(in.vol, i), df = lanes::load<V>(in.df, i);
        GreeksOf<V> g;
        const V pdf = ordinary_greeks<V>(g, call, fwd, strike, ttx, vol, df, op.wanted);
        auto scalar_lanes = terms::is_degenerate(ttx, vol);
        if (density) scalar_lanes = L::either(scalar_lanes, pdf == 0.0);
        // Stored as they are, and the rare NaN lanes written over below.
        const bool ahead = i % options_per_line == 0 && i + written_ahead < count;
        const auto later = static_cast<std::ptrdiff_t>(i + written_ahead);
        for (const GreekRow& row : op.outs) {
            const V y = g[static_cast<std::size_t>(row.greek)];
            if (ahead) __builtin_prefetch(row.out.base + later * row.out.stride, 1, 3);
            lanes::store<V>(row.out, i, y);
            scalar_lanes = L::either(scalar_lanes, y != y);
        }
        if (!L::any(scalar_lanes)) continue;
        for (std::size_t l = 0; l < n; ++l) {
            if (scalar_lanes[l] == 0) continue;
            const OptionType type = call[l] != 0 ? OptionType::Call : OptionType::Put;
            const Greeks one = greeks(type, fwd[l], strike[l], ttx[l], vol[l], df[l], op.wanted);
            for (const GreekRow& row : op.outs) row.out.set(i + l, one[static_cast<std::size_t>(row.greek)]);
        }
    }
    for (; i < count; ++i) {
        const Greeks one = greeks(option_type_of(in.types[i]), in.fwd[i], in.strike[i], in.ttx[i], in.vol[i],
                                  in.df[i], op.wanted);
        for (const GreekRow& row : op.outs) row.out.set(i, one[static_cast<std::size_t>(row.greek)]);
    }
}

[[gnu::flatten]] void greeks_row_2(std::size_t count, const GreeksOperands& op) {
    greeks_vectors<double2>(count, op);
}
#if KELVANE_HAS_WIDE_UNITS
KELVANE_TARGET_AVX2 void greeks_row_4(std::size_t count, const GreeksOperands& op) {
    greeks_vectors<double4>(count, op);
}
KELVANE_TARGET_AVX512 void greeks_row_8(std::size_t count, const GreeksOperands& op) {
    greeks_vectors<double8>(count, op);
}
#endif

}  // namespace

void greeks_row_at(std::size_t width, std::size_t count, kelvane::strided::Row<std::uint8_t> types,
                   kelvane::strided::Row<double> fwd, kelvane::strided::Row<double> strike,
                   kelvane::strided::Row<double> ttx, kelvane::strided::Row<double> vol,
                   kelvane::strided::Row<double> df, std::span<const GreekRow> outs) noexcept {
    GreekSet wanted = 0;
    for (const GreekRow& row : outs) wanted |= greek_bit(row.greek);
    const GreeksOperands op{{types, fwd, strike, ttx, vol, df, {}}, outs, wanted};
#if KELVANE_HAS_WIDE_UNITS
    if (width == 8) return greeks_row_8(count, op);
    if (width == 4) return greeks_row_4(count, op);
#endif
    (void)width;
    greeks_row_2(count, op);
}

void greeks_row(std::size_t count, kelvane::strided::Row<std::uint8_t> types, kelvane::strided::Row<double> fwd,
                kelvane::strided::Row<double> strike, kelvane::strided::Row<double> ttx,
                kelvane::strided::Row<double> vol, kelvane::strided::Row<double> df,
                std::span<const GreekRow> outs) noexcept {
    greeks_row_at(kelvane::vectors::width(), count, types, fwd, strike, ttx, vol, df, outs);
}

}  // namespace option_pricing::b76
