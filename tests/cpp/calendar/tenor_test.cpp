// Tenors as year fractions, and the decimal grammar behind them.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "calendar/calendar.hpp"
#include "calendar/decimal.hpp"

namespace {

using calendar::Calendar;

constexpr double inf = std::numeric_limits<double>::infinity();

struct TenorCase {
    const char* tenor;
    double ttx;
};

const TenorCase tenor_cases[] = {
    {"1d", 0.0027397260273972603},
    {"2w", 0.038356164383561646},
    {"1w", 0.019178082191780823},
    {"3m", 0.2465753424657534},
    {"1.5y", 1.5},
    {"-1d", -0.0027397260273972603},
    {"1e1d", 10.0 / 365.0},
    {"+2d", 2.0 / 365.0},
    {".5w", (0.5 * 7.0) / 365.0},
    {"5.m", (5.0 * 30.0) / 365.0},
    {"0.1m", (0.1 * 30.0) / 365.0},  // the product first: not 0.1 * (30 / 365)
    {"2.5E-1y", 0.25},
    {"1e+2d", 100.0 / 365.0},
    {"007d", 7.0 / 365.0},
    {"1e400y", inf},
    {"-1e400y", -inf},
    {"1e-400y", 0.0},
    {"infd", inf},
    {"-INFy", -inf},
    {"Infinityw", inf},
    {"+iNfInItYm", inf},
};

TEST(Tenor, YearFractions) {
    for (const auto& c : tenor_cases) {
        const auto ttx = Calendar::tenor_to_ttx(c.tenor);
        ASSERT_TRUE(ttx) << c.tenor << ": " << ttx.error().message;
        EXPECT_EQ(*ttx, c.ttx) << c.tenor;
    }
    for (const char* tenor : {"nand", "NaNy", "-nanw", "+nAnm"}) {
        const auto ttx = Calendar::tenor_to_ttx(tenor);
        ASSERT_TRUE(ttx) << tenor << ": " << ttx.error().message;
        EXPECT_TRUE(std::isnan(*ttx)) << tenor;
    }
}

struct BadTenor {
    const char* tenor;
    const char* message;
};

const BadTenor bad_tenors[] = {
    {"", "Invalid tenor format: "},
    {"1D", "Invalid tenor format: 1D"},
    {"1Y", "Invalid tenor format: 1Y"},
    {"12", "Invalid tenor format: 12"},
    {"1d ", "Invalid tenor format: 1d "},
    {"d", "cannot parse float from empty string"},
    {"1 d", "invalid float literal"},
    {" 1d", "invalid float literal"},
    {"1.2.3d", "invalid float literal"},
    {"+d", "invalid float literal"},
    {"-d", "invalid float literal"},
    {"+-1d", "invalid float literal"},
    {".d", "invalid float literal"},
    {"e5d", "invalid float literal"},
    {"1ed", "invalid float literal"},
    {"1e+d", "invalid float literal"},
    {"1,5d", "invalid float literal"},
    {"1_000d", "invalid float literal"},
    {"0x10d", "invalid float literal"},
    {"1dd", "invalid float literal"},
    {"nan(1)d", "invalid float literal"},
    {"infinid", "invalid float literal"},
    {"+NAN m", "invalid float literal"},
    {"\xE2\x80\x89" "1d", "invalid float literal"},
};

TEST(Tenor, Failures) {
    for (const auto& c : bad_tenors) {
        const auto ttx = Calendar::tenor_to_ttx(c.tenor);
        ASSERT_FALSE(ttx) << '"' << c.tenor << "\" gave " << *ttx;
        EXPECT_EQ(ttx.error().message, c.message) << '"' << c.tenor << '"';
    }
}

TEST(Decimal, CorrectlyRoundedAtAnyLength) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"0.1", 0.1},
        {"-0", -0.0},
        {"9007199254740993", 9007199254740992.0},
        {"9007199254740993.000000000000000000001", 9007199254740994.0},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"1.7976931348623159e308", inf},
        {"2e-324", 0.0},
        {"3e-324", 4.9406564584124654e-324},
        {"1e-99999999999999999999", 0.0},
        {"1e99999999999999999999", inf},
        {"0e99999999999999999999", 0.0},
        {"0.000000000000000000000000000000000000001e39", 1.0},
    };
    for (const auto& c : cases) {
        const auto value = calendar::double_from_decimal(c.text);
        ASSERT_TRUE(value) << c.text;
        EXPECT_EQ(*value, c.value) << c.text;
        EXPECT_EQ(std::signbit(*value), std::signbit(c.value)) << c.text;
    }
    for (const char* text : {"", "+", "1e", "..1", "1..", "1 ", "inf", "0x1p3", "1e5.5"}) {
        EXPECT_FALSE(calendar::double_from_decimal(text)) << '"' << text << '"';
    }
}

}  // namespace
