#include "serial/controls/ComComboBox.h"

#include "serial/ComPort.h"
#include "serial/ExceptionHook.h"

namespace serial {

// The control's own items as the selector's list.
class TComComboBox::Items : public ComStrings {
public:
    explicit Items(QComboBox& combo) : combo_(combo) {}
    void Clear() override { combo_.clear(); }
    void Add(const std::string& text) override { combo_.addItem(QString::fromStdString(text)); }
    int Count() const override { return combo_.count(); }
    std::string Item(int index) const override { return combo_.itemText(index).toStdString(); }

private:
    QComboBox& combo_;
};

TComComboBox::TComComboBox(QWidget* parent)
    : QComboBox(parent), FItems(std::make_unique<Items>(*this))
{
    setEditable(false);
    FComSelect.setItems(FItems.get());
    FLink.OnDestroying = [this](TCustomComPort*) { portDestroying(); };
    connect(this, &QComboBox::activated, this, &TComComboBox::Change);
}

TComComboBox::~TComComboBox()
{
    unlink();
}

void TComComboBox::unlink()
{
    TCustomComPort* port = FComSelect.ComPort();
    if (!port)
        return;
    FComSelect.SetComPort(nullptr);
    try {
        port->UnRegisterLink(&FLink);
    } catch (...) {
        handleException(std::current_exception());
    }
}

void TComComboBox::SetComPort(TCustomComPort* port)
{
    if (port == FComSelect.ComPort())
        return;
    unlink();
    if (!port)
        return;
    port->RegisterLink(&FLink);
    FComSelect.SetComPort(port);
    UpdateSettings();
}

void TComComboBox::portDestroying()
{
    unlink();
    if (count() > 0)
        setCurrentIndex(0);
}

void TComComboBox::SetComProperty(TComProperty value)
{
    FComSelect.SetComProperty(value);
    if (count() == 0)
        return;
    int index = 0;
    FComSelect.UpdateSettings(index);
    setCurrentIndex(index);
}

std::string TComComboBox::Text() const
{
    const int index = currentIndex();
    return index < 0 ? std::string() : itemText(index).toStdString();
}

void TComComboBox::SetText(const std::string& value)
{
    const int index = FItems->IndexOf(value);
    if (index >= 0)
        setCurrentIndex(index);
}

void TComComboBox::ApplySettings()
{
    FComSelect.ApplySettings();
}

void TComComboBox::UpdateSettings()
{
    int index = 0;
    FComSelect.UpdateSettings(index);
    setCurrentIndex(index);
}

void TComComboBox::Change(int index)
{
    try {
        FComSelect.Change(itemText(index).toStdString());
        if (OnChange)
            OnChange(this);
    } catch (...) {
        handleException(std::current_exception());
    }
}

} // namespace serial
