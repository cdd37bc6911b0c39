#include "python/kelvane_arrays/native/small_calls.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "option_pricing/b76.hpp"
#include "option_pricing/binary.hpp"
#include "option_pricing/implied_vol.hpp"
#include "option_pricing/iv_calibration.hpp"
#include "option_pricing/loops.hpp"
#include "volmodel/vol_model/loops.hpp"
#include "python/kelvane_arrays/native/option_codes.hpp"
#include "python/shared/conversions.hpp"
#include "python/shared/errors.hpp"

namespace kelvane::py::arrays {
namespace {

using option_pricing::OptionRowLoop;
using option_pricing::PlainRowLoop;
using option_pricing::at_machine_width;
using option_pricing::option_row;
using strided::OutRow;
using strided::Row;

// The item format without a prefix that says "native order".
std::string_view native_item(const char* format) {
    std::string_view f = format == nullptr ? "B" : format;
    if (!f.empty() && (f[0] == '@' || f[0] == '=' || (f[0] == '<' && std::endian::native == std::endian::little))) {
        f.remove_prefix(1);
    }
    return f;
}

bool is_float64(const Py_buffer& view) { return view.itemsize == 8 && native_item(view.format) == "d"; }

// numpy's str_ of n code points: "nw", n >= 1.
bool is_ucs4(const Py_buffer& view) {
    const std::string_view f = native_item(view.format);
    if (f.size() < 2 || f.back() != 'w' || view.itemsize <= 0 || view.itemsize % 4 != 0) return false;
    for (const char c : f.substr(0, f.size() - 1)) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

SmallCallState& small_call_state(PyObject* module) {
    return *static_cast<SmallCallState*>(PyModule_GetState(module));
}

PyObject* new_array(const SmallCallState& numpy, int ndim, const Py_ssize_t* shape) {
    const PyRef extents = PyRef::steal(ndim == 1 ? PyLong_FromSsize_t(shape[0]) : PyTuple_New(ndim));
    if (!extents) return nullptr;
    for (int d = 0; ndim != 1 && d < ndim; ++d) {
        PyObject* extent = PyLong_FromSsize_t(shape[d]);
        if (extent == nullptr || PyTuple_SetItem(extents.get(), d, extent) < 0) return nullptr;
    }
    PyObject* args[] = {extents.get()};
    return PyObject_Vectorcall(numpy.empty, args, 1, nullptr);
}

// ---- the arguments ----------------------------------------------------------

bool SmallCall::same_shape(const Py_buffer& view) const noexcept {
    if (view.ndim != ndim_) return false;
    for (int d = 0; d < ndim_; ++d) {
        if (view.shape[d] != shape_[d]) return false;
    }
    return true;
}

bool SmallCall::take_array(PyObject* obj, int flags, const Py_buffer*& view) {
    if (reinterpret_cast<PyObject*>(Py_TYPE(obj)) != numpy_.ndarray || held_ == views_.size()) return false;
    if (!views_[held_].acquire(obj, flags | PyBUF_STRIDES | PyBUF_FORMAT)) {
        PyErr_Clear();  // a read-only out, say: the general path says so
        return false;
    }
    view = &*views_[held_++];
    // C order: each dimension of more than one element steps over the
    // whole of the dimensions after it.
    Py_ssize_t step = view->itemsize;
    for (int d = view->ndim; d-- > 0;) {
        if (view->shape[d] != 1 && view->strides[d] != step) return false;
        step *= view->shape[d];
    }
    return true;
}

bool SmallCall::join_shape(const Py_buffer& view) {
    if (ndim_ >= 0) return same_shape(view);
    // The first array of dimensions sets the shape: a few elements, or it
    // is not a small call.
    std::size_t count = 1;
    for (int d = 0; d < view.ndim; ++d) {
        if (view.shape[d] == 0) count = 0;
    }
    for (int d = 0; count > 0 && d < view.ndim; ++d) {
        count *= static_cast<std::size_t>(view.shape[d]);
        if (count >= few_elements) return false;
    }
    ndim_ = view.ndim;
    shape_ = view.shape;
    count_ = count;
    return true;
}

bool SmallCall::number(PyObject* obj) {
    if (numbers_ == max_numbers) return false;
    const std::size_t k = numbers_++;
    if (PyFloat_CheckExact(obj) || PyLong_CheckExact(obj)) {
        // The scalar conversion itself; an int beyond the doubles raises,
        // and the general path raises it again.
        scalars_[k] = PyFloat_AsDouble(obj);
        if (scalars_[k] == -1.0 && PyErr_Occurred()) {
            PyErr_Clear();
            return false;
        }
        rows_[k] = {reinterpret_cast<const char*>(&scalars_[k]), 0};
        return true;
    }
    const Py_buffer* view;
    if (!take_array(obj, PyBUF_SIMPLE, view) || !is_float64(*view)) return false;
    if (view->ndim == 0) {
        // A 0-d array stands for its one value, read once, as a scalar does.
        scalars_[k] = strided::load<double>(static_cast<const char*>(view->buf));
        rows_[k] = {reinterpret_cast<const char*>(&scalars_[k]), 0};
        return true;
    }
    if (!join_shape(*view)) return false;
    rows_[k] = {static_cast<const char*>(view->buf), 8};
    inputs_[input_count_++] = {rows_[k].base, count_ * 8};
    return true;
}

bool SmallCall::numbers(PyObject* const* objs, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!number(objs[i])) return false;
    }
    return true;
}

bool SmallCall::option_types(PyObject* obj) {
    if (PyUnicode_CheckExact(obj)) {
        OptionTypeText text;
        option_pricing::OptionType type;
        if (!convert(obj, text) || !parse_option_type(text, type)) {
            PyErr_Clear();
            return false;
        }
        code_ = type == option_pricing::OptionType::Call ? option_pricing::call_code : option_pricing::put_code;
        return true;
    }
    const Py_buffer* view;
    if (!take_array(obj, PyBUF_SIMPLE, view) || !is_ucs4(*view)) return false;
    const bool one = view->ndim == 0;  // a 0-d array: one option type for all
    if (!one && !join_shape(*view)) return false;
    const char* at = static_cast<const char*>(view->buf);
    const std::size_t units = static_cast<std::size_t>(view->itemsize) / 4;
    for (std::size_t i = 0; i < (one ? 1 : count_); ++i, at += view->itemsize) {
        if (units == 1) {
            code_storage_[i] = letter_code(at);
            if (code_storage_[i] > option_pricing::put_code) return false;
        } else {
            const auto code = ascii_code(at, units);
            if (!code) return false;
            code_storage_[i] = *code;
        }
    }
    codes_ = {reinterpret_cast<const char*>(code_storage_.data()), one ? 0 : 1};
    return true;
}

char* SmallCall::take_output(PyObject* obj) {
    const Py_buffer* view;
    if (!take_array(obj, PyBUF_WRITABLE, view) || !is_float64(*view)) return nullptr;
    // Inputs of no dimensions give a 0-d result.
    if (ndim_ < 0 ? view->ndim != 0 : !same_shape(*view)) return nullptr;
    // An input that overlaps out other than element for element would be
    // copied first by the general path.
    char* base = static_cast<char*>(view->buf);
    const std::size_t bytes = count_ * 8;
    for (std::size_t k = 0; k < input_count_; ++k) {
        const auto [input, input_bytes] = inputs_[k];
        const bool same_walk = input == base && input_bytes == bytes;
        if (!same_walk && input < base + bytes && base < input + input_bytes) return nullptr;
    }
    return base;
}

bool SmallCall::output(PyObject* obj) {
    if (obj == Py_None) return true;
    out_base_ = take_output(obj);
    if (out_base_ == nullptr) return false;
    out_ = obj;
    return true;
}

bool SmallCall::outputs(std::span<PyObject* const> objs, std::span<OutRow<double>> rows) {
    const std::size_t bytes = count_ * 8;
    for (std::size_t j = 0; j < objs.size(); ++j) {
        char* base = take_output(objs[j]);
        if (base == nullptr) return false;
        // Two outputs that share memory are refused by the general path.
        for (std::size_t i = 0; i < j; ++i) {
            if (rows[i].base < base + bytes && base < rows[i].base + bytes) return false;
        }
        rows[j] = {base, 8};
    }
    return true;
}

bool SmallCall::instants(PyObject* obj) {
    if (PyFloat_CheckExact(obj)) return true;
    const Py_buffer* view;
    if (input_count_ == inputs_.size() || !take_array(obj, PyBUF_SIMPLE, view) || view->itemsize != 8) return false;
    const std::string_view item = native_item(view->format);
    if ((item != "q" && item != "l") || (view->ndim > 0 && !join_shape(*view))) return false;
    inputs_[input_count_++] = {static_cast<const char*>(view->buf), view->ndim > 0 ? count_ * 8 : 8};
    return true;
}

bool SmallCall::threads(PyObject* obj) {
    if (obj == Py_None) return true;
    if (!PyLong_CheckExact(obj)) return false;
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(obj, &overflow);
    return overflow > 0 || (overflow == 0 && value >= 1);
}

// ---- the results ------------------------------------------------------------

bool SmallCall::open_result(SmallResult& result) {
    if (out_ != nullptr) {
        result.array_ = PyRef::borrow(out_);
        result.row_ = {out_base_, 8};
        out_ = nullptr;  // a second result is an array of its own
        return true;
    }
    if (ndim_ <= 0) return true;  // the scalar, where the result starts
    result.array_ = PyRef::steal(new_array(numpy_, ndim_, shape_));
    if (!result.array_ || !result.view_.acquire(result.array_.get(), PyBUF_WRITABLE | PyBUF_C_CONTIGUOUS)) {
        return PyErr_Clear(), false;
    }
    result.row_ = {static_cast<char*>(result.view_->buf), 8};
    return true;
}

PyObject* SmallResult::finish(const SmallCallState& numpy) {
    if (array_) {
        view_.release();
        return array_.release();
    }
    return new_float64(numpy, scalar_);
}

PyObject* new_float64(const SmallCallState& numpy, double value) {
    const PyRef number = PyRef::steal(PyFloat_FromDouble(value));
    if (!number) return nullptr;
    PyObject* args[] = {number.get()};
    return PyObject_Vectorcall(numpy.float64, args, 1, nullptr);
}

// ---- the entries ------------------------------------------------------------

namespace {

namespace small_names {
inline constexpr char b76_fairvalue[] = "small_b76_fairvalue";
inline constexpr char b76_delta[] = "small_b76_delta";
inline constexpr char b76_vega[] = "small_b76_vega";
inline constexpr char b76_gamma[] = "small_b76_gamma";
inline constexpr char binary_fairvalue[] = "small_binary_fairvalue";
inline constexpr char binary_vega[] = "small_binary_vega";
inline constexpr char binary_delta[] = "small_binary_delta";
inline constexpr char binary_gamma[] = "small_binary_gamma";
inline constexpr char binary_speed[] = "small_binary_speed";
inline constexpr char binary_theta[] = "small_binary_theta";
inline constexpr char calibrate_black76_iv[] = "small_calibrate_black76_iv";
inline constexpr char b76_implied_vol[] = "small_b76_implied_vol";
}  // namespace small_names

// name(a, b, c, d, call_put, df, out, threads), the front's arguments in
// its order: the option functions and the solver.
template <const char* Name, OptionRowLoop Loop>
PyObject* small_option_entry(PyObject* module, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count(Name, nargs, 8)) return nullptr;
    SmallCall call(small_call_state(module));
    if (!call.numbers(args, 4) || !call.option_types(args[4]) || !call.number(args[5]) || !call.output(args[6]) ||
        !call.threads(args[7])) {
        return none();
    }
    return call.result([&](OutRow<double> out) {
        Loop(call.count(), call.codes(), call.row(0), call.row(1), call.row(2), call.row(3), call.row(4), out);
    });
}

// name(fwd, strike, ttx, vol, df, out, threads): the greeks that calls and
// puts share.
template <const char* Name, PlainRowLoop Loop>
PyObject* small_plain_entry(PyObject* module, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count(Name, nargs, 7)) return nullptr;
    SmallCall call(small_call_state(module));
    if (!call.numbers(args, 5) || !call.output(args[5]) || !call.threads(args[6])) return none();
    return call.result([&](OutRow<double> out) {
        Loop(call.count(), call.row(0), call.row(1), call.row(2), call.row(3), call.row(4), out);
    });
}

