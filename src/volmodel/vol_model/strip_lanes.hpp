// A strip of strikes evaluated several at a time. A model's Kernel (see
// param_record.hpp) writes its per-strike steps once, as templates over the
// lane type V (double, double2, double4 or double8): its scalar strike_term
// and vol are the V = double instantiations, so a vector lane applies the
// scalar's operations in the scalar's order and holds its bits. Branches of
// the scalar are selects here, each lane taking the scalar's side.
//
// What a vector cannot promise is the payload of a NaN: where two NaNs meet
// in a + or a *, the result carries the payload of whichever operand the
// compiler placed first, and its copies may place them differently. So any
// lane that comes out NaN is evaluated again by the scalar steps (the one
// copy that get_vol_single also runs), from the strike the vector read: NaN
// volatilities are rare, and the finite ones are fixed by the order of
// operations alone.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <span>

#include "common/math/elementary.hpp"
#include "common/math/vector_width.hpp"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace vol_model::lanes {

using kelvane::elementary::double2;
using kelvane::elementary::double4;
using kelvane::elementary::double8;

template <class V>
using L = kelvane::elementary::detail::Lanes<V>;

template <class V>
using Mask = typename L<V>::Mask;

// a where m holds, b elsewhere. Written as the vectors' conditional, which
// each unit compiles to its blend (one step, where the bitwise form takes
// three).
template <class V>
[[gnu::always_inline]] inline V select(Mask<V> m, V a, V b) { return m ? a : b; }

// The square root is correctly rounded in every lane and on every unit, so
// the vector instructions give the scalar's bits. The wider units' forms
// are compiled for their unit and so may not be forced inline into the
// steps (compiled for the baseline): the loop of that unit, which flattens
// every call, inlines them.
[[gnu::always_inline]] inline double sqrt(double x) { return std::sqrt(x); }

#if defined(__x86_64__)
[[gnu::always_inline]] inline double2 sqrt(double2 x) { return _mm_sqrt_pd(x); }
[[gnu::target("avx2")]] inline double4 sqrt(double4 x) { return _mm256_sqrt_pd(x); }
[[gnu::target("avx512f")]] inline double8 sqrt(double8 x) { return _mm512_mask_sqrt_pd(x, 0xff, x); }
#else
[[gnu::always_inline]] inline double2 sqrt(double2 x) {
    for (std::size_t i = 0; i < 2; ++i) x[i] = __builtin_sqrt(x[i]);
    return x;
}
#endif

// Neither infinite nor NaN: std::isfinite lane by lane.
template <class V>
[[gnu::always_inline]] inline Mask<V> finite(V x) {
    return kelvane::elementary::detail::abs(x) <= std::numeric_limits<double>::max();
}

// The vector of vols for N strikes, its NaN lanes redone by the scalar
// steps from the same strikes.
template <class Kernel, class V>
inline void evaluate_vector(const typename Kernel::Setup& setup, const double* strikes, double* vols) {
    V k;
    std::memcpy(&k, strikes, sizeof k);
    const V v = Kernel::template vol_lanes<V>(setup, Kernel::template strike_term_lanes<V>(setup, k));
    std::memcpy(vols, &v, sizeof v);
    if (L<V>::any(v != v)) {
        for (std::size_t j = 0; j < L<V>::count; ++j) {
            if (v[j] != v[j]) vols[j] = Kernel::vol(setup, Kernel::strike_term(setup, k[j]));
        }
    }
}

// vols[i] = vol(setup, strike_term(setup, strikes[i])), N strikes a vector
// at a time, the tail by the scalar steps. Two vectors a step: each is a
// long chain of dependent steps, and two side by side keep the unit busy.
template <class Kernel, class V>
inline void evaluate(const typename Kernel::Setup& setup, std::span<const double> strikes,
                     std::span<double> vols) {
    constexpr std::size_t n = L<V>::count;
    const std::size_t count = strikes.size();
    std::size_t i = 0;
    for (; i + 2 * n <= count; i += 2 * n) {
        evaluate_vector<Kernel, V>(setup, strikes.data() + i, vols.data() + i);
        evaluate_vector<Kernel, V>(setup, strikes.data() + i + n, vols.data() + i + n);
    }
    for (; i + n <= count; i += n) evaluate_vector<Kernel, V>(setup, strikes.data() + i, vols.data() + i);
    for (; i < count; ++i) vols[i] = Kernel::vol(setup, Kernel::strike_term(setup, strikes[i]));
}

// One copy per unit, each compiled for it with every step inlined.
template <class Kernel>
[[gnu::flatten]] void evaluate_2(const typename Kernel::Setup& setup, std::span<const double> strikes,
                                 std::span<double> vols) {
    evaluate<Kernel, double2>(setup, strikes, vols);
}

#if KELVANE_HAS_WIDE_UNITS
template <class Kernel>
KELVANE_TARGET_AVX2 void evaluate_4(const typename Kernel::Setup& setup, std::span<const double> strikes,
                                    std::span<double> vols) {
    evaluate<Kernel, double4>(setup, strikes, vols);
}

template <class Kernel>
KELVANE_TARGET_AVX512 void evaluate_8(const typename Kernel::Setup& setup, std::span<const double> strikes,
                                      std::span<double> vols) {
    evaluate<Kernel, double8>(setup, strikes, vols);
}
#endif

// The strip at `width` strikes a step: 2, 4 or 8, which the caller has
// checked this machine runs; any other width is the scalar loop itself.
template <class Kernel>
void evaluate_at_width(std::size_t width, const typename Kernel::Setup& setup,
                       std::span<const double> strikes, std::span<double> vols) {
    switch (width) {
    case 2:
        return evaluate_2<Kernel>(setup, strikes, vols);
#if KELVANE_HAS_WIDE_UNITS
    case 4:
        return evaluate_4<Kernel>(setup, strikes, vols);
    case 8:
        return evaluate_8<Kernel>(setup, strikes, vols);
#endif
    default:
        for (std::size_t i = 0; i < strikes.size(); ++i) {
            vols[i] = Kernel::vol(setup, Kernel::strike_term(setup, strikes[i]));
        }
    }
}

}  // namespace vol_model::lanes
