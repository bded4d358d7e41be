#include "serial/ExceptionHook.h"

#include <cstdio>

#include "platform/Override.h"

namespace serial {
namespace {

platform::Override<platform::ErrorHandler>& handlerInUse()
{
    static platform::Override<platform::ErrorHandler> inUse;
    return inUse;
}

} // namespace

platform::ErrorHandler setErrorHandler(platform::ErrorHandler handler)
{
    return handlerInUse().set(std::move(handler));
}

std::string exceptionMessage(std::exception_ptr error)
{
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return "Unknown exception";
}

void handleException(std::exception_ptr error) noexcept
{
    const platform::ErrorHandler handler = handlerInUse().get();
    try {
        if (handler)
            handler(error);
        else
            std::fprintf(stderr, "%s\n", exceptionMessage(error).c_str());
    } catch (...) {
    }
}

} // namespace serial
