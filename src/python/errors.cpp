#include "python/errors.hpp"

#include "python/py_ref.hpp"

namespace kelvane::py {

void raise_error(const Error& error) {
    PyErr_SetString(PyExc_ValueError, error.message.c_str());
}

void raise_type_cast_error(PyObject* received, const char* expected) {
    if (received == Py_None) {
        PyErr_Format(PyExc_TypeError, "'None' is not an instance of '%s'", expected);
        return;
    }
    const PyRef type_name = PyRef::steal(PyType_GetQualName(Py_TYPE(received)));
    if (!type_name) return;
    PyErr_Format(PyExc_TypeError, "'%U' object is not an instance of '%s'", type_name.get(),
                 expected);
}

void prefix_argument_error(const char* name) {
    PyRef raised = PyRef::steal(PyErr_GetRaisedException());
    if (!raised) return;
    if (Py_TYPE(raised.get()) != reinterpret_cast<PyTypeObject*>(PyExc_TypeError)) {
        PyErr_SetRaisedException(raised.release());
        return;
    }
    const PyRef message = PyRef::steal(PyObject_Str(raised.get()));
    if (!message) return;
    const PyRef text = PyRef::steal(PyUnicode_FromFormat("argument '%s': %U", name, message.get()));
    if (!text) return;
    PyRef wrapped = PyRef::steal(PyObject_CallFunctionObjArgs(PyExc_TypeError, text.get(), nullptr));
    if (!wrapped) return;
    // Only a real cause is carried over: setting a null cause would also mark
    // the new error as suppressing its context.
    if (PyObject* cause = PyException_GetCause(raised.get())) {
        PyException_SetCause(wrapped.get(), cause);
    }
    PyErr_SetRaisedException(wrapped.release());
}

}  // namespace kelvane::py
