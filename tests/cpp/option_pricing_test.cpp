// Black-76, binary and implied-volatility reference values, with the greeks
// checked against finite differences of their value functions.
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "option_pricing/b76.hpp"
#include "option_pricing/binary.hpp"
#include "option_pricing/brent.hpp"
#include "option_pricing/iv_calibration.hpp"

namespace {

using option_pricing::OptionType;
namespace b76 = option_pricing::b76;
namespace binary = option_pricing::binary;
using option_pricing::iv_calibration::calibrate_black76_iv;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct Inputs {
    double fwd, strike, ttx, vol, df;
};

std::string describe(const Inputs& in) {
    return "F=" + std::to_string(in.fwd) + " K=" + std::to_string(in.strike) +
           " T=" + std::to_string(in.ttx) + " vol=" + std::to_string(in.vol) +
           " D=" + std::to_string(in.df);
}

void expect_rel(double expected, double computed, double tol, const std::string& what) {
    if (expected == 0.0) {
        EXPECT_EQ(computed, 0.0) << what;
        return;
    }
    EXPECT_NEAR(computed / expected, 1.0, tol)
        << what << ": expected " << expected << ", computed " << computed;
}

struct B76Case {
    Inputs in;
    double call, put, vega, gamma, delta;
};

const B76Case b76_cases[] = {
    {{100, 100, 1, 0.2, 1}, 7.965567455405804, 7.965567455405804, 39.69525474770118,
     0.00019847627373850588, 0.01984762737385059},
    {{100, 90, 0.5, 0.3, 0.98}, 13.71003663126781, 3.9100366312678103, 23.053265968830463,
     0.00015368843979220306, 0.015368843979220307},
};

TEST(Black76, ReferenceValues) {
    for (const auto& c : b76_cases) {
        const auto& in = c.in;
        const std::string what = describe(in);
        expect_rel(c.call, b76::fairvalue(OptionType::Call, in.fwd, in.strike, in.ttx, in.vol, in.df), 1e-12, what + " call");
        expect_rel(c.put, b76::fairvalue(OptionType::Put, in.fwd, in.strike, in.ttx, in.vol, in.df), 1e-12, what + " put");
        expect_rel(c.vega, b76::vega(in.fwd, in.strike, in.ttx, in.vol, in.df), 1e-12, what + " vega");
        expect_rel(c.gamma, b76::gamma(in.fwd, in.strike, in.ttx, in.vol, in.df), 1e-12, what + " gamma");
        expect_rel(c.delta, b76::delta(OptionType::Call, in.fwd, in.strike, in.ttx, in.vol, in.df), 1e-12, what + " delta");
        expect_rel(-c.delta, b76::delta(OptionType::Put, in.fwd, in.strike, in.ttx, in.vol, in.df), 1e-12, what + " put delta");
    }
}

TEST(Black76, DegenerateExpiryGivesDiscountedIntrinsic) {
    for (double ttx : {0.0, -0.5}) {
        EXPECT_EQ(b76::fairvalue(OptionType::Call, 100, 90, ttx, 0.2, 0.98), 0.98 * 10.0);
        EXPECT_EQ(b76::fairvalue(OptionType::Put, 100, 90, ttx, 0.2, 0.98), 0.0);
        EXPECT_EQ(b76::vega(100, 90, ttx, 0.2, 0.98), 0.0);
        EXPECT_EQ(b76::gamma(100, 90, ttx, 0.2, 0.98), 0.0);
        const double put_delta = b76::delta(OptionType::Put, 100, 90, ttx, 0.2, 0.98);
        EXPECT_EQ(put_delta, 0.0);
        EXPECT_FALSE(std::signbit(put_delta)) << "degenerate put delta must be +0.0";
    }
    EXPECT_EQ(b76::fairvalue(OptionType::Put, 100, 110, 1.0, 0.0, 0.5), 5.0);
    // maxNum: a NaN intrinsic difference is 0, not NaN.
    EXPECT_EQ(b76::fairvalue(OptionType::Call, nan, 90, 0.0, 0.2, 1.0), 0.0);
    // A NaN time is not degenerate.
    EXPECT_TRUE(std::isnan(b76::fairvalue(OptionType::Call, 100, 90, nan, 0.2, 1.0)));
}

TEST(Black76, ZeroStrikeCallIsDiscountedForward) {
    EXPECT_DOUBLE_EQ(b76::fairvalue(OptionType::Call, 100, 0, 1, 0.2, 0.9), 90.0);
    EXPECT_EQ(b76::fairvalue(OptionType::Put, 100, 0, 1, 0.2, 0.9), 0.0);
}

TEST(Black76, VegaAndGammaMatchBumpedValues) {
    const Inputs grid[] = {{100, 100, 1, 0.2, 1}, {100, 80, 0.25, 0.5, 0.95}, {50, 70, 2, 0.35, 0.9}};
    for (const auto& in : grid) {
        const auto value = [&](double fwd, double vol) {
            return b76::fairvalue(OptionType::Call, fwd, in.strike, in.ttx, vol, in.df);
        };
        const double hv = 1e-5, hf = 1e-3 * in.fwd;
        const double fd_vega = (value(in.fwd, in.vol + hv) - value(in.fwd, in.vol - hv)) / (2 * hv);
        expect_rel(fd_vega, b76::vega(in.fwd, in.strike, in.ttx, in.vol, in.df), 1e-6, describe(in) + " vega");
        // The library's gamma is the textbook gamma divided by F once more.
        const double fd_gamma = (value(in.fwd + hf, in.vol) - 2 * value(in.fwd, in.vol) + value(in.fwd - hf, in.vol)) / (hf * hf);
        expect_rel(fd_gamma / in.fwd, b76::gamma(in.fwd, in.strike, in.ttx, in.vol, in.df), 1e-5, describe(in) + " gamma");
    }
}

TEST(Black76, ValueAtVolIsFairvalueBitForBit) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> fwd(1, 200), ttx(-0.1, 5), vol(-0.05, 3), df(0.5, 1);
    for (int i = 0; i < 20000; ++i) {
        const double f = fwd(rng), k = fwd(rng), t = ttx(rng), d = df(rng);
        for (OptionType type : {OptionType::Call, OptionType::Put}) {
            const b76::ValueAtVol value(type, f, k, t, d);
            const double v = vol(rng);
            ASSERT_EQ(value(v), b76::fairvalue(type, f, k, t, v, d)) << describe({f, k, t, v, d});
        }
    }
}

