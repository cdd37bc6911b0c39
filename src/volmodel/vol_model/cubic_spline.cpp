#include "volmodel/vol_model/cubic_spline.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "common/math/elementary.hpp"
#include "volmodel/vol_model/param_record.hpp"

namespace vol_model {
namespace {

using Field = detail::NamedField<CubicParams>;

constexpr std::array<Field, 13> cubic_fields{{
    {"vpr", &CubicParams::vpr},
    {"ref_spot", &CubicParams::ref_spot},
    {"ref_vol", &CubicParams::ref_vol},
    {"p05", &CubicParams::p05},
    {"p10", &CubicParams::p10},
    {"p15", &CubicParams::p15},
    {"p20", &CubicParams::p20},
    {"p25", &CubicParams::p25},
    {"c05", &CubicParams::c05},
    {"c10", &CubicParams::c10},
    {"c15", &CubicParams::c15},
    {"c20", &CubicParams::c20},
    {"c25", &CubicParams::c25},
}};

constexpr std::size_t node_count = cubic_nodes.size();
constexpr std::size_t centre = 5;
using NodeArray = std::array<double, node_count>;

// At-the-money level in vol points. The shift divides by ln(ttx), not by
// sqrt(ttx). When the spot sits exactly at the anchor there is no move to
// scale, so the shift is zero outright instead of 0 / ln(1) = NaN at ttx = 1.
double atm_level(const CubicParams& prm, double ttx, double spot) {
    const double log_move = kelvane::elementary::log(spot / prm.ref_spot);
    if (log_move == 0.0) return prm.ref_vol;
    const double skew_factor = (prm.p05 - prm.c05) / 0.1 * 100;
    return prm.ref_vol + prm.vpr * ((log_move / kelvane::elementary::log(ttx) / prm.ref_vol) * skew_factor);
}

// Variance rates at the nodes; the offsets accumulate from the centre out.
NodeArray node_variances(const CubicParams& prm, double atm) {
    const std::array<double, centre> puts{prm.p05, prm.p10, prm.p15, prm.p20, prm.p25};
    const std::array<double, centre> calls{prm.c05, prm.c10, prm.c15, prm.c20, prm.c25};
    NodeArray w{};
    const double v_centre = atm / 100;
    w[centre] = v_centre * v_centre;
    double put_offset = 0.0;
    double call_offset = 0.0;
    for (std::size_t j = 0; j < centre; ++j) {
        put_offset = put_offset + puts[j];
        call_offset = call_offset + calls[j];
        const double v_put = (atm + put_offset) / 100;
        const double v_call = (atm + call_offset) / 100;
        w[centre - 1 - j] = v_put * v_put;
        w[centre + 1 + j] = v_call * v_call;
    }
    return w;
}

// Fritsch-Butland slopes: the weighted harmonic mean of the neighbouring
// secants, zero at a local extremum, and the end secants at the ends (not
// the three-point end formula, so the linear extrapolation continues the
// curve with the same slope).
NodeArray node_slopes(const NodeArray& w) {
    std::array<double, node_count - 1> h{};
    std::array<double, node_count - 1> d{};
    for (std::size_t k = 0; k + 1 < node_count; ++k) {
        h[k] = cubic_nodes[k + 1] - cubic_nodes[k];
        d[k] = (w[k + 1] - w[k]) / h[k];
    }
    NodeArray m{};
    m[0] = d[0];
    m[node_count - 1] = d[node_count - 2];
    for (std::size_t k = 1; k + 1 < node_count; ++k) {
        if (d[k - 1] * d[k] <= 0) {
            m[k] = 0;
        } else {
            m[k] = 3 * (h[k - 1] + h[k]) /
                   ((2 * h[k] + h[k - 1]) / d[k - 1] + (h[k] + 2 * h[k - 1]) / d[k]);
        }
    }
    return m;
}

}  // namespace

namespace {

// The line through (x_end, y_end) with the slope rise / run, at x: the
// extrapolation beyond an outer node.
template <class V>
[[gnu::always_inline]] inline V end_line(V x, double x_end, double y_end, double rise, double run) {
    return y_end + (x - x_end) * rise / run;
}

// The Hermite cubic on [x0, x1] through y0, y1 with slopes m0, m1, at x.
template <class V>
[[gnu::always_inline]] inline V hermite_piece(V x, V x0, V x1, V y0, V y1, V m0, V m1) {
    const V h = x1 - x0;
    const V t = (x - x0) / h;
    const V t2 = t * t;
    const V t3 = t * t2;
    const V two_t2 = t * (t + t);
    const V two_t3 = t * two_t2;
    const V three_t2 = t * (t * 3);
    return (two_t3 - three_t2 + 1) * y0 + h * (t3 - two_t2 + t) * m0 + (three_t2 - two_t3) * y1 +
           h * (t3 - t2) * m1;
}

// The interval of x among the nodes xs: (number of nodes with xs[j] <= x)
// - 1, kept within [0, n - 2]; a NaN x counts no node and lands in
// interval 0.
std::size_t interval_among(std::span<const double> xs, double x) {
    const auto first_above = std::partition_point(xs.begin(), xs.end(), [x](double node) { return node <= x; });
    const std::size_t at_or_below = static_cast<std::size_t>(first_above - xs.begin());
    return std::min(at_or_below == 0 ? 0 : at_or_below - 1, xs.size() - 2);
}

}  // namespace

double pchip_eval(std::span<const double> xs, std::span<const double> ys,
                  std::span<const double> ms, double x) {
    const std::size_t n = xs.size();
    if (x <= xs[0]) return end_line(x, xs[0], ys[0], ys[1] - ys[0], xs[1] - xs[0]);
    if (x >= xs[n - 1]) return end_line(x, xs[n - 1], ys[n - 1], ys[n - 1] - ys[n - 2], xs[n - 1] - xs[n - 2]);
    const std::size_t i = interval_among(xs, x);
    return hermite_piece(x, xs[i], xs[i + 1], ys[i], ys[i + 1], ms[i], ms[i + 1]);
}

namespace {

// The ends of the interval of pchip_eval for each lane of x: the last of
// 1 .. n - 2 whose left node lies at or below x, else 0 (for a NaN x too),
// as pchip_eval's clamped count of the nodes at or below x.
template <class V>
struct Piece {
    V x0, x1, y0, y1, m0, m1;
};

// A strip's strikes are mostly in order, so a vector's lanes mostly share
// their interval: that of the first lane, taken for all when every lane
// lies within it (below its upper node, unless it is the last; at or above
// its lower node, unless it is the first). Otherwise two lanes look their
// intervals up: the count of nodes at or below x is the index; wider
// vectors select each interval's ends in turn, which their blends do in one
// step each, rather than gather lane by lane.
template <class V>
[[gnu::always_inline]] inline Piece<V> piece_of(const NodeArray& ys, const NodeArray& ms, V x) {
    using L = kelvane::elementary::detail::Lanes<V>;
    constexpr std::size_t n = node_count;
    if constexpr (L::count > 1) {
        const std::size_t first = interval_among(cubic_nodes, x[0]);
        const bool above_lower = first == 0 || L::all(cubic_nodes[first] <= x);
        if (above_lower && (first == n - 2 || L::all(x < cubic_nodes[first + 1]))) {
            return {L::splat(cubic_nodes[first]), L::splat(cubic_nodes[first + 1]), L::splat(ys[first]),
                    L::splat(ys[first + 1]),      L::splat(ms[first]),              L::splat(ms[first + 1])};
        }
    }
    if constexpr (L::count == 2) {
        namespace d = kelvane::elementary::detail;
        V i = L::splat(0.0);
        for (std::size_t k = 1; k + 1 < n; ++k) i = i + lanes::select<V>(cubic_nodes[k] <= x, L::splat(1.0), L::splat(0.0));
        const auto at = d::bits_of<V>(i + d::shifter) - d::shifter_bits;
        const auto next = at + 1;
        return {L::gather(cubic_nodes.data(), at), L::gather(cubic_nodes.data(), next), L::gather(ys.data(), at),
                L::gather(ys.data(), next), L::gather(ms.data(), at), L::gather(ms.data(), next)};
    } else {
        Piece<V> p{L::splat(cubic_nodes[0]), L::splat(cubic_nodes[1]), L::splat(ys[0]),
                   L::splat(ys[1]), L::splat(ms[0]), L::splat(ms[1])};
        for (std::size_t k = 1; k + 1 < n; ++k) {
            const auto past = cubic_nodes[k] <= x;
            p.x0 = lanes::select<V>(past, L::splat(cubic_nodes[k]), p.x0);
            p.x1 = lanes::select<V>(past, L::splat(cubic_nodes[k + 1]), p.x1);
            p.y0 = lanes::select<V>(past, L::splat(ys[k]), p.y0);
            p.y1 = lanes::select<V>(past, L::splat(ys[k + 1]), p.y1);
            p.m0 = lanes::select<V>(past, L::splat(ms[k]), p.m0);
            p.m1 = lanes::select<V>(past, L::splat(ms[k + 1]), p.m1);
        }
        return p;
    }
}

// pchip_eval through the smile's own nodes, lane by lane: the cubic and
// the extrapolations the lanes need are computed and selected.
template <class V>
[[gnu::always_inline]] inline V pchip_at_nodes(const NodeArray& ys, const NodeArray& ms, V x) {
    using L = kelvane::elementary::detail::Lanes<V>;
    constexpr std::size_t n = node_count;
    // One strike finds its interval faster by bisection.
    if constexpr (L::count == 1) return pchip_eval(cubic_nodes, ys, ms, x);
    const Piece<V> p = piece_of<V>(ys, ms, x);
    V y = hermite_piece<V>(x, p.x0, p.x1, p.y0, p.y1, p.m0, p.m1);
    // The wings beyond the outer nodes are rare in a strip: computed only
    // when a lane lies there.
    const auto below = x <= cubic_nodes[0];
    if (L::any(below)) {
        y = lanes::select<V>(below, end_line<V>(x, cubic_nodes[0], ys[0], ys[1] - ys[0], cubic_nodes[1] - cubic_nodes[0]), y);
    }
    const auto above = x >= cubic_nodes[n - 1];
    if (L::any(above)) {
        y = lanes::select<V>(above, end_line<V>(x, cubic_nodes[n - 1], ys[n - 1], ys[n - 1] - ys[n - 2],
                                                cubic_nodes[n - 1] - cubic_nodes[n - 2]), y);
    }
    return y;
}

// The evaluation split at the strike. ln(K / spot) / sqrt(ttx) depends on
// no parameter; the division by atm that completes z comes after it in the
// evaluation order, so it stays on the parameter side.
struct CubicKernel {
    using Record = CubicParams;
    struct Setup {
        double spot, r, atm;
        NodeArray w, m;
    };

