// CubicSpline and pchip_eval: the node construction and the Hermite cubic
// bit for bit, the at-the-money shift, the flat and plateau cases, the
// linear wings, and the expiry of one year.
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vol_test_support.hpp"
#include "common/math/elementary.hpp"
#include "volmodel/vol_model/cubic_spline.hpp"

namespace {

using vol_model::cubic_nodes;
using vol_model::CubicSpline;
using vol_model::ParamMap;
using vol_model::pchip_eval;
using namespace vol_test;

CubicSpline cubic(ParamMap params) { return CubicSpline::with_params(expiry, std::move(params)); }

using Nodes = std::array<double, 11>;

// Hermite cubic with the documented powers and term order; the interval is
// found by a linear scan here rather than a binary search.
double reference_pchip(const Nodes& xs, const Nodes& ys, const Nodes& ms, double x) {
    if (x <= xs[0]) return ys[0] + (x - xs[0]) * (ys[1] - ys[0]) / (xs[1] - xs[0]);
    if (x >= xs[10]) return ys[10] + (x - xs[10]) * (ys[10] - ys[9]) / (xs[10] - xs[9]);
    std::size_t i = 0;
    while (i + 2 < xs.size() && xs[i + 1] <= x) ++i;
    const double h = xs[i + 1] - xs[i];
    const double t = (x - xs[i]) / h;
    const double t2 = t * t, t3 = t * t2, two_t2 = t * (t + t), two_t3 = t * two_t2;
    const double three_t2 = t * (t * 3);
    double sum = (two_t3 - three_t2 + 1) * ys[i];
    sum = sum + h * (t3 - two_t2 + t) * ms[i];
    sum = sum + (three_t2 - two_t3) * ys[i + 1];
    return sum + h * (t3 - t2) * ms[i + 1];
}

// The whole smile recomputed one documented step at a time.
double reference_vol(const ParamMap& p, double ttx, double spot, double strike) {
    const double log_move = kelvane::elementary::log(spot / p.at("ref_spot"));
    const double shift = log_move == 0.0 ? 0.0
                                         : p.at("vpr") * ((log_move / kelvane::elementary::log(ttx) / p.at("ref_vol")) *
                                                          ((p.at("p05") - p.at("c05")) / 0.1 * 100));
    const double atm = p.at("ref_vol") + shift;
    const double o4 = 0.0 + p.at("p05"), o3 = o4 + p.at("p10"), o2 = o3 + p.at("p15");
    const double o1 = o2 + p.at("p20"), o0 = o1 + p.at("p25");
    const double o6 = 0.0 + p.at("c05"), o7 = o6 + p.at("c10"), o8 = o7 + p.at("c15");
    const double o9 = o8 + p.at("c20"), o10 = o9 + p.at("c25");
    const Nodes offsets{o0, o1, o2, o3, o4, 0.0, o6, o7, o8, o9, o10};
    Nodes w{};
    for (std::size_t i = 0; i < 11; ++i) {
        const double v = i == 5 ? atm / 100 : (atm + offsets[i]) / 100;
        w[i] = v * v;
    }
    const std::array<double, 10> h{2.5, 1.0, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 1.0, 2.5};
    std::array<double, 10> d{};
    for (std::size_t k = 0; k < 10; ++k) d[k] = (w[k + 1] - w[k]) / h[k];
    Nodes m{};
    m[0] = d[0];
    m[10] = d[9];
    for (std::size_t k = 1; k < 10; ++k) {
        m[k] = d[k - 1] * d[k] <= 0 ? 0.0
                                    : 3 * (h[k - 1] + h[k]) /
                                          ((2 * h[k] + h[k - 1]) / d[k - 1] + (h[k] + 2 * h[k - 1]) / d[k]);
    }
    const double z = kelvane::elementary::log(strike / spot) / std::sqrt(ttx) / atm * 100;
    return std::sqrt(reference_pchip(cubic_nodes, w, m, z));
}

// A skewed smile with a non-monotone put wing (so some slopes are zero).
const ParamMap skewed{{"vpr", 0.8}, {"ref_spot", 100},  {"ref_vol", 55},  {"p05", 1.5},  {"p10", 2.0},
                      {"p15", -1.0}, {"p20", 3.0},      {"p25", 4.0},     {"c05", -0.5}, {"c10", 0.5},
                      {"c15", 1.0},  {"c20", 2.0},      {"c25", 2.5}};

TEST(CubicSpline, FormulaBitForBit) {
    for (const ParamMap& prm : {cubic({}).get_param_dict(), skewed}) {
        for (double spot : {100.0, 91.0, 118.0}) {
            std::vector<double> strikes;
            for (double moneyness : {1e-3, 0.3, 0.7, 0.88, 0.95, 1.0, 1.04, 1.2, 1.6, 4.0, 1e3}) {
                strikes.push_back(spot * moneyness);
            }
            for (double ttx : {0.02, 0.3, 0.75, 2.5}) {
                const std::vector<double> vols = cubic(prm).get_vol(ttx, spot, strikes);
                for (std::size_t i = 0; i < strikes.size(); ++i) {
                    EXPECT_TRUE(same_bits(reference_vol(prm, ttx, spot, strikes[i]), vols[i]))
                        << describe_call(prm, ttx, spot) << " K=" << text(strikes[i]);
                }
            }
        }
    }
}

TEST(CubicSpline, FormulaBitForBitOverRandomSmiles) {
    std::mt19937_64 rng(13);
    for (int n = 0; n < 200; ++n) {
        ParamMap prm = random_cubic_params(rng);
        if (n % 3 == 0) {
            // A shift as large as the level itself, so that its last bits show.
            prm["ref_vol"] = uniform(rng, 5, 30);
            prm["p05"] = uniform(rng, -3, 3);
        }
        const double ttx = n % 2 ? random_ttx(rng) : uniform(rng, 1.2, 4.0);
        const double spot = prm.at("ref_spot") * uniform(rng, 0.9, 1.1);
        std::vector<double> strikes = random_strikes(rng, spot);
        // Beyond the outer nodes too.
        strikes.insert(strikes.end(), {spot * 1e-3, spot * 50});
        const std::vector<double> vols = cubic(prm).get_vol(ttx, spot, strikes);
        for (std::size_t i = 0; i < strikes.size(); ++i) {
            EXPECT_TRUE(same_bits(reference_vol(prm, ttx, spot, strikes[i]), vols[i]))
                << describe_call(prm, ttx, spot) << " K=" << text(strikes[i]);
        }
    }
}

TEST(CubicSpline, DefaultSmileIsFlatEverywhere) {
    const std::vector<double> strikes{1e-6, 1.0, 50.0, 100.0, 150.0, 1e9};
    EXPECT_EQ(cubic({}).get_vol(0.25, 100.0, strikes), std::vector<double>(strikes.size(), 0.5));
}

TEST(CubicSpline, StrikeAtSpotQuotesTheAtTheMoneyLevel) {
    for (double spot : {80.0, 100.0, 130.0}) {
        for (double ttx : {0.1, 0.6, 3.0}) {
            const double atm = cubic(skewed).get_vol_single(ttx, spot, spot) * 100;
            const double log_move = std::log(spot / 100.0);
            const double expected =
                log_move == 0.0 ? 55.0 : 55 + 0.8 * ((log_move / std::log(ttx) / 55) * ((1.5 - -0.5) / 0.1 * 100));
            EXPECT_NEAR(atm, std::abs(expected), 1e-12 * std::abs(expected)) << "spot=" << spot << " ttx=" << ttx;
        }
    }
}

TEST(CubicSpline, AtTheMoneyShiftFollowsTheSignOfLogTtx) {
    const ParamMap put_skew{{"p05", 1.0}};
    const double short_atm = cubic(put_skew).get_vol_single(0.25, 110.0, 110.0);
    const double long_atm = cubic(put_skew).get_vol_single(4.0, 110.0, 110.0);
    EXPECT_LT(short_atm, 0.5);
    EXPECT_GT(long_atm, 0.5);
    for (double spot : {10.0, 90.0, 110.0, 1e4}) {
        EXPECT_EQ(cubic({{"p05", 1.0}, {"c05", 1.0}}).get_vol_single(0.25, spot, spot), 0.5) << spot;
    }
}

TEST(CubicSpline, PutOffsetMakesAPlateauBeyondTheFirstNode) {
    const double ttx = 0.25, atm = 50.0;
    // The strike whose standardised moneyness is -0.5, and strikes beyond.
    for (double z : {-0.5, -0.8, -1.0, -2.0, -5.0, -9.0}) {
        const double strike = 100.0 * std::exp(z * std::sqrt(ttx) * atm / 100);
        EXPECT_NEAR(cubic({{"p05", 2.0}}).get_vol_single(ttx, 100.0, strike), 0.52, 1e-14) << "z=" << z;
    }
}

TEST(CubicSpline, VarianceIsLinearBeyondTheOuterNodes) {
    const auto vol_at_z = [](const CubicSpline& model, double z) {
        return model.get_vol_single(0.25, 100.0, 100.0 * std::exp(z * 0.5 * 0.5));
    };
    // Node 9 carries 0.25, node 10 carries 0.6^2: slope (0.36 - 0.25) / 2.5.
    const CubicSpline rising = cubic({{"c25", 10.0}});
    for (double z : {5.0, 6.0, 9.0}) {
        EXPECT_NEAR(vol_at_z(rising, z), std::sqrt(0.36 + (z - 5) * 0.044), 1e-13) << "z=" << z;
    }
    // With a falling call wing the variance turns negative: NaN, and the bound fails.
    const CubicSpline falling = cubic({{"c25", -30.0}});
    EXPECT_FALSE(falling.arb_free());
    EXPECT_NEAR(vol_at_z(falling, 5.0), 0.2, 1e-13);
    EXPECT_TRUE(std::isnan(vol_at_z(falling, 6.0)));
}

// A ref_vol comparable to the bump makes the at-the-money shift, and so the
// vols, change by large, varied fractions of themselves.
TEST(CubicSpline, JacobianDividesByTheBump) {
    std::mt19937_64 rng(7);
    int parted = 0;
    for (int n = 0; n < 40; ++n) {
        const CubicSpline model = cubic({{"ref_vol", uniform(rng, 0.005, 0.05)}, {"p05", 0.001}});
        const double spot = uniform(rng, 101, 120);
        parted += check_divided_difference(model, "ref_vol", random_ttx(rng), spot, random_strikes(rng, spot));
    }
    EXPECT_GT(parted, 0) << "no case tells the division from the multiplication";
}

TEST(CubicSpline, ArbitrageBounds) {
    const struct {
        const char* name;
        double value;
        bool arb_free;
    } cases[] = {
        {"ref_vol", 1.0, false}, {"ref_vol", 1.01, true}, {"ref_vol", qnan, false},
        {"p25", 0.0, true},      {"p25", -0.01, false},   {"p25", qnan, false},
        {"c25", 0.0, true},      {"c25", -0.01, false},   {"c25", qnan, false},
        {"p05", -40.0, true},    {"vpr", qnan, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cubic({{c.name, c.value}}).arb_free(), c.arb_free) << c.name << "=" << c.value;
    }
}

// At the anchor the shift is zero outright, so an expiry of exactly one year
// (ln ttx = 0) is an ordinary expiry there instead of 0/0 = NaN everywhere.
TEST(CubicSpline, OneYearExpiryAtTheAnchorIsFinite) {
    const std::vector<double> strikes{60.0, 100.0, 170.0};
    EXPECT_EQ(cubic({}).get_vol(1.0, 100.0, strikes), std::vector<double>(3, 0.5));
    for (std::size_t i = 0; i < strikes.size(); ++i) {
        const double vol = cubic(skewed).get_vol(1.0, 100.0, strikes)[i];
        EXPECT_TRUE(same_bits(reference_vol(skewed, 1.0, 100.0, strikes[i]), vol)) << strikes[i];
        EXPECT_TRUE(std::isfinite(vol)) << strikes[i];
    }
    CubicSpline model = cubic(skewed);
    ASSERT_TRUE(model.reanchor(100.0, 1.0).has_value());
    EXPECT_EQ(model.params().ref_spot, 100.0);
    EXPECT_LE(ulps_apart(model.params().ref_vol, 55.0), 1u) << text(model.params().ref_vol);
}

// Away from the anchor the shift divides by ln(1) = 0 as written: no finite
// smile exists, and re-anchoring there is refused.
TEST(CubicSpline, OneYearExpiryAwayFromTheAnchorIsNotFinite) {
    const std::vector<double> strikes{60.0, 110.0, 170.0};
    for (const ParamMap& prm : {ParamMap{}, skewed}) {
        for (double vol : cubic(prm).get_vol(1.0, 110.0, strikes)) {
            EXPECT_FALSE(std::isfinite(vol)) << describe(prm) << ": " << vol;
        }
        CubicSpline model = cubic(prm);
        const kelvane::Result<void> result = model.reanchor(110.0, 1.0);
        ASSERT_FALSE(result.has_value()) << describe(prm);
        EXPECT_EQ(result.error().message,
                  "Cannot reanchor at spot 110 and ttx 1: the volatility there is not finite");
        EXPECT_EQ(model.params(), cubic(prm).params());
    }
}

TEST(CubicSpline, NamesAndBumpedClones) {
    CubicSpline model = cubic({{"offset", 1.0}, {"skew", 2.0}});
    EXPECT_EQ(model.get_param_dict().size(), 13u);
    EXPECT_EQ(model.get_fitting_params().size(), 11u);
    model.set_param("offset", 1.0);
    EXPECT_EQ(model.get_parameter("offset"), std::nullopt);
    EXPECT_EQ(model.offset(), 0.0);
    EXPECT_EQ(model.params(), cubic({}).params());

    const auto bumped = model.clone_and_bump({{"p25", 1.0}, {"skew", 3.0}});
    ParamMap expected = model.get_param_dict();
    expected["p25"] = 1.0;
    EXPECT_TRUE(same_params(expected, bumped->get_param_dict()));
    EXPECT_EQ(model.params(), cubic({}).params());

    const std::vector<double> strikes{90.0, 100.0};
    const std::vector<std::string> names{"ref_vol", "ref_vol", "skew"};
    const vol_model::JacobianMap jacobian = model.get_jacobian(0.25, 100.0, strikes, names);
    EXPECT_EQ(jacobian.size(), 2u);
    EXPECT_EQ(jacobian.at("skew"), std::vector<double>(2, 0.0));
}

class PchipEval : public ::testing::Test {
protected:
    std::mt19937_64 rng{77};
    Nodes random_nodes(double lo, double hi) {
        Nodes out{};
        for (double& v : out) v = std::uniform_real_distribution<double>(lo, hi)(rng);
        return out;
    }
};

TEST_F(PchipEval, HitsEveryNodeValueExactly) {
    for (int n = 0; n < 200; ++n) {
        const Nodes ys = random_nodes(-3, 3), ms = random_nodes(-10, 10);
        for (std::size_t k = 0; k < 11; ++k) {
            EXPECT_TRUE(same_bits(ys[k], pchip_eval(cubic_nodes, ys, ms, cubic_nodes[k])))
                << "node " << k << " case " << n;
        }
    }
}

TEST_F(PchipEval, HermiteTermsBitForBit) {
    for (int n = 0; n < 200; ++n) {
        const Nodes ys = random_nodes(0, 2), ms = random_nodes(-1, 1);
        const double x = std::uniform_real_distribution<double>(-8, 8)(rng);
        EXPECT_TRUE(same_bits(reference_pchip(cubic_nodes, ys, ms, x), pchip_eval(cubic_nodes, ys, ms, x)))
            << "x=" << text(x) << " case " << n;
    }
}

TEST_F(PchipEval, PointOnAnInteriorNodeUsesTheIntervalStartingThere) {
    // A slope of the interval before would turn the value into inf * 0 = NaN.
    for (std::size_t k = 1; k < 10; ++k) {
        const Nodes ys = random_nodes(0, 1);
        Nodes ms = random_nodes(-1, 1);
        ms[k - 1] = inf;
        EXPECT_TRUE(same_bits(ys[k], pchip_eval(cubic_nodes, ys, ms, cubic_nodes[k]))) << "node " << k;
    }
}

TEST_F(PchipEval, EndsExtrapolateAlongTheEndSecants) {
    const std::array<double, 2> xs{1.0, 3.0}, ys{2.0, 6.0}, ms{100.0, -100.0};
    EXPECT_EQ(pchip_eval(xs, ys, ms, 0.0), 0.0);
    EXPECT_EQ(pchip_eval(xs, ys, ms, 5.0), 10.0);
    // Inside, the slopes count: the cubic leaves the chord.
    EXPECT_NE(pchip_eval(xs, ys, ms, 2.0), 4.0);
    EXPECT_TRUE(std::isnan(pchip_eval(xs, ys, ms, qnan)));
}

}  // namespace
