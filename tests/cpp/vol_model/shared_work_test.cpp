// The models' own get_vol_single, get_jacobian and fill_vols, which evaluate
// one strike without a vector, share the strike-only work between the
// bumped parameters and evaluate a strip a block at a time, against the general recipes of the interface (a one-element
// get_vol; a rebuilt model per name through clone_and_bump), byte for byte:
// NaN payloads and signed zeros included, over seeded random models,
// markets and hostile values.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vol_test_support.hpp"
#include "volmodel/vol_model/cubic_spline.hpp"
#include "volmodel/vol_model/gvv_spline.hpp"
#include "volmodel/vol_model/vol_geo.hpp"

namespace {

using vol_model::JacobianMap;
using vol_model::ParamMap;
using vol_model::VolSlice;
using namespace vol_test;

::testing::AssertionResult same_bytes(double expected, double computed) {
    const auto e = std::bit_cast<std::uint64_t>(expected);
    const auto c = std::bit_cast<std::uint64_t>(computed);
    if (e == c) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hex << "expected 0x" << e << " (" << text(expected)
                                         << "), computed 0x" << c << " (" << text(computed) << ")";
}

// Values that stress the order of operations and the propagation of NaN
// payloads: NaNs of both signs with payloads (one signalling), signed zeros,
// infinities, the extremes of the range.
const std::array<double, 12> hostile = {
    std::bit_cast<double>(std::uint64_t{0x7ff8'0000'0000'0001}),
    std::bit_cast<double>(std::uint64_t{0xfff8'0000'dead'beef}),
    std::bit_cast<double>(std::uint64_t{0x7ff0'0000'0000'0042}),
    0.0, -0.0, inf, -inf, 1e308, -1e308, 5e-324, -5e-324, 1.0};

// Mostly the ordinary value, sometimes a hostile one.
double sometimes_hostile(std::mt19937_64& rng, double ordinary) {
    if (std::uniform_int_distribution<int>(0, 9)(rng) != 0) return ordinary;
    return hostile[std::uniform_int_distribution<std::size_t>(0, hostile.size() - 1)(rng)];
}

struct Kind {
    const char* name;
    std::function<std::unique_ptr<VolSlice>(ParamMap)> build;
    ParamMap (*random_params)(std::mt19937_64&);
};

void PrintTo(const Kind& kind, std::ostream* os) { *os << kind.name; }

template <class Model>
std::function<std::unique_ptr<VolSlice>(ParamMap)> builder() {
    return [](ParamMap params) {
        return std::make_unique<Model>(Model::with_params(expiry, std::move(params)));
    };
}

const Kind kinds[] = {
    {"GVVSpline", builder<vol_model::GVVSpline>(), random_gvv_params},
    {"CubicSpline", builder<vol_model::CubicSpline>(), random_cubic_params},
    {"VolGeo", builder<vol_model::VolGeo>(), random_vol_geo_params},
};

struct Case {
    ParamMap params;
    double ttx, spot;
    std::vector<double> strikes;
};

Case random_case(std::mt19937_64& rng, const Kind& kind, bool hostile_values) {
    auto maybe = [&](double x) { return hostile_values ? sometimes_hostile(rng, x) : x; };
    Case c{kind.random_params(rng), 0, 0, {}};
    for (auto& entry : c.params) entry.second = maybe(entry.second);
    const double ref_spot = c.params.at("ref_spot");
    c.ttx = maybe(uniform(rng, 0.001, 3.0));
    c.spot = maybe(100.0 * std::exp(uniform(rng, -0.5, 0.5)));
    const int n = std::uniform_int_distribution<int>(0, 40)(rng);
    for (int i = 0; i < n; ++i) c.strikes.push_back(maybe(100.0 * std::exp(uniform(rng, -2, 2))));
    c.strikes.push_back(c.spot);
    c.strikes.push_back(ref_spot);
    return c;
}

std::string describe(const Case& c) { return describe_call(c.params, c.ttx, c.spot); }

constexpr int cases_per_kind = 400;

class SharedWork : public ::testing::TestWithParam<Kind> {
protected:
    const Kind& kind() const { return GetParam(); }
    std::mt19937_64 rng{9'2026'12'08};
};

TEST_P(SharedWork, SingleStrikeMatchesTheOneElementVector) {
    for (int n = 0; n < cases_per_kind; ++n) {
        const Case c = random_case(rng, kind(), n % 2 == 1);
        const auto model = kind().build(c.params);
        for (const double strike : c.strikes) {
            EXPECT_TRUE(same_bytes(model->VolSlice::get_vol_single(c.ttx, c.spot, strike),
                                   model->get_vol_single(c.ttx, c.spot, strike)))
                << describe(c) << " K=" << text(strike);
        }
    }
}

TEST_P(SharedWork, JacobianMatchesTheRebuildRecipe) {
    for (int n = 0; n < cases_per_kind; ++n) {
        const Case c = random_case(rng, kind(), n % 2 == 1);
        const auto model = kind().build(c.params);
        // Every parameter (ref_spot moves GVVSpline's strike terms), names the
        // model lacks, a repeat, and the empty name.
        std::vector<std::string> names;
        for (const auto& entry : c.params) names.push_back(entry.first);
        names.insert(names.end(), {"nope", "ref_vol", "", "REF_VOL"});
        std::shuffle(names.begin(), names.end(), rng);

        const JacobianMap expected = model->VolSlice::get_jacobian(c.ttx, c.spot, c.strikes, names);
        const JacobianMap computed = model->get_jacobian(c.ttx, c.spot, c.strikes, names);
        ASSERT_EQ(expected.size(), computed.size()) << describe(c);
        for (const auto& [name, column] : expected) {
            ASSERT_TRUE(computed.contains(name)) << name;
            const std::vector<double>& got = computed.at(name);
            ASSERT_EQ(column.size(), got.size()) << name;
            for (std::size_t i = 0; i < column.size(); ++i) {
                EXPECT_TRUE(same_bytes(column[i], got[i]))
                    << name << " at " << describe(c) << " K=" << text(c.strikes[i]);
            }
        }
    }
}

// A strip cut into blocks of any sizes, each evaluated on its own, gives the
// bytes of one get_vol over the whole strip.
TEST_P(SharedWork, BlocksMatchTheWholeStrip) {
    for (int n = 0; n < cases_per_kind; ++n) {
        const Case c = random_case(rng, kind(), n % 2 == 1);
        const auto model = kind().build(c.params);
        const std::vector<double> whole = model->get_vol(c.ttx, c.spot, c.strikes);
        std::vector<double> blocked(c.strikes.size(), -1.0);
        for (std::size_t start = 0; start < c.strikes.size();) {
            const std::size_t count =
                std::min(c.strikes.size() - start, std::uniform_int_distribution<std::size_t>(1, 9)(rng));
            model->fill_vols(c.ttx, c.spot, std::span<const double>(c.strikes).subspan(start, count),
                             std::span<double>(blocked).subspan(start, count));
            start += count;
        }
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_TRUE(same_bytes(whole[i], blocked[i])) << describe(c) << " K=" << text(c.strikes[i]);
        }
    }
}

TEST_P(SharedWork, JacobianBlocksMatchTheWholeStrip) {
    for (int n = 0; n < cases_per_kind; ++n) {
        const Case c = random_case(rng, kind(), n % 2 == 1);
        const auto model = kind().build(c.params);
        std::vector<std::string> names;
        for (const auto& entry : c.params) names.push_back(entry.first);
        names.insert(names.end(), {"nope", "ref_vol"});
        const JacobianMap whole = model->get_jacobian(c.ttx, c.spot, c.strikes, names);
        std::vector<std::vector<double>> blocked(names.size(), std::vector<double>(c.strikes.size(), -1.0));
        for (std::size_t start = 0; start < c.strikes.size();) {
            const std::size_t count =
                std::min(c.strikes.size() - start, std::uniform_int_distribution<std::size_t>(1, 9)(rng));
            std::vector<std::span<double>> columns;
            for (auto& column : blocked) columns.push_back(std::span<double>(column).subspan(start, count));
            model->fill_jacobian(c.ttx, c.spot, std::span<const double>(c.strikes).subspan(start, count), names,
                                 columns);
            start += count;
        }
        for (std::size_t j = 0; j < names.size(); ++j) {
            const std::vector<double>& column = whole.at(names[j]);
            for (std::size_t i = 0; i < column.size(); ++i) {
                EXPECT_TRUE(same_bytes(column[i], blocked[j][i]))
                    << names[j] << " at " << describe(c) << " K=" << text(c.strikes[i]);
            }
        }
    }
}

TEST(DistinctNames, KeepTheFirstOfEachInOrder) {
    const std::vector<std::string> names{"b", "a", "b", "", "a", "c", ""};
    EXPECT_EQ(vol_model::distinct_names(names), (std::vector<std::string>{"b", "a", "", "c"}));
    EXPECT_TRUE(vol_model::distinct_names({}).empty());
}

TEST_P(SharedWork, JacobianEdgeShapes) {
    const auto model = kind().build({});
    const std::vector<double> strikes{80.0, 100.0};
    const std::vector<std::string> none;
    EXPECT_TRUE(model->get_jacobian(0.25, 100.0, strikes, none).empty());
    const std::vector<std::string> names{"ref_vol", "nope", "ref_vol"};
    const JacobianMap empty_strikes = model->get_jacobian(0.25, 100.0, {}, names);
    ASSERT_EQ(empty_strikes.size(), 2u);
    EXPECT_TRUE(empty_strikes.at("ref_vol").empty());
    EXPECT_TRUE(empty_strikes.at("nope").empty());
}

INSTANTIATE_TEST_SUITE_P(AllModels, SharedWork, ::testing::ValuesIn(kinds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
