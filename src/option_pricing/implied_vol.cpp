#include "option_pricing/implied_vol.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "common/math/lanes.hpp"
#include "common/math/vector_width.hpp"
#include "option_pricing/loops.hpp"
#include "option_pricing/normalised_black.hpp"
#include "option_pricing/vector_rows.hpp"

namespace option_pricing::implied_vol {
namespace {

using normalised::Black;
using normalised::inv_sqrt_two_pi;
using normalised::log_of;
using normalised::sqrt_of;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double log_sqrt_two_pi = 0.91893853320467274178;

// Quartic convergence: once a step is this small relative to s, the error
// left after it is far below a unit in the last place.
constexpr double last_step = 2e-4;
constexpr int max_steps = 12;
constexpr double cubic_final_max_abs_x = 32.0;

// A Householder step below series_step of s is replaced by the root of the
// objective's Taylor polynomial through d^order in the relative step
// d = ds/s, whose coefficients the evaluation at s gives in closed form:
// the step that would have needed another evaluation of b becomes the last
// one. The root is taken when the first term the series leaves out is below
// series_tolerance, far below a unit in the last place.
constexpr int order = 8;
constexpr double series_step = 2e-2;
constexpr double series_tolerance = 0x1p-60;

// |v| lane by lane (the sign bit cleared), and the larger and the smaller
// of two numbers as std::fmax and std::fmin take them (a NaN gives the
// other), over lanes.
using kelvane::elementary::detail::abs;

template <class V>
[[gnu::always_inline]] inline V larger(V a, V b) {
    if constexpr (lanes::is_scalar<V>) {
        return std::fmax(a, b);
    } else {
        return lanes::select<V>(a != a, b, lanes::select<V>(a < b, b, a));
    }
}

template <class V>
[[gnu::always_inline]] inline V smaller(V a, V b) {
    if constexpr (lanes::is_scalar<V>) {
        return std::fmin(a, b);
    } else {
        return lanes::select<V>(a != a, b, lanes::select<V>(b < a, b, a));
    }
}

// Coefficients indexed by the power of d, or the order of a derivative.
// The short loops over them are unrolled (g++ and clang both read the
// pragma): kept as loops, their sums wait on memory and their chains on
// loop control, and the Taylor step costs half an evaluation of b more.
template <class V = double>
using Series = std::array<V, order + 1>;

constexpr std::array<Series<>, order + 1> binomial = [] {
    std::array<Series<>, order + 1> c{};
    for (int n = 0; n <= order; ++n) {
        c[n][0] = 1.0;
        for (int k = 1; k <= n; ++k) c[n][k] = c[n - 1][k - 1] + (k < n ? c[n - 1][k] : 0.0);
    }
    return c;
}();

// 1/k!, the Taylor coefficients' denominators.
constexpr Series<> inverse_factorial = [] {
    Series<> f{};
    double factorial = 1.0;
    for (int k = 0; k <= order; ++k) {
        if (k > 0) factorial *= k;
        f[k] = 1.0 / factorial;
    }
    return f;
}();

// r[n] = s^n v^(n) / v for n < order, where v = b' has v'/v = q = x^2/s^3 - s/4,
// by Leibniz's rule on v' = q v:
//     r[n] = sum_k C(n-1, k) s^(k+1) q^(k) r[n-1-k],
// where s^(k+1) q^(k) is h^2 - t^2, -3 h^2 - t^2, then (-1)^k (k + 2)!/2 h^2;
// the constant factors of the terms from k = 2 on are tabled, and those
// terms summed before they are scaled by h^2.
constexpr std::array<Series<>, order> leibniz_factor = [] {
    std::array<Series<>, order> c{};
    for (int n = 1; n < order; ++n) {
        double factorial = 12.0;  // (k + 2)!/2
        for (int k = 2; k < n; ++k) {
            c[n][k] = binomial[n - 1][k] * (k % 2 == 0 ? factorial : -factorial);
            factorial *= k + 3;
        }
    }
    return c;
}();

template <class V>
[[gnu::always_inline]] inline Series<V> vega_series(V h2, V t2) {
    const V q0 = h2 - t2, q1 = -3.0 * h2 - t2;
    Series<V> r{};
    r[0] = lanes::splat<V>(1.0);
    r[1] = q0;
#pragma GCC unroll 16
    for (int n = 2; n < order; ++n) {
        V sum = lanes::splat<V>(0.0);
#pragma GCC unroll 16
        for (int k = n - 1; k >= 2; --k) sum += leibniz_factor[n][k] * r[n - 1 - k];
        // The newest term last: it alone waits for the previous r.
        r[n] = (h2 * sum + double(n - 1) * q1 * r[n - 2]) + q0 * r[n - 1];
    }
    return r;
}

// The polynomial's coefficients a[k] = s^(k-1) g^(k) / (k! g') for g = f,
// an objective whose derivatives are those of b times a constant.
template <class V>
[[gnu::always_inline]] inline Series<V> linear_taylor_terms(const Series<V>& r) {
    Series<V> a{};
#pragma GCC unroll 8
    for (int k = 2; k <= order; ++k) a[k] = r[k - 1] * inverse_factorial[k];
    return a;
}

// The same for g = ln f, given ratio = s f'/f, by Leibniz's rule on
// f' = (ln f)' f; each derivative of ln f is carried divided by ratio, so
// that none is divided at the end.
Series<> log_taylor_terms(const Series<>& r, double ratio) {
    Series<> g{}, a{};
#pragma GCC unroll 8
    for (int n = 1; n <= order; ++n) {
        double sum = 0.0;
#pragma GCC unroll 8
        for (int k = 1; k < n; ++k) sum += binomial[n - 1][k - 1] * g[k] * r[n - k - 1];
        g[n] = r[n - 1] - ratio * sum;
        a[n] = g[n] * inverse_factorial[n];
    }
    return a;
}

// The size of the first term the series leaves out at d, a[order + 1]
// d^(order + 1), from the ratios of its last three terms: the larger of the
// two bounds the next, so long as the terms shrink as they do where the
// series converges.
template <class V>
[[gnu::always_inline]] inline V first_term_left_out(const Series<V>& a, V d) {
    const V ratio = larger(abs(a[order] / a[order - 1]), abs(a[order - 1] / a[order - 2]));
    V last = a[order];
    for (int k = 0; k < order; ++k) last *= d;
    return abs(last * d) * ratio;
}

// sum_k c[k] x^k over k = 0..order by Horner's rule on the even and the odd
// terms apart, in x^2: two chains of half the length.
template <class V>
[[gnu::always_inline]] inline V polynomial(const Series<V>& c, V x) {
    const V x2 = x * x;
    V even = c[order % 2 == 0 ? order : order - 1], odd = c[order % 2 == 0 ? order - 1 : order];
#pragma GCC unroll 16
    for (int k = (order % 2 == 0 ? order : order - 1) - 2; k >= 0; k -= 2) {
        even = even * x2 + c[k];
        odd = odd * x2 + c[k + 1];
    }
    return even + x * odd;
}

// The root of d + a[2] d^2 + ... + a[order] d^order = e near the Householder
// step d, whose error is of order d^4, by steps of Chebyshev's method on the
// polynomial, each of which leaves an error of the order of the cube of its
// correction. `found` unless the series and the steps have converged there.
// Over lanes, each lane's corrections stop where a lone solve's would, and
// the lanes not found are the caller's to solve again.
template <class V>
struct Root {
    V root;
    lanes::Mask<V> found;
};

template <class V>
[[gnu::always_inline]] inline Root<V> polynomial_root(V e, V d, const Series<V>& a) {
    constexpr double last_correction = 1e-6;  // cubed, below the last place
    constexpr int max_corrections = 3;
    using L = lanes::Lanes<V>;
    // The polynomial less e, its slope and half its second derivative.
    Series<V> value{}, slope{}, half_second{};
    value[0] = -e;
    value[1] = lanes::splat<V>(1.0);
    slope[0] = lanes::splat<V>(1.0);
#pragma GCC unroll 16
    for (int k = 2; k <= order; ++k) {
        value[k] = a[k];
        slope[k - 1] = double(k) * a[k];
        half_second[k - 2] = 0.5 * k * (k - 1) * a[k];
    }
    V root = d;
    auto searching = d == d;  // a NaN step converges nowhere
    Root<V> out{d, L::both(searching, searching == false)};
    for (int i = 0; i < max_corrections && L::any(searching); ++i) {
        const V x = root;
        const V inverse_slope = 1.0 / polynomial(slope, x);
        const V correction = polynomial(value, x) * inverse_slope;
        root = x - (correction + polynomial(half_second, x) * inverse_slope * correction * correction);
        const auto settled = L::both(searching, abs(correction) <= last_correction);
        if (L::any(settled)) {
            const auto good = L::both(settled, L::both(first_term_left_out(a, x) <= series_tolerance,
                                                       abs(root - d) <= 0.25 * abs(d)));
            out.root = lanes::select<V>(good, root, out.root);
            out.found = L::either(out.found, good);
            searching = L::both(searching, settled == false);
        }
    }
    return out;
}

enum class Objective { Lower, Middle, Upper };

// b''/b' and b'''/b' at s, in closed form from b' = exp(-(h^2 + t^2)/2).
template <class V = double>
struct Curvature {
    V second, third;
};

template <class V>
[[gnu::always_inline]] inline Curvature<V> curvature(V x, V s) {
    const V inv_s = 1.0 / s;
    const V h = x * inv_s;
    const V zero = lanes::splat<V>(0.0);
    const V x2_s3 = lanes::select<V>(x == 0.0, zero, h * h * inv_s);  // at the money s may be 0
    const V x2_s4 = lanes::select<V>(x == 0.0, zero, x2_s3 * inv_s);
    const V q = x2_s3 - 0.25 * s;
    return {q, q * q - 3.0 * x2_s4 - 0.25};
}

// The Householder step of order three for g with -g/g' = newton and
// g''/g' = second, g'''/g' = third.
template <class V>
[[gnu::always_inline]] inline V householder(V newton, V second, V third) {
    return newton * (1.0 + 0.5 * second * newton) / (1.0 + newton * (second + third * newton * (1.0 / 6.0)));
}

// The step of the lower objective, 1/ln b, or of the middle one, b, from s
// given b(s) and b'(s) (see Solver::step_from), and whether it was taken on
// b below the inflexion point. Where b is within series_step of beta and
// Newton's step on it within series_step of s, b itself is as good an
// objective below the inflexion point as 1/ln b (the Taylor step follows),
// and needs no logarithm. A scalar takes one branch; a vector's lanes
// select, and skip the logarithm when none needs it.
template <class V>
struct BStep {
    V step;
    lanes::Mask<V> on_b_below_inflexion;
};

template <class V>
[[gnu::always_inline]] inline BStep<V> step_on_b_or_log_b(V x, V s, V b, V vega, V beta, V log_beta,
                                                          lanes::Mask<V> lower) {
    using L = lanes::Lanes<V>;
    const Curvature<V> c = curvature(x, s);
    const auto on_b = L::both(lower, abs(beta - b) <= series_step * smaller(beta, vega * s));
    const auto on_b_itself = L::either(lower == false, on_b);
    V on_b_step{};
    if constexpr (lanes::is_scalar<V>) {
        if (on_b_itself) return {householder((beta - b) / vega, c.second, c.third), on_b};
    } else {
        on_b_step = householder((beta - b) / vega, c.second, c.third);
        if (L::all(on_b_itself)) return {on_b_step, on_b};
    }
    const V lambda = vega / b;
    const V log_ratio = kelvane::elementary::log(b / beta);  // small near the root: taken apart from ln(beta)
    const V log_b = log_beta + log_ratio;
    const V inv_log_b = 1.0 / log_b;
    const V newton = -log_ratio * log_b / (log_beta * lambda);
    const V d2 = c.second - lambda;
    const V d3 = c.third - 3.0 * lambda * c.second + 2.0 * lambda * lambda;
    const V lambda_log = lambda * inv_log_b;
    const V on_log_b =
        householder(newton, d2 - 2.0 * lambda_log, d3 - 6.0 * lambda_log * d2 + 6.0 * lambda_log * lambda_log);
    if constexpr (lanes::is_scalar<V>) {
        return {on_log_b, on_b};
    } else {
        return {lanes::select<V>(on_b_itself, on_b_step, on_log_b), on_b};
    }
}

// ln(F/K) to a unit in its last place even near the money, where the
// rounding of F/K alone would cost 1/|ln(F/K)| units, and the vol of a
// small total vol moves with ln(F/K) unit for unit.
double log_moneyness(double fwd, double strike) {
    const double ratio = fwd / strike;
    if (ratio > 0.5 && ratio < 2.0) return normalised::log1p_of((fwd - strike) / strike);  // fwd - strike is exact
    if (ratio >= std::numeric_limits<double>::min() && ratio < infinity) return log_of(ratio);
    return log_of(fwd) - log_of(strike);  // F/K overflowed, or underflowed into the subnormals and lost its bits
}

template <class V>
[[gnu::always_inline]] inline V approximate_mills(V u) {
    constexpr double pi = 3.14159265358979323846;
    return pi / ((1.0 - pi) * u + lanes::sqrt(u * u + 2.0 * pi));
}

// The start below a quarter of s_c on the lower objective, given ln beta: b
// = exp(-(h^2 + t^2)/2) (Y(h+t) - Y(h-t)) / sqrt(2 pi) with the Mills ratio
// Y(u) replaced by pi / ((pi - 1)|u| + sqrt(u^2 + 2 pi)), exact at 0 and as
// u -> -inf and within a few per cent between, solved for u = x^2/(2 s^2)
// by fixed-point steps from the leading term. A scalar returns early where
// a vector's lane selects.
template <class V>
[[gnu::always_inline]] inline V asymptotic_lower_guess(V x, V log_beta, V s_inflexion) {
    V u = -log_beta;
    V s = -x / lanes::sqrt(2.0 * u);
    auto failed = lanes::Lanes<V>::both(u != u, u == u);
    for (int k = 0; k < 3; ++k) {
        const V h = x / s, t = 0.5 * s;
        const V mills_gap = approximate_mills(h + t) - approximate_mills(h - t);
        u = -log_beta + kelvane::elementary::log(mills_gap) - log_sqrt_two_pi - 0.5 * t * t;
        if constexpr (lanes::is_scalar<V>) {
            if (!(u > 0.0)) return 0.5 * s_inflexion;
        } else {
            failed = failed | ((u > 0.0) == false);
        }
        s = -x / lanes::sqrt(2.0 * u);
    }
    const V guess = lanes::select<V>(s < s_inflexion, s, s_inflexion);
    if constexpr (lanes::is_scalar<V>) {
        return guess;
    } else {
        return lanes::select<V>(failed, 0.5 * s_inflexion, guess);
    }
}

// a + b as a head and the tail its rounding dropped (Knuth's two-sum). These
// and the steps below that a vector of options also takes are templates over
// the lane type of common/math/lanes.hpp: at V = double they are the scalar
// steps, and each lane of a vector gets their bits.
template <class V>
struct Sum {
    V head, tail;
};

template <class V>
[[gnu::always_inline]] inline Sum<V> two_sum(V a, V b) {
    const V head = a + b;
    const V b_part = head - a;
    return {head, (a - (head - b_part)) + (b - b_part)};
}

// a * b as a head and the tail its rounding dropped, by Dekker's splitting
// into 26-bit halves whose products are exact.
template <class V>
[[gnu::always_inline]] inline Sum<V> split(V v) {
    constexpr double splitter = 134217729.0;  // 2^27 + 1
    const V scaled = splitter * v;
    const V high = scaled - (scaled - v);
    return {high, v - high};
}

template <class V>
[[gnu::always_inline]] inline Sum<V> two_product(V a, V b) {
    const V head = a * b;
    const Sum<V> as = split(a), bs = split(b);
    return {head, ((as.head * bs.head - head) + as.head * bs.tail + as.tail * bs.head) + as.tail * bs.tail};
}

// price - df (a - b) with one rounding at the end but for terms below a
// unit of the result; where the splitting overflows (beyond about 1e300)
// the plain difference is taken.
template <class V>
[[gnu::always_inline]] inline V price_less(V price, V df, V a, V b) {
    const Sum<V> gap = two_sum(a, -b);
    const Sum<V> product = two_product(df, gap.head);
    const V result = ((price - product.head) - product.tail) - df * gap.tail;
    if constexpr (lanes::is_scalar<V>) {
        return std::isfinite(result) ? result : price - df * (a - b);
    } else {
        return lanes::select<V>(lanes::finite(result), result, price - df * (a - b));
    }
}

bool is_positive_finite(double v) { return v > 0.0 && v < infinity; }

class Solver {
public:
    Solver(double x, double beta, double beta_complement)
        : black_(x), x_(x), beta_(beta), complement_(beta_complement) {}
    // The same, given exp(x/2).
    Solver(double x, double beta, double beta_complement, double exp_half_x)
        : black_(x, exp_half_x), x_(x), beta_(beta), complement_(beta_complement) {}

