#pragma once
// How the application's plain classes hand a failure to the one error
// reporter of the program (a message box at a time, in the main window).
#include <exception>
#include <functional>

namespace app {

using ReportError = std::function<void(std::exception_ptr)>;

} // namespace app
