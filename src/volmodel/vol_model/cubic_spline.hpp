// CubicSpline: the at-the-money level and ten wing offsets placed at eleven
// fixed nodes of standardised log-moneyness z = ln(K / spot) / sqrt(ttx) /
// atm * 100, with the variance rate interpolated between the nodes by a
// monotone piecewise cubic Hermite curve (Fritsch-Butland node slopes) and
// continued linearly beyond the outer nodes. The at-the-money level moves
// away from ref_vol when the spot leaves ref_spot, by a skew term scaled by
// vpr and divided by ln(ttx).
//
// Volatilities are returned as computed (see vol_slice.hpp for the shared
// policy): a negative interpolated or extrapolated variance gives NaN, and
// ttx = 1 with the spot away from ref_spot divides the shift by ln(1) = 0.
// At spot == ref_spot the shift is exactly zero whatever ttx, so ttx = 1
// is an ordinary expiry there rather than a 0/0.
#pragma once

#include <array>
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

// Node abscissae of the smile, strictly increasing. There is no node at
// +-2.0: p20/c20 reach the nodes +-2.5 and p25/c25 the nodes +-5.0.
inline constexpr std::array<double, 11> cubic_nodes{-5.0, -2.5, -1.5, -1.0, -0.5, 0.0,
                                                    0.5,  1.0,  1.5,  2.5,  5.0};

// In record order; the initialisers are the defaults of with_params. The
// offsets are in vol points and cumulative from the centre outwards: the
// node -1.0 carries p05 + p10, the node 5.0 carries c05 + ... + c25.
struct CubicParams {
    double vpr = 1.0;        // scale of the at-the-money shift
    double ref_spot = 100.0;
    double ref_vol = 50.0;   // vol points at ref_spot
    double p05 = 0.0;        // node 0 to node -0.5
    double p10 = 0.0;        // node -0.5 to node -1.0
    double p15 = 0.0;        // node -1.0 to node -1.5
    double p20 = 0.0;        // node -1.5 to node -2.5
    double p25 = 0.0;        // node -2.5 to node -5.0
    double c05 = 0.0;        // node 0 to node 0.5
    double c10 = 0.0;        // node 0.5 to node 1.0
    double c15 = 0.0;        // node 1.0 to node 1.5
    double c20 = 0.0;        // node 1.5 to node 2.5
    double c25 = 0.0;        // node 2.5 to node 5.0

    // The 13 names above, each under its field name.
    ParamMap to_map() const;

    friend bool operator==(const CubicParams&, const CubicParams&) = default;
};

class CubicSpline final : public VolSlice {
public:
    CubicSpline(kelvane::UtcInstant expiry, const CubicParams& params) noexcept
        : params_(params), expiry_(expiry) {}

    // The 13 names taken from the dictionary, defaults for missing ones;
    // other keys ("offset" among them) are ignored.
    static CubicSpline with_params(kelvane::UtcInstant expiry, ParamMap params);

    const CubicParams& params() const noexcept { return params_; }

    std::vector<double> get_vol(double ttx, double spot,
                                std::span<const double> strikes) const override;
    double get_vol_single(double ttx, double spot, double strike) const override;
    JacobianMap get_jacobian(double ttx, double spot, std::span<const double> strikes,
                             std::span<const std::string> params) const override;
    // p25 >= 0, c25 >= 0 and ref_vol > 1: with positive node volatilities the
    // variance then does not fall outward beyond the outer nodes.
    bool arb_free() const override;
    std::optional<double> get_parameter(const std::string& param) const override;
    void set_param(const std::string& param, double value) override;
    ParamMap get_param_dict() const override;
    // "ref_vol", "p25", "p20", "p15", "p10", "p05", "c05", "c10", "c15",
    // "c20", "c25": the put wing outside-in, then the call wing inside-out.
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
    CubicParams params_;
    kelvane::UtcInstant expiry_;
};

// Cubic Hermite interpolation through (xs[i], ys[i]) with slopes ms[i], and
// linear extrapolation along the end secants. The caller guarantees three
// spans of one length n >= 2 and strictly increasing xs. A point on an
// interior node uses the interval that starts there; a NaN x gives NaN.
double pchip_eval(std::span<const double> xs, std::span<const double> ys,
                  std::span<const double> ms, double x);

}  // namespace vol_model