struct BinaryCase {
    Inputs in;
    double value, put_value, vega, delta, gamma, speed, theta;
};

const BinaryCase binary_cases[] = {
    {{100, 100, 1, 0.2, 1}, 0.5, 0.5, -0.0, 0.019947114020071634, -0.00019947114020071633,
     -4.587836224616474e-05, 0.0},
    {{100, 90, 0.5, 0.3, 0.98}, 0.6764847904074648, 0.3035152095925353, -0.572162626337399,
     0.0162915668008568, -0.0005443574189001675, -1.257104932223732e-05, 0.1716487879012197},
};

using BinaryGreek = double (*)(OptionType, double, double, double, double, double);

TEST(Binary, ReferenceValues) {
    for (const auto& c : binary_cases) {
        const auto& in = c.in;
        const auto call = [&](BinaryGreek g) { return g(OptionType::Call, in.fwd, in.strike, in.ttx, in.vol, in.df); };
        const auto put = [&](BinaryGreek g) { return g(OptionType::Put, in.fwd, in.strike, in.ttx, in.vol, in.df); };
        const std::string what = describe(in);
        expect_rel(c.value, call(binary::fairvalue), 1e-12, what + " value");
        expect_rel(c.put_value, put(binary::fairvalue), 1e-12, what + " put value");
        const std::pair<BinaryGreek, double> greeks[] = {{binary::vega, c.vega}, {binary::delta, c.delta},
            {binary::gamma, c.gamma}, {binary::speed, c.speed}, {binary::theta, c.theta}};
        for (const auto& [greek, expected] : greeks) {
            expect_rel(expected, call(greek), 1e-12, what + " call greek");
            expect_rel(-expected, put(greek), 1e-12, what + " put greek");
        }
    }
}

TEST(Binary, AtTheMoneyVegaIsSignedZero) {
    EXPECT_TRUE(std::signbit(binary::vega(OptionType::Call, 100, 100, 1, 0.2, 1)));
    EXPECT_FALSE(std::signbit(binary::vega(OptionType::Put, 100, 100, 1, 0.2, 1)));
}

TEST(Binary, DegenerateExpiry) {
    for (const auto& [ttx, vol] : {std::pair{0.0, 0.2}, {-1.0, 0.2}, {1.0, 0.0}}) {
        EXPECT_EQ(binary::fairvalue(OptionType::Call, 101, 100, ttx, vol, 0.9), 0.9);
        EXPECT_EQ(binary::fairvalue(OptionType::Put, 101, 100, ttx, vol, 0.9), 0.0);
        EXPECT_EQ(binary::fairvalue(OptionType::Call, 99, 100, ttx, vol, 0.9), 0.0);
        EXPECT_EQ(binary::fairvalue(OptionType::Put, 99, 100, ttx, vol, 0.9), 0.9);
        EXPECT_EQ(binary::fairvalue(OptionType::Call, 100, 100, ttx, vol, 0.9), 0.0);
        EXPECT_EQ(binary::fairvalue(OptionType::Put, 100, 100, ttx, vol, 0.9), 0.0);
        EXPECT_EQ(binary::fairvalue(OptionType::Call, nan, 100, ttx, vol, 0.9), 0.0);
        for (BinaryGreek g : {binary::vega, binary::delta, binary::gamma, binary::speed, binary::theta}) {
            const double put = g(OptionType::Put, 101, 100, ttx, vol, 0.9);
            EXPECT_EQ(put, 0.0);
            EXPECT_FALSE(std::signbit(put));
        }
    }
}

