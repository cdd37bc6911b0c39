#include "python/shared/binding.hpp"

#include <string>
#include <vector>

namespace kelvane::py {
namespace {

std::string display(const Signature& sig) {
    std::string text = sig.owner == nullptr ? "" : std::string(sig.owner) + ".";
    return text + sig.name + "()";
}

void raise_too_many_positional(const Signature& sig, Py_ssize_t given) {
    const std::size_t n = sig.params.size();
    const std::string takes = sig.required == n
                                  ? std::to_string(n)
                                  : "from " + std::to_string(sig.required) + " to " + std::to_string(n);
    PyErr_Format(PyExc_TypeError, "%s takes %s positional arguments but %zd %s given",
                 display(sig).c_str(), takes.c_str(), given, given == 1 ? "was" : "were");
}

// 'a'; 'a' and 'b'; 'a', 'b', and 'c'.
std::string quoted_list(const std::vector<const char*>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += names.size() == 2 ? " and " : (i + 1 == names.size() ? ", and " : ", ");
        text += '\'';
        text += names[i];
        text += '\'';
    }
    return text;
}

bool check_required(const Signature& sig, std::span<PyObject*> slots) {
    std::vector<const char*> missing;
    for (std::size_t i = 0; i < sig.required; ++i) {
        if (slots[i] == nullptr) missing.push_back(sig.params[i]);
    }
    if (missing.empty()) return true;
    PyErr_Format(PyExc_TypeError, "%s missing %zu required positional argument%s: %s",
                 display(sig).c_str(), missing.size(), missing.size() == 1 ? "" : "s",
                 quoted_list(missing).c_str());
    return false;
}

// Places one keyword argument: into its parameter's slot, or into the
// collected dict when the signature collects unknown keywords.
bool place_keyword(const Signature& sig, PyObject* name, PyObject* value,
                   std::span<PyObject*> slots, PyRef& extra) {
    for (std::size_t i = 0; i < sig.params.size(); ++i) {
        if (PyUnicode_CompareWithASCIIString(name, sig.params[i]) != 0) continue;
        if (slots[i] != nullptr) {
            PyErr_Format(PyExc_TypeError, "%s got multiple values for argument '%s'",
                         display(sig).c_str(), sig.params[i]);
            return false;
        }
        slots[i] = value;
        return true;
    }
    if (!sig.collects_keywords) {
        PyErr_Format(PyExc_TypeError, "%s got an unexpected keyword argument '%U'",
                     display(sig).c_str(), name);
        return false;
    }
    if (!extra) {
        extra = PyRef::steal(PyDict_New());
        if (!extra) return false;
    }
    return PyDict_SetItem(extra.get(), name, value) == 0;
}

bool place_positional(const Signature& sig, PyObject* const* args, Py_ssize_t nargs,
                      std::span<PyObject*> slots) {
    if (static_cast<std::size_t>(nargs) > sig.params.size()) {
        raise_too_many_positional(sig, nargs);
        return false;
    }
    for (Py_ssize_t i = 0; i < nargs; ++i) slots[i] = args[i];
    return true;
}

}  // namespace

namespace detail {

bool bind_vectorcall(const Signature& sig, PyObject* const* args, Py_ssize_t nargs,
                     PyObject* kwnames, std::span<PyObject*> slots, PyRef& extra) {
    nargs = PyVectorcall_NARGS(nargs);
    if (!place_positional(sig, args, nargs, slots)) return false;
    const Py_ssize_t nkw = kwnames == nullptr ? 0 : PyTuple_Size(kwnames);
    for (Py_ssize_t k = 0; k < nkw; ++k) {
        if (!place_keyword(sig, PyTuple_GetItem(kwnames, k), args[nargs + k], slots, extra)) {
            return false;
        }
    }
    return check_required(sig, slots);
}

bool bind_tuple_and_dict(const Signature& sig, PyObject* args, PyObject* kwargs,
                         std::span<PyObject*> slots, PyRef& extra) {
    const Py_ssize_t nargs = PyTuple_Size(args);
    if (static_cast<std::size_t>(nargs) > sig.params.size()) {
        raise_too_many_positional(sig, nargs);
        return false;
    }
    for (Py_ssize_t i = 0; i < nargs; ++i) slots[i] = PyTuple_GetItem(args, i);
    if (kwargs != nullptr) {
        Py_ssize_t pos = 0;
        PyObject* name;
        PyObject* value;
        while (PyDict_Next(kwargs, &pos, &name, &value)) {
            if (!place_keyword(sig, name, value, slots, extra)) return false;
        }
    }
    return check_required(sig, slots);
}

}  // namespace detail
}  // namespace kelvane::py
