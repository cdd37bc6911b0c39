// kelvane_arrays._native: the array module's native entry points, which the
// Python front (kelvane_arrays/__init__.py) calls with its operands already
// resolved: an output of the broadcast shape, numpy arrays or Python
// scalars for the inputs, option types as codes and instants as timestamps
// or datetime64 ticks. Each entry places its operands, releases the
// interpreter lock and runs the core's loops over them, on the caller's
// thread or on `threads` threads; the output is written in place and the
// entry returns None.
//
// Entries take their arguments by position only: they are the front's, not
// the user's, and they check every argument again all the same.
#include <algorithm>
#include <initializer_list>
#include <utility>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "calendar/calendar.hpp"
#include "calendar/loops.hpp"
#include "common/parallel.hpp"
#include "option_pricing/b76.hpp"
#include "option_pricing/b76_greeks.hpp"
#include "option_pricing/binary.hpp"
#include "option_pricing/implied_vol.hpp"
#include "option_pricing/iv_calibration.hpp"
#include "option_pricing/loops.hpp"
#include "python/kelvane_arrays/native/operands.hpp"
#include "python/kelvane_arrays/native/option_codes.hpp"
#include "python/kelvane_arrays/native/small_calls.hpp"
#include "python/shared/buffer_view.hpp"
#include "python/shared/conversions.hpp"
#include "python/shared/errors.hpp"
#include "python/shared/pricing_names.hpp"
#include "python/shared/py_ref.hpp"
#include "volmodel/vol_model/loops.hpp"

namespace kelvane::py::arrays {
namespace {

using option_pricing::OptionRowLoop;
using option_pricing::PlainRowLoop;
using option_pricing::at_machine_width;
using option_pricing::option_row;
using strided::Layout;
using strided::OutRow;
using strided::Row;
namespace b76 = option_pricing::b76;
namespace binary = option_pricing::binary;

using FastCall = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t);

// Runs `row(bases, strides, count, first)` over every element of the
// layout, cut into chunks over `threads` threads, without the interpreter
// lock.
template <std::size_t N, class RowFunction>
void run_loop(const Layout<N>& layout, std::size_t threads, RowFunction&& row) {
    if (threads == 1 && layout.size() < few_elements) {
        layout.for_rows(0, layout.size(), row);
        return;
    }
    const GilReleased unlocked;
    parallel::for_chunks(layout.size(), threads, [&](std::size_t, std::size_t begin, std::size_t end) {
        layout.for_rows(begin, end, row);
    });
}

// ---- option types ------------------------------------------------------

// The code of a str by the scalar parser; the text's own errors, under
// the argument's name for the whole argument (an element's are placed by
// its position instead).
bool code_of_str(PyObject* text, std::uint8_t& code, bool whole_argument = false) {
    OptionTypeText parsed_text;
    option_pricing::OptionType type;
    if (!convert(text, parsed_text)) {
        if (whole_argument) prefix_argument_error("call_put");
        return false;
    }
    if (!parse_option_type(parsed_text, type)) return false;
    code = type == option_pricing::OptionType::Call ? option_pricing::call_code : option_pricing::put_code;
    return true;
}

// Puts "where: " before the message of the pending exception, keeping its
// class.
void locate_error(const std::string& where) {
    const PyRef raised = PyRef::steal(PyErr_GetRaisedException());
    if (!raised) return;
    const PyRef message = PyRef::steal(PyObject_Str(raised.get()));
    if (!message) return;  // that failure is the one reported
    PyErr_Format(reinterpret_cast<PyObject*>(Py_TYPE(raised.get())), "%s: %U", where.c_str(), message.get());
}

// Puts the element's place before the message of the pending exception,
// as the scalar functions would name the argument: a TypeError becomes
// "argument 'name'[i, j]: ..." (the argument wrapping, with the place), a
// ValueError or OverflowError "name[i, j]: ..." of its own class. Any other
// exception (one a __float__ raised: a RuntimeError of a borrow, say)
// passes unchanged, as the scalar's would. An element of a 0-d array is
// the argument itself: its error is wrapped exactly as the scalar's.
void locate_element_error(const char* name, std::span<const std::size_t> shape, std::size_t flat) {
    if (shape.empty()) {
        prefix_argument_error(name);
        return;
    }
    PyObject* const type = PyErr_Occurred();  // exact classes: a subclass may not take one message
    if (type == PyExc_ValueError || type == PyExc_OverflowError) {
        locate_error(position(name, shape, flat));
        return;
    }
    if (type != PyExc_TypeError) return;
    const PyRef raised = PyRef::steal(PyErr_GetRaisedException());
    const PyRef message = PyRef::steal(PyObject_Str(raised.get()));
    if (!message) return;
    PyErr_Format(PyExc_TypeError, "argument '%s'%s: %U", name, position("", shape, flat).c_str(), message.get());
}

// floats(objects, name) -> bytearray: the double of every element of a
// buffer of objects (any shape and strides), in C order, each by the scalar
// float conversion. The first element that it refuses raises the scalar's
// error placed by locate_element_error; nothing is returned then.
PyObject* floats(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("floats", nargs, 2)) return nullptr;
    Utf8 name;
    if (!convert(args[1], name)) return prefix_argument_error("name"), nullptr;
    const std::string argument(name.text);
    // Held to the end: the elements stay where they are while __float__
    // runs Python code.
    BufferView buffer;
    if (!buffer.acquire(args[0], PyBUF_STRIDES | PyBUF_FORMAT)) {
        prefix_argument_error(argument.c_str());
        return nullptr;
    }
    const Py_buffer& view = *buffer;
    std::string_view format = view.format == nullptr ? "B" : view.format;
    if (!format.empty() && (format[0] == '=' || format[0] == '<' || format[0] == '@')) format.remove_prefix(1);
    if (format != "O" || view.itemsize != sizeof(PyObject*)) {
        PyErr_Format(PyExc_TypeError, "argument '%s': expected a buffer of objects, got format '%s'",
                     argument.c_str(), view.format == nullptr ? "B" : view.format);
        return nullptr;
    }
    if (view.ndim < 0 || static_cast<std::size_t>(view.ndim) > strided::max_dims) {
        PyErr_Format(PyExc_ValueError, "argument '%s': too many dimensions", argument.c_str());
        return nullptr;
    }
    std::vector<std::size_t> shape(static_cast<std::size_t>(view.ndim));
    for (int d = 0; d < view.ndim; ++d) shape[d] = static_cast<std::size_t>(view.shape[d]);
    Layout<1> layout(shape.size(), shape.data());
    layout.operand(0).base = static_cast<char*>(view.buf);
    for (int d = 0; d < view.ndim; ++d) layout.operand(0).strides[d] = view.strides[d];
    const std::size_t n = layout.size();
    if (!could_fit_in_memory(n, sizeof(double))) return nullptr;
    PyRef values = PyRef::steal(PyByteArray_FromStringAndSize(nullptr, static_cast<Py_ssize_t>(n * sizeof(double))));
    if (!values) return nullptr;
    char* written = PyByteArray_AsString(values.get());
    layout.coalesce();
    bool ok = true;
    layout.for_rows(0, n, [&](const std::array<char*, 1>& bases, const std::array<std::ptrdiff_t, 1>& steps,
                              std::size_t count, std::size_t first) {
        for (std::size_t i = 0; ok && i < count; ++i) {
            // A reference of our own: __float__ may replace the array's element.
            const PyRef item = PyRef::borrow(
                strided::load<PyObject*>(bases[0] + static_cast<std::ptrdiff_t>(i) * steps[0]));
            double value;
            if (!convert(item ? item.get() : Py_None, value)) {
                locate_element_error(argument.c_str(), shape, first + i);
                ok = false;
                return;
            }
            std::memcpy(written + (first + i) * sizeof(double), &value, sizeof value);
        }
    });
    return ok ? values.release() : nullptr;
}

