#include "python/shared/conversions.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "python/shared/errors.hpp"

namespace kelvane::py {
namespace {

// The memory of the machine, the most any conversion could ever fill.
std::size_t physical_memory_bytes() noexcept {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) return std::numeric_limits<std::size_t>::max();
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(page_size);
}

// A length is only a claim (a range, or a __len__ that lies): one beyond
// what the machine's memory could hold raises MemoryError at once, as
// Python's own list() does, instead of failing an allocation deep inside
// the conversion or iterating for minutes.
bool length_could_fit(Py_ssize_t reported, std::size_t item_size) {
    static const std::size_t memory = physical_memory_bytes();
    if (static_cast<std::size_t>(reported) > memory / item_size) {
        PyErr_NoMemory();
        return false;
    }
    return true;
}

// Sequences only, as the argument tables say: a str is refused with its
// own message, and a non-sequence (a set, a dict, a bare buffer exporter)
// with the type-cast error.
bool check_sequence(PyObject* obj) {
    if (PyUnicode_Check(obj)) {
        PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
        return false;
    }
    if (!PySequence_Check(obj)) {
        raise_type_cast_error(obj, "Sequence");
        return false;
    }
    return true;
}

// The next of the first `size` items of a sequence that is no list or
// tuple, a new reference; null with IndexError when the items run out
// first (a length that overstates).
PyObject* next_item(PyObject* iterator) {
    PyObject* item = PyIter_Next(iterator);
    if (item == nullptr && !PyErr_Occurred()) {
        PyErr_SetString(PyExc_IndexError, "sequence has fewer items than its length");
    }
    return item;
}

bool is_native_float64(const Py_buffer& view) {
    const char* f = view.format;
    if (f == nullptr || view.itemsize != 8) return false;
    if (f[0] == '@' || f[0] == '=' || (f[0] == '<' && std::endian::native == std::endian::little)) ++f;
    return std::strcmp(f, "d") == 0;
}

bool is_ascii(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char ascii_lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

bool could_fit_in_memory(std::size_t count, std::size_t item_size) {
    static const std::size_t memory = physical_memory_bytes();
    if (count > memory / item_size) {
        PyErr_NoMemory();
        return false;
    }
    return true;
}

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
    // ASCII text lower-cases the same under the full Unicode mapping, and the
    // accepted spellings are short: the common case lowers into a buffer on
    // the stack.
    char small[8];
    std::string longer;
    std::string_view lowered;
    if (is_ascii(text.utf8)) {
        char* to = small;
        if (text.utf8.size() > sizeof small) {
            longer.resize(text.utf8.size());
            to = longer.data();
        }
        std::transform(text.utf8.begin(), text.utf8.end(), to, ascii_lower);
        lowered = std::string_view(to, text.utf8.size());
    } else {
        // str.lower itself, called on the argument: a str subclass's own
        // lower() is never consulted, so it gives exactly the result of the
        // plain str with the same text.
        const PyRef lowered_str = PyRef::steal(PyObject_CallMethod(
            reinterpret_cast<PyObject*>(&PyUnicode_Type), "lower", "O", text.str));
        if (!lowered_str || !convert(lowered_str.get(), longer)) return false;
        lowered = longer;
    }
    auto parsed = option_pricing::parse_lowered_option_type(lowered);
    if (!parsed) {
        raise_error(parsed.error());
        return false;
    }
    out = *parsed;
    return true;
}

// Read whole at conversion through the strip reader, into storage of our
// own: a later argument's conversion cannot change the values.
bool convert(PyObject* obj, StrikeList& out) {
    StrikeBlocks blocks;
    if (!convert(obj, blocks)) return false;
    out.copied_.clear();
    if (blocks.length_is_real()) out.copied_.reserve(blocks.remaining());
    double scratch[StrikeBlocks::block_size];
    while (blocks.remaining() > 0) {
        const std::size_t count = std::min(blocks.remaining(), StrikeBlocks::block_size);
        const double* block = blocks.read(std::span<double>(scratch, count));
        if (block == nullptr) return false;
        out.copied_.insert(out.copied_.end(), block, block + count);
    }
    out.values_ = out.copied_;
    return true;
}

bool SequenceItems::open(PyObject* obj, std::size_t item_size) {
    const Py_ssize_t size = PySequence_Size(obj);
    if (size < 0 || !length_could_fit(size, item_size)) return false;
    sequence_ = obj;
    size_ = static_cast<std::size_t>(size);
    next_ = 0;
    length_is_real_ = PyList_CheckExact(obj) || PyTuple_CheckExact(obj);
    if (PyList_Check(obj)) {
        source_ = Source::list;
    } else if (PyTuple_Check(obj)) {
        source_ = Source::tuple;
    } else {
        source_ = Source::iterator;
        if (size > 0) {
            iterator_ = PyRef::steal(PyObject_GetIter(obj));
            if (!iterator_) return false;
        }
    }
    return true;
}

template <class T, PyObject* (*GetItem)(PyObject*, Py_ssize_t)>
bool SequenceItems::read_items(std::span<T> out) {
    for (T& value : out) {
        PyObject* borrowed = GetItem(sequence_, static_cast<Py_ssize_t>(next_));
        if (borrowed == nullptr) return false;  // a __float__ shortened the list
        // Converting an exact float or str runs no Python code, so nothing
        // can release the borrowed item meanwhile: the common case skips
        // the two reference-count calls.
        const bool runs_no_code = PyFloat_CheckExact(borrowed) || PyUnicode_CheckExact(borrowed);
        const PyRef held = runs_no_code ? PyRef() : PyRef::borrow(borrowed);
        if (!convert(borrowed, value)) return false;
        ++next_;
    }
    return true;
}

template <class T>
bool SequenceItems::read_iterated(std::span<T> out) {
    for (T& value : out) {
        const PyRef item = PyRef::steal(next_item(iterator_.get()));
        if (!item || !convert(item.get(), value)) return false;
        ++next_;
    }
    return true;
}

template <class T>
bool SequenceItems::read(std::span<T> out) {
    switch (source_) {
        case Source::list: return read_items<T, PyList_GetItem>(out);
        case Source::tuple: return read_items<T, PyTuple_GetItem>(out);
        case Source::iterator: return read_iterated(out);
    }
    return false;
}

bool convert(PyObject* obj, StrikeBlocks& out) {
    if (!check_sequence(obj)) return false;
    if (!PyList_Check(obj) && !PyTuple_Check(obj) && PyObject_CheckBuffer(obj)) {
        if (out.view_.acquire(obj, PyBUF_STRIDES | PyBUF_FORMAT)) {
            if (out.view_->ndim == 1 && is_native_float64(*out.view_)) {
                out.view_size_ = static_cast<std::size_t>(out.view_->shape[0]);
                return true;
            }
            out.view_.release();
        } else {
            // An exporter that cannot describe itself by strides and a
            // format (numpy refuses datetimes with ValueError): the sequence
            // path reads it, and reports what the equivalent list would. An
            // interrupt is the caller's to see.
            if (!PyErr_ExceptionMatches(PyExc_Exception)) return false;
            PyErr_Clear();
        }
    }
    return out.items_.open(obj, sizeof(double));
}

const double* StrikeBlocks::read(std::span<double> scratch) {
    if (!view_.held()) return items_.read(scratch) ? scratch.data() : nullptr;
    const auto* bytes = static_cast<const char*>(view_->buf);
    const Py_ssize_t stride = view_->strides[0];
    const std::size_t first = view_next_;
    view_next_ += scratch.size();
    // Read where they lie only when they lie as doubles must: a view may
    // start at any byte.
    const bool aligned = reinterpret_cast<std::uintptr_t>(bytes) % alignof(double) == 0;
    if (stride == static_cast<Py_ssize_t>(sizeof(double)) && aligned) {
        return reinterpret_cast<const double*>(bytes) + first;
    }
    for (std::size_t j = 0; j < scratch.size(); ++j) {
        const auto i = static_cast<Py_ssize_t>(first + j);
        std::memcpy(&scratch[j], bytes + i * stride, sizeof(double));
    }
    return scratch.data();
}

namespace detail {

bool ResultList::open(const StrikeBlocks& strikes) {
    const bool presized = strikes.length_is_real();
    return open(presized ? static_cast<Py_ssize_t>(strikes.remaining()) : 0, presized);
}

bool ResultList::open(std::size_t length) { return open(static_cast<Py_ssize_t>(length), true); }

bool ResultList::open(Py_ssize_t length, bool presized) {
    presized_ = presized;
    list_ = PyRef::steal(PyList_New(length));
    if (!list_) return false;
    // Until its last item is set, the list holds nulls that no Python code
    // (a strike's __float__ calling gc.get_objects()) may see.
    if (presized_) PyObject_GC_UnTrack(list_.get());
    return true;
}

bool ResultList::append(std::span<const double> values) {
    if (presized_) {
        for (const double value : values) {
            PyObject* item = PyFloat_FromDouble(value);
            if (item == nullptr) return false;
            PyList_SetItem(list_.get(), filled_++, item);  // steals item
        }
        return true;
    }
    for (const double value : values) {
        const PyRef item = PyRef::steal(PyFloat_FromDouble(value));
        if (!item || PyList_Append(list_.get(), item.get()) < 0) return false;
    }
    return true;
}

PyObject* ResultList::release() {
    if (presized_) PyObject_GC_Track(list_.get());
    return list_.release();
}

PyObject* dict_of_lists(std::span<const std::string> names, std::span<ResultList> lists) {
    PyRef dict = PyRef::steal(PyDict_New());
    if (!dict) return nullptr;
    for (std::size_t j = 0; j < names.size(); ++j) {
        const PyRef key = PyRef::steal(to_python(names[j]));
        const PyRef list = PyRef::steal(lists[j].release());
        if (!key || PyDict_SetItem(dict.get(), key.get(), list.get()) < 0) return nullptr;
    }
    return dict.release();
}

}  // namespace detail

bool convert(PyObject* obj, NameList& out) {
    SequenceItems items;
    if (!check_sequence(obj) || !items.open(obj, sizeof(std::string))) return false;
    out.clear();
    if (items.length_is_real()) out.reserve(items.remaining());
    while (items.remaining() > 0) {
        std::string name;
        if (!items.read(std::span<std::string>(&name, 1))) return false;
        out.push_back(std::move(name));
    }
    return true;
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
