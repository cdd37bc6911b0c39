// The one-pass Black-76 greeks: value and vega bit for bit the scalar
// functions, every other greek against a central difference of its
// neighbour, the degenerate limits with their signs, NaN, underflowed tails,
// and the row loop giving each element the bits of the element function.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "option_pricing/b76.hpp"
#include "option_pricing/b76_greeks.hpp"

namespace {

using option_pricing::OptionType;
using option_pricing::b76::Greek;
using option_pricing::b76::Greeks;
namespace b76 = option_pricing::b76;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }
double of(const Greeks& g, Greek greek) { return g[static_cast<std::size_t>(greek)]; }

struct Option {
    OptionType type;
    double fwd, strike, ttx, vol, df;
    Greeks greeks(b76::GreekSet wanted = b76::all_greeks) const {
        return b76::greeks(type, fwd, strike, ttx, vol, df, wanted);
    }
    std::string text() const {
        char buffer[200];
        std::snprintf(buffer, sizeof buffer, "%s F=%.17g K=%.17g T=%.17g vol=%.17g D=%.17g",
                      type == OptionType::Call ? "call" : "put", fwd, strike, ttx, vol, df);
        return buffer;
    }
};

std::vector<Option> random_options(std::size_t n) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Option> options;
    for (std::size_t i = 0; i < n; ++i) {
        const double fwd = std::exp(std::log(1e-2) + u(rng) * std::log(1e8));
        const double ttx = i % 37 == 0 ? -u(rng) : std::exp(std::log(1e-4) + u(rng) * std::log(3e5));
        const double vol = i % 41 == 0 ? 0.0 : 0.005 + 4.0 * u(rng);
        options.push_back({rng() & 1 ? OptionType::Put : OptionType::Call, fwd,
                           i % 29 == 0 ? fwd : fwd * std::exp(6.0 * u(rng) - 3.0), ttx, vol, 0.3 + 0.7 * u(rng)});
    }
    return options;
}

TEST(B76Greeks, ValueAndVegaAreTheScalarFunctionsBitForBit) {
    std::vector<Option> options = random_options(20000);
    options.push_back({OptionType::Call, nan, 100, 0.0, 0.2, 1.0});
    options.push_back({OptionType::Put, 100, nan, 1.0, 0.0, 1.0});
    options.push_back({OptionType::Call, 100, 100, nan, 0.2, 1.0});
    options.push_back({OptionType::Put, 100, 100, -1.0, nan, 1.0});
    for (const Option& o : options) {
        for (b76::GreekSet wanted : {b76::all_greeks, b76::greek_bit(Greek::value) | b76::greek_bit(Greek::vega)}) {
            const Greeks g = o.greeks(wanted);
            ASSERT_EQ(bits(of(g, Greek::value)), bits(b76::fairvalue(o.type, o.fwd, o.strike, o.ttx, o.vol, o.df)))
                << o.text();
            ASSERT_EQ(bits(of(g, Greek::vega)), bits(b76::vega(o.fwd, o.strike, o.ttx, o.vol, o.df))) << o.text();
        }
    }
}

