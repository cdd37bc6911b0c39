// Python.h under the stable ABI of CPython 3.12: one build of the module
// loads into every interpreter from 3.12 on. Every file of the binding layer
// includes Python through this header.
#pragma once

#ifndef Py_LIMITED_API
#define Py_LIMITED_API 0x030C0000
#endif
#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace kelvane::py {

// The METH_FASTCALL | METH_KEYWORDS entry type. 3.12's limited headers
// declare it only under a private name; the public one arrives in 3.13.
using FastCallWithKeywords = PyObject* (*)(PyObject* self, PyObject* const* args,
                                           Py_ssize_t nargs, PyObject* kwnames);

}  // namespace kelvane::py