// The code of element text of code points (UCS4, trailing NULs not part
// of it, as numpy's str_ arrays hold them): an accepted ASCII spelling at
// once, any other text as the str it holds, read by the scalar conversion,
// which reports it.
bool code_of_ucs4(const char* at, std::size_t units, std::uint8_t& code) {
    if (const auto ascii = ascii_code(at, units)) {
        code = *ascii;
        return true;
    }
    std::size_t length = units;
    while (length > 0 && strided::load<std::uint32_t>(at + 4 * (length - 1)) == 0) --length;
    int byte_order = -1;  // the buffer's native order, little-endian here
    const PyRef text = PyRef::steal(
        PyUnicode_DecodeUTF32(at, static_cast<Py_ssize_t>(length * 4), "strict", &byte_order));
    return text && code_of_str(text.get(), code);
}

// option_types(call_put, threads) -> int | bytearray: the code of a str, or one
// code per element, in C order, of a list or tuple of str or of a buffer of
// str_ (UCS4) or object elements. A failing element raises its scalar error
// with its position.
PyObject* option_types(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("option_types", nargs, 2)) return nullptr;
    PyObject* obj = args[0];
    std::size_t threads;
    if (!convert_threads(args[1], threads)) return nullptr;
    std::uint8_t code = 0;
    if (PyUnicode_Check(obj)) {
        if (!code_of_str(obj, code, true)) return nullptr;
        return PyLong_FromLong(code);
    }
    if (PyList_Check(obj) || PyTuple_Check(obj)) {
        const bool list = PyList_Check(obj);
        const Py_ssize_t n = list ? PyList_Size(obj) : PyTuple_Size(obj);
        PyRef codes = PyRef::steal(PyByteArray_FromStringAndSize(nullptr, n));
        if (!codes) return nullptr;
        // Converting a str runs no Python code, so the list cannot change
        // under the loop; the length is read again all the same.
        for (Py_ssize_t i = 0; i < n && i < (list ? PyList_Size(obj) : PyTuple_Size(obj)); ++i) {
            const PyRef item = PyRef::borrow(list ? PyList_GetItem(obj, i) : PyTuple_GetItem(obj, i));
            if (!item || !code_of_str(item.get(), code)) {
                const std::size_t extent = static_cast<std::size_t>(n);
                locate_error(position("call_put", {&extent, 1}, static_cast<std::size_t>(i)));
                return nullptr;
            }
            PyByteArray_AsString(codes.get())[i] = static_cast<char>(code);
        }
        return codes.release();
    }
    BufferView buffer;
    if (!buffer.acquire(obj, PyBUF_STRIDES | PyBUF_FORMAT)) {
        PyErr_Clear();
        raise_type_cast_error(obj, "str");
        prefix_argument_error("call_put");
        return nullptr;
    }
    const Py_buffer& view = *buffer;
    std::string_view format = view.format == nullptr ? "B" : view.format;
    if (!format.empty() && (format[0] == '=' || format[0] == '<' || format[0] == '@')) format.remove_prefix(1);
    const bool objects = format == "O" && view.itemsize == sizeof(PyObject*);
    const bool ucs4 = !format.empty() && format.back() == 'w' && view.itemsize % 4 == 0;
    if (!objects && !ucs4) {
        PyErr_Format(PyExc_TypeError, "argument 'call_put': expected str elements, got format '%s'",
                     view.format == nullptr ? "B" : view.format);
        return nullptr;
    }
    if (view.ndim < 0 || static_cast<std::size_t>(view.ndim) > strided::max_dims) {
        PyErr_SetString(PyExc_ValueError, "argument 'call_put': too many dimensions");
        return nullptr;
    }
    std::vector<std::size_t> shape(static_cast<std::size_t>(view.ndim));
    for (int d = 0; d < view.ndim; ++d) shape[d] = static_cast<std::size_t>(view.shape[d]);
    Layout<1> layout(shape.size(), shape.data());
    layout.operand(0).base = static_cast<char*>(view.buf);
    for (int d = 0; d < view.ndim; ++d) layout.operand(0).strides[d] = view.strides[d];
    // A broadcast view claims elements it does not hold: the codes are
    // allocated only for a count that could fit.
    const std::size_t n = layout.size();
    if (!could_fit_in_memory(n, 1)) return nullptr;
    PyRef codes = PyRef::steal(PyByteArray_FromStringAndSize(nullptr, static_cast<Py_ssize_t>(n)));
    if (!codes) return nullptr;
    char* written = PyByteArray_AsString(codes.get());
    layout.coalesce();
    const std::size_t units = static_cast<std::size_t>(view.itemsize) / 4;
    if (ucs4) {
        // The accepted ASCII spellings on every core; anything else sends the
        // whole array to the reading below, which reports the first fault.
        std::atomic<bool> all_read{true};
        {
            std::optional<GilReleased> unlocked;
            if (threads > 1 || n >= few_elements) unlocked.emplace();
            parallel::for_chunks(n, threads, [&](std::size_t, std::size_t begin, std::size_t end) {
                layout.for_rows(begin, end, [&](const auto& bases, const auto& steps, std::size_t count,
                                                std::size_t first) {
                    if (units == 1) {  // "c" and "p", the usual book: one letter each
                        const char* from = bases[0];
                        const std::ptrdiff_t step = steps[0];
                        std::uint8_t* to = reinterpret_cast<std::uint8_t*>(written) + first;
                        std::uint8_t worst = 0;
                        for (std::size_t i = 0; i < count; ++i) {
                            const std::uint8_t code = letter_code(from + static_cast<std::ptrdiff_t>(i) * step);
                            worst = std::max(worst, code);
                            to[i] = code;
                        }
                        if (worst > option_pricing::put_code) all_read.store(false, std::memory_order_relaxed);
                        return;
                    }
                    for (std::size_t i = 0; i < count; ++i) {
                        const auto code = ascii_code(bases[0] + static_cast<std::ptrdiff_t>(i) * steps[0], units);
                        if (!code) {
                            all_read.store(false, std::memory_order_relaxed);
                            return;
                        }
                        written[first + i] = static_cast<char>(*code);
                    }
                });
            });
        }
        if (all_read.load()) return codes.release();
    }
    bool ok = true;
    layout.for_rows(0, n, [&](const std::array<char*, 1>& bases, const std::array<std::ptrdiff_t, 1>& steps,
                              std::size_t count, std::size_t first) {
        for (std::size_t i = 0; ok && i < count; ++i) {
            const char* at = bases[0] + static_cast<std::ptrdiff_t>(i) * steps[0];
            std::uint8_t element_code = 0;
            bool element_ok;
            if (objects) {
                // No Python code runs while the elements are read under the
                // lock, so each pointer is live; a reference is held anyway.
                const PyRef item = PyRef::borrow(strided::load<PyObject*>(at));
                if (!item) raise_type_cast_error(Py_None, "str");
                element_ok = item && code_of_str(item.get(), element_code);
            } else {
                element_ok = code_of_ucs4(at, units, element_code);
            }
            if (!element_ok) {
                locate_error(position("call_put", shape, first + i));
                ok = false;
                return;
            }
            written[first + i] = static_cast<char>(element_code);
        }
    });
    return ok ? codes.release() : nullptr;
}

