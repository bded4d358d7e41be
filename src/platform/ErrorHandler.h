#pragma once
// Where a failure goes that must not travel further (out of a Qt slot, an
// event handler, a thread or a destructor): the application hands these to
// its error reporter.
#include <exception>
#include <functional>

namespace platform {

using ErrorHandler = std::function<void(std::exception_ptr)>;

} // namespace platform
