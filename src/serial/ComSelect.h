#pragma once
// The logic of a port selector, without a screen: it fills an item list with
// the values one setting of a port may take, finds the port's current value
// in it, takes the user's choice and writes it into the port.
//
// The selector holds one value per kind of setting; only the value of the
// current kind is used. A value is taken by a choice (Change) or by finding
// the port's value (UpdateSettings). When the port's value is not in the list
// (a port name that is not among the machine's ports), the selector takes the
// port's value as it is, so a later ApplySettings writes back what the port
// already has instead of a stale or empty value; and a selector that has
// taken no value for its kind yet applies nothing.
#include <string>

#include "serial/ComStrings.h"
#include "serial/ComTypes.h"

namespace serial {

class TCustomComPort;

class TComSelect {
public:
    TComSelect() = default;
    TComSelect(const TComSelect&) = delete;
    TComSelect& operator=(const TComSelect&) = delete;

    // The list the selector fills; not owned. Set it before the kind.
    ComStrings* Items() const { return FItems; }
    void setItems(ComStrings* items) { FItems = items; }

    // Each empties the list and fills it for one kind: the machine's ports
    // (EnumComPorts; raises its CError_RegError), or every text of one setting
    // in the order of its enumeration.
    void SelectPort();
    void SelectBaudRate();
    void SelectDataBits();
    void SelectStopBits();
    void SelectParity();
    void SelectFlowControl();

    TComProperty ComProperty() const { return FComProperty; }
    // Stores the kind and fills the list for it (also for the same kind);
    // cpNone empties the list.
    void SetComProperty(TComProperty value);

    // The linked port; not owned. Linking only stores it.
    TCustomComPort* ComPort() const { return FComPort; }
    void SetComPort(TCustomComPort* port) { FComPort = port; }

    bool AutoApply() const { return FAutoApply; }
    void SetAutoApply(bool value) { FAutoApply = value; }

    // Takes a choice: the text is read as a value of the current kind (a
    // port name unchanged); with AutoApply it is applied at once, and a
    // failure of the port's setter passes on.
    void Change(const std::string& Text);
    // Writes the value of the current kind into the port through its
    // setter. Nothing without a port, with cpNone, or before the selector
    // has taken a value for the kind.
    void ApplySettings();
    // Looks the port's current value up in the list, ignoring letter case:
    // ItemIndex gets its index, or -1 when it is absent. Without a port or
    // with cpNone, ItemIndex is left as it is. Found, the selector takes the
    // list's item (so a port name takes the list's letter case); absent, it
    // takes the port's value as it is.
    void UpdateSettings(int& ItemIndex);

    // The values held for each kind.
    const std::string& Port() const { return FPort; }
    TBaudRate BaudRate() const { return FBaudRate; }
    TDataBits DataBits() const { return FDataBits; }
    TStopBits StopBits() const { return FStopBits; }
    TParityBits Parity() const { return FParity; }
    TFlowControl FlowControl() const { return FFlowControl; }
    // Whether a value of the kind has been taken.
    bool hasValue(TComProperty kind) const { return (FTaken >> ord(kind)) & 1u; }

private:
    // The port's current value of the current kind as text.
    std::string portValueText() const;
    // Takes `text` as the value of the current kind.
    void take(const std::string& text);

    std::string FPort;
    TBaudRate FBaudRate = TBaudRate::brCustom;
    TDataBits FDataBits = TDataBits::dbFive;
    TStopBits FStopBits = TStopBits::sbOneStopBit;
    TParityBits FParity = TParityBits::prNone;
    TFlowControl FFlowControl = TFlowControl::fcHardware;
    ComStrings* FItems = nullptr;
    TComProperty FComProperty = TComProperty::cpNone;
    TCustomComPort* FComPort = nullptr;
    bool FAutoApply = false;
    unsigned FTaken = 0;  // bit n: a value of the kind with ordinal n was taken
};

} // namespace serial
