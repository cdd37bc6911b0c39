#include "python/kelvane_arrays/native/operands.hpp"

#include <cstring>
#include <string_view>

#include "common/parallel.hpp"
#include "python/shared/conversions.hpp"
#include "python/shared/errors.hpp"

namespace kelvane::py::arrays {
namespace {

// A native-order struct format of one item: "d", "<d", "=d", "@d".
std::string_view item_code(const char* format) {
    std::string_view f = format == nullptr ? "B" : format;
    if (!f.empty() && (f[0] == '@' || f[0] == '=' || f[0] == '<')) f.remove_prefix(1);
    return f;
}

bool fits(const Py_buffer& view, Element element, bool int_ticks) {
    const std::string_view code = item_code(view.format);
    switch (element) {
        case Element::float64: return view.itemsize == 8 && code == "d";
        case Element::code: return view.itemsize == 1 && (code == "B" || code == "b" || code == "?");
        case Element::time:
            return view.itemsize == 8 && (int_ticks ? (code == "q" || code == "l") : code == "d");
    }
    return false;
}

const char* expected_text(Element element, bool int_ticks) {
    switch (element) {
        case Element::float64: return "float64";
        case Element::code: return "uint8";
        case Element::time: return int_ticks ? "int64" : "float64";
    }
    return "";
}

std::string shape_text(std::span<const std::size_t> shape) {
    std::string text = "(";
    for (std::size_t d = 0; d < shape.size(); ++d) {
        if (d > 0) text += ", ";
        text += std::to_string(shape[d]);
    }
    if (shape.size() == 1) text += ",";
    return text + ")";
}

}  // namespace

bool Operand::take_buffer(PyObject* obj, int flags, const char* name) {
    if (!view_.acquire(obj, flags)) {
        prefix_argument_error(name);
        return false;
    }
    const Py_buffer& view = *view_;
    base_ = static_cast<char*>(view.buf);
    if (view.ndim < 0 || static_cast<std::size_t>(view.ndim) > strided::max_dims) {
        PyErr_Format(PyExc_ValueError, "argument '%s': more than %zu dimensions", name, strided::max_dims);
        return false;
    }
    ndim_ = static_cast<std::size_t>(view.ndim);
    for (int d = 0; d < view.ndim; ++d) {
        shape_[d] = static_cast<std::size_t>(view.shape[d]);
        strides_[d] = view.strides[d];
    }
    return true;
}

bool Operand::acquire(PyObject* obj, Element element, const char* name, bool int_ticks) {
    // A Python scalar: a 0-d operand of its own value.
    if (element != Element::code && !int_ticks && PyFloat_Check(obj)) {
        const double value = PyFloat_AsDouble(obj);
        std::memcpy(scalar_, &value, sizeof value);
        base_ = reinterpret_cast<char*>(scalar_);
        return true;
    }
    if ((element == Element::code || int_ticks) && PyLong_Check(obj)) {
        const long long value = PyLong_AsLongLong(obj);
        if (value == -1 && PyErr_Occurred()) {
            prefix_argument_error(name);
            return false;
        }
        if (element == Element::code) {
            scalar_[0] = static_cast<unsigned char>(value != 0);
        } else {
            const std::int64_t ticks = value;
            std::memcpy(scalar_, &ticks, sizeof ticks);
        }
        base_ = reinterpret_cast<char*>(scalar_);
        return true;
    }
    if (!take_buffer(obj, PyBUF_STRIDES | PyBUF_FORMAT, name)) return false;
    if (!fits(*view_, element, int_ticks)) {
        PyErr_Format(PyExc_TypeError, "argument '%s': expected a buffer of %s, got format '%s'", name,
                     expected_text(element, int_ticks), view_->format == nullptr ? "B" : view_->format);
        return false;
    }
    return true;
}

bool Operand::acquire_output(PyObject* obj) {
    if (!take_buffer(obj, PyBUF_STRIDES | PyBUF_FORMAT | PyBUF_WRITABLE, "out")) return false;
    if (!fits(*view_, Element::float64, false)) {
        PyErr_Format(PyExc_TypeError, "argument 'out': expected a buffer of float64, got format '%s'",
                     view_->format == nullptr ? "B" : view_->format);
        return false;
    }
    return true;
}

bool raise_not_broadcast(const char* name, std::span<const std::size_t> from,
                         std::span<const std::size_t> to) {
    PyErr_Format(PyExc_ValueError, "argument '%s': shape %s does not broadcast to %s", name,
                 shape_text(from).c_str(), shape_text(to).c_str());
    return false;
}

bool convert_threads(PyObject* obj, std::size_t& threads) {
    int overflow = 0;
    const long long value = PyLong_Check(obj) ? PyLong_AsLongLongAndOverflow(obj, &overflow) : PyLong_AsLongLong(obj);
    if (value == -1 && PyErr_Occurred()) {
        prefix_argument_error("threads");
        return false;
    }
    if (overflow > 0) {  // more than can ever run: as many as a loop starts
        threads = parallel::max_threads;
        return true;
    }
    if (overflow < 0 || value < 1) {
        PyErr_SetString(PyExc_ValueError, "argument 'threads': must be at least 1");
        return false;
    }
    threads = static_cast<std::size_t>(value);
    return true;
}

std::string position(const char* name, std::span<const std::size_t> shape, std::size_t flat) {
    if (shape.empty()) return name;
    std::vector<std::size_t> index(shape.size());
    for (std::size_t d = shape.size(); d-- > 0;) {
        index[d] = shape[d] == 0 ? 0 : flat % shape[d];
        flat = shape[d] == 0 ? 0 : flat / shape[d];
    }
    std::string text = std::string(name) + "[";
    for (std::size_t d = 0; d < index.size(); ++d) {
        if (d > 0) text += ", ";
        text += std::to_string(index[d]);
    }
    return text + "]";
}

bool check_arg_count(const char* name, Py_ssize_t given, Py_ssize_t expected) {
    if (given == expected) return true;
    PyErr_Format(PyExc_TypeError, "%s() takes %zd positional arguments but %zd were given", name, expected,
                 given);
    return false;
}

}  // namespace kelvane::py::arrays
