// "Sänd tider" in the window: the table of the active tab with the window's
// beep, "Gran på" and queue settings goes to the link; a table the clock
// cannot take is reported and changes nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include "WindowFixture.h"
#include "app/StringGrid.h"

using Lines = std::vector<std::string>;

namespace {

class MainFormTransferTest : public windowtest::WindowTest {
protected:
    app::TMainForm& window()
    {
        app::TMainForm& w = makeWindow();
        // The test runs the ticks itself.
        w.Timer1().stop();
        return w;
    }
    static void setRow(QTableWidget* table, int row, const Lines& cells)
    {
        app::TableWidgetGrid grid(table);
        for (std::size_t c = 0; c < cells.size(); ++c)
            grid.SetCell(static_cast<int>(c), row, cells[c]);
    }
    // Ticks until the transfer ends, the clock acknowledging at once; the
    // commands sent, in order.
    static Lines runTransfer(app::TMainForm& w)
    {
        Lines sent;
        for (int i = 0; i < 50 && w.link().TidSand() > 0; ++i) {
            w.Timer1Timer();
            if (w.link().busy()) {
                sent.push_back(w.link().Utar().substr(0, w.link().Utar().size() - 1));
                w.link().HandleReply(std::string(1, '\x06'));
            }
        }
        return sent;
    }
};

TEST_F(MainFormTransferTest, SendsTheTableOfTheActiveTabWithTheWindowsSettings)
{
    app::TMainForm& w = window();
    setRow(w.StringGrid1, 1, {"1", "100", "10.00.00", " 0.30", "1"});
    w.Tuten->setChecked(true);
    w.CBGran->setChecked(true);
    w.Button5->click();
    EXPECT_EQ(w.link().SandRad(), 0);
    EXPECT_EQ(w.link().TidSand(), 1);
    EXPECT_EQ(runTransfer(w), (Lines{"RESET", "TOOT-1", "TREE-1", "TAB-000-108C63", "TAB-001-20013D",
                                     "TAB-002-30641E", "TAB-003-FFFFFF"}));

    setRow(w.StringGrid2, 1, {"0", "", "10.00.00"});
    setRow(w.StringGrid2, 2, {"7", "2", "10.00.30"});
    // Before the start sent above them: left out, and the operator is told once.
    setRow(w.StringGrid2, 3, {"8", "2", "10.00.29"});
    setRow(w.StringGrid2, 4, {"9", "2", "09.58.00"});
    w.PageControl->setCurrentIndex(1);
    w.Ako->setValue(2);
    w.Button5->click();
    EXPECT_EQ(runTransfer(w), (Lines{"RESET", "TOOT-0", "LINE-2", "TREE-0", "TAB-000-508C63", "TAB-001-70075B"}));
    settle();
    EXPECT_EQ(messages(),
              std::vector<QString>{QString::fromUtf8("Nr 8, 9 startar före föregående start och sänds inte till klockan.")});
}

TEST_F(MainFormTransferTest, RefusedTableIsReportedAndTheRunningTransferGoesOn)
{
    app::TMainForm& w = window();
    setRow(w.StringGrid1, 1, {"1", "2", "10.00.00", " 0.30", "1"});
    w.Button5->click();
    w.Timer1Timer();
    w.Timer1Timer();  // "RESET" outstanding
    const Lines before = w.link().Sandlista();
    setRow(w.StringGrid1, 2, {"3", "4", "10.00.10", " 0.30", "1"});
    w.Button5->click();
    settle();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0],
              QString::fromUtf8("Rad 2: första starten 10.00.10 ligger före föregående start 10.00.30"));
    EXPECT_EQ(w.link().Sandlista(), before);
    EXPECT_EQ(w.link().SandRad(), 2);
}

} // namespace
