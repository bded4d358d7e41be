#pragma once
// The callbacks of a serial port, and the link by which another component
// (a signal lamp, for one) follows a port's activity. Every callback may be
// left unassigned (empty); Sender is always the port.
#include <functional>

#include "serial/ComTypes.h"

namespace serial {

class TCustomComPort;

using TNotifyEvent = std::function<void(TCustomComPort* Sender)>;
using TRxCharEvent = std::function<void(TCustomComPort* Sender, int Count)>;
using TRxBufEvent = std::function<void(TCustomComPort* Sender, const char* Buffer, int Count)>;
using TComSignalEvent = std::function<void(TCustomComPort* Sender, bool OnOff)>;
using TComErrorEvent = std::function<void(TCustomComPort* Sender, TComErrors Errors)>;

// A set of callbacks a component registers with a port. The component owns
// the link and removes it from the port before freeing it.
class TComLink {
public:
    TComSignalEvent OnConn;      // the port was opened (true) or closed (false)
    TRxBufEvent OnRxBuf;         // received bytes, read once for all links
    TRxBufEvent OnTxBuf;         // bytes a write has sent
    TNotifyEvent OnTxEmpty;      // the output queue became empty
    TNotifyEvent OnRxFlag;       // the event character was received
    TComSignalEvent OnCTSChange;
    TComSignalEvent OnDSRChange;
    TComSignalEvent OnRLSDChange;
    TNotifyEvent OnRing;
    TComSignalEvent OnTx;        // transmitting began (true) or the output queue ran empty (false)
    TComSignalEvent OnRx;        // bytes came in (true) or a read left the input queue empty (false)
    // The port is being freed: called first thing in its destructor, while
    // it is still whole, so the component can unregister and forget it.
    TNotifyEvent OnDestroying;
};

} // namespace serial