namespace b76 = option_pricing::b76;

// The names of the greeks, in registry order, as the front names them.
inline constexpr const char* greek_texts[b76::greek_count] = {
    "value", "delta", "gamma", "vega", "theta", "rho", "vanna", "volga", "charm", "veta", "speed", "zomma",
    "color", "ultima", "dual_delta", "dual_gamma",
};

// The greeks a b76_greeks call asks for, in the order of its result: the
// row of each, its key, and the caller's array for it when out is a dict.
struct GreekChoice {
    std::array<b76::GreekRow, b76::greek_count> rows{};
    std::array<PyObject*, b76::greek_count> keys{};  // borrowed
    std::array<PyObject*, b76::greek_count> outs{};  // borrowed
    std::size_t count = 0;
    b76::GreekSet seen = 0;

    // Adds the greek of an exact str; false for any other name and for a
    // greek named twice, which the general path reports.
    bool add(const SmallCallState& state, PyObject* name) {
        if (!PyUnicode_CheckExact(name)) return false;
        const std::size_t g = number(state, name);
        if (g == b76::greek_count || (seen & (b76::GreekSet{1} << g))) return false;
        seen |= b76::GreekSet{1} << g;
        rows[count] = {static_cast<b76::Greek>(g), {}};
        keys[count++] = name;
        return true;
    }

private:
    // The greek's number; greek_count for none. The front's names are
    // the interned ones; a name built at run time is compared as text,
    // which for two exact str runs no Python code.
    static std::size_t number(const SmallCallState& state, PyObject* name) {
        for (std::size_t g = 0; g < b76::greek_count; ++g) {
            if (name == state.greek_names[g]) return g;
        }
        for (std::size_t g = 0; g < b76::greek_count; ++g) {
            if (PyUnicode_Compare(name, state.greek_names[g]) == 0) return g;
        }
        return b76::greek_count;
    }
};

