// Argument binding for every function, method and constructor.
//
// A call is handled in two phases: binding matches positional and keyword
// arguments to the parameter names (binding errors come first, before any
// conversion); converting then turns each bound argument into its plain
// value strictly in signature order, stopping at the first failure.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <utility>

#include "python/shared/conversions.hpp"
#include "python/shared/errors.hpp"

namespace kelvane::py {

struct Signature {
    const char* owner;  // the class of a method or constructor, null for a function
    const char* name;   // shown as "b76_fairvalue()", "GVVSpline.get_vol()", "Calendar.__new__()"
    std::span<const char* const> params;
    std::size_t required;            // the leading parameters without a default
    bool collects_keywords = false;  // keywords other than the parameters go to a dict
};

// A signature whose parameters are all required.
constexpr Signature required_params(const char* owner, const char* name,
                                    std::span<const char* const> params) {
    return {owner, name, params, params.size()};
}

// The bound arguments of one call: borrowed references, null for an optional
// parameter that was not passed.
template <std::size_t N>
struct BoundArgs {
    std::array<PyObject*, N> slots{};
    PyRef extra_keywords;  // the collected dict, when the signature collects
};

namespace detail {
bool bind_vectorcall(const Signature& sig, PyObject* const* args, Py_ssize_t nargs,
                     PyObject* kwnames, std::span<PyObject*> slots, PyRef& extra);
bool bind_tuple_and_dict(const Signature& sig, PyObject* args, PyObject* kwargs,
                         std::span<PyObject*> slots, PyRef& extra);
}  // namespace detail

// METH_FASTCALL | METH_KEYWORDS calls.
template <std::size_t N>
bool bind(const Signature& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
          BoundArgs<N>& out) {
    // The common call passes every argument by position: nothing to match.
    if (kwnames == nullptr && static_cast<std::size_t>(nargs) >= sig.required &&
        static_cast<std::size_t>(nargs) <= N) {
        for (Py_ssize_t i = 0; i < nargs; ++i) out.slots[i] = args[i];
        return true;
    }
    return detail::bind_vectorcall(sig, args, nargs, kwnames, out.slots, out.extra_keywords);
}

// tp_new calls: a tuple and a dict (or null).
template <std::size_t N>
bool bind(const Signature& sig, PyObject* args, PyObject* kwargs, BoundArgs<N>& out) {
    return detail::bind_tuple_and_dict(sig, args, kwargs, out.slots, out.extra_keywords);
}

// Converts one bound argument; a TypeError is reported under the argument's
// name. An absent optional argument keeps the default already in `out`.
template <class T>
bool convert_arg(const Signature& sig, PyObject* arg, std::size_t index, T& out) {
    if (arg == nullptr) return true;
    if (convert(arg, out)) return true;
    if constexpr (prefixes_argument_name<T>) prefix_argument_error(sig.params[index]);
    return false;
}

namespace detail {
template <std::size_t N, class... T, std::size_t... I>
bool convert_each(const Signature& sig, const BoundArgs<N>& bound, std::index_sequence<I...>,
                  T&... outs) {
    return (convert_arg(sig, bound.slots[I], I, outs) && ...);
}
}  // namespace detail

// Converts the bound arguments in signature order into `outs`, one per
// parameter, stopping at the first failure.
template <std::size_t N, class... T>
bool convert_args(const Signature& sig, const BoundArgs<N>& bound, T&... outs) {
    static_assert(sizeof...(T) == N, "one output per parameter");
    return detail::convert_each(sig, bound, std::index_sequence_for<T...>{}, outs...);
}

// A method table entry for a METH_FASTCALL | METH_KEYWORDS function, guarded
// against C++ exceptions; the docstring is its text signature.
template <FastCallWithKeywords F>
PyMethodDef fastcall_def(const char* name, const char* doc, int extra_flags = 0) {
    constexpr FastCallWithKeywords entry = guarded<F>;
    return {name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(entry)),
            METH_FASTCALL | METH_KEYWORDS | extra_flags, doc};
}

}  // namespace kelvane::py
