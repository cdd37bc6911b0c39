// GVVSpline: a parametric smile anchored at a reference spot. The variance
// is a skew and a curvature term around ref_vol, plus a wing term on each
// side of ref_spot. Moneyness is measured from ref_spot, not from the spot
// passed to get_vol (which is ignored): moving the anchor is reanchor's job.
//
// Every volatility that comes out non-finite (ttx <= 0, a strike <= 0, a
// negative value under a root, NaN or huge parameters) is returned as a
// quiet NaN; the rest of the numeric policy is in vol_slice.hpp.
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
struct GvvParams {
    double vpr = 1.0;        // enters no formula: stored, exported, bumpable
    double ref_spot = 100.0;
    double ref_vol = 50.0;   // vol points at ref_spot
    double skew = 0.0;       // vol points
    double smile = 5.0;      // vol points
    double pwing = 0.0;      // extra tail variance below ref_spot
    double cwing = 0.0;      // extra tail variance above ref_spot
    double offset = 0.0;     // enters no formula: returned by offset()

    // "vpr", "ref_spot", "ref_vol", "skew", "smile", "pwing", "cwing", "offset".
    ParamMap to_map() const;

    friend bool operator==(const GvvParams&, const GvvParams&) = default;
};

class GVVSpline final : public VolSlice {
public:
    GVVSpline(kelvane::UtcInstant expiry, const GvvParams& params) noexcept
        : params_(params), expiry_(expiry) {}

    // The eight names taken from the dictionary, defaults for missing ones;
    // other keys are ignored.
    static GVVSpline with_params(kelvane::UtcInstant expiry, ParamMap params);

    const GvvParams& params() const noexcept { return params_; }

    std::vector<double> get_vol(double ttx, double spot,
                                std::span<const double> strikes) const override;
    double get_vol_single(double ttx, double spot, double strike) const override;
    JacobianMap get_jacobian(double ttx, double spot, std::span<const double> strikes,
                             std::span<const std::string> params) const override;
    // pwing >= 0, cwing >= 0, smile >= 1 and ref_vol > 10.
    bool arb_free() const override;
    std::optional<double> get_parameter(const std::string& param) const override;
    void set_param(const std::string& param, double value) override;
    ParamMap get_param_dict() const override;
    // "ref_vol", "skew", "smile".
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
    GvvParams params_;
    kelvane::UtcInstant expiry_;
};

}  // namespace vol_model
