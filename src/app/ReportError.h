#pragma once
// How the application's plain classes hand a failure to the one error
// reporter of the program (a message box at a time, in the main window).
#include "platform/ErrorHandler.h"

namespace app {

using ReportError = platform::ErrorHandler;

} // namespace app
