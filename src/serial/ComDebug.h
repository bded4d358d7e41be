#pragma once
// Diagnostic texts of the serial library. They go to the Qt logging category
// "startclock.serial" (debug level, off unless enabled with QT_LOGGING_RULES)
// and to a hook that tests can set to read them.
#include <QLoggingCategory>

#include <functional>
#include <string>

Q_DECLARE_LOGGING_CATEGORY(lcComPort)

namespace serial {

using DebugTextHook = std::function<void(const std::string&)>;

// Puts `hook` in place (an empty one removes it); returns the one before.
DebugTextHook setDebugTextHook(DebugTextHook hook);
// Writes one diagnostic text.
void comDebugText(const std::string& text);

} // namespace serial
