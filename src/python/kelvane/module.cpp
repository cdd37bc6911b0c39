// The module's entry point and registry.
//
// Multi-phase initialisation: PyInit_kelvane only returns the definition;
// the single exec slot registers the classes and then the functions, in
// registry order, each appended to __all__ as it is added.
#include <array>

#include "python/kelvane/classes.hpp"
#include "python/shared/errors.hpp"
#include "python/kelvane/pricing_functions.hpp"
#include "python/shared/py_ref.hpp"

namespace kelvane::py {
namespace {

// Registry order: the classes first, then the functions (pricing_functions()
// lists them in their order).
constexpr std::array registered_classes{calendar_class, gvv_spline_class, vol_geo_class, cubic_spline_class};

// The module's __all__ list, created empty when the module has none yet.
PyRef all_list(PyObject* module) {
    PyRef all = PyRef::steal(PyObject_GetAttrString(module, "__all__"));
    if (all || !PyErr_ExceptionMatches(PyExc_AttributeError)) return all;
    PyErr_Clear();
    all = PyRef::steal(PyList_New(0));
    if (all && PyObject_SetAttrString(module, "__all__", all.get()) < 0) return PyRef();
    return all;
}

bool add_entry(PyObject* module, PyObject* name, PyObject* value) {
    const PyRef all = all_list(module);
    return all && PyList_Append(all.get(), name) == 0 && PyObject_SetAttr(module, name, value) == 0;
}

bool add_class(PyObject* module, ClassObjectGetter get_class) {
    const PyRef cls = PyRef::steal(get_class());
    if (!cls) return false;
    const PyRef name = PyRef::steal(PyType_GetName(reinterpret_cast<PyTypeObject*>(cls.get())));
    return name && add_entry(module, name.get(), cls.get());
}

bool add_function(PyObject* module, PyObject* module_name, PyMethodDef* def) {
    // The module owns the function; METH_STATIC keeps __self__ None.
    const PyRef function = PyRef::steal(PyCMethod_New(def, module, module_name, nullptr));
    if (!function) return false;
    const PyRef name = PyRef::steal(PyObject_GetAttrString(function.get(), "__name__"));
    return name && add_entry(module, name.get(), function.get());
}

int exec_module(PyObject* module) {
    if (!PyModule_Check(module)) {
        raise_type_cast_error(module, "PyModule");
        return -1;
    }
    for (ClassObjectGetter get_class : registered_classes) {
        if (!add_class(module, get_class)) return -1;
    }
    const PyRef module_name = PyRef::steal(PyModule_GetNameObject(module));
    if (!module_name) return -1;
    for (PyMethodDef& def : pricing_functions()) {
        if (!add_function(module, module_name.get(), &def)) return -1;
    }
    return 0;
}

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(guarded<exec_module>)},
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "kelvane", "", 0, nullptr, module_slots, nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace kelvane::py

PyMODINIT_FUNC PyInit_kelvane() {
    return PyModuleDef_Init(&kelvane::py::module_def);
}
