#pragma once
// Steps that must all run even when one fails.
#include <exception>
#include <utility>

namespace serial {

// Runs steps one after another, keeping the first exception any of them
// raises; rethrow() passes it on once all have run.
class FirstFailure {
public:
    template <class F>
    void run(F&& step) noexcept
    {
        try {
            std::forward<F>(step)();
        } catch (...) {
            if (!first_)
                first_ = std::current_exception();
        }
    }
    void rethrow() const
    {
        if (first_)
            std::rethrow_exception(first_);
    }

private:
    std::exception_ptr first_;
};

} // namespace serial
