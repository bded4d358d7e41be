// "Läs" and "Spara" on the table tabs: the dialogs, the controls a file sets,
// and failures that reach the error reporter and change nothing.
#include <gtest/gtest.h>

#include <fstream>

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

#include <string>
#include <vector>

#include "support/TestFiles.h"
#include "WindowFixture.h"
#include "app/StartListFileIo.h"
#include "app/StringGrid.h"
#include "app/TableFileDialog.h"
#include "support/test_env.h"
#include "timevalues/TidEdit.h"
#include "timevalues/ViloSpinnEdit.h"

using app::TableFileDialog;
using windowtest::WindowTest;

using testfiles::fileText;
using testfiles::putFile;

namespace {

void setRow(QTableWidget* table, int row, const std::vector<std::string>& cells)
{
    app::TableWidgetGrid grid(table);
    for (std::size_t c = 0; c < cells.size(); ++c)
        grid.SetCell(static_cast<int>(c), row, cells[c]);
}

std::vector<std::string> rowOf(QTableWidget* table, int row)
{
    const app::TableWidgetGrid grid(table);
    std::vector<std::string> cells;
    for (int c = 0; c < grid.ColCount(); ++c)
        cells.push_back(grid.Cell(c, row));
    return cells;
}

class MainFormFilesTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        dir = testenv::makeTempDir("tables");
    }

    // A window whose dialogs answer `answer` (empty: cancelled) and are
    // recorded as shown.
    app::TMainForm& windowWithDialogs()
    {
        app::TMainForm& w = makeWindow();
        w.setTableFileChooser([this](const TableFileDialog& dialog) {
            shown.push_back(dialog);
            return answer;
        });
        w.setFixDiffHook([this] { ++fixDiffRuns; });
        return w;
    }

    std::string dir;
    QString answer;
    std::vector<TableFileDialog> shown;
    int fixDiffRuns = 0;
};

TEST_F(MainFormFilesTest, IntervalTabSavesItsTableAndReadsItBack)
{
    const std::string path = dir + "/vanlig.tid";
    answer = QString::fromStdString(path);
    {
        app::TMainForm& w = windowWithDialogs();
        setRow(w.StringGrid1, 1, {"1", "50", "10.00.00", " 1.00", "1"});
        setRow(w.StringGrid1, 3, {"51", "80", "10.50.00", " 1.30", "2"});
        w.Tutfem->setChecked(true);
        w.CBGran->setChecked(true);
        w.SEParstart->setValue(3);
        w.Button12->click();
        settle();
        EXPECT_TRUE(errors().empty());
        EXPECT_EQ(fileText(path), "Tuta=2;\r\nGran=true;\r\nAntStart=3;\r\n"
                                  "Grid=1;1;50;10.00.00; 1.00;1;\r\nGrid=3;51;80;10.50.00; 1.30;2;\r\n");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].mode, TableFileDialog::Mode::Save);
        EXPECT_EQ(shown[0].fileName, QString());
        EXPECT_EQ(shown[0].filters,
                  QStringList({"Tider (*.tid)", QString::fromUtf8("Tider från Klocka (*.txt)"), "Alla (*)"}));
        EXPECT_EQ(w.SaveDialog1.fileName, answer);
        closeWindow();
    }
    shown.clear();
    app::TMainForm& w = windowWithDialogs();
    setRow(w.StringGrid1, 2, {"kept", "kept", "", "", ""});
    w.Button11->click();
    settle();
    EXPECT_TRUE(errors().empty());
    EXPECT_TRUE(w.Tutfem->isChecked());
    EXPECT_FALSE(w.TutAlla->isChecked());
    EXPECT_TRUE(w.CBGran->isChecked());
    EXPECT_EQ(w.SEParstart->Value(), 3);
    EXPECT_EQ(rowOf(w.StringGrid1, 1), std::vector<std::string>({"1", "50", "10.00.00", " 1.00", "1"}));
    EXPECT_EQ(rowOf(w.StringGrid1, 2), std::vector<std::string>({"kept", "kept", "", "", ""}));
    EXPECT_EQ(rowOf(w.StringGrid1, 3), std::vector<std::string>({"51", "80", "10.50.00", " 1.30", "2"}));
    EXPECT_EQ(fixDiffRuns, 0);

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].mode, TableFileDialog::Mode::Open);
    EXPECT_EQ(shown[0].fileName, QStringLiteral("*.txt"));
    EXPECT_EQ(shown[0].filters, QStringList({"Tider (*.tid)", QString::fromUtf8("Tider från klocka (*.txt)")}));
    // Both dialogs now propose the file just read, on either tab.
    EXPECT_EQ(w.OpenDialog1.fileName, answer);
    EXPECT_EQ(w.SaveDialog1.fileName, answer);
}

TEST_F(MainFormFilesTest, PursuitTabSavesItsTableAndReadsItBack)
{
    const std::string path = dir + "/jakt.tid";
    answer = QString::fromStdString(path);
    {
        app::TMainForm& w = windowWithDialogs();
        setRow(w.StringGrid2, 1, {"0", "", "10.00.00", " 0.00.00"});
        setRow(w.StringGrid2, 2, {"12", "1", "10.00.00", ""});
        setRow(w.StringGrid2, 3, {"J\xC3\xB6rn", "2", "10.00.45", ""});
        w.AntalKo->setValue(2);
        w.EStartTid->setTid(360000000);
        w.Button10->click();
        settle();
        EXPECT_TRUE(errors().empty());
        EXPECT_EQ(fileText(path), "Antalko=2;\r\nForstastart=360000000;\r\nGran=false\r\n"
                                  "Grid=1;0;;10.00.00;\r\nGrid=2;12;1;10.00.00;\r\nGrid=3;J\xF6rn;2;10.00.45;\r\n");
        closeWindow();
    }
    app::TMainForm& w = windowWithDialogs();
    w.CBGran->setChecked(true);
    w.Button9->click();
    settle();
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(w.AntalKo->value(), 2);
    EXPECT_EQ(w.EStartTid->Tid(), 360000000);
    EXPECT_FALSE(w.CBGran->isChecked());
    EXPECT_EQ(rowOf(w.StringGrid2, 3), std::vector<std::string>({"J\xC3\xB6rn", "2", "10.00.45", ""}));
    EXPECT_EQ(fixDiffRuns, 1);
}

