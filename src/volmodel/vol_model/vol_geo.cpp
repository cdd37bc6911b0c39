#include "volmodel/vol_model/vol_geo.hpp"

#include <array>
#include <cmath>
#include <utility>

#include "common/math/elementary.hpp"
#include "volmodel/vol_model/param_record.hpp"

namespace vol_model {
namespace {

using Field = detail::NamedField<VolGeoParams>;

constexpr std::array<Field, 6> vol_geo_fields{{
    {"vpr", &VolGeoParams::vpr},
    {"ref_spot", &VolGeoParams::ref_spot},
    {"ref_vol", &VolGeoParams::ref_vol},
    {"corr", &VolGeoParams::corr},
    {"vvol", &VolGeoParams::vvol},
    {"offset", &VolGeoParams::offset},
}};

// The evaluation split at the strike. The moneyness x depends on the
// strike, spot and ttx only, never on a parameter.
struct VolGeoKernel {
    using Record = VolGeoParams;
    struct Setup {
        double spot, r;
        double sigma, sigma_sq, two_a, kappa;
    };

    [[KELVANE_ONE_COPY]] static Setup prepare(const VolGeoParams& prm, double ttx, double spot) noexcept {
        // tanh(corr) by its exponential quotient, not the library tanh: the
        // results (and the NaN once e^(2 corr) overflows) depend on this form.
        const double e = kelvane::elementary::exp(prm.corr + prm.corr);
        const double rho = (e - 1) / (e + 1);
        const double r = std::sqrt(ttx);
        const double m = kelvane::elementary::log(spot / prm.ref_spot) / r;
        const double atm = prm.ref_vol + prm.vpr * ((m / prm.ref_vol) * (prm.vvol * rho));
        const double sigma = atm / 100;
        const double a = (prm.vvol * rho) / 100;
        // The divisor is rebuilt from sigma, not taken from atm.
        const double kappa = ((prm.vvol * prm.vvol) * (1 - rho * rho)) / (sigma * 100) / 100;
        return {spot, r, sigma, sigma * sigma, a + a, kappa};
    }

    static bool term_follows(double VolGeoParams::* /*member*/) noexcept { return false; }

    template <class V>
    static V strike_term_lanes(const Setup& s, V strike) noexcept {
        return kelvane::elementary::log(strike / s.spot) / s.r;
    }

    template <class V>
    static V vol_lanes(const Setup& s, V x) noexcept {
        const V u = s.sigma_sq + s.sigma * (x * s.two_a);
        // The larger root of v^2 - u v - kappa x^2 = 0.
        const V v = 0.5 * (u + lanes::sqrt((x * (s.kappa * x)) * 4 + u * u));
        return lanes::sqrt(v);
    }

    [[KELVANE_ONE_COPY]] static double strike_term(const Setup& s, double strike) noexcept {
        return strike_term_lanes(s, strike);
    }

    [[KELVANE_ONE_COPY]] static double vol(const Setup& s, double x) noexcept { return vol_lanes(s, x); }
};

}  // namespace

ParamMap VolGeoParams::to_map() const { return detail::fields_to_map(*this, vol_geo_fields); }

VolGeo VolGeo::with_params(kelvane::UtcInstant expiry, ParamMap params) {
    return VolGeo(expiry, detail::record_from_map<VolGeoParams>(params, vol_geo_fields));
}

std::vector<double> VolGeo::get_vol(double ttx, double spot,
                                    std::span<const double> strikes) const {
    return detail::evaluate<VolGeoKernel>(VolGeoKernel::prepare(params_, ttx, spot), strikes);
}

void VolGeo::fill_vols(double ttx, double spot, std::span<const double> strikes,
                         std::span<double> vols) const {
    detail::evaluate_into<VolGeoKernel>(VolGeoKernel::prepare(params_, ttx, spot), strikes, vols);
}

void VolGeo::fill_vols_at_width(std::size_t width, double ttx, double spot,
                                std::span<const double> strikes, std::span<double> vols) const {
    detail::evaluate_into_at_width<VolGeoKernel>(width, VolGeoKernel::prepare(params_, ttx, spot), strikes, vols);
}

void VolGeo::fill_jacobian(double ttx, double spot, std::span<const double> strikes,
                             std::span<const std::string> names,
                             std::span<const std::span<double>> columns) const {
    detail::shared_jacobian_columns<VolGeoKernel>(params_, vol_geo_fields, ttx, spot, strikes, names, columns);
}

double VolGeo::get_vol_single(double ttx, double spot, double strike) const {
    const VolGeoKernel::Setup setup = VolGeoKernel::prepare(params_, ttx, spot);
    return VolGeoKernel::vol(setup, VolGeoKernel::strike_term(setup, strike));
}

JacobianMap VolGeo::get_jacobian(double ttx, double spot, std::span<const double> strikes,
                                 std::span<const std::string> params) const {
    return detail::shared_jacobian<VolGeoKernel>(params_, vol_geo_fields, ttx, spot, strikes, params);
}

bool VolGeo::arb_free() const {
    // Written as positive comparisons so that a NaN fails each of them.
    return params_.ref_vol > 1 && params_.vvol >= 1;
}

std::optional<double> VolGeo::get_parameter(const std::string& param) const {
    return detail::look_up(params_.to_map(), param);
}

void VolGeo::set_param(const std::string& param, double value) {
    detail::assign_field(params_, vol_geo_fields, param, value);
}

ParamMap VolGeo::get_param_dict() const { return params_.to_map(); }

std::vector<std::string> VolGeo::get_fitting_params() const {
    return {"ref_vol", "corr", "vvol"};
}

std::unique_ptr<VolSlice> VolGeo::clone_and_bump(const ParamMap& bumps) const {
    return detail::bump_and_rebuild(*this, bumps);
}

kelvane::Result<void> VolGeo::reanchor(double spot, double ttx) {
    const kelvane::Result<double> ref_vol = reanchored_ref_vol(spot, ttx);
    if (!ref_vol) return std::unexpected(ref_vol.error());
    params_.ref_spot = spot;
    params_.ref_vol = *ref_vol;
    return {};
}

}  // namespace vol_model