TEST(Binary, GreeksAreDerivativesOfTheValue) {
    const Inputs grid[] = {{100, 90, 0.5, 0.3, 0.98}, {100, 120, 1.5, 0.25, 1.0}, {80, 75, 0.1, 0.6, 0.95}};
    for (const auto& in : grid) {
        const auto v = [&](double fwd, double ttx, double vol) {
            return binary::fairvalue(OptionType::Call, fwd, in.strike, ttx, vol, in.df);
        };
        const auto g = [&](BinaryGreek greek, double fwd) {
            return greek(OptionType::Call, fwd, in.strike, in.ttx, in.vol, in.df);
        };
        const double h = 1e-4 * in.fwd, hv = 1e-6, ht = 1e-6;
        const std::string what = describe(in);
        expect_rel((v(in.fwd, in.ttx, in.vol + hv) - v(in.fwd, in.ttx, in.vol - hv)) / (2 * hv), g(binary::vega, in.fwd), 1e-6, what + " vega");
        expect_rel((v(in.fwd + h, in.ttx, in.vol) - v(in.fwd - h, in.ttx, in.vol)) / (2 * h), g(binary::delta, in.fwd), 1e-6, what + " delta");
        expect_rel((g(binary::delta, in.fwd + h) - g(binary::delta, in.fwd - h)) / (2 * h), g(binary::gamma, in.fwd), 1e-6, what + " gamma");
        expect_rel((g(binary::gamma, in.fwd + h) - g(binary::gamma, in.fwd - h)) / (2 * h), g(binary::speed, in.fwd), 1e-5, what + " speed");
        expect_rel(-(v(in.fwd, in.ttx + ht, in.vol) - v(in.fwd, in.ttx - ht, in.vol)) / (2 * ht), g(binary::theta, in.fwd), 1e-6, what + " theta");
    }
}

TEST(ImpliedVol, RecoversReferenceVolatilities) {
    EXPECT_NEAR(calibrate_black76_iv(OptionType::Call, 1, 100, 100, 7.965567455405804, 1), 0.2, 1e-4);
    EXPECT_NEAR(calibrate_black76_iv(OptionType::Put, 0.5, 100, 90, 3.9100366312678103, 0.98), 0.3, 1e-4);
}

TEST(ImpliedVol, UnbracketedPricesGiveNaN) {
    EXPECT_TRUE(std::isnan(calibrate_black76_iv(OptionType::Call, 1, 100, 100, 200, 1)));
    EXPECT_TRUE(std::isnan(calibrate_black76_iv(OptionType::Call, 1, 100, 100, 0, 1)));
}

TEST(ImpliedVol, PriceAtABracketEndReturnsThatEnd) {
    const double at_upper = b76::fairvalue(OptionType::Call, 100, 100, 1, 10.0, 1);
    EXPECT_EQ(calibrate_black76_iv(OptionType::Call, 1, 100, 100, at_upper, 1), 10.0);
    const double at_lower = b76::fairvalue(OptionType::Call, 100, 100, 1, 0.01, 1);
    EXPECT_EQ(calibrate_black76_iv(OptionType::Call, 1, 100, 100, at_lower, 1), 0.01);
}

TEST(ImpliedVol, DegenerateExpiry) {
    EXPECT_EQ(calibrate_black76_iv(OptionType::Call, 0, 100, 90, 10, 1), 10.0);
    EXPECT_TRUE(std::isnan(calibrate_black76_iv(OptionType::Call, 0, 100, 90, 9, 1)));
}

TEST(ImpliedVol, NaNInputsHaveNoImpliedVol) {
    EXPECT_TRUE(std::isnan(calibrate_black76_iv(OptionType::Call, 1, 100, 100, nan, 1)));
    EXPECT_TRUE(std::isnan(calibrate_black76_iv(OptionType::Call, 1, nan, 100, 8, 1)));
    EXPECT_TRUE(std::isnan(calibrate_black76_iv(OptionType::Call, 1, 100, nan, 8, 1)));
    EXPECT_TRUE(std::isnan(calibrate_black76_iv(OptionType::Call, nan, 100, 100, 8, 1)));
}

TEST(Brent, UnbracketedErrorNamesBothEnds) {
    const auto f = [](double x) { return x * x + 1.0; };
    const auto root = option_pricing::brent_root(f, {0.01, f(0.01), 10.0, f(10.0)}, 1e-4, 100);
    ASSERT_FALSE(root.has_value());
    EXPECT_EQ(root.error().message, "Root not bracketed: f(0.01) = 1.0001, f(10) = 101");
}

TEST(Brent, StopsAfterTheEvaluationLimit) {
    int calls = 0;
    // A step has no slope to interpolate: only bisection closes in on it.
    const auto f = [&](double x) { ++calls; return x < 3.3 ? -1.0 : 1.0; };
    const auto root = option_pricing::brent_root(f, {0.0, -1.0, 10.0, 1.0}, 1e-9, 5);
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(calls, 5);
}

}  // namespace
