// The datetime conversions. The datetime C API is not part of the stable ABI,
// so both directions go through the datetime module's Python objects, looked
// up once per process.
#include "python/shared/conversions.hpp"
#include "python/shared/errors.hpp"

namespace kelvane::py {
namespace {

struct DatetimeObjects {
    PyObject* datetime_type;
    PyObject* utc;
    PyObject* fold_keyword;  // ("fold",), the vectorcall keyword names
};

// Lives for the rest of the process, like the classes; the interpreter lock
// serialises the first call.
const DatetimeObjects* datetime_objects() {
    static DatetimeObjects objects{};
    if (objects.datetime_type != nullptr) return &objects;
    const PyRef module = PyRef::steal(PyImport_ImportModule("datetime"));
    if (!module) return nullptr;
    PyRef type = PyRef::steal(PyObject_GetAttrString(module.get(), "datetime"));
    const PyRef timezone = PyRef::steal(PyObject_GetAttrString(module.get(), "timezone"));
    if (!type || !timezone) return nullptr;
    PyRef utc = PyRef::steal(PyObject_GetAttrString(timezone.get(), "utc"));
    PyRef fold = PyRef::steal(Py_BuildValue("(s)", "fold"));
    if (!utc || !fold) return nullptr;
    objects = {type.release(), utc.release(), fold.release()};
    return &objects;
}

PyObject* timestamp_name() {
    static PyObject* name = PyUnicode_InternFromString("timestamp");
    return name;
}

}  // namespace

bool convert(PyObject* obj, UtcInstant& out) {
    PyObject* name = timestamp_name();
    if (name == nullptr) return false;
    PyObject* args[] = {obj};
    const PyRef stamp = PyRef::steal(
        PyObject_VectorcallMethod(name, args, 1 | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
    if (!stamp) return false;
    double seconds;
    if (!convert(stamp.get(), seconds)) return false;
    auto instant = utc_instant_from_timestamp(seconds);
    if (!instant) {
        raise_error(instant.error());
        return false;
    }
    out = *instant;
    return true;
}

PyObject* to_python(const UtcInstant& instant) {
    const DatetimeObjects* dt = datetime_objects();
    if (dt == nullptr) return nullptr;
    const CivilTime t = to_civil_time(instant);
    const PyRef fields[] = {
        PyRef::steal(PyLong_FromLongLong(t.date.year)), PyRef::steal(PyLong_FromLong(t.date.month)),
        PyRef::steal(PyLong_FromLong(t.date.day)),      PyRef::steal(PyLong_FromLong(t.hour)),
        PyRef::steal(PyLong_FromLong(t.minute)),        PyRef::steal(PyLong_FromLong(t.second)),
        PyRef::steal(PyLong_FromLong(static_cast<long>(t.nanos / 1000))),
        PyRef::steal(PyLong_FromLong(0)),
    };
    for (const PyRef& field : fields) {
        if (!field) return nullptr;
    }
    PyObject* args[] = {fields[0].get(), fields[1].get(), fields[2].get(), fields[3].get(),
                        fields[4].get(), fields[5].get(), fields[6].get(), dt->utc,
                        fields[7].get()};
    PyRef result = PyRef::steal(PyObject_Vectorcall(dt->datetime_type, args, 8, dt->fold_keyword));
    if (!result) return nullptr;
    if (t.leap_second &&
        PyErr_WarnEx(PyExc_UserWarning,
                     "ignored leap-second, `datetime` does not support leap-seconds", 0) < 0) {
        // The datetime is still the answer; the warning's failure goes to the
        // unraisable hook rather than replacing it.
        PyErr_WriteUnraisable(result.get());
    }
    return result.release();
}

}  // namespace kelvane::py