    [[KELVANE_ONE_COPY]] static Setup prepare(const CubicParams& prm, double ttx, double spot) noexcept {
        const double atm = atm_level(prm, ttx, spot);
        const NodeArray w = node_variances(prm, atm);
        return {spot, std::sqrt(ttx), atm, w, node_slopes(w)};
    }

    static bool term_follows(double CubicParams::* /*member*/) noexcept { return false; }

    template <class V>
    static V strike_term_lanes(const Setup& s, V strike) noexcept {
        return kelvane::elementary::log(strike / s.spot) / s.r;
    }

    template <class V>
    static V vol_lanes(const Setup& s, V scaled_log_moneyness) noexcept {
        const V z = scaled_log_moneyness / s.atm * 100;
        return lanes::sqrt(pchip_at_nodes<V>(s.w, s.m, z));
    }

    [[KELVANE_ONE_COPY]] static double strike_term(const Setup& s, double strike) noexcept {
        return strike_term_lanes(s, strike);
    }

    [[KELVANE_ONE_COPY]] static double vol(const Setup& s, double scaled_log_moneyness) noexcept {
        return vol_lanes(s, scaled_log_moneyness);
    }
};

}  // namespace

ParamMap CubicParams::to_map() const { return detail::fields_to_map(*this, cubic_fields); }

CubicSpline CubicSpline::with_params(kelvane::UtcInstant expiry, ParamMap params) {
    return CubicSpline(expiry, detail::record_from_map<CubicParams>(params, cubic_fields));
}

std::vector<double> CubicSpline::get_vol(double ttx, double spot,
                                         std::span<const double> strikes) const {
    return detail::evaluate<CubicKernel>(CubicKernel::prepare(params_, ttx, spot), strikes);
}

void CubicSpline::fill_vols(double ttx, double spot, std::span<const double> strikes,
                         std::span<double> vols) const {
    detail::evaluate_into<CubicKernel>(CubicKernel::prepare(params_, ttx, spot), strikes, vols);
}

void CubicSpline::fill_vols_at_width(std::size_t width, double ttx, double spot,
                                std::span<const double> strikes, std::span<double> vols) const {
    detail::evaluate_into_at_width<CubicKernel>(width, CubicKernel::prepare(params_, ttx, spot), strikes, vols);
}

void CubicSpline::fill_jacobian(double ttx, double spot, std::span<const double> strikes,
                             std::span<const std::string> names,
                             std::span<const std::span<double>> columns) const {
    detail::shared_jacobian_columns<CubicKernel>(params_, cubic_fields, ttx, spot, strikes, names, columns);
}

double CubicSpline::get_vol_single(double ttx, double spot, double strike) const {
    const CubicKernel::Setup setup = CubicKernel::prepare(params_, ttx, spot);
    return CubicKernel::vol(setup, CubicKernel::strike_term(setup, strike));
}

JacobianMap CubicSpline::get_jacobian(double ttx, double spot, std::span<const double> strikes,
                                      std::span<const std::string> params) const {
    return detail::shared_jacobian<CubicKernel>(params_, cubic_fields, ttx, spot, strikes, params);
}

bool CubicSpline::arb_free() const {
    // Written as positive comparisons so that a NaN fails each of them.
    return params_.p25 >= 0 && params_.c25 >= 0 && params_.ref_vol > 1.0;
}

std::optional<double> CubicSpline::get_parameter(const std::string& param) const {
    return detail::look_up(params_.to_map(), param);
}

void CubicSpline::set_param(const std::string& param, double value) {
    detail::assign_field(params_, cubic_fields, param, value);
}

ParamMap CubicSpline::get_param_dict() const { return params_.to_map(); }

std::vector<std::string> CubicSpline::get_fitting_params() const {
    return {"ref_vol", "p25", "p20", "p15", "p10", "p05", "c05", "c10", "c15", "c20", "c25"};
}

std::unique_ptr<VolSlice> CubicSpline::clone_and_bump(const ParamMap& bumps) const {
    return detail::bump_and_rebuild(*this, bumps);
}

kelvane::Result<void> CubicSpline::reanchor(double spot, double ttx) {
    const kelvane::Result<double> ref_vol = reanchored_ref_vol(spot, ttx);
    if (!ref_vol) return std::unexpected(ref_vol.error());
    params_.ref_spot = spot;
    params_.ref_vol = *ref_vol;
    return {};
}

}  // namespace vol_model
