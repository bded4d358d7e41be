#pragma once
// The serial ports of this machine as a port selector lists them.
#include "serial/ComStrings.h"

namespace serial {

// Replaces the contents of `Ports` with the names of the machine's serial
// ports, sorted ignoring letter case (ttyS10 before ttyS2). A machine without
// serial ports gives an empty list. When the list itself cannot be read, raises
// EComPortExt with port text "EnumComPorts", CError_RegError and the errno of
// the failure, and leaves `Ports` as it was.
void EnumComPorts(ComStrings& Ports);

} // namespace serial
