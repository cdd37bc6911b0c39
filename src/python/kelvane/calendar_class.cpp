// The business-time Calendar class: construction for an underlying,
// business time (which fills the year cache, so it borrows exclusively),
// and the static calendar time and tenor year fractions.
#include "calendar/calendar.hpp"
#include "python/shared/binding.hpp"
#include "python/kelvane/classes.hpp"
#include "python/kelvane/native_class.hpp"

namespace kelvane::py {
namespace {

using calendar::Calendar;

constexpr char class_name[] = "Calendar";
constexpr const char* underlying_params[] = {"underlying"};
constexpr const char* interval_params[] = {"from", "to"};
constexpr const char* tenor_params[] = {"tenor"};

PyObject* class_cache = nullptr;

PyObject* to_python_or_raise(const Result<double>& value) {
    if (!value) {
        raise_error(value.error());
        return nullptr;
    }
    return to_python(*value);
}

PyObject* construct(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    static constexpr Signature sig = required_params(class_name, "__new__", underlying_params);
    BoundArgs<1> bound;
    Utf8 underlying;
    if (!bind(sig, args, kwargs, bound) || !convert_args(sig, bound, underlying)) return nullptr;
    auto calendar = Calendar::create(underlying.text);
    if (!calendar) {
        raise_error(calendar.error());
        return nullptr;
    }
    return new_instance(type, std::move(*calendar));
}

PyObject* get_bus_ttx(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature sig = required_params(class_name, "get_bus_ttx", interval_params);
    BoundArgs<2> bound;
    if (!bind(sig, args, nargs, kwnames, bound)) return nullptr;
    // Held across both conversions: a timestamp() that calls back into this
    // calendar is refused rather than seeing a half-filled cache.
    auto* instance = instance_of<Calendar>(self);
    const Borrow borrow(instance->borrow, Borrow::Kind::exclusive);
    UtcInstant from, to;
    if (!borrow || !convert_args(sig, bound, from, to)) return nullptr;
    return to_python_or_raise(instance->value.bus_ttx(from, to));
}

PyObject* get_cal_ttx(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature sig = required_params(class_name, "get_cal_ttx", interval_params);
    BoundArgs<2> bound;
    UtcInstant from, to;
    if (!bind(sig, args, nargs, kwnames, bound) || !convert_args(sig, bound, from, to)) return nullptr;
    return to_python(Calendar::cal_ttx(from, to));
}

PyObject* tenor_to_ttx(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature sig = required_params(class_name, "tenor_to_ttx", tenor_params);
    BoundArgs<1> bound;
    Utf8 tenor;
    if (!bind(sig, args, nargs, kwnames, bound) || !convert_args(sig, bound, tenor)) return nullptr;
    return to_python_or_raise(Calendar::tenor_to_ttx(tenor.text));
}

PyMethodDef methods[] = {
    fastcall_def<get_bus_ttx>("get_bus_ttx", "get_bus_ttx($self, from, to)\n--\n\n"),
    fastcall_def<get_cal_ttx>("get_cal_ttx", "get_cal_ttx(from, to)\n--\n\n", METH_STATIC),
    fastcall_def<tenor_to_ttx>("tenor_to_ttx", "tenor_to_ttx(tenor)\n--\n\n", METH_STATIC),
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

PyObject* calendar_class() {
    static const ClassDef def{"builtins.Calendar",     "Calendar(underlying)\n--\n\n",
                              guarded<construct>,      dealloc_instance<Calendar>,
                              methods,                 nullptr,
                              instance_size<Calendar>()};
    return class_object(def, class_cache);
}

}  // namespace kelvane::py