    double solve() {
        // The inflexion point s_c = sqrt(2|x|), where b'' = 0, splits the
        // convex lower branch from the concave upper one; at the money it is
        // s = 0, where b' = 1/sqrt(2 pi).
        const double s_inflexion = sqrt_of(-2.0 * x_);
        const double b_inflexion = black_.at_inflexion(s_inflexion);
        return solve_from(s_inflexion, b_inflexion, beta_ < b_inflexion ? log_of(beta_) : 0.0);
    }

    // The solve, given s_c, b there and ln beta (needed below s_c only).
    double solve_from(double s_inflexion, double b_inflexion, double log_beta) {
        const double vega = black_.upper() * inv_sqrt_two_pi;
        if (beta_ < b_inflexion) {
            objective_ = Objective::Lower;
            log_beta_ = log_beta;
            high_ = s_inflexion;
        } else {
            objective_ = complement_ < 0.5 * black_.upper() ? Objective::Upper : Objective::Middle;
            low_ = s_inflexion;
        }
        // The first step is from s_c, whose value is known already.
        double s = s_inflexion + step_from(s_inflexion, b_inflexion, black_.upper() - b_inflexion, vega);
        // That step is good to a few per cent down to a quarter of s_c; the
        // asymptotic guess takes over below.
        if (objective_ == Objective::Lower && !(s > 0.25 * s_inflexion)) {
            const double guess = asymptotic_lower_guess(x_, log_beta_, s_inflexion);
            if (guess < 0.25 * s_inflexion || !(s > 0.0)) s = guess;
        }
        if (objective_ == Objective::Upper) {
            const double guess = upper_guess();
            if (guess > s_inflexion) s = guess;
        }
        return iterate(s);
    }

private:
    // exp(x/2) - b ~ exp(-(h^2 + t^2)/2) 2t / ((t^2 - h^2) sqrt(2 pi)) as s
    // grows, solved for t^2/2 by fixed-point steps from the leading term.
    double upper_guess() const {
        const double log_complement = log_of(complement_);
        double w = -log_complement;
        double s = 0.0;
        for (int k = 0; k < 3; ++k) {
            if (!(w > 0.0)) return 0.0;
            const double t = sqrt_of(2.0 * w);
            const double h = x_ / (2.0 * t);
            const double spread = t * t - h * h;
            if (!(spread > 0.0)) return 0.0;
            s = 2.0 * t;
            w = -log_complement - 0.5 * h * h - log_sqrt_two_pi + log_of(2.0 * t / spread);
        }
        return s;
    }

