#include "serial/ComSettings.h"

#include "serial/ComPort.h"

namespace serial {

// --- time-outs -------------------------------------------------------------

void TComTimeouts::Assign(const TComTimeouts& s)
{
    FReadInterval = s.FReadInterval;
    FReadTotalM = s.FReadTotalM;
    FReadTotalC = s.FReadTotalC;
    FWriteTotalM = s.FWriteTotalM;
    FWriteTotalC = s.FWriteTotalC;
}

void TComTimeouts::Set(int& field, int value)
{
    if (field == value)
        return;
    field = value;
    if (FComPort)
        FComPort->ApplyTimeouts();
}

void TComTimeouts::SetReadInterval(int value) { Set(FReadInterval, value); }
void TComTimeouts::SetReadTotalMultiplier(int value) { Set(FReadTotalM, value); }
void TComTimeouts::SetReadTotalConstant(int value) { Set(FReadTotalC, value); }
void TComTimeouts::SetWriteTotalMultiplier(int value) { Set(FWriteTotalM, value); }
void TComTimeouts::SetWriteTotalConstant(int value) { Set(FWriteTotalC, value); }

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

template <class T>
void TComFlowControl::Set(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    if (FComPort)
        FComPort->ApplyCommState();
}

void TComFlowControl::SetOutCTSFlow(bool value) { Set(FOutCTSFlow, value); }
void TComFlowControl::SetOutDSRFlow(bool value) { Set(FOutDSRFlow, value); }
void TComFlowControl::SetControlDTR(TDTRFlowControl value) { Set(FControlDTR, value); }
void TComFlowControl::SetControlRTS(TRTSFlowControl value) { Set(FControlRTS, value); }
void TComFlowControl::SetXonXoffOut(bool value) { Set(FXonXoffOut, value); }
void TComFlowControl::SetXonXoffIn(bool value) { Set(FXonXoffIn, value); }
void TComFlowControl::SetDSRSensitivity(bool value) { Set(FDSRSensitivity, value); }
void TComFlowControl::SetTxContinueOnXoff(bool value) { Set(FTxContinueOnXoff, value); }
void TComFlowControl::SetXonChar(char value) { Set(FXonChar, value); }
void TComFlowControl::SetXoffChar(char value) { Set(FXoffChar, value); }

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

template <class T>
void TComParity::Set(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    if (FComPort)
        FComPort->ApplyCommState();
}

void TComParity::SetBits(TParityBits value) { Set(FBits, value); }
void TComParity::SetCheck(bool value) { Set(FCheck, value); }
void TComParity::SetReplace(bool value) { Set(FReplace, value); }
void TComParity::SetReplaceChar(char value) { Set(FReplaceChar, value); }

// --- queue sizes -----------------------------------------------------------

void TComBuffer::Assign(const TComBuffer& s)
{
    FInputSize = s.FInputSize;
    FOutputSize = s.FOutputSize;
}

void TComBuffer::Set(int& field, int value)
{
    if (field == value)
        return;
    field = value;
    if (field % 2 == 1)
        --field;
    if (FComPort)
        FComPort->ApplyBuffer();
}

void TComBuffer::SetInputSize(int value) { Set(FInputSize, value); }
void TComBuffer::SetOutputSize(int value) { Set(FOutputSize, value); }

} // namespace serial