// ---- pricing -----------------------------------------------------------

constexpr const char* option_names[] = {"call_put", "fwd", "strike", "ttx", "vol", "df"};
constexpr const char* calibration_names[] = {"call_put", "ttx", "fwd", "strike", "price", "df"};

// The array module's own solver, which the scalar module does not have.
constexpr char b76_implied_vol_name[] = "b76_implied_vol";
constexpr const char* plain_names[] = {"fwd", "strike", "ttx", "vol", "df"};

// Places the inputs args[2..] and the output args[0] of a loop of N
// operands; names[k] names input k. The output is operand N - 1.
template <std::size_t N>
bool prepare(PyObject* const* args, const char* const* names, const Element* elements,
             std::array<Operand, N>& ops, std::optional<Layout<N>>& layout, std::size_t& threads) {
    Operand& out = ops[N - 1];
    if (!out.acquire_output(args[0]) || !convert_threads(args[1], threads)) return false;
    layout.emplace(out.shape().size(), out.shape().data());
    for (std::size_t k = 0; k + 1 < N; ++k) {
        if (!ops[k].acquire(args[2 + k], elements[k], names[k]) || !place(ops[k], names[k], *layout, k)) {
            return false;
        }
    }
    if (!place(out, "out", *layout, N - 1)) return false;
    layout->coalesce();
    return true;
}

// name(out, threads, call_put codes, a, b, c, d, df).
template <const char* Name, OptionRowLoop Loop, const auto& Names>
PyObject* option_entry(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count(Name, nargs, 8)) return nullptr;
    static constexpr Element elements[] = {Element::code,    Element::float64, Element::float64,
                                           Element::float64, Element::float64, Element::float64};
    std::array<Operand, 7> ops;
    std::optional<Layout<7>> layout;
    std::size_t threads;
    if (!prepare(args, Names, elements, ops, layout, threads)) return nullptr;
    run_loop(*layout, threads, [](const auto& at, const auto& step, std::size_t count, std::size_t) {
        Loop(count, Row<std::uint8_t>{at[0], step[0]}, Row<double>{at[1], step[1]}, Row<double>{at[2], step[2]},
            Row<double>{at[3], step[3]}, Row<double>{at[4], step[4]}, Row<double>{at[5], step[5]},
            OutRow<double>{at[6], step[6]});
    });
    return none();
}

