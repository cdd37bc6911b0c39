// What the loops over vectors share: the lane types, masks, selects, square
// roots and fused multiply-adds that let one formula, written as a template
// over its lane type V (double, double2, double4 or double8), be both the
// scalar function (V = double) and each lane of a vector, with the scalar's
// bits in every lane (common/math/elementary.hpp says how). Branches of the
// scalar become selects: both sides computed, each lane taking its own.
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>
#include <type_traits>

#include "common/math/elementary.hpp"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace kelvane::lanes {

using elementary::double2;
using elementary::double4;
using elementary::double8;

template <class V>
using Lanes = elementary::detail::Lanes<V>;

// A comparison's result: bool for a scalar, all-ones or all-zeros lanes.
template <class V>
using Mask = typename Lanes<V>::Mask;

template <class V>
inline constexpr bool is_scalar = std::is_same_v<V, double>;

template <class V>
[[gnu::always_inline]] inline V splat(double c) { return Lanes<V>::splat(c); }

// a where m holds, b elsewhere. Written as the vectors' conditional, which
// each unit compiles to its blend (one step, where the bitwise form takes
// three).
template <class V>
[[gnu::always_inline]] inline V select(Mask<V> m, V a, V b) { return m ? a : b; }

// Neither infinite nor NaN: std::isfinite lane by lane.
template <class V>
[[gnu::always_inline]] inline Mask<V> finite(V x) {
    return elementary::detail::abs(x) <= std::numeric_limits<double>::max();
}

// The square root is correctly rounded in every lane and on every unit, so
// any instruction gives the scalar's bits. The steps are compiled for the
// baseline until a unit's loop inlines them, so a wider unit's instruction
// must reach them in a form each compiler accepts there: clang's generic
// element-wise root, which takes the unit of the function it lands in; for
// g++, which has none, functions compiled for their unit and not forced
// inline (a forced one is refused in a baseline function), which the loop
// of that unit, flattening every call, inlines.
[[gnu::always_inline]] inline double sqrt(double x) { return std::sqrt(x); }

#if __has_builtin(__builtin_elementwise_sqrt)
[[gnu::always_inline]] inline double2 sqrt(double2 x) { return __builtin_elementwise_sqrt(x); }
[[gnu::always_inline]] inline double4 sqrt(double4 x) { return __builtin_elementwise_sqrt(x); }
[[gnu::always_inline]] inline double8 sqrt(double8 x) { return __builtin_elementwise_sqrt(x); }
#elif defined(__x86_64__)
[[gnu::always_inline]] inline double2 sqrt(double2 x) { return _mm_sqrt_pd(x); }
[[gnu::target("avx2")]] inline double4 sqrt(double4 x) { return _mm256_sqrt_pd(x); }
[[gnu::target("avx512f")]] inline double8 sqrt(double8 x) { return _mm512_mask_sqrt_pd(x, 0xff, x); }
#else
[[gnu::always_inline]] inline double2 sqrt(double2 x) {
    for (std::size_t i = 0; i < 2; ++i) x[i] = __builtin_sqrt(x[i]);
    return x;
}
#endif

// a * b + c rounded once, lane by lane: std::fma's bits on every unit. The
// scalar and the baseline's lanes call std::fma (the C library takes the
// instruction where the processor has it); AVX2's unit includes the
// instruction (vectors::probe_widest asks for both) and AVX-512's has it.
[[gnu::always_inline]] inline double fma(double a, double b, double c) { return std::fma(a, b, c); }

#if __has_builtin(__builtin_elementwise_fma)
[[gnu::always_inline]] inline double2 fma(double2 a, double2 b, double2 c) { return __builtin_elementwise_fma(a, b, c); }
[[gnu::always_inline]] inline double4 fma(double4 a, double4 b, double4 c) { return __builtin_elementwise_fma(a, b, c); }
[[gnu::always_inline]] inline double8 fma(double8 a, double8 b, double8 c) { return __builtin_elementwise_fma(a, b, c); }
#else
[[gnu::always_inline]] inline double2 fma(double2 a, double2 b, double2 c) {
    for (std::size_t i = 0; i < 2; ++i) a[i] = std::fma(a[i], b[i], c[i]);
    return a;
}
#if defined(__x86_64__)
[[gnu::target("avx2,fma")]] inline double4 fma(double4 a, double4 b, double4 c) { return _mm256_fmadd_pd(a, b, c); }
[[gnu::target("avx512f")]] inline double8 fma(double8 a, double8 b, double8 c) { return _mm512_fmadd_pd(a, b, c); }
#endif
#endif

}  // namespace kelvane::lanes
