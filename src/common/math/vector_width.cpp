#include "common/math/vector_width.hpp"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if KELVANE_HAS_WIDE_UNITS
#include <cpuid.h>
#endif

namespace kelvane::vectors {
namespace {

// AVX2's width unless the environment asks for another (see the header).
constexpr std::size_t preferred_width = 4;

std::size_t requested_width() noexcept {
    const char* value = std::getenv("KELVANE_VECTOR_WIDTH");
    if (value == nullptr) return preferred_width;
    if (std::strcmp(value, "2") == 0) return 2;
    if (std::strcmp(value, "4") == 0) return 4;
    if (std::strcmp(value, "8") == 0) return 8;
    return preferred_width;  // anything else leaves the choice as it is
}

#if KELVANE_HAS_WIDE_UNITS
// Asked of the processor itself rather than through the compiler's run-time
// support, which not every toolchain links (the portable wheel's does not
// initialise it). A unit counts only when the operating system saves its
// registers on a context switch, as XCR0 says.
struct CpuId {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
};

CpuId cpuid(unsigned leaf) noexcept {
    CpuId r;
    if (__get_cpuid_count(leaf, 0, &r.eax, &r.ebx, &r.ecx, &r.edx) == 0) return CpuId{};
    return r;
}

std::uint64_t saved_state() noexcept {
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (std::uint64_t{high} << 32) | low;
}

bool bit(unsigned word, int n) noexcept { return ((word >> n) & 1U) != 0; }
#endif

// What the processor and the operating system report: cpuid, which a
// virtual machine may trap at tens of microseconds a call, so it is asked
// once (widest_supported below).
std::size_t probe_widest() noexcept {
#if KELVANE_HAS_WIDE_UNITS
    const CpuId basic = cpuid(1);
    if (!bit(basic.ecx, 27) || !bit(basic.ecx, 28)) return 2;  // no XGETBV, or no AVX
    const std::uint64_t state = saved_state();
    constexpr std::uint64_t sse_avx = 0x6;        // XMM and YMM halves
    constexpr std::uint64_t avx512_state = 0xe0;  // opmasks and the ZMM registers
    if ((state & sse_avx) != sse_avx) return 2;
    const CpuId extended = cpuid(7);
    if (bit(extended.ebx, 16) && (state & avx512_state) == avx512_state) return 8;  // AVX-512F
    if (bit(extended.ebx, 5) && bit(basic.ecx, 12)) return 4;                      // AVX2 and FMA
#endif
    return 2;
}

}  // namespace

std::size_t widest_supported() noexcept {
    static const std::size_t widest = probe_widest();
    return widest;
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