// Each greek is the derivative of another along one input; a central
// difference of step h * x agrees to about h^2.
TEST(B76Greeks, AreDerivativesOfOneAnother) {
    enum Along { fwd, strike, ttx, vol, rate };
    struct Pair {
        Greek greek, of;
        Along along;
        double sign;  // theta, charm, veta and color are minus a time derivative
    };
    const Pair pairs[] = {
        {Greek::delta, Greek::value, fwd, 1},       {Greek::gamma, Greek::delta, fwd, 1},
        {Greek::vega, Greek::value, vol, 1},        {Greek::theta, Greek::value, ttx, -1},
        {Greek::rho, Greek::value, rate, 1},        {Greek::vanna, Greek::delta, vol, 1},
        {Greek::volga, Greek::vega, vol, 1},        {Greek::charm, Greek::delta, ttx, -1},
        {Greek::veta, Greek::vega, ttx, -1},        {Greek::speed, Greek::gamma, fwd, 1},
        {Greek::zomma, Greek::gamma, vol, 1},       {Greek::color, Greek::gamma, ttx, -1},
        {Greek::ultima, Greek::volga, vol, 1},      {Greek::dual_delta, Greek::value, strike, 1},
        {Greek::dual_gamma, Greek::dual_delta, strike, 1},
    };
    const Option options[] = {
        {OptionType::Call, 100, 100, 1, 0.2, 0.97}, {OptionType::Put, 100, 80, 0.25, 0.5, 0.9},
        {OptionType::Call, 2.5, 3.1, 3, 1.2, 0.6},  {OptionType::Put, 4e4, 4.4e4, 0.02, 0.8, 1.0},
    };
    for (const Option& o : options) {
        const Greeks g = o.greeks();
        for (const Pair& p : pairs) {
            const auto bumped = [&](double factor) {
                Option b = o;
                switch (p.along) {
                    case fwd: b.fwd *= factor; break;
                    case strike: b.strike *= factor; break;
                    case ttx: b.ttx *= factor; break;
                    case vol: b.vol *= factor; break;
                    case rate: b.df *= std::exp(-(factor - 1.0) * o.ttx); break;  // r bumped by factor - 1
                }
                return of(b.greeks(), p.of);
            };
            const double h = 1e-4;
            const double x = p.along == fwd ? o.fwd : p.along == strike ? o.strike : p.along == ttx ? o.ttx
                           : p.along == vol ? o.vol : 1.0;
            const double difference = p.sign * (bumped(1 + h) - bumped(1 - h)) / (2 * h * x);
            EXPECT_NEAR(difference, of(g, p.greek), 1e-6 * (std::abs(of(g, p.greek)) + std::abs(of(g, p.of)) / x))
                << o.text() << " greek " << static_cast<int>(p.greek);
        }
    }
}

TEST(B76Greeks, DegenerateExpiryGivesTheLimits) {
    const double d = 0.9;
    struct Case {
        OptionType type;
        double fwd, strike, delta, dual_delta;
    };
    const Case cases[] = {
        {OptionType::Call, 110, 100, d, -d},       {OptionType::Call, 90, 100, 0.0, 0.0},
        {OptionType::Call, 100, 100, d / 2, -d / 2}, {OptionType::Put, 110, 100, 0.0, 0.0},
        {OptionType::Put, 90, 100, -d, d},         {OptionType::Put, 100, 100, -d / 2, d / 2},
    };
    for (const Case& c : cases) {
        for (const auto& [ttx, vol] : {std::pair{0.0, 0.2}, {-1.0, 0.2}, {0.5, 0.0}, {0.5, -0.1}, {-0.0, -0.0}}) {
            const Option o{c.type, c.fwd, c.strike, ttx, vol, d};
            const Greeks g = o.greeks();
            const double value = b76::fairvalue(c.type, c.fwd, c.strike, ttx, vol, d);
            EXPECT_EQ(bits(of(g, Greek::delta)), bits(c.delta)) << o.text();
            EXPECT_EQ(bits(of(g, Greek::dual_delta)), bits(c.dual_delta)) << o.text();
            EXPECT_EQ(bits(of(g, Greek::rho)), bits(ttx > 0 ? -(ttx * value) : 0.0)) << o.text();
            for (Greek zero : {Greek::gamma, Greek::vega, Greek::theta, Greek::vanna, Greek::volga, Greek::charm,
                               Greek::veta, Greek::speed, Greek::zomma, Greek::color, Greek::ultima,
                               Greek::dual_gamma}) {
                EXPECT_EQ(bits(of(g, zero)), bits(0.0)) << o.text() << " greek " << static_cast<int>(zero);
            }
        }
    }
}