TEST_F(MainFormFilesTest, QueueCountFromAFileStaysWithinTheEntry)
{
    struct Case {
        std::string value;
        int expected;
    };
    const Case cases[] = {{"3", 3}, {"12", 9}, {"0", 1}, {"x", 1}, {"$5", 5}, {"", 4}};
    const std::string path = dir + "/antal.tid";
    answer = QString::fromStdString(path);
    app::TMainForm& w = windowWithDialogs();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        w.AntalKo->setValue(4);
        putFile(path, "Antalko=" + c.value + ";\r\n");
        w.Button9->click();
        EXPECT_EQ(w.AntalKo->value(), c.expected);
    }
    settle();
    EXPECT_TRUE(errors().empty());
}

TEST_F(MainFormFilesTest, CancelledDialogsWriteAndReadNothing)
{
    app::TMainForm& w = windowWithDialogs();
    setRow(w.StringGrid1, 1, {"1", "2", "10.00.00", " 0.30", "1"});
    setRow(w.StringGrid2, 1, {"1", "1", "10.00.00", "diff"});
    for (QPushButton* b : {w.Button12, w.Button10, w.Button11, w.Button9})
        b->click();
    settle();
    EXPECT_EQ(shown.size(), 4u);
    EXPECT_TRUE(QDir(QString::fromStdString(dir)).isEmpty());
    EXPECT_EQ(w.SaveDialog1.fileName, QString());
    EXPECT_EQ(w.OpenDialog1.fileName, QStringLiteral("*.txt"));
    EXPECT_EQ(rowOf(w.StringGrid2, 1), std::vector<std::string>({"1", "1", "10.00.00", "diff"}));
    EXPECT_EQ(fixDiffRuns, 1);  // the pursuit reader recomputes "Diff" all the same
    EXPECT_TRUE(errors().empty());
}

TEST_F(MainFormFilesTest, FailuresAreReportedAndChangeNothing)
{
    const std::string good = dir + "/good.tid";
    const std::string goodText = "Antalko=1;\r\nForstastart=0;\r\nGran=false\r\nGrid=1;1;1;10.00.00;\r\n";
    putFile(good, goodText);
    testfiles::putSparseFile(dir + "/huge.tid", app::kStartListFileMaxBytes + 1);
    struct Case {
        QPushButton* app::TMainForm::*button;
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {&app::TMainForm::Button12, "missing/x.tid", "Tidfilen kunde inte sparas"},
        {&app::TMainForm::Button10, "good.tid", "Tabellen kan inte sparas: rad 2, kolumn \"Nr\""},
        {&app::TMainForm::Button11, "missing.tid", "Tidfilen kunde inte läsas"},
        {&app::TMainForm::Button9, "huge.tid", "Tidfilen kunde inte läsas"},
    };
    app::TMainForm& w = windowWithDialogs();
    setRow(w.StringGrid1, 1, {"1", "2", "10.00.00", " 0.30", "1"});
    setRow(w.StringGrid2, 2, {"1;2", "1", "10.00.00", ""});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        reports.clear();
        shown.clear();
        answer = QString::fromStdString(dir + "/" + c.file);
        (w.*c.button)->click();
        settle();
        ASSERT_EQ(errors().size(), 1u);
        EXPECT_TRUE(errors()[0].contains(QString::fromStdString(c.message))) << errors()[0].toStdString();
    }
    // The refused table never reached the dialog, so the good file is untouched.
    EXPECT_EQ(fileText(good), goodText);
    EXPECT_FALSE(QDir(QString::fromStdString(dir + "/missing")).exists());
    EXPECT_EQ(rowOf(w.StringGrid1, 1), std::vector<std::string>({"1", "2", "10.00.00", " 0.30", "1"}));
    EXPECT_EQ(rowOf(w.StringGrid2, 1), std::vector<std::string>({"", "", "", ""}));
    EXPECT_EQ(fixDiffRuns, 0);
    // A file that could not be read is not proposed for saving.
    EXPECT_EQ(w.SaveDialog1.fileName, QString::fromStdString(dir + "/missing/x.tid"));
}

} // namespace

TEST_F(MainFormFilesTest, ReadingAPursuitTableRecomputesItsDiffColumn)
{
    const std::string path = dir + "/jakt.tid";
    std::ofstream(path, std::ios::binary) << "Antalko=2;\r\nForstastart=0;\r\nGran=false\r\n"
                                             "Grid=1;0;;10.00.00;\r\nGrid=2;12;;10.00.00;\r\nGrid=3;7;;10.00.45;\r\n"
                                             "Grid=4;9;;10.01.10;\r\n";
    app::TMainForm& w = makeWindow();
    w.setTableFileChooser([&](const TableFileDialog&) { return QString::fromStdString(path); });
    w.Button9->click();
    settle();
    EXPECT_TRUE(errors().empty());
    // The queue column comes from the file as it stands.
    EXPECT_EQ(rowOf(w.StringGrid2, 3), std::vector<std::string>({"7", "", "10.00.45", "    0.45"}));
    EXPECT_EQ(rowOf(w.StringGrid2, 4), std::vector<std::string>({"9", "", "10.01.10", "    1.10"}));
}
