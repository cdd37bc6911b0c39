// Smiles over rows of strided arrays, and a model rebuilt from what its
// Python object shows (its kind and its parameters).
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "common/strided.hpp"
#include "volmodel/vol_model/vol_slice.hpp"

namespace vol_model {

// A model of the kind named "GVVSpline", "VolGeo" or "CubicSpline" built by
// its with_params from the parameters; null for any other name. The expiry
// enters no volatility, so none is needed.
std::unique_ptr<VolSlice> model_of_kind(std::string_view kind, ParamMap params);

// vols[i] = the model's volatility at (ttx[i], spot[i], strikes[i]): element
// 0 of get_vol over that one strike. Runs of elements that share ttx and
// spot (bit for bit) are evaluated as one strip by fill_vols, whose set-up
// depends on ttx and spot alone, so a run gives the bits of its strikes one
// by one.
void vols_row(const VolSlice& model, std::size_t count, kelvane::strided::Row<double> ttx,
              kelvane::strided::Row<double> spot, kelvane::strided::Row<double> strikes,
              kelvane::strided::OutRow<double> vols);

}  // namespace vol_model
