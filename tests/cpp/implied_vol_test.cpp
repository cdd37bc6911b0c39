// The implied-vol solver: the normalised Black function and its complement
// against 50-digit reference values, the bounds and NaN policy, and round trips
// through b76::fairvalue over seeded books of every regime.
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "option_pricing/b76.hpp"
#include "option_pricing/implied_vol.hpp"
#include "option_pricing/normalised_black.hpp"

namespace {

using option_pricing::OptionType;
using option_pricing::implied_vol::black76_implied_vol;
namespace b76 = option_pricing::b76;
namespace normalised = option_pricing::normalised;

constexpr double eps = std::numeric_limits<double>::epsilon();
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Reference values from mpmath at 50 digits.
struct BlackCase {
    double x, s, value;
};

const BlackCase black_cases[] = {
    {-0.01, 0.001, 7.4745593377628339521e-28},  // near the money, tiny total vol: the series
    {-0.2, 0.05, 3.5716134194540559529e-7},
    {-1.0, 0.1, 7.4653976115686172329e-26},  // below the inflexion point: a difference of Mills ratios
    {-3.0, 0.2, 4.8280586557814653325e-53},
    {-3.0, 2.0, 0.041014241206743662784},  // above it: exp(x/2) less a sum of Mills ratios
    {0.0, 0.01, 0.0039894061814816446819},
    {-0.5, 6.0, 0.7761089366031674401},
    // F/K beyond 1e300: exp(-x/2) N(h - t) is 1e217 times a normal CDF below
    // the double range.
    {-1000.0, 45.0, 4.2806589561045421159e-218},
    {-740.0, 32.5, 5.9970216126180209015e-172},
    {-740.0, 38.5, 1.0259753687728515042e-161},
};

// Relative to b, a few units times 1 + h^2: deep below the money the vol
// moves h^2 times less than b does, so that is all the solver needs.
TEST(NormalisedBlack, ReferenceValuesToAFewUnitsOfTheVol) {
    for (const auto& c : black_cases) {
        const normalised::Black black(c.x);
        const double h = c.x / c.s;
        EXPECT_NEAR(black.value(c.s) / c.value, 1.0, 16 * eps * (1.0 + h * h)) << "x=" << c.x << " s=" << c.s;
        EXPECT_NEAR(black.complement(c.s) + black.value(c.s), black.upper(), 4 * eps) << "x=" << c.x << " s=" << c.s;
    }
}

// Above the inflexion point the distance to the upper bound is a sum of two
// Mills ratios, which cancels nothing: a few units even where it is 1e-15
// of exp(x/2).
TEST(NormalisedBlack, ComplementReferenceValuesToAFewUnits) {
    const BlackCase cases[] = {
        {-0.5, 6.0, 0.0026918464682374281406},
        {-3.0, 2.0, 0.18211591894168616615},
        {-2.0, 9.0, 6.6428247778656305539e-6},
        {-40.0, 20.0, 2.1441228333189379662e-24},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(normalised::Black(c.x).complement(c.s) / c.value, 1.0, 8 * eps) << "x=" << c.x << " s=" << c.s;
    }
}

TEST(ImpliedVol, BoundsGiveZeroAndInfinityAndNanBeyond) {
    for (const OptionType type : {OptionType::Call, OptionType::Put}) {
        for (const double strike : {90.0, 100.0, 110.0}) {
            const double fwd = 100.0, df = 0.95, ttx = 0.5;
            const double intrinsic = df * (type == OptionType::Call ? fwd - strike : strike - fwd);
            const double lower = std::fmax(intrinsic, 0.0);
            const double upper = df * (type == OptionType::Call ? fwd : strike);
            const std::string what = "K=" + std::to_string(strike);
            EXPECT_EQ(black76_implied_vol(type, ttx, fwd, strike, lower, df), 0.0) << what;
            EXPECT_FALSE(std::signbit(black76_implied_vol(type, ttx, fwd, strike, lower, df))) << what;
            EXPECT_EQ(black76_implied_vol(type, ttx, fwd, strike, upper, df), inf) << what;
            EXPECT_TRUE(std::isnan(black76_implied_vol(type, ttx, fwd, strike, std::nextafter(lower, -inf), df)));
            EXPECT_TRUE(std::isnan(black76_implied_vol(type, ttx, fwd, strike, std::nextafter(upper, inf), df)));
            EXPECT_TRUE(std::isnan(black76_implied_vol(type, ttx, fwd, strike, inf, df)));
        }
    }
}

TEST(ImpliedVol, DegenerateOrNanInputsGiveNan) {
    const double bad[] = {0.0, -0.0, -1.0, nan, inf, -inf};
    for (const double v : bad) {
        EXPECT_TRUE(std::isnan(black76_implied_vol(OptionType::Call, v, 100, 100, 8, 1))) << "T=" << v;
        EXPECT_TRUE(std::isnan(black76_implied_vol(OptionType::Call, 1, v, 100, 8, 1))) << "F=" << v;
        EXPECT_TRUE(std::isnan(black76_implied_vol(OptionType::Call, 1, 100, v, 8, 1))) << "K=" << v;
        EXPECT_TRUE(std::isnan(black76_implied_vol(OptionType::Call, 1, 100, 100, 8, v))) << "D=" << v;
    }
    EXPECT_TRUE(std::isnan(black76_implied_vol(OptionType::Put, 1, 100, 100, nan, 1)));
}

TEST(ImpliedVol, ReferenceValuesOfTheDefinedSolverToTheLastBits) {
    EXPECT_NEAR(black76_implied_vol(OptionType::Call, 1, 100, 100, 7.965567455405804, 1), 0.2, 1e-15);
    EXPECT_NEAR(black76_implied_vol(OptionType::Put, 0.5, 100, 90, 3.9100366312678103, 0.98), 0.3, 1e-15);
    EXPECT_NEAR(black76_implied_vol(OptionType::Call, 0.5, 100, 90, 13.71003663126781, 0.98), 0.3, 1e-14);
}

// F/K = 2.6e-322 is subnormal, with a few significant bits left: ln(F/K)
// comes from ln F - ln K. The exact vol of this double price is from mpmath.
TEST(ImpliedVol, ASubnormalRatioOfForwardToStrike) {
    const double vol = black76_implied_vol(OptionType::Call, 0.053815229454403195, 2.911277235398478e-161,
                                           1.1226319889133831e+161, 1.07486982068864e-171, 0.6305625596588474);
    EXPECT_NEAR(vol / 140.52524123792431963, 1.0, 8 * eps);
}

// Deep in the money the time value of this price is 2.58e-15, under a unit
// of it, and the rounding of D (F - K) is as large: the vol comes from the
// exact difference. The exact vol of this double price is from mpmath.
TEST(ImpliedVol, DeepInTheMoneyTimeValueOfAFewUnitsOfThePrice) {
    const double vol = black76_implied_vol(OptionType::Call, 0.11278391075539108, 100.0, 4.505249891356226,
                                           59.916816759363854, 0.6274357144366247);
    EXPECT_NEAR(vol / 1.1881868489107350244, 1.0, 1e-12);
}

// vol -> b76::fairvalue -> vol: the price carries fairvalue's own error, a
// few units of its two terms' sum (more by d1^2 through the rounding of
// their arguments), so the vol comes back to that relative to the price
// times kappa, the condition number of the inversion. The far tails, where
// that error swamps the solver's, are judged in Python against an exact
// oracle instead.
TEST(ImpliedVol, RoundTripsThroughFairvalueOverRegimes) {
    std::mt19937_64 random(29);
    struct Regime {
        const char* name;
        double log_moneyness, total_low, total_high;
    };
    const Regime regimes[] = {{"at the money", 0.01, 0.05, 1.5},  {"wings", 3.0, 0.2, 2.5},
                              {"tiny total vol", 0.3, 1e-3, 0.05}, {"huge total vol", 3.0, 2.0, 6.0},
                              {"far tails", 6.0, 0.05, 0.3}};
    for (const auto& regime : regimes) {
        std::uniform_real_distribution<double> moneyness(-regime.log_moneyness, regime.log_moneyness);
        std::uniform_real_distribution<double> log_total(std::log(regime.total_low), std::log(regime.total_high));
        std::uniform_real_distribution<double> log_ttx(-4.0, 2.0);
        for (int i = 0; i < 2000; ++i) {
            const double fwd = 100.0, strike = fwd * std::exp(moneyness(random));
            const double ttx = std::exp(log_ttx(random)), vol = std::exp(log_total(random)) / std::sqrt(ttx);
            const OptionType type = strike > fwd ? OptionType::Call : OptionType::Put;  // out of the money
            const double price = b76::fairvalue(type, fwd, strike, ttx, vol, 1.0);
            if (!(price > 1e-100 * fwd)) continue;
            const double kappa = price / (vol * b76::vega(fwd, strike, ttx, vol, 1.0));
            const double s = vol * std::sqrt(ttx), d1 = (std::log(fwd / strike) + 0.5 * s * s) / s;
            const double sign = type == OptionType::Call ? 1.0 : -1.0;
            const double terms = fwd * 0.5 * std::erfc(-sign * d1 / std::sqrt(2.0)) +
                                 strike * 0.5 * std::erfc(-sign * (d1 - s) / std::sqrt(2.0));
            const double price_error = 8.0 * eps * (terms / price) * (1.0 + d1 * d1);
            const double implied = black76_implied_vol(type, ttx, fwd, strike, price, 1.0);
            EXPECT_NEAR(implied / vol, 1.0, 32.0 * eps * (1.0 + kappa) + kappa * price_error)
                << regime.name << ": F=" << fwd << " K=" << strike << " T=" << ttx << " vol=" << vol
                << " price=" << price;
        }
    }
}

}  // namespace
