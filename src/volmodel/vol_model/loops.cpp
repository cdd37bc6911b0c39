#include "volmodel/vol_model/loops.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>

#include "volmodel/vol_model/cubic_spline.hpp"
#include "volmodel/vol_model/gvv_spline.hpp"
#include "volmodel/vol_model/vol_geo.hpp"

namespace vol_model {
namespace {

// Strikes evaluated per strip: a few kilobytes on the stack.
constexpr std::size_t run_size = 1024;

bool same_bits(double a, double b) noexcept {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

template <class Model>
std::unique_ptr<VolSlice> built(ParamMap params) {
    return std::make_unique<Model>(Model::with_params(kelvane::UtcInstant{}, std::move(params)));
}

}  // namespace

std::unique_ptr<VolSlice> model_of_kind(std::string_view kind, ParamMap params) {
    if (kind == "GVVSpline") return built<GVVSpline>(std::move(params));
    if (kind == "VolGeo") return built<VolGeo>(std::move(params));
    if (kind == "CubicSpline") return built<CubicSpline>(std::move(params));
    return nullptr;
}

void vols_row(const VolSlice& model, std::size_t count, kelvane::strided::Row<double> ttx,
              kelvane::strided::Row<double> spot, kelvane::strided::Row<double> strikes,
              kelvane::strided::OutRow<double> vols) {
    // Strikes are copied before they are evaluated, each read once: another
    // thread writing the caller's array cannot give a strike two values
    // within one evaluation.
    double run_strikes[run_size];
    double run_vols[run_size];
    std::size_t i = 0;
    while (i < count) {
        const double t = ttx[i];
        const double s = spot[i];
        std::size_t n = 0;
        const std::size_t limit = std::min(run_size, count - i);
        if (ttx.stride == 0 && spot.stride == 0) {  // one (ttx, spot) for the whole row
            for (; n < limit; ++n) run_strikes[n] = strikes[i + n];
        }
        while (n < limit && same_bits(ttx[i + n], t) && same_bits(spot[i + n], s)) {
            run_strikes[n] = strikes[i + n];
            ++n;
        }
        model.fill_vols(t, s, std::span<const double>(run_strikes, n), std::span<double>(run_vols, n));
        for (std::size_t j = 0; j < n; ++j) vols.set(i + j, run_vols[j]);
        i += n;
    }
}

}  // namespace vol_model