TEST(B76Greeks, NaNInAnyInputGivesNaNButValueAndVegaKeepTheScalarBits) {
    const Option options[] = {
        {OptionType::Call, nan, 100, 0.0, 0.2, 1.0}, {OptionType::Put, 100, nan, 1.0, 0.0, 1.0},
        {OptionType::Call, 100, 100, 0.0, 0.2, nan}, {OptionType::Put, 100, 100, -1.0, nan, 1.0},
        {OptionType::Call, 100, 100, nan, 0.0, 1.0}, {OptionType::Call, nan, 100, 1.0, 0.2, 1.0},
        {OptionType::Put, 100, 100, nan, 0.2, 1.0},  {OptionType::Put, 100, 100, 1.0, 0.2, nan},
    };
    for (const Option& o : options) {
        const Greeks g = o.greeks();
        for (std::size_t k = 0; k < b76::greek_count; ++k) {
            if (k == static_cast<std::size_t>(Greek::value) || k == static_cast<std::size_t>(Greek::vega)) continue;
            EXPECT_TRUE(std::isnan(g[k])) << o.text() << " greek " << k;
        }
    }
}

// phi(d1) far below the smallest double: the greeks made of it are zeros,
// not the NaN of 0 * inf, and the probabilities are at their ends.
TEST(B76Greeks, UnderflowedTailsAreZerosNotNaN) {
    const Option call{OptionType::Call, 100, 1e-200, 1.0, 1e-3, 0.8};
    const Greeks g = call.greeks();
    for (std::size_t k = 0; k < b76::greek_count; ++k) EXPECT_FALSE(std::isnan(g[k])) << k;
    EXPECT_EQ(of(g, Greek::delta), 0.8);
    EXPECT_EQ(of(g, Greek::dual_delta), -0.8);
    EXPECT_EQ(of(g, Greek::ultima), 0.0);
    EXPECT_EQ(of(g, Greek::speed), 0.0);
}

TEST(B76Greeks, RowLoopGivesEachElementTheElementBits) {
    const std::vector<Option> options = random_options(3000);
    const std::size_t n = options.size();
    std::vector<std::uint8_t> types(n);
    std::vector<double> fwd(n), strike(n), ttx(n), vol(n);
    for (std::size_t i = 0; i < n; ++i) {
        types[i] = options[i].type == OptionType::Call ? 0 : 1;
        fwd[i] = options[i].fwd, strike[i] = options[i].strike, ttx[i] = options[i].ttx, vol[i] = options[i].vol;
    }
    const double df = 0.95;  // one discount factor for the book: stride 0
    const auto row = [](const auto& v) {
        return kelvane::strided::Row<std::remove_cvref_t<decltype(v[0])>>{reinterpret_cast<const char*>(v.data()),
                                                                         sizeof v[0]};
    };
    // Some greeks in a chosen order, written backwards into one block with a
    // stride of three doubles.
    const Greek chosen[] = {Greek::ultima, Greek::value, Greek::dual_gamma};
    std::vector<double> block(3 * n);
    std::vector<b76::GreekRow> outs;
    for (std::size_t j = 0; j < 3; ++j) {
        outs.push_back({chosen[j], {reinterpret_cast<char*>(block.data() + 3 * (n - 1) + j), -24}});
    }
    b76::greeks_row(n, row(types), row(fwd), row(strike), row(ttx), row(vol),
                    {reinterpret_cast<const char*>(&df), 0}, outs);
    for (std::size_t i = 0; i < n; ++i) {
        const Option o{options[i].type, fwd[i], strike[i], ttx[i], vol[i], df};
        const Greeks g = o.greeks();
        for (std::size_t j = 0; j < 3; ++j) {
            ASSERT_EQ(bits(block[3 * (n - 1 - i) + j]), bits(of(g, chosen[j]))) << o.text() << " out " << j;
        }
    }
}

}  // namespace
