// The pricing formulas over vectors of options, and the row loops built on
// them: a formula written once as a template over the lane type V of
// common/math/elementary.hpp is the scalar function at V = double and, at
// V = a vector, gives each lane that function's bits. Branches become
// selects (both sides computed, each lane taking its own), so a vector may
// mix calls and puts, degenerate and ordinary options.
//
// A row loop runs whole vectors and the scalar function on the tail, and is
// compiled for each unit of common/math/vector_width.hpp; the machine's
// choice is taken at run time.
//
// NaN: where two NaNs meet, which one an operation passes on depends on the
// order the compiler gives commutative operands, which can differ between
// the scalar and the vector code. A lane whose result is NaN therefore takes
// the scalar function's own result, payload and sign included (rare lanes,
// so the cost is one comparison per vector).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/math/lanes.hpp"
#include "common/math/vector_width.hpp"
#include "common/strided.hpp"
#include "option_pricing/loops.hpp"
#include "option_pricing/option_type.hpp"

namespace option_pricing::lanes {

// The lane types, masks, selects and square roots of common/math/lanes.hpp.
using namespace kelvane::lanes;

// maxNum(x, +0): a NaN x gives +0, and so does -0 (the compiler's inline
// fmax returns +0 there, and the scalar calls always have).
template <class V>
[[gnu::always_inline]] inline V max_with_zero(V x) { return select<V>(x > 0.0, x, splat<V>(0.0)); }

// A scalar's mask of calls.
[[gnu::always_inline]] inline bool calls(OptionType type) { return type == OptionType::Call; }

// ---------------------------------------------------------------------------
// Row loops. A Formula is a type with
//   template <class V> static V of(Mask<V> call, V fwd, V strike, V ttx, V vol, V df);
//   static double scalar(OptionType, double fwd, double strike, double ttx, double vol, double df);
// where scalar is the public function, never inlined, and of<double> its
// body. One that calls and puts share (TypeBlind below) sets
//   static constexpr bool takes_type = false;
// and its loop reads no option types.

struct OptionOperands {
    Row<std::uint8_t> types;  // unread for a formula that takes no type
    Row<double> fwd, strike, ttx, vol, df;
    OutRow out;
};

template <class Formula>
inline constexpr bool takes_type = [] {
    if constexpr (requires { Formula::takes_type; }) {
        return Formula::takes_type;
    } else {
        return true;
    }
}();

// A formula of the five numbers alone (b76 vega and gamma), as a Formula.
template <class Plain>
struct TypeBlind {
    static constexpr bool takes_type = false;
    template <class V>
    [[gnu::always_inline]] static V of(Mask<V>, V fwd, V strike, V ttx, V vol, V df) {
        return Plain::template of<V>(fwd, strike, ttx, vol, df);
    }
    static double scalar(OptionType, double fwd, double strike, double ttx, double vol, double df) {
        return Plain::scalar(fwd, strike, ttx, vol, df);
    }
};

// A vector of a contiguous row in one load instruction, volatile or asm so
// that the compiler can neither split the load nor read the row again for
// a lane (as it may a plain load, rereading memory it believes unchanged
// rather than keeping it in a register): each element is read once and,
// aligned on 8 bytes, lies within one cache line, which the processor reads
// whole. So another thread writing the row meanwhile leaves each element its
// old or its new value, as the element-by-element load of common/strided.hpp
// does.
template <class V>
struct Whole {
    alignas(8) char bytes[sizeof(V)];
};

// clang makes a volatile vector load one instruction, and so does g++ a
// 16-byte one on aarch64. On x86-64, g++ gets asm, one overload per unit as
// lanes::sqrt: the register must be one of the unit of the function the
// load is compiled in.
#if defined(__clang__) || defined(__aarch64__)
#define KELVANE_LOADS_WHOLE 1
template <class V>
[[gnu::always_inline]] inline V load_whole(const Whole<V>& whole) {
    using Unaligned [[gnu::aligned(8)]] = V;
    return *reinterpret_cast<const volatile Unaligned*>(&whole);
}
#elif defined(__x86_64__)
#define KELVANE_LOADS_WHOLE 1
[[gnu::always_inline]] inline double2 load_whole(const Whole<double2>& whole) {
    double2 v;
    asm("movupd %1, %0" : "=x"(v) : "m"(whole));
    return v;
}
[[gnu::target("avx2")]] inline double4 load_whole(const Whole<double4>& whole) {
    double4 v;
    asm("vmovupd %1, %0" : "=x"(v) : "m"(whole));
    return v;
}
[[gnu::target("avx512f")]] inline double8 load_whole(const Whole<double8>& whole) {
    double8 v;
    asm("vmovupd %1, %0" : "=v"(v) : "m"(whole));
    return v;
}
#else
#define KELVANE_LOADS_WHOLE 0
#endif

// A vector of a row, each element read once: a contiguous row in one load,
// a broadcast operand's one element splatted, any other element by element
// (which, for contiguous rows, cost the binary value's loop a fifth of its
// time).
template <class V>
[[gnu::always_inline]] inline V load(Row<double> row, std::size_t first) {
    const char* at = row.base + static_cast<std::ptrdiff_t>(first) * row.stride;
    if constexpr (Lanes<V>::count > 1) {
#if KELVANE_LOADS_WHOLE
        if (row.stride == sizeof(double) && reinterpret_cast<std::uintptr_t>(at) % sizeof(double) == 0) [[likely]] {
            return load_whole(*reinterpret_cast<const Whole<V>*>(at));
        }
#endif
        if (row.stride == 0) return splat<V>(row[first]);
    }
    V v;
    for (std::size_t l = 0; l < Lanes<V>::count; ++l) v[l] = row[first + l];
    return v;
}

// A contiguous row takes the vector in one store; the elements are plain
// stores either way.
template <class V>
[[gnu::always_inline]] inline void store(OutRow row, std::size_t first, V v) {
    if (row.stride == sizeof(double)) {
        std::memcpy(row.base + first * sizeof(double), &v, sizeof v);
        return;
    }
    for (std::size_t l = 0; l < Lanes<V>::count; ++l) row.set(first + l, v[l]);
}

// The lanes' calls, without a branch on each code: a book mixes calls and
// puts at random, and a branch per lane would be mispredicted half the time.
template <class V>
[[gnu::always_inline]] inline Mask<V> load_calls(Row<std::uint8_t> types, std::size_t first) {
    if constexpr (Lanes<V>::count == 1) {
        return types[first] == call_code;
    } else {
        Mask<V> codes;
        for (std::size_t l = 0; l < Lanes<V>::count; ++l) codes[l] = types[first + l];
        return codes == call_code;
    }
}

// One vector of options, as read from the rows.
template <class V>
struct Options {
    Mask<V> call;
    V fwd, strike, ttx, vol, df;
};

template <class Formula, class V>
[[gnu::always_inline]] inline Options<V> load_options(const OptionOperands& op, std::size_t first) {
    return {takes_type<Formula> ? load_calls<V>(op.types, first) : Mask<V>{},
            load<V>(op.fwd, first),
            load<V>(op.strike, first),
            load<V>(op.ttx, first),
            load<V>(op.vol, first),
            load<V>(op.df, first)};
}

// A formula's result for one vector, its NaN lanes replaced by the scalar
// function's, stored.
template <class Formula, class V>
[[gnu::always_inline]] inline void store_result(const OptionOperands& op, std::size_t first, const Options<V>& o,
                                                V y) {
    if (Lanes<V>::any(y != y)) {
        for (std::size_t l = 0; l < Lanes<V>::count; ++l) {
            if (y[l] != y[l]) {
                const OptionType type = o.call[l] != 0 ? OptionType::Call : OptionType::Put;
                y[l] = Formula::scalar(type, o.fwd[l], o.strike[l], o.ttx[l], o.vol[l], o.df[l]);
            }
        }
    }
    store<V>(op.out, first, y);
}

// A formula may come in two stages,
//   template <class V> static Stage<V> prepare(Mask<V> call, V fwd, V strike, V ttx, V vol, V df);
//   template <class V> static V finish(const Stage<V>&);
// whose composition is of<V>. Its loop then prepares the next vector before
// it finishes this one: a vector's operations are more than the processor
// looks ahead over, and a lone vector's chain of dependent steps (a log, two
// divisions, then erfc) would leave its units idle; interleaved, the first
// stage of one vector runs beside the second of the one before. Same
// operations, same bits.
template <class Formula>
concept Staged = requires { &Formula::template finish<double>; };

template <class Formula, class V>
[[gnu::always_inline]] inline std::size_t staged_vectors(std::size_t count, const OptionOperands& op) {
    constexpr std::size_t n = Lanes<V>::count;
    if (count < n) return 0;
    const auto prepare = [](const Options<V>& o) {
        return Formula::template prepare<V>(o.call, o.fwd, o.strike, o.ttx, o.vol, o.df);
    };
    Options<V> pending = load_options<Formula, V>(op, 0);
    auto stage = prepare(pending);
    std::size_t i = n;
    for (; i + n <= count; i += n) {
        const Options<V> next = load_options<Formula, V>(op, i);
        const auto next_stage = prepare(next);
        store_result<Formula, V>(op, i - n, pending, Formula::template finish<V>(stage));
        pending = next;
        stage = next_stage;
    }
    store_result<Formula, V>(op, i - n, pending, Formula::template finish<V>(stage));
    return i;
}

template <class Formula, class V>
[[gnu::always_inline]] inline void option_vectors(std::size_t count, const OptionOperands& op) {
    constexpr std::size_t n = Lanes<V>::count;
    constexpr bool typed = takes_type<Formula>;
    std::size_t i = 0;
    if constexpr (Staged<Formula>) {
        i = staged_vectors<Formula, V>(count, op);
    } else {
        for (; i + n <= count; i += n) {
            const Options<V> o = load_options<Formula, V>(op, i);
            store_result<Formula, V>(op, i, o, Formula::template of<V>(o.call, o.fwd, o.strike, o.ttx, o.vol, o.df));
        }
    }
    for (; i < count; ++i) {
        const OptionType type = typed ? option_type_of(op.types[i]) : OptionType::Call;
        op.out.set(i, Formula::scalar(type, op.fwd[i], op.strike[i], op.ttx[i], op.vol[i], op.df[i]));
    }
}

// One function per unit: flatten inlines the formula, the elementary
// functions and the scalar tail into it, so all of it is compiled for that
// unit.
template <class Formula>
[[gnu::flatten]] void option_row_2(std::size_t count, const OptionOperands& op) {
    option_vectors<Formula, double2>(count, op);
}
#if KELVANE_HAS_WIDE_UNITS
template <class Formula>
KELVANE_TARGET_AVX2 void option_row_4(std::size_t count, const OptionOperands& op) {
    option_vectors<Formula, double4>(count, op);
}
template <class Formula>
KELVANE_TARGET_AVX512 void option_row_8(std::size_t count, const OptionOperands& op) {
    option_vectors<Formula, double8>(count, op);
}
#endif

// The loop of `width` doubles (2, 4 or 8, one the machine supports).
template <class Formula>
void option_row_at(std::size_t width, std::size_t count, const OptionOperands& op) noexcept {
#if KELVANE_HAS_WIDE_UNITS
    if (width == 8) return option_row_8<Formula>(count, op);
    if (width == 4) return option_row_4<Formula>(count, op);
#endif
    (void)width;
    option_row_2<Formula>(count, op);
}

}  // namespace option_pricing::lanes
