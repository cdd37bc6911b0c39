// The standard normal density and distribution shared by the Black-76 and
// binary formulas, through the library's own exp and erfc, so that their
// bits do not depend on the machine's C library. Templates over the lane
// type of common/math/elementary.hpp: a vector's lanes get the scalar bits.
#pragma once

#include "common/math/elementary.hpp"

namespace option_pricing {

// The double nearest to sqrt(2*pi). Computing sqrt(2.0 * M_PI) in double
// arithmetic gives 2.5066282746310002, one unit in the last place lower; the
// published values of the library are made with this constant.
inline constexpr double sqrt_two_pi = 2.5066282746310007;
inline constexpr double sqrt_two = 1.4142135623730951;

template <class V>
[[gnu::always_inline]] inline V normal_pdf(V x) { return kelvane::elementary::exp(x * (x * -0.5)) / sqrt_two_pi; }

// Through erfc, so that the far tails keep their relative accuracy (1 - N
// would cancel); N(NaN) is NaN, N(+inf) = 1, N(-inf) = 0. In two steps,
// erfc's argument and then erfc, which a loop may take apart.
template <class V>
[[gnu::always_inline]] inline V normal_cdf_argument(V x) { return -x / sqrt_two; }
template <class V>
[[gnu::always_inline]] inline V normal_cdf_of_argument(V a) { return 0.5 * kelvane::elementary::erfc(a); }
template <class V>
[[gnu::always_inline]] inline V normal_cdf(V x) { return normal_cdf_of_argument(normal_cdf_argument(x)); }

}  // namespace option_pricing
