// The pricing loops over vectors, at every width this machine has, against
// the scalar call bit for bit (NaN payloads and signed zeros included) over
// seeded books salted with degenerate, NaN, infinite, zero, huge and tiny
// inputs, calls and puts mixed within a vector, lengths that leave tails,
// strided and broadcast operands, and contiguous ones at any byte offset.
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "common/math/vector_width.hpp"
#include "common/strided.hpp"
#include "option_pricing/b76.hpp"
#include "option_pricing/b76_greeks.hpp"
#include "option_pricing/binary.hpp"
#include "option_pricing/implied_vol.hpp"
#include "option_pricing/iv_calibration.hpp"

namespace {

using kelvane::strided::OutRow;
using kelvane::strided::Row;
using option_pricing::OptionType;

using Scalar = double (*)(OptionType, double, double, double, double, double);
using RowAt = void (*)(std::size_t, std::size_t, Row<std::uint8_t>, Row<double>, Row<double>, Row<double>,
                       Row<double>, Row<double>, OutRow<double>) noexcept;

struct Formula {
    const char* name;
    Scalar scalar;
    RowAt row_at;
};

// The greeks that calls and puts share, seen as option formulas that ignore
// the type.
template <double (*F)(double, double, double, double, double)>
double plain(OptionType, double fwd, double strike, double ttx, double vol, double df) {
    return F(fwd, strike, ttx, vol, df);
}

template <void (*F)(std::size_t, std::size_t, Row<double>, Row<double>, Row<double>, Row<double>, Row<double>,
                    OutRow<double>) noexcept>
void plain_row_at(std::size_t width, std::size_t count, Row<std::uint8_t>, Row<double> fwd, Row<double> strike,
                  Row<double> ttx, Row<double> vol, Row<double> df, OutRow<double> out) noexcept {
    F(width, count, fwd, strike, ttx, vol, df, out);
}

namespace b76 = option_pricing::b76;

const Formula formulas[] = {
    {"b76_fairvalue", b76::fairvalue, b76::fairvalue_row_at},
    {"binary_fairvalue", option_pricing::binary::fairvalue, option_pricing::binary::fairvalue_row_at},
    {"b76_delta", b76::delta, b76::delta_row_at},
    {"b76_vega", plain<b76::vega>, plain_row_at<b76::vega_row_at>},
    {"b76_gamma", plain<b76::gamma>, plain_row_at<b76::gamma_row_at>},
    {"binary_vega", option_pricing::binary::vega, option_pricing::binary::vega_row_at},
    {"binary_delta", option_pricing::binary::delta, option_pricing::binary::delta_row_at},
    {"binary_gamma", option_pricing::binary::gamma, option_pricing::binary::gamma_row_at},
    {"binary_speed", option_pricing::binary::speed, option_pricing::binary::speed_row_at},
    {"binary_theta", option_pricing::binary::theta, option_pricing::binary::theta_row_at},
};

constexpr double inf = std::numeric_limits<double>::infinity();
const double edges[] = {0.0, -0.0, -1.0, inf, -inf, 1e300, -1e300, 5e-324, 1e-300,
                        std::bit_cast<double>(0x7ff8000000000123ULL), std::bit_cast<double>(0xfff8000000000001ULL)};

// Operand k of option i lies at column[k][i * spread]: spread 2 leaves a gap
// after each element, as a strided view does.
struct Book {
    std::vector<std::uint8_t> codes;
    std::vector<double> columns[5];
};

Book random_book(std::size_t size, std::size_t spread, unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const double low[] = {50.0, 50.0, 0.01, 0.05, 0.5}, high[] = {150.0, 150.0, 3.0, 1.5, 1.0};
    Book book;
    book.codes.resize(size * spread);
    for (auto& column : book.columns) column.resize(size * spread);
    for (std::size_t i = 0; i < size; ++i) {
        book.codes[i * spread] = static_cast<std::uint8_t>(random() % 3);  // 2: a put too
        for (std::size_t k = 0; k < 5; ++k) {
            const bool edge = random() % 8 == 0;
            book.columns[k][i * spread] =
                edge ? edges[random() % std::size(edges)] : low[k] + (high[k] - low[k]) * uniform(random);
        }
        if (random() % 16 == 0) book.columns[1][i * spread] = book.columns[0][i * spread];  // at the money
    }
    return book;
}

// At a degenerate expiry the value is D maxNum(intrinsic, 0): a zero
// difference of signed zeros gives +0, a NaN one 0.
TEST(IntrinsicValue, ZeroAndNaNDifferencesGivePositiveZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        OptionType type;
        double fwd, strike;
    } cases[] = {{OptionType::Put, 0.0, -0.0}, {OptionType::Call, -0.0, 0.0}, {OptionType::Call, 0.0, 0.0},
                 {OptionType::Put, nan, 1.0}, {OptionType::Call, 1.0, nan}};
    for (const auto& c : cases) {
        for (const double ttx : {0.0, -1.0}) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(b76::fairvalue(c.type, c.fwd, c.strike, ttx, 0.2, 1.0)), 0u)
                << (c.type == OptionType::Call ? "call" : "put") << " F=" << c.fwd << " K=" << c.strike;
        }
    }
}

