// The operations every smile model shares, checked on all three: the
// provided single-strike, bump and Jacobian operations against their
// recipes, re-anchoring, the dictionary operations, over seeded random
// parameters and the degenerate cases.
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vol_test_support.hpp"
#include "volmodel/vol_model/cubic_spline.hpp"
#include "volmodel/vol_model/gvv_spline.hpp"
#include "volmodel/vol_model/vol_geo.hpp"

namespace {

using vol_model::ParamMap;
using vol_model::VolSlice;
using namespace vol_test;

struct ModelKind {
    const char* name;
    std::function<std::unique_ptr<VolSlice>(ParamMap)> build;
    ParamMap defaults;
    std::vector<std::string> fitting;
    bool has_offset;
    ParamMap (*random_params)(std::mt19937_64&);
};

void PrintTo(const ModelKind& kind, std::ostream* os) { *os << kind.name; }

template <class Model>
std::function<std::unique_ptr<VolSlice>(ParamMap)> builder() {
    return [](ParamMap params) {
        return std::make_unique<Model>(Model::with_params(expiry, std::move(params)));
    };
}

const ModelKind kinds[] = {
    {"GVVSpline", builder<vol_model::GVVSpline>(),
     {{"vpr", 1.0}, {"ref_spot", 100.0}, {"ref_vol", 50.0}, {"skew", 0.0}, {"smile", 5.0},
      {"pwing", 0.0}, {"cwing", 0.0}, {"offset", 0.0}},
     {"ref_vol", "skew", "smile"}, true, random_gvv_params},
    {"CubicSpline", builder<vol_model::CubicSpline>(),
     {{"vpr", 1.0}, {"ref_spot", 100.0}, {"ref_vol", 50.0}, {"p05", 0.0}, {"p10", 0.0},
      {"p15", 0.0}, {"p20", 0.0}, {"p25", 0.0}, {"c05", 0.0}, {"c10", 0.0}, {"c15", 0.0},
      {"c20", 0.0}, {"c25", 0.0}},
     {"ref_vol", "p25", "p20", "p15", "p10", "p05", "c05", "c10", "c15", "c20", "c25"}, false, random_cubic_params},
    {"VolGeo", builder<vol_model::VolGeo>(),
     {{"vpr", 1.0}, {"ref_spot", 100.0}, {"ref_vol", 50.0}, {"corr", 0.0}, {"vvol", 20.0},
      {"offset", 0.0}},
     {"ref_vol", "corr", "vvol"}, true, random_vol_geo_params},
};

// One random market around a model's anchor.
struct Market {
    double ttx, spot;
    std::vector<double> strikes;
};

Market random_market(std::mt19937_64& rng, const ParamMap& params) {
    Market market{random_ttx(rng), params.at("ref_spot") * uniform(rng, 0.9, 1.1), {}};
    market.strikes = random_strikes(rng, market.spot);
    market.strikes.push_back(params.at("ref_spot"));
    return market;
}

constexpr int random_cases = 100;

class SharedOperations : public ::testing::TestWithParam<ModelKind> {
protected:
    const ModelKind& kind() const { return GetParam(); }
    std::mt19937_64 rng{20240611};
};

TEST_P(SharedOperations, DefaultsFittingNamesAndUnknownNames) {
    const auto model = kind().build({{"no_such_name", 7.0}, {"Ref_vol", 1.0}});
    EXPECT_TRUE(same_params(kind().defaults, model->get_param_dict()));
    EXPECT_TRUE(model->arb_free());
    EXPECT_EQ(model->get_fitting_params(), kind().fitting);
    EXPECT_EQ(model->get_parameter("no_such_name"), std::nullopt);
    EXPECT_EQ(model->get_parameter("ref_vol"), 50.0);
    EXPECT_EQ(model->expiry(), expiry);

    model->set_param("no_such_name", 1.0);
    model->set_param("REF_VOL", 1.0);
    EXPECT_TRUE(same_params(kind().defaults, model->get_param_dict()));
    model->set_param("ref_vol", qnan);  // stored unvalidated
    EXPECT_TRUE(std::isnan(*model->get_parameter("ref_vol")));
    EXPECT_FALSE(model->arb_free());

    const auto with_offset = kind().build({{"offset", 1.25}});
    EXPECT_EQ(with_offset->offset(), kind().has_offset ? 1.25 : 0.0);
    EXPECT_EQ(with_offset->get_parameter("offset").has_value(), kind().has_offset);
}

TEST_P(SharedOperations, EmptyStrikesGiveEmptyResults) {
    const auto model = kind().build({});
    EXPECT_TRUE(model->get_vol(0.25, 100.0, {}).empty());
    const std::vector<std::string> names{"ref_vol", "ref_vol", "vpr"};
    const vol_model::JacobianMap jacobian = model->get_jacobian(0.25, 100.0, {}, names);
    ASSERT_EQ(jacobian.size(), 2u);
    EXPECT_TRUE(jacobian.at("ref_vol").empty());
    EXPECT_TRUE(jacobian.at("vpr").empty());
}

TEST_P(SharedOperations, JacobianOfNoNamesOrUnknownNames) {
    const auto model = kind().build({});
    const std::vector<double> strikes{-1.0, 80.0, 100.0, 125.0};
    EXPECT_TRUE(model->get_jacobian(0.25, 100.0, strikes, {}).empty());

    const std::vector<std::string> names{"nope", "nope"};
    const vol_model::JacobianMap jacobian = model->get_jacobian(0.25, 100.0, strikes, names);
    ASSERT_EQ(jacobian.size(), 1u);
    const std::vector<double>& column = jacobian.at("nope");
    ASSERT_EQ(column.size(), strikes.size());
    EXPECT_TRUE(std::isnan(column[0])) << "a negative strike has a NaN volatility";
    for (std::size_t i = 1; i < column.size(); ++i) EXPECT_EQ(column[i], 0.0) << strikes[i];
}

TEST_P(SharedOperations, SingleStrikeEqualsVectorElement) {
    for (int n = 0; n < random_cases; ++n) {
        const ParamMap params = kind().random_params(rng);
        const Market market = random_market(rng, params);
        const auto model = kind().build(params);
        const std::vector<double> vols = model->get_vol(market.ttx, market.spot, market.strikes);
        ASSERT_EQ(vols.size(), market.strikes.size());
        for (std::size_t i = 0; i < vols.size(); ++i) {
            EXPECT_TRUE(same_bits(vols[i], model->get_vol_single(market.ttx, market.spot, market.strikes[i])))
                << describe_call(params, market.ttx, market.spot) << " K=" << text(market.strikes[i]);
        }
    }
}

TEST_P(SharedOperations, JacobianColumnsAreForwardDifferences) {
    for (int n = 0; n < random_cases / 4; ++n) {
        const ParamMap params = kind().random_params(rng);
        const Market market = random_market(rng, params);
        const auto model = kind().build(params);
        std::vector<std::string> names = model->get_fitting_params();
        names.insert(names.end(), {"vpr", "ref_spot", "offset"});
        const vol_model::JacobianMap jacobian =
            model->get_jacobian(market.ttx, market.spot, market.strikes, names);
        const std::vector<double> base = model->get_vol(market.ttx, market.spot, market.strikes);
        for (const std::string& name : names) {
            ParamMap bumped = params;
            if (auto it = bumped.find(name); it != bumped.end()) it->second = 0.01 + it->second;
            const std::vector<double> vols =
                kind().build(bumped)->get_vol(market.ttx, market.spot, market.strikes);
            const std::vector<double>& column = jacobian.at(name);
            ASSERT_EQ(column.size(), market.strikes.size());
            for (std::size_t i = 0; i < column.size(); ++i) {
                EXPECT_TRUE(same_bits((vols[i] - base[i]) / 0.01, column[i]))
                    << name << " at " << describe_call(params, market.ttx, market.spot)
                    << " K=" << text(market.strikes[i]);
            }
        }
    }
}

TEST_P(SharedOperations, ReanchorKeepsTheQuotedVolatility) {
    for (int n = 0; n < random_cases; ++n) {
        const ParamMap params = kind().random_params(rng);
        const Market market = random_market(rng, params);
        // Every fourth case re-anchors at the anchor itself.
        const double spot = n % 4 == 0 ? params.at("ref_spot") : market.spot;
        const auto model = kind().build(params);
        const double quoted = model->get_vol_single(market.ttx, spot, spot);
        const std::string what = describe_call(params, market.ttx, spot);

        ASSERT_TRUE(model->reanchor(spot, market.ttx).has_value()) << what;
        const double requoted = model->get_vol_single(market.ttx, spot, spot);
        EXPECT_LE(ulps_apart(quoted, requoted), 2u)
            << what << ": quoted " << text(quoted) << ", after reanchor " << text(requoted);

        ParamMap expected = params;
        expected["ref_spot"] = spot;
        expected["ref_vol"] = quoted * 100;
        EXPECT_TRUE(same_params(expected, model->get_param_dict())) << what;
    }
}

TEST_P(SharedOperations, FailedReanchorLeavesTheModelUnchanged) {
    struct Case {
        double spot, ttx;
        const char* numbers;
    };
    const Case cases[] = {
        {110.0, 0.0, "spot 110 and ttx 0"},    {100.0, 0.0, "spot 100 and ttx 0"},
        {110.0, -0.25, "spot 110 and ttx -0.25"}, {0.0, 0.25, "spot 0 and ttx 0.25"},
        {-5.0, 0.25, "spot -5 and ttx 0.25"},  {qnan, 0.25, "spot nan and ttx 0.25"},
        {110.0, qnan, "spot 110 and ttx nan"},  {inf, 0.25, "spot inf and ttx 0.25"},
    };
    for (const ParamMap& params : {ParamMap{}, kind().random_params(rng)}) {
        for (const Case& c : cases) {
            const auto model = kind().build(params);
            const ParamMap before = model->get_param_dict();
            const kelvane::Result<void> result = model->reanchor(c.spot, c.ttx);
            const std::string what = describe_call(params, c.ttx, c.spot);
            ASSERT_FALSE(result.has_value()) << what;
            EXPECT_EQ(result.error().message, std::string("Cannot reanchor at ") + c.numbers +
                                                  ": the volatility there is not finite")
                << what;
            EXPECT_TRUE(same_params(before, model->get_param_dict())) << what;
        }
    }
}

TEST_P(SharedOperations, OppositeBumpsRestoreTheParameter) {
    int restored = 0;
    for (int n = 0; n < random_cases; ++n) {
        const ParamMap params = kind().random_params(rng);
        for (const std::string& name : kind().fitting) {
            const double d = uniform(rng, -2, 2);
            const auto model = kind().build(params);
            const double original = params.at(name);
            const std::string what = name + " by " + text(d) + " on " + describe(params);

            ParamMap bumped = params;
            bumped[name] = d + original;
            const bool allowed = kind().build(bumped)->arb_free();
            model->bump_param(name, d);
            EXPECT_TRUE(same_bits(allowed ? d + original : original, *model->get_parameter(name)))
                << what;
            if (!allowed) continue;

            bumped[name] = -d + (d + original);
            if (!kind().build(bumped)->arb_free()) continue;
            model->bump_param(name, -d);
            EXPECT_NEAR(*model->get_parameter(name), original,
                        4 * std::numeric_limits<double>::epsilon() * (std::abs(original) + std::abs(d)))
                << what;
            ++restored;
        }
    }
    EXPECT_GT(restored, random_cases) << "too few random bumps were allowed both ways";
}

TEST_P(SharedOperations, BumpsOfUnknownNamesAreIgnored) {
    const auto model = kind().build({});
    model->bump_param("nope", 1.0);
    model->bump_param("Ref_vol", 1.0);
    EXPECT_TRUE(same_params(kind().defaults, model->get_param_dict()));
}

TEST_P(SharedOperations, BumpIsJudgedOnTheBumpedModel) {
    // ref_vol 0.5 breaks every model's bound; 10.5 more passes every one.
    const auto model = kind().build({{"ref_vol", 0.5}});
    ASSERT_FALSE(model->arb_free());
    model->bump_param("ref_vol", 10.5);
    EXPECT_EQ(model->get_parameter("ref_vol"), 11.0);
    model->bump_param("ref_vol", -11.0);
    EXPECT_EQ(model->get_parameter("ref_vol"), 11.0) << "a bump to ref_vol 0 must be refused";
}

TEST_P(SharedOperations, CloneAndBumpChangesOnlyTheBumpedNames) {
    for (int n = 0; n < random_cases; ++n) {
        const ParamMap params = kind().random_params(rng);
        const auto model = kind().build(params);
        const auto copy = model->clone_and_bump({});
        EXPECT_TRUE(same_params(params, copy->get_param_dict()));
        EXPECT_EQ(copy->expiry(), expiry);

        const std::string& name = kind().fitting[n % kind().fitting.size()];
        const double amount = uniform(rng, -5, 5);
        const auto bumped = model->clone_and_bump({{name, amount}, {"no_such_name", 3.0}});
        ParamMap expected = params;
        expected[name] = amount + params.at(name);
        EXPECT_TRUE(same_params(expected, bumped->get_param_dict())) << name << " by " << amount;
        EXPECT_TRUE(same_params(params, model->get_param_dict())) << "the receiver must not change";
    }
}

INSTANTIATE_TEST_SUITE_P(AllModels, SharedOperations, ::testing::ValuesIn(kinds),
                         [](const ::testing::TestParamInfo<ModelKind>& param_info) {
                             return std::string(param_info.param.name);
                         });

}  // namespace
