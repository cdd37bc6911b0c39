// A strip evaluated 2, 4 or 8 strikes at a time against get_vol_single
// strike by strike, byte for byte (NaN payloads included), for every width
// this machine runs, over seeded random models and markets: strikes on and
// beside the cubic spline's nodes, far wings, zero, negative, infinite and
// NaN strikes, and strips of every length around the widths.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "common/math/vector_width.hpp"
#include "vol_test_support.hpp"
#include "volmodel/vol_model/cubic_spline.hpp"
#include "volmodel/vol_model/gvv_spline.hpp"
#include "volmodel/vol_model/loops.hpp"
#include "volmodel/vol_model/vol_geo.hpp"

namespace {

using vol_model::ParamMap;
using namespace vol_test;

// A NaN whose payload the arithmetic would carry through.
const double payload_nan = std::bit_cast<double>(std::uint64_t{0x7ff8000000abcdefULL});

struct Market {
    double ttx, spot;
};

// Degenerate now and then: a zero or NaN ttx, ttx = 1 (the cubic spline's
// shift divides by ln 1), the spot at 100.
Market random_market(std::mt19937_64& random) {
    const double ttx = random_ttx(random), spot = uniform(random, 60, 160), pick = uniform(random, 0, 1);
    if (pick < 0.05) return {0.0, spot};
    if (pick < 0.08) return {qnan, spot};
    if (pick < 0.11) return {1.0, spot};
    return {ttx, pick < 0.2 ? 100.0 : spot};
}

ParamMap random_params(const std::string& kind, std::mt19937_64& random) {
    if (kind == "GVVSpline") return random_gvv_params(random);
    if (kind == "VolGeo") return random_vol_geo_params(random);
    return random_cubic_params(random);
}

// Strikes whose scaled log-moneyness falls on each node of the cubic spline
// and one ulp either side, in a smile whose at-the-money level is `atm`.
void add_node_strikes(std::vector<double>& strikes, Market market, double atm) {
    for (const double node : vol_model::cubic_nodes) {
        const double k = market.spot * std::exp(node * atm / 100 * std::sqrt(market.ttx));
        strikes.insert(strikes.end(), {k, std::nextafter(k, 0.0), std::nextafter(k, inf)});
    }
}

std::vector<double> strip_strikes(Market market, double atm, std::mt19937_64& random) {
    std::vector<double> strikes;
    for (int i = 0; i < 40; ++i) strikes.push_back(market.spot * uniform(random, 0.3, 3.0));
    for (int i = 0; i < 8; ++i) strikes.push_back(std::exp(uniform(random, -700, 700)));
    strikes.insert(strikes.end(), {0.0, -0.0, -5.0, inf, -inf, qnan, payload_nan, 4.9e-324,
                                   1.7976931348623157e308, market.spot});
    add_node_strikes(strikes, market, atm);
    std::shuffle(strikes.begin(), strikes.end(), random);
    return strikes;
}

void fill_at_width(const vol_model::VolSlice& model, std::size_t width, Market market,
                   std::span<const double> strikes, std::span<double> vols) {
    if (auto* m = dynamic_cast<const vol_model::GVVSpline*>(&model)) {
        return m->fill_vols_at_width(width, market.ttx, market.spot, strikes, vols);
    }
    if (auto* m = dynamic_cast<const vol_model::VolGeo*>(&model)) {
        return m->fill_vols_at_width(width, market.ttx, market.spot, strikes, vols);
    }
    dynamic_cast<const vol_model::CubicSpline&>(model).fill_vols_at_width(width, market.ttx, market.spot,
                                                                            strikes, vols);
}

class StripWidth : public ::testing::TestWithParam<std::tuple<std::string, std::size_t>> {};

TEST_P(StripWidth, EveryStrikeHasTheBytesOfGetVolSingle) {
    const auto& [kind, width] = GetParam();
    if (width > kelvane::vectors::widest_supported()) GTEST_SKIP() << "no unit of width " << width;
    std::mt19937_64 random(20261209 + width);
    for (int round = 0; round < 60; ++round) {
        const ParamMap params = random_params(kind, random);
        const auto model = vol_model::model_of_kind(kind, params);
        const Market market = random_market(random);
        const std::vector<double> all = strip_strikes(market, params.at("ref_vol"), random);
        // Every length from 0 to past two vectors, then the whole strip.
        for (std::size_t length = 0; length <= all.size(); length += (length < 20 ? 1 : all.size() - 20)) {
            const std::span<const double> strikes(all.data(), length);
            std::vector<double> vols(length);
            fill_at_width(*model, width, market, strikes, vols);
            for (std::size_t i = 0; i < length; ++i) {
                const double expected = model->get_vol_single(market.ttx, market.spot, strikes[i]);
                ASSERT_EQ(std::bit_cast<std::uint64_t>(expected), std::bit_cast<std::uint64_t>(vols[i]))
                    << kind << " width " << width << " round " << round << " ttx " << text(market.ttx)
                    << " spot " << text(market.spot) << " strike " << text(strikes[i]) << ": expected "
                    << text(expected) << ", computed " << text(vols[i]);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Models, StripWidth,
                         ::testing::Combine(::testing::Values("GVVSpline", "VolGeo", "CubicSpline"),
                                            ::testing::Values(std::size_t{1}, std::size_t{2},
                                                              std::size_t{4}, std::size_t{8})),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_width_" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
