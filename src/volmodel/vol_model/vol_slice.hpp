// The implied-volatility smile of one expiry, behind one abstract interface.
//
// Numeric policy of the smile models: parameter values and arguments are
// never validated. Degenerate inputs (ttx <= 0, spot or strikes <= 0, NaN
// anywhere) run through IEEE arithmetic and show as NaN or infinite
// volatilities; GVVSpline turns every non-finite volatility into a quiet
// NaN, CubicSpline and VolGeo return them as computed. The formulas are
// evaluated in a fixed order of operations (the build forbids contraction
// into fused multiply-adds), so results are reproducible to the bit: do not
// regroup them, and divide by 100 rather than multiply by 0.01.
//
// The one operation that can fail is `reanchor`: it refuses to move the
// anchor where the volatility is not finite, so a model never acquires a
// NaN or infinite `ref_vol` by re-anchoring (set_param can still store one).
//
// Parameters that are volatilities (`ref_vol` and the shape parameters) are
// held in vol points (50.0 = 50 %); volatilities passed in and returned are
// fractions (0.5 = 50 %).
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/error.hpp"
#include "common/utc_instant.hpp"

namespace vol_model {

// Parameter name to value. Names are compared byte for byte, case included;
// iteration order is unspecified.
using ParamMap = std::unordered_map<std::string, double>;

// Parameter name to one sensitivity per strike.
using JacobianMap = std::unordered_map<std::string, std::vector<double>>;

// The bump of the forward-difference Jacobian, in the parameter's own units;
// also its divisor.
inline constexpr double jacobian_bump = 0.01;

// The names in the order of their first appearance, each once: the keys of
// a Jacobian.
std::vector<std::string> distinct_names(std::span<const std::string> names);

class VolSlice {
public:
    // One volatility per strike, in order.
    virtual std::vector<double> get_vol(double ttx, double spot,
                                        std::span<const double> strikes) const = 0;
    // Element 0 of get_vol over the single strike, NaN if that were empty.
    // The models evaluate the one strike directly, without the vector; this
    // general form is the recipe they must match to the bit.
    virtual double get_vol_single(double ttx, double spot, double strike) const;
    // The model's fixed bounds on its parameters; false for a NaN in them.
    virtual bool arb_free() const = 0;
    // Empty for a name the model does not have.
    virtual std::optional<double> get_parameter(const std::string& param) const = 0;
    // A name the model does not have is ignored.
    virtual void set_param(const std::string& param, double value) = 0;
    virtual ParamMap get_param_dict() const = 0;
    // The names a fit of the smile varies, in the model's fixed order.
    virtual std::vector<std::string> get_fitting_params() const = 0;
    virtual const kelvane::UtcInstant& expiry() const = 0;
    // The stored "offset" parameter, 0.0 for a model without one. No formula
    // adds it to a volatility.
    virtual double offset() const final;
    // A new model of the same kind whose parameters are the receiver's plus
    // the bumps; names the model does not have are skipped.
    virtual std::unique_ptr<VolSlice> clone_and_bump(const ParamMap& bumps) const = 0;
    // Adds d_value to the parameter only if the bumped model is arb_free();
    // otherwise, and for a name the model does not have, changes nothing.
    // The receiver's own arb_free() is not consulted.
    virtual void bump_param(const std::string& param, double d_value) final;
    // Forward differences (bumped - base) / jacobian_bump of the volatilities,
    // one vector per distinct name; zeros (NaN where the volatility is NaN)
    // for a name the model does not have. This general form rebuilds a
    // bumped model through clone_and_bump for every name; the models
    // override it with one that bumps the parameter record directly and
    // evaluates the strike-only terms once, giving the same bits.
    virtual JacobianMap get_jacobian(double ttx, double spot, std::span<const double> strikes,
                                     std::span<const std::string> params) const;
    // Moves the anchor to `spot` keeping the volatility quoted there: ref_spot
    // becomes spot and ref_vol 100 times the current volatility at strike
    // spot for this ttx. Where that volatility is not finite the model is
    // left unchanged and the call fails.
    virtual kelvane::Result<void> reanchor(double spot, double ttx) = 0;
    // get_vol written into `vols`, as long as `strikes`. The set-up depends
    // on ttx, spot and the parameters alone, so a strip evaluated a block
    // at a time gives the bits of one get_vol over all of it.
    virtual void fill_vols(double ttx, double spot, std::span<const double> strikes,
                           std::span<double> vols) const = 0;
    // The columns of get_jacobian written into `columns`: columns[j], as
    // long as `strikes`, for names[j] (a repeated name gets the same
    // column again). Blockwise like fill_vols, with the same bits.
    virtual void fill_jacobian(double ttx, double spot, std::span<const double> strikes,
                               std::span<const std::string> names,
                               std::span<const std::span<double>> columns) const = 0;

    // Declared after the operations so that they keep their slot order.
    virtual ~VolSlice() = default;

protected:
    VolSlice() = default;
    VolSlice(const VolSlice&) = default;
    VolSlice& operator=(const VolSlice&) = default;

    // The ref_vol that re-anchoring at (spot, ttx) stores, or the failure
    // that reanchor reports when it is not finite.
    kelvane::Result<double> reanchored_ref_vol(double spot, double ttx) const;
};

}  // namespace vol_model
