#pragma once
// Where the serial library sends an exception that must go no further (from
// the end of loading, a destructor, the event thread). The application puts
// its error dialog here; until then the message is printed to stderr.
#include <exception>
#include <string>

#include "platform/ErrorHandler.h"

namespace serial {

// Puts `handler` in place; an empty one restores the default. Returns the
// handler in place before.
platform::ErrorHandler setErrorHandler(platform::ErrorHandler handler);
// Hands `error` to the handler. Never throws: a handler that throws is ignored.
void handleException(std::exception_ptr error) noexcept;
// The message of an exception: what() of a std::exception, else a fixed text.
std::string exceptionMessage(std::exception_ptr error);

} // namespace serial