    double iterate(double s) {
        for (int k = 0; k < max_steps; ++k) {
            if (!(s > 0.0 && s >= low_ && s <= high_)) s = fallback();
            const double step = step_at(s);
            const double next = s + step;
            // The cubic step alone is final only on the objectives chosen for
            // their small higher derivatives, and only near enough the money:
            // those derivatives grow with h^2 = (x/s)^2, and far from it
            // (|x| beyond cubic_final_max_abs_x) the error after a step of
            // last_step can reach a thousand units in the last place.
            const bool cubic_is_final = !step_on_b_below_inflexion_ && -x_ <= cubic_final_max_abs_x;
            if ((std::fabs(step) <= last_step * s && cubic_is_final) || next == s) return next;
            if (std::fabs(step) <= series_step * s) {
                if (const std::optional<double> root = series_step_at(s, step / s)) return s + s * *root;
            }
            s = next;
        }
        // No input of the tests' sweeps, subnormal prices and |x| up to
        // 1450 included, gets here; should one, an unconverged s is no
        // answer.
        return nan;
    }

    // A point inside the bracket when a step leaves it.
    double fallback() const { return high_ < infinity ? 0.5 * (low_ + high_) : std::fmax(2.0 * low_, 1.0); }

    // The step from s, after narrowing the bracket by the sign of b(s) - beta.
    double step_at(double s) {
        if (objective_ == Objective::Upper) {
            vega_ = normalised::black_vega(x_, s);
            complement_at_ = black_.complement(s);
            narrow(s, complement_at_ < complement_);
            return step_from(s, 0.0, complement_at_, vega_);
        }
        const Black::WithVega evaluation = black_.value_and_vega(s);
        b_ = evaluation.value;
        vega_ = evaluation.vega;
        narrow(s, b_ > beta_);
        return step_from(s, b_, 0.0, vega_);
    }

