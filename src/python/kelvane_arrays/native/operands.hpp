// The operands of the array module's native entry points: buffers taken
// from the objects the Python front passes (numpy arrays, or a Python
// number for a scalar), placed by numpy's broadcasting rule in the layout
// of the output, which the front allocated with the broadcast shape.
//
// Every check is made here again, whatever the front checked: an entry may
// be called with anything. A buffer is held from its acquisition until the
// loop is done, so its memory stays where it is (numpy refuses to resize an
// exported array) while other threads run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <array>
#include <span>
#include <string>

#include "common/strided.hpp"
#include "python/shared/buffer_view.hpp"
#include "python/shared/python.hpp"

namespace kelvane::py::arrays {

// So few elements that releasing and taking back the interpreter lock
// would cost more than the loop: a loop this short keeps it.
inline constexpr std::size_t few_elements = 256;

// What an operand's elements must be.
enum class Element {
    float64,   // a double; a Python float for a scalar
    code,      // a uint8 option type code; a Python int for a scalar
    time,      // 8 bytes: a double timestamp or an int64 count of ticks
};

class Operand {
public:
    Operand() = default;
    Operand(const Operand&) = delete;
    Operand& operator=(const Operand&) = delete;

    // Takes the buffer of `obj` (or its value, for a Python scalar); false
    // with TypeError naming `name` when it holds no such elements.
    bool acquire(PyObject* obj, Element element, const char* name, bool int_ticks = false);
    // The output: a writable buffer of doubles, of any strides.
    bool acquire_output(PyObject* obj);

    std::span<const std::size_t> shape() const noexcept { return {shape_.data(), ndim_}; }
    char* base() noexcept { return base_; }
    std::span<const std::ptrdiff_t> strides() const noexcept { return {strides_.data(), ndim_}; }

private:
    bool take_buffer(PyObject* obj, int flags, const char* name);

    BufferView view_;
    alignas(8) unsigned char scalar_[8]{};
    char* base_ = nullptr;
    std::size_t ndim_ = 0;
    std::array<std::size_t, strided::max_dims> shape_;
    std::array<std::ptrdiff_t, strided::max_dims> strides_;
};

// Places `op` as operand k of `layout`, whose shape is the output's:
// right-aligned, each dimension of the output's extent or of extent 1
// (walked with stride 0). False with ValueError naming `name` otherwise.
template <std::size_t N>
bool place(Operand& op, const char* name, strided::Layout<N>& layout, std::size_t k);

// The thread count argument: an int of at least 1.
bool convert_threads(PyObject* obj, std::size_t& threads);

// "name[i, j]" (or "name" for a 0-d shape): where element `flat` (in C
// order) of an array of `shape` is.
std::string position(const char* name, std::span<const std::size_t> shape, std::size_t flat);

// Releases the interpreter lock for its lifetime; exception-safe.
class GilReleased {
public:
    GilReleased() noexcept : state_(PyEval_SaveThread()) {}
    GilReleased(const GilReleased&) = delete;
    GilReleased& operator=(const GilReleased&) = delete;
    ~GilReleased() { PyEval_RestoreThread(state_); }

private:
    PyThreadState* state_;
};

bool check_arg_count(const char* name, Py_ssize_t given, Py_ssize_t expected);

// --- implementation of the template ---------------------------------------

bool raise_not_broadcast(const char* name, std::span<const std::size_t> from,
                         std::span<const std::size_t> to);

template <std::size_t N>
bool place(Operand& op, const char* name, strided::Layout<N>& layout, std::size_t k) {
    const std::span<const std::size_t> shape = op.shape();
    const std::span<const std::size_t> target = layout.shape();
    if (shape.size() > target.size()) return raise_not_broadcast(name, shape, target);
    auto& placed = layout.operand(k);
    placed.base = op.base();
    const std::size_t lead = target.size() - shape.size();
    for (std::size_t d = 0; d < shape.size(); ++d) {
        if (shape[d] == target[lead + d]) {
            placed.strides[lead + d] = op.strides()[d];
        } else if (shape[d] == 1) {
            placed.strides[lead + d] = 0;
        } else {
            return raise_not_broadcast(name, shape, target);
        }
    }
    return true;
}

}  // namespace kelvane::py::arrays
