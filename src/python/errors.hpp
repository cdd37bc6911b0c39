// The mapping of failures to Python exceptions. Every function here sets
// the current exception; the caller then returns its error indicator.
#pragma once

#include "common/error.hpp"
#include "python/python.hpp"

namespace kelvane::py {

// The library's own failures: ValueError with the message unchanged.
void raise_error(const Error& error);

// TypeError "'{}' object is not an instance of '{}'" (the None form for
// None), named by the received object's qualified type name.
void raise_type_cast_error(PyObject* received, const char* expected);

// Replaces a pending TypeError (exactly that class) by a new TypeError
// "argument '{name}': {message}" whose cause is the replaced error's cause;
// any other pending exception is left as it is.
void prefix_argument_error(const char* name);

}  // namespace kelvane::py
