// The kernels alone: each Python call's C++ work without the binding, with
// the arguments of the Python benchmark rows (bench/*.py), so that the table
// can set measured time against floor + kernel. Each benchmark is named
// after the kernel key of its row; one over many items (strikes, intervals)
// reports their number as the counter per_iteration, and its time per item
// is the figure.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "calendar/calendar.hpp"
#include "common/math/elementary.hpp"
#include "common/math/vector_width.hpp"
#include "common/strided.hpp"
#include "common/utc_instant.hpp"
#include "option_pricing/b76.hpp"
#include "option_pricing/b76_greeks.hpp"
#include "option_pricing/binary.hpp"
#include "option_pricing/implied_vol.hpp"
#include "option_pricing/iv_calibration.hpp"
#include "volmodel/vol_model/cubic_spline.hpp"
#include "volmodel/vol_model/gvv_spline.hpp"
#include "volmodel/vol_model/vol_geo.hpp"

namespace {

using option_pricing::OptionType;

// A value the optimiser cannot see through, so that no call is folded away:
// its address escapes into an asm that may have written any memory, so the
// value is read back after it. Not benchmark::DoNotOptimize(value): for a
// double, GCC may satisfy that asm's "+m,r" operand with a general register
// it never loaded and hand back garbage (the smiles' strips were timed at a
// subnormal ttx, every vol NaN, the time depending on the stack's contents).
template <class T>
T opaque(T value) {
    asm volatile("" : : "r"(&value) : "memory");
    return value;
}

// A Python call runs its kernel alone, between two steps of the
// interpreter, and waits for the result, so a scalar kernel is timed as a
// chain of lone calls: each call's first argument is the same value made to
// wait for the previous result (added to it times zero, a multiply and an
// add, about 2 ns). Independent calls would overlap in the processor, and
// passing each argument through memory (opaque) costs some kernels more than
// their own work, by an amount that changes with the stack's address.
inline double after(double value, double previous) { return value + 0.0 * previous; }

inline kelvane::UtcInstant after(kelvane::UtcInstant value, double previous) {
    return {value.seconds + static_cast<std::int64_t>(0.0 * previous), value.nanos};
}

template <class Arg, class Call>
void lone_calls(benchmark::State& state, Arg first, Call call) {
    double result = 0.0;
    for (auto _ : state) result = call(after(first, result));
    benchmark::DoNotOptimize(result);
}

// ---------------------------------------------------------------------------
// Pricing (bench/pricing.py)

constexpr double F = 100.0, K = 95.0, T = 0.5, VOL = 0.25, DF = 0.99;

void b76_fairvalue(benchmark::State& state) {
    lone_calls(state, F, [](double f) { return option_pricing::b76::fairvalue(OptionType::Call, f, K, T, VOL, DF); });
}

void binary_fairvalue(benchmark::State& state) {
    lone_calls(state, F, [](double f) { return option_pricing::binary::fairvalue(OptionType::Call, f, K, T, VOL, DF); });
}

void calibrate_black76_iv(benchmark::State& state) {
    const double price = option_pricing::b76::fairvalue(OptionType::Call, F, K, T, VOL, DF);
    lone_calls(state, F, [price](double f) {
        return option_pricing::iv_calibration::calibrate_black76_iv(OptionType::Call, T, f, K, price, DF);
    });
}

// ---------------------------------------------------------------------------
// Books of options (bench/arrays.py): the loop an array call runs on one
// thread, the kernel per element over contiguous inputs into an output
// vector.

// A random book drawn as bench/arrays.py draws its own: forwards uniform on
// [50, 150], strikes at a normal log-moneyness of deviation 0.25, ttx uniform
// on [0.02, 2], vols uniform on [0.1, 1.2], calls and puts at random, df 1.
// The prices are the book's Black-76 values, for the solver. The Python rows
// pass df as one scalar, so the loops take it as a constant.
struct Book {
    std::vector<OptionType> type;
    std::vector<double> fwd, strike, ttx, vol, price;
};

constexpr double book_df = 1.0;

constexpr std::size_t fairvalue_book_size = 1'000'000;
constexpr std::size_t iv_book_size = 100'000;

Book random_book(std::size_t size) {
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> fwd(50.0, 150.0), ttx(0.02, 2.0), vol(0.1, 1.2);
    std::normal_distribution<double> log_moneyness(0.0, 0.25);
    std::bernoulli_distribution call(0.5);
    Book book;
    for (std::size_t i = 0; i < size; ++i) {
        book.type.push_back(call(random) ? OptionType::Call : OptionType::Put);
        book.fwd.push_back(fwd(random));
        book.strike.push_back(book.fwd.back() * std::exp(log_moneyness(random)));
        book.ttx.push_back(ttx(random));
        book.vol.push_back(vol(random));
        book.price.push_back(option_pricing::b76::fairvalue(book.type[i], book.fwd[i], book.strike[i], book.ttx[i],
                                                            book.vol[i], book_df));
    }
    return book;
}

// A pricing formula's scalar function over the book, one option at a time.
template <double (*Formula)(OptionType, double, double, double, double, double)>
void scalar_book(benchmark::State& state) {
    const Book book = random_book(fairvalue_book_size);
    std::vector<double> out(book.fwd.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = Formula(book.type[i], book.fwd[i], book.strike[i], book.ttx[i], book.vol[i], book_df);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_iteration"] = static_cast<double>(out.size());
}

using RowAt = void (*)(std::size_t, std::size_t, kelvane::strided::Row<std::uint8_t>, kelvane::strided::Row<double>,
                       kelvane::strided::Row<double>, kelvane::strided::Row<double>, kelvane::strided::Row<double>,
                       kelvane::strided::Row<double>, kelvane::strided::OutRow<double>) noexcept;

// An array module's loop over a book, at a given vector width (0: the
// machine's choice), its four columns chosen by `columns` in the loop's
// order, the discount factor broadcast as the Python row passes it.
using Columns = std::array<const std::vector<double>*, 4> (*)(const Book&);

void row_book(benchmark::State& state, RowAt row_at, std::size_t width, std::size_t size, Columns columns) {
    if (width > kelvane::vectors::widest_supported()) {
        state.SkipWithError("this machine lacks the unit");
        return;
    }
    if (width == 0) width = kelvane::vectors::width();
    const Book book = random_book(size);
    std::vector<std::uint8_t> codes;
    for (OptionType type : book.type) codes.push_back(type == OptionType::Call ? 0 : 1);
    const double df = book_df;
    std::vector<double> out(book.fwd.size());
    const auto row = [](const std::vector<double>* v) {
        return kelvane::strided::Row<double>{reinterpret_cast<const char*>(v->data()), 8};
    };
    const auto in = columns(book);
    for (auto _ : state) {
        row_at(width, out.size(), {reinterpret_cast<const char*>(codes.data()), 1}, row(in[0]), row(in[1]),
               row(in[2]), row(in[3]), {reinterpret_cast<const char*>(&df), 0},
               {reinterpret_cast<char*>(out.data()), 8});
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_iteration"] = static_cast<double>(out.size());
}

// Pricing: F, K, T and vol.
void fairvalue_row_book(benchmark::State& state, RowAt row_at, std::size_t width) {
    row_book(state, row_at, width, fairvalue_book_size, [](const Book& b) {
        return std::array<const std::vector<double>*, 4>{&b.fwd, &b.strike, &b.ttx, &b.vol};
    });
}

// The sixteen greeks of the same book, each into an array of its own.
void b76_greeks_book(benchmark::State& state) {
    const Book book = random_book(fairvalue_book_size);
    const std::size_t n = book.fwd.size();
    std::vector<std::vector<double>> out(option_pricing::b76::greek_count, std::vector<double>(n));
    for (auto _ : state) {
        for (std::size_t i = 0; i < n; ++i) {
            const option_pricing::b76::Greeks g = option_pricing::b76::greeks(
                book.type[i], book.fwd[i], book.strike[i], book.ttx[i], book.vol[i], book_df);
            for (std::size_t k = 0; k < g.size(); ++k) out[k][i] = g[k];
        }
        for (auto& column : out) benchmark::DoNotOptimize(column.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_iteration"] = static_cast<double>(n);
}

// The array module's greeks loop over the same book, all sixteen, at a
// given vector width (0: the machine's choice).
void greeks_row_book(benchmark::State& state, std::size_t width) {
    namespace b76 = option_pricing::b76;
    if (width > kelvane::vectors::widest_supported()) {
        state.SkipWithError("this machine lacks the unit");
        return;
    }
    if (width == 0) width = kelvane::vectors::width();
    const Book book = random_book(fairvalue_book_size);
    const std::size_t n = book.fwd.size();
    std::vector<std::uint8_t> codes;
    for (OptionType type : book.type) codes.push_back(type == OptionType::Call ? 0 : 1);
    const double df = book_df;
    std::vector<std::vector<double>> out(b76::greek_count, std::vector<double>(n));
    std::vector<b76::GreekRow> rows;
    for (std::size_t k = 0; k < b76::greek_count; ++k) {
        rows.push_back({static_cast<b76::Greek>(k), {reinterpret_cast<char*>(out[k].data()), 8}});
    }
    const auto row = [](const std::vector<double>& v) {
        return kelvane::strided::Row<double>{reinterpret_cast<const char*>(v.data()), 8};
    };
    for (auto _ : state) {
        b76::greeks_row_at(width, n, {reinterpret_cast<const char*>(codes.data()), 1}, row(book.fwd),
                           row(book.strike), row(book.ttx), row(book.vol), {reinterpret_cast<const char*>(&df), 0},
                           rows);
        for (auto& column : out) benchmark::DoNotOptimize(column.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_iteration"] = static_cast<double>(n);
}

// The solver one option at a time, and the array module's loop, which solves
// vectors of options in lockstep on the vector unit.
void b76_implied_vol_book(benchmark::State& state) {
    const Book book = random_book(iv_book_size);
    std::vector<double> out(book.fwd.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = option_pricing::implied_vol::black76_implied_vol(book.type[i], book.ttx[i], book.fwd[i],
                                                                      book.strike[i], book.price[i], book_df);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_iteration"] = static_cast<double>(out.size());
}

// The solver: T, F, K and the price.
void b76_implied_vol_row_book(benchmark::State& state, std::size_t width) {
    row_book(state, option_pricing::implied_vol::black76_implied_vol_row_at, width, iv_book_size, [](const Book& b) {
        return std::array<const std::vector<double>*, 4>{&b.ttx, &b.fwd, &b.strike, &b.price};
    });
}

// Brent's search, one option at a time and in the array module's loop,
// which searches vectors of options in lockstep.
void calibrate_black76_iv_row_book(benchmark::State& state) {
    row_book(state, option_pricing::iv_calibration::calibrate_black76_iv_row_at, 0, iv_book_size, [](const Book& b) {
        return std::array<const std::vector<double>*, 4>{&b.ttx, &b.fwd, &b.strike, &b.price};
    });
}

void calibrate_black76_iv_book(benchmark::State& state) {
    const Book book = random_book(iv_book_size);
    std::vector<double> out(book.fwd.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = option_pricing::iv_calibration::calibrate_black76_iv(
                book.type[i], book.ttx[i], book.fwd[i], book.strike[i], book.price[i], book_df);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_iteration"] = static_cast<double>(out.size());
}

// ---------------------------------------------------------------------------
// Smiles (bench/smiles.py)

constexpr kelvane::UtcInstant expiry{1'774'598'400, 0};  // 2026-03-27T08:00Z
constexpr std::size_t strip_size = 10'000;
constexpr double smile_ttx = 0.25, smile_spot = 101.0;

std::vector<double> strip() {
    std::vector<double> strikes(strip_size);
    for (std::size_t i = 0; i < strip_size; ++i) strikes[i] = 50.0 + 100.0 * static_cast<double>(i) / strip_size;
    return strikes;
}

// Every 100th strike of the strip: 100 strikes.
std::vector<double> jacobian_strikes() {
    std::vector<double> all = strip(), some;
    for (std::size_t i = 0; i < all.size(); i += strip_size / 100) some.push_back(all[i]);
    return some;
}

template <class Model>
Model bench_model();
template <>
vol_model::GVVSpline bench_model() {
    return vol_model::GVVSpline::with_params(
        expiry, {{"ref_vol", 55.0}, {"skew", -4.0}, {"smile", 8.0}, {"pwing", 1.0}, {"cwing", 0.5}});
}
template <>
vol_model::VolGeo bench_model() {
    return vol_model::VolGeo::with_params(expiry, {{"ref_vol", 55.0}, {"corr", -0.3}, {"vvol", 40.0}});
}
template <>
vol_model::CubicSpline bench_model() {
    return vol_model::CubicSpline::with_params(
        expiry, {{"ref_vol", 55.0}, {"p05", 1.0}, {"p10", 1.5}, {"c05", 0.5}, {"c10", 1.0}, {"p25", 2.0}, {"c25", 2.0}});
}

template <class Model>
void get_vol(benchmark::State& state) {
    const Model model = bench_model<Model>();
    const std::vector<double> strikes = strip();
    for (auto _ : state) benchmark::DoNotOptimize(model.get_vol(opaque(smile_ttx), smile_spot, strikes));
    state.counters["per_iteration"] = static_cast<double>(strikes.size());
}

template <class Model>
void get_vol_single(benchmark::State& state) {
    const Model model = bench_model<Model>();
    lone_calls(state, 95.0, [&model](double strike) { return model.get_vol_single(smile_ttx, smile_spot, strike); });
}

template <class Model>
void get_jacobian(benchmark::State& state) {
    const Model model = bench_model<Model>();
    const std::vector<double> strikes = jacobian_strikes();
    const std::vector<std::string> names = model.get_fitting_params();
    for (auto _ : state) benchmark::DoNotOptimize(model.get_jacobian(opaque(smile_ttx), smile_spot, strikes, names));
}

// The least a Jacobian can cost by evaluation alone: the base vols and one
// get_vol per fitting parameter.
template <class Model>
void get_vol_per_parameter(benchmark::State& state) {
    const Model model = bench_model<Model>();
    const std::vector<double> strikes = jacobian_strikes();
    const std::size_t calls = model.get_fitting_params().size() + 1;
    for (auto _ : state) {
        for (std::size_t i = 0; i < calls; ++i) benchmark::DoNotOptimize(model.get_vol(opaque(smile_ttx), smile_spot, strikes));
    }
}

// A strip of 10^6 strikes through fill_vols_at_width: width 1 is the loop
// one strike at a time, 2, 4 and 8 the baseline's, AVX2's and AVX-512's
// vectors (skipped where the machine lacks the unit).
constexpr std::size_t long_strip_size = 1'000'000;

template <class Model>
void get_vol_at_width(benchmark::State& state) {
    const auto width = static_cast<std::size_t>(state.range(0));
    if (width > kelvane::vectors::widest_supported()) {
        state.SkipWithError("this machine lacks the unit");
        return;
    }
    const Model model = bench_model<Model>();
    std::vector<double> strikes(long_strip_size);
    for (std::size_t i = 0; i < long_strip_size; ++i) {
        strikes[i] = 50.0 + 100.0 * static_cast<double>(i) / long_strip_size;
    }
    std::vector<double> vols(long_strip_size);
    for (auto _ : state) {
        model.fill_vols_at_width(width, opaque(smile_ttx), smile_spot, strikes, vols);
        benchmark::DoNotOptimize(vols.data());
    }
    state.counters["per_iteration"] = static_cast<double>(long_strip_size);
}

// ---------------------------------------------------------------------------
// Calendar (bench/business_time.py)

calendar::Calendar embedded() { return *calendar::Calendar::create("BTCUSDT"); }

constexpr kelvane::UtcInstant interval_from{1'796'740'200, 0};  // 2026-12-08T14:30Z
constexpr kelvane::UtcInstant interval_to{1'805'961'600, 0};    // 2027-03-26T08:00Z

void calendar_create(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(calendar::Calendar::create(opaque(std::string_view("BTCUSDT"))));
}

void get_bus_ttx(benchmark::State& state) {
    calendar::Calendar cal = embedded();
    lone_calls(state, interval_from, [&cal](kelvane::UtcInstant from) { return *cal.bus_ttx(from, interval_to); });
}

void get_cal_ttx(benchmark::State& state) {
    lone_calls(state, interval_from,
               [](kelvane::UtcInstant from) { return calendar::Calendar::cal_ttx(from, interval_to); });
}

void tenor_to_ttx(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(calendar::Calendar::tenor_to_ttx(opaque(std::string_view("3m"))));
}

// Intervals between random whole-second instants of the UTC years first to
// last: spread as the Python rows' intervals are (the instants differ).
std::vector<std::pair<kelvane::UtcInstant, kelvane::UtcInstant>> intervals(std::int64_t first_year,
                                                                          std::int64_t last_year) {
    const std::int64_t lo = kelvane::days_from_civil(first_year, 1, 1) * kelvane::seconds_per_day;
    const std::int64_t hi = kelvane::days_from_civil(last_year + 1, 1, 1) * kelvane::seconds_per_day - 1;
    std::mt19937_64 random(9);
    std::uniform_int_distribution<std::int64_t> instant(lo, hi);
    std::vector<std::pair<kelvane::UtcInstant, kelvane::UtcInstant>> out(10'000);
    for (auto& [from, to] : out) {
        from = {instant(random), 0};
        to = {instant(random), 0};
    }
    return out;
}

// One pass over the intervals on a fresh calendar, its first pass: every
// year it meets is new to its cache.
void get_bus_ttx_first_pass(benchmark::State& state, std::int64_t first_year, std::int64_t last_year) {
    const auto pairs = intervals(first_year, last_year);
    const calendar::Calendar pristine = embedded();
    for (auto _ : state) {
        state.PauseTiming();
        calendar::Calendar cal = pristine;
        state.ResumeTiming();
        for (const auto& [from, to] : pairs) benchmark::DoNotOptimize(cal.bus_ttx(from, to));
    }
    state.counters["per_iteration"] = static_cast<double>(pairs.size());
}

// ---------------------------------------------------------------------------
// The elementary functions, the library's own beside the C library's: over
// 4,096 seeded arguments of each function's working range (independent
// calls, which overlap in the processor), and as a chain of lone calls
// (each waits for the previous result).

template <double (*F)(double)>
void elementary_array(benchmark::State& state, double lo, double hi) {
    std::mt19937_64 rng(20261209);
    std::uniform_real_distribution<double> range(lo, hi);
    std::vector<double> x(4096), y(4096);
    for (double& v : x) v = range(rng);
    for (auto _ : state) {
        for (std::size_t i = 0; i < x.size(); ++i) y[i] = F(x[i]);
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_iteration"] = static_cast<double>(x.size());
}

// The argument passes through opaque: a compiler that knows tanh is finite
// would otherwise see that x + 0 * tanh(...) is x and hoist the call.
template <double (*F)(double)>
void elementary_chain(benchmark::State& state, double x) {
    double result = 0.0;
    for (auto _ : state) {
        result = F(opaque(after(x, result)));
    }
    benchmark::DoNotOptimize(result);
}

double libc_exp(double x) { return std::exp(x); }
double libc_log(double x) { return std::log(x); }
double libc_tanh(double x) { return std::tanh(x); }
double libc_erfc(double x) { return std::erfc(x); }

namespace el = kelvane::elementary;

void exp_array_kelvane(benchmark::State& state) { elementary_array<el::exp<double>>(state, -20.0, 20.0); }
void exp_array_libc(benchmark::State& state) { elementary_array<libc_exp>(state, -20.0, 20.0); }
void log_array_kelvane(benchmark::State& state) { elementary_array<el::log<double>>(state, 0.01, 100.0); }
void log_array_libc(benchmark::State& state) { elementary_array<libc_log>(state, 0.01, 100.0); }
void tanh_array_kelvane(benchmark::State& state) { elementary_array<el::tanh<double>>(state, -3.0, 3.0); }
void tanh_array_libc(benchmark::State& state) { elementary_array<libc_tanh>(state, -3.0, 3.0); }
void erfc_array_kelvane(benchmark::State& state) { elementary_array<el::erfc<double>>(state, -5.0, 5.0); }
void erfc_array_libc(benchmark::State& state) { elementary_array<libc_erfc>(state, -5.0, 5.0); }
void erfcx_array_kelvane(benchmark::State& state) { elementary_array<el::erfcx<double>>(state, 0.0, 10.0); }
void exp_chain_kelvane(benchmark::State& state) { elementary_chain<el::exp<double>>(state, -0.7); }
void exp_chain_libc(benchmark::State& state) { elementary_chain<libc_exp>(state, -0.7); }
void log_chain_kelvane(benchmark::State& state) { elementary_chain<el::log<double>>(state, 1.7); }
void log_chain_libc(benchmark::State& state) { elementary_chain<libc_log>(state, 1.7); }
void tanh_chain_kelvane(benchmark::State& state) { elementary_chain<el::tanh<double>>(state, 0.7); }
void tanh_chain_libc(benchmark::State& state) { elementary_chain<libc_tanh>(state, 0.7); }
void erfc_chain_kelvane(benchmark::State& state) { elementary_chain<el::erfc<double>>(state, 0.7); }
void erfc_chain_libc(benchmark::State& state) { elementary_chain<libc_erfc>(state, 0.7); }
void erfcx_chain_kelvane(benchmark::State& state) { elementary_chain<el::erfcx<double>>(state, 0.7); }

}  // namespace

BENCHMARK(b76_fairvalue)->Name("kelvane.b76_fairvalue");
BENCHMARK(binary_fairvalue)->Name("kelvane.binary_fairvalue");
BENCHMARK(calibrate_black76_iv)->Name("kelvane.calibrate_black76_iv");
BENCHMARK(scalar_book<option_pricing::b76::fairvalue>)->Name("b76_fairvalue, scalar loop, 1,000,000 options");
BENCHMARK_CAPTURE(fairvalue_row_book, b76, option_pricing::b76::fairvalue_row_at, 0)
    ->Name("kelvane_arrays.b76_fairvalue, 1,000,000 options");
BENCHMARK_CAPTURE(fairvalue_row_book, b76_2, option_pricing::b76::fairvalue_row_at, 2)
    ->Name("b76_fairvalue_row, 2 doubles, 1,000,000 options");
BENCHMARK_CAPTURE(fairvalue_row_book, b76_4, option_pricing::b76::fairvalue_row_at, 4)
    ->Name("b76_fairvalue_row, 4 doubles, 1,000,000 options");
BENCHMARK_CAPTURE(fairvalue_row_book, b76_8, option_pricing::b76::fairvalue_row_at, 8)
    ->Name("b76_fairvalue_row, 8 doubles, 1,000,000 options");
BENCHMARK(scalar_book<option_pricing::binary::fairvalue>)->Name("binary_fairvalue, scalar loop, 1,000,000 options");
BENCHMARK_CAPTURE(fairvalue_row_book, binary, option_pricing::binary::fairvalue_row_at, 0)
    ->Name("kelvane_arrays.binary_fairvalue, 1,000,000 options");
BENCHMARK_CAPTURE(fairvalue_row_book, binary_2, option_pricing::binary::fairvalue_row_at, 2)
    ->Name("binary_fairvalue_row, 2 doubles, 1,000,000 options");
BENCHMARK_CAPTURE(fairvalue_row_book, binary_4, option_pricing::binary::fairvalue_row_at, 4)
    ->Name("binary_fairvalue_row, 4 doubles, 1,000,000 options");
BENCHMARK_CAPTURE(fairvalue_row_book, binary_8, option_pricing::binary::fairvalue_row_at, 8)
    ->Name("binary_fairvalue_row, 8 doubles, 1,000,000 options");
BENCHMARK(b76_greeks_book)->Name("b76_greeks, scalar loop, 1,000,000 options");
BENCHMARK_CAPTURE(greeks_row_book, machine, 0)->Name("kelvane_arrays.b76_greeks, 1,000,000 options");
BENCHMARK_CAPTURE(greeks_row_book, width_2, 2)->Name("b76_greeks_row, 2 doubles, 1,000,000 options");
BENCHMARK_CAPTURE(greeks_row_book, width_4, 4)->Name("b76_greeks_row, 4 doubles, 1,000,000 options");
BENCHMARK_CAPTURE(greeks_row_book, width_8, 8)->Name("b76_greeks_row, 8 doubles, 1,000,000 options");
BENCHMARK(b76_implied_vol_book)->Name("b76_implied_vol, scalar loop, 100,000 options");
BENCHMARK_CAPTURE(b76_implied_vol_row_book, machine, 0)->Name("kelvane_arrays.b76_implied_vol, 100,000 options");
BENCHMARK_CAPTURE(b76_implied_vol_row_book, width_2, 2)->Name("b76_implied_vol_row, 2 doubles, 100,000 options");
BENCHMARK_CAPTURE(b76_implied_vol_row_book, width_4, 4)->Name("b76_implied_vol_row, 4 doubles, 100,000 options");
BENCHMARK_CAPTURE(b76_implied_vol_row_book, width_8, 8)->Name("b76_implied_vol_row, 8 doubles, 100,000 options");
BENCHMARK(calibrate_black76_iv_book)->Name("calibrate_black76_iv, scalar loop, 100,000 options");
BENCHMARK(calibrate_black76_iv_row_book)->Name("kelvane_arrays.calibrate_black76_iv, 100,000 options");

BENCHMARK(get_vol<vol_model::GVVSpline>)->Name("GVVSpline.get_vol");
BENCHMARK(get_jacobian<vol_model::GVVSpline>)->Name("GVVSpline.get_jacobian");
BENCHMARK(get_vol_per_parameter<vol_model::GVVSpline>)->Name("GVVSpline.get_vol per parameter");
BENCHMARK(get_vol_single<vol_model::GVVSpline>)->Name("GVVSpline.get_vol_single");
BENCHMARK(get_vol<vol_model::VolGeo>)->Name("VolGeo.get_vol");
BENCHMARK(get_jacobian<vol_model::VolGeo>)->Name("VolGeo.get_jacobian");
BENCHMARK(get_vol_per_parameter<vol_model::VolGeo>)->Name("VolGeo.get_vol per parameter");
BENCHMARK(get_vol_single<vol_model::VolGeo>)->Name("VolGeo.get_vol_single");
BENCHMARK(get_vol<vol_model::CubicSpline>)->Name("CubicSpline.get_vol");
BENCHMARK(get_jacobian<vol_model::CubicSpline>)->Name("CubicSpline.get_jacobian");
BENCHMARK(get_vol_per_parameter<vol_model::CubicSpline>)->Name("CubicSpline.get_vol per parameter");
BENCHMARK(get_vol_single<vol_model::CubicSpline>)->Name("CubicSpline.get_vol_single");
BENCHMARK(get_vol_at_width<vol_model::GVVSpline>)->Name("GVVSpline.get_vol, 1,000,000 strikes, width")->Arg(1)->Arg(2)->Arg(4)->Arg(8);
BENCHMARK(get_vol_at_width<vol_model::VolGeo>)->Name("VolGeo.get_vol, 1,000,000 strikes, width")->Arg(1)->Arg(2)->Arg(4)->Arg(8);
BENCHMARK(get_vol_at_width<vol_model::CubicSpline>)->Name("CubicSpline.get_vol, 1,000,000 strikes, width")->Arg(1)->Arg(2)->Arg(4)->Arg(8);

BENCHMARK(calendar_create)->Name("Calendar(\"BTCUSDT\")");
BENCHMARK(get_bus_ttx)->Name("Calendar.get_bus_ttx");
BENCHMARK(get_cal_ttx)->Name("Calendar.get_cal_ttx");
BENCHMARK(tenor_to_ttx)->Name("Calendar.tenor_to_ttx");
BENCHMARK_CAPTURE(get_bus_ttx_first_pass, one_year, 2026, 2026)->Name("Calendar.get_bus_ttx, one year");
BENCHMARK_CAPTURE(get_bus_ttx_first_pass, years, 1, 9998)->Name("Calendar.get_bus_ttx, 9,998 years");

BENCHMARK(exp_array_kelvane)->Name("exp, 4,096 arguments (kelvane)");
BENCHMARK(exp_array_libc)->Name("exp, 4,096 arguments (C library)");
BENCHMARK(log_array_kelvane)->Name("log, 4,096 arguments (kelvane)");
BENCHMARK(log_array_libc)->Name("log, 4,096 arguments (C library)");
BENCHMARK(tanh_array_kelvane)->Name("tanh, 4,096 arguments (kelvane)");
BENCHMARK(tanh_array_libc)->Name("tanh, 4,096 arguments (C library)");
BENCHMARK(erfc_array_kelvane)->Name("erfc, 4,096 arguments (kelvane)");
BENCHMARK(erfc_array_libc)->Name("erfc, 4,096 arguments (C library)");
BENCHMARK(erfcx_array_kelvane)->Name("erfcx, 4,096 arguments (kelvane)");
BENCHMARK(exp_chain_kelvane)->Name("exp, lone calls (kelvane)");
BENCHMARK(exp_chain_libc)->Name("exp, lone calls (C library)");
BENCHMARK(log_chain_kelvane)->Name("log, lone calls (kelvane)");
BENCHMARK(log_chain_libc)->Name("log, lone calls (C library)");
BENCHMARK(tanh_chain_kelvane)->Name("tanh, lone calls (kelvane)");
BENCHMARK(tanh_chain_libc)->Name("tanh, lone calls (C library)");
BENCHMARK(erfc_chain_kelvane)->Name("erfc, lone calls (kelvane)");
BENCHMARK(erfc_chain_libc)->Name("erfc, lone calls (C library)");
BENCHMARK(erfcx_chain_kelvane)->Name("erfcx, lone calls (kelvane)");

BENCHMARK_MAIN();
