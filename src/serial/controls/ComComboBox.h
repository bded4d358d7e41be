#pragma once
// A drop-down list bound to one setting of a serial port: it lists the values
// the setting may take, selects the port's current value and hands the
// user's choice to the port (at once with AutoApply, else by ApplySettings).
//
// Only a choice the user makes (Qt's `activated`: a click in the list or a
// key) counts as a change; selecting by program (SetText, UpdateSettings,
// refilling) never applies anything and never runs OnChange. A failure while
// handling a choice goes to the serial library's exception hook; OnChange
// then does not run.
//
// The control follows its port's life: when the port is freed first, the
// control forgets it and selects its first item.
#include <QComboBox>

#include <functional>
#include <memory>
#include <string>

#include "serial/ComLink.h"
#include "serial/ComSelect.h"
#include "serial/ComTypes.h"

namespace serial {

class TComComboBox : public QComboBox {
    Q_OBJECT
public:
    using ChangeEvent = std::function<void(TComComboBox* Sender)>;

    explicit TComComboBox(QWidget* parent = nullptr);
    ~TComComboBox() override;

    // Links the port (nullptr unlinks; the selection then stays) and selects
    // its current value.
    TCustomComPort* ComPort() const { return FComSelect.ComPort(); }
    void SetComPort(TCustomComPort* port);
    // Refills the list for the kind (also for the same kind) and selects the
    // port's value, or the first item without a port. Setting cpPort raises
    // EComPortExt CError_RegError when the machine's port list cannot be read.
    TComProperty ComProperty() const { return FComSelect.ComProperty(); }
    void SetComProperty(TComProperty value);
    bool AutoApply() const { return FComSelect.AutoApply(); }
    void SetAutoApply(bool value) { FComSelect.SetAutoApply(value); }

    // The selected item, "" when none is selected.
    std::string Text() const;
    // Selects the item equal to `value` ignoring letter case; nothing changes
    // when there is none. Applies nothing and does not run OnChange.
    void SetText(const std::string& value);

    // Writes the selector's value into the port (see TComSelect).
    void ApplySettings();
    // Selects the item of the port's current value (none when absent); the
    // first item without a port or with cpNone.
    void UpdateSettings();

    // The logic behind the control.
    const TComSelect& ComSelect() const { return FComSelect; }

    // Runs after a choice of the user has been taken (and, with AutoApply,
    // applied to the port).
    ChangeEvent OnChange;

protected:
    // The user picked the item at `index`.
    virtual void Change(int index);

private:
    class Items;
    void unlink();
    void portDestroying();

    std::unique_ptr<Items> FItems;
    TComSelect FComSelect;
    TComLink FLink;
};

} // namespace serial
