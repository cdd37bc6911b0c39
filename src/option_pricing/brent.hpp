// Brent's root finder (bracketing with inverse quadratic interpolation,
// secant and bisection steps), in the exact form whose iterates the
// implied-volatility solver promises.
#pragma once

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "common/error.hpp"

namespace option_pricing {

// An interval with the objective evaluated at both ends.
struct Bracket {
    double lower, f_lower, upper, f_upper;
};

namespace detail {

inline std::string shortest(double x) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, res.ptr);
}

// b is the best estimate, c the other end of the bracket, a the previous b;
// d is the current step and e the one before it.
struct BrentState {
    double a, b, c, fa, fb, fc, d, e;
};

// The interpolation step (secant or inverse quadratic), or a bisection when
// the interpolated point would not shrink the bracket fast enough.
inline void choose_step(BrentState& st, double tol1, double xm) {
    if (std::fabs(st.e) >= tol1 && std::fabs(st.fa) > std::fabs(st.fb)) {
        const double s = st.fb / st.fa;
        double p, q;
        if (st.a == st.c) {
            p = 2.0 * xm * s;
            q = 1.0 - s;
        } else {
            q = st.fa / st.fc;
            const double r = st.fb / st.fc;
            p = s * (2.0 * xm * q * (q - r) - (st.b - st.a) * (r - 1.0));
            q = (q - 1.0) * (r - 1.0) * (s - 1.0);
        }
        if (p > 0.0) q = -q;
        p = std::fabs(p);
        if (2.0 * p < 3.0 * xm * q - std::fabs(tol1 * q) && p < std::fabs(0.5 * st.e * q)) {
            st.e = st.d;
            st.d = p / q;
            return;
        }
    }
    st.d = xm;
    st.e = st.d;
}

}  // namespace detail

// Fails with "Root not bracketed: f(lower) = .., f(upper) = .." when the
// objective has the same strict sign at both ends. After max_evaluations
// evaluations inside the loop the last iterate is returned without a
// convergence test: the caller gets an answer in bounded time.
template <class Objective>
kelvane::Result<double> brent_root(Objective&& f, const Bracket& bracket, double tolerance,
                                   int max_evaluations) {
    constexpr double two_epsilon = 2.0 * std::numeric_limits<double>::epsilon();
    if (bracket.f_lower * bracket.f_upper > 0.0) {
        return kelvane::fail("Root not bracketed: f(" + detail::shortest(bracket.lower) + ") = " +
                             detail::shortest(bracket.f_lower) + ", f(" +
                             detail::shortest(bracket.upper) + ") = " +
                             detail::shortest(bracket.f_upper));
    }
    detail::BrentState st{};
    st.a = st.c = bracket.lower;
    st.fa = st.fc = bracket.f_lower;
    st.b = bracket.upper;
    st.fb = bracket.f_upper;
    st.d = st.e = bracket.upper - bracket.lower;
    const double half_tolerance = 0.5 * tolerance;
    for (int evaluations = 1;; ++evaluations) {
        if (st.fb * st.fc > 0.0) {
            st.c = st.a;
            st.fc = st.fa;
            st.d = st.e = st.b - st.a;
        }
        if (std::fabs(st.fc) < std::fabs(st.fb)) {
            st.a = st.b;
            st.b = st.c;
            st.c = st.a;
            st.fa = st.fb;
            st.fb = st.fc;
            st.fc = st.fa;
        }
        const double tol1 = std::fabs(st.b) * two_epsilon + half_tolerance;
        const double xm = 0.5 * (st.c - st.b);
        if (std::fabs(xm) <= tol1 || st.fb == 0.0) return st.b;
        detail::choose_step(st, tol1, xm);
        st.a = st.b;
        st.fa = st.fb;
        st.b += std::fabs(st.d) > tol1 ? st.d : std::copysign(tol1, xm);
        st.fb = f(st.b);
        if (evaluations == max_evaluations) return st.b;
    }
}

}  // namespace option_pricing
