// The element-wise loops of the array module: the layout walk, the split
// over threads and the loops beside the formulas. Every loop must give each
// element the bits of the scalar function, whatever the layout and however
// many threads run; the sanitizer run builds this file with ThreadSanitizer.
#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "calendar/calendar.hpp"
#include "calendar/loops.hpp"
#include "common/parallel.hpp"
#include "common/strided.hpp"
#include "common/utc_instant.hpp"
#include "option_pricing/b76.hpp"
#include "option_pricing/iv_calibration.hpp"
#include "option_pricing/loops.hpp"
#include "volmodel/vol_model/loops.hpp"

namespace {

using kelvane::strided::Layout;
using kelvane::strided::OutRow;
using kelvane::strided::Row;

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// Python's int / int true division, the reference: micros / 10**6 rounded
// to nearest, ties to even (the hex literals are its results).
TEST(TimestampFromMicros, IsTheCorrectlyRoundedQuotient) {
    const struct {
        std::int64_t micros;
        double timestamp;
    } cases[] = {
        {1, 0x1.0c6f7a0b5ed8dp-20},
        {-1500000, -1.5},
        {9007199254740991, 0x1.0c6f7a0b5ed8dp+33},
        {9007199254740993, 0x1.0c6f7a0b5ed8ep+33},
        {253402300799999999, 0x1.d7ffa20c00000p+37},   // the last microsecond of 9999
        {-62135596800000001, -0x1.cef23ee000000p+35},  // before year 1
        {123456789012345678, 0x1.cbe991a14587ep+36},
        {9223372036854775807, 0x1.0c6f7a0b5ed8dp+43},
        {-9223372036854775807, -0x1.0c6f7a0b5ed8dp+43},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bits(kelvane::timestamp_from_micros(c.micros)), bits(c.timestamp)) << c.micros;
    }
}

// A 3x4 output walked through a transposed input and a broadcast row.
TEST(Layout, WalksEveryElementOnceInCOrderOverAnyRange) {
    const std::size_t shape[] = {3, 4};
    std::vector<double> in(12);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<double>(i);
    std::vector<double> row{100, 200, 300, 400};
    for (std::size_t begin = 0; begin < 12; ++begin) {
        std::vector<double> out(12, -1.0);
        Layout<3> layout(2, shape);
        layout.operand(0).base = reinterpret_cast<char*>(in.data());  // in as a 4x3 array, transposed
        layout.operand(0).strides[0] = 8;
        layout.operand(0).strides[1] = 24;
        layout.operand(1).base = reinterpret_cast<char*>(row.data());
        layout.operand(1).strides[1] = 8;
        layout.operand(2).base = reinterpret_cast<char*>(out.data());
        layout.operand(2).strides[0] = 32;
        layout.operand(2).strides[1] = 8;
        layout.coalesce();
        layout.for_rows(begin, 12, [](const auto& at, const auto& step, std::size_t count, std::size_t) {
            for (std::size_t i = 0; i < count; ++i) {
                OutRow<double>{at[2], step[2]}.set(i, Row<double>{at[0], step[0]}[i] + Row<double>{at[1], step[1]}[i]);
            }
        });
        for (std::size_t r = 0; r < 3; ++r) {
            for (std::size_t c = 0; c < 4; ++c) {
                const double expected = r * 4 + c < begin ? -1.0 : static_cast<double>(c * 3 + r) + row[c];
                EXPECT_EQ(out[r * 4 + c], expected) << begin << " " << r << " " << c;
            }
        }
    }
}

TEST(Layout, CoalescesContiguousAndBroadcastDimensionsIntoOneRow) {
    const std::size_t shape[] = {2, 1, 3, 5};
    Layout<2> layout(4, shape);
    const std::ptrdiff_t contiguous[] = {120, 120, 40, 8};
    for (int d = 0; d < 4; ++d) layout.operand(1).strides[d] = contiguous[d];  // operand 0 broadcast throughout
    layout.coalesce();
    ASSERT_EQ(layout.ndim(), 1u);
    EXPECT_EQ(layout.shape()[0], 30u);
}

struct Book {
    std::vector<std::uint8_t> types;
    std::vector<double> fwd, strike, ttx, vol, df;
};

Book random_book(std::size_t n) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::normal_distribution<double> moneyness(0.0, 0.25);
    Book book;
    for (std::size_t i = 0; i < n; ++i) {
        book.types.push_back(static_cast<std::uint8_t>(rng() & 1));
        book.fwd.push_back(50.0 + 100.0 * uniform(rng));
        book.strike.push_back(book.fwd.back() * std::exp(moneyness(rng)));
        book.ttx.push_back(i % 97 == 0 ? 0.0 : 0.02 + 1.98 * uniform(rng));  // degenerate expiries mixed in
        book.vol.push_back(0.1 + 1.1 * uniform(rng));
        book.df.push_back(0.9 + 0.1 * uniform(rng));
    }
    return book;
}

template <option_pricing::OptionFormula Formula>
std::vector<double> priced(const Book& book, std::size_t threads) {
    const std::size_t n = book.fwd.size();
    std::vector<double> out(n);
    const auto row = [&](std::size_t begin, std::size_t end) {
        auto at = [](const auto& v, std::size_t i) { return reinterpret_cast<const char*>(v.data() + i); };
        option_pricing::option_row<Formula>(
            end - begin, Row<std::uint8_t>{at(book.types, begin), 1}, Row<double>{at(book.fwd, begin), 8},
            Row<double>{at(book.strike, begin), 8}, Row<double>{at(book.ttx, begin), 8},
            Row<double>{at(book.vol, begin), 8}, Row<double>{at(book.df, begin), 8},
            OutRow<double>{reinterpret_cast<char*>(out.data() + begin), 8});
    };
    kelvane::parallel::for_chunks(n, threads, [&](std::size_t, std::size_t b, std::size_t e) { row(b, e); });
    return out;
}

