#include "serial/ComSelect.h"

#include "serial/ComPort.h"
#include "serial/ComTexts.h"
#include "serial/EnumComPorts.h"

namespace serial {
namespace {

// Empties `items` and adds the text of every value of E, first to last.
template <class E, int Count>
void fillWith(ComStrings* items, std::string (*toText)(E))
{
    if (!items)
        return;
    items->Clear();
    for (int i = 0; i < Count; ++i)
        items->Add(toText(static_cast<E>(i)));
}

} // namespace

void TComSelect::SelectPort()
{
    if (!FItems)
        return;
    FItems->Clear();
    EnumComPorts(*FItems);
}

void TComSelect::SelectBaudRate() { fillWith<TBaudRate, 16>(FItems, BaudRateToStr); }
void TComSelect::SelectDataBits() { fillWith<TDataBits, 4>(FItems, DataBitsToStr); }
void TComSelect::SelectStopBits() { fillWith<TStopBits, 3>(FItems, StopBitsToStr); }
void TComSelect::SelectParity() { fillWith<TParityBits, 5>(FItems, ParityToStr); }
void TComSelect::SelectFlowControl() { fillWith<TFlowControl, 4>(FItems, FlowControlToStr); }

void TComSelect::SetComProperty(TComProperty value)
{
    FComProperty = value;
    switch (value) {
    case TComProperty::cpNone:
        if (FItems)
            FItems->Clear();
        break;
    case TComProperty::cpPort: SelectPort(); break;
    case TComProperty::cpBaudRate: SelectBaudRate(); break;
    case TComProperty::cpDataBits: SelectDataBits(); break;
    case TComProperty::cpStopBits: SelectStopBits(); break;
    case TComProperty::cpParity: SelectParity(); break;
    case TComProperty::cpFlowControl: SelectFlowControl(); break;
    }
}

void TComSelect::take(const std::string& text)
{
    switch (FComProperty) {
    case TComProperty::cpNone: return;
    case TComProperty::cpPort: FPort = text; break;
    case TComProperty::cpBaudRate: FBaudRate = StrToBaudRate(text); break;
    case TComProperty::cpDataBits: FDataBits = StrToDataBits(text); break;
    case TComProperty::cpStopBits: FStopBits = StrToStopBits(text); break;
    case TComProperty::cpParity: FParity = StrToParity(text); break;
    case TComProperty::cpFlowControl: FFlowControl = StrToFlowControl(text); break;
    }
    FTaken |= 1u << ord(FComProperty);
}

void TComSelect::Change(const std::string& Text)
{
    take(Text);
    if (FAutoApply)
        ApplySettings();
}

void TComSelect::ApplySettings()
{
    if (!FComPort || !hasValue(FComProperty))
        return;
    switch (FComProperty) {
    case TComProperty::cpNone: break;
    case TComProperty::cpPort: FComPort->SetPort(FPort); break;
    case TComProperty::cpBaudRate: FComPort->SetBaudRate(FBaudRate); break;
    case TComProperty::cpDataBits: FComPort->SetDataBits(FDataBits); break;
    case TComProperty::cpStopBits: FComPort->SetStopBits(FStopBits); break;
    case TComProperty::cpParity: FComPort->Parity().SetBits(FParity); break;
    case TComProperty::cpFlowControl: FComPort->FlowControl().SetFlowControl(FFlowControl); break;
    }
}

std::string TComSelect::portValueText() const
{
    switch (FComProperty) {
    case TComProperty::cpNone: break;
    case TComProperty::cpPort: return FComPort->Port();
    case TComProperty::cpBaudRate: return BaudRateToStr(FComPort->BaudRate());
    case TComProperty::cpDataBits: return DataBitsToStr(FComPort->DataBits());
    case TComProperty::cpStopBits: return StopBitsToStr(FComPort->StopBits());
    case TComProperty::cpParity: return ParityToStr(FComPort->Parity().Bits());
    case TComProperty::cpFlowControl: return FlowControlToStr(FComPort->FlowControl().FlowControl());
    }
    return {};
}

void TComSelect::UpdateSettings(int& ItemIndex)
{
    if (!FComPort || FComProperty == TComProperty::cpNone)
        return;
    const std::string current = portValueText();
    ItemIndex = FItems ? FItems->IndexOf(current) : -1;
    // Every text of a setting reads back as the value it was made from, so
    // taking the text is taking the port's own value.
    take(ItemIndex >= 0 ? FItems->Item(ItemIndex) : current);
}

} // namespace serial
