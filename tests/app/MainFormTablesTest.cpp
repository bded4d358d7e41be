// The start tables in the main window: selecting and leaving on the
// interval-start tab, and the buttons and queue count of the pursuit tab.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "GridRows.h"
#include "WindowFixture.h"
#include "app/StringGrid.h"
#include "timevalues/TidEdit.h"
#include "timevalues/ViloSpinnEdit.h"

using gridtest::columnOf;
using gridtest::hms;
using gridtest::Row;
using gridtest::rowOf;
using windowtest::WindowTest;

namespace {

constexpr int kWaitMs = 5000;

class MainFormTablesTest : public WindowTest {
protected:
    app::TMainForm& shownWindow()
    {
        app::TMainForm& w = makeWindow();
        w.resize(1000, 800);
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w, kWaitMs));
        return w;
    }

    static void fill(QTableWidget* table, int row, const Row& cells)
    {
        app::TableWidgetGrid grid(table);
        for (std::size_t c = 0; c < cells.size(); ++c)
            grid.SetCell(static_cast<int>(c), row, cells[c]);
    }

    static Row rowIn(QTableWidget* table, int row) { return rowOf(app::TableWidgetGrid(table), row); }

    // A click on data row `row` of a grid, as the user selects it.
    static void clickRow(QTableWidget* table, int row)
    {
        const QModelIndex index = table->model()->index(row - 1, 0);
        table->scrollTo(index);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
    }

    struct Fields {
        int from;
        int to;
        TTid start;
        TTid interval;
        int starters;
        bool operator==(const Fields&) const = default;
    };

    static Fields fields(app::TMainForm& w)
    {
        return {w.SEFnr->Value(), w.SETnr->Value(), w.StartTid->Tid(), w.DiffTid->Tid(), w.SEParstart->Value()};
    }
};

TEST_F(MainFormTablesTest, SelectingRowsLoadsThemAndLeavingAFieldWritesThem)
{
    app::TMainForm& w = shownWindow();
    clickRow(w.StringGrid1, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.SEFnr->hasFocus(); }, kWaitMs));
    EXPECT_EQ(fields(w), (Fields{0, 0, 0, 0, 1}));

    // Typed in and left for the next row: written into row 1, then row 2 is
    // proposed after it.
    w.SEFnr->setText("1");
    w.SETnr->setValue(100);
    w.StartTid->setTid(hms(10, 0, 0));
    w.DiffTid->setTid(hms(0, 0, 30));
    clickRow(w.StringGrid1, 2);
    EXPECT_EQ(rowIn(w.StringGrid1, 1), (Row{"1", "100", "10.00.00", "   30", "1"}));
    EXPECT_EQ(fields(w), (Fields{101, 101, hms(10, 50, 0), hms(0, 0, 30), 1}));
    EXPECT_TRUE(errors().empty());

    // Leaving a field with a from-number of 0 writes nothing.
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.SEFnr->hasFocus(); }, kWaitMs));
    w.SEFnr->setText("0");
    w.SETnr->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.SETnr->hasFocus(); }, kWaitMs));
    EXPECT_EQ(rowIn(w.StringGrid1, 2), (Row{"", "", "", "", ""}));

    // Every entry field writes back when left.
    w.SEFnr->setText("101");
    for (QWidget* field : std::initializer_list<QWidget*>{w.SETnr, w.StartTid, w.DiffTid, w.SEParstart}) {
        fill(w.StringGrid1, 2, {"", "", "", "", ""});
        field->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, kWaitMs));
        w.SEFnr->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.SEFnr->hasFocus(); }, kWaitMs));
        EXPECT_EQ(rowIn(w.StringGrid1, 2), (Row{"101", "101", "10.50.00", "   30", "1"})) << field->objectName().toStdString();
    }
}

