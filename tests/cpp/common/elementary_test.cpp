// The library's exp, log, tanh, erfc and erfcx at their special values, edges and
// correctly rounded reference values (MPFR), and the vector evaluation (2,
// 4 and 8 lanes) against the scalar one, bit for bit. Their accuracy over the
// whole range is checked against MPFR by tests/elementary/accuracy.py.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/math/elementary.hpp"

namespace {

namespace el = kelvane::elementary;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double min_subnormal = 0x1p-1074;
constexpr double min_normal = 0x1p-1022;
constexpr double max_double = std::numeric_limits<double>::max();

using Function = double (*)(double);

struct Case {
    const char* name;
    Function f;
    double x, expected;
};

std::string hex(double v) {
    std::ostringstream out;
    out << std::hexfloat << v;
    return out.str();
}

// Bits, so that -0 differs from +0; any NaN matches a NaN.
void expect_same(const Case& c) {
    const double y = c.f(c.x);
    if (std::isnan(c.expected)) {
        EXPECT_TRUE(std::isnan(y)) << c.name << "(" << hex(c.x) << ") = " << hex(y) << ", expected NaN";
        return;
    }
    EXPECT_EQ(std::bit_cast<std::uint64_t>(y), std::bit_cast<std::uint64_t>(c.expected))
        << c.name << "(" << hex(c.x) << ") = " << hex(y) << ", expected " << hex(c.expected);
}

const Function exp_ = el::exp<double>;
const Function log_ = el::log<double>;
const Function tanh_ = el::tanh<double>;
const Function erfc_ = el::erfc<double>;
const Function erfcx_ = el::erfcx<double>;

TEST(Elementary, SpecialValues) {
    const Case cases[] = {
        {"exp", exp_, nan, nan},
        {"exp", exp_, 0.0, 1.0},
        {"exp", exp_, -0.0, 1.0},
        {"exp", exp_, inf, inf},
        {"exp", exp_, -inf, 0.0},
        {"exp", exp_, min_subnormal, 1.0},
        {"exp", exp_, -min_subnormal, 1.0},
        {"exp", exp_, max_double, inf},
        {"exp", exp_, -max_double, 0.0},
        {"log", log_, nan, nan},
        {"log", log_, 1.0, 0.0},
        {"log", log_, 0.0, -inf},
        {"log", log_, -0.0, -inf},
        {"log", log_, -min_subnormal, nan},
        {"log", log_, -1.0, nan},
        {"log", log_, -inf, nan},
        {"log", log_, inf, inf},
        {"tanh", tanh_, nan, nan},
        {"tanh", tanh_, 0.0, 0.0},
        {"tanh", tanh_, -0.0, -0.0},
        {"tanh", tanh_, inf, 1.0},
        {"tanh", tanh_, -inf, -1.0},
        {"tanh", tanh_, min_subnormal, min_subnormal},
        {"tanh", tanh_, -min_normal, -min_normal},
        {"tanh", tanh_, max_double, 1.0},
        {"erfc", erfc_, nan, nan},
        {"erfc", erfc_, 0.0, 1.0},
        {"erfc", erfc_, -0.0, 1.0},
        {"erfc", erfc_, inf, 0.0},
        {"erfc", erfc_, -inf, 2.0},
        {"erfc", erfc_, min_subnormal, 1.0},
        {"erfc", erfc_, max_double, 0.0},
        {"erfc", erfc_, -max_double, 2.0},
        {"erfcx", erfcx_, nan, nan},
        {"erfcx", erfcx_, 0.0, 1.0},
        {"erfcx", erfcx_, -0.0, 1.0},
        {"erfcx", erfcx_, inf, 0.0},
        {"erfcx", erfcx_, -inf, inf},
        {"erfcx", erfcx_, min_subnormal, 1.0},
        {"erfcx", erfcx_, max_double, 3.138408733985445e-309},
        {"erfcx", erfcx_, -max_double, inf},
    };
    for (const Case& c : cases) expect_same(c);
}

// Where results overflow, turn subnormal, underflow or round to a constant,
// on both sides of each edge; every expected value is MPFR's, rounded.
TEST(Elementary, Edges) {
    const Case cases[] = {
        {"exp", exp_, 709.782712893384, 0x1.fffffffffff2ap+1023},
        {"exp", exp_, 709.7827128933841, inf},
        {"exp", exp_, -708.3964185322641, 2.2250738585072626e-308},
        {"exp", exp_, -745.1332191019411, min_subnormal},
        {"exp", exp_, -745.1332191019412, 0.0},
        {"log", log_, min_subnormal, -744.4400719213812},
        {"log", log_, max_double, 709.782712893384},
        {"log", log_, 0.5, -0.6931471805599453},
        {"log", log_, 2.0, 0.6931471805599453},
        {"tanh", tanh_, 19.061547465398494, 0.9999999999999999},
        {"tanh", tanh_, 19.061547465398498, 1.0},
        {"tanh", tanh_, -19.061547465398498, -1.0},
        {"erfc", erfc_, 26.55, 1.5552026941135507e-308},
        {"erfc", erfc_, 26.6, 1.088512588544227e-309},
        {"erfc", erfc_, 27.2, 1e-323},
        {"erfc", erfc_, 27.226017111108362, min_subnormal},
        {"erfc", erfc_, 27.226017111108366, 0.0},
        {"erfc", erfc_, -6.0, 2.0},
        {"erfcx", erfcx_, -26.62872, 1.796189320795112e+308},
        {"erfcx", erfcx_, -26.629, inf},
        {"erfcx", erfcx_, 31.999999999999996, 0.01762232821595779},
        {"erfcx", erfcx_, 32.0, 0.017622328215957786},
    };
    for (const Case& c : cases) expect_same(c);
}

TEST(Elementary, ReferenceValues) {
    const Case cases[] = {
        {"exp", exp_, 1.0, 2.718281828459045},
        {"exp", exp_, -1.0, 0.36787944117144233},
        {"log", log_, 10.0, 2.302585092994046},
        {"tanh", tanh_, 0.5, 0.46211715726000974},
        {"tanh", tanh_, 1.0, 0.7615941559557649},
        {"erfc", erfc_, 1.0, 0.15729920705028513},
        {"erfc", erfc_, -1.0, 1.8427007929497148},
        {"erfc", erfc_, 0.5, 0.4795001221869535},
        {"erfc", erfc_, -0.2, 1.2227025892104784},
        {"erfc", erfc_, 3.0, 2.209049699858544e-05},
        {"erfc", erfc_, 10.0, 2.088487583762545e-45},
        {"erfcx", erfcx_, 0.1, 0.8964569799691267},
        {"erfcx", erfcx_, -0.1, 1.1236433541992095},
        {"erfcx", erfcx_, 0.5, 0.6156903441929259},
        {"erfcx", erfcx_, -1.0, 5.008980080762283},
        {"erfcx", erfcx_, 3.0, 0.17900115118138996},
        {"erfcx", erfcx_, 26.0, 0.021683584850562907},
        {"erfcx", erfcx_, 1e5, 5.6418958351954685e-06},
    };
    for (const Case& c : cases) expect_same(c);
}

// Arguments from every binade and from each function's working range, in
// pairs that mix the branches (small and large, finite and special), so
// that each lane of a vector must follow its own path.
std::vector<double> mixed_arguments(std::uint64_t seed, double lo, double hi) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> range(lo, hi);
    std::vector<double> x{0.0, -0.0, inf, -inf, nan, min_subnormal, -min_normal, 0.2, 30.0, -30.0};
    for (int i = 0; i < 40000; ++i) {
        const double bits = std::bit_cast<double>(rng());
        x.push_back(std::isfinite(bits) ? bits : nan);
        x.push_back(range(rng));
    }
    return x;
}

