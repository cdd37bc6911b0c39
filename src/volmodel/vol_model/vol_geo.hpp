// VolGeo: a smile whose skew and curvature come from a correlation `corr`
// (mapped into (-1, 1) by tanh) and a volatility of volatility `vvol`.
// Moneyness is measured from the spot passed to get_vol, and the
// at-the-money volatility shifts when that spot has left ref_spot, in
// proportion to vpr, the correlation and vvol.
//
// Volatilities are returned as computed, NaN and infinities included (see
// vol_slice.hpp for the shared policy); a corr above about 354.89 overflows
// the tanh quotient and makes every volatility NaN.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/error.hpp"
#include "common/utc_instant.hpp"
#include "volmodel/vol_model/vol_slice.hpp"

namespace vol_model {

// In record order; the initialisers are the defaults of with_params.
struct VolGeoParams {
    double vpr = 1.0;        // weight of the at-the-money shift (0 switches it off)
    double ref_spot = 100.0;
    double ref_vol = 50.0;   // vol points at ref_spot
    double corr = 0.0;       // any real; the formulas use tanh(corr)
    double vvol = 20.0;      // vol points
    double offset = 0.0;     // enters no formula: returned by offset()

    // "vpr", "ref_spot", "ref_vol", "corr", "vvol", "offset".
    ParamMap to_map() const;

    friend bool operator==(const VolGeoParams&, const VolGeoParams&) = default;
};

class VolGeo final : public VolSlice {
public:
    VolGeo(kelvane::UtcInstant expiry, const VolGeoParams& params) noexcept
        : params_(params), expiry_(expiry) {}

    // The six names taken from the dictionary, defaults for missing ones;
    // other keys are ignored.
    static VolGeo with_params(kelvane::UtcInstant expiry, ParamMap params);

    const VolGeoParams& params() const noexcept { return params_; }

    std::vector<double> get_vol(double ttx, double spot,
                                std::span<const double> strikes) const override;
    double get_vol_single(double ttx, double spot, double strike) const override;
    JacobianMap get_jacobian(double ttx, double spot, std::span<const double> strikes,
                             std::span<const std::string> params) const override;
    // ref_vol > 1 and vvol >= 1.
    bool arb_free() const override;
    std::optional<double> get_parameter(const std::string& param) const override;
    void set_param(const std::string& param, double value) override;
    ParamMap get_param_dict() const override;
    // "ref_vol", "corr", "vvol".
    std::vector<std::string> get_fitting_params() const override;
    const kelvane::UtcInstant& expiry() const override { return expiry_; }
    std::unique_ptr<VolSlice> clone_and_bump(const ParamMap& bumps) const override;
    kelvane::Result<void> reanchor(double spot, double ttx) override;
    void fill_vols(double ttx, double spot, std::span<const double> strikes,
                   std::span<double> vols) const override;
    void fill_jacobian(double ttx, double spot, std::span<const double> strikes,
                       std::span<const std::string> names,
                       std::span<const std::span<double>> columns) const override;
    // fill_vols `width` strikes at a time (2, 4 or 8; 1 or a width this
    // machine lacks is one at a time) rather than at the machine's width:
    // the same bits whatever the width.
    void fill_vols_at_width(std::size_t width, double ttx, double spot, std::span<const double> strikes,
                            std::span<double> vols) const;

private:
    VolGeoParams params_;
    kelvane::UtcInstant expiry_;
};

}  // namespace vol_model
