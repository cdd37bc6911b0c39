// Black-76 value and sensitivities of European options on a forward.
//
// Numeric policy: inputs are not validated. T <= 0 or vol <= 0 is the
// degenerate expiry: the value is the discounted intrinsic value and every
// sensitivity is +0.0. A NaN T or vol is not degenerate and propagates NaN
// through the formulas; non-positive or non-finite forwards and strikes flow
// through the logarithm as IEEE arithmetic. Nothing here fails.
//
// The evaluation orders below are part of the results: they are written as
// the published reference values were computed, so do not regroup them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/strided.hpp"
#include "option_pricing/option_type.hpp"

namespace option_pricing::b76 {

double fairvalue(OptionType type, double fwd, double strike, double ttx, double vol, double df);

// out[i] = fairvalue(types[i], fwd[i], ...) over a row of options (types
// are codes: 0 a call, anything else a put), a vector of options at a time
// on the machine's unit (common/math/vector_width.hpp), each element with
// the bits of fairvalue. fairvalue_row_at runs the loop of a given width
// (2, 4 or 8 doubles; one that vectors::widest_supported() allows).
void fairvalue_row_at(std::size_t width, std::size_t count, kelvane::strided::Row<std::uint8_t> types,
                      kelvane::strided::Row<double> fwd, kelvane::strided::Row<double> strike,
                      kelvane::strided::Row<double> ttx, kelvane::strided::Row<double> vol,
                      kelvane::strided::Row<double> df, kelvane::strided::OutRow<double> out) noexcept;

// fairvalue as a function of vol alone, for a solver that values one option
// at many volatilities: ln(F/K) and sqrt(T) are taken once, and every value
// is bit for bit the one fairvalue gives.
class ValueAtVol {
public:
    ValueAtVol(OptionType type, double fwd, double strike, double ttx, double df);
    double operator()(double vol) const;

private:
    OptionType type_;
    double fwd_, strike_, ttx_, df_;
    double log_moneyness_, sqrt_ttx_;
};
double vega(double fwd, double strike, double ttx, double vol, double df);
double gamma(double fwd, double strike, double ttx, double vol, double df);

// D * phi(d1) / (F * vol * sqrt(T)) signed by the option type: the library's
// delta, which is not the textbook D * N(d1).
double delta(OptionType type, double fwd, double strike, double ttx, double vol, double df);

// Their row loops over vectors, as fairvalue_row_at.
void vega_row_at(std::size_t width, std::size_t count, kelvane::strided::Row<double> fwd,
                 kelvane::strided::Row<double> strike, kelvane::strided::Row<double> ttx,
                 kelvane::strided::Row<double> vol, kelvane::strided::Row<double> df,
                 kelvane::strided::OutRow<double> out) noexcept;
void gamma_row_at(std::size_t width, std::size_t count, kelvane::strided::Row<double> fwd,
                  kelvane::strided::Row<double> strike, kelvane::strided::Row<double> ttx,
                  kelvane::strided::Row<double> vol, kelvane::strided::Row<double> df,
                  kelvane::strided::OutRow<double> out) noexcept;
void delta_row_at(std::size_t width, std::size_t count, kelvane::strided::Row<std::uint8_t> types,
                  kelvane::strided::Row<double> fwd, kelvane::strided::Row<double> strike,
                  kelvane::strided::Row<double> ttx, kelvane::strided::Row<double> vol,
                  kelvane::strided::Row<double> df, kelvane::strided::OutRow<double> out) noexcept;

}  // namespace option_pricing::b76
