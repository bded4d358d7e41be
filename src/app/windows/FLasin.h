#pragma once
// The start-time import dialog "Läs in en fil": the operator picks the
// separator, the columns of the start number and the start time and a first
// start, reads a file, and sees the lines read and the starters accepted.
// Made once at program start by the main window; its entries keep their
// values from one showing to the next, and the separator and the columns are
// kept in the settings between runs.
//
// The reading itself lives in StartTimeImport and ImportFile; the dialog
// wires its controls to them.
#include <QDialog>
#include <QString>

#include "app/windows/MainSettings.h"
#include "app/windows/TableWidgetGrid.h"

class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
namespace timevalues {
class TTidEdit;
}

namespace app {

class Desktop;
class ErrorReporter;
struct ImportOutcome;

inline constexpr const char* kImportDialogCaption = "Läs in en fil";
// Data rows the two grids show before a read needs more.
inline constexpr int kImportGridRows = 19;
// Modal results.
inline constexpr int kImportOk = 1;
inline constexpr int kImportCancel = 2;

class TFLasin : public QDialog {
    Q_OBJECT
public:
    // Builds the dialog and runs FormCreate: the separator and the columns
    // from `settings`, the result headers. Files are chosen and the dialog is
    // run through `desktop`; messages go to `reporter`.
    TFLasin(const MainSettings& settings, Desktop& desktop, ErrorReporter& reporter, QWidget* parent = nullptr);
    ~TFLasin() override;

    // Empties both grids and runs the dialog modally: 1 for "Ok", 2 for
    // "Cancel" or the window's close box.
    int showModal();

    // The accepted starters: data rows from 1 down, "Id" in column 0 and
    // "Tid" in column 1; the first row with an empty "Id" ends them.
    StringGrid& resultGrid() { return resultGrid_; }
    // The raw-lines grid, one column.
    StringGrid& linesGrid() { return linesGrid_; }

    // The two column numbers as the boxes hold them now (the main window
    // writes them when it closes).
    ImportColumns columns() const;

public slots:
    // Empties every data row of both grids.
    void SidChange();
    // "Läs tidfil": reads a chosen file into the grids.
    void Button3Click();
    // Every closing, whatever the result, stores the separator and columns.
    void done(int result) override;
    void reject() override;

private:
    void buildWindow();
    void FormCreate(const MainSettings& settings);
    void FormClose();
    void readFile(const QString& path);
    void showOutcome(const ImportOutcome& outcome);

    // ---- components, each named as here (tests find them by that name) ----
    QLineEdit* SEdit = nullptr;
    QSpinBox* Sid = nullptr;
    QSpinBox* STid = nullptr;
    timevalues::TTidEdit* EStartTid = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QTableWidget* StringGrid2 = nullptr;

    TableWidgetGrid resultGrid_;
    TableWidgetGrid linesGrid_;
    Desktop& desktop_;
    ErrorReporter& reporter_;
};

} // namespace app