TEST(PricingLoops, GiveTheScalarBitsOnAnyNumberOfThreads) {
    const Book book = random_book(5000);
    const std::vector<double> one = priced<option_pricing::b76::fairvalue>(book, 1);
    for (std::size_t i = 0; i < one.size(); ++i) {
        const auto type = option_pricing::option_type_of(book.types[i]);
        ASSERT_EQ(bits(one[i]), bits(option_pricing::b76::fairvalue(type, book.fwd[i], book.strike[i], book.ttx[i],
                                                                     book.vol[i], book.df[i])))
            << i;
    }
    for (std::size_t threads : {2, 3, 8}) {
        EXPECT_EQ(priced<option_pricing::b76::fairvalue>(book, threads), one) << threads;
    }
}

TEST(Parallel, EveryElementOnceAndExceptionsRethrown) {
    for (std::size_t threads : {1, 2, 5, 1000}) {
        std::vector<int> seen(777, 0);
        kelvane::parallel::for_chunks(seen.size(), threads, [&](std::size_t, std::size_t b, std::size_t e) {
            for (std::size_t i = b; i < e; ++i) ++seen[i];
        });
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 777) << threads;
    }
    EXPECT_THROW(kelvane::parallel::for_chunks(10, 4, [](std::size_t k, std::size_t, std::size_t) {
                     if (k == 2) throw std::bad_alloc();
                 }),
                 std::bad_alloc);
}

// Runs of one (ttx, spot) are strips; every element is still the single
// strike's volatility.
TEST(SmileLoops, RunsGiveEachStrikeItsSingleVolatility) {
    for (const char* kind : {"GVVSpline", "VolGeo", "CubicSpline"}) {
        const auto model = vol_model::model_of_kind(kind, {{"ref_vol", 60.0}, {"skew", -3.0}, {"p10", 2.0}});
        ASSERT_TRUE(model) << kind;
        std::vector<double> ttx, spot, strikes;
        for (int i = 0; i < 3000; ++i) {
            ttx.push_back(i < 1500 ? 0.25 : 0.5);
            spot.push_back(i % 700 < 350 ? 100.0 : 105.0);
            strikes.push_back(40.0 + 0.05 * i);
        }
        std::vector<double> vols(strikes.size());
        vol_model::vols_row(*model, strikes.size(), Row<double>{reinterpret_cast<char*>(ttx.data()), 8},
                            Row<double>{reinterpret_cast<char*>(spot.data()), 8},
                            Row<double>{reinterpret_cast<char*>(strikes.data()), 8},
                            OutRow<double>{reinterpret_cast<char*>(vols.data()), 8});
        for (std::size_t i = 0; i < vols.size(); ++i) {
            const double one = model->get_vol(ttx[i], spot[i], std::vector<double>{strikes[i]})[0];
            ASSERT_EQ(bits(vols[i]), bits(one)) << kind << " " << i;
        }
    }
    EXPECT_EQ(vol_model::model_of_kind("Smile", {}), nullptr);
}

// Ticks of every unit become the datetime's timestamp; NaT gives NaN; a
// count beyond every instant fails with its index.
TEST(TimeLoops, TicksAndTimestampsGiveTheScalarIntervals) {
    auto calendar = calendar::Calendar::create("BTCUSDT");
    ASSERT_TRUE(calendar);
    const std::int64_t not_a_time = std::numeric_limits<std::int64_t>::min();
    std::vector<std::int64_t> from_ns{1'765'204'200'123'456'789, -1'000, not_a_time, 0};
    std::vector<double> to_stamps{1'790'000'000.5, 1.0, 2.0, 3.0};
    std::vector<std::int64_t> to_raw(to_stamps.size());
    std::memcpy(to_raw.data(), to_stamps.data(), to_raw.size() * 8);
    std::vector<double> out(4);
    const calendar::TimeRow from{Row<std::int64_t>{reinterpret_cast<char*>(from_ns.data()), 8},
                                 calendar::TimeUnit::nanosecond};
    const calendar::TimeRow to{Row<std::int64_t>{reinterpret_cast<char*>(to_raw.data()), 8},
                               calendar::TimeUnit::timestamp};
    ASSERT_FALSE(calendar::bus_ttx_row(*calendar, 4, from, to, OutRow<double>{reinterpret_cast<char*>(out.data()), 8}));
    for (std::size_t i : {0u, 1u, 3u}) {
        const std::int64_t micros = from_ns[i] >= 0 ? from_ns[i] / 1000 : (from_ns[i] - 999) / 1000;
        const auto a = kelvane::utc_instant_from_timestamp(kelvane::timestamp_from_micros(micros));
        const auto b = kelvane::utc_instant_from_timestamp(to_stamps[i]);
        EXPECT_EQ(bits(out[i]), bits(*calendar->bus_ttx(*a, *b))) << i;
    }
    EXPECT_TRUE(std::isnan(out[2]));

    std::vector<std::int64_t> far{0, std::numeric_limits<std::int64_t>::max() / 2};
    const calendar::TimeRow weeks{Row<std::int64_t>{reinterpret_cast<char*>(far.data()), 8}, calendar::TimeUnit::week};
    const auto failed = calendar::cal_ttx_row(2, weeks, weeks, OutRow<double>{reinterpret_cast<char*>(out.data()), 8});
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->index, 1u);
    EXPECT_EQ(failed->error.message, "Invalid timestamp");
}

}  // namespace
