// The mapping of failures to Python exceptions. Every function here sets
// the current exception; the caller then returns its error indicator.
#pragma once

#include <type_traits>

#include "common/error.hpp"
#include "python/shared/python.hpp"

namespace kelvane::py {

// The library's own failures: ValueError with the message unchanged, every
// byte of it (a NUL inside a caller's text included).
void raise_error(const Error& error);

// TypeError "'{}' object is not an instance of '{}'" (the None form for
// None), named by the received object's qualified type name.
void raise_type_cast_error(PyObject* received, const char* expected);

// Replaces a pending TypeError (exactly that class) by a new TypeError
// "argument '{name}': {message}" whose cause is the replaced error's cause;
// any other pending exception is left as it is.
void prefix_argument_error(const char* name);

// Within a catch block: turns the C++ exception being handled into a Python
// one. Allocation failures (std::bad_alloc, and std::length_error from a
// container asked for more than it can ever hold) become MemoryError, as
// they would in Python itself; anything else is a fault of the binding and
// becomes SystemError with the exception's text.
void raise_from_cpp_exception() noexcept;

namespace detail {
template <class R>
R failure_value() noexcept {
    if constexpr (std::is_pointer_v<R>) {
        return nullptr;
    } else {
        return -1;
    }
}

template <auto F>
struct Guard;

template <class R, class... A, R (*F)(A...)>
struct Guard<F> {
    static R call(A... args) noexcept {
        try {
            return F(args...);
        } catch (...) {
            raise_from_cpp_exception();
            return failure_value<R>();
        }
    }
};
}  // namespace detail

// `F` as an entry point the interpreter may call: no C++ exception leaves
// it (one would end the process); it returns the C API's error indicator
// (null or -1) with a Python exception set instead. Every function, method,
// constructor, getter and the module's execution go through it.
template <auto F>
inline constexpr auto guarded = &detail::Guard<F>::call;

}  // namespace kelvane::py
