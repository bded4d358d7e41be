#pragma once
// The update bracket of a port: changes that reach an open port in one step.
#include <utility>

#include "serial/ComPort.h"
#include "serial/FirstFailure.h"

namespace serial {

// Runs body(failures) between BeginUpdate and EndUpdate of `port`, so an open
// port gets the changes in one step. The body may raise, or run steps that
// must all run through `failures`. EndUpdate runs on every path; the first
// failure of the body, or else of EndUpdate, passes on.
template <class Body>
void withinUpdate(TCustomComPort& port, Body&& body)
{
    port.BeginUpdate();
    FirstFailure failures;
    failures.run([&] { body(failures); });
    failures.run([&] { port.EndUpdate(); });
    failures.rethrow();
}

} // namespace serial