// The greeks of greeks= and out= in their plain forms: greeks None or an
// exact list or tuple of greek names; out None or an exact dict whose keys
// are exact str (so that looking a name up in it compares str alone) and
// are the greeks asked for. The greeks are greeks=, else out's keys, else
// all of them, as the front chooses them.
bool choose_greeks(const SmallCallState& state, PyObject* greeks, PyObject* out, GreekChoice& choice) {
    const bool into_out = out != Py_None;
    Py_ssize_t at = 0;
    PyObject* key;
    PyObject* value;
    if (into_out) {
        if (!PyDict_CheckExact(out)) return false;
        while (PyDict_Next(out, &at, &key, &value)) {
            if (!PyUnicode_CheckExact(key)) return false;
        }
    }
    if (greeks == Py_None && !into_out) {
        for (PyObject* name : state.greek_names) choice.add(state, name);
    } else if (greeks == Py_None) {
        for (at = 0; PyDict_Next(out, &at, &key, &value);) {
            if (!choice.add(state, key)) return false;
        }
    } else {
        const bool list = PyList_CheckExact(greeks);
        if (!list && !PyTuple_CheckExact(greeks)) return false;
        const Py_ssize_t n = list ? PyList_Size(greeks) : PyTuple_Size(greeks);
        for (Py_ssize_t i = 0; i < n; ++i) {
            if (!choice.add(state, list ? PyList_GetItem(greeks, i) : PyTuple_GetItem(greeks, i))) return false;
        }
        if (into_out && PyDict_Size(out) != n) return false;
    }
    for (std::size_t j = 0; into_out && j < choice.count; ++j) {
        choice.outs[j] = PyDict_GetItemWithError(out, choice.keys[j]);
        if (choice.outs[j] == nullptr) return PyErr_Clear(), false;
    }
    return true;
}

