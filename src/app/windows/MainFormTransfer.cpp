// "Sänd tider": the start table of the active tab goes into the send list and
// the link's tick sends it step by step.
#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "app/tables/StartTableEncoders.h"
#include "app/tables/StringGrid.h"
#include "app/windows/ErrorReporter.h"
#include "app/windows/MainForm.h"
#include "app/windows/TableWidgetGrid.h"

namespace app {

void TMainForm::wireTransfer()
{
    // A queue is never negative; its number goes to the clock as it is shown.
    Ako->setMinimum(0);
    connect(Button5, &QPushButton::clicked, this, &TMainForm::SandTiderClick);
}

TransferSettings TMainForm::transferSettings() const
{
    TransferSettings s;
    s.tabIndex = PageControl->currentIndex();
    s.beep = TutButtons->checkedId();
    s.gran = CBGran->isChecked();
    s.queueText = QString::number(Ako->value()).toStdString();
    return s;
}

void TMainForm::SandTiderClick()
{
    guarded(reporter_, [this] {
        const TableWidgetGrid intervalGrid(StringGrid1);
        const TableWidgetGrid pursuitGrid(StringGrid2);
        const TransferSettings s = transferSettings();
        // Built aside: a table that fails leaves the send list, and any
        // transfer that is running, as they were.
        std::vector<int> leftOut;
        std::vector<int> rows;
        std::vector<std::string> list =
            buildSendList(link_.OldKlsw(), s.tabIndex, intervalGrid, pursuitGrid, s.queueText, &leftOut, &rows);
        transfer_.startTransfer(std::move(list), std::move(rows));
        // The others are sent all the same; those left out get no signal
        // from the clock, which the operator must know before the start.
        if (!leftOut.empty())
            reporter_.show(ErrorReporter::Kind::Information, QString::fromStdString(leftOutMessage(leftOut)));
    });
}

} // namespace app
