// The import dialog: its controls and settings, reading a file into its
// grids, and what the main window takes from it.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "app/ImportDialog.h"
#include "app/ImportFile.h"
#include "app/StartTimeImport.h"
#include "support/test_env.h"
#include "timevalues/TidEdit.h"

using windowtest::WindowTest;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Empties a column box the way typing does.
void clearBox(QSpinBox* box)
{
    box->findChild<QLineEdit*>()->clear();
}

class ImportDialogTest : public WindowTest {
protected:
    void TearDown() override
    {
        dialog.reset();
        WindowTest::TearDown();
    }

    app::TFLasin& makeDialog()
    {
        dialog = std::make_unique<app::TFLasin>();
        dialog->setOpenFile([this](QWidget*) {
            ++chooserShown;
            return chosen;
        });
        return *dialog;
    }

    // Writes a file and makes it the one the chooser gives.
    void choose(const std::string& bytes)
    {
        const std::string path = folder + "/start" + std::to_string(++files) + ".txt";
        std::ofstream(path, std::ios::binary) << bytes;
        chosen = QString::fromStdString(path);
    }

    void read()
    {
        dialog->Button3->click();
        settle();
    }

    // Data rows down to the first empty first cell.
    static Rows rowsOf(app::StringGrid& grid)
    {
        Rows rows;
        for (int r = 1; r < grid.RowCount() && !grid.Cell(0, r).empty(); ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < grid.ColCount(); ++c)
                row.push_back(grid.Cell(c, r));
            rows.push_back(row);
        }
        return rows;
    }

    std::string folder = testenv::makeTempDir("import");
    int files = 0;
    QString chosen;
    int chooserShown = 0;
    std::unique_ptr<app::TFLasin> dialog;
};

