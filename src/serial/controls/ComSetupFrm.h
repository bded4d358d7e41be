#pragma once
// The "Setup" dialog: port name, baud rate, data bits, stop bits, parity and
// flow control of one serial port, each in its own selector. OK writes all
// six into the port together.
#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;

namespace serial {

class TComComboBox;
class TCustomComPort;

class TComSetupFrm : public QDialog {
    Q_OBJECT
public:
    // Lists the machine's serial ports in Combo1: raises EComPortExt
    // CError_RegError when that list cannot be read.
    explicit TComSetupFrm(QWidget* parent = nullptr);

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    TComComboBox* Combo1;  // port
    TComComboBox* Combo2;  // baud rate
    TComComboBox* Combo3;  // data bits
    TComComboBox* Combo4;  // stop bits
    TComComboBox* Combo5;  // parity
    TComComboBox* Combo6;  // flow control
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

    // The six selectors, Combo1 to Combo6.
    TComComboBox* combos(int index) const;
};

// Shows the dialog for `port`, each selector showing the port's current
// value. On OK applies the six choices in order between BeginUpdate and
// EndUpdate: every one is applied even when an earlier one fails (a new port
// name that cannot be opened leaves the port closed under that name), then
// EndUpdate runs and the first failure passes on. Cancel changes nothing.
// The dialog is freed on every path. True when OK was pressed.
bool EditComPort(TCustomComPort& port);

// How the dialog is run modally: answers QDialog::Accepted for OK. The
// default runs exec(); tests put a function in place that plays the user.
using SetupDialogRunner = std::function<int(TComSetupFrm& dialog)>;
// Puts `runner` in place (an empty one restores the default); returns the
// one in place before.
SetupDialogRunner setSetupDialogRunner(SetupDialogRunner runner);

// Makes this dialog the one every port's ShowSetupDialog() runs (see
// setSetupDialogHook()); the program calls it once at start-up.
void installSetupDialog();

} // namespace serial
