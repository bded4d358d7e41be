// The import dialog: its settings, reading a file into its grids, clearing,
// and the columns the main window stores.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "app/ImportDialog.h"
#include "app/ImportDialogLink.h"
#include "app/ImportFile.h"
#include "app/StartTimeImport.h"
#include "support/test_env.h"
#include "timevalues/TidEdit.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;
using Change = std::function<void(app::TFLasin&)>;

// Empties a column box the way typing does.
void clearBox(QSpinBox* box)
{
    box->findChild<QLineEdit*>()->clear();
}

// Data rows down to the first empty first cell.
Rows rowsOf(app::StringGrid& grid)
{
    Rows rows;
    for (int r = 1; !grid.Cell(0, r).empty(); ++r) {
        rows.emplace_back();
        for (int c = 0; c < grid.ColCount(); ++c)
            rows.back().push_back(grid.Cell(c, r));
    }
    return rows;
}

class ImportDialogTest : public windowtest::WindowTest {
protected:
    void TearDown() override
    {
        dialog.reset();
        WindowTest::TearDown();
    }

    app::TFLasin& makeDialog()
    {
        dialog = std::make_unique<app::TFLasin>();
        dialog->setOpenFile([this](QWidget*) { return chosen; });
        return *dialog;
    }

    // Writes a file and reads it.
    void read(const std::string& bytes)
    {
        const std::string path = folder + "/start" + std::to_string(++files) + ".txt";
        std::ofstream(path, std::ios::binary) << bytes;
        readPath(QString::fromStdString(path));
    }
    // "Läs tidfil" with the chooser giving `path`.
    void readPath(const QString& path)
    {
        chosen = path;
        dialog->Button3->click();
        settle();
    }

    std::string folder = testenv::makeTempDir("import");
    int files = 0;
    QString chosen;
    std::unique_ptr<app::TFLasin> dialog;
};

TEST_F(ImportDialogTest, EveryClosingStoresWhatTheNextStartReads)
{
    EXPECT_EQ(makeDialog().columns().Tabid, 1);
    EXPECT_EQ(dialog->columns().Tabtid, 2);
    EXPECT_EQ(dialog->SEdit->text(), QStringLiteral(";"));
    const std::vector<std::pair<Change, int>> closings = {
        {[](app::TFLasin& d) { d.Button1->click(); }, app::kImportOk},
        {[](app::TFLasin& d) { d.Button2->click(); }, app::kImportCancel},
        {[](app::TFLasin& d) { d.close(); }, app::kImportCancel},
        {[](app::TFLasin& d) { QTest::keyClick(&d, Qt::Key_Escape); }, app::kImportCancel},
    };
    for (int n = 0; n < static_cast<int>(closings.size()); ++n) {
        dialog->setModalRun([&](app::TFLasin& shown) {
            shown.show();
            shown.Sid->setValue(n);
            shown.STid->setValue(-n);
            shown.SEdit->setText(QString::number(n));
            closings[n].first(shown);
            return shown.result();
        });
        EXPECT_EQ(dialog->ShowModal(), closings[n].second) << n;
        EXPECT_FALSE(dialog->isVisible()) << n;
        app::TFLasin& next = makeDialog();
        EXPECT_EQ(next.Sid->value(), n);
        EXPECT_EQ(next.STid->value(), -n);
        EXPECT_EQ(next.SEdit->text(), QString::number(n));
    }
}

