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

#include <cstddef>
#include <cstring>
#include <span>

#include "common/math/lanes.hpp"
#include "common/math/vector_width.hpp"

namespace vol_model::lanes {

// The lane types, masks, selects and square roots of common/math/lanes.hpp.
using namespace kelvane::lanes;

template <class V>
using L = kelvane::lanes::Lanes<V>;

// What a strip computes: the vols of strikes; the strike terms and the
// vols of strikes (a Jacobian's base); the vols of given strike terms (a
// Jacobian's bumped parameters that leave the terms alone).
enum class Job { vols, terms_and_vols, vols_of_terms };

// One element by the scalar steps: x is a strike, or a term for
// vols_of_terms.
template <class Kernel, Job job>
inline void scalar_step(const typename Kernel::Setup& setup, double x, double* term, double* vol) {
    if constexpr (job == Job::vols_of_terms) {
        *vol = Kernel::vol(setup, x);
    } else {
        const double t = Kernel::strike_term(setup, x);
        if constexpr (job == Job::terms_and_vols) *term = t;
        *vol = Kernel::vol(setup, t);
    }
}

// N elements as one vector, each lane that comes out NaN (term or vol)
// redone by the scalar steps from the same input.
template <class Kernel, Job job, class V>
inline void vector_step(const typename Kernel::Setup& setup, const double* in, double* terms, double* vols) {
    V x;
    std::memcpy(&x, in, sizeof x);
    V t = x;
    if constexpr (job != Job::vols_of_terms) t = Kernel::template strike_term_lanes<V>(setup, x);
    const V v = Kernel::template vol_lanes<V>(setup, t);
    if constexpr (job == Job::terms_and_vols) std::memcpy(terms, &t, sizeof t);
    std::memcpy(vols, &v, sizeof v);
    if (L<V>::any((v != v) | (t != t))) {
        for (std::size_t j = 0; j < L<V>::count; ++j) {
            if (v[j] != v[j] || t[j] != t[j]) scalar_step<Kernel, job>(setup, x[j], terms + j, vols + j);
        }
    }
}

// The job over a strip, N elements a vector, the tail by the scalar steps.
// Two vectors a step: each is a long chain of dependent steps, and two side
// by side keep the unit busy. `terms` is written by terms_and_vols only.
template <class Kernel, Job job, class V>
inline void run(const typename Kernel::Setup& setup, std::span<const double> in, double* terms,
                std::span<double> vols) {
    constexpr std::size_t n = L<V>::count;
    const std::size_t count = in.size();
    std::size_t i = 0;
    for (; i + 2 * n <= count; i += 2 * n) {
        vector_step<Kernel, job, V>(setup, in.data() + i, terms + i, vols.data() + i);
        vector_step<Kernel, job, V>(setup, in.data() + i + n, terms + i + n, vols.data() + i + n);
    }
    for (; i + n <= count; i += n) vector_step<Kernel, job, V>(setup, in.data() + i, terms + i, vols.data() + i);
    for (; i < count; ++i) scalar_step<Kernel, job>(setup, in[i], terms + i, vols.data() + i);
}

// One copy per unit, each compiled for it with every step inlined.
template <class Kernel, Job job>
[[gnu::flatten]] void run_2(const typename Kernel::Setup& setup, std::span<const double> in, double* terms,
                            std::span<double> vols) {
    run<Kernel, job, double2>(setup, in, terms, vols);
}

#if KELVANE_HAS_WIDE_UNITS
template <class Kernel, Job job>
KELVANE_TARGET_AVX2 void run_4(const typename Kernel::Setup& setup, std::span<const double> in, double* terms,
                               std::span<double> vols) {
    run<Kernel, job, double4>(setup, in, terms, vols);
}

template <class Kernel, Job job>
KELVANE_TARGET_AVX512 void run_8(const typename Kernel::Setup& setup, std::span<const double> in, double* terms,
                                 std::span<double> vols) {
    run<Kernel, job, double8>(setup, in, terms, vols);
}
#endif

// The job at `width` elements a step: 2, 4 or 8, which the caller has
// checked this machine runs; any other width is the scalar loop itself.
template <class Kernel, Job job>
void run_at_width(std::size_t width, const typename Kernel::Setup& setup, std::span<const double> in,
                  double* terms, std::span<double> vols) {
    switch (width) {
    case 2:
        return run_2<Kernel, job>(setup, in, terms, vols);
#if KELVANE_HAS_WIDE_UNITS
    case 4:
        return run_4<Kernel, job>(setup, in, terms, vols);
    case 8:
        return run_8<Kernel, job>(setup, in, terms, vols);
#endif
    default:
        for (std::size_t i = 0; i < in.size(); ++i) scalar_step<Kernel, job>(setup, in[i], terms + i, vols.data() + i);
    }
}

// vols[i] = vol(setup, strike_term(setup, strikes[i])) at `width`.
template <class Kernel>
void evaluate_at_width(std::size_t width, const typename Kernel::Setup& setup,
                       std::span<const double> strikes, std::span<double> vols) {
    run_at_width<Kernel, Job::vols>(width, setup, strikes, nullptr, vols);
}

}  // namespace vol_model::lanes
