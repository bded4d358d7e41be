#pragma once
// The four settings objects of a serial port: time-outs, flow control, parity
// and queue sizes. Each belongs to one port (ComPort()) and re-applies its
// group to that port when a value changes; one made on its own (no port)
// only holds values, to be copied into a port with the port's setter.
#include <cstdint>

#include "serial/ComTypes.h"

namespace serial {

class TCustomComPort;

// Read and write time-outs in milliseconds.
class TComTimeouts {
public:
    explicit TComTimeouts(TCustomComPort* comPort = nullptr) : FComPort(comPort) {}
    TComTimeouts(const TComTimeouts&) = delete;
    TComTimeouts& operator=(const TComTimeouts&) = delete;

    TCustomComPort* ComPort() const { return FComPort; }
    // Copies every value (not the port); applies nothing.
    void Assign(const TComTimeouts& source);

    int ReadInterval() const { return FReadInterval; }
    int ReadTotalMultiplier() const { return FReadTotalM; }
    int ReadTotalConstant() const { return FReadTotalC; }
    int WriteTotalMultiplier() const { return FWriteTotalM; }
    int WriteTotalConstant() const { return FWriteTotalC; }
    void SetReadInterval(int value);
    void SetReadTotalMultiplier(int value);
    void SetReadTotalConstant(int value);
    void SetWriteTotalMultiplier(int value);
    void SetWriteTotalConstant(int value);

private:
    TCustomComPort* FComPort;
    int FReadInterval = -1;
    int FReadTotalM = 0;
    int FReadTotalC = 0;
    int FWriteTotalM = 100;
    int FWriteTotalC = 1000;
};

class TComFlowControl {
public:
    explicit TComFlowControl(TCustomComPort* comPort = nullptr) : FComPort(comPort) {}
    TComFlowControl(const TComFlowControl&) = delete;
    TComFlowControl& operator=(const TComFlowControl&) = delete;

    TCustomComPort* ComPort() const { return FComPort; }
    void Assign(const TComFlowControl& source);

    bool OutCTSFlow() const { return FOutCTSFlow; }
    bool OutDSRFlow() const { return FOutDSRFlow; }
    TDTRFlowControl ControlDTR() const { return FControlDTR; }
    TRTSFlowControl ControlRTS() const { return FControlRTS; }
    bool XonXoffOut() const { return FXonXoffOut; }
    bool XonXoffIn() const { return FXonXoffIn; }
    bool DSRSensitivity() const { return FDSRSensitivity; }
    bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
    char XonChar() const { return FXonChar; }
    char XoffChar() const { return FXoffChar; }
    void SetOutCTSFlow(bool value);
    void SetOutDSRFlow(bool value);
    void SetControlDTR(TDTRFlowControl value);
    void SetControlRTS(TRTSFlowControl value);
    void SetXonXoffOut(bool value);
    void SetXonXoffIn(bool value);
    void SetDSRSensitivity(bool value);
    void SetTxContinueOnXoff(bool value);
    void SetXonChar(char value);
    void SetXoffChar(char value);

    // The preset the fields make up (fcCustom when they match none).
    TFlowControl FlowControl() const;
    // Sets the fields of a preset (fcCustom changes none) and re-applies.
    void SetFlowControl(TFlowControl value);

private:
    TCustomComPort* FComPort;
    bool FOutCTSFlow = false;
    bool FOutDSRFlow = false;
    TDTRFlowControl FControlDTR = TDTRFlowControl::dtrDisable;
    TRTSFlowControl FControlRTS = TRTSFlowControl::rtsDisable;
    bool FXonXoffOut = false;
    bool FXonXoffIn = false;
    bool FDSRSensitivity = false;
    bool FTxContinueOnXoff = false;
    char FXonChar = 17;
    char FXoffChar = 19;
};

class TComParity {
public:
    explicit TComParity(TCustomComPort* comPort = nullptr) : FComPort(comPort) {}
    TComParity(const TComParity&) = delete;
    TComParity& operator=(const TComParity&) = delete;

    TCustomComPort* ComPort() const { return FComPort; }
    void Assign(const TComParity& source);

    TParityBits Bits() const { return FBits; }
    bool Check() const { return FCheck; }
    bool Replace() const { return FReplace; }
    char ReplaceChar() const { return FReplaceChar; }
    void SetBits(TParityBits value);
    void SetCheck(bool value);
    void SetReplace(bool value);
    void SetReplaceChar(char value);

private:
    TCustomComPort* FComPort;
    TParityBits FBits = TParityBits::prNone;
    bool FCheck = false;
    bool FReplace = false;
    char FReplaceChar = 0;
};

// Queue sizes in bytes. A positive odd size is lowered by one when stored.
class TComBuffer {
public:
    explicit TComBuffer(TCustomComPort* comPort = nullptr) : FComPort(comPort) {}
    TComBuffer(const TComBuffer&) = delete;
    TComBuffer& operator=(const TComBuffer&) = delete;

    TCustomComPort* ComPort() const { return FComPort; }
    void Assign(const TComBuffer& source);

    int InputSize() const { return FInputSize; }
    int OutputSize() const { return FOutputSize; }
    void SetInputSize(int value);
    void SetOutputSize(int value);

private:
    void set(int& field, int value);

    TCustomComPort* FComPort;
    int FInputSize = 1024;
    int FOutputSize = 1024;
};

} // namespace serial
