// The library's own failures: a value carrying one message text.
//
// Kernels never throw across the C API and never touch Python objects; a
// fallible kernel returns Result<T>, and the binding layer raises the
// message unchanged as ValueError.
#pragma once

#include <expected>
#include <string>
#include <utility>

namespace kelvane {

struct Error {
    std::string message;
};

template <class T>
using Result = std::expected<T, Error>;

inline std::unexpected<Error> fail(std::string message) {
    return std::unexpected<Error>(Error{std::move(message)});
}

}  // namespace kelvane
