#include "serial/ComStorage.h"

#include <QString>

#include <string_view>

#include "platform/IntegerText.h"
#include "platform/settings/IniFile.h"
#include "platform/settings/SettingsError.h"
#include "platform/settings/SettingsStore.h"
#include "serial/ComErrors.h"
#include "serial/ComPort.h"
#include "serial/ComTexts.h"
#include "serial/ComUpdateBracket.h"

namespace serial {
namespace {

// One stored value: its name, its group, and how it is read from and
// assigned to a port, as text or as an integer.
struct StoredValue {
    const char* name;
    TStoredProp group;
    std::string (*text)(const TCustomComPort&);
    void (*setText)(TCustomComPort&, const std::string&);
    int (*integer)(const TCustomComPort&);
    void (*setInteger)(TCustomComPort&, int);
};

using P = TCustomComPort;
using S = const std::string&;

constexpr const char* kCustomBaudRate = "CustomBaudRate";

StoredValue textValue(const char* name, TStoredProp group, std::string (*get)(const P&), void (*set)(P&, S))
{
    return {name, group, get, set, nullptr, nullptr};
}

StoredValue integerValue(const char* name, TStoredProp group, int (*get)(const P&), void (*set)(P&, int))
{
    return {name, group, nullptr, nullptr, get, set};
}

// Every value in the order it is written and read.
const StoredValue kValues[] = {
    textValue("Port", TStoredProp::spBasic,
              [](const P& p) { return p.Port(); },
              [](P& p, S t) { p.SetPort(t); }),
    textValue("BaudRate", TStoredProp::spBasic,
              [](const P& p) { return BaudRateToStr(p.BaudRate()); },
              [](P& p, S t) { p.SetBaudRate(StrToBaudRate(t)); }),
    integerValue(kCustomBaudRate, TStoredProp::spBasic,
                 [](const P& p) { return p.CustomBaudRate(); },
                 [](P& p, int v) { p.SetCustomBaudRate(v); }),
    textValue("StopBits", TStoredProp::spBasic,
              [](const P& p) { return StopBitsToStr(p.StopBits()); },
              [](P& p, S t) { p.SetStopBits(StrToStopBits(t)); }),
    textValue("DataBits", TStoredProp::spBasic,
              [](const P& p) { return DataBitsToStr(p.DataBits()); },
              [](P& p, S t) { p.SetDataBits(StrToDataBits(t)); }),
    textValue("Parity", TStoredProp::spBasic,
              [](const P& p) { return ParityToStr(p.Parity().Bits()); },
              [](P& p, S t) { p.Parity().SetBits(StrToParity(t)); }),
    textValue("FlowControl", TStoredProp::spBasic,
              [](const P& p) { return FlowControlToStr(p.FlowControl().FlowControl()); },
              [](P& p, S t) { p.FlowControl().SetFlowControl(StrToFlowControl(t)); }),

    textValue("EventChar", TStoredProp::spOthers,
              [](const P& p) { return CharToStr(p.EventChar()); },
              [](P& p, S t) { p.SetEventChar(StrToChar(t)); }),
    textValue("DiscardNull", TStoredProp::spOthers,
              [](const P& p) { return BoolToStr(p.DiscardNull()); },
              [](P& p, S t) { p.SetDiscardNull(StrToBool(t)); }),

    textValue("Parity.Check", TStoredProp::spParity,
              [](const P& p) { return BoolToStr(p.Parity().Check()); },
              [](P& p, S t) { p.Parity().SetCheck(StrToBool(t)); }),
    textValue("Parity.Replace", TStoredProp::spParity,
              [](const P& p) { return BoolToStr(p.Parity().Replace()); },
              [](P& p, S t) { p.Parity().SetReplace(StrToBool(t)); }),
    textValue("Parity.ReplaceChar", TStoredProp::spParity,
              [](const P& p) { return CharToStr(p.Parity().ReplaceChar()); },
              [](P& p, S t) { p.Parity().SetReplaceChar(StrToChar(t)); }),

    integerValue("Buffer.OutputSize", TStoredProp::spBuffer,
                 [](const P& p) { return p.Buffer().OutputSize(); },
                 [](P& p, int v) { p.Buffer().SetOutputSize(v); }),
    integerValue("Buffer.InputSize", TStoredProp::spBuffer,
                 [](const P& p) { return p.Buffer().InputSize(); },
                 [](P& p, int v) { p.Buffer().SetInputSize(v); }),

    integerValue("Timeouts.ReadInterval", TStoredProp::spTimeouts,
                 [](const P& p) { return p.Timeouts().ReadInterval(); },
                 [](P& p, int v) { p.Timeouts().SetReadInterval(v); }),
    integerValue("Timeouts.ReadTotalConstant", TStoredProp::spTimeouts,
                 [](const P& p) { return p.Timeouts().ReadTotalConstant(); },
                 [](P& p, int v) { p.Timeouts().SetReadTotalConstant(v); }),
    integerValue("Timeouts.ReadTotalMultiplier", TStoredProp::spTimeouts,
                 [](const P& p) { return p.Timeouts().ReadTotalMultiplier(); },
                 [](P& p, int v) { p.Timeouts().SetReadTotalMultiplier(v); }),
    integerValue("Timeouts.WriteTotalConstant", TStoredProp::spTimeouts,
                 [](const P& p) { return p.Timeouts().WriteTotalConstant(); },
                 [](P& p, int v) { p.Timeouts().SetWriteTotalConstant(v); }),
    integerValue("Timeouts.WriteTotalMultiplier", TStoredProp::spTimeouts,
                 [](const P& p) { return p.Timeouts().WriteTotalMultiplier(); },
                 [](P& p, int v) { p.Timeouts().SetWriteTotalMultiplier(v); }),

    textValue("FlowControl.ControlRTS", TStoredProp::spFlowControl,
              [](const P& p) { return RTSToStr(p.FlowControl().ControlRTS()); },
              [](P& p, S t) { p.FlowControl().SetControlRTS(StrToRTS(t)); }),
    textValue("FlowControl.ControlDTR", TStoredProp::spFlowControl,
              [](const P& p) { return DTRToStr(p.FlowControl().ControlDTR()); },
              [](P& p, S t) { p.FlowControl().SetControlDTR(StrToDTR(t)); }),
    textValue("FlowControl.DSRSensitivity", TStoredProp::spFlowControl,
              [](const P& p) { return BoolToStr(p.FlowControl().DSRSensitivity()); },
              [](P& p, S t) { p.FlowControl().SetDSRSensitivity(StrToBool(t)); }),
    textValue("FlowControl.OutCTSFlow", TStoredProp::spFlowControl,
              [](const P& p) { return BoolToStr(p.FlowControl().OutCTSFlow()); },
              [](P& p, S t) { p.FlowControl().SetOutCTSFlow(StrToBool(t)); }),
    textValue("FlowControl.OutDSRFlow", TStoredProp::spFlowControl,
              [](const P& p) { return BoolToStr(p.FlowControl().OutDSRFlow()); },
              [](P& p, S t) { p.FlowControl().SetOutDSRFlow(StrToBool(t)); }),
    textValue("FlowControl.TxContinueOnXoff", TStoredProp::spFlowControl,
              [](const P& p) { return BoolToStr(p.FlowControl().TxContinueOnXoff()); },
              [](P& p, S t) { p.FlowControl().SetTxContinueOnXoff(StrToBool(t)); }),
    textValue("FlowControl.XonXoffIn", TStoredProp::spFlowControl,
              [](const P& p) { return BoolToStr(p.FlowControl().XonXoffIn()); },
              [](P& p, S t) { p.FlowControl().SetXonXoffIn(StrToBool(t)); }),
    textValue("FlowControl.XonXoffOut", TStoredProp::spFlowControl,
              [](const P& p) { return BoolToStr(p.FlowControl().XonXoffOut()); },
              [](P& p, S t) { p.FlowControl().SetXonXoffOut(StrToBool(t)); }),
    textValue("FlowControl.XoffChar", TStoredProp::spFlowControl,
              [](const P& p) { return CharToStr(p.FlowControl().XoffChar()); },
              [](P& p, S t) { p.FlowControl().SetXoffChar(StrToChar(t)); }),
    textValue("FlowControl.XonChar", TStoredProp::spFlowControl,
              [](const P& p) { return CharToStr(p.FlowControl().XonChar()); },
              [](P& p, S t) { p.FlowControl().SetXonChar(StrToChar(t)); }),
};

// The group order, whatever the order of the set.
constexpr TStoredProp kGroupOrder[] = {TStoredProp::spBasic, TStoredProp::spOthers, TStoredProp::spParity,
                                       TStoredProp::spBuffer, TStoredProp::spTimeouts, TStoredProp::spFlowControl};

// Calls f for each value the port stores now, in order. Whether
// "CustomBaudRate" belongs is decided when it is reached, so on loading it
// follows the baud rate just loaded.
template <class F>
void forEachValue(const TCustomComPort& port, F&& f)
{
    const TStoredProps groups = port.StoredProps();
    for (TStoredProp group : kGroupOrder) {
        if (!groups.contains(group))
            continue;
        for (const StoredValue& value : kValues) {
            if (value.group != group)
                continue;
            if (std::string_view(value.name) == kCustomBaudRate && port.BaudRate() != TBaudRate::brCustom)
                continue;
            f(value);
        }
    }
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Where stored values go, and where loaded ones come from.
class ValueTarget {
public:
    virtual ~ValueTarget() = default;
    virtual void writeText(const char* name, const std::string& text) = 0;
    virtual void writeInteger(const char* name, int value) = 0;
};

class ValueSource {
public:
    virtual ~ValueSource() = default;
    // `current` is the setting's present value, `fallback` the integer to
    // use for a missing or unreadable integer where the source has one.
    virtual std::string readText(const char* name, const std::string& current) = 0;
    virtual int readInteger(const char* name, int fallback) = 0;
};

void storeValues(const TCustomComPort& port, ValueTarget& target)
{
    forEachValue(port, [&](const StoredValue& value) {
        if (value.text)
            target.writeText(value.name, value.text(port));
        else
            target.writeInteger(value.name, value.integer(port));
    });
}

void loadValues(TCustomComPort& port, ValueSource& source)
{
    forEachValue(port, [&](const StoredValue& value) {
        if (value.text) {
            value.setText(port, source.readText(value.name, value.text(port)));
        } else {
            const int fallback = std::string_view(value.name) == kCustomBaudRate ? 9600 : value.integer(port);
            value.setInteger(port, source.readInteger(value.name, fallback));
        }
    });
}

// The current key of a settings store. A missing text reads as "", a missing
// integer fails.
class RegistryValues : public ValueTarget, public ValueSource {
public:
    explicit RegistryValues(platform::SettingsStore& store) : store_(store) {}
    void writeText(const char* name, const std::string& text) override { store_.writeString(name, Q(text)); }
    void writeInteger(const char* name, int value) override { store_.writeInteger(name, value); }
    std::string readText(const char* name, const std::string&) override
    {
        return store_.readString(name).toStdString();
    }
    int readInteger(const char* name, int) override { return store_.readInteger(name); }

private:
    platform::SettingsStore& store_;
};

// One section of an ini text. A missing key keeps the setting.
class IniValues : public ValueTarget, public ValueSource {
public:
    IniValues(platform::IniDocument& document, const std::string& section)
        : document_(document), section_(Q(section)) {}
    void writeText(const char* name, const std::string& text) override { document_.setValue(section_, name, Q(text)); }
    void writeInteger(const char* name, int value) override
    {
        document_.setValue(section_, name, QString::number(value));
    }
    std::string readText(const char* name, const std::string& current) override
    {
        const std::optional<QString> text = document_.value(section_, name);
        return text ? text->toStdString() : current;
    }
    int readInteger(const char* name, int fallback) override
    {
        const std::optional<QString> text = document_.value(section_, name);
        return text ? platform::parseInt32(*text).value_or(fallback) : fallback;
    }

private:
    platform::IniDocument& document_;
    QString section_;
};

bool sameAsciiText(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (up(a[i]) != up(b[i]))
            return false;
    }
    return i == a.size() && !b[i];
}

[[noreturn]] void fail(const std::string& what)
{
    throw platform::SettingsError(what);
}

void requireName(const TCustomComPort& port)
{
    if (port.Name().empty())
        fail("A port without a name has no place in the settings.");
}

} // namespace

bool OpenRegistryKey(platform::SettingsStore& store, const std::string& key, const std::string& name, bool create)
{
    const std::size_t slash = key.find('\\');
    if (slash == std::string::npos)
        return false;
    const std::string root = key.substr(0, slash);
    store.setRoot(sameAsciiText(root, "HKEY_LOCAL_MACHINE") ? platform::SettingsRoot::LocalMachine
                                                            : platform::SettingsRoot::CurrentUser);
    std::string path = key.substr(slash + 1);
    if (path.empty())
        return false;
    if (path.back() != '\\')
        path += '\\';
    path += name;
    return store.openKey(Q(path), create);
}

void StoreSettings(TCustomComPort& port, TStoreType StoreType, const std::string& StoreTo)
{
    try {
        requireName(port);
        if (StoreType == TStoreType::stRegistry) {
            platform::SettingsStore store;
            if (!OpenRegistryKey(store, StoreTo, port.Name(), true))
                fail("Cannot open the settings key " + StoreTo);
            RegistryValues values(store);
            storeValues(port, values);
        } else {
            platform::IniFile(Q(StoreTo)).update([&](platform::IniDocument& document) {
                IniValues values(document, port.Name());
                storeValues(port, values);
                return true;
            });
        }
    } catch (...) {
        std::throw_with_nested(EComPort(port.Port(), CError_StoreFailed));
    }
}

void LoadSettings(TCustomComPort& port, TStoreType StoreType, const std::string& LoadFrom)
{
    const auto bracketed = [&port](ValueSource& source) {
        withinUpdate(port, [&](FirstFailure&) { loadValues(port, source); });
    };

    try {
        requireName(port);
        if (StoreType == TStoreType::stRegistry) {
            platform::SettingsStore store;
            if (!OpenRegistryKey(store, LoadFrom, port.Name(), false))
                fail("No settings key " + LoadFrom + "\\" + port.Name());
            RegistryValues values(store);
            bracketed(values);
        } else {
            // A missing file or section is nothing stored yet: every read
            // then gives its default.
            platform::IniDocument document = platform::IniFile(Q(LoadFrom)).load();
            IniValues values(document, port.Name());
            bracketed(values);
        }
    } catch (...) {
        std::throw_with_nested(EComPort(port.Port(), CError_LoadFailed));
    }
}

} // namespace serial