    // The root of the Taylor polynomial in d of b itself (the lower and
    // middle objectives: within series_step of the root b is as good an
    // objective as 1/ln b, and its series is the simplest) or of
    // ln(exp(x/2) - b) (the upper one) at the s just evaluated, from the
    // Householder step d.
    std::optional<double> series_step_at(double s, double d) const {
        const double h = x_ / s, t = 0.5 * s;
        const Series<> r = vega_series(h * h, t * t);
        Root<double> root;
        if (objective_ == Objective::Upper) {
            const double ratio = -vega_ * s / complement_at_;
            root = polynomial_root(-log_of(complement_at_ / complement_) / ratio, d, log_taylor_terms(r, ratio));
        } else {
            root = polynomial_root((beta_ - b_) / (vega_ * s), d, linear_taylor_terms(r));
        }
        if (!root.found) return std::nullopt;
        return root.root;
    }

    // The step of the objective from s, given b(s) (the lower and middle
    // objectives) or exp(x/2) - b(s) (the upper one) and b'(s).
    double step_from(double s, double b, double complement, double vega) {
        if (objective_ == Objective::Upper) {
            const auto c = curvature(x_, s);
            const double mu = -vega / complement;
            const double newton = -log_of(complement / complement_) / mu;
            return householder(newton, c.second - mu, c.third - 3.0 * mu * c.second + 2.0 * mu * mu);
        }
        const BStep<double> next =
            step_on_b_or_log_b(x_, s, b, vega, beta_, log_beta_, objective_ == Objective::Lower);
        step_on_b_below_inflexion_ = next.on_b_below_inflexion;
        return next.step;
    }

