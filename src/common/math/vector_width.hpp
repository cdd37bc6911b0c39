// The vector unit the array loops use: each loop is compiled for the
// baseline (2 doubles: SSE2 on x86-64, NEON on aarch64) and, on x86-64, for
// AVX2 (4) and AVX-512 (8). Every width gives every element the bits of the
// scalar call (the lanes apply the scalar's operations in its order:
// common/math/elementary.hpp), so the choice changes speed only.
//
// The loops run AVX2 where the machine has it, and AVX-512 only when asked:
// measured on an AVX-512 server (make kernel-bench, a row per width), the
// 512-bit loops took 1.2 times as long as AVX2's for pricing, 1.9 times for
// the implied-vol solver and up to twice for a smile's strip; only the cubic
// spline's strip gained (12 %). The environment variable
// KELVANE_VECTOR_WIDTH (2, 4 or 8), read once, chooses another width, never
// one past what the machine has: the tests run every width this way.
#pragma once

#include <cstddef>

namespace kelvane::vectors {

// Doubles per vector of the loops' unit: 2, 4 or 8.
std::size_t width() noexcept;

// The widest unit this machine and its operating system support, whatever
// the environment says.
std::size_t widest_supported() noexcept;

// Loops compiled for a wider unit carry these attributes: the steps of the
// formulas and of the elementary functions are inlined into them (flatten)
// and so compiled for that unit. AVX2's unit includes the fused multiply-add
// instruction, which only an explicit lanes::fma emits: the build's
// -ffp-contract=off keeps the compiler from fusing any multiply and add.
#if defined(__x86_64__)
#define KELVANE_TARGET_AVX2 [[gnu::target("avx2,fma"), gnu::flatten]]
#define KELVANE_TARGET_AVX512 [[gnu::target("avx512f"), gnu::flatten]]
#define KELVANE_HAS_WIDE_UNITS 1
#else
#define KELVANE_HAS_WIDE_UNITS 0
#endif

}  // namespace kelvane::vectors
