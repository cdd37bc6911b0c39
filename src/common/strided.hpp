// Element-wise loops over strided arrays: the layout of one loop (a shape
// and, for each operand, a byte stride per dimension) and its walk a row at
// a time over any range of its elements, so that a range can be handed to
// a thread without any operand being copied.
//
// Operands are raw memory: elements are read and written through memcpy,
// so that a view of any alignment is read where it lies. A broadcast
// operand has stride 0 along the dimensions it repeats over.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace kelvane::strided {

// An element read once, whole: another thread may be writing the caller's
// array meanwhile, and an aligned element is then still either its old or
// its new value, never a mix of their bytes (an unaligned one may be).
template <class T>
inline T load(const char* at) noexcept {
    if constexpr (sizeof(T) == 8) {
        if (reinterpret_cast<std::uintptr_t>(at) % 8 == 0) {
            const std::uint64_t raw = __atomic_load_n(reinterpret_cast<const std::uint64_t*>(at), __ATOMIC_RELAXED);
            return std::bit_cast<T>(raw);
        }
    }
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <class T>
inline void store(char* at, T value) noexcept {
    std::memcpy(at, &value, sizeof value);
}

// One operand along a row: element i lies at base + i * stride.
template <class T>
struct Row {
    const char* base;
    std::ptrdiff_t stride;
    T operator[](std::size_t i) const noexcept {
        return load<T>(base + static_cast<std::ptrdiff_t>(i) * stride);
    }
};

template <class T>
struct OutRow {
    char* base;
    std::ptrdiff_t stride;
    void set(std::size_t i, T value) const noexcept {
        store<T>(base + static_cast<std::ptrdiff_t>(i) * stride, value);
    }
};

// The most dimensions an array has (numpy's limit).
inline constexpr std::size_t max_dims = 64;

// The layout of a loop over N operands. Dimensions run from the outermost to
// the innermost; elements are numbered in that (C) order, which is the order
// of the output the caller allocates. Fixed storage, so that a call on a few
// elements allocates nothing.
template <std::size_t N>
class Layout {
public:
    struct Operand {
        char* base = nullptr;
        std::array<std::ptrdiff_t, max_dims> strides;  // one per dimension, in bytes
    };

    // ndim <= max_dims.
    Layout(std::size_t ndim, const std::size_t* shape) noexcept : ndim_(ndim) {
        for (std::size_t d = 0; d < ndim; ++d) {
            shape_[d] = shape[d];
            for (Operand& op : operands_) op.strides[d] = 0;
        }
    }

    std::size_t ndim() const noexcept { return ndim_; }
    std::span<const std::size_t> shape() const noexcept { return {shape_.data(), ndim_}; }
    Operand& operand(std::size_t k) noexcept { return operands_[k]; }

    // The number of elements; the caller has checked that it fits memory.
    std::size_t size() const noexcept {
        std::size_t n = 1;
        for (std::size_t d = 0; d < ndim_; ++d) n *= shape_[d];
        return n;
    }

    // Merges neighbouring dimensions that every operand walks as one (the
    // outer stride is the inner extent times the inner stride) and drops
    // dimensions of extent 1, so that contiguous and broadcast operands give
    // long rows. The numbering of the elements is unchanged.
    void coalesce() noexcept {
        std::size_t kept = 0;
        for (std::size_t d = 0; d < ndim_; ++d) {
            if (shape_[d] == 1) continue;
            bool merges = kept > 0;
            for (std::size_t k = 0; k < N && merges; ++k) {
                merges = operands_[k].strides[kept - 1] ==
                         static_cast<std::ptrdiff_t>(shape_[d]) * operands_[k].strides[d];
            }
            if (merges) {
                shape_[kept - 1] *= shape_[d];
                for (Operand& op : operands_) op.strides[kept - 1] = op.strides[d];
            } else {
                shape_[kept] = shape_[d];
                for (Operand& op : operands_) op.strides[kept] = op.strides[d];
                ++kept;
            }
        }
        if (kept == 0) {  // every extent is 1: a single element
            shape_[0] = 1;
            for (Operand& op : operands_) op.strides[0] = 0;
            kept = 1;
        }
        ndim_ = kept;
    }

    // Calls row(bases, strides, count, first) for the elements [begin, end),
    // a row (a stretch of the innermost dimension) at a time: first is the
    // number of the stretch's first element, bases[k] operand k's first
    // element of the stretch, strides[k] its inner stride.
    template <class RowFunction>
    void for_rows(std::size_t begin, std::size_t end, RowFunction&& row) const {
        if (begin >= end) return;
        const std::size_t dims = ndim_;
        std::array<std::size_t, max_dims> index;
        std::size_t rest = begin;
        for (std::size_t d = dims; d-- > 0;) {
            index[d] = rest % shape_[d];
            rest /= shape_[d];
        }
        std::array<std::ptrdiff_t, N> inner;
        for (std::size_t k = 0; k < N; ++k) inner[k] = operands_[k].strides[dims - 1];
        std::size_t at = begin;
        while (at < end) {
            std::array<char*, N> bases;
            for (std::size_t k = 0; k < N; ++k) {
                std::ptrdiff_t offset = 0;
                for (std::size_t d = 0; d < dims; ++d) {
                    offset += static_cast<std::ptrdiff_t>(index[d]) * operands_[k].strides[d];
                }
                bases[k] = operands_[k].base + offset;
            }
            const std::size_t left_in_row = shape_[dims - 1] - index[dims - 1];
            const std::size_t count = left_in_row < end - at ? left_in_row : end - at;
            row(bases, inner, count, at);
            at += count;
            index[dims - 1] += count;
            for (std::size_t d = dims - 1; d > 0 && index[d] == shape_[d]; --d) {
                index[d] = 0;
                ++index[d - 1];
            }
        }
    }

private:
    std::size_t ndim_;
    std::array<std::size_t, max_dims> shape_;
    std::array<Operand, N> operands_;
};

}  // namespace kelvane::strided