    void narrow(double s, bool above) {
        if (above) {
            if (s < high_) high_ = s;
        } else if (s > low_) {
            low_ = s;
        }
    }

    Black black_;
    double x_, beta_, complement_;
    double log_beta_ = 0.0;
    // The last evaluation: b or exp(x/2) - b, and b'.
    double b_ = 0.0, complement_at_ = 0.0, vega_ = 0.0;
    bool step_on_b_below_inflexion_ = false;
    double low_ = 0.0, high_ = infinity;
    Objective objective_ = Objective::Middle;
};

}  // namespace

double normalised_implied_total_vol(double x, double beta, double beta_complement) {
    return Solver(x, beta, beta_complement).solve();
}

// Never inlined: the loops over vectors call this body for the options they
// leave to it.
[[gnu::noinline]] double black76_implied_vol(OptionType type, double ttx, double fwd, double strike, double price,
                                             double df) {
    if (!(is_positive_finite(ttx) && is_positive_finite(fwd) && is_positive_finite(strike) &&
          is_positive_finite(df))) {
        return nan;
    }
    const bool call = type == OptionType::Call;
    const double intrinsic = df * (call ? fwd - strike : strike - fwd);
    const double lower = std::fmax(intrinsic, 0.0);
    const double upper = df * (call ? fwd : strike);
    if (!(price >= lower && price <= upper)) return nan;  // NaN too
    if (price == lower) return 0.0;
    if (price == upper) return infinity;
    // The out-of-the-money option of the pair, by parity; a put at x is the
    // call at -x once both are divided by D sqrt(F K). Its value and the
    // distance to the upper bound are differences of the price and D F,
    // D K or D (F - K), taken without rounding those products first: deep
    // in the money the time value can be a few units of the price, and the
    // rounding of D (F - K) alone would be all of it.
    const double out_of_money =
        intrinsic > 0.0 ? (call ? price_less(price, df, fwd, strike) : price_less(price, df, strike, fwd)) : price;
    const double to_upper = -price_less(price, df, call ? fwd : strike, 0.0);
    const double scale = df * sqrt_of(fwd) * sqrt_of(strike);
    const double beta = out_of_money / scale;
    const double beta_complement = to_upper / scale;
    if (!(beta > 0.0)) return 0.0;
    if (!(beta_complement > 0.0)) return infinity;
    const double x = -std::fabs(log_moneyness(fwd, strike));
    return normalised_implied_total_vol(x, beta, beta_complement) / sqrt_of(ttx);
}

namespace {

// A vector of options up to the solve's first step, each lane as
// black76_implied_vol and Solver::solve take it: the screening, the
// normalised price and its complement, x, exp(x/2), s_c, b(s_c) and ln beta
// are straight-line work, done here on the vector unit. `ordinary` marks the
// lanes whose solve goes on from here; the others (a price at or beyond a
// bound, an argument that is not a positive finite number, F/K out of the
// normal range, s_c past the reach of its one erfc) are left to
// black76_implied_vol.
template <class V>
struct Start {
    V x, beta, beta_complement, exp_half_x, s_inflexion, b_inflexion, log_beta;
    lanes::Mask<V> ordinary;
};

template <class V>
[[gnu::always_inline]] inline lanes::Mask<V> positive_finite(V v) {
    return (v > 0.0) & (v < infinity);
}

template <class V>
[[gnu::always_inline]] inline Start<V> start_of(lanes::Mask<V> call, V ttx, V fwd, V strike, V price, V df) {
    using lanes::select;
    const V zero = lanes::splat<V>(0.0);
    Start<V> st;
    const V intrinsic = df * select<V>(call, fwd - strike, strike - fwd);
    const auto in_the_money = intrinsic > 0.0;
    const V lower = select<V>(in_the_money, intrinsic, zero);
    const V near = select<V>(call, fwd, strike), far = select<V>(call, strike, fwd);
    const V upper = df * near;
    const V out_of_money = select<V>(in_the_money, price_less<V>(price, df, near, far), price);
    const V to_upper = -price_less<V>(price, df, near, zero);
    const V scale = df * lanes::sqrt(fwd) * lanes::sqrt(strike);
    st.beta = out_of_money / scale;
    st.beta_complement = to_upper / scale;
    const V ratio = fwd / strike;
    const auto near_money = (ratio > 0.5) & (ratio < 2.0);
    const V log_ratio =
        select<V>(near_money, normalised::log1p_of<V>((fwd - strike) / strike), kelvane::elementary::log(ratio));
    st.x = -kelvane::elementary::detail::abs(log_ratio);
    st.exp_half_x = kelvane::elementary::exp(0.5 * st.x);
    st.s_inflexion = lanes::sqrt(-2.0 * st.x);
    st.b_inflexion = normalised::at_inflexion_in_range<V>(st.exp_half_x, 1.0 / st.exp_half_x, st.s_inflexion);
    st.log_beta = kelvane::elementary::log(st.beta);
    const auto ratio_is_normal = (ratio >= std::numeric_limits<double>::min()) & (ratio < infinity);
    st.ordinary = positive_finite(ttx) & positive_finite(fwd) & positive_finite(strike) & positive_finite(df) &
                  (price > lower) & (price < upper) & (st.beta > 0.0) & (st.beta_complement > 0.0) &
                  (near_money | ratio_is_normal) & (-st.s_inflexion >= normalised::tail_from);
    return st;
}

// The solve over a vector of options in lockstep, for the lanes on the
// lower and middle objectives (most of a book): the first step from s_c,
// then each round one evaluation of b and b' per lane, the bracket narrowed
// and the step taken as Solver::iterate takes them, a lane leaving the
// round once its cubic step or the root of its Taylor polynomial ends its
// solve. `done` marks the lanes solved here, `s` holding their total vol;
// the others (the upper objective, and any the steps do not end) are solved
// again one by one from their start, which gives them the scalar's bits.
template <class V>
struct Lockstep {
    V s;
    lanes::Mask<V> done;
};

template <class V>
[[gnu::always_inline]] inline Lockstep<V> lockstep_solve(const Start<V>& st) {
    using L = lanes::Lanes<V>;
    using lanes::select;
    const auto lower = st.beta < st.b_inflexion;
    const auto upper = L::both(lower == false, st.beta_complement < 0.5 * st.exp_half_x);
    const V vega_inflexion = st.exp_half_x * inv_sqrt_two_pi;
    V s = st.s_inflexion + step_on_b_or_log_b<V>(st.x, st.s_inflexion, st.b_inflexion, vega_inflexion, st.beta,
                                                 st.log_beta, lower)
                               .step;
    V low = select<V>(lower, lanes::splat<V>(0.0), st.s_inflexion);
    V high = select<V>(lower, st.s_inflexion, lanes::splat<V>(infinity));
    // That step is good to a few per cent down to a quarter of s_c; the
    // asymptotic guess takes over below.
    const auto guessed = L::both(lower, (s > 0.25 * st.s_inflexion) == false);
    if (L::any(L::both(st.ordinary, guessed))) {
        const V guess = asymptotic_lower_guess(st.x, st.log_beta, st.s_inflexion);
        const auto taken = L::both(guessed, L::either(guess < 0.25 * st.s_inflexion, (s > 0.0) == false));
        s = select<V>(taken, guess, s);
    }
    auto active = L::both(st.ordinary, upper == false);
    Lockstep<V> out{s, active != active};
    for (int k = 0; k < max_steps && L::any(active); ++k) {
        const auto inside = L::both(s > 0.0, L::both(s >= low, s <= high));
        const V fallback = select<V>(high < infinity, 0.5 * (low + high), larger(2.0 * low, lanes::splat<V>(1.0)));
        s = select<V>(inside, s, fallback);
        // The other lanes evaluate at an ordinary point, and their results go.
        const V x = select<V>(active, st.x, lanes::splat<V>(-1.0));
        s = select<V>(active, s, lanes::splat<V>(1.0));
        const normalised::ValueAndVega<V> at = normalised::value_and_vega_lanes<V>(x, st.exp_half_x, s);
        const auto above = at.value > st.beta;
        high = select<V>(L::both(above, s < high), s, high);
        low = select<V>(L::both(above == false, s > low), s, low);
        const BStep<V> next = step_on_b_or_log_b<V>(x, s, at.value, at.vega, st.beta, st.log_beta, lower);
        const V stepped = s + next.step;
        const auto cubic_is_final = L::both(next.on_b_below_inflexion == false, -x <= cubic_final_max_abs_x);
        auto ends = L::either(L::both(abs(next.step) <= last_step * s, cubic_is_final), stepped == s);
        const auto series_ends = L::both(ends == false, abs(next.step) <= series_step * s);
        V result = stepped;
        if (L::any(L::both(active, series_ends))) {
            const V h = x / s, t = 0.5 * s;
            const Root<V> root = polynomial_root<V>((st.beta - at.value) / (at.vega * s), next.step / s,
                                                          linear_taylor_terms(vega_series(h * h, t * t)));
            result = select<V>(ends, stepped, s + s * root.root);
            ends = L::either(ends, L::both(series_ends, root.found));
        }
        const auto finishing = L::both(active, ends);
        out.s = select<V>(finishing, result, out.s);
        out.done = L::either(out.done, finishing);
        active = L::both(active, ends == false);
        s = stepped;
    }
    return out;
}

struct ImpliedVol {
    static double scalar(OptionType type, double ttx, double fwd, double strike, double price, double df) {
        return black76_implied_vol(type, ttx, fwd, strike, price, df);
    }

