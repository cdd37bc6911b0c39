// Conversions between Python objects and the library's plain values.
//
// Each argument conversion is a `convert(PyObject*, T&)` overload that
// returns false with a Python exception set. Each result conversion is a
// `to_python(value)` overload that returns a new reference, or null with an
// exception set. No conversion screens numbers for NaN or infinity.
#pragma once

#include <algorithm>
#include <optional>
#include <bit>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/utc_instant.hpp"
#include "option_pricing/option_type.hpp"
#include "python/shared/buffer_view.hpp"
#include "python/shared/errors.hpp"
#include "python/shared/py_ref.hpp"

namespace kelvane::py {

// A str argument as UTF-8, borrowed from the str object, which caches its
// encoding: valid for as long as the argument is.
struct Utf8 {
    std::string_view text;
};

// A call_put argument: a str whose option type is parsed only once every
// argument has converted.
struct OptionTypeText {
    PyObject* str = nullptr;  // borrowed
    std::string_view utf8;
};

// The items of a sequence argument (a list, a tuple or any other sequence),
// converted in order by the rules every sequence conversion shares. A
// length only claims: one beyond what the machine's memory could hold
// raises MemoryError up front, and one that overstates raises IndexError
// when the items run out. List and tuple items are indexed and held while
// a conversion that may run Python code runs (a __float__ that shortens the
// list ends the reading with IndexError); other sequences are read through
// their iterator, so that one whose __getitem__ goes by label (a pandas
// Series) gives its items in their order, as list() would.
class SequenceItems {
public:
    SequenceItems() = default;
    SequenceItems(const SequenceItems&) = delete;
    SequenceItems& operator=(const SequenceItems&) = delete;

    // Takes the length claim of `obj` for items of `item_size` bytes; false
    // with the exception set.
    bool open(PyObject* obj, std::size_t item_size);
    // The items still to read, as claimed.
    std::size_t remaining() const noexcept { return size_ - next_; }
    // Whether the claimed length is the number of items that exist (an
    // exact list or tuple), so that storage by it is no larger than the
    // input.
    bool length_is_real() const noexcept { return length_is_real_; }
    // Converts the next out.size() <= remaining() items into `out`; false
    // with the item's (or the sequence's) exception set. For double and
    // std::string.
    template <class T>
    bool read(std::span<T> out);

private:
    enum class Source { list, tuple, iterator };

    template <class T, PyObject* (*GetItem)(PyObject*, Py_ssize_t)>
    bool read_items(std::span<T> out);
    template <class T>
    bool read_iterated(std::span<T> out);

    PyObject* sequence_ = nullptr;  // borrowed: the argument outlives the call
    PyRef iterator_;
    Source source_ = Source::list;
    bool length_is_real_ = false;
    std::size_t size_ = 0;
    std::size_t next_ = 0;
};

// A strike sequence converted whole, by the rules of StrikeBlocks below,
// into storage of its own: its values at conversion, which a later
// argument's conversion (a __float__, a sequence's __getitem__ writing into
// the caller's array) cannot change. For strikes followed by other
// arguments (get_jacobian).
class StrikeList {
public:
    StrikeList() = default;
    StrikeList(const StrikeList&) = delete;
    StrikeList& operator=(const StrikeList&) = delete;

    std::span<const double> values() const noexcept { return values_; }

private:
    friend bool convert(PyObject* obj, StrikeList& out);

    std::vector<double> copied_;
    std::span<const double> values_;
};

// A strike sequence read a block at a time, for a strip whose volatilities
// are emitted as they are evaluated: neither the whole input nor the whole
// output exists as doubles beside the result list. A one-dimensional
// native float64 buffer is read where it lies, at any stride; any other
// sequence by the rules of SequenceItems. Each strike is its value when its block is read, which is
// when it would have been converted whole, since the reading is in order.
// Only for the last argument: the buffer stays exported until the strip is
// done, and nothing but the reading runs between blocks (get_vol).
class StrikeBlocks {
public:
    // The most strikes a block holds: small enough for the stack and the
    // first-level cache, large enough that a model's set-up per block is
    // nothing beside its evaluations.
    static constexpr std::size_t block_size = 1024;

    StrikeBlocks() = default;
    StrikeBlocks(const StrikeBlocks&) = delete;
    StrikeBlocks& operator=(const StrikeBlocks&) = delete;

    // The strikes still to read, as claimed.
    std::size_t remaining() const noexcept {
        return view_.held() ? view_size_ - view_next_ : items_.remaining();
    }
    // Whether the claimed length is the number of items that exist (an
    // exact list or tuple, a buffer), so that storage by it is no larger
    // than the input.
    bool length_is_real() const noexcept { return view_.held() || items_.length_is_real(); }
    // The next scratch.size() <= remaining() strikes, in `scratch` or,
    // from a contiguous buffer, where they lie; null with the element's (or
    // the sequence's) exception set.
    const double* read(std::span<double> scratch);

private:
    friend bool convert(PyObject* obj, StrikeBlocks& out);

