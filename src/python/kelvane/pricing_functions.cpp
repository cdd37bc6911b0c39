// The Python functions of option pricing: argument binding and conversion
// around the pricing formulas, nothing else.
#include "python/kelvane/pricing_functions.hpp"

#include "option_pricing/b76.hpp"
#include "option_pricing/binary.hpp"
#include "option_pricing/iv_calibration.hpp"
#include "python/shared/binding.hpp"
#include "python/shared/pricing_names.hpp"

namespace kelvane::py {
namespace {

using option_pricing::OptionType;
namespace b76 = option_pricing::b76;
namespace binary = option_pricing::binary;

constexpr const char* option_params[] = {"fwd", "strike", "ttx", "vol", "call_put", "df"};
constexpr const char* plain_params[] = {"fwd", "strike", "ttx", "vol", "df"};
constexpr const char* calibration_params[] = {"ttx", "fwd", "strike", "price", "call_put", "df"};

using OptionFormula = double (*)(OptionType, double, double, double, double, double);
using PlainFormula = double (*)(double, double, double, double, double);

// Four numbers, call_put, then df=1.0, passed to the formula in signature
// order: (fwd, strike, ttx, vol, ...) for the pricing formulas, (ttx, fwd,
// strike, price, ...) for the solver. The option type is parsed once every
// argument has converted.
template <const char* Name, const auto& Params, OptionFormula Formula>
PyObject* option_function(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature sig{nullptr, Name, Params, 5};
    BoundArgs<6> bound;
    double a, b, c, d, df = 1.0;
    OptionTypeText call_put;
    OptionType type;
    if (!bind(sig, args, nargs, kwnames, bound) || !convert_args(sig, bound, a, b, c, d, call_put, df) ||
        !parse_option_type(call_put, type)) {
        return nullptr;
    }
    return to_python(Formula(type, a, b, c, d, df));
}

// (fwd, strike, ttx, vol, df=1.0): the greeks that are the same for calls
// and puts.
template <const char* Name, PlainFormula Formula>
PyObject* plain_function(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature sig{nullptr, Name, plain_params, 4};
    BoundArgs<5> bound;
    double fwd, strike, ttx, vol, df = 1.0;
    if (!bind(sig, args, nargs, kwnames, bound) ||
        !convert_args(sig, bound, fwd, strike, ttx, vol, df)) {
        return nullptr;
    }
    return to_python(Formula(fwd, strike, ttx, vol, df));
}


// Module functions are static: they receive no self, and __self__ is None.
template <FastCallWithKeywords F>
PyMethodDef def(const char* name, const char* doc) {
    return fastcall_def<F>(name, doc, METH_STATIC);
}

// Registry order.
PyMethodDef definitions[] = {
    def<option_function<names::b76_fairvalue, option_params, b76::fairvalue>>(
        names::b76_fairvalue, "b76_fairvalue(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<names::b76_delta, option_params, b76::delta>>(
        names::b76_delta, "b76_delta(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<plain_function<names::b76_vega, b76::vega>>(
        names::b76_vega, "b76_vega(fwd, strike, ttx, vol, df=1.0)\n--\n\n"),
    def<plain_function<names::b76_gamma, b76::gamma>>(
        names::b76_gamma, "b76_gamma(fwd, strike, ttx, vol, df=1.0)\n--\n\n"),
    def<option_function<names::binary_fairvalue, option_params, binary::fairvalue>>(
        names::binary_fairvalue, "binary_fairvalue(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<names::binary_vega, option_params, binary::vega>>(
        names::binary_vega, "binary_vega(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<names::binary_delta, option_params, binary::delta>>(
        names::binary_delta, "binary_delta(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<names::binary_gamma, option_params, binary::gamma>>(
        names::binary_gamma, "binary_gamma(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<names::binary_speed, option_params, binary::speed>>(
        names::binary_speed, "binary_speed(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<names::binary_theta, option_params, binary::theta>>(
        names::binary_theta, "binary_theta(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<names::calibrate_black76_iv, calibration_params,
                    option_pricing::iv_calibration::calibrate_black76_iv>>(
        names::calibrate_black76_iv,
        "calibrate_black76_iv(ttx, fwd, strike, price, call_put, df=1.0)\n--\n\n"),
};

}  // namespace

std::span<PyMethodDef> pricing_functions() { return definitions; }

}  // namespace kelvane::py
