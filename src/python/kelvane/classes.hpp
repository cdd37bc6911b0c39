// The module's classes, each a getter of its process-wide class object.
#pragma once

#include "python/shared/python.hpp"

namespace kelvane::py {

using ClassObjectGetter = PyObject* (*)();

// Each getter returns a new reference to its class object, creating it on
// first use.
PyObject* calendar_class();
PyObject* gvv_spline_class();
PyObject* vol_geo_class();
PyObject* cubic_spline_class();

}  // namespace kelvane::py
