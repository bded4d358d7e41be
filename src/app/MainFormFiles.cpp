// "Läs" and "Spara" on the two table tabs: a start table with its settings
// to and from a start-list file.
#include "app/MainForm.h"
#include "app/StrictInt.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <array>

#include "app/Desktop.h"
#include "app/ErrorReporter.h"
#include "app/StartListFile.h"
#include "app/StartListFileIo.h"
#include "app/StringGrid.h"
#include "platform/IntegerText.h"
#include "timevalues/TidEdit.h"
#include "timevalues/ViloSpinnEdit.h"

namespace app {
namespace {

std::string localPath(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

// The beep buttons in the order of their codes 0..3.
std::array<QRadioButton*, 4> tutButtons(const TMainForm& w)
{
    return {w.Tutinga, w.Tuten, w.Tutfem, w.TutAlla};
}

IntervalTableSettings intervalTableSettings(const TMainForm& w)
{
    IntervalTableSettings settings;
    const auto buttons = tutButtons(w);
    for (int code = 0; code < static_cast<int>(buttons.size()); ++code)
        if (buttons[static_cast<std::size_t>(code)]->isChecked())
            settings.tuta = code;
    settings.gran = w.CBGran->isChecked();
    settings.antStart = w.SEParstart->Value();
    return settings;
}

void applyIntervalTableSettings(TMainForm& w, const IntervalTableSettings& settings)
{
    tutButtons(w).at(static_cast<std::size_t>(settings.tuta))->setChecked(true);
    w.CBGran->setChecked(settings.gran);
    w.SEParstart->setValue(settings.antStart);  // kept within 1..9 by the entry
}

PursuitTableSettings pursuitTableSettings(const TMainForm& w)
{
    PursuitTableSettings settings;
    settings.antalKo = w.AntalKo->text().toStdString();
    settings.forstaStart = w.EStartTid->Tid();
    settings.gran = w.CBGran->isChecked();
    return settings;
}

} // namespace

void TMainForm::wireFiles()
{
    connect(Button12, &QPushButton::clicked, this, &TMainForm::Button12Click);
    connect(Button11, &QPushButton::clicked, this, &TMainForm::Button11Click);
    connect(Button10, &QPushButton::clicked, this, &TMainForm::Button10Click);
    connect(Button9, &QPushButton::clicked, this, &TMainForm::Button9Click);
}

// The name chosen in `dialog`, which proposes it next time; empty when the
// dialog is cancelled.
QString TMainForm::chooseTableFile(TableFileDialog& dialog)
{
    const QString chosen = desktop_.chooseTableFile(this, dialog);
    if (!chosen.isEmpty())
        dialog.fileName = chosen;
    return chosen;
}

// The file's contents are made before the dialog is shown: a table that
// cannot be saved is reported at once, and no file is touched.
void TMainForm::saveTableFile(const std::string& bytes)
{
    const QString name = chooseTableFile(SaveDialog1);
    if (!name.isEmpty())
        writeStartListFile(localPath(name), bytes);
}

// The whole of the file chosen in OpenDialog1, nullopt when cancelled. The
// file is read before anything is applied, so a file that cannot be read
// changes nothing.
std::optional<std::string> TMainForm::readChosenTableFile()
{
    const QString name = chooseTableFile(OpenDialog1);
    if (name.isEmpty())
        return std::nullopt;
    std::string bytes = readStartListFile(localPath(name));
    SaveDialog1.fileName = name;
    return bytes;
}

// "Antal köer:" from a file's text: the integer it reads as, within the
// entry's range; a text that is no integer gives the entry's minimum, an empty
// one changes nothing. The queue column follows the entry's change.
void TMainForm::setAntalKoText(const std::string& text)
{
    if (text.empty())
        return;
    AntalKo->setValue(SpinTextValue(text, AntalKo->minimum()));
}

void TMainForm::Button12Click()
{
    guarded([this] {
        const TableWidgetGrid grid(StringGrid1);
        saveTableFile(writeIntervalTable(grid, intervalTableSettings(*this)));
    });
}

void TMainForm::Button10Click()
{
    guarded([this] {
        const TableWidgetGrid grid(StringGrid2);
        saveTableFile(writePursuitTable(grid, pursuitTableSettings(*this)));
    });
}

void TMainForm::Button11Click()
{
    guarded([this] {
        const std::optional<std::string> bytes = readChosenTableFile();
        if (!bytes)
            return;
        IntervalTableSettings settings = intervalTableSettings(*this);
        TableWidgetGrid grid(StringGrid1);
        readIntervalTable(*bytes, grid, settings);
        applyIntervalTableSettings(*this, settings);
    });
}

void TMainForm::Button9Click()
{
    guarded([this] {
        if (const std::optional<std::string> bytes = readChosenTableFile()) {
            PursuitTableSettings settings = pursuitTableSettings(*this);
            TableWidgetGrid grid(StringGrid2);
            readPursuitTable(*bytes, grid, settings, [&] { setAntalKoText(settings.antalKo); });
            EStartTid->setTid(settings.forstaStart);
            CBGran->setChecked(settings.gran);
        }
        FixDiff();
    });
}

} // namespace app