// The greeks into new rows of one block of shape (greeks, *shape), as the
// general path allocates them: the result's arrays are its rows, views that
// keep it alive. Null with no exception pending when it cannot be had.
PyObject* greeks_into_block(SmallCall& call, GreekChoice& choice, const auto& run) {
    const int ndim = call.ndim() + 1;
    if (static_cast<std::size_t>(ndim) > strided::max_dims) return nullptr;
    std::array<Py_ssize_t, strided::max_dims> extents;
    extents[0] = static_cast<Py_ssize_t>(choice.count);
    std::copy_n(call.shape(), call.ndim(), extents.begin() + 1);
    const PyRef block = PyRef::steal(new_array(call.numpy(), ndim, extents.data()));
    BufferView view;
    if (!block || !view.acquire(block.get(), PyBUF_WRITABLE | PyBUF_C_CONTIGUOUS)) return PyErr_Clear(), nullptr;
    char* at = static_cast<char*>(view->buf);
    for (std::size_t j = 0; j < choice.count; ++j, at += call.count() * 8) choice.rows[j].out = {at, 8};
    run();
    view.release();
    PyRef result = PyRef::steal(PyDict_New());
    for (std::size_t j = 0; result && j < choice.count; ++j) {
        const PyRef row = PyRef::steal(PySequence_GetItem(block.get(), static_cast<Py_ssize_t>(j)));
        if (!row || PyDict_SetItem(result.get(), choice.keys[j], row.get()) < 0) return nullptr;
    }
    return result.release();
}

