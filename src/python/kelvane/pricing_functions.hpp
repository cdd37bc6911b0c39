#pragma once

#include <span>

#include "python/shared/python.hpp"

namespace kelvane::py {

// The pricing functions' definitions, in registry order.
std::span<PyMethodDef> pricing_functions();

}  // namespace kelvane::py
