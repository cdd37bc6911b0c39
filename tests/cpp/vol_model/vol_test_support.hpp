// Helpers of the smile-model tests: bit-exact comparison with readable
// failure messages, and the descriptions that let a failing case be rerun.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/utc_instant.hpp"
#include "volmodel/vol_model/vol_slice.hpp"

namespace vol_test {

inline constexpr double qnan = std::numeric_limits<double>::quiet_NaN();
inline constexpr double inf = std::numeric_limits<double>::infinity();
inline constexpr kelvane::UtcInstant expiry{1'735'689'600, 250'000'000};

inline std::string text(double x) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", x);
    return buffer;
}

// Identical bits, or NaN on both sides (the payload is not part of the
// contract).
inline ::testing::AssertionResult same_bits(double expected, double computed) {
    const bool both_nan = std::isnan(expected) && std::isnan(computed);
    if (both_nan || std::bit_cast<std::uint64_t>(expected) == std::bit_cast<std::uint64_t>(computed)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "expected " << text(expected) << ", computed " << text(computed);
}

// Distance in units in the last place between two finite doubles of one sign.
inline std::uint64_t ulps_apart(double a, double b) {
    const auto ia = std::bit_cast<std::int64_t>(a);
    const auto ib = std::bit_cast<std::int64_t>(b);
    return ia > ib ? static_cast<std::uint64_t>(ia - ib) : static_cast<std::uint64_t>(ib - ia);
}

// Differences of nearby vols carry few significant bits, and for those
// dividing by 0.01 and multiplying by 100 agree. Checks the Jacobian column
// of `name` bit for bit against the division, and counts the elements where
// the multiplication would have differed (tests of the divisor need some).
inline int check_divided_difference(const vol_model::VolSlice& model, const std::string& name,
                                    double ttx, double spot, const std::vector<double>& strikes) {
    const std::vector<double> base = model.get_vol(ttx, spot, strikes);
    const std::vector<double> bumped =
        model.clone_and_bump({{name, 0.01}})->get_vol(ttx, spot, strikes);
    const std::vector<std::string> names{name};
    const std::vector<double> column = model.get_jacobian(ttx, spot, strikes, names).at(name);
    int parted = 0;
    for (std::size_t i = 0; i < strikes.size(); ++i) {
        const double difference = bumped[i] - base[i];
        parted += difference / 0.01 != difference * 100;
        EXPECT_TRUE(same_bits(difference / 0.01, column[i]))
            << name << " at ttx=" << text(ttx) << " spot=" << text(spot) << " K=" << text(strikes[i]);
    }
    return parted;
}

// The dictionary sorted by name, for failure messages.
inline std::string describe(const vol_model::ParamMap& params) {
    std::vector<std::pair<std::string, double>> sorted(params.begin(), params.end());
    std::sort(sorted.begin(), sorted.end());
    std::string out = "{";
    for (const auto& [name, value] : sorted) {
        if (out.size() > 1) out += ", ";
        out += name + "=" + text(value);
    }
    return out + "}";
}

inline std::string describe_call(const vol_model::ParamMap& params, double ttx, double spot) {
    return describe(params) + " ttx=" + text(ttx) + " spot=" + text(spot);
}

// Both dictionaries hold the same names with identical bits.
inline ::testing::AssertionResult same_params(const vol_model::ParamMap& expected,
                                              const vol_model::ParamMap& computed) {
    if (expected.size() == computed.size() &&
        std::all_of(expected.begin(), expected.end(), [&](const auto& entry) {
            const auto it = computed.find(entry.first);
            return it != computed.end() && same_bits(entry.second, it->second);
        })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "expected " << describe(expected) << ", computed " << describe(computed);
}

inline double uniform(std::mt19937_64& rng, double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

// Random parameters whose smiles are finite and mostly arbitrage-free near
// the anchor, for expiries from random_ttx (well below one year, where the
// CubicSpline shift divides by ln ttx = 0).
inline double random_ttx(std::mt19937_64& rng) { return uniform(rng, 0.02, 0.9); }

inline vol_model::ParamMap random_gvv_params(std::mt19937_64& rng) {
    return {{"vpr", uniform(rng, 0, 2)},       {"ref_spot", uniform(rng, 50, 200)},
            {"ref_vol", uniform(rng, 15, 120)}, {"skew", uniform(rng, -20, 20)},
            {"smile", uniform(rng, 1, 30)},     {"pwing", uniform(rng, 0, 10)},
            {"cwing", uniform(rng, 0, 10)},     {"offset", uniform(rng, -2, 2)}};
}

inline vol_model::ParamMap random_cubic_params(std::mt19937_64& rng) {
    vol_model::ParamMap p{{"vpr", uniform(rng, 0, 2)}, {"ref_spot", uniform(rng, 50, 200)},
                          {"ref_vol", uniform(rng, 25, 120)}};
    for (const char* wing : {"p05", "c05"}) p[wing] = uniform(rng, -0.2, 0.2);
    for (const char* wing : {"p10", "p15", "p20", "c10", "c15", "c20"}) p[wing] = uniform(rng, -3, 6);
    for (const char* wing : {"p25", "c25"}) p[wing] = uniform(rng, 0, 5);
    return p;
}

inline vol_model::ParamMap random_vol_geo_params(std::mt19937_64& rng) {
    return {{"vpr", uniform(rng, 0, 2)},       {"ref_spot", uniform(rng, 50, 200)},
            {"ref_vol", uniform(rng, 10, 120)}, {"corr", uniform(rng, -2, 2)},
            {"vvol", uniform(rng, 1, 60)},      {"offset", uniform(rng, -2, 2)}};
}

// Strikes spread over e^-1 .. e^1 times the spot, the spot itself last.
inline std::vector<double> random_strikes(std::mt19937_64& rng, double spot) {
    std::vector<double> strikes;
    for (int i = 0; i < 6; ++i) strikes.push_back(spot * std::exp(uniform(rng, -1, 1)));
    strikes.push_back(spot);
    return strikes;
}

}  // namespace vol_test