// small_b76_greeks(fwd, strike, ttx, vol, call_put, df, greeks, out,
// threads): a dict of greek name to array, a numpy float64 of each greek
// for operands of no dimensions, or of the caller's arrays.
PyObject* small_b76_greeks(PyObject* module, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("small_b76_greeks", nargs, 9)) return nullptr;
    const SmallCallState& state = small_call_state(module);
    SmallCall call(state);
    GreekChoice choice;
    if (!call.numbers(args, 4) || !call.option_types(args[4]) || !call.number(args[5]) ||
        !choose_greeks(state, args[6], args[7], choice) || !call.threads(args[8])) {
        return none();
    }
    const std::size_t k = choice.count;
    const auto run = [&] {
        b76::greeks_row(call.count(), call.codes(), call.row(0), call.row(1), call.row(2), call.row(3), call.row(4),
                        std::span<const b76::GreekRow>(choice.rows.data(), k));
    };
    if (k == 0) return PyDict_New();
    if (args[7] == Py_None && call.ndim() > 0) {
        PyObject* result = greeks_into_block(call, choice, run);
        return result != nullptr || PyErr_Occurred() ? result : none();
    }
    std::array<OutRow<double>, b76::greek_count> outs;
    std::array<double, b76::greek_count> scalars{};
    if (args[7] != Py_None) {
        if (!call.outputs(std::span<PyObject* const>(choice.outs.data(), k), std::span(outs.data(), k))) {
            return none();
        }
    } else {
        for (std::size_t j = 0; j < k; ++j) outs[j] = {reinterpret_cast<char*>(&scalars[j]), 0};
    }
    for (std::size_t j = 0; j < k; ++j) choice.rows[j].out = outs[j];
    run();
    PyRef result = PyRef::steal(PyDict_New());
    for (std::size_t j = 0; result && j < k; ++j) {
        const PyRef value =
            args[7] != Py_None ? PyRef::borrow(choice.outs[j]) : PyRef::steal(new_float64(state, scalars[j]));
        if (!value || PyDict_SetItem(result.get(), choice.keys[j], value.get()) < 0) return nullptr;
    }
    return result.release();
}

// The kind of a smile of exactly one of kelvane's smile classes; null for
// any other object (a subclass may show other parameters).
const char* smile_kind(const SmallCallState& state, PyObject* smile) {
    for (std::size_t i = 0; i < state.smiles.size(); ++i) {
        if (reinterpret_cast<PyObject*>(Py_TYPE(smile)) == state.smiles[i]) return smile_kinds[i];
    }
    return nullptr;
}