class VectorRows : public testing::TestWithParam<std::tuple<Formula, std::size_t>> {};

TEST_P(VectorRows, GiveEveryElementTheScalarBits) {
    const auto [formula, width] = GetParam();
    if (width > kelvane::vectors::widest_supported()) GTEST_SKIP() << "no unit of " << width << " doubles";
    for (const std::size_t size : {0, 1, 4, 7, 8, 9, 15, 1001}) {
        for (const std::size_t spread : {1, 2}) {
            const Book book = random_book(size, spread, static_cast<unsigned>(size * 10 + spread));
            const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(spread * 8);
            const auto row = [&](std::size_t k, std::ptrdiff_t stride) {
                return Row<double>{reinterpret_cast<const char*>(book.columns[k].data()), stride};
            };
            // The discount factor broadcast from one element when spread is 2.
            const Row<double> df = row(4, spread == 1 ? step : 0);
            const Row<std::uint8_t> codes{reinterpret_cast<const char*>(book.codes.data()),
                                          static_cast<std::ptrdiff_t>(spread)};
            std::vector<double> out(size * spread);
            formula.row_at(width, size, codes, row(0, step), row(1, step), row(2, step), row(3, step), df,
                           {reinterpret_cast<char*>(out.data()), step});
            for (std::size_t i = 0; i < size; ++i) {
                const std::size_t at = i * spread;
                const OptionType type = book.codes[at] == 0 ? OptionType::Call : OptionType::Put;
                const double expected = formula.scalar(type, book.columns[0][at], book.columns[1][at],
                                                       book.columns[2][at], book.columns[3][at], df[i]);
                ASSERT_EQ(std::bit_cast<std::uint64_t>(out[at]), std::bit_cast<std::uint64_t>(expected))
                    << formula.name << " width " << width << " size " << size << " spread " << spread << " option "
                    << i << ": " << (type == OptionType::Call ? "call" : "put") << " F=" << book.columns[0][at]
                    << " K=" << book.columns[1][at] << " T=" << book.columns[2][at] << " vol=" << book.columns[3][at]
                    << " df=" << df[i] << " gives " << out[at] << ", the scalar " << expected;
            }
        }
    }
}

// A contiguous row is read a vector per load where its elements lie on 8
// bytes, element by element where they do not: the same bits from either.
TEST_P(VectorRows, ReadContiguousRowsAtAnyByteOffset) {
    const auto [formula, width] = GetParam();
    if (width > kelvane::vectors::widest_supported()) GTEST_SKIP() << "no unit of " << width << " doubles";
    constexpr std::size_t size = 37;
    const Book book = random_book(size, 1, 5);
    const Row<std::uint8_t> codes{reinterpret_cast<const char*>(book.codes.data()), 1};
    const auto prices = [&](std::size_t offset) {
        std::vector<char> bytes(5 * size * 8 + offset);
        Row<double> rows[5];
        for (std::size_t k = 0; k < 5; ++k) {
            char* at = bytes.data() + offset + k * size * 8;
            std::memcpy(at, book.columns[k].data(), size * 8);
            rows[k] = {at, 8};
        }
        std::vector<double> out(size);
        formula.row_at(width, size, codes, rows[0], rows[1], rows[2], rows[3], rows[4],
                       {reinterpret_cast<char*>(out.data()), 8});
        return out;
    };
    const std::vector<double> aligned = prices(0);
    for (const std::size_t offset : {1, 8, 24}) {
        const std::vector<double> moved = prices(offset);
        for (std::size_t i = 0; i < size; ++i) {
            ASSERT_EQ(std::bit_cast<std::uint64_t>(moved[i]), std::bit_cast<std::uint64_t>(aligned[i]))
                << formula.name << " width " << width << " offset " << offset << " option " << i;
        }
    }
}

// b76_greeks: all sixteen, a few (those of the density alone, without the
// probabilities) and the value alone, each set into rows of its own.
class GreeksRows : public testing::TestWithParam<std::size_t> {};

