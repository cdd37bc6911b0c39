#include "python/conversions.hpp"

#include <cstring>

#include "python/errors.hpp"

namespace kelvane::py {
namespace {

// Converts the items of a sequence with a per-element conversion. Lists and
// tuples are indexed directly; an element whose conversion may run Python
// code (a __float__ that mutates the list, say) is held while it converts.
template <class T, class Element>
bool convert_sequence(PyObject* obj, std::vector<T>& out, Element&& convert_element) {
    if (PyUnicode_Check(obj)) {
        PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
        return false;
    }
    if (!PySequence_Check(obj)) {
        raise_type_cast_error(obj, "Sequence");
        return false;
    }
    const Py_ssize_t size = PySequence_Size(obj);
    if (size < 0) return false;
    out.clear();
    out.reserve(static_cast<std::size_t>(size));
    const bool is_list = PyList_Check(obj);
    const bool is_tuple = !is_list && PyTuple_Check(obj);
    for (Py_ssize_t i = 0; i < size; ++i) {
        T value;
        if (is_list || is_tuple) {
            PyObject* borrowed = is_list ? PyList_GetItem(obj, i) : PyTuple_GetItem(obj, i);
            if (borrowed == nullptr) return false;  // a __float__ shortened the list
            // Converting an exact float or str runs no Python code, so nothing
            // can release the borrowed item meanwhile: the common case skips
            // the two reference-count calls.
            const bool runs_no_code = PyFloat_CheckExact(borrowed) || PyUnicode_CheckExact(borrowed);
            const PyRef held = runs_no_code ? PyRef() : PyRef::borrow(borrowed);
            if (!convert_element(borrowed, value)) return false;
        } else {
            const PyRef item = PyRef::steal(PySequence_GetItem(obj, i));
            if (!item || !convert_element(item.get(), value)) return false;
        }
        out.push_back(std::move(value));
    }
    return true;
}

bool is_native_float64(const Py_buffer& view) {
    const char* f = view.format;
    if (f == nullptr || view.itemsize != 8) return false;
    if (f[0] == '@' || f[0] == '=' || (f[0] == '<' && std::endian::native == std::endian::little)) ++f;
    return std::strcmp(f, "d") == 0;
}

}  // namespace

bool convert(PyObject* obj, double& out) {
    out = PyFloat_AsDouble(obj);
    return !(out == -1.0 && PyErr_Occurred());
}

bool convert(PyObject* obj, Utf8& out) {
    if (!PyUnicode_Check(obj)) {
        raise_type_cast_error(obj, "str");
        return false;
    }
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(obj, &size);
    if (data == nullptr) return false;
    out.text = std::string_view(data, static_cast<std::size_t>(size));
    return true;
}

bool convert(PyObject* obj, std::string& out) {
    Utf8 text;
    if (!convert(obj, text)) return false;
    out.assign(text.text);
    return true;
}

bool convert(PyObject* obj, OptionTypeText& out) {
    Utf8 text;
    if (!convert(obj, text)) return false;
    out.str = obj;
    out.utf8 = text.text;
    return true;
}

bool parse_option_type(const OptionTypeText& text, option_pricing::OptionType& out) {
    // ASCII text lower-cases the same under the full Unicode mapping, and all
    // four accepted spellings are short: the common case allocates nothing.
    constexpr std::size_t longest = 4;
    char buffer[longest];
    bool ascii = text.utf8.size() <= longest;
    for (std::size_t i = 0; ascii && i < text.utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(text.utf8[i]);
        ascii = c < 0x80;
        buffer[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    std::string_view lowered(buffer, text.utf8.size());
    PyRef lowered_str;
    if (!ascii) {
        lowered_str = PyRef::steal(PyObject_CallMethod(text.str, "lower", nullptr));
        Utf8 utf8;
        if (!lowered_str || !convert(lowered_str.get(), utf8)) return false;
        lowered = utf8.text;
    }
    auto parsed = option_pricing::parse_lowered_option_type(lowered);
    if (!parsed) {
        raise_error(parsed.error());
        return false;
    }
    out = *parsed;
    return true;
}

StrikeList::~StrikeList() {
    if (holds_view_) PyBuffer_Release(&view_);
}

bool StrikeList::take_float64_buffer(PyObject* obj) {
    if (PyList_Check(obj) || PyTuple_Check(obj) || !PyObject_CheckBuffer(obj)) return false;
    if (PyObject_GetBuffer(obj, &view_, PyBUF_C_CONTIGUOUS | PyBUF_FORMAT) != 0) {
        PyErr_Clear();  // not contiguous: the general path reads it
        return false;
    }
    if (view_.ndim != 1 || !is_native_float64(view_)) {
        PyBuffer_Release(&view_);
        return false;
    }
    holds_view_ = true;
    values_ = {static_cast<const double*>(view_.buf), static_cast<std::size_t>(view_.len / 8)};
    return true;
}

bool convert(PyObject* obj, StrikeList& out) {
    if (out.take_float64_buffer(obj)) return true;
    const auto element = [](PyObject* item, double& value) { return convert(item, value); };
    if (!convert_sequence(obj, out.copied_, element)) return false;
    out.values_ = out.copied_;
    return true;
}

bool convert(PyObject* obj, NameList& out) {
    const auto element = [](PyObject* item, std::string& value) { return convert(item, value); };
    return convert_sequence(obj, out, element);
}

bool convert(PyObject* obj, ParamDict& out) {
    if (!PyDict_Check(obj)) {
        raise_type_cast_error(obj, "dict");
        return false;
    }
    // A snapshot of the items: a value's __float__ may change the dict.
    const PyRef items = PyRef::steal(PyDict_Items(obj));
    if (!items) return false;
    const Py_ssize_t size = PyList_Size(items.get());
    out.clear();
    out.reserve(static_cast<std::size_t>(size));
    for (Py_ssize_t i = 0; i < size; ++i) {
        PyObject* pair = PyList_GetItem(items.get(), i);
        std::string name;
        double value;
        if (!convert(PyTuple_GetItem(pair, 0), name) || !convert(PyTuple_GetItem(pair, 1), value)) {
            return false;
        }
        out.insert_or_assign(std::move(name), value);
    }
    return true;
}

PyObject* to_python(double value) { return PyFloat_FromDouble(value); }

PyObject* to_python(bool value) { return PyBool_FromLong(value); }

PyObject* to_python(const std::optional<double>& value) {
    return value ? PyFloat_FromDouble(*value) : none();
}

namespace {

template <class T>
PyObject* list_of(const std::vector<T>& values) {
    PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(values.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < values.size(); ++i) {
        PyObject* item = to_python(values[i]);
        if (item == nullptr) return nullptr;
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);  // steals item
    }
    return list.release();
}

template <class Map>
PyObject* dict_of(const Map& values) {
    PyRef dict = PyRef::steal(PyDict_New());
    if (!dict) return nullptr;
    for (const auto& [name, value] : values) {
        const PyRef key = PyRef::steal(PyUnicode_FromStringAndSize(name.data(), static_cast<Py_ssize_t>(name.size())));
        const PyRef item = PyRef::steal(to_python(value));
        if (!key || !item || PyDict_SetItem(dict.get(), key.get(), item.get()) < 0) return nullptr;
    }
    return dict.release();
}

}  // namespace

PyObject* to_python(const std::string& value) {
    return PyUnicode_FromStringAndSize(value.data(), static_cast<Py_ssize_t>(value.size()));
}

PyObject* to_python(const std::vector<double>& values) { return list_of(values); }
PyObject* to_python(const std::vector<std::string>& values) { return list_of(values); }
PyObject* to_python(const ParamDict& values) { return dict_of(values); }
PyObject* to_python(const std::unordered_map<std::string, std::vector<double>>& values) {
    return dict_of(values);
}

}  // namespace kelvane::py