// The model of the last small get_vol: a desk asks the same smile again
// and again, and building a model costs several times its evaluation on a
// few strikes. A model is a function of its kind and its parameters alone
// and evaluates without changing, so one of the same kind and parameters,
// bit for bit, gives every volatility the new one would. Used with the
// interpreter lock held, which no small call releases.
class LastSmile {
public:
    const vol_model::VolSlice* model_of(std::string_view kind, vol_model::ParamMap params) {
        if (!model_ || kind != kind_ || !same_params(params)) {
            model_ = vol_model::model_of_kind(kind, params);
            kind_ = kind;
            params_ = std::move(params);
        }
        return model_.get();
    }

private:
    bool same_params(const vol_model::ParamMap& params) const {
        if (params.size() != params_.size()) return false;
        for (const auto& [name, value] : params) {
            const auto found = params_.find(name);
            if (found == params_.end() ||
                std::bit_cast<std::uint64_t>(found->second) != std::bit_cast<std::uint64_t>(value)) {
                return false;
            }
        }
        return true;
    }

    std::string_view kind_;  // one of smile_kinds, which live for the process
    vol_model::ParamMap params_;
    std::unique_ptr<vol_model::VolSlice> model_;
};

LastSmile last_smile;

// small_get_vol(smile, ttx, spot, strikes, out, threads).
PyObject* small_get_vol(PyObject* module, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_arg_count("small_get_vol", nargs, 6)) return nullptr;
    const SmallCallState& state = small_call_state(module);
    const char* kind = smile_kind(state, args[0]);
    SmallCall call(state);
    if (kind == nullptr || !call.numbers(args + 1, 3) || !call.output(args[4]) || !call.threads(args[5])) {
        return none();
    }
    // The model as the smile's parameters show it now, as the general path
    // rebuilds it; reading them changes nothing, so a failure is left to
    // that path to report.
    PyObject* self[] = {args[0]};
    const PyRef params = PyRef::steal(
        PyObject_VectorcallMethod(state.get_param_dict, self, 1 | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
    ParamDict values;
    if (!params || !convert(params.get(), values)) {
        PyErr_Clear();
        return none();
    }
    const vol_model::VolSlice* model = last_smile.model_of(kind, std::move(values));
    if (model == nullptr) return none();
    return call.result([&](OutRow<double> out) {
        vol_model::vols_row(*model, call.count(), call.row(0), call.row(1), call.row(2), out);
    });
}

using FastCall = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t);

template <FastCall F>
PyMethodDef def(const char* name) {
    constexpr FastCall entry = guarded<F>;
    return {name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(entry)), METH_FASTCALL, nullptr};
}

namespace binary = option_pricing::binary;
namespace sn = small_names;

