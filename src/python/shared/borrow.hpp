// The borrow rule of the classes: an instance's native value is read under
// a shared borrow and changed under an exclusive one. All calls hold the
// interpreter lock, so a conflict can only come from re-entrancy (an
// argument's __float__ or timestamp() calling back into the same instance);
// it raises RuntimeError instead of waiting.
#pragma once

#include "python/shared/python.hpp"

namespace kelvane::py {

class BorrowFlag {
public:
    bool is_free() const noexcept { return state_ == 0; }

private:
    friend class Borrow;
    static constexpr long exclusive = -1;
    long state_ = 0;  // the number of shared borrows, or `exclusive`
};

class Borrow {
public:
    enum class Kind { shared, exclusive };

    // Takes the borrow, or sets RuntimeError and holds nothing.
    Borrow(BorrowFlag& flag, Kind kind) noexcept : flag_(&flag), kind_(kind) {
        if (flag.state_ == BorrowFlag::exclusive) {
            fail(kind == Kind::shared ? "Already mutably borrowed" : "Already borrowed");
        } else if (kind == Kind::exclusive && flag.state_ != 0) {
            fail("Already borrowed");
        } else {
            flag.state_ = kind == Kind::shared ? flag.state_ + 1 : BorrowFlag::exclusive;
        }
    }
    Borrow(const Borrow&) = delete;
    Borrow& operator=(const Borrow&) = delete;
    ~Borrow() {
        if (flag_ == nullptr) return;
        flag_->state_ = kind_ == Kind::shared ? flag_->state_ - 1 : 0;
    }

    explicit operator bool() const noexcept { return flag_ != nullptr; }

private:
    void fail(const char* message) noexcept {
        PyErr_SetString(PyExc_RuntimeError, message);
        flag_ = nullptr;
    }
    BorrowFlag* flag_;
    Kind kind_;
};

}  // namespace kelvane::py
