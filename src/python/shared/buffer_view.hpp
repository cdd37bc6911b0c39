// A buffer an object exports, held until it is released or goes out of
// scope: the one place that pairs each PyObject_GetBuffer with its release.
// While it is held the exporter keeps its memory where it is (numpy refuses
// to resize an exported array), even while conversions run Python code.
#pragma once

#include "python/shared/python.hpp"

namespace kelvane::py {

class BufferView {
public:
    BufferView() noexcept = default;
    BufferView(const BufferView&) = delete;
    BufferView& operator=(const BufferView&) = delete;
    ~BufferView() { release(); }

    // Asks obj for its buffer (releasing any held first); false, with the
    // exporter's exception set, when it refuses.
    bool acquire(PyObject* obj, int flags) noexcept {
        release();
        if (PyObject_GetBuffer(obj, &view_, flags) < 0) return false;
        held_ = true;
        return true;
    }
    void release() noexcept {
        if (held_) PyBuffer_Release(&view_);
        held_ = false;
    }

    bool held() const noexcept { return held_; }
    const Py_buffer& operator*() const noexcept { return view_; }
    const Py_buffer* operator->() const noexcept { return &view_; }

private:
    Py_buffer view_{};
    bool held_ = false;
};

}  // namespace kelvane::py
