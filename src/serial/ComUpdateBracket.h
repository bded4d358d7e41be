#pragma once
// Steps that must all run even when one fails, and the update bracket of a
// port built on them.
#include <exception>
#include <utility>

#include "serial/ComPort.h"

namespace serial {

// Runs steps one after another, keeping the first exception any of them
// raises; Rethrow() passes it on once all have run.
class TFirstFailure {
public:
    template <class F>
    void Run(F&& step) noexcept
    {
        try {
            std::forward<F>(step)();
        } catch (...) {
            if (!first_)
                first_ = std::current_exception();
        }
    }
    void Rethrow() const
    {
        if (first_)
            std::rethrow_exception(first_);
    }

private:
    std::exception_ptr first_;
};

// Runs body(failures) between BeginUpdate and EndUpdate of `port`, so an open
// port gets the changes in one step. The body may raise, or run steps that
// must all run through `failures`. EndUpdate runs on every path; the first
// failure of the body, or else of EndUpdate, passes on.
template <class Body>
void WithinUpdate(TCustomComPort& port, Body&& body)
{
    port.BeginUpdate();
    TFirstFailure failures;
    failures.Run([&] { body(failures); });
    failures.Run([&] { port.EndUpdate(); });
    failures.Rethrow();
}

} // namespace serial
