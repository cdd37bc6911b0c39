// The pricing formulas over rows of strided arrays: element i of the output
// is the formula at element i of each input, the very function the scalar
// call runs, so every element has its bits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/math/vector_width.hpp"
#include "common/strided.hpp"
#include "option_pricing/option_type.hpp"

namespace option_pricing {

// Option types travel as one byte each: 0 a call, anything else a put.
inline constexpr std::uint8_t call_code = 0;
inline constexpr std::uint8_t put_code = 1;

inline OptionType option_type_of(std::uint8_t code) noexcept {
    return code == call_code ? OptionType::Call : OptionType::Put;
}

using OptionFormula = double (*)(OptionType, double, double, double, double, double);
using PlainFormula = double (*)(double, double, double, double, double);

template <class T>
using Row = kelvane::strided::Row<T>;
using OutRow = kelvane::strided::OutRow<double>;

// out[i] = Formula(types[i], a[i], b[i], c[i], d[i], df[i]).
template <OptionFormula Formula>
void option_row(std::size_t count, Row<std::uint8_t> types, Row<double> a, Row<double> b,
                Row<double> c, Row<double> d, Row<double> df, OutRow out) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        out.set(i, Formula(option_type_of(types[i]), a[i], b[i], c[i], d[i], df[i]));
    }
}

// out[i] = Formula(a[i], b[i], c[i], d[i], df[i]): the greeks that calls and
// puts share.
template <PlainFormula Formula>
void plain_row(std::size_t count, Row<double> a, Row<double> b, Row<double> c, Row<double> d,
               Row<double> df, OutRow out) noexcept {
    for (std::size_t i = 0; i < count; ++i) out.set(i, Formula(a[i], b[i], c[i], d[i], df[i]));
}

// A row loop of either kind: option_row<F> and plain_row<F>, or a formula's
// own loop over vectors at the machine's width (at_machine_width below), which
// the array entries call in their place.
using OptionRowLoop = void (*)(std::size_t, Row<std::uint8_t>, Row<double>, Row<double>, Row<double>, Row<double>,
                               Row<double>, OutRow) noexcept;
using PlainRowLoop = void (*)(std::size_t, Row<double>, Row<double>, Row<double>, Row<double>, Row<double>,
                              OutRow) noexcept;

// A formula's loop over vectors of a given width (b76::fairvalue_row_at,
// say) at the width of the machine's unit (common/math/vector_width.hpp):
// what the array entries run.
using OptionRowAt = void (*)(std::size_t width, std::size_t, Row<std::uint8_t>, Row<double>, Row<double>,
                             Row<double>, Row<double>, Row<double>, OutRow) noexcept;
using PlainRowAt = void (*)(std::size_t width, std::size_t, Row<double>, Row<double>, Row<double>, Row<double>,
                            Row<double>, OutRow) noexcept;

template <OptionRowAt RowAt>
void at_machine_width(std::size_t count, Row<std::uint8_t> types, Row<double> a, Row<double> b, Row<double> c,
                      Row<double> d, Row<double> df, OutRow out) noexcept {
    RowAt(kelvane::vectors::width(), count, types, a, b, c, d, df, out);
}

template <PlainRowAt RowAt>
void at_machine_width(std::size_t count, Row<double> a, Row<double> b, Row<double> c, Row<double> d,
                      Row<double> df, OutRow out) noexcept {
    RowAt(kelvane::vectors::width(), count, a, b, c, d, df, out);
}

}  // namespace option_pricing
