#include "serial/ExceptionHook.h"

#include <cstdio>
#include <mutex>

namespace serial {
namespace {

std::mutex g_mutex;
ExceptionHandler g_handler;

} // namespace

void SetExceptionHandler(ExceptionHandler handler)
{
    std::lock_guard lock(g_mutex);
    g_handler = std::move(handler);
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
    ExceptionHandler handler;
    {
        std::lock_guard lock(g_mutex);
        handler = g_handler;
    }
    try {
        if (handler)
            handler(error);
        else
            std::fprintf(stderr, "%s\n", ExceptionMessage(error).c_str());
    } catch (...) {
    }
}

} // namespace serial
