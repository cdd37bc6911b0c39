// Conversions between Python objects and the library's plain values.
//
// Each argument conversion is a `convert(PyObject*, T&)` overload that
// returns false with a Python exception set. Each result conversion is a
// `to_python(value)` overload that returns a new reference, or null with an
// exception set. No conversion screens numbers for NaN or infinity.
#pragma once

#include <optional>
#include <bit>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/utc_instant.hpp"
#include "option_pricing/option_type.hpp"
#include "python/py_ref.hpp"

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

// Whether a strike buffer may be read where it lies. Only when the strikes
// are the last argument: nothing then runs between the conversion and the
// model, while a later argument's conversion (a __float__, a sequence's
// __getitem__) could write into the caller's array.
enum class BufferUse { copy, in_place };

// A strike sequence: its values at conversion. A one-dimensional native
// float64 buffer (a numpy array, an array('d')) is copied in one pass, or
// read in place when `Use` allows and it is contiguous; every other
// sequence is converted element by element through the float conversion.
// All give the values of the equivalent list.
template <BufferUse Use>
class Strikes {
public:
    Strikes() = default;
    Strikes(const Strikes&) = delete;
    Strikes& operator=(const Strikes&) = delete;
    ~Strikes();

    std::span<const double> values() const noexcept { return values_; }

private:
    template <BufferUse U>
    friend bool convert(PyObject* obj, Strikes<U>& out);
    // False with no exception set when the buffer path does not apply.
    bool take_float64_buffer(PyObject* obj);

    std::vector<double> copied_;
    std::span<const double> values_;
    Py_buffer view_{};
    bool holds_view_ = false;
};

// Strikes followed by other arguments (get_jacobian).
using StrikeList = Strikes<BufferUse::copy>;
// Strikes as the last argument (get_vol).
using TrailingStrikeList = Strikes<BufferUse::in_place>;

using NameList = std::vector<std::string>;
using ParamDict = std::unordered_map<std::string, double>;

bool convert(PyObject* obj, double& out);
bool convert(PyObject* obj, Utf8& out);
bool convert(PyObject* obj, std::string& out);
bool convert(PyObject* obj, OptionTypeText& out);
template <BufferUse Use>
bool convert(PyObject* obj, Strikes<Use>& out);
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

}  // namespace kelvane::py
