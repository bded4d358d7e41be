// The start tables of the main window: the interval-start grid with its entry
// fields, and the pursuit-start grid with its queues, import and shifting.
// The work is done by IntervalTable and PursuitTable over the grid interface;
// here the controls are read and written.
#include "app/windows/MainForm.h"

#include <QItemSelectionModel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include "app/tables/IntervalTable.h"
#include "app/tables/PursuitTable.h"
#include "app/tables/StartTableLayout.h"
#include "app/tables/StrictInt.h"
#include "app/windows/ErrorReporter.h"
#include "app/windows/FLasin.h"
#include "app/windows/TableWidgetGrid.h"
#include "timevalues/controls/TidEdit.h"
#include "timevalues/controls/ViloSpinnEdit.h"

namespace app {

void TMainForm::wireTables()
{
    // Selecting a row of the interval-start grid loads it into the fields.
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int col, int previousRow, int previousCol) {
                if (restoringGrid1Row_ || row < 0 || row == previousRow)
                    return;
                if (!StringGrid1SelectCell(col, row + 1)) {
                    // As if the row had never been chosen: the fields still
                    // hold the former row, so that row must stay the one they
                    // are written back to. Put back once the click or key
                    // that moved the row is done with the selection.
                    QTimer::singleShot(0, this, [this, previousRow, previousCol] {
                        restoreGrid1Row(previousRow, previousCol);
                    });
                }
            });
    // Leaving any entry field writes the fields back into the current row.
    const auto exit = [this](QObject*) { SEFnrExit(); };
    SEFnr->OnExit = exit;
    SETnr->OnExit = exit;
    SEParstart->OnExit = exit;
    StartTid->OnExit = exit;
    DiffTid->OnExit = exit;

    StringGrid2->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    connect(AntalKo, &QSpinBox::textChanged, this, [this] { AntalKoChange(); });
    connect(LasFile, &QPushButton::clicked, this, &TMainForm::LasFileClick);
    connect(Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);
    connect(Button8, &QPushButton::clicked, this, &TMainForm::Button8Click);
    connect(Button6, &QPushButton::clicked, this, &TMainForm::BlankKnappClick);
    connect(Button7, &QPushButton::clicked, this, &TMainForm::BlankKnappClick);
}

bool TMainForm::StringGrid1SelectCell(int /*ACol*/, int ARow)
{
    bool loaded = false;
    guarded(reporter_, [&] {
        // Everything is read before any field changes, so a failure leaves
        // them as they were.
        const IntervalEntry e = proposeIntervalRow(TableWidgetGrid(StringGrid1), ARow);
        SEFnr->setValue(e.from);
        SETnr->setValue(e.to);
        StartTid->setTid(e.start);
        DiffTid->setTid(e.interval);
        SEParstart->setValue(e.starters);
        SEFnr->setFocus();
        loaded = true;
    });
    return loaded;
}

void TMainForm::restoreGrid1Row(int row, int col)
{
    restoringGrid1Row_ = true;
    if (row >= 0) {
        StringGrid1->setCurrentCell(row, col, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        StringGrid1->selectionModel()->clearCurrentIndex();
        StringGrid1->clearSelection();
    }
    restoringGrid1Row_ = false;
}

void TMainForm::SEFnrExit()
{
    guarded(reporter_, [this] {
        IntervalEntry e;
        e.from = SEFnr->Value();
        e.to = SETnr->Value();
        e.start = StartTid->Tid();
        e.interval = DiffTid->Tid();
        e.starters = SEParstart->Value();
        TableWidgetGrid grid(StringGrid1);
        writeIntervalRow(grid, grid.Row(), e);
    });
}

void TMainForm::AntalKoChange()
{
    guarded(reporter_, [this] {
        const std::string text = AntalKo->text().toStdString();
        if (text.empty())
            return;
        TableWidgetGrid grid(StringGrid2);
        numberQueues(grid, spinTextValue(text, AntalKo->minimum()));
    });
}

void TMainForm::FixDiff()
{
    guarded(reporter_, [this] {
        TableWidgetGrid grid(StringGrid2);
        fixDiff(grid);
    });
}

void TMainForm::LasFileClick()
{
    guarded(reporter_, [this] {
        if (FLasin_->showModal() == kImportOk) {
            TableWidgetGrid grid(StringGrid2);
            const AppendedImport outcome = appendImport(grid, FLasin_->resultGrid());
            // Starters left out get no signal on race day: say so.
            if (outcome.cutOff)
                reporter_.show(ErrorReporter::Kind::Information, QString::fromUtf8(cutOffMessage(outcome)));
        }
        FixDiff();
        AntalKoChange();
    });
}

void TMainForm::shiftPursuitStarts(int direction)
{
    guarded(reporter_, [this, direction] {
        TableWidgetGrid grid(StringGrid2);
        shiftSelectedStarts(grid, direction * EStartTid->Tid());
        fixDiff(grid);
    });
}

void TMainForm::Button2Click()
{
    shiftPursuitStarts(+1);
}

void TMainForm::Button8Click()
{
    shiftPursuitStarts(-1);
}

void TMainForm::BlankKnappClick()
{
    guarded(reporter_, [this] {
        TableWidgetGrid interval(StringGrid1);
        TableWidgetGrid pursuit(StringGrid2);
        clearDataRows(interval);
        clearDataRows(pursuit);
    });
}

} // namespace app
