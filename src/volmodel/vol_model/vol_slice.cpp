#include "volmodel/vol_model/vol_slice.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <unordered_set>

namespace vol_model {
namespace {

// Shortest text that reads back as the same double ("110", "0.25", "nan").
std::string shortest_text(double x) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x).ptr;
    return std::string(buffer, end);
}

}  // namespace

std::vector<std::string> distinct_names(std::span<const std::string> names) {
    std::unordered_set<std::string_view> seen;
    std::vector<std::string> distinct;
    for (const std::string& name : names) {
        if (seen.insert(name).second) distinct.push_back(name);
    }
    return distinct;
}

double VolSlice::get_vol_single(double ttx, double spot, double strike) const {
    const std::vector<double> vols = get_vol(ttx, spot, std::span<const double>(&strike, 1));
    return vols.empty() ? std::numeric_limits<double>::quiet_NaN() : vols.front();
}

double VolSlice::offset() const { return get_parameter("offset").value_or(0.0); }

void VolSlice::bump_param(const std::string& param, double d_value) {
    const ParamMap bump{{param, d_value}};
    const std::unique_ptr<VolSlice> bumped = clone_and_bump(bump);
    if (!bumped->arb_free()) return;
    if (const std::optional<double> current = get_parameter(param)) {
        set_param(param, d_value + *current);
    }
}

JacobianMap VolSlice::get_jacobian(double ttx, double spot, std::span<const double> strikes,
                                   std::span<const std::string> params) const {
    const std::vector<double> base = get_vol(ttx, spot, strikes);
    JacobianMap result;
    for (const std::string& name : params) {
        const std::unique_ptr<VolSlice> bumped = clone_and_bump(ParamMap{{name, jacobian_bump}});
        const std::vector<double> vols = bumped->get_vol(ttx, spot, strikes);
        const std::size_t n = std::min(base.size(), vols.size());
        std::vector<double> d(n);
        // Subtract, then divide by the bump itself: multiplying by 100
        // instead would differ in the last bit.
        for (std::size_t i = 0; i < n; ++i) d[i] = (vols[i] - base[i]) / jacobian_bump;
        result.insert_or_assign(name, std::move(d));
    }
    return result;
}

kelvane::Result<double> VolSlice::reanchored_ref_vol(double spot, double ttx) const {
    const double vol = get_vol_single(ttx, spot, spot);
    const double ref_vol = vol * 100;
    // Checking the product also refuses a finite vol whose vol points overflow.
    if (!std::isfinite(ref_vol)) {
        return kelvane::fail("Cannot reanchor at spot " + shortest_text(spot) + " and ttx " +
                             shortest_text(ttx) + ": the volatility there is not finite");
    }
    return ref_vol;
}

}  // namespace vol_model
