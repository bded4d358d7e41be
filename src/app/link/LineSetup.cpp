#include "app/link/LineSetup.h"

#include "app/link/LinkBytes.h"

namespace app {

void setUpClockLine(serial::TComPort& port, serial::TDTRFlowControl dtr)
{
    port.SetBaudRate(serial::TBaudRate::br9600);
    port.SetDataBits(serial::TDataBits::dbEight);
    port.Parity().SetBits(serial::TParityBits::prNone);
    port.SetStopBits(serial::TStopBits::sbOneStopBit);
    port.SetEventChar(kCR);
    serial::TComFlowControl& flow = port.FlowControl();
    flow.SetOutCTSFlow(false);
    flow.SetOutDSRFlow(false);
    flow.SetXonXoffOut(false);
    flow.SetXonXoffIn(false);
    flow.SetControlDTR(dtr);
    flow.SetControlRTS(serial::TRTSFlowControl::rtsDisable);
}

} // namespace app