PyMethodDef small_methods[] = {
    def<small_option_entry<sn::b76_fairvalue, at_machine_width<b76::fairvalue_row_at>>>(sn::b76_fairvalue),
    def<small_option_entry<sn::b76_delta, at_machine_width<b76::delta_row_at>>>(sn::b76_delta),
    def<small_plain_entry<sn::b76_vega, at_machine_width<b76::vega_row_at>>>(sn::b76_vega),
    def<small_plain_entry<sn::b76_gamma, at_machine_width<b76::gamma_row_at>>>(sn::b76_gamma),
    def<small_option_entry<sn::binary_fairvalue, at_machine_width<binary::fairvalue_row_at>>>(sn::binary_fairvalue),
    def<small_option_entry<sn::binary_vega, at_machine_width<binary::vega_row_at>>>(sn::binary_vega),
    def<small_option_entry<sn::binary_delta, at_machine_width<binary::delta_row_at>>>(sn::binary_delta),
    def<small_option_entry<sn::binary_gamma, at_machine_width<binary::gamma_row_at>>>(sn::binary_gamma),
    def<small_option_entry<sn::binary_speed, at_machine_width<binary::speed_row_at>>>(sn::binary_speed),
    def<small_option_entry<sn::binary_theta, at_machine_width<binary::theta_row_at>>>(sn::binary_theta),
    def<small_option_entry<sn::calibrate_black76_iv, at_machine_width<option_pricing::iv_calibration::calibrate_black76_iv_row_at>>>(
        sn::calibrate_black76_iv),
    def<small_option_entry<sn::b76_implied_vol, at_machine_width<option_pricing::implied_vol::black76_implied_vol_row_at>>>(
        sn::b76_implied_vol),
    def<small_b76_greeks>("small_b76_greeks"),
    def<small_get_vol>("small_get_vol"),
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

// ---- the module's part ------------------------------------------------------

int exec_small_calls(PyObject* module) {
    SmallCallState& state = small_call_state(module);
    const PyRef numpy = PyRef::steal(PyImport_ImportModule("numpy"));
    if (!numpy) return -1;
    state.ndarray = PyObject_GetAttrString(numpy.get(), "ndarray");
    if (state.ndarray == nullptr) return -1;
    state.empty = PyObject_GetAttrString(numpy.get(), "empty");
    if (state.empty == nullptr) return -1;
    state.float64 = PyObject_GetAttrString(numpy.get(), "float64");
    if (state.float64 == nullptr) return -1;
    const PyRef kelvane = PyRef::steal(PyImport_ImportModule("kelvane"));
    if (!kelvane) return -1;
    for (std::size_t i = 0; i < state.smiles.size(); ++i) {
        state.smiles[i] = PyObject_GetAttrString(kelvane.get(), smile_kinds[i]);
        if (state.smiles[i] == nullptr) return -1;
    }
    state.get_param_dict = PyUnicode_InternFromString("get_param_dict");
    if (state.get_param_dict == nullptr) return -1;
    const PyRef datetime = PyRef::steal(PyImport_ImportModule("datetime"));
    if (!datetime) return -1;
    state.datetime = PyObject_GetAttrString(datetime.get(), "datetime");
    if (state.datetime == nullptr) return -1;
    state.timezone = PyObject_GetAttrString(datetime.get(), "timezone");
    if (state.timezone == nullptr) return -1;
    state.int64 = PyObject_GetAttrString(numpy.get(), "int64");
    if (state.int64 == nullptr) return -1;
    for (auto [name, text] : {std::pair{&state.timestamp, "timestamp"}, {&state.tzinfo, "tzinfo"},
                              {&state.dtype, "dtype"}, {&state.str, "str"}, {&state.view, "view"}}) {
        *name = PyUnicode_InternFromString(text);
        if (*name == nullptr) return -1;
    }
    for (std::size_t g = 0; g < b76::greek_count; ++g) {
        state.greek_names[g] = PyUnicode_InternFromString(greek_texts[g]);
        if (state.greek_names[g] == nullptr) return -1;
    }
    return PyModule_AddFunctions(module, small_methods);
}

int traverse_small_calls(PyObject* module, visitproc visit, void* arg) {
    SmallCallState* state = static_cast<SmallCallState*>(PyModule_GetState(module));
    if (state == nullptr) return 0;
    Py_VISIT(state->ndarray);
    Py_VISIT(state->empty);
    Py_VISIT(state->float64);
    for (PyObject* smile : state->smiles) Py_VISIT(smile);
    Py_VISIT(state->get_param_dict);
    for (PyObject* held : {state->datetime, state->timezone, state->int64, state->timestamp, state->tzinfo,
                           state->dtype, state->str, state->view}) {
        Py_VISIT(held);
    }
    for (PyObject* name : state->greek_names) Py_VISIT(name);
    return 0;
}

int clear_small_calls(PyObject* module) {
    SmallCallState* state = static_cast<SmallCallState*>(PyModule_GetState(module));
    if (state == nullptr) return 0;
    Py_CLEAR(state->ndarray);
    Py_CLEAR(state->empty);
    Py_CLEAR(state->float64);
    for (PyObject*& smile : state->smiles) Py_CLEAR(smile);
    Py_CLEAR(state->get_param_dict);
    for (PyObject** held : {&state->datetime, &state->timezone, &state->int64, &state->timestamp, &state->tzinfo,
                            &state->dtype, &state->str, &state->view}) {
        Py_CLEAR(*held);
    }
    for (PyObject*& name : state->greek_names) Py_CLEAR(name);
    return 0;
}

}  // namespace kelvane::py::arrays
