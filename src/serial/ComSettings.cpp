#include "serial/ComSettings.h"

#include "serial/ComPort.h"

namespace serial {
namespace {

// Stores a changed value and re-applies its group to the owning port.
template <class T>
void storeAndApply(T& field, T value, TCustomComPort* port, void (TCustomComPort::*apply)())
{
    if (field == value)
        return;
    field = value;
    if (port)
        (port->*apply)();
}

// A setting of the line state, and a time-out.
template <class T>
void setLineSetting(T& field, T value, TCustomComPort* port)
{
    storeAndApply(field, value, port, &TCustomComPort::ApplyCommState);
}

void setTimeout(int& field, int value, TCustomComPort* port)
{
    storeAndApply(field, value, port, &TCustomComPort::ApplyTimeouts);
}

} // namespace

// --- time-outs -------------------------------------------------------------

void TComTimeouts::Assign(const TComTimeouts& s)
{
    FReadInterval = s.FReadInterval;
    FReadTotalM = s.FReadTotalM;
    FReadTotalC = s.FReadTotalC;
    FWriteTotalM = s.FWriteTotalM;
    FWriteTotalC = s.FWriteTotalC;
}

void TComTimeouts::SetReadInterval(int value) { setTimeout(FReadInterval, value, FComPort); }
void TComTimeouts::SetReadTotalMultiplier(int value) { setTimeout(FReadTotalM, value, FComPort); }
void TComTimeouts::SetReadTotalConstant(int value) { setTimeout(FReadTotalC, value, FComPort); }
void TComTimeouts::SetWriteTotalMultiplier(int value) { setTimeout(FWriteTotalM, value, FComPort); }
void TComTimeouts::SetWriteTotalConstant(int value) { setTimeout(FWriteTotalC, value, FComPort); }

// --- flow control ----------------------------------------------------------

void TComFlowControl::Assign(const TComFlowControl& s)
{
    FOutCTSFlow = s.FOutCTSFlow;
    FOutDSRFlow = s.FOutDSRFlow;
    FControlDTR = s.FControlDTR;
    FControlRTS = s.FControlRTS;
    FXonXoffOut = s.FXonXoffOut;
    FXonXoffIn = s.FXonXoffIn;
    FDSRSensitivity = s.FDSRSensitivity;
    FTxContinueOnXoff = s.FTxContinueOnXoff;
    FXonChar = s.FXonChar;
    FXoffChar = s.FXoffChar;
}

void TComFlowControl::SetOutCTSFlow(bool value) { setLineSetting(FOutCTSFlow, value, FComPort); }
void TComFlowControl::SetOutDSRFlow(bool value) { setLineSetting(FOutDSRFlow, value, FComPort); }
void TComFlowControl::SetControlDTR(TDTRFlowControl value) { setLineSetting(FControlDTR, value, FComPort); }
void TComFlowControl::SetControlRTS(TRTSFlowControl value) { setLineSetting(FControlRTS, value, FComPort); }
void TComFlowControl::SetXonXoffOut(bool value) { setLineSetting(FXonXoffOut, value, FComPort); }
void TComFlowControl::SetXonXoffIn(bool value) { setLineSetting(FXonXoffIn, value, FComPort); }
void TComFlowControl::SetDSRSensitivity(bool value) { setLineSetting(FDSRSensitivity, value, FComPort); }
void TComFlowControl::SetTxContinueOnXoff(bool value) { setLineSetting(FTxContinueOnXoff, value, FComPort); }
void TComFlowControl::SetXonChar(char value) { setLineSetting(FXonChar, value, FComPort); }
void TComFlowControl::SetXoffChar(char value) { setLineSetting(FXoffChar, value, FComPort); }

TFlowControl TComFlowControl::FlowControl() const
{
    const bool xonXoff = FXonXoffIn && FXonXoffOut;
    const bool noXonXoff = !FXonXoffIn && !FXonXoffOut;
    if (FControlRTS == TRTSFlowControl::rtsHandshake && FOutCTSFlow && noXonXoff)
        return TFlowControl::fcHardware;
    if (FControlRTS == TRTSFlowControl::rtsDisable && !FOutCTSFlow && xonXoff)
        return TFlowControl::fcSoftware;
    if (FControlRTS == TRTSFlowControl::rtsDisable && !FOutCTSFlow && noXonXoff)
        return TFlowControl::fcNone;
    return TFlowControl::fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value)
{
    if (value != TFlowControl::fcCustom) {
        FControlRTS = TRTSFlowControl::rtsDisable;
        FOutCTSFlow = false;
        FXonXoffIn = false;
        FXonXoffOut = false;
        if (value == TFlowControl::fcHardware) {
            FControlRTS = TRTSFlowControl::rtsHandshake;
            FOutCTSFlow = true;
        } else if (value == TFlowControl::fcSoftware) {
            FXonXoffIn = true;
            FXonXoffOut = true;
        }
    }
    if (FComPort)
        FComPort->ApplyCommState();
}

// --- parity ----------------------------------------------------------------

void TComParity::Assign(const TComParity& s)
{
    FBits = s.FBits;
    FCheck = s.FCheck;
    FReplace = s.FReplace;
    FReplaceChar = s.FReplaceChar;
}

void TComParity::SetBits(TParityBits value) { setLineSetting(FBits, value, FComPort); }
void TComParity::SetCheck(bool value) { setLineSetting(FCheck, value, FComPort); }
void TComParity::SetReplace(bool value) { setLineSetting(FReplace, value, FComPort); }
void TComParity::SetReplaceChar(char value) { setLineSetting(FReplaceChar, value, FComPort); }

// --- queue sizes -----------------------------------------------------------

void TComBuffer::Assign(const TComBuffer& s)
{
    FInputSize = s.FInputSize;
    FOutputSize = s.FOutputSize;
}

void TComBuffer::set(int& field, int value)
{
    if (field == value)
        return;
    field = value;
    if (field % 2 == 1)
        --field;
    if (FComPort)
        FComPort->ApplyBuffer();
}

void TComBuffer::SetInputSize(int value) { set(FInputSize, value); }
void TComBuffer::SetOutputSize(int value) { set(FOutputSize, value); }

} // namespace serial