    SequenceItems items_;
    BufferView view_;
    std::size_t view_size_ = 0;
    std::size_t view_next_ = 0;
};

using NameList = std::vector<std::string>;
using ParamDict = std::unordered_map<std::string, double>;

// Whether `count` items of `item_size` bytes could fit the machine's memory;
// false with MemoryError when they could not, before anything is allocated.
bool could_fit_in_memory(std::size_t count, std::size_t item_size);

bool convert(PyObject* obj, double& out);
bool convert(PyObject* obj, Utf8& out);
bool convert(PyObject* obj, std::string& out);
bool convert(PyObject* obj, OptionTypeText& out);
bool convert(PyObject* obj, StrikeList& out);
bool convert(PyObject* obj, StrikeBlocks& out);
bool convert(PyObject* obj, NameList& out);
bool convert(PyObject* obj, ParamDict& out);
// The datetime conversion (py_to_utc): calls obj.timestamp().
bool convert(PyObject* obj, UtcInstant& out);

// Which conversions report a TypeError under the argument's name; the
// datetime conversion's errors always pass through unchanged.
template <class T>
inline constexpr bool prefixes_argument_name = true;
template <>
inline constexpr bool prefixes_argument_name<UtcInstant> = false;

// Lower-cases the text with the full Unicode mapping and parses it; false
// with ValueError "Unknown option type: ..." when it is no option type.
bool parse_option_type(const OptionTypeText& text, option_pricing::OptionType& out);

PyObject* to_python(double value);
PyObject* to_python(bool value);
// None for an absent value.
PyObject* to_python(const std::optional<double>& value);
PyObject* to_python(const std::string& value);
PyObject* to_python(const std::vector<double>& values);
PyObject* to_python(const std::vector<std::string>& values);
PyObject* to_python(const ParamDict& values);
PyObject* to_python(const std::unordered_map<std::string, std::vector<double>>& values);
// An aware datetime in UTC; a leap second is folded into the second before
// it with a UserWarning.
PyObject* to_python(const UtcInstant& instant);

inline PyObject* none() { Py_RETURN_NONE; }

namespace detail {
// A result list being filled a block at a time, complete whenever Python
// code can run: one of a real length is created whole and kept out of the
// collector's sight (gc.get_objects()) until every item is set; one of a
// claimed length grows by appending, so a length that lies costs nothing.
class ResultList {
public:
    bool open(const StrikeBlocks& strikes);
    // A list of exactly `length` items.
    bool open(std::size_t length);
    bool append(std::span<const double> values);
    // The finished list, a new reference.
    PyObject* release();

private:
    bool open(Py_ssize_t length, bool presized);

    PyRef list_;
    Py_ssize_t filled_ = 0;
    bool presized_ = false;
};
PyObject* dict_of_lists(std::span<const std::string> names, std::span<ResultList> lists);
}  // namespace detail

// A dict from each name to a list of one float per strike, filled a block
// at a time: `evaluate(strikes, columns)` fills columns[j] for names[j]
// over a block of strikes. The names are distinct, and every argument has
// converted, so no Python code runs until the dict is complete.
template <class Evaluate>
PyObject* columns_to_python(std::span<const double> strikes, std::span<const std::string> names,
                            Evaluate&& evaluate) {
    const std::size_t block = std::min(strikes.size(), StrikeBlocks::block_size);
    std::vector<double> storage(names.size() * block);
    std::vector<std::span<double>> columns(names.size());
    std::vector<detail::ResultList> lists(names.size());
    for (detail::ResultList& list : lists) {
        if (!list.open(strikes.size())) return nullptr;
    }
    for (std::size_t start = 0; start < strikes.size(); start += block) {
        const std::size_t count = std::min(block, strikes.size() - start);
        for (std::size_t j = 0; j < names.size(); ++j) columns[j] = {storage.data() + j * block, count};
        evaluate(strikes.subspan(start, count), std::span<const std::span<double>>(columns));
        for (std::size_t j = 0; j < names.size(); ++j) {
            if (!lists[j].append(columns[j])) return nullptr;
        }
    }
    return detail::dict_of_lists(names, lists);
}

// One float per strike, in order: `evaluate(strikes, vols)` fills a block
// of volatilities for a block of strikes. A strike that fails to convert
// is reported under `argument` and leaves nothing behind.
template <class Evaluate>
PyObject* strip_to_python(StrikeBlocks& strikes, const char* argument, Evaluate&& evaluate) {
    detail::ResultList result;
    if (!result.open(strikes)) return nullptr;
    double in[StrikeBlocks::block_size];
    double out[StrikeBlocks::block_size];
    while (strikes.remaining() > 0) {
        const std::size_t count = std::min(strikes.remaining(), StrikeBlocks::block_size);
        const double* block = strikes.read(std::span<double>(in, count));
        if (block == nullptr) {
            prefix_argument_error(argument);
            return nullptr;
        }
        evaluate(std::span<const double>(block, count), std::span<double>(out, count));
        if (!result.append(std::span<const double>(out, count))) return nullptr;
    }
    return result.release();
}

}  // namespace kelvane::py