TEST_F(MainFormTablesTest, ARowThatCannotBeLoadedIsNotSelected)
{
    app::TMainForm& w = shownWindow();
    fill(w.StringGrid1, 1, {"1", "100", "10.00.00", "   30", "1"});
    clickRow(w.StringGrid1, 1);
    const Fields loaded{1, 100, hms(10, 0, 0), hms(0, 0, 30), 1};
    ASSERT_EQ(fields(w), loaded);

    // Row 3 lies below an empty row 2: its proposal has no numbers to go on.
    clickRow(w.StringGrid1, 3);
    settle();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(fields(w), loaded);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.StringGrid1->currentRow() == 0; }, kWaitMs));
    EXPECT_EQ(w.StringGrid1->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(w.StringGrid1->selectionModel()->isRowSelected(0));

    // The fields still belong to row 1, and go back there.
    w.SETnr->setValue(90);
    w.SEFnrExit();
    EXPECT_EQ(rowIn(w.StringGrid1, 1), (Row{"1", "90", "10.00.00", "   30", "1"}));
    EXPECT_EQ(rowIn(w.StringGrid1, 3), (Row{"", "", "", "", ""}));
}

TEST_F(MainFormTablesTest, TheQueueCountNumbersTheStarters)
{
    app::TMainForm& w = makeWindow();
    for (const auto& [row, nr] : std::vector<std::pair<int, const char*>>{{1, "0"}, {2, "5"}, {3, "6"}, {4, "7"}})
        fill(w.StringGrid2, row, {nr});
    w.AntalKo->setValue(2);
    EXPECT_EQ(columnOf(app::TableWidgetGrid(w.StringGrid2), 1, 4), (std::vector<std::string>{"", "1", "2", "1"}));
    w.AntalKo->setValue(3);
    EXPECT_EQ(columnOf(app::TableWidgetGrid(w.StringGrid2), 1, 4), (std::vector<std::string>{"", "1", "2", "3"}));
    EXPECT_TRUE(errors().empty());
}

TEST_F(MainFormTablesTest, ReadingATimeFileAppendsOnlyWhenTheDialogSaysOk)
{
    struct Case {
        const char* name;
        int modalResult;
        bool appended;
    };
    for (const Case& c : {Case{"ok", 1, true}, Case{"cancel", 2, false}}) {
        SCOPED_TRACE(c.name);
        app::TMainForm& w = makeWindow();
        w.AntalKo->setValue(2);
        // A row already there with stale F and Diff, recomputed either way.
        fill(w.StringGrid2, 1, {"9", "7", "10.00.00", "x"});
        app::MemoryGrid result = gridtest::gridOf(2, 19, {{"1", "10.00.00"}, {"2", "    0.30"}, {"3", "10.01.00"}});
        int shown = 0;
        w.setImportRun([&](app::StringGrid*& grid) {
            ++shown;
            grid = &result;
            return c.modalResult;
        });
        w.LasFile->click();
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(rowIn(w.StringGrid2, 1), (Row{"9", "1", "10.00.00", "10.00.00"}));
        if (c.appended) {
            EXPECT_EQ(rowIn(w.StringGrid2, 2), (Row{"0", "", "10.00.00", ""}));
            EXPECT_EQ(rowIn(w.StringGrid2, 3), (Row{"1", "1", "10.00.00", "    0.00"}));
            EXPECT_EQ(rowIn(w.StringGrid2, 4), (Row{"2", "2", "10.00.30", "    0.30"}));
            EXPECT_EQ(rowIn(w.StringGrid2, 5), (Row{"3", "1", "10.01.00", "    1.00"}));
        } else {
            EXPECT_EQ(rowIn(w.StringGrid2, 2), (Row{"", "", "", ""}));
        }
        EXPECT_TRUE(errors().empty());
        EXPECT_TRUE(messages().empty());
        closeWindow();
    }
    // An import the grid cannot hold is cut off at its last row, and the
    // operator is told how many starters came in.
    app::TMainForm& w = makeWindow();
    fill(w.StringGrid2, 9996, {"9", "1", "10.00.00", ""});
    app::MemoryGrid result = gridtest::gridOf(2, 19, {{"1", "10.00.00"}, {"2", "10.00.30"}, {"3", "10.01.00"}});
    w.setImportRun([&](app::StringGrid*& grid) {
        grid = &result;
        return 1;
    });
    w.LasFile->click();
    EXPECT_EQ(rowIn(w.StringGrid2, 9999), (Row{"2", "1", "10.00.30", "    0.30"}));
    settle();
    EXPECT_EQ(messages(), (std::vector<QString>{QStringLiteral("Tabellen rymmer inte hela filen: 2 av 3 startande lästes in.")}));
}

