// Small calls: the entries the Python front calls first, with the user's
// arguments as given, so that a call on a few options costs little more
// than its arithmetic.
//
// A small entry takes only the plain forms of the arguments: an exact float
// or int, an exact numpy array of native float64 in C order, option types
// as an exact str or an exact array of native str_, out None or such an
// array, writable, of the result's shape, and threads None or an int of at
// least 1; instants as an exact datetime whose timestamp() runs no Python
// code or an exact datetime64 array of native order and a unit of its own.
// Every array of dimensions has one shape, of fewer than `few_elements`
// elements; scalars and 0-d arrays stand for their value over it. Taking them
// runs no Python code, so an entry that meets anything else returns None
// and the front goes on through its general path, which decides that call
// exactly as if the small entry had never looked. Otherwise the entry runs
// the core's loop on the caller's thread, keeping the interpreter lock as
// every loop this short does, and returns the result the general path
// returns: a new float64 array, a numpy float64 for 0-d operands, or out;
// for b76_greeks, a dict of them by greek name (the rows of one new block,
// or the caller's arrays).
//
// An entry is a few lines over SmallCall: take each argument, open the
// result(s), run the row function, finish. A pricing entry of the option
// functions' arguments is one line of small_calls.cpp's list
// (small_option_entry over its formula); the interval entries, which run
// module.cpp's own, live beside them there. Each front function calls its
// small entry before its general path.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/strided.hpp"
#include "option_pricing/b76_greeks.hpp"
#include "python/kelvane_arrays/native/operands.hpp"
#include "python/shared/buffer_view.hpp"
#include "python/shared/conversions.hpp"
#include "python/shared/py_ref.hpp"
#include "python/shared/python.hpp"

namespace kelvane::py::arrays {

// The numpy objects a small call checks against and allocates with, taken
// once when the module executes and held in its state.
struct SmallCallState {
    PyObject* ndarray;  // numpy.ndarray, the only array type taken
    PyObject* empty;    // numpy.empty, which allocates a result
    PyObject* float64;  // numpy.float64, the type of a 0-d result
    // kelvane's smile classes, in the order of smile_kinds, and the name
    // of the method that shows a smile's parameters.
    std::array<PyObject*, 3> smiles;
    PyObject* get_param_dict;
    // What an instant in a plain form is and how it is read: exact
    // datetimes of no time zone or of an exact datetime.timezone (whose
    // timestamp() runs no Python code), and datetime64 arrays read as views
    // of their int64 ticks.
    PyObject* datetime;
    PyObject* timezone;
    PyObject* int64;
    PyObject* timestamp;  // the names of the attributes read
    PyObject* tzinfo;
    PyObject* dtype;
    PyObject* str;
    PyObject* view;
    // The names of the Black-76 greeks in registry order, interned as the
    // front's own names are, so that a name it passes is found by identity.
    std::array<PyObject*, option_pricing::b76::greek_count> greek_names;
};

SmallCallState& small_call_state(PyObject* module);

// A new float64 array of the shape, C order, from numpy.empty; null with
// the exception set.
PyObject* new_array(const SmallCallState& numpy, int ndim, const Py_ssize_t* shape);

// A numpy float64 of the value; null with the exception set.
PyObject* new_float64(const SmallCallState& numpy, double value);

// The kind names of the smile classes, as the array module's models know
// them.
inline constexpr const char* smile_kinds[] = {"GVVSpline", "VolGeo", "CubicSpline"};

// Module execution: takes the numpy objects into the state and adds the
// small entries to the module. -1 with an exception set on failure.
int exec_small_calls(PyObject* module);
int traverse_small_calls(PyObject* module, visitproc visit, void* arg);
int clear_small_calls(PyObject* module);

// One output of a small call, opened by SmallCall::open_result: the row
// the loop writes, and the object it becomes.
class SmallResult {
public:
    SmallResult() = default;
    SmallResult(const SmallResult&) = delete;
    SmallResult& operator=(const SmallResult&) = delete;

    strided::OutRow<double> row() const noexcept { return row_; }
    // The result, a new reference: the array written, or a numpy float64
    // of the one value; null with the exception set.
    PyObject* finish(const SmallCallState& numpy);

private:
    friend class SmallCall;

