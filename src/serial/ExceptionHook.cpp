#include "serial/ExceptionHook.h"

#include <cstdio>

#include "serial/GlobalHook.h"

namespace serial {
namespace {

GlobalHook<ExceptionHandler> g_handler;

} // namespace

void SetExceptionHandler(ExceptionHandler handler)
{
    g_handler.Set(std::move(handler));
}

std::string ExceptionMessage(std::exception_ptr error)
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

void HandleException(std::exception_ptr error) noexcept
{
    const ExceptionHandler handler = g_handler.Get();
    try {
        if (handler)
            handler(error);
        else
            std::fprintf(stderr, "%s\n", ExceptionMessage(error).c_str());
    } catch (...) {
    }
}

} // namespace serial
