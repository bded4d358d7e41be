#pragma once
// The main window: the start tables on their tabs, the clock link with its
// labels, the serial port with its selector and lamps, the PC clock shift,
// the firmware hand-over, and the settings kept between runs.
//
// The link protocol lives in ClockLink and the clock shift in ClockShift;
// the window wires its timer, port and buttons to them. Every handler hands
// its failures to the program's error reporter and returns.
#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>

#include "app/link/ClockLink.h"
#include "app/link/ComLinkPort.h"
#include "app/link/LinkInterfaces.h"
#include "app/link/TransferSequence.h"
#include "app/pcclock/ClockShift.h"
#include "app/pcclock/ShiftRepeat.h"
#include "app/windows/MainSettings.h"
#include "app/windows/TableFileDialog.h"
#include "serial/ComPort.h"

class QButtonGroup;
class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
namespace serial {
class TComComboBox;
class TComLed;
}
namespace timevalues {
class TTidEdit;
class TViloSpinnEdit;
}

namespace app {

class Desktop;
class ErrorReporter;
class ShiftArrows;
struct IntervalTableSettings;
struct PursuitTableSettings;
class TFLasin;
class TFLoader;

inline constexpr const char* kMainFormCaption = "Ladda VILO Corvalinder ver:10021";
inline constexpr int kTimer1IntervalMs = 100;
// Data rows of the two start grids (the grids' rows 1 to 9999).
inline constexpr int kGridDataRows = 9999;

class TMainForm : public QMainWindow, private LinkLabels {
    Q_OBJECT
public:
    // Builds the window with its two dialogs, the import dialog "FLasin" and
    // the firmware loader "FLoader", and runs FormCreate: geometry and the
    // remembered port from `settings`, the grids' headers, an empty send
    // list. Files are chosen and dialogs run through `desktop`; every message
    // and failure goes to `reporter`.
    TMainForm(const MainSettings& settings, Desktop& desktop, ErrorReporter& reporter, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Called once after every window of the program exists: opens the port
    // ("Ingen comport" when it cannot be opened) and starts the poll with
    // "VER".
    void Init();

    // Offers one command text to the clock link.
    void Sand(const std::string& command) { link_.Sand(command); }
    // Shifts the PC's local clock by `diff` units of 1/10000 s.
    void Settiddiff(int diff);

    serial::TComPort& ComPort() { return ComPort_; }
    ClockLink& link() { return link_; }
    const TransferSequence& transfer() const { return transfer_; }
    QTimer& Timer1() { return Timer1_; }
    // False once a close could not save the settings: the program then ends
    // with a failure status.
    bool settingsSaved() const { return settingsSaved_; }

    // The port selector's text: the chosen port name, empty when none.
    QString comComboBoxText() const;
    void setComComboBoxText(const QString& name);

    // Start tables.
    // Loads data row ARow of StringGrid1 into the entry fields, with
    // proposals from the row above, and moves the focus to SEFnr. Returns
    // false when the rows hold no integer where one is needed: the failure
    // is reported and the entry fields keep their values.
    bool StringGrid1SelectCell(int ACol, int ARow);
    // Writes the entry fields into the current row of StringGrid1.
    void SEFnrExit();
    // Numbers the pursuit starters into AntalKo queues.
    void AntalKoChange();
    // Recomputes the "Diff" column of StringGrid2.
    void FixDiff();
    // "Läs Tidfil": appends the starters of an import to StringGrid2.
    void LasFileClick();
    // "Add Starttid" / "Sub Starttid": shift the selected pursuit starts by
    // the time of EStartTid.
    void Button2Click();
    void Button8Click();
    // "Blanka tider": empties both start grids.
    void BlankKnappClick();

public slots:
    void Timer1Timer();
    void ComPortRxFlag();
    void SetKlockaClick();
    void BSaveClick();
    void BLoadClick();
    // The user chose another port; the selector has given it to the port.
    void ComComboBoxChange();
    // Hands the serial line to the firmware loader and takes it back.
    void Button3Click();
    // "Sänd tider": fills the send list from the table of the active tab and
    // starts the transfer; a table the clock cannot take is reported and
    // nothing changes. Pursuit starters left out of the list are named in
    // one message.
    void SandTiderClick();
    // Start-table files.
    void Button12Click();  // "Spara" on "Vanlig"
    void Button11Click();  // "Läs" on "Vanlig"
    void Button10Click();  // "Spara" on "Jaktstart"
    void Button9Click();   // "Läs" on "Jaktstart"

private:
    // -- window events and the link's labels (LinkLabels) --
    void closeEvent(QCloseEvent* event) override;
    void showPcTime(const QString& text) override;
    void showSent(const QString& text) override;
    void showReceived(const QString& text) override;
    void showVersion(const QString& text) override;

    // -- building and wiring (MainFormLayout.cpp and the feature files) --
    void FormCreate();
    void FormClose();
    void setUpComPort();
    void buildWindow();
    QWidget* buildVanligTab();
    QWidget* buildJaktstartTab();
    QWidget* buildUppdateraTab();
    QWidget* buildSidePanel();
    QWidget* buildLinkLabels();
    void bindPortSelector();
    void wireHandlers();
    void wireTables();
    void wireTransfer();
    void wireFiles();

    // -- start tables --
    void shiftPursuitStarts(int direction);
    // Puts StringGrid1's current row back after a row failed to load.
    void restoreGrid1Row(int row, int col);

    // -- start-table transfer --
    TransferSettings transferSettings() const;

    // -- start-table files --
    QString chooseTableFile(TableFileDialog& dialog);
    void saveTableFile(const std::string& bytes);
    std::optional<std::string> readChosenTableFile();
    void setAntalKoText(const std::string& text);
    IntervalTableSettings intervalTableSettings() const;
    void applyIntervalTableSettings(const IntervalTableSettings& settings);
    PursuitTableSettings pursuitTableSettings() const;

    // -- collaborators and state --
    MainSettings settings_;
    Desktop& desktop_;
    ErrorReporter& reporter_;
    std::unique_ptr<TFLasin> FLasin_;
    std::unique_ptr<TFLoader> FLoader_;
    serial::TComPort ComPort_;
    ComLinkPort linkPort_{ComPort_};
    TransferSequence transfer_{[this] { return transferSettings(); }};
    ClockLink link_;
    ClockShift clockShift_;
    ShiftRepeat sekundRepeat_;
    ShiftRepeat tiondelRepeat_;
    QTimer Timer1_;
    bool settingsSaved_ = true;
    bool restoringGrid1Row_ = false;
    // The dialogs the table readers and writers share, with the names they
    // propose next.
    TableFileDialog OpenDialog1 = makeOpenDialog1();
    TableFileDialog SaveDialog1 = makeSaveDialog1();

    // -- components, each named as here (tests find them by that name) --
    QTabWidget* PageControl = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QTableWidget* StringGrid2 = nullptr;
    timevalues::TViloSpinnEdit* SEFnr = nullptr;
    timevalues::TViloSpinnEdit* SETnr = nullptr;
    timevalues::TViloSpinnEdit* SEParstart = nullptr;
    timevalues::TTidEdit* StartTid = nullptr;
    timevalues::TTidEdit* DiffTid = nullptr;
    QGroupBox* TutGroup = nullptr;
    QButtonGroup* TutButtons = nullptr;
    QRadioButton* Tutinga = nullptr;
    QRadioButton* Tuten = nullptr;
    QRadioButton* Tutfem = nullptr;
    QRadioButton* TutAlla = nullptr;
    QSpinBox* AntalKo = nullptr;
    QSpinBox* Ako = nullptr;
    timevalues::TTidEdit* EStartTid = nullptr;
    QPushButton* LasFile = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button10 = nullptr;
    QPushButton* Button11 = nullptr;
    QPushButton* Button12 = nullptr;
    QCheckBox* CBGran = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* BSave = nullptr;
    QPushButton* BLoad = nullptr;
    QPushButton* Button3 = nullptr;
    ShiftArrows* SESekund = nullptr;
    ShiftArrows* SETiondel = nullptr;
    QLabel* Klocka = nullptr;
    QLabel* VerLabel = nullptr;
    QLabel* Lin = nullptr;
    QLabel* Lut = nullptr;
    serial::TComComboBox* ComComboBox = nullptr;
    serial::TComLed* ComLed1 = nullptr;  // red: transmitted data
    serial::TComLed* ComLed2 = nullptr;  // green: received data
};

} // namespace app
