#pragma once
// Shared by the selector, storage and dialog tests.
#include <exception>
#include <vector>

#include "serial/ComErrors.h"
#include "serial/ComPort.h"
#include "serial/ExceptionHook.h"

namespace seltest {

// A port named ComPort1 (or as given) that shows its update nesting.
class ProbePort : public serial::TComPort {
public:
    explicit ProbePort(const std::string& name = "ComPort1") { SetName(name); }
    int UpdateCount() const { return FUpdateCount; }
};

// Collects what reaches the serial library's exception hook while it lives.
struct HookedErrors {
    std::vector<std::exception_ptr> errors;
    HookedErrors()
    {
        serial::SetExceptionHandler([this](std::exception_ptr e) { errors.push_back(e); });
    }
    ~HookedErrors() { serial::SetExceptionHandler(nullptr); }

    // The library code of error `i`; -1 for an exception of another kind.
    int Code(std::size_t i) const
    {
        try {
            std::rethrow_exception(errors.at(i));
        } catch (const serial::EComPort& e) {
            return e.Code();
        } catch (...) {
            return -1;
        }
    }
};

// The library code `f` raises; 0 when it raises nothing, -1 for another kind.
template <class F>
int CodeOf(F&& f)
{
    try {
        f();
    } catch (const serial::EComPort& e) {
        return e.Code();
    } catch (...) {
        return -1;
    }
    return 0;
}

} // namespace seltest