// name(out, threads, fwd, strike, ttx, vol, df).
template <const char* Name, PlainRowLoop Loop>
PyObject* plain_entry(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count(Name, nargs, 7)) return nullptr;
    static constexpr Element elements[] = {Element::float64, Element::float64, Element::float64,
                                           Element::float64, Element::float64};
    std::array<Operand, 6> ops;
    std::optional<Layout<6>> layout;
    std::size_t threads;
    if (!prepare(args, plain_names, elements, ops, layout, threads)) return nullptr;
    run_loop(*layout, threads, [](const auto& at, const auto& step, std::size_t count, std::size_t) {
        Loop(count, Row<double>{at[0], step[0]}, Row<double>{at[1], step[1]}, Row<double>{at[2], step[2]},
             Row<double>{at[3], step[3]}, Row<double>{at[4], step[4]}, OutRow<double>{at[5], step[5]});
    });
    return none();
}

// b76_greeks(outs, greeks, threads, call_put codes, fwd, strike, ttx, vol,
// df): outs a tuple of float64 arrays of one shape, greeks a tuple of as
// many distinct greek numbers (registry order); outs[j] receives greek
// greeks[j] of every option.
PyObject* b76_greeks(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("b76_greeks", nargs, 9)) return nullptr;
    constexpr std::size_t inputs = 6;
    constexpr std::size_t most = inputs + b76::greek_count;
    PyObject* outs = args[0];
    PyObject* ids = args[1];
    if (!PyTuple_Check(outs)) return raise_type_cast_error(outs, "tuple"), prefix_argument_error("out"), nullptr;
    if (!PyTuple_Check(ids)) return raise_type_cast_error(ids, "tuple"), prefix_argument_error("greeks"), nullptr;
    const Py_ssize_t count = PyTuple_Size(outs);
    if (count < 1 || count > static_cast<Py_ssize_t>(b76::greek_count) || PyTuple_Size(ids) != count) {
        PyErr_SetString(PyExc_ValueError, "argument 'greeks': one to sixteen greeks, one output each");
        return nullptr;
    }
    std::array<b76::GreekRow, b76::greek_count> rows{};
    b76::GreekSet seen = 0;
    for (Py_ssize_t j = 0; j < count; ++j) {
        const long id = PyLong_AsLong(PyTuple_GetItem(ids, j));
        if (id == -1 && PyErr_Occurred()) return prefix_argument_error("greeks"), nullptr;
        if (id < 0 || id >= static_cast<long>(b76::greek_count) || (seen & (b76::GreekSet{1} << id))) {
            PyErr_Format(PyExc_ValueError, "argument 'greeks': no greek numbered %ld, or named twice", id);
            return nullptr;
        }
        seen |= b76::GreekSet{1} << id;
        rows[static_cast<std::size_t>(j)].greek = static_cast<b76::Greek>(id);
    }
    static constexpr Element elements[] = {Element::code,    Element::float64, Element::float64,
                                           Element::float64, Element::float64, Element::float64};
    std::array<Operand, most> ops;
    std::size_t threads;
    const std::size_t k = static_cast<std::size_t>(count);
    if (!ops[inputs].acquire_output(PyTuple_GetItem(outs, 0)) || !convert_threads(args[2], threads)) return nullptr;
    const std::span<const std::size_t> shape = ops[inputs].shape();
    Layout<most> layout(shape.size(), shape.data());
    for (std::size_t j = 1; j < k; ++j) {
        Operand& out = ops[inputs + j];
        if (!out.acquire_output(PyTuple_GetItem(outs, static_cast<Py_ssize_t>(j)))) return nullptr;
        if (!std::ranges::equal(out.shape(), shape)) {
            PyErr_SetString(PyExc_ValueError, "argument 'out': the outputs differ in shape");
            return nullptr;
        }
    }
    for (std::size_t i = 0; i < inputs; ++i) {
        if (!ops[i].acquire(args[3 + i], elements[i], option_names[i]) ||
            !place(ops[i], option_names[i], layout, i)) {
            return nullptr;
        }
    }
    for (std::size_t j = 0; j < k; ++j) {
        if (!place(ops[inputs + j], "out", layout, inputs + j)) return nullptr;
    }
    layout.coalesce();
    run_loop(layout, threads, [&rows, k](const auto& at, const auto& step, std::size_t n, std::size_t) {
        std::array<b76::GreekRow, b76::greek_count> placed = rows;
        for (std::size_t j = 0; j < k; ++j) placed[j].out = OutRow<double>{at[inputs + j], step[inputs + j]};
        b76::greeks_row(n, Row<std::uint8_t>{at[0], step[0]}, Row<double>{at[1], step[1]},
                        Row<double>{at[2], step[2]}, Row<double>{at[3], step[3]}, Row<double>{at[4], step[4]},
                        Row<double>{at[5], step[5]}, std::span<const b76::GreekRow>(placed.data(), k));
    });
    return none();
}

// ---- smiles ------------------------------------------------------------

// The model of kind args[0] with the parameter dict args[1].
std::unique_ptr<vol_model::VolSlice> smile_of(PyObject* kind, PyObject* params) {
    Utf8 name;
    ParamDict values;
    if (!convert(kind, name)) {
        prefix_argument_error("kind");
        return nullptr;
    }
    if (!convert(params, values)) {
        prefix_argument_error("params");
        return nullptr;
    }
    auto model = vol_model::model_of_kind(name.text, std::move(values));
    if (!model) {
        PyErr_Format(PyExc_TypeError, "argument 'smile': no smile of kind '%s'", std::string(name.text).c_str());
    }
    return model;
}

