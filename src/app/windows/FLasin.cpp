#include "app/windows/FLasin.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <utility>

#include "app/import/ImportFile.h"
#include "app/import/StartTimeImport.h"
#include "app/tables/Cp1252.h"
#include "app/windows/Desktop.h"
#include "app/windows/ErrorReporter.h"
#include "platform/settings/SettingsStore.h"
#include "timevalues/controls/TidEdit.h"

namespace app {
namespace {

QSpinBox* columnBox()
{
    auto* box = new QSpinBox;
    box->setRange(INT_MIN, INT_MAX);
    return box;
}

void setUpGrid(QTableWidget* grid, const QStringList& headers)
{
    grid->setColumnCount(static_cast<int>(headers.size()));
    grid->setRowCount(kImportGridRows);
    grid->setHorizontalHeaderLabels(headers);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void resizeGrid(QTableWidget* grid, std::size_t rows)
{
    grid->setRowCount(std::max(kImportGridRows, static_cast<int>(rows)));
}

} // namespace

TFLasin::TFLasin(const MainSettings& settings, Desktop& desktop, ErrorReporter& reporter, QWidget* parent)
    : QDialog(parent), StringGrid1(new QTableWidget), StringGrid2(new QTableWidget), resultGrid_(StringGrid1),
      linesGrid_(StringGrid2), desktop_(desktop), reporter_(reporter)
{
    buildWindow();
    FormCreate(settings);
    // Every change of a column's text: a new value, and typing that is no
    // number yet (the box reports only whole numbers).
    for (QSpinBox* box : {Sid, STid}) {
        connect(box, &QSpinBox::textChanged, this, [this] { SidChange(); });
        connect(box->findChild<QLineEdit*>(), &QLineEdit::textChanged, this, [this] { SidChange(); });
    }
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { done(kImportOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(kImportCancel); });
}

TFLasin::~TFLasin() = default;

void TFLasin::buildWindow()
{
    setObjectName(QStringLiteral("FLasin"));
    setWindowTitle(QString::fromUtf8(kImportDialogCaption));

    SEdit = new QLineEdit;
    Sid = columnBox();
    STid = columnBox();
    EStartTid = new timevalues::TTidEdit;
    EStartTid->setEditMask(QStringLiteral("!00:00:00;1;_"));
    EStartTid->setTid(0);
    Button3 = new QPushButton(QString::fromUtf8("Läs tidfil"));
    Button1 = new QPushButton(QStringLiteral("Ok"));
    Button2 = new QPushButton(QStringLiteral("Cancel"));
    // Return clicks the button that has the focus, and "Ok" from anywhere
    // else, as in any dialog that reads and accepts.
    Button1->setDefault(true);
    setUpGrid(StringGrid1, {QStringLiteral("Id"), QStringLiteral("Tid")});
    setUpGrid(StringGrid2, {QString()});
    StringGrid2->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->setColumnWidth(0, 50);
    StringGrid1->setColumnWidth(1, 80);
    StringGrid1->setMinimumWidth(160);

    const std::pair<QWidget*, const char*> names[] = {
        {SEdit, "SEdit"},         {Sid, "Sid"},         {STid, "STid"},
        {EStartTid, "EStartTid"}, {Button3, "Button3"}, {Button1, "Button1"},
        {Button2, "Button2"},     {StringGrid1, "StringGrid1"}, {StringGrid2, "StringGrid2"},
    };
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));

    auto* entries = new QGridLayout;
    entries->addWidget(new QLabel(QString::fromUtf8("Skiljetecken:")), 0, 0);
    entries->addWidget(SEdit, 0, 1);
    entries->addWidget(new QLabel(QString::fromUtf8("Columner:")), 1, 0);
    entries->addWidget(Sid, 1, 1);
    entries->addWidget(STid, 1, 2);
    entries->addWidget(new QLabel(QString::fromUtf8("Första start:")), 2, 0);
    entries->addWidget(EStartTid, 2, 1);
    entries->addWidget(Button3, 2, 2);

    entries->setColumnStretch(3, 1);

    auto* grids = new QHBoxLayout;
    grids->addWidget(StringGrid2, 2);
    grids->addWidget(StringGrid1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);

    auto* page = new QVBoxLayout(this);
    page->addLayout(entries);
    page->addLayout(grids, 1);
    page->addLayout(buttons);
}

void TFLasin::FormCreate(const MainSettings& settings)
{
    Sid->setValue(settings.Tabid);
    STid->setValue(settings.Tabtid);
    SEdit->setText(settings.Tabchar);
}

void TFLasin::FormClose()
{
    platform::SettingsStore store;
    writeImportSettings(store, columns(), SEdit->text());
}

ImportColumns TFLasin::columns() const
{
    return ImportColumns{columnValue(Sid->text()), columnValue(STid->text())};
}

int TFLasin::showModal()
{
    // Each showing starts empty, so a showing without a read gives no rows.
    SidChange();
    return desktop_.runModal(*this);
}

void TFLasin::done(int result)
{
    guarded(reporter_, [this] { FormClose(); });
    QDialog::done(result);
}

void TFLasin::reject()
{
    done(kImportCancel);
}

void TFLasin::SidChange()
{
    guarded(reporter_, [this] {
        for (QTableWidget* grid : {StringGrid1, StringGrid2}) {
            grid->clearContents();
            grid->setRowCount(kImportGridRows);
        }
    });
}

void TFLasin::Button3Click()
{
    guarded(reporter_, [this] {
        const QString path = desktop_.chooseFileToOpen(this, QString());
        if (path.isEmpty())
            return;
        if (Sid->text().isEmpty() || STid->text().isEmpty())
            return;
        if (SEdit->text().isEmpty()) {
            reporter_.show(ErrorReporter::Kind::Failure, QString::fromUtf8("Skiljetecken saknas."));
            return;
        }
        readFile(path);
    });
}

void TFLasin::readFile(const QString& path)
{
    const ImportFileRead file = readImportFile(QFile::encodeName(path).toStdString());
    if (file.status != ImportFileRead::Status::Read) {
        const char* refused =
            file.status == ImportFileRead::Status::TooLarge ? "Filen är för stor: " : "Filen kan inte läsas: ";
        reporter_.show(ErrorReporter::Kind::Failure,
                       QString::fromUtf8(refused) + path + QChar(u'\n') + QString::fromStdString(file.reason));
        return;
    }

    const ImportFormat format{separatorOf(SEdit->text()), columnValue(Sid->text()), columnValue(STid->text()),
                              EStartTid->Tid()};
    const ImportOutcome outcome = importStarters(file.bytes, format);
    // The grids show this file alone: nothing of an earlier read stays below.
    SidChange();
    showOutcome(outcome);
    if (outcome.cutShort)
        reporter_.show(ErrorReporter::Kind::Information,
                       QString::fromUtf8("Bara de första %1 starterna lästes in.").arg(kImportMaxStarters));
}

void TFLasin::showOutcome(const ImportOutcome& outcome)
{
    resizeGrid(StringGrid2, outcome.lineRows.size());
    resizeGrid(StringGrid1, outcome.starters.size());
    int row = 1;
    for (const std::string& line : outcome.lineRows)
        linesGrid_.SetCell(0, row++, fromCp1252(line).toStdString());
    row = 1;
    for (const ImportedStarter& starter : outcome.starters) {
        resultGrid_.SetCell(0, row, starter.Id);
        resultGrid_.SetCell(1, row, starter.Tid);
        ++row;
    }
}

} // namespace app
