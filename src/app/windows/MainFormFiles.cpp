// "Läs" and "Spara" on the two table tabs: a start table with its settings
// to and from a start-list file.
#include "app/tables/StrictInt.h"
#include "app/windows/MainForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>

#include "app/tables/StartListFile.h"
#include "app/tables/StartListFileIo.h"
#include "app/tables/StringGrid.h"
#include "app/windows/Desktop.h"
#include "app/windows/ErrorReporter.h"
#include "app/windows/TableWidgetGrid.h"
#include "platform/IntegerText.h"
#include "timevalues/controls/TidEdit.h"
#include "timevalues/controls/ViloSpinnEdit.h"

namespace app {
namespace {

std::string localPath(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

} // namespace

// The beep buttons carry their codes 0..3 as their ids in TutButtons.
IntervalTableSettings TMainForm::intervalTableSettings() const
{
    IntervalTableSettings settings;
    if (TutButtons->checkedId() >= 0)
        settings.tuta = TutButtons->checkedId();
    settings.gran = CBGran->isChecked();
    settings.antStart = SEParstart->Value();
    return settings;
}

void TMainForm::applyIntervalTableSettings(const IntervalTableSettings& settings)
{
    if (QAbstractButton* button = TutButtons->button(settings.tuta))
        button->setChecked(true);
    CBGran->setChecked(settings.gran);
    SEParstart->setValue(settings.antStart);  // kept within 1..9 by the entry
}

PursuitTableSettings TMainForm::pursuitTableSettings() const
{
    PursuitTableSettings settings;
    settings.antalKo = AntalKo->text().toStdString();
    settings.forstaStart = EStartTid->Tid();
    settings.gran = CBGran->isChecked();
    return settings;
}

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
    AntalKo->setValue(spinTextValue(text, AntalKo->minimum()));
}

void TMainForm::Button12Click()
{
    guarded(reporter_, [this] {
        const TableWidgetGrid grid(StringGrid1);
        saveTableFile(writeIntervalTable(grid, intervalTableSettings()));
    });
}

void TMainForm::Button10Click()
{
    guarded(reporter_, [this] {
        const TableWidgetGrid grid(StringGrid2);
        saveTableFile(writePursuitTable(grid, pursuitTableSettings()));
    });
}

void TMainForm::Button11Click()
{
    guarded(reporter_, [this] {
        const std::optional<std::string> bytes = readChosenTableFile();
        if (!bytes)
            return;
        IntervalTableSettings settings = intervalTableSettings();
        TableWidgetGrid grid(StringGrid1);
        readIntervalTable(*bytes, grid, settings);
        applyIntervalTableSettings(settings);
    });
}

void TMainForm::Button9Click()
{
    guarded(reporter_, [this] {
        if (const std::optional<std::string> bytes = readChosenTableFile()) {
            PursuitTableSettings settings = pursuitTableSettings();
            TableWidgetGrid grid(StringGrid2);
            readPursuitTable(*bytes, grid, settings, [&] { setAntalKoText(settings.antalKo); });
            EStartTid->setTid(settings.forstaStart);
            CBGran->setChecked(settings.gran);
        }
        FixDiff();
    });
}

} // namespace app