// Each vector holds n consecutive arguments, so every argument meets every
// lane and its neighbours' branches.
template <class V, class Scalar, class Vector>
void expect_lanes_match(const char* name, Scalar scalar, Vector vector, double lo, double hi) {
    constexpr std::size_t n = sizeof(V) / sizeof(double);
    const std::vector<double> x = mixed_arguments(20261209, lo, hi);
    int mismatches = 0;
    for (std::size_t i = 0; i + n <= x.size(); ++i) {
        V v;
        for (std::size_t lane = 0; lane < n; ++lane) v[lane] = x[i + lane];
        v = vector(v);
        for (std::size_t lane = 0; lane < n; ++lane) {
            const double s = scalar(x[i + lane]);
            if (std::bit_cast<std::uint64_t>(s) != std::bit_cast<std::uint64_t>(v[lane]) && ++mismatches <= 5) {
                ADD_FAILURE() << name << "(" << hex(x[i + lane]) << "): scalar " << hex(s) << ", lane " << lane
                              << " of " << n << " from " << hex(x[i]) << ": " << hex(v[lane]);
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << name << " over " << n << " lanes";
}

template <class V>
void expect_every_function_matches() {
    expect_lanes_match<V>("exp", el::exp<double>, el::exp<V>, -750.0, 712.0);
    expect_lanes_match<V>("log", el::log<double>, el::log<V>, 0.0, 4.0);
    expect_lanes_match<V>("tanh", el::tanh<double>, el::tanh<V>, -1.0, 1.0);
    expect_lanes_match<V>("erfc", el::erfc<double>, el::erfc<V>, -1.0, 28.0);
    expect_lanes_match<V>("erfcx", el::erfcx<double>, el::erfcx<V>, -1.0, 40.0);
}

TEST(Elementary, VectorLanesGiveTheScalarBits) {
    expect_every_function_matches<el::double2>();
    expect_every_function_matches<el::double4>();
    expect_every_function_matches<el::double8>();
}

}  // namespace
