#include "python/kelvane/native_class.hpp"

#include <vector>

namespace kelvane::py {

PyObject* class_object(const ClassDef& def, PyObject*& cache) {
    if (cache == nullptr) {
        std::vector<PyType_Slot> slots = {
            {Py_tp_doc, const_cast<char*>(def.doc)},
            {Py_tp_new, reinterpret_cast<void*>(def.constructor)},
            {Py_tp_dealloc, reinterpret_cast<void*>(def.dealloc)},
            {Py_tp_methods, def.methods},
        };
        if (def.properties != nullptr) slots.push_back({Py_tp_getset, def.properties});
        slots.push_back({0, nullptr});
        PyType_Spec spec{def.qualified_name, def.basic_size, 0, Py_TPFLAGS_DEFAULT, slots.data()};
        cache = PyType_FromSpec(&spec);
        if (cache == nullptr) return nullptr;
    }
    return Py_NewRef(cache);
}

}  // namespace kelvane::py
