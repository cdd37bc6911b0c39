// The vector unit the array loops use: each loop is compiled for the
// baseline (2 doubles: SSE2 on x86-64, NEON on aarch64) and, on x86-64, for
// AVX2 (4) and AVX-512 (8), and runs the widest this machine has. Every
// width gives every element the bits of the scalar call (the lanes apply the
// scalar's operations in its order: common/math/elementary.hpp), so the
// choice changes speed only.
//
// The environment variable KELVANE_VECTOR_WIDTH (2, 4 or 8), read once,
// lowers the choice, never raises it past what the machine has: the tests
// run every width this way, and a user may rule out a unit.
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
// and so compiled for that unit; neither target enables fused multiply-add.
#if defined(__x86_64__)
#define KELVANE_TARGET_AVX2 [[gnu::target("avx2"), gnu::flatten]]
#define KELVANE_TARGET_AVX512 [[gnu::target("avx512f"), gnu::flatten]]
#define KELVANE_HAS_WIDE_UNITS 1
#else
#define KELVANE_HAS_WIDE_UNITS 0
#endif

}  // namespace kelvane::vectors