TEST_F(ImportDialogTest, ReadsAFileIntoBothGrids)
{
    app::TFLasin& d = makeDialog();
    d.EStartTid->setTid(10 * kTidHour);
    read("Nr;Tid\r\n12;0:00\r\n7;0:45\r\n31;1:10\r\n\xC5sa;0:10\r\n");
    EXPECT_EQ(rowsOf(d.ResultGrid()), (Rows{{"12", "10.00.00"}, {"7", "10.00.45"}, {"31", "10.01.10"}}));
    // Decoded from the code page; the refused last line stands below.
    EXPECT_EQ(rowsOf(d.LinesGrid()), (Rows{{"12;0:00"}, {"7;0:45"}, {"31;1:10"}, {"Åsa;0:10"}}));

    // A second read shows nothing of the first.
    read("9;0\n");
    EXPECT_EQ(rowsOf(d.ResultGrid()), (Rows{{"9", "10.00.00"}}));
    EXPECT_EQ(rowsOf(d.LinesGrid()), (Rows{{"9;0"}}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ImportDialogTest, FailedReadKeepsTheGridsAndSaysWhy)
{
    const QString missing = QString::fromStdString(folder + "/none.txt");
    const QString aFolder = QString::fromStdString(folder);
    const QString unreadable = QString::fromUtf8("Filen kan inte läsas: ");
    const Change clearSeparator = [](app::TFLasin& d) { d.SEdit->clear(); };
    struct Case {
        const char* what;
        std::optional<QString> path;  // else a file of `bytes`
        std::string bytes;
        Change change;
        QString message;  // how the one message starts; none when empty
    };
    const std::vector<Case> cases = {
        {"chooser cancelled", QString(), "", nullptr, QString()},
        {"separator empty", std::nullopt, "1;0\n", clearSeparator, QStringLiteral("Skiljetecken saknas.")},
        {"no such file", missing, "", nullptr, unreadable + missing},
        {"a folder", aFolder, "", nullptr, unreadable + aFolder},
        {"too large", std::nullopt, std::string(app::kImportMaxFileBytes + 1, '1'), nullptr,
         QString::fromUtf8("Filen är för stor: ")},
    };
    for (const Case& c : cases) {
        app::TFLasin& d = makeDialog();
        read("5;0:10\n");
        if (c.change)
            c.change(d);
        reports.clear();
        if (c.path)
            readPath(*c.path);
        else
            read(c.bytes);
        EXPECT_EQ(rowsOf(d.ResultGrid()), (Rows{{"5", "    0.10"}})) << c.what;
        ASSERT_EQ(messages().size(), c.message.isEmpty() ? 0u : 1u) << c.what;
        if (!c.message.isEmpty()) {
            EXPECT_TRUE(messages()[0].startsWith(c.message)) << c.what;
        }
    }
}

TEST_F(ImportDialogTest, ColumnChangesAndEachShowingEmptyTheGrids)
{
    std::string many;
    for (int id = 1; id <= 25; ++id)
        many += std::to_string(id) + ";0\n";
    const std::vector<std::tuple<const char*, Change, bool>> cases = {
        {"number column", [](app::TFLasin& d) { d.Sid->setValue(4); }, true},
        {"time column", [](app::TFLasin& d) { d.STid->setValue(4); }, true},
        {"number column typed empty", [](app::TFLasin& d) { clearBox(d.Sid); }, true},
        {"showing", [](app::TFLasin& d) { d.setModalRun([](app::TFLasin&) { return 0; }); d.ShowModal(); }, true},
        {"same number column", [](app::TFLasin& d) { d.Sid->setValue(1); }, false},
        {"separator", [](app::TFLasin& d) { d.SEdit->setText(QStringLiteral(",")); }, false},
        {"first start", [](app::TFLasin& d) { d.EStartTid->setTid(kTidHour); }, false},
    };
    for (const auto& [what, change, clears] : cases) {
        app::TFLasin& d = makeDialog();
        read(many);
        ASSERT_EQ(rowsOf(d.ResultGrid()).size(), 25u) << what;
        change(d);
        EXPECT_EQ(rowsOf(d.ResultGrid()).size(), clears ? 0u : 25u) << what;
        EXPECT_EQ(rowsOf(d.LinesGrid()).size(), clears ? 0u : 25u) << what;
    }
    // With a column box empty nothing is read, silently.
    clearBox(dialog->STid);
    read(many);
    EXPECT_TRUE(rowsOf(dialog->ResultGrid()).empty());
    EXPECT_TRUE(messages().empty());
}

TEST_F(ImportDialogTest, StartersBeyondTheStartGridsAreLeftOutAndSaidSo)
{
    app::TFLasin& d = makeDialog();
    std::string file;
    for (int i = 0; i <= app::kImportMaxStarters; ++i)
        file += "5;0\n";
    read(file);
    EXPECT_EQ(d.ResultGrid().RowCount(), app::kImportMaxStarters + 1);
    EXPECT_EQ(d.ResultGrid().Cell(0, app::kImportMaxStarters), "5");
    EXPECT_EQ(messages(), (std::vector<QString>{QString::fromUtf8("Bara de första 9999 starterna lästes in.")}));
}

TEST_F(ImportDialogTest, MainWindowStoresTheColumnsEvenWhenTheDialogWasNeverShown)
{
    app::TMainForm& w = makeWindow();
    app::TFLasin& d = makeDialog();
    w.setImportColumns([&d] { return d.columns(); });
    d.Sid->setValue(4);
    d.STid->setValue(6);
    closeWindow();
    EXPECT_EQ(storedSettings().Tabid, 4);
    EXPECT_EQ(storedSettings().Tabtid, 6);
}

} // namespace

TEST_F(ImportDialogTest, LasTidfilAppendsTheAcceptedStartersToThePursuitGrid)
{
    app::TMainForm& w = makeWindow();
    app::TFLasin& d = makeDialog();
    app::connectImportDialog(w, d);
    const std::string path = folder + "/jakt.txt";
    std::ofstream(path, std::ios::binary) << "12;10:00:00\r\n7;10:00:45\r\n";
    chosen = QString::fromStdString(path);
    for (const int closing : {app::kImportCancel, app::kImportOk}) {
        d.setModalRun([closing](app::TFLasin& shown) {
            shown.Button3->click();
            return closing;
        });
        w.LasFile->click();
        settle();
    }
    app::TableWidgetGrid pursuit(w.StringGrid2);
    EXPECT_EQ(pursuit.Cell(0, 1), "0");
    EXPECT_EQ(pursuit.Cell(2, 1), "10.00.00");
    EXPECT_EQ(pursuit.Cell(0, 2), "12");
    EXPECT_EQ(pursuit.Cell(0, 3), "7");
    EXPECT_EQ(pursuit.Cell(3, 3), "    0.45");
    EXPECT_EQ(pursuit.Cell(0, 4), "");
    EXPECT_TRUE(errors().empty());
}
