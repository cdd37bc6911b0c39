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

// Degenerate now and then: a non-positive or NaN ttx, a spot off the anchor.
Market random_market(std::mt19937_64& random) {
    std::uniform_real_distribution<double> ttx(0.002, 3.0), spot(60.0, 160.0), pick(0.0, 1.0);
    const double p = pick(random);
    if (p < 0.05) return {0.0, spot(random)};
    if (p < 0.08) return {qnan, spot(random)};
    if (p < 0.15) return {ttx(random), 100.0};
    if (p < 0.18) return {1.0, spot(random)};  // ln(1) = 0 in the cubic spline's shift
    return {ttx(random), spot(random)};
}

ParamMap random_params(const std::string& kind, std::mt19937_64& random) {
    std::uniform_real_distribution<double> vol(5.0, 120.0), shape(-15.0, 15.0), wing(0.0, 4.0),
        spot(70.0, 140.0), corr(-2.0, 2.0);
    if (kind == "GVVSpline") {
        return {{"ref_spot", spot(random)}, {"ref_vol", vol(random)}, {"skew", shape(random)},
                {"smile", std::abs(shape(random))}, {"pwing", wing(random)}, {"cwing", wing(random)}};
    }
    if (kind == "VolGeo") {
        return {{"vpr", wing(random)}, {"ref_spot", spot(random)}, {"ref_vol", vol(random)},
                {"corr", corr(random)}, {"vvol", std::abs(shape(random)) * 4}};
    }
    ParamMap params{{"vpr", wing(random)}, {"ref_spot", spot(random)}, {"ref_vol", vol(random)}};
    for (const char* name : {"p05", "p10", "p15", "p20", "p25", "c05", "c10", "c15", "c20", "c25"}) {
        params.emplace(name, shape(random) / 3);
    }
    return params;
}

// Strikes whose scaled log-moneyness falls on each node of the cubic spline
// and one ulp either side, in a smile whose at-the-money level is `atm`.
void add_node_strikes(std::vector<double>& strikes, Market market, double atm) {
    for (const double node : vol_model::cubic_nodes) {
        const double k = market.spot * std::exp(node * atm / 100 * std::sqrt(market.ttx));
        strikes.insert(strikes.end(), {k, std::nextafter(k, 0.0), std::nextafter(k, inf)});
    }
}

std::vector<double> random_strikes(Market market, double atm, std::mt19937_64& random) {
    std::uniform_real_distribution<double> near(0.3, 3.0), log_far(-700.0, 700.0);
    std::vector<double> strikes;
    for (int i = 0; i < 40; ++i) strikes.push_back(market.spot * near(random));
    for (int i = 0; i < 8; ++i) strikes.push_back(std::exp(log_far(random)));
    strikes.insert(strikes.end(), {0.0, -0.0, -5.0, inf, -inf, qnan, payload_nan, 4.9e-324,
                                   1.7976931348623157e308, market.spot});
    add_node_strikes(strikes, market, atm);
    std::shuffle(strikes.begin(), strikes.end(), random);
    return strikes;
}

std::unique_ptr<vol_model::VolSlice> built(const std::string& kind, ParamMap params) {
    return vol_model::model_of_kind(kind, std::move(params));
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
        const auto model = built(kind, params);
        const Market market = random_market(random);
        const std::vector<double> all = random_strikes(market, params.at("ref_vol"), random);
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
