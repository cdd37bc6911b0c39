// The elementary functions over arrays, for the accuracy check against MPFR
// (tests/elementary/accuracy.py loads this library with ctypes). A test
// build only: the extension modules export nothing of it. Each function
// comes twice: lane by lane as a double, and two lanes at a time as a
// vector, which must give the same bits.
#include <cstddef>

#include "common/math/elementary.hpp"

namespace {

namespace el = kelvane::elementary;

template <class Scalar, class Pair>
void apply(Scalar scalar, Pair pair, const double* x, double* y, std::size_t n, bool lanes) {
    std::size_t i = 0;
    if (lanes) {
        for (; i + 2 <= n; i += 2) {
            const el::double2 v = pair(el::double2{x[i], x[i + 1]});
            y[i] = v[0];
            y[i + 1] = v[1];
        }
    }
    for (; i < n; ++i) y[i] = scalar(x[i]);
}

}  // namespace

extern "C" {
#define KELVANE_PROBE_EXPORT __attribute__((visibility("default")))

KELVANE_PROBE_EXPORT void kelvane_probe_exp(const double* x, double* y, std::size_t n, int lanes) {
    apply(el::exp<double>, el::exp<el::double2>, x, y, n, lanes != 0);
}
KELVANE_PROBE_EXPORT void kelvane_probe_log(const double* x, double* y, std::size_t n, int lanes) {
    apply(el::log<double>, el::log<el::double2>, x, y, n, lanes != 0);
}
KELVANE_PROBE_EXPORT void kelvane_probe_tanh(const double* x, double* y, std::size_t n, int lanes) {
    apply(el::tanh<double>, el::tanh<el::double2>, x, y, n, lanes != 0);
}
KELVANE_PROBE_EXPORT void kelvane_probe_erfc(const double* x, double* y, std::size_t n, int lanes) {
    apply(el::erfc<double>, el::erfc<el::double2>, x, y, n, lanes != 0);
}
KELVANE_PROBE_EXPORT void kelvane_probe_erfcx(const double* x, double* y, std::size_t n, int lanes) {
    apply(el::erfcx<double>, el::erfcx<el::double2>, x, y, n, lanes != 0);
}
}