TEST_P(GreeksRows, GiveEveryGreekTheScalarBits) {
    const std::size_t width = GetParam();
    if (width > kelvane::vectors::widest_supported()) GTEST_SKIP() << "no unit of " << width << " doubles";
    const std::vector<std::vector<b76::Greek>> sets = {
        {b76::Greek::value,  b76::Greek::delta, b76::Greek::gamma,  b76::Greek::vega,  b76::Greek::theta,
         b76::Greek::rho,    b76::Greek::vanna, b76::Greek::volga,  b76::Greek::charm, b76::Greek::veta,
         b76::Greek::speed,  b76::Greek::zomma, b76::Greek::color,  b76::Greek::ultima, b76::Greek::dual_delta,
         b76::Greek::dual_gamma},
        {b76::Greek::vega, b76::Greek::gamma, b76::Greek::dual_gamma},
        {b76::Greek::value},
    };
    const std::size_t size = 1003;
    const Book book = random_book(size, 1, 99);
    const auto row = [&](std::size_t k) {
        return Row<double>{reinterpret_cast<const char*>(book.columns[k].data()), 8};
    };
    for (const auto& set : sets) {
        b76::GreekSet wanted = 0;
        std::vector<std::vector<double>> outs(set.size(), std::vector<double>(size));
        std::vector<b76::GreekRow> rows;
        for (std::size_t j = 0; j < set.size(); ++j) {
            rows.push_back({set[j], {reinterpret_cast<char*>(outs[j].data()), 8}});
            wanted |= b76::greek_bit(set[j]);
        }
        b76::greeks_row_at(width, size, {reinterpret_cast<const char*>(book.codes.data()), 1}, row(0), row(1), row(2),
                           row(3), row(4), rows);
        for (std::size_t i = 0; i < size; ++i) {
            const OptionType type = book.codes[i] == 0 ? OptionType::Call : OptionType::Put;
            const b76::Greeks g = b76::greeks(type, book.columns[0][i], book.columns[1][i], book.columns[2][i],
                                              book.columns[3][i], book.columns[4][i], wanted);
            for (std::size_t j = 0; j < set.size(); ++j) {
                const double expected = g[static_cast<std::size_t>(set[j])];
                ASSERT_EQ(std::bit_cast<std::uint64_t>(outs[j][i]), std::bit_cast<std::uint64_t>(expected))
                    << "greek " << static_cast<int>(set[j]) << " of " << set.size() << ", width " << width
                    << ", option " << i << ": " << (type == OptionType::Call ? "call" : "put")
                    << " F=" << book.columns[0][i] << " K=" << book.columns[1][i] << " T=" << book.columns[2][i]
                    << " vol=" << book.columns[3][i] << " df=" << book.columns[4][i] << " gives " << outs[j][i]
                    << ", the scalar " << expected;
            }
        }
    }
}

// The solvers' rows: prices of the book's options (most lanes go on to the
// solve in lockstep), some at or beyond a bound or far from the money, amid
// the book's edge inputs, each against the scalar solver.
using SolverRowAt = void (*)(std::size_t, std::size_t, Row<std::uint8_t>, Row<double>, Row<double>, Row<double>,
                             Row<double>, Row<double>, OutRow<double>) noexcept;

void expect_scalar_bits_from_solver_row(std::size_t width, SolverRowAt row_at, Scalar scalar) {
    const std::size_t size = 1003;
    Book book = random_book(size, 1, 7);
    std::vector<double> price(size), out(size);
    for (std::size_t i = 0; i < size; ++i) {
        const OptionType type = book.codes[i] == 0 ? OptionType::Call : OptionType::Put;
        double& fwd = book.columns[0][i];
        double& strike = book.columns[1][i];
        if (i % 29 == 0) strike = fwd * 1e-310;  // F/K beyond the doubles
        if (i % 31 == 0) strike = fwd * 1e-200;  // s_c past the reach of one erfc
        const double df = book.columns[4][i];
        price[i] = b76::fairvalue(type, fwd, strike, book.columns[2][i], book.columns[3][i], df);
        if (i % 37 == 0) price[i] = df * (type == OptionType::Call ? fwd : strike);  // the upper bound
        if (i % 41 == 0) price[i] = std::nextafter(price[i], inf);
    }
    const auto row = [](const std::vector<double>& column) {
        return Row<double>{reinterpret_cast<const char*>(column.data()), 8};
    };
    row_at(width, size, {reinterpret_cast<const char*>(book.codes.data()), 1}, row(book.columns[2]),
           row(book.columns[0]), row(book.columns[1]), row(price), row(book.columns[4]),
           {reinterpret_cast<char*>(out.data()), 8});
    for (std::size_t i = 0; i < size; ++i) {
        const OptionType type = book.codes[i] == 0 ? OptionType::Call : OptionType::Put;
        const double expected =
            scalar(type, book.columns[2][i], book.columns[0][i], book.columns[1][i], price[i], book.columns[4][i]);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(out[i]), std::bit_cast<std::uint64_t>(expected))
            << "width " << width << ", option " << i << ": " << (type == OptionType::Call ? "call" : "put")
            << " T=" << book.columns[2][i] << " F=" << book.columns[0][i] << " K=" << book.columns[1][i]
            << " price=" << price[i] << " df=" << book.columns[4][i] << " gives " << out[i] << ", the scalar "
            << expected;
    }
}