// get_vol(kind, params, out, threads, ttx, spot, strikes).
PyObject* get_vol(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("get_vol", nargs, 7)) return nullptr;
    const auto model = smile_of(args[0], args[1]);
    if (!model) return nullptr;
    static constexpr const char* names[] = {"ttx", "spot", "strikes"};
    static constexpr Element elements[] = {Element::float64, Element::float64, Element::float64};
    std::array<Operand, 4> ops;
    std::optional<Layout<4>> layout;
    std::size_t threads;
    if (!prepare(args + 2, names, elements, ops, layout, threads)) return nullptr;
    const vol_model::VolSlice& smile = *model;
    run_loop(*layout, threads, [&](const auto& at, const auto& step, std::size_t count, std::size_t) {
        vol_model::vols_row(smile, count, Row<double>{at[0], step[0]}, Row<double>{at[1], step[1]},
                            Row<double>{at[2], step[2]}, OutRow<double>{at[3], step[3]});
    });
    return none();
}

// get_jacobian(kind, params, ttx, spot, strikes, names, out, threads):
// out[i, j] is the derivative at strikes[i] by names[j]; strikes
// one-dimensional, out of shape (len(strikes), len(names)). The strikes are
// cut into chunks over `threads` threads: the model fills its columns a
// block at a time with the bits of one call, so the cut changes nothing.
PyObject* get_jacobian(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("get_jacobian", nargs, 8)) return nullptr;
    const auto model = smile_of(args[0], args[1]);
    if (!model) return nullptr;
    double ttx, spot;
    NameList names;
    Operand strikes, out;
    if (!convert(args[2], ttx)) return prefix_argument_error("ttx"), nullptr;
    if (!convert(args[3], spot)) return prefix_argument_error("spot"), nullptr;
    if (!strikes.acquire(args[4], Element::float64, "strikes")) return nullptr;
    if (!convert(args[5], names)) return prefix_argument_error("params"), nullptr;
    if (!out.acquire_output(args[6])) return nullptr;
    std::size_t threads;
    if (!convert_threads(args[7], threads)) return nullptr;
    if (strikes.shape().size() != 1 || out.shape().size() != 2 || out.shape()[0] != strikes.shape()[0] ||
        out.shape()[1] != names.size()) {
        PyErr_SetString(PyExc_ValueError, "argument 'out': must be of shape (len(strikes), len(params))");
        return nullptr;
    }
    const std::size_t n = strikes.shape()[0];
    const Row<double> strike_row{strikes.base(), strikes.strides()[0]};
    const vol_model::VolSlice& smile = *model;
    const auto fill = [&](std::size_t begin, std::size_t end) {
        const std::size_t block = std::min<std::size_t>(end - begin, 1024);
        std::vector<double> in(block), storage(block * names.size());
        std::vector<std::span<double>> columns(names.size());
        for (std::size_t start = begin; start < end; start += block) {
            const std::size_t count = std::min(block, end - start);
            for (std::size_t i = 0; i < count; ++i) in[i] = strike_row[start + i];
            for (std::size_t j = 0; j < names.size(); ++j) columns[j] = {storage.data() + j * block, count};
            smile.fill_jacobian(ttx, spot, std::span<const double>(in.data(), count), names, columns);
            for (std::size_t j = 0; j < names.size(); ++j) {
                const OutRow<double> column{out.base() + out.strides()[1] * static_cast<std::ptrdiff_t>(j),
                                            out.strides()[0]};
                for (std::size_t i = 0; i < count; ++i) column.set(start + i, columns[j][i]);
            }
        }
    };
    if (threads == 1 && n < few_elements) {
        fill(0, n);
        return none();
    }
    const GilReleased unlocked;
    parallel::for_chunks(n, threads, [&](std::size_t, std::size_t begin, std::size_t end) { fill(begin, end); });
    return none();
}

// ---- business and calendar time ----------------------------------------

// Each underlying's calendar, built once per process when first asked for;
// the loops compute on copies of it, so it never changes after that.
const calendar::Calendar* calendar_for(PyObject* underlying) {
    static std::unordered_map<std::string, calendar::Calendar>* calendars =
        new std::unordered_map<std::string, calendar::Calendar>();
    Utf8 name;
    if (!convert(underlying, name)) {
        prefix_argument_error("underlying");
        return nullptr;
    }
    const std::string key(name.text);
    if (auto found = calendars->find(key); found != calendars->end()) return &found->second;
    auto created = calendar::Calendar::create(key);
    if (!created) {
        raise_error(created.error());
        return nullptr;
    }
    return &calendars->emplace(key, std::move(*created)).first->second;
}

bool holds_ticks(calendar::TimeUnit unit) {
    return unit != calendar::TimeUnit::timestamp && unit != calendar::TimeUnit::timestamp_or_nat;
}

bool time_unit_of(PyObject* obj, const char* name, calendar::TimeUnit& unit) {
    const long code = PyLong_AsLong(obj);
    if (code == -1 && PyErr_Occurred()) return prefix_argument_error(name), false;
    if (!calendar::is_time_unit(static_cast<int>(code))) {
        PyErr_Format(PyExc_ValueError, "argument '%s': no time unit of code %ld", name, code);
        return false;
    }
    unit = static_cast<calendar::TimeUnit>(code);
    return true;
}

