#pragma once
// How a port reaches the port setup dialog. The port's own code does not
// depend on the dialog's widgets: no dialog is in place until the user of the
// widgets puts one there (installSetupDialog() puts the library's own).
#include <functional>

namespace serial {

class TCustomComPort;

// Edits the settings of a port in a dialog; true when they were taken.
using SetupDialogHook = std::function<bool(TCustomComPort&)>;

// Puts `hook` in place; an empty one removes it. Returns the hook in place
// before.
SetupDialogHook setSetupDialogHook(SetupDialogHook hook);
// Runs the dialog on `port` through the hook: its result, or false when no
// dialog is in place.
bool runSetupDialog(TCustomComPort& port);

} // namespace serial
