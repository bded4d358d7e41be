#include "serial/controls/ComSetupFrm.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

#include "platform/Override.h"
#include "serial/ComSetupHook.h"
#include "serial/ComUpdateBracket.h"
#include "serial/controls/ComComboBox.h"

namespace serial {
namespace {

// Empty: the dialog's own exec().
platform::Override<SetupDialogRunner>& runnerInUse()
{
    static platform::Override<SetupDialogRunner> inUse;
    return inUse;
}

int runModal(TComSetupFrm& dialog)
{
    const SetupDialogRunner runner = runnerInUse().get();
    return runner ? runner(dialog) : dialog.exec();
}

} // namespace

SetupDialogRunner setSetupDialogRunner(SetupDialogRunner runner)
{
    return runnerInUse().set(std::move(runner));
}

void installSetupDialog()
{
    setSetupDialogHook(&EditComPort);
}

TComSetupFrm::TComSetupFrm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Setup"));

    GroupBox1 = new QGroupBox(QStringLiteral(" Settings "), this);
    auto* grid = new QGridLayout(GroupBox1);
    const struct {
        QLabel*& label;
        TComComboBox*& combo;
        const char* caption;
        TComProperty kind;
    } rows[] = {
        {Label1, Combo1, "Port", TComProperty::cpPort},
        {Label2, Combo2, "Baud rate", TComProperty::cpBaudRate},
        {Label3, Combo3, "Data bits", TComProperty::cpDataBits},
        {Label4, Combo4, "Stop bits", TComProperty::cpStopBits},
        {Label5, Combo5, "Parity", TComProperty::cpParity},
        {Label6, Combo6, "Flow control", TComProperty::cpFlowControl},
    };
    int row = 0;
    for (const auto& r : rows) {
        r.label = new QLabel(QString::fromUtf8(r.caption), GroupBox1);
        r.combo = new TComComboBox(GroupBox1);
        r.label->setBuddy(r.combo);
        grid->addWidget(r.label, row, 0);
        grid->addWidget(r.combo, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(this);
    Button1 = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    Button2 = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    Button1->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(buttons);

    QWidget* previous = nullptr;
    for (const auto& r : rows) {
        if (previous)
            setTabOrder(previous, r.combo);
        previous = r.combo;
    }
    setTabOrder(previous, Button1);
    setTabOrder(Button1, Button2);

    // A fixed dialog border: the size the contents need, at least 231 x 216.
    resize(sizeHint().expandedTo(QSize(231, 216)));
    setFixedSize(size());

    // The port list is read last, once the dialog is whole.
    for (const auto& r : rows)
        r.combo->SetComProperty(r.kind);
}

TComComboBox* TComSetupFrm::combos(int index) const
{
    TComComboBox* const all[] = {Combo1, Combo2, Combo3, Combo4, Combo5, Combo6};
    return all[index];
}

bool EditComPort(TCustomComPort& port)
{
    const auto dialog = std::make_unique<TComSetupFrm>();
    for (int i = 0; i < 6; ++i)
        dialog->combos(i)->SetComPort(&port);
    for (int i = 0; i < 6; ++i)
        dialog->combos(i)->UpdateSettings();
    if (runModal(*dialog) != QDialog::Accepted)
        return false;

    withinUpdate(port, [&](FirstFailure& failures) {
        for (int i = 0; i < 6; ++i)
            failures.run([&] { dialog->combos(i)->ApplySettings(); });
    });
    return true;
}

} // namespace serial
