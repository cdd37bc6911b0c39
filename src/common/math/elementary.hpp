// The library's own exponential, logarithm, hyperbolic tangent,
// complementary error function and its scaled form (erfcx, which the
// implied-volatility solver evaluates the Black function through), so that
// every formula gives the same bits
// on every machine, whatever its C library, and in every lane of a vector
// loop.
//
// Each function is a template over its lane type V: double, or a GCC/Clang
// vector of doubles (double2 below). A vector call applies to each lane
// exactly the operations of the scalar call, in the same order, so each
// lane holds the scalar result bit for bit: the only table look-ups are
// gathers that a vector makes lane by lane (exp's 2^(j/64), erfc's
// coefficients per quarter octave), there is no fused multiply-add (the
// build keeps -ffp-contract=off and no std::fma is called), and special
// cases are selects, or a slower path that only the lanes needing it take
// and that gives the common path's bits elsewhere. Only round-to-nearest-
// even double arithmetic is assumed; g++ and clang (the portable wheel's
// zig) give the same bits.
//
// Policy, once for all five: a NaN argument gives a quiet NaN; results that
// overflow are +inf and results below the smallest subnormal are +0, as
// IEEE 754 rounding gives them; subnormal arguments and results are exact
// inputs and correctly scaled outputs, never flushed.
//
//   exp(x)   e^x. exp(-inf) = +0, exp(+inf) = +inf; overflows above
//            709.782712893384, is subnormal below -708.3964185322641.
//   log(x)   natural logarithm. log(+-0) = -inf, log(x < 0) = NaN,
//            log(+inf) = +inf.
//   tanh(x)  odd; tanh(+-0) = +-0, tanh(+-inf) = +-1, rounds to +-1 from
//            |x| > 19.06.
//   erfc(x)  1 - erf(x) without cancellation. erfc(-inf) = 2,
//            erfc(+inf) = +0, subnormal from x > 26.5433, +0 from x > 27.2261.
//   erfcx(x) e^(x^2) erfc(x), about 1/(x sqrt(pi)) as x grows.
//            erfcx(+-0) = 1, erfcx(+inf) = +0, erfcx(-inf) = +inf;
//            overflows below -26.6287, is subnormal above 2.5e307.
//
// Accuracy, in ulps of the exact value, measured against MPFR by
// tests/elementary/accuracy.py (make accuracy) over 10^7 seeded arguments
// per function that cover the whole range; the error analysis beside each
// function says where the excess over 0.5 comes from:
//   exp  0.515    log  0.644    tanh  0.587    erfc  0.571    erfcx  0.601
// None is correctly rounded everywhere (99.7 to 99.9 % of results are):
// each rounds once at the end after an approximation within a few tenths
// of an ulp of the exact value. (glibc 2.36, by the same check: exp 0.504,
// log 0.512, tanh 2.04, erfc 3.05.)
//
// Speed, per call over 4,096 arguments against glibc 2.36 on the x86-64
// baseline (bench/kernels.cpp): exp 4.4 ns (5.6), log 8 (5), tanh 16 (11),
// erfc 23 (14), erfcx 12 (over [0, 10]; the C library has none): log, tanh
// and erfc pay for their accuracy with exact pairs; erfcx needs no
// exponential from 0.25 to 32. A lone erfc or erfcx reads only the
// coefficients its piece uses (below).
//
// Conditioning: exp is relatively conditioned by |x| (a relative error e in
// x becomes |x| e in e^x); log near 1 and erfc in its tail (|x| e becomes
// 2 x^2 e) amplify errors of their arguments in the same way; these
// functions are accurate for the argument they are given. erfcx is
// conditioned by about 1 for x >= 0 (|x| e becomes at most e), and by 2 x^2
// below 0, where it grows as 2 e^(x^2).
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "common/math/elementary_coefficients.hpp"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace kelvane::elementary {

// Vectors of 2, 4 and 8 doubles: the SSE2 and NEON baseline width, AVX2's
// and AVX-512's (their loops are compiled for those units and chosen at run
// time: common/math/vector_width.hpp). Every step is forced inline: a call
// that returned a vector through memory would cost more than the arithmetic,
// and a step inlined into a loop compiled for a wider unit is compiled for
// that unit.
using double2 = double __attribute__((vector_size(16)));
using uint2 = std::uint64_t __attribute__((vector_size(16)));
using double4 = double __attribute__((vector_size(32)));
using uint4 = std::uint64_t __attribute__((vector_size(32)));
using double8 = double __attribute__((vector_size(64)));
using uint8 = std::uint64_t __attribute__((vector_size(64)));

namespace detail {

// ---------------------------------------------------------------------------
// Lanes: the few operations that differ between a scalar and a vector.

template <class V>
struct Lanes;

template <>
struct Lanes<double> {
    static constexpr std::size_t count = 1;
    using Bits = std::uint64_t;
    using Mask = bool;
    [[gnu::always_inline]] static double splat(double c) { return c; }
    [[gnu::always_inline]] static Mask both(Mask a, Mask b) { return a && b; }
    [[gnu::always_inline]] static Mask either(Mask a, Mask b) { return a || b; }
    [[gnu::always_inline]] static bool any(Mask m) { return m; }
    [[gnu::always_inline]] static bool all(Mask m) { return m; }
    [[gnu::always_inline]] static double select(Mask m, double a, double b) { return m ? a : b; }
    [[gnu::always_inline]] static double gather(const double* table, Bits index) { return table[index]; }
    using Rows = const double*;
    [[gnu::always_inline]] static Rows rows(const double* table, Bits index) { return table + index; }
    // A lone row's columns are read where they are used: those an
    // evaluation leaves unused are never loaded.
    template <std::size_t K>
    [[gnu::always_inline]] static std::array<double, K> columns(Rows rows) {
        std::array<double, K> out;
        for (std::size_t k = 0; k < K; ++k) out[k] = rows[k];
        return out;
    }
};

// The top bit of each lane of a mask, lane i at bit i: one instruction where
// the unit has it (its loops inline the steps compiled for it, as lanes.hpp
// says of square roots), else the lanes folded one by one.
#if defined(__x86_64__)
using mask2 = std::int64_t __attribute__((vector_size(16)));
using mask4 = std::int64_t __attribute__((vector_size(32)));
using mask8 = std::int64_t __attribute__((vector_size(64)));
[[gnu::always_inline]] inline unsigned sign_bits(mask2 m) {
    return static_cast<unsigned>(_mm_movemask_pd(__builtin_bit_cast(__m128d, m)));
}
// By reference: a caller compiled for the baseline (a test, say) passes
// a wide vector in memory where these would take it in a register.
[[gnu::target("avx")]] inline unsigned sign_bits(const mask4& m) {
    return static_cast<unsigned>(_mm256_movemask_pd(__builtin_bit_cast(__m256d, m)));
}
[[gnu::target("avx512f")]] inline unsigned sign_bits(const mask8& m) {
    return static_cast<unsigned>(_mm512_cmplt_epi64_mask(__builtin_bit_cast(__m512i, m), _mm512_setzero_si512()));
}
#else
template <class M>
[[gnu::always_inline]] inline unsigned sign_bits(M m) {
    unsigned bits = 0;
    for (std::size_t i = 0; i < sizeof(M) / 8; ++i) bits |= static_cast<unsigned>(static_cast<std::uint64_t>(m[i]) >> 63) << i;
    return bits;
}
#endif

// A vector V of N doubles, with B the vector of N 64-bit integers. Masks are
// the comparisons' all-ones or all-zeros lanes.
template <class V, class B, std::size_t N>
struct VectorLanes {
    static constexpr std::size_t count = N;
    using Bits = B;
    using Mask = decltype(V{} < V{});
    [[gnu::always_inline]] static V splat(double c) { return V{} + c; }
    [[gnu::always_inline]] static Mask both(Mask a, Mask b) { return a & b; }
    [[gnu::always_inline]] static Mask either(Mask a, Mask b) { return a | b; }
    [[gnu::always_inline]] static bool any(Mask m) { return sign_bits(m) != 0; }
    [[gnu::always_inline]] static bool all(Mask m) { return sign_bits(m) == (1u << N) - 1; }
    [[gnu::always_inline]] static V select(Mask m, V a, V b) {
        const B mb = std::bit_cast<B>(m);
        return std::bit_cast<V>((mb & std::bit_cast<B>(a)) | (~mb & std::bit_cast<B>(b)));
    }
    [[gnu::always_inline]] static V gather(const double* table, B index) {
        V out{};
        for (std::size_t i = 0; i < N; ++i) out[i] = table[index[i]];
        return out;
    }
    // Rows of a table, one per lane, read as columns: each lane's index
    // leaves the vector once, not once per column.
    struct Rows {
        const double* at[N];
    };
    [[gnu::always_inline]] static Rows rows(const double* table, B index) {
        Rows r;
        for (std::size_t i = 0; i < N; ++i) r.at[i] = table + index[i];
        return r;
    }
    // The first K columns. Two at a time: each row gives its pair in one
    // 16-byte load and one shuffle a column interleaves them, where a column
    // built lane by lane takes about three (the shuffle unit, not the
    // arithmetic, bounded erfc's vectors before).
    template <std::size_t K>
    [[gnu::always_inline]] static std::array<V, K> columns(const Rows& rows) {
        std::array<V, K> out;
        for (std::size_t k = 0; k + 1 < K; k += 2) {
            const auto [even, odd] = column_pair(rows, k);
            out[k] = even;
            out[k + 1] = odd;
        }
        if constexpr (K % 2 != 0) out[K - 1] = lanes_from<N>(rows, K - 1, 0);
        return out;
    }
    // Columns k and k + 1: the pairs of rows 0, 2, 4, ... side by side and
    // those of rows 1, 3, 5, ... side by side, then interleaved.
    [[gnu::always_inline]] static std::pair<V, V> column_pair(const Rows& rows, std::size_t k) {
        using Pair2 = double __attribute__((vector_size(16)));
        Pair2 p[N];
        for (std::size_t i = 0; i < N; ++i) std::memcpy(&p[i], rows.at[i] + k, sizeof p[i]);
        if constexpr (N == 2) {
            return {__builtin_shufflevector(p[0], p[1], 0, 2), __builtin_shufflevector(p[0], p[1], 1, 3)};
        } else if constexpr (N == 4) {
            const V even = __builtin_shufflevector(p[0], p[2], 0, 1, 2, 3);
            const V odd = __builtin_shufflevector(p[1], p[3], 0, 1, 2, 3);
            return {__builtin_shufflevector(even, odd, 0, 4, 2, 6), __builtin_shufflevector(even, odd, 1, 5, 3, 7)};
        } else {
            using Quad = double __attribute__((vector_size(32)));
            const Quad even_low = __builtin_shufflevector(p[0], p[2], 0, 1, 2, 3);
            const Quad even_high = __builtin_shufflevector(p[4], p[6], 0, 1, 2, 3);
            const Quad odd_low = __builtin_shufflevector(p[1], p[3], 0, 1, 2, 3);
            const Quad odd_high = __builtin_shufflevector(p[5], p[7], 0, 1, 2, 3);
            const V even = __builtin_shufflevector(even_low, even_high, 0, 1, 2, 3, 4, 5, 6, 7);
            const V odd = __builtin_shufflevector(odd_low, odd_high, 0, 1, 2, 3, 4, 5, 6, 7);
            return {__builtin_shufflevector(even, odd, 0, 8, 2, 10, 4, 12, 6, 14),
                    __builtin_shufflevector(even, odd, 1, 9, 3, 11, 5, 13, 7, 15)};
        }
    }
    // One column built as a tree of pairs from its lanes: inserting them one
    // by one into a vector would chain each insertion to the previous one.
    template <std::size_t M>
    [[gnu::always_inline]] static auto lanes_from(const Rows& rows, std::size_t k, std::size_t first) {
        if constexpr (M == 2) {
            using Pair2 = double __attribute__((vector_size(16)));
            return Pair2{rows.at[first][k], rows.at[first + 1][k]};
        } else {
            const auto low = lanes_from<M / 2>(rows, k, first);
            const auto high = lanes_from<M / 2>(rows, k, first + M / 2);
            if constexpr (M == 4) return __builtin_shufflevector(low, high, 0, 1, 2, 3);
            else return __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7);
        }
    }
};

template <>
struct Lanes<double2> : VectorLanes<double2, uint2, 2> {};
template <>
struct Lanes<double4> : VectorLanes<double4, uint4, 4> {};
template <>
struct Lanes<double8> : VectorLanes<double8, uint8, 8> {};

template <class V>
using Bits = typename Lanes<V>::Bits;

template <class V>
[[gnu::always_inline]] inline Bits<V> bits_of(V x) { return std::bit_cast<Bits<V>>(x); }

template <class V>
[[gnu::always_inline]] inline V from_bits(Bits<V> b) { return std::bit_cast<V>(b); }

template <class V>
[[gnu::always_inline]] inline V select(typename Lanes<V>::Mask m, V a, V b) { return Lanes<V>::select(m, a, b); }

template <class V>
[[gnu::always_inline]] inline V abs(V x) { return from_bits<V>(bits_of(x) & 0x7fffffffffffffffULL); }

template <class V>
[[gnu::always_inline]] inline V copy_sign(V magnitude, V sign) {
    return from_bits<V>(bits_of(magnitude) | (bits_of(sign) & 0x8000000000000000ULL));
}

// Estrin's scheme, lowest coefficient first: pairs c[2i] + c[2i+1] x, then
// pairs of those with x^2, x^4, ..., so that the chain of dependent steps
// grows with the logarithm of the degree, not the degree. coefficient(i)
// gives c[i]; N is the number of coefficients.
template <class V, std::size_t N, class Coefficient>
[[gnu::always_inline]] inline V estrin(V x, Coefficient coefficient) {
    V terms[(N + 1) / 2];
    for (std::size_t i = 0; i < N / 2; ++i) terms[i] = coefficient(2 * i) + coefficient(2 * i + 1) * x;
    if (N % 2 != 0) terms[N / 2] = coefficient(N - 1);
    V power = x * x;
    for (std::size_t n = (N + 1) / 2; n > 1; n = (n + 1) / 2) {
        for (std::size_t i = 0; i < n / 2; ++i) terms[i] = terms[2 * i] + terms[2 * i + 1] * power;
        if (n % 2 != 0) terms[n / 2] = terms[n - 1];
        if (n > 2) power = power * power;
    }
    return terms[0];
}

template <class V, std::size_t N>
[[gnu::always_inline]] inline V polynomial(V x, const double (&c)[N]) {
    return estrin<V, N>(x, [&](std::size_t i) { return Lanes<V>::splat(c[i]); });
}

// ---------------------------------------------------------------------------
// Exact sums of doubles (Knuth, Dekker), a + b = s + err exactly, and
// products as pairs, with plain additions and multiplications only.

template <class V>
struct Pair {
    V hi, lo;
};

template <class V>
[[gnu::always_inline]] inline Pair<V> two_sum(V a, V b) {
    const V s = a + b;
    const V bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// Needs |a| >= |b| (or a = 0).
template <class V>
[[gnu::always_inline]] inline Pair<V> fast_two_sum(V a, V b) {
    const V s = a + b;
    return {s, b - (s - a)};
}

// Splits a into hi, its 26 leading significant bits, and lo = a - hi (27
// bits): hi * hi and hi * lo are exact, lo * lo rounds at 2^-105 of a * a.
template <class V>
[[gnu::always_inline]] inline Pair<V> split(V a) {
    const V hi = from_bits<V>(bits_of(a) & 0xfffffffff8000000ULL);
    return {hi, a - hi};
}

// p + err = a * b to 2^-100 relative (Dekker's product with the split
// above; exact but for lo * lo and the sums' last bits).
template <class V>
[[gnu::always_inline]] inline Pair<V> two_product(V a, V b) {
    const V p = a * b;
    const Pair<V> as = split(a), bs = split(b);
    return {p, ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo};
}

// a * a = hi + lo to 2^-78 relative: ah^2 is exact, al (a + ah) rounds.
template <class V>
[[gnu::always_inline]] inline Pair<V> square(V a) {
    const Pair<V> s = split(a);
    return fast_two_sum(s.hi * s.hi, s.lo * (a + s.hi));
}

// ---------------------------------------------------------------------------
// Powers of two and the exponential's reduction.

// 1.5 * 2^52: adding it rounds |v| < 2^51 to an integer held in the low bits.
inline constexpr double shifter = 0x1.8p52;
inline constexpr std::uint64_t shifter_bits = 0x4338000000000000ULL;
inline constexpr double sixty_four_over_ln2 = 0x1.71547652b82fep+6;
// ln 2 / 64 = ln2_64_hi + ln2_64_lo: ln2_64_hi has 33 significant bits, so
// n * ln2_64_hi is exact for |n| < 2^20, which covers every argument whose
// exponential is a finite nonzero double.
inline constexpr double ln2_64_hi = 0x1.62e42fefp-7;
inline constexpr double ln2_64_lo = 0x1.473de6af278edp-40;
// ln 2 = ln2_hi + ln2_lo: ln2_hi has 41 significant bits, so k * ln2_hi is
// exact for |k| < 2^12, which covers every exponent a double can have.
inline constexpr double ln2_hi = 0x1.62e42fefa3000p-1;
inline constexpr double ln2_lo = 0x1.3de6af278ece6p-42;

// The nearest integer to v (ties to even), |v| < 2^51.
template <class V>
[[gnu::always_inline]] inline V round_to_integer(V v) { return (v + shifter) - shifter; }

// 2^k for an integer k in [-1022, 1023].
template <class V>
[[gnu::always_inline]] inline V pow2(V k) {
    return from_bits<V>((bits_of<V>(k + shifter) - shifter_bits + 1023) << 52);
}

// v * 2^k for an integer k in [-2044, 2046], rounded once: the two factors
// are normal, the first product exact.
template <class V>
[[gnu::always_inline]] inline V scale(V v, V k) {
    const V k1 = round_to_integer(k * 0.5);
    return (v * pow2(k1)) * pow2(k - k1);
}

// (hi + lo) * 2^k rounded once, for an exact pair 0 < hi + lo <= 2
// (|lo| <= ulp(hi)) and an integer k in [-1100, 1023]. A normal result is
// hi + lo rounded and scaled exactly. A subnormal one, hi < T = 2^(-1022-k),
// has the spacing T 2^-52 in hi's scale: T + hi lies in [T, 2T) and so
// rounds on that spacing, once for hi + lo, and the scaling is exact.
template <class V>
[[gnu::always_inline]] inline V round_scaled_slowly(V hi, V lo, V k) {
    using L = Lanes<V>;
    V e = -1022.0 - k;
    e = select<V>(e > 1000.0, L::splat(1000.0), select<V>(e < -1000.0, L::splat(-1000.0), e));
    const V t = pow2(e);
    const V c = select<V>(hi < t, t, L::splat(0.0));
    const Pair<V> head = fast_two_sum(c, hi);
    return scale((head.hi + (head.lo + lo)) - c, k);
}

// The same for hi >= 2^-22: one multiplication where k leaves the result
// normal (-1000 <= k <= 1023), the slow path (the same bits there) only
// for lanes that need it.
template <class V>
[[gnu::always_inline]] inline V round_scaled(V hi, V lo, V k) {
    using L = Lanes<V>;
    const auto normal = L::both(k >= -1000.0, k <= 1023.0);
    const V y = (hi + lo) * pow2(select<V>(normal, k, L::splat(0.0)));
    if (L::all(normal)) return y;
    return select<V>(normal, y, round_scaled_slowly(hi, lo, k));
}

// e^(x.hi + x.lo) = 2^k (hi + lo) with hi + lo in [0.99, 1.99] to a
// relative 2^-59, for |x.hi| <= 746 and |x.lo| <= ulp(x.hi).
//
// n is the nearest integer to 64 x / ln 2, n = 64 k + j with 0 <= j < 64,
// and s + e = x - n ln2 / 64 (|s| <= ln2/128) is formed exactly but for
// n * ln2_64_lo's rounding (2^-72). Then
// e^x = 2^k 2^(j/64) e^(s + e) with 2^(j/64) a pair of doubles from the
// table and e^(s + e) - 1 = s + s^2/2 + s^3 Q(s) + e, below 0.0055, whose
// roundings are a relative 2^-60 of the result.
template <class V>
struct Reduced {
    V th, tl, p, k;  // e^x = 2^k (th + tl) (1 + p)
};

// With a low part xl, s + e is an exact pair; without, s = x - n ln2 / 64
// rounds once, a relative 2^-61 of the result.
template <bool with_low, class V>
[[gnu::always_inline]] inline Reduced<V> exp_reduce(V xh, V xl) {
    const V t = xh * sixty_four_over_ln2 + shifter;
    const V n = t - shifter;
    const Bits<V> j = (bits_of(t) - shifter_bits) & 63;  // n mod 64, n < 0 too
    const V k = (n - (from_bits<V>(j | shifter_bits) - shifter)) * (1.0 / 64);
    V s, e;
    if constexpr (with_low) {
        const Pair<V> r = two_sum(xh - n * ln2_64_hi, xl - n * ln2_64_lo);
        s = r.hi;
        e = r.lo;
    } else {
        s = (xh - n * ln2_64_hi) - n * ln2_64_lo;
    }
    const V s2 = s * s;
    V p = s + (s2 * 0.5 + (s2 * s) * polynomial(s, coefficients::exp_tail));
    if constexpr (with_low) p = p + e;
    const auto [th, tl] = Lanes<V>::template columns<2>(Lanes<V>::rows(coefficients::exp2_sixty_fourths, j + j));
    return {th, tl, p, k};
}

template <class V>
struct Scaled {
    V hi, lo, k;
};

template <class V>
[[gnu::always_inline]] inline Scaled<V> exp_parts(V xh, V xl) {
    const Reduced<V> r = exp_reduce<true>(xh, xl);
    const Pair<V> e = fast_two_sum(r.th, r.tl + r.th * r.p);
    return {e.hi, e.lo, r.k};
}

}  // namespace detail

// ---------------------------------------------------------------------------
// exp: one rounding of 2^k (hi + lo), so the error is 0.5 ulp plus the
// reduction's 2^-59 relative; below -708.40 the result is subnormal and the
// one rounding happens at its spacing.
template <class V>
[[gnu::always_inline]] inline V exp(V x) {
    using namespace detail;
    using L = Lanes<V>;
    const Reduced<V> r = exp_reduce<false>(x, L::splat(0.0));
    // A normal result is one rounding of th + tl (1 + p) and an exact scaling.
    const auto normal = L::both(r.k >= -1021.0, r.k <= 1023.0);
    const V y = (r.th + (r.tl + r.th * r.p)) * pow2(select<V>(normal, r.k, L::splat(0.0)));
    if (L::all(normal)) return y;
    // Beyond these every result is +inf or +0 anyway; NaN stays NaN.
    V xc = select<V>(x > 710.0, L::splat(710.0), x);
    xc = select<V>(xc < -746.0, L::splat(-746.0), xc);
    const Reduced<V> rc = exp_reduce<false>(xc, L::splat(0.0));
    const Pair<V> e = fast_two_sum(rc.th, rc.tl + rc.th * rc.p);
    return select<V>(normal, y, round_scaled_slowly(e.hi, e.lo, rc.k));
}

// ---------------------------------------------------------------------------
// log: x = 2^k m with m in [sqrt(1/2), sqrt(2)), f = m - 1 (exact) and
// s = f / (2 + f). Then log(1 + f) = 2 atanh(s) = f - f^2/2 + s (f^2/2 + R)
// with R = s^2 L(s^2) (the identity needs only 2s = f - s f). k ln 2 + f
// - f^2/2 is summed as exact pairs; only the last term, below |f|^3/4,
// and k ln2_lo round before the result's one rounding.
namespace detail {

// log(x) for a positive normal x = 2^(e - bias) 1.f, e its exponent field.
template <class V>
[[gnu::always_inline]] inline V log_of_normal(V x, V bias) {
    const Bits<V> b = bits_of(x);
    V k = from_bits<V>((b >> 52) | shifter_bits) - shifter - bias;
    V m = from_bits<V>((b & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL);
    const auto high = m > 0x1.6a09e667f3bccp+0;  // m > sqrt(2)
    m = select<V>(high, m * 0.5, m);
    k = select<V>(high, k + 1.0, k);
    const V f = m - 1.0;
    const V s = f / (f + 2.0);
    const V z = s * s;
    const V r = z * polynomial(z, coefficients::log_atanh);
    // f^2 = fh^2 + fl (f + fh) with fh^2 exact and the second term rounding
    // at 2^-78 of f^2.
    const Pair<V> fs = split(f);
    const V half_f2 = (fs.hi * fs.hi) * 0.5;
    const V half_f2_lo = (fs.lo * (f + fs.hi)) * 0.5;
    // k ln2_hi is 0 or larger than f, and k ln2_hi + f larger than f^2 / 2.
    const Pair<V> head = fast_two_sum(k * ln2_hi, f);
    const Pair<V> body = fast_two_sum(head.hi, -half_f2);
    const V lo = ((head.lo + body.lo) + (k * ln2_lo - half_f2_lo)) + s * ((half_f2 + half_f2_lo) + r);
    return body.hi + lo;
}

}  // namespace detail

template <class V>
[[gnu::always_inline]] inline V log(V x) {
    using namespace detail;
    using L = Lanes<V>;
    // Positive, normal and finite: the common case, without the selects.
    const auto ordinary = (bits_of(x) - 0x0010000000000000ULL) < 0x7fe0000000000000ULL;
    if (L::all(ordinary)) return log_of_normal(x, L::splat(1023.0));
    // Subnormal arguments are scaled into the normal range first.
    const auto subnormal = x < 0x1p-1022;
    V y = log_of_normal(select<V>(subnormal, x * 0x1p54, x),
                        select<V>(subnormal, L::splat(1023.0 + 54.0), L::splat(1023.0)));
    constexpr double inf = std::numeric_limits<double>::infinity();
    y = select<V>(x == inf, x, y);
    y = select<V>(x == 0.0, L::splat(-inf), y);
    y = select<V>(x < 0.0, L::splat(std::numeric_limits<double>::quiet_NaN()), y);
    return select<V>(x != x, x + x, y);
}

// ---------------------------------------------------------------------------
// tanh: below |x| = 0.3, a + a^3 T(a^2) (the second term is below a/30, so
// the roundings of a^3 and T cost at most a tenth of an ulp). Above, (E - 1) / (E + 1) with
// E = e^(2a) as an exact pair from exp_parts: the quotient q is corrected
// by the exact remainder (E - 1) - q (E + 1), so it rounds once.
template <class V>
[[gnu::always_inline]] inline V tanh(V x) {
    using namespace detail;
    using L = Lanes<V>;
    const V a = abs(x);
    const auto small = a < 0.3;
    V y = L::splat(0.0);
    if (L::any(small)) {
        const V z = a * a;
        y = a + (a * z) * polynomial(z, coefficients::tanh_small);
    }
    if (!L::all(small)) {
        // tanh(20) rounds to 1 and e^40 keeps every step finite.
        const V ac = select<V>(a > 20.0, L::splat(20.0), select<V>(small, L::splat(1.0), a));
        const Scaled<V> e = exp_parts(ac + ac, L::splat(0.0));
        const V p = pow2(e.k);
        const V eh = e.hi * p, el = e.lo * p;
        const Pair<V> n = two_sum(eh, L::splat(-1.0));
        const Pair<V> d = two_sum(eh, L::splat(1.0));
        const V nl = n.lo + el, dl = d.lo + el;
        const V q = n.hi / d.hi;
        const Pair<V> qd = two_product(q, d.hi);
        const V remainder = ((n.hi - qd.hi) - qd.lo) + (nl - q * dl);
        y = select<V>(small, y, q + remainder / d.hi);
    }
    return select<V>(x != x, x + x, copy_sign(y, x));
}

// ---------------------------------------------------------------------------
// erfc's pieces, read by their index: the first starts at 0.25, whose bits
// shifted right by 50 are first_piece, and each quarter octave after it has
// the next index.
namespace detail {

inline constexpr std::uint64_t first_erfc_piece = 0x3fd0000000000000ULL >> 50;
inline constexpr std::size_t erfc_piece_count =
    sizeof(coefficients::erfc_pieces) / sizeof(double) / coefficients::erfc_piece_stride;
inline constexpr std::size_t erfc_polynomial_terms = coefficients::erfc_piece_stride - 4;

// How many coefficients of P2 the pieces that start below `bound` use: the
// rest are zero where a lower degree met the fit's bound.
consteval std::size_t erfc_terms_below(double bound) {
    std::size_t most = 0;
    for (std::size_t piece = 0; piece < erfc_piece_count; ++piece) {
        if (std::bit_cast<double>((first_erfc_piece + piece) << 50) >= bound) break;
        const double* p2 = coefficients::erfc_pieces + piece * coefficients::erfc_piece_stride + 4;
        std::size_t used = erfc_polynomial_terms;
        while (used > 0 && p2[used - 1] == 0.0) --used;
        if (used > most) most = used;
    }
    return most;
}

// P2(t) for an argument a. Estrin's scheme over fewer coefficients adds the
// same products in the same places, and each zero it leaves out would only
// have added an exact zero, so a lone argument, whose piece is known, reads
// no more than its piece uses and gets the same bits. A vector's lanes lie
// in different pieces and take them all.
template <class V, class Coefficient>
[[gnu::always_inline]] inline V erfc_polynomial(V a, V t, Coefficient coefficient) {
    if constexpr (Lanes<V>::count == 1) {
        constexpr std::size_t below_one = erfc_terms_below(1.0), below_four = erfc_terms_below(4.0);
        if (a < 1.0) return estrin<V, below_one>(t, coefficient);
        if (a < 4.0) return estrin<V, below_four>(t, coefficient);
    }
    return estrin<V, erfc_polynomial_terms>(t, coefficient);
}

// erfc(x) for |x| < 0.25 as hi + lo: 1 - x an exact pair, less x C(x^2)
// (below 0.03) in the low part.
template <class V>
[[gnu::always_inline]] inline Pair<V> erfc_small_pair(V x) {
    const V minus_x = -x;
    const Pair<V> head = fast_two_sum(Lanes<V>::splat(1.0), minus_x);
    return {head.hi, head.lo + minus_x * polynomial(x * x, coefficients::erf_small)};
}

// G(a) = erfc(a) e^(a^2) for a in [0.25, 32), as hi + lo: G(c + t) = G(c)
// + t p0 + t^2 P2(t) on a's piece, with G(c) a pair and t p0 an exact
// product.
template <class V>
[[gnu::always_inline]] inline Pair<V> erfc_scaled_piece(V a) {
    using L = Lanes<V>;
    namespace c = coefficients;
    const Bits<V> row = ((bits_of(a) >> 50) - first_erfc_piece) * c::erfc_piece_stride;
    const auto piece = L::template columns<c::erfc_piece_stride>(L::rows(c::erfc_pieces, row));
    const V t = a - piece[0];  // exact: the middle is within the piece
    const V p = erfc_polynomial(a, t, [&](std::size_t i) { return piece[4 + i]; });
    const Pair<V> slope = two_product(t, piece[3]);
    const Pair<V> g = two_sum(piece[1], slope.hi);
    return {g.hi, g.lo + (piece[2] + (slope.lo + (t * t) * p))};
}

}  // namespace detail

// ---------------------------------------------------------------------------
// erfc: below |x| = 0.25, 1 - erf(x) with erf(x) = x + x C(x^2) and 1 - x
// an exact pair (x C is below 0.03, its rounding a sixteenth of an ulp).
// From 0.25, erfc(a) = e^(-a^2) G(a) with G(a) = erfc(a) e^(a^2) fitted on
// each quarter of the octaves [0.25, 32) around its middle c:
// G(c + t) = G(c) + t p0 + t^2 P2(t) with G(c) a pair, t p0 an exact
// product and t^2 P2(t) below a fiftieth of G; a^2 is an exact pair,
// e^(-a^2) comes from exp_parts, and their product is an exact pair before
// the one rounding (for x < 0, of 2 - erfc(-x)), which happens with the
// scaling by 2^k, so that subnormal results too round only once.
template <class V>
[[gnu::always_inline]] inline V erfc(V x) {
    using namespace detail;
    using L = Lanes<V>;
    const V a = abs(x);
    const auto small = a < 0.25;
    // Past 27.3 erfc(a) is below half the smallest subnormal.
    const auto beyond = a >= 27.3;
    V y = L::splat(0.0);
    // A vector takes the short series whether or not a lane needs it: a
    // branch on its lanes would be mispredicted where small and large
    // arguments mix.
    if (L::count > 1 || L::any(small)) {
        const Pair<V> head = erfc_small_pair(x);
        y = head.hi + head.lo;
    }
    if (!L::all(small)) {
        // Lanes outside [0.25, 27.3) compute at 1 and are replaced below.
        const V ab = select<V>(L::either(small, L::either(beyond, a != a)), L::splat(1.0), a);
        const Pair<V> g = erfc_scaled_piece(ab);

        const Pair<V> sq = square(ab);
        const Scaled<V> e = exp_parts(-sq.hi, -sq.lo);
        const Pair<V> prod = two_product(e.hi, g.hi);
        const V lo = prod.lo + (e.hi * g.lo + e.lo * g.hi);

        const Pair<V> exact = fast_two_sum(prod.hi, lo);
        const V positive = round_scaled(exact.hi, exact.lo, e.k);
        const V p2 = pow2(e.k);
        const Pair<V> two_minus = fast_two_sum(L::splat(2.0), -(prod.hi * p2));
        const V negative = two_minus.hi + (two_minus.lo - lo * p2);
        // Both, selected: a branch on the sign would be mispredicted.
        V big = select<V>(x < 0.0, negative, positive);
        // Below -6 erfc(x) rounds to 2 (and 2^k could leave the normal range).
        big = select<V>(x < -6.0, L::splat(2.0), select<V>(beyond, L::splat(0.0), big));
        y = select<V>(small, y, big);
    }
    return select<V>(x != x, x + x, y);
}

// ---------------------------------------------------------------------------
// erfcx(x) = e^(x^2) erfc(x), the scaled complementary error function: about
// 1/(x sqrt(pi)) as x grows, where erfc itself underflows. On [0.25, 32) it
// is erfc's G above, one rounding of its pair, with no exponential at all;
// below 0.25, erfc's small-argument pair times e^(x^2) as a pair, rounded
// once; from 32, (1/sqrt(pi)) (1 + D) / x with 1 + D the asymptotic series
// sum_k (-1)^k (2k-1)!! / (2x^2)^k, whose eighth term is below 2^-60 there
// and whose D, below 2^-11, is summed apart from its 1, the quotient
// corrected by its exact remainder; below -0.25, 2 e^(x^2) - erfcx(-x) with
// both terms as pairs, where the first is at least twice the second and so
// cancels nothing. NaN gives NaN; erfcx(+inf) = +0, and the result
// overflows to +inf below -26.6287.
namespace detail {

inline constexpr double inv_sqrt_pi_hi = 0x1.20dd750429b6dp-1;
inline constexpr double inv_sqrt_pi_lo = 0x1.1ae3a914fed80p-57;

// From 32 (and +inf), S/(x sqrt(pi)). Beyond 2^500 the quotient is taken
// for x 2^-600, so that its remainder's product stays in the normal range,
// and scaled back with its one rounding (subnormal from 2.5e307).
template <class V>
[[gnu::always_inline]] inline V erfcx_asymptotic(V a) {
    using L = Lanes<V>;
    const V u = 0.5 / (a * a);  // +0 once a^2 overflows
    V sum = L::splat(1.0);
    for (int k = 15; k >= 3; k -= 2) sum = 1.0 - (k * u) * sum;
    const V d = -u * sum;
    const V n_lo = inv_sqrt_pi_lo + inv_sqrt_pi_hi * d;
    const auto huge = a >= 0x1p500;
    const V as = a * select<V>(huge, L::splat(0x1p-600), L::splat(1.0));
    const V q = inv_sqrt_pi_hi / as;
    const Pair<V> back = two_product(q, as);
    const V correction = (((inv_sqrt_pi_hi - back.hi) - back.lo) + n_lo) / as;
    const V y = round_scaled_slowly(q, correction, select<V>(huge, L::splat(-600.0), L::splat(0.0)));
    return select<V>(a == std::numeric_limits<double>::infinity(), L::splat(0.0), y);
}

// Below 0.25 in magnitude: (1 - x - x C(x^2)) e^(x^2), e^(x^2) below 1.07
// (so its exponent k is 0) with x^2 an exact pair.
template <class V>
[[gnu::always_inline]] inline V erfcx_small(V x) {
    const Pair<V> head = erfc_small_pair(x);
    const Pair<V> sq = square(x);
    const Scaled<V> e = exp_parts(sq.hi, sq.lo);
    const Pair<V> prod = two_product(e.hi, head.hi);
    return prod.hi + (prod.lo + (e.hi * head.lo + e.lo * head.hi));
}

// 2 e^(a^2) - g for a in [0.25, 27] and g = erfcx(a) <= 0.76 as a pair:
// e^(a^2) as a pair from an exact a^2, and the difference of the heads
// exact.
template <class V>
[[gnu::always_inline]] inline V erfcx_reflected(V a, Pair<V> g) {
    const Pair<V> sq = square(a);
    const Scaled<V> e = exp_parts(sq.hi, sq.lo);
    const V twice_hi = scale(e.hi, e.k + 1.0), twice_lo = scale(e.lo, e.k + 1.0);
    const Pair<V> d = fast_two_sum(twice_hi, -g.hi);
    const V r = d.hi + (d.lo + (twice_lo - g.lo));
    return select<V>(twice_hi == std::numeric_limits<double>::infinity(), twice_hi, r);
}

}  // namespace detail

template <class V>
[[gnu::always_inline]] inline V erfcx(V x) {
    using namespace detail;
    using L = Lanes<V>;
    const V a = abs(x);
    const auto small = a < 0.25;
    const auto far = a >= 32.0;
    V y = L::splat(0.0);
    Pair<V> g{y, y};
    if (!L::all(L::either(small, far))) {
        // Lanes outside [0.25, 32) read the piece of 1 and are replaced below.
        const V ab = select<V>(L::either(L::either(small, far), a != a), L::splat(1.0), a);
        g = erfc_scaled_piece(ab);
        y = g.hi + g.lo;
    }
    if (L::any(far)) y = select<V>(far, erfcx_asymptotic(a), y);
    const auto reflected = L::both(x < 0.0, a >= 0.25);
    if (L::any(reflected)) {
        // Lanes past -27 overflow; they and the others compute at 1, and
        // only the reflected lanes in range, whose g is their piece's, are
        // kept.
        const V ar = select<V>(L::both(reflected, a <= 27.0), a, L::splat(1.0));
        const V r = select<V>(a > 27.0, L::splat(std::numeric_limits<double>::infinity()), erfcx_reflected(ar, g));
        y = select<V>(reflected, r, y);
    }
    if (L::any(small)) y = select<V>(small, erfcx_small(x), y);
    return select<V>(x != x, x + x, y);
}

}  // namespace kelvane::elementary