class ImpliedVolRows : public testing::TestWithParam<std::size_t> {};

TEST_P(ImpliedVolRows, GiveEveryElementTheScalarBits) {
    const std::size_t width = GetParam();
    if (width > kelvane::vectors::widest_supported()) GTEST_SKIP() << "no unit of " << width << " doubles";
    expect_scalar_bits_from_solver_row(width, option_pricing::implied_vol::black76_implied_vol_row_at,
                                       option_pricing::implied_vol::black76_implied_vol);
}

TEST_P(ImpliedVolRows, BrentsSearchGivesEveryElementTheScalarBits) {
    const std::size_t width = GetParam();
    if (width > kelvane::vectors::widest_supported()) GTEST_SKIP() << "no unit of " << width << " doubles";
    expect_scalar_bits_from_solver_row(width, option_pricing::iv_calibration::calibrate_black76_iv_row_at,
                                       option_pricing::iv_calibration::calibrate_black76_iv);
}

// Vectors that mix every path of the solve in their lanes: near the money at
// total vols down to 1e-3 (b from its series), far below the inflexion point
// (the asymptotic start), above it and near the upper bound (solved one by
// one), and moneyness out to |ln F/K| = 60, with prices that need one
// evaluation and prices that need several.
TEST_P(ImpliedVolRows, MixThePathsOfTheSolveInTheirLanes) {
    const std::size_t width = GetParam();
    if (width > kelvane::vectors::widest_supported()) GTEST_SKIP() << "no unit of " << width << " doubles";
    const std::size_t size = 20'000;
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<std::uint8_t> codes(size);
    std::vector<double> ttx(size), fwd(size), strike(size), price(size), df(size), out(size);
    for (std::size_t i = 0; i < size; ++i) {
        const OptionType type = random() % 2 == 0 ? OptionType::Call : OptionType::Put;
        codes[i] = type == OptionType::Call ? 0 : 1;
        const double reach = std::array{1e-3, 0.2, 3.0, 60.0}[random() % 4];
        const double x = reach * (2.0 * unit(random) - 1.0);
        const double s = std::pow(10.0, -3.0 + 3.8 * unit(random));
        ttx[i] = 0.01 + 5.0 * unit(random);
        fwd[i] = 100.0;
        strike[i] = fwd[i] * std::exp(-x);
        df[i] = 0.5 + 0.5 * unit(random);
        price[i] = b76::fairvalue(type, fwd[i], strike[i], ttx[i], s / std::sqrt(ttx[i]), df[i]);
    }
    const auto row = [](const std::vector<double>& column) {
        return Row<double>{reinterpret_cast<const char*>(column.data()), 8};
    };
    option_pricing::implied_vol::black76_implied_vol_row_at(width, size, {reinterpret_cast<const char*>(codes.data()), 1},
                                                            row(ttx), row(fwd), row(strike), row(price), row(df),
                                                            {reinterpret_cast<char*>(out.data()), 8});
    for (std::size_t i = 0; i < size; ++i) {
        const OptionType type = codes[i] == 0 ? OptionType::Call : OptionType::Put;
        const double expected =
            option_pricing::implied_vol::black76_implied_vol(type, ttx[i], fwd[i], strike[i], price[i], df[i]);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(out[i]), std::bit_cast<std::uint64_t>(expected))
            << "width " << width << ", option " << i << ": T=" << ttx[i] << " K=" << strike[i] << " price=" << price[i]
            << " df=" << df[i] << " gives " << out[i] << ", the scalar " << expected;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWidth, ImpliedVolRows,
                         testing::Values(std::size_t{2}, std::size_t{4}, std::size_t{8}));

INSTANTIATE_TEST_SUITE_P(EveryWidth, GreeksRows, testing::Values(std::size_t{2}, std::size_t{4}, std::size_t{8}));

INSTANTIATE_TEST_SUITE_P(EveryWidth, VectorRows,
                         testing::Combine(testing::ValuesIn(formulas),
                                          testing::Values(std::size_t{2}, std::size_t{4}, std::size_t{8})),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