    PyRef array_;
    BufferView view_;
    double scalar_ = 0.0;
    strided::OutRow<double> row_{reinterpret_cast<char*>(&scalar_), 0};
};

// The arguments of one small call, taken in their plain forms. Each taking
// returns false, with no exception pending, for an argument in any other
// form: the call is then the general path's.
class SmallCall {
public:
    // The most float operands a call takes.
    static constexpr std::size_t max_numbers = 6;
    // The most outputs a call writes: one per greek.
    static constexpr std::size_t max_outputs = option_pricing::b76::greek_count;

    explicit SmallCall(const SmallCallState& numpy) noexcept : numpy_(numpy) {}
    SmallCall(const SmallCall&) = delete;
    SmallCall& operator=(const SmallCall&) = delete;

    // The next float operand.
    bool number(PyObject* obj);
    // `count` float operands in a row.
    bool numbers(PyObject* const* objs, std::size_t count);
    // The option types: a str, read by the scalar parser, or an array of
    // str_ each an accepted spelling in ASCII (any other text is left to
    // the general path, which reports it).
    bool option_types(PyObject* obj);
    // After the inputs: out, None or an array of the inputs' shape that
    // overlaps none of them other than element for element.
    bool output(PyObject* obj);
    // After the inputs: the arrays of a call of several outputs, each taken
    // as output() takes out and overlapping none of the others, their rows
    // into `rows`.
    bool outputs(std::span<PyObject* const> objs, std::span<strided::OutRow<double>> rows);
    bool threads(PyObject* obj);
    // An instant operand as the interval entries take it: a float
    // timestamp, or an array of int64 ticks (read by those entries, not
    // here).
    bool instants(PyObject* obj);

    // The call's shape: ndim -1 while every operand is a scalar.
    int ndim() const noexcept { return ndim_; }
    const Py_ssize_t* shape() const noexcept { return shape_; }
    // The caller's out, borrowed; null for None.
    PyObject* out() const noexcept { return out_; }

    std::size_t count() const noexcept { return count_; }
    strided::Row<double> row(std::size_t k) const noexcept { return rows_[k]; }
    strided::Row<std::uint8_t> codes() const noexcept { return codes_; }
    const SmallCallState& numpy() const noexcept { return numpy_; }

    // Opens a result of the call's shape: the caller's out (for a call of
    // one output), a new array, or a scalar. False with no exception
    // pending when it cannot be had; the general path then tries.
    bool open_result(SmallResult& result);

    // The one result of a call of one output, written by
    // `fill(OutRow<double>)`; None when it cannot be opened.
    template <class Fill>
    PyObject* result(Fill&& fill) {
        SmallResult result;
        if (!open_result(result)) return none();
        fill(result.row());
        return result.finish(numpy_);
    }

private:
    // The buffer of an exact ndarray in C order; false for anything else.
    bool take_array(PyObject* obj, int flags, const Py_buffer*& view);
    // The memory of an out as output() takes it; null for anything else.
    char* take_output(PyObject* obj);
    // Whether an array of dimensions has the call's shape, which the first
    // sets.
    bool join_shape(const Py_buffer& view);
    bool same_shape(const Py_buffer& view) const noexcept;

    const SmallCallState& numpy_;
    // Filled up to held_ as they are taken: numbers, option types, outputs.
    std::array<BufferView, max_numbers + 1 + max_outputs> views_;
    std::size_t held_ = 0;
    // The shape of the arrays taken: that of the first, held in its view;
    // ndim -1 while none is.
    int ndim_ = -1;
    const Py_ssize_t* shape_ = nullptr;
    std::size_t count_ = 1;
    std::array<double, max_numbers> scalars_{};
    std::array<strided::Row<double>, max_numbers> rows_{};
    std::size_t numbers_ = 0;
    // The memory of each input the loop reads where it lies, for the
    // overlap with out.
    struct Span {
        const char* base;
        std::size_t bytes;
    };
    std::array<Span, max_numbers> inputs_{};
    std::size_t input_count_ = 0;
    std::uint8_t code_ = 0;
    std::array<std::uint8_t, few_elements> code_storage_{};
    strided::Row<std::uint8_t> codes_{reinterpret_cast<const char*>(&code_), 0};
    PyObject* out_ = nullptr;  // borrowed: the caller's out, if any
    char* out_base_ = nullptr;
};

}  // namespace kelvane::py::arrays
