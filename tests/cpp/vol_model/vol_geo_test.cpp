// VolGeo: the formula bit for bit, the tanh quotient's overflow, the
// at-the-money shift with the spot, symmetry and the arbitrage bounds.
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vol_test_support.hpp"
#include "common/math/elementary.hpp"
#include "volmodel/vol_model/vol_geo.hpp"

namespace {

using vol_model::ParamMap;
using vol_model::VolGeo;
using namespace vol_test;

VolGeo geo(ParamMap params) { return VolGeo::with_params(expiry, std::move(params)); }

// The smile recomputed one documented step at a time.
double reference_vol(const ParamMap& prm, double ttx, double spot, double strike) {
    const double corr = prm.at("corr"), vvol = prm.at("vvol"), ref_vol = prm.at("ref_vol");
    const double e = kelvane::elementary::exp(corr + corr);
    const double rho = (e - 1) / (e + 1);
    const double r = std::sqrt(ttx);
    const double m = kelvane::elementary::log(spot / prm.at("ref_spot")) / r;
    const double atm = ref_vol + prm.at("vpr") * ((m / ref_vol) * (vvol * rho));
    const double sigma = atm / 100;
    const double a = (vvol * rho) / 100;
    const double kappa = ((vvol * vvol) * (1 - rho * rho)) / (sigma * 100) / 100;
    const double x = kelvane::elementary::log(strike / spot) / r;
    const double u = sigma * sigma + sigma * (x * (a + a));
    const double v = 0.5 * (u + std::sqrt((x * (kappa * x)) * 4 + u * u));
    return std::sqrt(v);
}

TEST(VolGeo, FormulaBitForBit) {
    const ParamMap cases[] = {
        geo({}).get_param_dict(),
        {{"vpr", 1}, {"ref_spot", 100}, {"ref_vol", 65}, {"corr", -0.4}, {"vvol", 35}, {"offset", 0}},
        {{"vpr", 0.6}, {"ref_spot", 31'000}, {"ref_vol", 48}, {"corr", 1.3}, {"vvol", 80}, {"offset", 1}},
        {{"vpr", 1}, {"ref_spot", 100}, {"ref_vol", 30}, {"corr", 30}, {"vvol", 20}, {"offset", 0}},
    };
    for (const ParamMap& prm : cases) {
        const double ref_spot = prm.at("ref_spot");
        for (double spot : {ref_spot, ref_spot * 0.93, ref_spot * 1.2}) {
            std::vector<double> strikes;
            for (double moneyness : {0.05, 0.6, 0.9, 1.0, 1.07, 1.5, 12.0}) {
                strikes.push_back(spot * moneyness);
            }
            for (double ttx : {0.01, 0.25, 2.0}) {
                const std::vector<double> vols = geo(prm).get_vol(ttx, spot, strikes);
                for (std::size_t i = 0; i < strikes.size(); ++i) {
                    EXPECT_TRUE(same_bits(reference_vol(prm, ttx, spot, strikes[i]), vols[i]))
                        << describe_call(prm, ttx, spot) << " K=" << text(strikes[i]);
                }
            }
        }
    }
}

TEST(VolGeo, FormulaBitForBitOverRandomSmiles) {
    std::mt19937_64 rng(12);
    for (int n = 0; n < 200; ++n) {
        const ParamMap prm = random_vol_geo_params(rng);
        const double ttx = uniform(rng, 0.001, 3.0);
        const double spot = prm.at("ref_spot") * uniform(rng, 0.8, 1.25);
        const std::vector<double> strikes = random_strikes(rng, spot);
        const std::vector<double> vols = geo(prm).get_vol(ttx, spot, strikes);
        for (std::size_t i = 0; i < strikes.size(); ++i) {
            EXPECT_TRUE(same_bits(reference_vol(prm, ttx, spot, strikes[i]), vols[i]))
                << describe_call(prm, ttx, spot) << " K=" << text(strikes[i]);
        }
    }
}

TEST(VolGeo, AtTheAnchorTheVolIsRefVol) {
    for (double ref_vol : {50.0, 17.3, 140.0}) {
        const std::vector<double> strike{100.0};
        const VolGeo model = geo({{"ref_vol", ref_vol}, {"corr", -0.7}, {"vvol", 45}});
        EXPECT_EQ(model.get_vol(0.3, 100.0, strike), std::vector<double>{ref_vol / 100}) << ref_vol;
    }
}

TEST(VolGeo, CorrelationMapsThroughTheTanhQuotient) {
    const std::vector<double> strikes{80.0, 100.0, 125.0};
    // e^800 overflows: rho = inf / inf.
    for (double vol : geo({{"corr", 400}}).get_vol(0.25, 100.0, strikes)) EXPECT_TRUE(std::isnan(vol));
    // e^60 - 1 and e^60 + 1 round to e^60: rho is 1 and the curvature vanishes.
    const std::vector<double> vols = geo({{"corr", 30}}).get_vol(0.25, 100.0, strikes);
    for (std::size_t i = 0; i < strikes.size(); ++i) {
        const double x = kelvane::elementary::log(strikes[i] / 100.0) / 0.5;
        const double u = 0.25 + 0.5 * (x * (0.2 + 0.2));
        EXPECT_TRUE(same_bits(std::sqrt(u), vols[i])) << strikes[i];
    }
}

TEST(VolGeo, WithoutCorrelationTheSmileIsSymmetric) {
    ASSERT_EQ(kelvane::elementary::log(2.0), -kelvane::elementary::log(0.5));
    const std::vector<double> strikes{50.0, 200.0};
    const std::vector<double> vols = geo({{"vvol", 55}}).get_vol(0.7, 100.0, strikes);
    EXPECT_TRUE(same_bits(vols[0], vols[1]));
    EXPECT_GT(vols[0], 0.5);
}

TEST(VolGeo, AtTheMoneyFollowsTheSpot) {
    const std::vector<double> at_110{110.0};
    EXPECT_GT(geo({{"corr", 0.5}}).get_vol(0.25, 110.0, at_110)[0], 0.5);
    EXPECT_LT(geo({{"corr", -0.5}}).get_vol(0.25, 110.0, at_110)[0], 0.5);
    EXPECT_EQ(geo({{"corr", 0.5}, {"vpr", 0}}).get_vol(0.25, 110.0, at_110)[0], 0.5);
    EXPECT_EQ(geo({}).get_vol(0.25, 110.0, at_110)[0], 0.5);
}

TEST(VolGeo, NonFiniteVolatilitiesAreReturnedAsComputed) {
    const std::vector<double> strikes{100.0, 120.0};
    // sigma^2 overflows: the root is +inf, not turned into NaN.
    for (double vol : geo({{"ref_vol", 1e300}}).get_vol(0.25, 100.0, strikes)) EXPECT_EQ(vol, inf);
    for (double vol : geo({}).get_vol(0.0, 100.0, strikes)) EXPECT_TRUE(std::isnan(vol));
    for (double vol : geo({}).get_vol(0.25, -100.0, strikes)) EXPECT_TRUE(std::isnan(vol));
}

// A ref_vol comparable to the bump makes the at-the-money shift, and so the
// vols, change by large, varied fractions of themselves.
TEST(VolGeo, JacobianDividesByTheBump) {
    std::mt19937_64 rng(6);
    int parted = 0;
    for (int n = 0; n < 40; ++n) {
        const VolGeo model = geo({{"ref_vol", uniform(rng, 0.005, 0.05)}, {"corr", 0.5}});
        const double spot = uniform(rng, 101, 120);
        parted += check_divided_difference(model, "ref_vol", random_ttx(rng), spot, random_strikes(rng, spot));
    }
    EXPECT_GT(parted, 0) << "no case tells the division from the multiplication";
}

TEST(VolGeo, ArbitrageBounds) {
    const struct {
        const char* name;
        double value;
        bool arb_free;
    } cases[] = {
        {"ref_vol", 1.0, false}, {"ref_vol", 1.5, true}, {"ref_vol", qnan, false},
        {"vvol", 0.5, false},    {"vvol", 1.0, true},    {"vvol", qnan, false},
        {"corr", qnan, true},     {"vpr", qnan, true},     {"ref_spot", -1.0, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(geo({{c.name, c.value}}).arb_free(), c.arb_free) << c.name << "=" << c.value;
    }
}

TEST(VolGeo, GuardedBumpsAndZeroSensitivities) {
    VolGeo model = geo({});
    model.bump_param("vvol", -19.5);
    EXPECT_EQ(model.params().vvol, 20.0);
    model.bump_param("corr", 0.1);
    EXPECT_EQ(model.params().corr, 0.1);
    model.set_param("smile", 1.0);  // a GVVSpline name
    EXPECT_EQ(model.params(), geo({{"corr", 0.1}}).params());

    const std::vector<double> strikes{70.0, 100.0, 140.0};
    const std::vector<std::string> names{"offset", "vpr"};
    for (const auto& [name, column] : model.get_jacobian(0.4, 100.0, strikes, names)) {
        EXPECT_EQ(column, std::vector<double>(3, 0.0)) << name;
    }
}

TEST(VolGeo, ReanchorStoresTheShiftedAtTheMoneyLevel) {
    VolGeo model = geo({{"corr", 0.8}, {"vvol", 40}, {"vpr", 0.5}});
    const double quoted = reference_vol(model.get_param_dict(), 0.25, 95.0, 95.0);
    ASSERT_TRUE(model.reanchor(95.0, 0.25).has_value());
    EXPECT_EQ(model.params().ref_spot, 95.0);
    EXPECT_EQ(model.params().ref_vol, quoted * 100);
    EXPECT_LT(model.params().ref_vol, 50.0);
}

}  // namespace
