// GVVSpline: the variance formula bit for bit, its anchor and wing
// properties, the non-finite-to-NaN rule and the arbitrage bounds.
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vol_test_support.hpp"
#include "common/math/elementary.hpp"
#include "volmodel/vol_model/gvv_spline.hpp"

namespace {

using vol_model::GVVSpline;
using vol_model::ParamMap;
using namespace vol_test;

GVVSpline gvv(ParamMap params) { return GVVSpline::with_params(expiry, std::move(params)); }

// The smile recomputed one documented step at a time.
double reference_vol(const ParamMap& prm, double ttx, double strike) {
    const double sigma = prm.at("ref_vol") / 100;
    const double a = prm.at("skew") / 100;
    const double g = prm.at("smile") / 100;
    const double p = prm.at("pwing") / 100;
    const double q = prm.at("cwing") / 100;
    const double r = std::sqrt(ttx);
    const double z = kelvane::elementary::log(strike / prm.at("ref_spot")) / r;
    const double y = z * (1 - 0.5 * kelvane::elementary::exp(-(z * z)));
    const double u = sigma * sigma + sigma * ((a + a) * y);
    const double v = 0.5 * (u + std::sqrt((g * y) * y * 4 + u * u));
    const double t = 6 * kelvane::elementary::tanh((y / std::sqrt(v)) / 6);
    const double w = (t * t) * (t * t);
    const double total = y < 0 ? v + p * w : y > 0 ? v + q * w : v;
    const double vol = std::sqrt(total);
    return std::isfinite(vol) ? vol : qnan;
}

TEST(GVVSpline, FormulaBitForBit) {
    const ParamMap cases[] = {
        gvv({}).get_param_dict(),
        {{"vpr", 1}, {"ref_spot", 100}, {"ref_vol", 62.5}, {"skew", -7.5}, {"smile", 12},
         {"pwing", 3}, {"cwing", 1.5}, {"offset", 0}},
        {{"vpr", 0}, {"ref_spot", 27'500}, {"ref_vol", 38}, {"skew", 4}, {"smile", 1},
         {"pwing", 0}, {"cwing", 8}, {"offset", 2}},
        // A negative smile drives the root negative for some strikes.
        {{"vpr", 1}, {"ref_spot", 100}, {"ref_vol", 20}, {"skew", 0}, {"smile", -40},
         {"pwing", 0}, {"cwing", 0}, {"offset", 0}},
    };
    for (const ParamMap& prm : cases) {
        const double ref_spot = prm.at("ref_spot");
        std::vector<double> strikes;
        for (double moneyness : {0.05, 0.5, 0.8, 0.97, 1.0, 1.03, 1.25, 2.0, 20.0}) {
            strikes.push_back(ref_spot * moneyness);
        }
        for (double ttx : {0.004, 0.25, 1.0, 3.0}) {
            // The spot argument is ignored: pass one far from the anchor.
            const std::vector<double> vols = gvv(prm).get_vol(ttx, ref_spot * 3, strikes);
            for (std::size_t i = 0; i < strikes.size(); ++i) {
                EXPECT_TRUE(same_bits(reference_vol(prm, ttx, strikes[i]), vols[i]))
                    << describe(prm) << " ttx=" << ttx << " K=" << text(strikes[i]);
            }
        }
    }
}

TEST(GVVSpline, FormulaBitForBitOverRandomSmiles) {
    std::mt19937_64 rng(11);
    for (int n = 0; n < 200; ++n) {
        const ParamMap prm = random_gvv_params(rng);
        const double ttx = uniform(rng, 0.001, 3.0);
        const std::vector<double> strikes = random_strikes(rng, prm.at("ref_spot"));
        const std::vector<double> vols = gvv(prm).get_vol(ttx, 0.0, strikes);
        for (std::size_t i = 0; i < strikes.size(); ++i) {
            EXPECT_TRUE(same_bits(reference_vol(prm, ttx, strikes[i]), vols[i]))
                << describe(prm) << " ttx=" << text(ttx) << " K=" << text(strikes[i]);
        }
    }
}

TEST(GVVSpline, AtTheAnchorTheVolIsRefVol) {
    for (double ref_vol : {50.0, 12.3, 250.0, -40.0}) {
        const GVVSpline model = gvv({{"ref_vol", ref_vol}, {"skew", -9}, {"pwing", 4}});
        for (double spot : {100.0, 1e6, qnan}) {
            const std::vector<double> strike{100.0};
            EXPECT_EQ(model.get_vol(0.3, spot, strike), std::vector<double>{std::abs(ref_vol) / 100})
                << "ref_vol=" << ref_vol << " spot=" << spot;
        }
    }
}

TEST(GVVSpline, WithoutShapeTheSmileIsFlat) {
    const GVVSpline model = gvv({{"ref_vol", -35.0}, {"smile", 0.0}});
    const std::vector<double> strikes{1.0, 60.0, 99.0, 100.0, 101.0, 180.0, 1e5};
    for (double vol : model.get_vol(0.5, 100.0, strikes)) EXPECT_EQ(vol, 0.35);
}

TEST(GVVSpline, NonFiniteVolatilitiesBecomeNaN) {
    const std::vector<double> strikes{-10.0, 0.0, 80.0, 100.0, 125.0};
    const struct {
        const char* what;
        ParamMap params;
        double ttx;
        std::vector<bool> nan_at;
    } cases[] = {
        {"zero expiry", {}, 0.0, {true, true, true, true, true}},
        {"negative expiry", {}, -0.5, {true, true, true, true, true}},
        {"non-positive strikes", {}, 0.5, {true, true, false, false, false}},
        {"ref_vol whose variance overflows", {{"ref_vol", 1e300}}, 0.5, {true, true, true, true, true}},
        {"negative root", {{"smile", -60.0}, {"ref_vol", 10.0}}, 0.5, {true, true, true, false, true}},
        {"NaN parameter", {{"skew", qnan}}, 0.5, {true, true, true, true, true}},
    };
    for (const auto& c : cases) {
        const std::vector<double> vols = gvv(c.params).get_vol(c.ttx, 100.0, strikes);
        for (std::size_t i = 0; i < strikes.size(); ++i) {
            if (c.nan_at[i]) {
                // A quiet NaN, never an infinity.
                EXPECT_TRUE(std::isnan(vols[i])) << c.what << " K=" << strikes[i] << ": " << vols[i];
            } else {
                EXPECT_TRUE(std::isfinite(vols[i])) << c.what << " K=" << strikes[i] << ": " << vols[i];
            }
        }
    }
}

TEST(GVVSpline, EachWingRaisesOnlyItsSide) {
    const std::vector<double> strikes{50.0, 90.0, 99.9, 100.0, 100.1, 110.0, 200.0};
    const std::vector<double> plain = gvv({{"skew", -3}}).get_vol(0.25, 100.0, strikes);
    const std::vector<double> puts = gvv({{"skew", -3}, {"pwing", 2}}).get_vol(0.25, 100.0, strikes);
    const std::vector<double> calls = gvv({{"skew", -3}, {"cwing", 2}}).get_vol(0.25, 100.0, strikes);
    for (std::size_t i = 0; i < strikes.size(); ++i) {
        const double k = strikes[i];
        if (k < 100.0) {
            EXPECT_GT(puts[i], plain[i]) << k;
            EXPECT_TRUE(same_bits(plain[i], calls[i])) << k;
        } else if (k > 100.0) {
            EXPECT_GT(calls[i], plain[i]) << k;
            EXPECT_TRUE(same_bits(plain[i], puts[i])) << k;
        } else {
            EXPECT_TRUE(same_bits(plain[i], puts[i]) && same_bits(plain[i], calls[i]));
        }
    }
}

TEST(GVVSpline, ArbitrageBounds) {
    const struct {
        const char* name;
        double value;
        bool arb_free;
    } cases[] = {
        {"ref_vol", 10.0, false}, {"ref_vol", 10.5, true}, {"ref_vol", qnan, false},
        {"smile", 0.99, false},   {"smile", 1.0, true},    {"smile", qnan, false},
        {"pwing", -0.01, false},  {"pwing", 0.0, true},    {"pwing", qnan, false},
        {"cwing", -0.01, false},  {"cwing", qnan, false},   {"skew", qnan, true},
        {"vpr", -5.0, true},      {"offset", qnan, true},   {"ref_spot", qnan, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gvv({{c.name, c.value}}).arb_free(), c.arb_free) << c.name << "=" << c.value;
    }
}

TEST(GVVSpline, NamedAccess) {
    GVVSpline model = gvv({});
    model.set_param("smile", 2.0);
    model.set_param("Smile", 3.0);
    EXPECT_EQ(model.params().smile, 2.0);

    model.bump_param("ref_vol", -45.0);  // 5 fails the strict bound of 10
    EXPECT_EQ(model.params().ref_vol, 50.0);
    model.bump_param("ref_vol", 1.0);
    EXPECT_EQ(model.params().ref_vol, 51.0);
    model.set_param("smile", 5.0);
    model.bump_param("smile", -4.5);     // 0.5 fails smile >= 1
    EXPECT_EQ(model.params().smile, 5.0);
}

// A curvature comparable to the bump changes the vols by large, varied
// fractions of themselves.
TEST(GVVSpline, JacobianDividesByTheBump) {
    std::mt19937_64 rng(5);
    int parted = 0;
    for (int n = 0; n < 40; ++n) {
        const GVVSpline model = gvv({{"ref_vol", 1.0}, {"smile", uniform(rng, 0.001, 0.02)}});
        parted += check_divided_difference(model, "smile", random_ttx(rng), 100.0, random_strikes(rng, 100.0));
    }
    EXPECT_GT(parted, 0) << "no case tells the division from the multiplication";
}

TEST(GVVSpline, UnusedParametersHaveZeroSensitivity) {
    const GVVSpline model = gvv({{"skew", -4}, {"pwing", 1}, {"cwing", 2}});
    const std::vector<double> strikes{70.0, 100.0, 140.0};
    const std::vector<std::string> names{"vpr", "offset"};
    for (const auto& [name, column] : model.get_jacobian(0.4, 120.0, strikes, names)) {
        EXPECT_EQ(column, std::vector<double>(3, 0.0)) << name;
    }
}

TEST(GVVSpline, ReanchorMeasuresFromTheOldAnchor) {
    GVVSpline model = gvv({{"skew", -6}, {"smile", 9}, {"pwing", 2}});
    const double quoted = reference_vol(model.get_param_dict(), 0.25, 110.0);
    ASSERT_TRUE(model.reanchor(110.0, 0.25).has_value());
    EXPECT_EQ(model.params().ref_spot, 110.0);
    EXPECT_EQ(model.params().ref_vol, quoted * 100);

    GVVSpline same = gvv({{"skew", -6}});
    ASSERT_TRUE(same.reanchor(100.0, 0.25).has_value());
    EXPECT_LE(ulps_apart(same.params().ref_vol, 50.0), 1u) << text(same.params().ref_vol);
}

}  // namespace