// The first failure among the chunks, by element number.
struct LoopFailure {
    std::mutex mutex;
    std::optional<std::size_t> at;
    calendar::RowFailure failure;
    void record(std::size_t element, calendar::RowFailure&& row_failure) {
        const std::lock_guard lock(mutex);
        if (!at || element < *at) {
            at = element;
            failure = std::move(row_failure);
        }
    }
};

const char* side_name(calendar::FailedSide side) {
    switch (side) {
        case calendar::FailedSide::from: return "from_";
        case calendar::FailedSide::to: return "to";
        case calendar::FailedSide::interval: break;
    }
    return "interval";
}

// The interval entries: (out, threads, from, from_unit, to, to_unit,
// check_first) after their own leading arguments; `row(chunk, count, from,
// to, out)` runs a row and returns its failure. With check_first (a
// caller's out) every element is computed once into scratch first, so that
// a failing element leaves out as it was.
template <class IntervalRow>
PyObject* interval_entry(PyObject* const* args, IntervalRow&& row) {
    calendar::TimeUnit from_unit, to_unit;
    if (!time_unit_of(args[3], "from_unit", from_unit) || !time_unit_of(args[5], "to_unit", to_unit)) return nullptr;
    const int check_first = PyObject_IsTrue(args[6]);
    if (check_first < 0) return nullptr;
    std::array<Operand, 3> ops;
    std::size_t threads;
    if (!ops[2].acquire_output(args[0]) || !convert_threads(args[1], threads)) return nullptr;
    Layout<3> layout(ops[2].shape().size(), ops[2].shape().data());
    if (!ops[0].acquire(args[2], Element::time, "from_", holds_ticks(from_unit)) ||
        !place(ops[0], "from_", layout, 0) ||
        !ops[1].acquire(args[4], Element::time, "to", holds_ticks(to_unit)) ||
        !place(ops[1], "to", layout, 1) || !place(ops[2], "out", layout, 2)) {
        return nullptr;
    }
    const std::vector<std::size_t> shape(ops[2].shape().begin(), ops[2].shape().end());
    layout.coalesce();
    LoopFailure failure;
    auto run_pass = [&](bool into_scratch) {
        const GilReleased unlocked;
        parallel::for_chunks(layout.size(), threads, [&](std::size_t chunk, std::size_t begin, std::size_t end) {
            bool failed = false;
            double scratch[512];
            layout.for_rows(begin, end, [&](const auto& at, const auto& step, std::size_t count, std::size_t first) {
                // The scratch pass walks the row a piece at a time.
                const std::size_t piece = into_scratch ? std::size(scratch) : count;
                for (std::size_t done = 0; done < count && !failed; done += piece) {
                    const auto offset = [&](std::size_t k) { return static_cast<std::ptrdiff_t>(done) * step[k]; };
                    const calendar::TimeRow from{Row<std::int64_t>{at[0] + offset(0), step[0]}, from_unit};
                    const calendar::TimeRow to{Row<std::int64_t>{at[1] + offset(1), step[1]}, to_unit};
                    const OutRow<double> out = into_scratch ? OutRow<double>{reinterpret_cast<char*>(scratch), 8}
                                                            : OutRow<double>{at[2] + offset(2), step[2]};
                    std::optional<calendar::RowFailure> failed_at =
                        row(chunk, std::min(piece, count - done), from, to, out);
                    if (failed_at) {
                        failed = true;
                        failure.record(first + done + failed_at->index, std::move(*failed_at));
                    }
                }
            });
        });
    };
    if (check_first) run_pass(true);
    if (!failure.at) run_pass(false);
    if (failure.at) {
        // The position is the element's in the broadcast result.
        PyErr_Format(PyExc_ValueError, "%s: %s", position(side_name(failure.failure.side), shape, *failure.at).c_str(),
                     failure.failure.error.message.c_str());
        return nullptr;
    }
    return none();
}

// bus_ttx(underlying, out, threads, from, from_unit, to, to_unit, check_first).
PyObject* bus_ttx(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("bus_ttx", nargs, 8)) return nullptr;
    const calendar::Calendar* shared = calendar_for(args[0]);
    if (shared == nullptr) return nullptr;
    // One copy of the calendar per chunk, made on the chunk's thread: the
    // year cache of a copy fills as its chunk goes.
    std::vector<std::optional<calendar::Calendar>> copies(parallel::max_threads);
    return interval_entry(args + 1, [&](std::size_t chunk, std::size_t count, const calendar::TimeRow& from,
                                        const calendar::TimeRow& to, OutRow<double> out) {
        if (!copies[chunk]) copies[chunk].emplace(*shared);
        return calendar::bus_ttx_row(*copies[chunk], count, from, to, out);
    });
}

// cal_ttx(out, threads, from, from_unit, to, to_unit, check_first).
PyObject* cal_ttx(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("cal_ttx", nargs, 7)) return nullptr;
    return interval_entry(args, [](std::size_t, std::size_t count, const calendar::TimeRow& from,
                                   const calendar::TimeRow& to, OutRow<double> out) {
        return calendar::cal_ttx_row(count, from, to, out);
    });
}

// ---- small interval calls ------------------------------------------------

