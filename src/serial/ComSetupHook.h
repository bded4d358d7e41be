#pragma once
// How a port reaches the port setup dialog: the library's own Setup dialog
// is in place from the start; another dialog (or none) can be put in its
// place, so the port's own code does not depend on the dialog's widgets.
#include <functional>

namespace serial {

class TCustomComPort;

// Edits the settings of a port in a dialog; true when they were taken.
using SetupDialogHook = std::function<bool(TCustomComPort&)>;

// Puts `hook` in place; an empty one removes it.
void SetSetupDialogHook(SetupDialogHook hook);
// Runs the dialog on `port` through the hook: its result, or false when no
// dialog is in place.
bool RunSetupDialog(TCustomComPort& port);

} // namespace serial
