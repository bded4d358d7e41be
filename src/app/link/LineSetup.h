#pragma once
// The line to the clock as both of the program's ports set it up, for the
// clock's command interpreter and for its boot loader alike.
#include "serial/ComPort.h"

namespace app {

// 9600 baud, eight data bits, no parity, one stop bit; no flow control (CTS,
// DSR, XON/XOFF), RTS off and DTR as `dtr`; CR as the event character, so
// that a reply line is heard of at once.
void setUpClockLine(serial::TComPort& port, serial::TDTRFlowControl dtr);

} // namespace app