TEST_F(ImportDialogTest, ControlsCarryTheirCaptionsAndDefaults)
{
    app::TFLasin& d = makeDialog();
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("Läs in en fil"));
    EXPECT_EQ(d.Button3->text(), QString::fromUtf8("Läs tidfil"));
    EXPECT_EQ(d.Button1->text(), QStringLiteral("Ok"));
    EXPECT_EQ(d.Button2->text(), QStringLiteral("Cancel"));
    QStringList labels;
    for (QLabel* l : d.findChildren<QLabel*>())
        labels << l->text();
    for (const char* text : {"Skiljetecken:", "Columner:", "Första start:"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;

    EXPECT_EQ(d.ResultGrid().Cell(0, 0), "Id");
    EXPECT_EQ(d.ResultGrid().Cell(1, 0), "Tid");
    EXPECT_EQ(d.ResultGrid().RowCount(), app::kImportGridRows + 1);
    EXPECT_EQ(d.LinesGrid().ColCount(), 1);
    EXPECT_EQ(d.LinesGrid().RowCount(), app::kImportGridRows + 1);
    EXPECT_EQ(d.EStartTid->EditMask(), QStringLiteral("!00:00:00;1;_"));
    EXPECT_EQ(d.EStartTid->Tid(), 0);
}

TEST_F(ImportDialogTest, ReadsTheSeparatorAndColumnsFromTheSettings)
{
    struct Case {
        const char* what;
        bool store;
        app::MainSettings stored;
        int sid;
        int stid;
        QString separator;
    };
    app::MainSettings custom;
    custom.Tabid = 3;
    custom.Tabtid = -1;
    custom.Tabchar = QStringLiteral(",x");
    const std::vector<Case> cases = {
        {"nothing stored", false, {}, 1, 2, QStringLiteral(";")},
        {"stored values", true, custom, 3, -1, QStringLiteral(",x")},
    };
    for (const Case& c : cases) {
        if (c.store)
            storeSettings(c.stored);
        app::TFLasin& d = makeDialog();
        EXPECT_EQ(d.Sid->value(), c.sid) << c.what;
        EXPECT_EQ(d.STid->value(), c.stid) << c.what;
        EXPECT_EQ(d.SEdit->text(), c.separator) << c.what;
    }
}

TEST_F(ImportDialogTest, EveryClosingStoresTheSeparatorAndColumns)
{
    struct Case {
        const char* what;
        std::function<void(app::TFLasin&)> close;
        int result;
    };
    const std::vector<Case> cases = {
        {"Ok", [](app::TFLasin& d) { d.Button1->click(); }, app::kImportOk},
        {"Cancel", [](app::TFLasin& d) { d.Button2->click(); }, app::kImportCancel},
        {"close box", [](app::TFLasin& d) { d.close(); }, app::kImportCancel},
        {"Escape", [](app::TFLasin& d) { QTest::keyClick(&d, Qt::Key_Escape); }, app::kImportCancel},
    };
    int n = 0;
    for (const Case& c : cases) {
        ++n;
        app::TFLasin& d = makeDialog();
        d.setModalRun([&](app::TFLasin& shown) {
            shown.show();
            shown.Sid->setValue(n);
            shown.STid->setValue(n + 10);
            shown.SEdit->setText(QString::number(n));
            c.close(shown);
            return shown.result();
        });
        EXPECT_EQ(d.ShowModal(), c.result) << c.what;
        EXPECT_FALSE(d.isVisible()) << c.what;
        const app::MainSettings stored = storedSettings();
        EXPECT_EQ(stored.Tabid, n) << c.what;
        EXPECT_EQ(stored.Tabtid, n + 10) << c.what;
        EXPECT_EQ(stored.Tabchar, QString::number(n)) << c.what;
    }
    EXPECT_TRUE(errors().empty());
}

TEST_F(ImportDialogTest, ReadsAFileIntoBothGrids)
{
    app::TFLasin& d = makeDialog();
    d.EStartTid->setTid(10 * kTidHour);
    choose("Nr;Tid\r\n12;0:00\r\n7;0:45\r\n31;1:10\r\n\xC5sa;0:10\r\n");
    read();
    EXPECT_EQ(rowsOf(d.ResultGrid()), (Rows{{"12", "10.00.00"}, {"7", "10.00.45"}, {"31", "10.01.10"}}));
    // The lines as read, decoded from the code page; the refused last line
    // stands below the accepted ones.
    EXPECT_EQ(rowsOf(d.LinesGrid()), (Rows{{"12;0:00"}, {"7;0:45"}, {"31;1:10"}, {"Åsa;0:10"}}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ImportDialogTest, ReadIsRefusedWithoutWhatItNeeds)
{
    const QString existing = QString::fromStdString(folder + "/existing.txt");
    std::ofstream(existing.toStdString()) << "1;0:10\n";
    const QString missing = QString::fromStdString(folder + "/none.txt");
    const QString aFolder = QString::fromStdString(folder);
    const QString unreadable = QString::fromUtf8("Filen kan inte läsas: ");
    auto nothing = [](app::TFLasin&) {};
    struct Case {
        const char* what;
        QString path;  // what the chooser gives; empty when cancelled
        std::function<void(app::TFLasin&)> setUp;
        std::vector<QString> messages;
        Rows rows;  // what the grid shows afterwards
    };
    const Rows before{{"5", "    0.10"}};
    const std::vector<Case> cases = {
        {"chooser cancelled", QString(), nothing, {}, before},
        // Emptying a column clears the grids by itself.
        {"number column empty", existing, [](app::TFLasin& d) { clearBox(d.Sid); }, {}, {}},
        {"time column empty", existing, [](app::TFLasin& d) { clearBox(d.STid); }, {}, {}},
        {"separator empty", existing, [](app::TFLasin& d) { d.SEdit->clear(); },
         {QStringLiteral("Skiljetecken saknas.")}, before},
        {"no such file", missing, nothing, {unreadable + missing}, before},
        {"a folder", aFolder, nothing, {unreadable + aFolder}, before},
    };
    for (const Case& c : cases) {
        app::TFLasin& d = makeDialog();
        choose("5;0:10\n");
        read();
        ASSERT_EQ(rowsOf(d.ResultGrid()).size(), 1u) << c.what;
        c.setUp(d);
        reports.clear();
        chosen = c.path;
        read();
        EXPECT_EQ(rowsOf(d.ResultGrid()), c.rows) << c.what;
        EXPECT_EQ(messages(), c.messages) << c.what;
    }
}

TEST_F(ImportDialogTest, TooLargeFileIsNotRead)
{
    app::TFLasin& d = makeDialog();
    choose(std::string(app::kImportMaxFileBytes + 1, '1'));
    read();
    EXPECT_TRUE(rowsOf(d.ResultGrid()).empty());
    EXPECT_TRUE(rowsOf(d.LinesGrid()).empty());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].startsWith(QString::fromUtf8("Filen är för stor: ")));
}

TEST_F(ImportDialogTest, ManyStartersGrowTheGridsAndClearingEmptiesThemAll)
{
    app::TFLasin& d = makeDialog();
    std::string file;
    for (int id = 1; id <= 25; ++id)
        file += std::to_string(id) + ";" + std::to_string(id) + "\n";
    choose(file);
    read();
    ASSERT_EQ(rowsOf(d.ResultGrid()).size(), 25u);
    EXPECT_EQ(d.ResultGrid().Cell(1, 25), "    0.25");

    d.Sid->setValue(1);  // unchanged: no clearing
    EXPECT_EQ(rowsOf(d.ResultGrid()).size(), 25u);
    d.Sid->setValue(2);
    EXPECT_TRUE(rowsOf(d.ResultGrid()).empty());
    EXPECT_TRUE(rowsOf(d.LinesGrid()).empty());
    EXPECT_EQ(d.ResultGrid().Cell(0, 25), "");
}

TEST_F(ImportDialogTest, OnlyAColumnChangeClearsTheGrids)
{
    struct Case {
        const char* what;
        std::function<void(app::TFLasin&)> change;
        bool clears;
    };
    const std::vector<Case> cases = {
        {"number column", [](app::TFLasin& d) { d.Sid->setValue(4); }, true},
        {"time column", [](app::TFLasin& d) { d.STid->setValue(4); }, true},
        {"number column typed empty", [](app::TFLasin& d) { clearBox(d.Sid); }, true},
        {"separator", [](app::TFLasin& d) { d.SEdit->setText(QStringLiteral(",")); }, false},
        {"first start", [](app::TFLasin& d) { d.EStartTid->setTid(kTidHour); }, false},
    };
    for (const Case& c : cases) {
        app::TFLasin& d = makeDialog();
        choose("8;1:00\n");
        read();
        c.change(d);
        EXPECT_EQ(rowsOf(d.ResultGrid()).empty(), c.clears) << c.what;
        EXPECT_EQ(rowsOf(d.LinesGrid()).empty(), c.clears) << c.what;
    }
}

TEST_F(ImportDialogTest, EachShowingStartsEmptyAndASecondReadLeavesNothingOfTheFirst)
{
    app::TFLasin& d = makeDialog();
    choose("1;0\n2;0\n3;0\n");
    read();
    ASSERT_EQ(rowsOf(d.ResultGrid()).size(), 3u);
    choose("9;0\n");
    read();
    EXPECT_EQ(rowsOf(d.ResultGrid()), (Rows{{"9", "    0.00"}}));
    EXPECT_EQ(rowsOf(d.LinesGrid()), (Rows{{"9;0"}}));

    Rows seen;
    d.setModalRun([&](app::TFLasin& shown) {
        seen = rowsOf(shown.ResultGrid());
        shown.Button1->click();
        return shown.result();
    });
    EXPECT_EQ(d.ShowModal(), app::kImportOk);
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(rowsOf(d.ResultGrid()).empty());
}

TEST_F(ImportDialogTest, StartersBeyondTheStartGridsAreLeftOutAndSaidSo)
{
    app::TFLasin& d = makeDialog();
    std::string file;
    for (int i = 0; i < app::kImportMaxStarters + 1; ++i)
        file += "5;0\n";
    choose(file);
    read();
    EXPECT_EQ(d.ResultGrid().RowCount(), app::kImportMaxStarters + 1);
    EXPECT_EQ(d.ResultGrid().Cell(0, app::kImportMaxStarters), "5");
    EXPECT_EQ(messages(), (std::vector<QString>{QString::fromUtf8("Bara de första 9999 starterna lästes in.")}));
}

TEST_F(ImportDialogTest, MainWindowStoresTheDialogsColumnsEvenWhenNeverShown)
{
    app::TMainForm& w = makeWindow();
    app::TFLasin& d = makeDialog();
    w.setImportColumns([&d] { return d.columns(); });
    d.Sid->setValue(4);
    d.STid->setValue(6);
    closeWindow();
    const app::MainSettings stored = storedSettings();
    EXPECT_EQ(stored.Tabid, 4);
    EXPECT_EQ(stored.Tabtid, 6);
}

} // namespace
