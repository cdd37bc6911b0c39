#include "python/shared/errors.hpp"

#include <exception>
#include <new>
#include <stdexcept>
#include <string_view>

#include "python/shared/py_ref.hpp"

namespace kelvane::py {
namespace {

// From the text and its length: a C string would end at the first NUL. The
// library's messages quote the caller's str arguments and so are UTF-8; the
// replacement handler only guards against a broken invariant.
void raise_text(PyObject* type, std::string_view text) {
    const PyRef message = PyRef::steal(
        PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace"));
    if (message) PyErr_SetObject(type, message.get());
}

}  // namespace

void raise_error(const Error& error) { raise_text(PyExc_ValueError, error.message); }

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

void raise_from_cpp_exception() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::length_error&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        raise_text(PyExc_SystemError, e.what());
    } catch (...) {
        PyErr_SetString(PyExc_SystemError, "unknown C++ exception in kelvane");
    }
}

}  // namespace kelvane::py