TEST_F(MainFormTablesTest, AddAndSubMoveTheSelectedStartsAndTheirDiff)
{
    struct Case {
        const char* name;
        QPushButton* app::TMainForm::*button;
        Row moved;
    };
    for (const Case& c : {Case{"Add Starttid", &app::TMainForm::Button2, {"12", "1", "10.02.30", "    2.30"}},
                          Case{"Sub Starttid", &app::TMainForm::Button8, {"12", "1", " 9.58.30", "   -1.30"}}}) {
        SCOPED_TRACE(c.name);
        app::TMainForm& w = makeWindow();
        fill(w.StringGrid2, 1, {"0", "", "10.00.00", ""});
        fill(w.StringGrid2, 2, {"12", "1", "10.00.30", "    0.30"});
        fill(w.StringGrid2, 3, {"13", "2", "10.01.00", "    1.00"});
        w.EStartTid->setTid(hms(0, 2, 0));
        w.StringGrid2->setCurrentCell(1, 0);
        w.StringGrid2->setRangeSelected(QTableWidgetSelectionRange(1, 0, 1, 3), true);
        (w.*c.button)->click();
        EXPECT_EQ(rowIn(w.StringGrid2, 1), (Row{"0", "", "10.00.00", ""}));
        EXPECT_EQ(rowIn(w.StringGrid2, 2), c.moved);
        EXPECT_EQ(rowIn(w.StringGrid2, 3), (Row{"13", "2", "10.01.00", "    1.00"}));
        closeWindow();
    }
}

TEST_F(MainFormTablesTest, EitherBlankButtonClearsBothGrids)
{
    for (QPushButton* app::TMainForm::*button : {&app::TMainForm::Button6, &app::TMainForm::Button7}) {
        app::TMainForm& w = makeWindow();
        fill(w.StringGrid1, 1, {"1", "100", "10.00.00", "   30", "1"});
        fill(w.StringGrid1, 9999, {"1"});
        fill(w.StringGrid2, 1, {"0", "", "10.00.00", ""});
        (w.*button)->click();
        EXPECT_EQ(rowIn(w.StringGrid1, 1), (Row{"", "", "", "", ""}));
        EXPECT_EQ(rowIn(w.StringGrid1, 9999), (Row{"", "", "", "", ""}));
        EXPECT_EQ(rowIn(w.StringGrid2, 1), (Row{"", "", "", ""}));
        EXPECT_EQ(w.StringGrid1->horizontalHeaderItem(0)->text(), QString::fromUtf8("Från nr"));
        EXPECT_EQ(w.StringGrid2->horizontalHeaderItem(0)->text(), QStringLiteral("Nr"));
        closeWindow();
    }
}

TEST_F(MainFormTablesTest, OnlyThePursuitGridIsEditedInPlace)
{
    app::TMainForm& w = shownWindow();
    EXPECT_EQ(w.StringGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
    w.PageControl->setCurrentIndex(1);
    w.StringGrid2->setFocus();
    w.StringGrid2->setCurrentCell(0, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.StringGrid2->hasFocus(); }, kWaitMs));
    // Typing starts the editor with the key typed; Return ends it.
    QTest::keyClick(w.StringGrid2, Qt::Key_4, {}, 0);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, w.StringGrid2);
    QTest::keyClicks(editor, "2");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowIn(w.StringGrid2, 1)[0] == "42"; }, kWaitMs));
}

} // namespace
