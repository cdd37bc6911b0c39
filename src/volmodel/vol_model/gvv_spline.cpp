#include "volmodel/vol_model/gvv_spline.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "common/math/elementary.hpp"
#include "volmodel/vol_model/param_record.hpp"

namespace vol_model {
namespace {

using Field = detail::NamedField<GvvParams>;

constexpr std::array<Field, 8> gvv_fields{{
    {"vpr", &GvvParams::vpr},
    {"ref_spot", &GvvParams::ref_spot},
    {"ref_vol", &GvvParams::ref_vol},
    {"skew", &GvvParams::skew},
    {"smile", &GvvParams::smile},
    {"pwing", &GvvParams::pwing},
    {"cwing", &GvvParams::cwing},
    {"offset", &GvvParams::offset},
}};

// The evaluation split at the strike. The damped moneyness y depends on
// the strike, ttx and ref_spot only, so a Jacobian computes it once for
// every parameter but ref_spot. Free to be inlined: every volatility is
// finite or the one quiet NaN, so no order of operands can change its bytes.
struct GvvKernel {
    using Record = GvvParams;
    struct Setup {
        double ref_spot, r;
        double sigma, sigma_sq, two_a, g, p, q;
    };

    static Setup prepare(const GvvParams& prm, double ttx, double /*spot*/) noexcept {
        const double sigma = prm.ref_vol / 100;
        const double a = prm.skew / 100;
        return {prm.ref_spot, std::sqrt(ttx), sigma, sigma * sigma, a + a,
                prm.smile / 100, prm.pwing / 100, prm.cwing / 100};
    }

    static bool term_follows(double GvvParams::*member) noexcept {
        return member == &GvvParams::ref_spot;
    }

    template <class V>
    static V strike_term_lanes(const Setup& s, V strike) noexcept {
        const V z = kelvane::elementary::log(strike / s.ref_spot) / s.r;
        // Damps the moneyness near the anchor (y ~ z/2), leaves the tails.
        return z * (1 - 0.5 * kelvane::elementary::exp(-(z * z)));
    }

    template <class V>
    static V vol_lanes(const Setup& s, V y) noexcept {
        const V u = s.sigma_sq + s.sigma * (s.two_a * y);
        // The larger root of v^2 - u v - g y^2 = 0.
        const V v = 0.5 * (u + lanes::sqrt((s.g * y) * y * 4 + u * u));
        // |tanh| <= 1 bounds |t| by 6, so the wing weight t^4 stays below 1296.
        const V t = 6 * kelvane::elementary::tanh((y / lanes::sqrt(v)) / 6);
        const V w = (t * t) * (t * t);
        // The put wing below the anchor, the call wing above, neither at it
        // (nor for a NaN y).
        const V total = lanes::select<V>(y < 0, v + s.p * w, lanes::select<V>(y > 0, v + s.q * w, v));
        const V vol = lanes::sqrt(total);
        return lanes::select<V>(lanes::finite(vol), vol,
                                lanes::L<V>::splat(std::numeric_limits<double>::quiet_NaN()));
    }

    static double strike_term(const Setup& s, double strike) noexcept {
        return strike_term_lanes(s, strike);
    }

    static double vol(const Setup& s, double y) noexcept { return vol_lanes(s, y); }
};

}  // namespace

ParamMap GvvParams::to_map() const { return detail::fields_to_map(*this, gvv_fields); }

GVVSpline GVVSpline::with_params(kelvane::UtcInstant expiry, ParamMap params) {
    return GVVSpline(expiry, detail::record_from_map<GvvParams>(params, gvv_fields));
}

std::vector<double> GVVSpline::get_vol(double ttx, double spot,
                                       std::span<const double> strikes) const {
    return detail::evaluate<GvvKernel>(GvvKernel::prepare(params_, ttx, spot), strikes);
}

void GVVSpline::fill_vols(double ttx, double spot, std::span<const double> strikes,
                         std::span<double> vols) const {
    detail::evaluate_into<GvvKernel>(GvvKernel::prepare(params_, ttx, spot), strikes, vols);
}

void GVVSpline::fill_vols_at_width(std::size_t width, double ttx, double spot,
                                std::span<const double> strikes, std::span<double> vols) const {
    detail::evaluate_into_at_width<GvvKernel>(width, GvvKernel::prepare(params_, ttx, spot), strikes, vols);
}

void GVVSpline::fill_jacobian(double ttx, double spot, std::span<const double> strikes,
                             std::span<const std::string> names,
                             std::span<const std::span<double>> columns) const {
    detail::shared_jacobian_columns<GvvKernel>(params_, gvv_fields, ttx, spot, strikes, names, columns);
}

double GVVSpline::get_vol_single(double ttx, double spot, double strike) const {
    const GvvKernel::Setup setup = GvvKernel::prepare(params_, ttx, spot);
    return GvvKernel::vol(setup, GvvKernel::strike_term(setup, strike));
}

JacobianMap GVVSpline::get_jacobian(double ttx, double spot, std::span<const double> strikes,
                                    std::span<const std::string> params) const {
    return detail::shared_jacobian<GvvKernel>(params_, gvv_fields, ttx, spot, strikes, params);
}

bool GVVSpline::arb_free() const {
    // Written as positive comparisons so that a NaN fails each of them.
    return params_.pwing >= 0 && params_.cwing >= 0 && params_.smile >= 1 &&
           params_.ref_vol > 10;
}

std::optional<double> GVVSpline::get_parameter(const std::string& param) const {
    return detail::look_up(params_.to_map(), param);
}

void GVVSpline::set_param(const std::string& param, double value) {
    detail::assign_field(params_, gvv_fields, param, value);
}

ParamMap GVVSpline::get_param_dict() const { return params_.to_map(); }

std::vector<std::string> GVVSpline::get_fitting_params() const {
    return {"ref_vol", "skew", "smile"};
}

std::unique_ptr<VolSlice> GVVSpline::clone_and_bump(const ParamMap& bumps) const {
    return detail::bump_and_rebuild(*this, bumps);
}

kelvane::Result<void> GVVSpline::reanchor(double spot, double ttx) {
    const kelvane::Result<double> ref_vol = reanchored_ref_vol(spot, ttx);
    if (!ref_vol) return std::unexpected(ref_vol.error());
    params_.ref_spot = spot;
    params_.ref_vol = *ref_vol;
    return {};
}

}  // namespace vol_model