    template <class V>
    [[gnu::always_inline]] static V of(lanes::Mask<V> call, V ttx, V fwd, V strike, V price, V df) {
        const Start<V> st = start_of<V>(call, ttx, fwd, strike, price, df);
        const Lockstep<V> round = lockstep_solve(st);
        V vol = round.s / lanes::sqrt(ttx);
        for (std::size_t l = 0; l < lanes::Lanes<V>::count; ++l) {
            if (round.done[l] != 0) continue;
            if (st.ordinary[l] != 0) {
                Solver solver(st.x[l], st.beta[l], st.beta_complement[l], st.exp_half_x[l]);
                vol[l] = solver.solve_from(st.s_inflexion[l], st.b_inflexion[l], st.log_beta[l]) / sqrt_of(ttx[l]);
            } else {
                const OptionType type = call[l] != 0 ? OptionType::Call : OptionType::Put;
                vol[l] = scalar(type, ttx[l], fwd[l], strike[l], price[l], df[l]);
            }
        }
        return vol;
    }
};

}  // namespace

void black76_implied_vol_row_at(std::size_t width, std::size_t count, Row<std::uint8_t> types, Row<double> ttx,
                                Row<double> fwd, Row<double> strike, Row<double> price, Row<double> df,
                                OutRow out) noexcept {
    // The loop's operands are named for pricing: in their order, these.
    lanes::option_row_at<ImpliedVol>(width, count, {types, ttx, fwd, strike, price, df, out});
}

}  // namespace option_pricing::implied_vol
