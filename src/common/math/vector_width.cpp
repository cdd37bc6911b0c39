#include "common/math/vector_width.hpp"

#include <cstdlib>
#include <cstring>

namespace kelvane::vectors {
namespace {

std::size_t requested_width() noexcept {
    const char* value = std::getenv("KELVANE_VECTOR_WIDTH");
    if (value == nullptr) return 8;
    if (std::strcmp(value, "2") == 0) return 2;
    if (std::strcmp(value, "4") == 0) return 4;
    return 8;  // anything else leaves the choice to the machine
}

}  // namespace

std::size_t widest_supported() noexcept {
#if KELVANE_HAS_WIDE_UNITS
    // The compiler's run-time checks include the operating system's saving
    // of the wider registers (XGETBV).
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return 8;
    if (__builtin_cpu_supports("avx2")) return 4;
#endif
    return 2;
}

std::size_t width() noexcept {
    // Once per process: a static local's initialisation is thread-safe.
    static const std::size_t chosen = [] {
        const std::size_t widest = widest_supported();
        const std::size_t requested = requested_width();
        return requested < widest ? requested : widest;
    }();
    return chosen;
}

}  // namespace kelvane::vectors
