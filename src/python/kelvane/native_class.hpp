// The Python classes of the module: heap types that each own one native
// value by value, created once per process.
//
// Shared class properties: full name "builtins.X" (so __module__ is
// "builtins"), base object, final (no subclassing), no instance dictionary
// and no weak references, a text-signature docstring, and no slots besides
// the constructor: the plain object defaults for repr, equality and hash.
#pragma once

#include <new>
#include <utility>

#include "python/shared/borrow.hpp"
#include "python/shared/py_ref.hpp"

namespace kelvane::py {

template <class Native>
struct Instance {
    PyObject ob_base;
    BorrowFlag borrow;
    Native value;
};

template <class Native>
Instance<Native>* instance_of(PyObject* self) {
    return reinterpret_cast<Instance<Native>*>(self);
}

// Allocates an instance of `type` holding `value`; null with an exception
// set when the allocation fails.
template <class Native>
PyObject* new_instance(PyTypeObject* type, Native&& value) {
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    PyObject* self = alloc(type, 0);
    if (self == nullptr) return nullptr;
    auto* inst = instance_of<std::remove_cvref_t<Native>>(self);
    new (&inst->borrow) BorrowFlag();
    new (&inst->value) std::remove_cvref_t<Native>(std::forward<Native>(value));
    return self;
}

template <class Native>
void dealloc_instance(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    instance_of<Native>(self)->value.~Native();
    auto free_slot = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_slot(self);
    Py_DECREF(type);  // instances of heap types own a reference to their type
}

// What a class contributes: its name ("builtins.X"), docstring, constructor,
// members and native value type.
struct ClassDef {
    const char* qualified_name;
    const char* doc;
    newfunc constructor;
    destructor dealloc;
    PyMethodDef* methods;
    PyGetSetDef* properties;  // may be null
    int basic_size;
};

template <class Native>
constexpr int instance_size() {
    return static_cast<int>(sizeof(Instance<Native>));
}

// The class object of `def`, created on first use and kept for the life of
// the process, so that re-imports of the module share it and isinstance
// checks keep working. `cache` is the class's own slot; the interpreter lock
// makes the first creation happen once.
PyObject* class_object(const ClassDef& def, PyObject*& cache);

}  // namespace kelvane::py
