// The Python functions of option pricing: argument binding and conversion
// around the pricing formulas, nothing else.
#include "python/pricing_functions.hpp"

#include "option_pricing/b76.hpp"
#include "option_pricing/binary.hpp"
#include "option_pricing/iv_calibration.hpp"
#include "python/binding.hpp"

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

constexpr char b76_fairvalue_name[] = "b76_fairvalue";
constexpr char b76_delta_name[] = "b76_delta";
constexpr char b76_vega_name[] = "b76_vega";
constexpr char b76_gamma_name[] = "b76_gamma";
constexpr char binary_fairvalue_name[] = "binary_fairvalue";
constexpr char binary_vega_name[] = "binary_vega";
constexpr char binary_delta_name[] = "binary_delta";
constexpr char binary_gamma_name[] = "binary_gamma";
constexpr char binary_speed_name[] = "binary_speed";
constexpr char binary_theta_name[] = "binary_theta";
constexpr char calibrate_name[] = "calibrate_black76_iv";

// Module functions are static: they receive no self, and __self__ is None.
template <FastCallWithKeywords F>
PyMethodDef def(const char* name, const char* doc) {
    return fastcall_def<F>(name, doc, METH_STATIC);
}

// Registry order.
PyMethodDef definitions[] = {
    def<option_function<b76_fairvalue_name, option_params, b76::fairvalue>>(
        b76_fairvalue_name, "b76_fairvalue(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<b76_delta_name, option_params, b76::delta>>(
        b76_delta_name, "b76_delta(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<plain_function<b76_vega_name, b76::vega>>(
        b76_vega_name, "b76_vega(fwd, strike, ttx, vol, df=1.0)\n--\n\n"),
    def<plain_function<b76_gamma_name, b76::gamma>>(
        b76_gamma_name, "b76_gamma(fwd, strike, ttx, vol, df=1.0)\n--\n\n"),
    def<option_function<binary_fairvalue_name, option_params, binary::fairvalue>>(
        binary_fairvalue_name, "binary_fairvalue(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<binary_vega_name, option_params, binary::vega>>(
        binary_vega_name, "binary_vega(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<binary_delta_name, option_params, binary::delta>>(
        binary_delta_name, "binary_delta(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<binary_gamma_name, option_params, binary::gamma>>(
        binary_gamma_name, "binary_gamma(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<binary_speed_name, option_params, binary::speed>>(
        binary_speed_name, "binary_speed(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<binary_theta_name, option_params, binary::theta>>(
        binary_theta_name, "binary_theta(fwd, strike, ttx, vol, call_put, df=1.0)\n--\n\n"),
    def<option_function<calibrate_name, calibration_params,
                    option_pricing::iv_calibration::calibrate_black76_iv>>(
        calibrate_name,
        "calibrate_black76_iv(ttx, fwd, strike, price, call_put, df=1.0)\n--\n\n"),
};

}  // namespace

std::span<PyMethodDef> pricing_functions() { return definitions; }

}  // namespace kelvane::py