// An instant argument in a plain form, as the front passes it to the
// interval entries: the timestamp of an exact datetime whose timestamp()
// runs no Python code (naive, or of an exact datetime.timezone), or the
// int64 view of an exact datetime64 array of native order and a unit of
// its own (no multiple, no month or year). False, with no exception
// pending, for anything else.
bool small_instants(const SmallCallState& state, PyObject* obj, PyRef& operand, calendar::TimeUnit& unit) {
    PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(obj));
    if (type == state.datetime) {
        const PyRef zone = PyRef::steal(PyObject_GetAttr(obj, state.tzinfo));
        if (!zone || (zone.get() != Py_None && reinterpret_cast<PyObject*>(Py_TYPE(zone.get())) != state.timezone)) {
            PyErr_Clear();
            return false;
        }
        PyObject* self[] = {obj};
        operand = PyRef::steal(
            PyObject_VectorcallMethod(state.timestamp, self, 1 | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
        if (!operand) PyErr_Clear();  // a naive time the platform cannot place: the general path says so
        unit = calendar::TimeUnit::timestamp;
        return operand && PyFloat_CheckExact(operand.get());
    }
    if (type != state.ndarray) return false;
    const PyRef dtype = PyRef::steal(PyObject_GetAttr(obj, state.dtype));
    const PyRef text = dtype ? PyRef::steal(PyObject_GetAttr(dtype.get(), state.str)) : PyRef();
    Utf8 name;
    if (!text || !convert(text.get(), name)) {
        PyErr_Clear();
        return false;
    }
    std::string_view code = name.text;  // "<M8[us]"
    if (code.starts_with('=') || (code.starts_with('<') && std::endian::native == std::endian::little)) {
        code.remove_prefix(1);
    }
    if (!code.starts_with("M8[") || !code.ends_with(']')) return false;
    code = code.substr(3, code.size() - 4);
    using calendar::TimeUnit;
    static constexpr std::pair<std::string_view, TimeUnit> units[] = {
        {"W", TimeUnit::week},          {"D", TimeUnit::day},           {"h", TimeUnit::hour},
        {"m", TimeUnit::minute},        {"s", TimeUnit::second},        {"ms", TimeUnit::millisecond},
        {"us", TimeUnit::microsecond},  {"ns", TimeUnit::nanosecond},   {"ps", TimeUnit::picosecond},
        {"fs", TimeUnit::femtosecond},  {"as", TimeUnit::attosecond},
    };
    const auto found = std::find_if(std::begin(units), std::end(units), [&](const auto& u) { return u.first == code; });
    if (found == std::end(units)) return false;
    unit = found->second;
    PyObject* view_args[] = {obj, state.int64};
    operand = PyRef::steal(
        PyObject_VectorcallMethod(state.view, view_args, 2 | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
    if (!operand) PyErr_Clear();
    return bool(operand);
}

// The interval entry `entry` over from_ and to (args[0], args[1]) in plain
// forms, with out args[2] and threads args[3], after its leading
// arguments: the front's call of it, on the caller's thread, into a result
// of its own. None leaves the call to the general path.
PyObject* small_interval(PyObject* module, std::initializer_list<PyObject*> leading, PyObject* const* args,
                         FastCall entry) {
    const SmallCallState& state = small_call_state(module);
    PyRef start, end;
    calendar::TimeUnit start_unit, end_unit;
    SmallCall call(state);
    if (!small_instants(state, args[0], start, start_unit) || !small_instants(state, args[1], end, end_unit) ||
        !call.instants(start.get()) || !call.instants(end.get()) || !call.output(args[2]) ||
        !call.threads(args[3])) {
        return none();
    }
    const PyRef target = call.out() != nullptr ? PyRef::borrow(call.out())
                                               : PyRef::steal(new_array(state, std::max(call.ndim(), 0), call.shape()));
    const PyRef start_code = PyRef::steal(PyLong_FromLong(static_cast<long>(start_unit)));
    const PyRef end_code = PyRef::steal(PyLong_FromLong(static_cast<long>(end_unit)));
    const PyRef one = PyRef::steal(PyLong_FromLong(1));
    if (!target || !start_code || !end_code || !one) {
        PyErr_Clear();
        return none();
    }
    std::array<PyObject*, 8> entry_args;
    std::size_t n = 0;
    for (PyObject* arg : leading) entry_args[n++] = arg;
    for (PyObject* arg : {target.get(), one.get(), start.get(), start_code.get(), end.get(), end_code.get(),
                          call.out() != nullptr ? Py_True : Py_False}) {
        entry_args[n++] = arg;
    }
    // An instant the calendar cannot place: the general path reports it.
    if (!PyRef::steal(entry(module, entry_args.data(), static_cast<Py_ssize_t>(n)))) {
        PyErr_Clear();
        return none();
    }
    if (call.out() == nullptr && call.ndim() < 0) {
        const PyRef no_index = PyRef::steal(PyTuple_New(0));
        return no_index ? PyObject_GetItem(target.get(), no_index.get()) : nullptr;
    }
    return PyRef::borrow(target.get()).release();
}

// small_get_bus_ttx(underlying, from_, to, out, threads).
PyObject* small_get_bus_ttx(PyObject* module, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("small_get_bus_ttx", nargs, 5)) return nullptr;
    if (!PyUnicode_CheckExact(args[0])) return none();
    return small_interval(module, {args[0]}, args + 1, bus_ttx);
}

// small_get_cal_ttx(from_, to, out, threads).
PyObject* small_get_cal_ttx(PyObject* module, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("small_get_cal_ttx", nargs, 4)) return nullptr;
    return small_interval(module, {}, args, cal_ttx);
}

// timestamps(iterable, name, nats[, shape]) -> (bytearray, unit code): the
// float64 timestamp of each item by the scalar datetime conversion's first
// steps (item.timestamp(), then the float conversion), in order; an item
// that is one of the tuple `nats` (pandas' NaT, say) marks "not a time", and
// the code says whether any did. A failing item raises its own error with
// its position under `name` (its N-D index when the items are an array of
// `shape` in C order), or unchanged when name is None (one datetime).
PyObject* timestamps(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (nargs != 4 && !check_arg_count("timestamps", nargs, 3)) return nullptr;
    std::vector<std::size_t> shape;
    if (nargs == 4) {
        if (!PyTuple_Check(args[3])) return raise_type_cast_error(args[3], "tuple"), nullptr;
        for (Py_ssize_t d = 0; d < PyTuple_Size(args[3]); ++d) {
            const std::size_t extent = PyLong_AsSize_t(PyTuple_GetItem(args[3], d));
            if (extent == static_cast<std::size_t>(-1) && PyErr_Occurred()) return prefix_argument_error("shape"), nullptr;
            shape.push_back(extent);
        }
    }
    std::optional<std::string> argument;
    if (args[1] != Py_None) {
        Utf8 name;
        if (!convert(args[1], name)) return prefix_argument_error("name"), nullptr;
        argument.emplace(name.text);
    }
    if (!PyTuple_Check(args[2])) return raise_type_cast_error(args[2], "tuple"), nullptr;
    PyObject* nats = args[2];
    const auto is_nat = [nats](PyObject* item) {
        for (Py_ssize_t i = 0; i < PyTuple_Size(nats); ++i) {
            if (PyTuple_GetItem(nats, i) == item) return true;
        }
        return false;
    };
    const PyRef iterator = PyRef::steal(PyObject_GetIter(args[0]));
    if (!iterator) return nullptr;
    static PyObject* method = PyUnicode_InternFromString("timestamp");
    if (method == nullptr) return nullptr;
    std::vector<double> values;
    bool saw_nat = false;
    while (true) {
        const PyRef item = PyRef::steal(PyIter_Next(iterator.get()));
        if (!item) {
            if (PyErr_Occurred()) return nullptr;
            break;
        }
        if (is_nat(item.get())) {
            values.push_back(std::bit_cast<double>(calendar::not_a_time_stamp));
            saw_nat = true;
            continue;
        }
        PyObject* call_args[] = {item.get()};
        const PyRef stamp = PyRef::steal(
            PyObject_VectorcallMethod(method, call_args, 1 | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
        double seconds;
        if (!stamp || !convert(stamp.get(), seconds)) {
            if (argument) {
                locate_error(shape.size() > 1 ? position(argument->c_str(), shape, values.size())
                                              : *argument + "[" + std::to_string(values.size()) + "]");
            }
            return nullptr;
        }
        values.push_back(seconds);
    }
    PyRef bytes = PyRef::steal(PyByteArray_FromStringAndSize(
        reinterpret_cast<const char*>(values.data()), static_cast<Py_ssize_t>(values.size() * sizeof(double))));
    if (!bytes) return nullptr;
    const auto unit = saw_nat ? calendar::TimeUnit::timestamp_or_nat : calendar::TimeUnit::timestamp;
    return Py_BuildValue("(Ni)", bytes.release(), static_cast<int>(unit));
}

// ---- the module ---------------------------------------------------------

template <FastCall F>
PyMethodDef def(const char* name) {
    constexpr FastCall entry = guarded<F>;
    return {name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(entry)), METH_FASTCALL, nullptr};
}


PyMethodDef methods[] = {
    def<option_types>("option_types"),
    def<floats>("floats"),
    def<timestamps>("timestamps"),
    def<option_entry<names::b76_fairvalue, at_machine_width<b76::fairvalue_row_at>, option_names>>(
        names::b76_fairvalue),
    def<option_entry<names::b76_delta, at_machine_width<b76::delta_row_at>, option_names>>(names::b76_delta),
    def<plain_entry<names::b76_vega, at_machine_width<b76::vega_row_at>>>(names::b76_vega),
    def<plain_entry<names::b76_gamma, at_machine_width<b76::gamma_row_at>>>(names::b76_gamma),
    def<b76_greeks>("b76_greeks"),
    def<option_entry<names::binary_fairvalue, at_machine_width<binary::fairvalue_row_at>, option_names>>(
        names::binary_fairvalue),
    def<option_entry<names::binary_vega, at_machine_width<binary::vega_row_at>, option_names>>(names::binary_vega),
    def<option_entry<names::binary_delta, at_machine_width<binary::delta_row_at>, option_names>>(names::binary_delta),
    def<option_entry<names::binary_gamma, at_machine_width<binary::gamma_row_at>, option_names>>(names::binary_gamma),
    def<option_entry<names::binary_speed, at_machine_width<binary::speed_row_at>, option_names>>(names::binary_speed),
    def<option_entry<names::binary_theta, at_machine_width<binary::theta_row_at>, option_names>>(names::binary_theta),
    def<option_entry<names::calibrate_black76_iv, at_machine_width<option_pricing::iv_calibration::calibrate_black76_iv_row_at>,
                     calibration_names>>(
        names::calibrate_black76_iv),
    def<option_entry<b76_implied_vol_name, at_machine_width<option_pricing::implied_vol::black76_implied_vol_row_at>,
                     calibration_names>>(
        b76_implied_vol_name),
    def<get_vol>("get_vol"),
    def<get_jacobian>("get_jacobian"),
    def<bus_ttx>("bus_ttx"),
    def<cal_ttx>("cal_ttx"),
    def<small_get_bus_ttx>("small_get_bus_ttx"),
    def<small_get_cal_ttx>("small_get_cal_ttx"),
    {nullptr, nullptr, 0, nullptr},
};

int exec_module(PyObject* module) { return exec_small_calls(module); }

void free_module(void* module) { clear_small_calls(static_cast<PyObject*>(module)); }

PyModuleDef_Slot slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(guarded<exec_module>)},
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "kelvane_arrays._native", "", sizeof(SmallCallState), methods, slots,
    traverse_small_calls, clear_small_calls, free_module,
};

}  // namespace
}  // namespace kelvane::py::arrays

PyMODINIT_FUNC PyInit__native() {
    return PyModuleDef_Init(&kelvane::py::arrays::module_def);
}
