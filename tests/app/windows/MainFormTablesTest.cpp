// The start tables in the main window and the import dialog, as far as the
// windows decide: what reaches the table classes and the files (whose own
// tests check the work itself), and what the operator is told.

#include "WindowFixture.h"
#include "app/import/ImportFile.h"
#include "app/windows/FLasin.h"
#include "support/TestFiles.h"
#include "timevalues/controls/TidEdit.h"
#include "timevalues/controls/ViloSpinnEdit.h"

using namespace timevalues;

namespace {

using windowtest::control;
using windowtest::fill;
using windowtest::Row;
using windowtest::Lines;
using windowtest::rowIn;
using MainFormTablesTest = windowtest::WindowTest;

// A row of the interval-start grid that cannot be loaded (row 3 below an
// empty row 2 has no numbers to go on) is reported and not selected: the
// entry fields still belong to the row before, and go back there.
TEST_F(MainFormTablesTest, ARowThatCannotBeLoadedIsNotSelected)
{
    app::TMainForm& w = makeWindow();
    w.show();
    auto* const grid = control<QTableWidget>(w, "StringGrid1");
    auto* const startTid = control<TTidEdit>(w, "StartTid");
    fill(grid, 1, {"1", "100", "10.00.00", "   30", "1"});
    grid->setCurrentCell(2, 0);  // with no row selected before, none is after
    EXPECT_EQ(told().size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !grid->selectionModel()->hasSelection(); }, 5000));
    grid->setCurrentCell(0, 0);
    const auto fields = [&w] {
        return std::vector<TTid>{control<TViloSpinnEdit>(w, "SEFnr")->Value(),
                                 control<TViloSpinnEdit>(w, "SETnr")->Value(), control<TTidEdit>(w, "StartTid")->Tid(),
                                 control<TTidEdit>(w, "DiffTid")->Tid(),
                                 control<TViloSpinnEdit>(w, "SEParstart")->Value()};
    };
    const std::vector<TTid> loaded{1, 100, 10 * kTidHour, 30 * kTidSecond, 1};
    ASSERT_EQ(fields(), loaded);
    QCoreApplication::processEvents();  // a row that loads stays selected
    EXPECT_EQ(grid->currentRow(), 0);
    grid->setCurrentCell(2, 0);
    EXPECT_EQ(told(), Lines{"failure: Rad 2: \"\" i Från nr är inget heltal"});
    EXPECT_EQ(fields(), loaded);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->currentRow() == 0; }, 5000));
    EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 1);
    control<TViloSpinnEdit>(w, "SETnr")->setValue(90);
    startTid->OnExit(startTid);
    EXPECT_EQ(rowIn(grid, 1), (Row{"1", "90", "10.00.00", "   30", "1"}));
    EXPECT_EQ(rowIn(grid, 3), (Row{"", "", "", "", ""}));
}

// "Läs Tidfil" appends what the user read and accepted in the import dialog
// ("Avbryt" nothing); an import the pursuit grid cannot hold is cut off at
// its last row, and the user is told how many starters came in. "Blanka
// tider" empties the grid again.
TEST_F(MainFormTablesTest, AnImportTheGridCannotHoldIsCutOffAndSaidSo)
{
    app::TMainForm& w = makeWindow();
    auto* const grid = control<QTableWidget>(w, "StringGrid2");
    fill(grid, 9996, {"9", "1", "10.00.00", ""});
    const std::string path = testenv::makeTempDir("import") + "/start.txt";
    std::ofstream(path, std::ios::binary) << "1;0:00\n2;0:30\n3;1:00\n";
    desktop.chosen = QString::fromStdString(path);
    for (const auto& [button, result, last, says] :
         {std::tuple{"Button2", app::kImportCancel, Row(4), Lines{}},
          {"Button1", app::kImportOk, Row{"2", "1", "10.00.30", "    0.30"},
           Lines{"information: Tabellen rymmer inte hela filen: 2 av 3 startande lästes in."}}}) {
        desktop.modal = [button, result](QDialog& dialog) {
            control<TTidEdit>(dialog, "EStartTid")->setTid(10 * kTidHour);
            QTest::mouseClick(control<QPushButton>(dialog, "Button3"), Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>(dialog, button), Qt::LeftButton);
            EXPECT_EQ(std::pair(dialog.result(), dialog.windowTitle()), std::pair(result, QString("Läs in en fil")));
            return dialog.result();
        };
        QTest::mouseClick(control<QPushButton>(w, "LasFile"), Qt::LeftButton);
        EXPECT_EQ(rowIn(grid, 9999), last) << button;
        EXPECT_EQ(told(), says);
    }
    QTest::mouseClick(control<QPushButton>(w, "Button7"), Qt::LeftButton);
    EXPECT_EQ(rowIn(grid, 9999), Row(4));
}

// "Läs" on "Vanlig" sets the beep button by its place in the file's code,
// "Gran på", and "Ant/Start" within its range; "Spara" writes them back. On
// "Jaktstart" the file sets the queues, the first start and "Gran på", and
// the differences are recomputed; a shift of the selected starts too.
TEST_F(MainFormTablesTest, TheTableSettingsComeFromTheFileAndGoBack)
{
    const std::string path = testenv::makeTempDir("tables") + "/vanlig.tid";
    std::ofstream(path, std::ios::binary) << "Tuta=2;\r\nGran=true;\r\nAntStart=0;\r\n";
    app::TMainForm& w = makeWindow();
    desktop.chosen = QString::fromStdString(path);
    control<QPushButton>(w, "Button11")->click();
    EXPECT_TRUE(control<QRadioButton>(w, "Tutfem")->isChecked() && control<QCheckBox>(w, "CBGran")->isChecked());
    EXPECT_EQ(control<TViloSpinnEdit>(w, "SEParstart")->Value(), 1);
    control<QPushButton>(w, "Button12")->click();
    EXPECT_EQ(testfiles::fileText(path), "Tuta=2;\r\nGran=true;\r\nAntStart=1;\r\n");
    // A save that cannot replace its file says why and leaves nothing behind.
    const std::string folder = path.substr(0, path.rfind('/')), target = folder + "/mapp.tid";
    std::filesystem::create_directory(target);
    desktop.chosen = QString::fromStdString(target);
    QTest::mouseClick(control<QPushButton>(w, "Button12"), Qt::LeftButton);
    EXPECT_EQ(told(), Lines{"failure: Tidfilen kunde inte sparas: " + target + "\nFilen " + target +
                            " kan inte ersättas: Is a directory"});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
    desktop.chosen = QString::fromStdString(path);

    const std::string pursuit = "Antalko=3;\r\nForstastart=360000000;\r\nGran=false\r\n"
                                "Grid=1;0;;10.00.00;\r\nGrid=2;12;2;10.00.30;\r\n";
    std::ofstream(path, std::ios::binary) << pursuit;
    control<QPushButton>(w, "Button9")->click();
    EXPECT_EQ(std::tuple(control<QSpinBox>(w, "AntalKo")->value(), control<TTidEdit>(w, "EStartTid")->Tid(),
                         control<QCheckBox>(w, "CBGran")->isChecked()),
              std::tuple(3, 10 * kTidHour, false));
    EXPECT_EQ(rowIn(control<QTableWidget>(w, "StringGrid2"), 2), (Row{"12", "2", "10.00.30", "    0.30"}));
    control<QPushButton>(w, "Button10")->click();
    EXPECT_EQ(testfiles::fileText(path), pursuit);

    // "Sub Starttid" moves the selected rows only, by "Första start".
    control<TTidEdit>(w, "EStartTid")->setTid(30 * kTidSecond);
    auto* const grid = control<QTableWidget>(w, "StringGrid2");
    grid->setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 3), true);
    control<QPushButton>(w, "Button8")->click();
    EXPECT_EQ(rowIn(grid, 1), (Row{"0", "", "10.00.00", ""}));
    EXPECT_EQ(rowIn(grid, 2), (Row{"12", "2", "10.00.00", "    0.00"}));
    EXPECT_EQ(told(), Lines{});
}

// The program's file dialog, set up and accepted without being shown: it
// offers the filters with the first selected, proposes the name in its
// folder, adds no extension, replaces without asking (a question would be a
// modal box of its own), and takes a name that does not exist.
TEST_F(MainFormTablesTest, TheFileDialogOffersItsFiltersAndTakesTheNameAsTyped)
{
    const QString dir = QString::fromStdString(testenv::makeTempDir("dialog"));
    std::ofstream((dir + "/old.tid").toStdString()) << "";
    app::TableFileDialog proposing = app::makeSaveDialog1();
    proposing.fileName = dir + "/old.tid";
    const struct {
        app::TableFileDialog dialog;
        QString typed;  // empty: the proposed name is taken
        QString chosen;
    } cases[] = {{proposing, QString(), dir + "/old.tid"},
                 {app::makeSaveDialog1(), dir + "/lista", dir + "/lista"},
                 {app::makeOpenDialog1(), dir + "/missing.tid", dir + "/missing.tid"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString());
        QFileDialog box;
        app::setUpTableFileDialog(box, c.dialog);
        const bool save = c.dialog.mode == app::TableFileDialog::Mode::Save;
        EXPECT_EQ(std::tuple(box.acceptMode(), box.fileMode(), box.nameFilters(), box.selectedNameFilter(),
                             box.testOption(QFileDialog::DontConfirmOverwrite)),
                  std::tuple(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen, QFileDialog::AnyFile,
                             c.dialog.filters, c.dialog.filters.first(), save));
        if (!c.typed.isEmpty())
            box.selectFile(c.typed);
        static_cast<QDialog&>(box).accept();
        EXPECT_EQ(app::chosenTableFile(box), c.chosen);
    }
}

// Data rows of a grid down to the first empty first cell, cells joined by "|".
std::vector<std::string> rowsOf(app::StringGrid& grid)
{
    std::vector<std::string> rows;
    for (int r = 1; !grid.Cell(0, r).empty(); ++r)
        rows.push_back(grid.Cell(0, r) + (grid.ColCount() > 1 ? "|" + grid.Cell(1, r) : ""));
    return rows;
}

// A file read fills both grids of the import dialog: the starters taken,
// from the first start, and every line as read (decoded from the code page),
// nothing of an earlier read left below. A read that cannot be done keeps
// the grids and says why, as a failure. Return in an entry is "Ok", and
// closing stores the separator and the columns for the next start.
TEST_F(MainFormTablesTest, ReadsAFileIntoBothGridsOrSaysWhyNot)
{
    const std::string folder = testenv::makeTempDir("import");
    app::TFLasin d(storedSettings(), desktop, reporter);
    const auto read = [&](const std::string& bytes, const QString& path = {}) {
        desktop.chosen = path.isNull() ? QString::fromStdString(folder + "/start.txt") : path;
        if (path.isNull())
            std::ofstream(folder + "/start.txt", std::ios::binary) << bytes;
        control<QPushButton>(d, "Button3")->click();
        settle();
    };
    control<TTidEdit>(d, "EStartTid")->setTid(10 * kTidHour);
    read("Nr;Tid\r\n12;0:00\r\n7;0:45\r\n31;1:10\r\n\xC5sa;0:10\r\n");
    EXPECT_EQ(rowsOf(d.resultGrid()), (std::vector<std::string>{"12|10.00.00", "7|10.00.45", "31|10.01.10"}));
    EXPECT_EQ(rowsOf(d.linesGrid()), (std::vector<std::string>{"12;0:00", "7;0:45", "31;1:10", "Åsa;0:10"}));
    EXPECT_TRUE(control<QTableWidget>(d, "StringGrid1")->isVisibleTo(&d) &&
                control<QTableWidget>(d, "StringGrid2")->isVisibleTo(&d));

    // One starter a line, as many as the table takes.
    const std::string starters = QByteArray("1;1\n").repeated(9999).toStdString();
    const struct {
        const char* what;
        QString path;  // when null, a file of `bytes`
        std::string bytes;
        bool noSeparator;
        std::size_t rows;   // starters shown; 1 when the earlier read stays
        std::string first;  // the first of them
        Lines says;         // what the user is told
    } cases[] = {
        {"chooser cancelled", QString(""), "", false, 1, "5|10.00.10", {}},
        {"separator empty", QString(), "1;0\n", true, 1, "5|10.00.10", {"failure: Skiljetecken saknas."}},
        {"no such file", QString::fromStdString(folder + "/none.txt"), "", false, 1, "5|10.00.10",
         {"failure: Filen kan inte läsas: " + folder + "/none.txt\nNo such file or directory"}},
        {"a folder", QString::fromStdString(folder), "", false, 1, "5|10.00.10",
         {"failure: Filen kan inte läsas: " + folder + "\nDet är ingen vanlig fil."}},
        {"too large", QString(), std::string(app::kImportMaxFileBytes + 1, '1'), false, 1, "5|10.00.10",
         {"failure: Filen är för stor: " + folder + "/start.txt\nFilen är större än 16 MB."}},
        {"as many starters as the table takes", QString(), starters, false, 9999, "1|10.00.01", {}},
        {"one starter more", QString(), starters + "2;1\n", false, 9999, "1|10.00.01",
         {"information: Bara de första 9999 starterna lästes in."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        read("5;0:10\n");
        control<QLineEdit>(d, "SEdit")->setText(c.noSeparator ? QString() : QStringLiteral(";"));
        told();
        read(c.bytes, c.path);
        const std::vector<std::string> rows = rowsOf(d.resultGrid());
        EXPECT_EQ(rows.size(), c.rows);
        EXPECT_EQ(rows.empty() ? "" : rows.front(), c.first);
        EXPECT_EQ(told(), c.says);
    }
    control<QSpinBox>(d, "Sid")->setValue(4);
    EXPECT_EQ(rowsOf(d.resultGrid()), std::vector<std::string>{});  // another column: read again
    control<QSpinBox>(d, "STid")->setValue(6);
    d.show();  // Return in an entry is "Ok"
    QTest::keyClick(control<QLineEdit>(d, "SEdit"), Qt::Key_Return);
    EXPECT_TRUE(d.isHidden() && d.result() == app::kImportOk);
    const app::TFLasin next(storedSettings(), desktop, reporter);
    EXPECT_EQ(std::tuple(control<QSpinBox>(next, "Sid")->value(), control<QSpinBox>(next, "STid")->value(),
                         control<QLineEdit>(next, "SEdit")->text()),
              std::tuple(4, 6, QString(";")));
}

// "Sänd tider" sends the table of the active tab with the window's beep,
// "Gran på" and queue; pursuit starters before the start above them are left
// out and the operator is told once. A table the clock cannot take is
// reported, and the transfer already running goes on unchanged.
TEST_F(MainFormTablesTest, SendsTheTableOfTheActiveTabWithTheWindowsSettings)
{
    app::TMainForm& w = makeWindow();
    auto* const grid1 = control<QTableWidget>(w, "StringGrid1");
    auto* const grid2 = control<QTableWidget>(w, "StringGrid2");
    auto* const pages = control<QTabWidget>(w, "PageControl");
    auto* const send = control<QPushButton>(w, "Button5");
    w.Timer1().stop();  // the test runs the ticks, the clock acknowledging at once
    const auto transfer = [&w] {
        Lines sent;
        for (int i = 0; i < 50 && w.transfer().TidSand() > 0; ++i) {
            w.Timer1Timer();
            if (w.link().busy()) {
                sent.push_back(w.link().Utar().substr(0, w.link().Utar().size() - 1));
                w.link().HandleReply(std::string(1, '\x06'));
            }
        }
        return sent;
    };
    fill(grid1, 1, {"1", "100", "10.00.00", " 0.30", "1"});
    control<QRadioButton>(w, "Tuten")->setChecked(true);
    control<QCheckBox>(w, "CBGran")->setChecked(true);
    send->click();
    EXPECT_EQ(transfer(), (Lines{"RESET", "TOOT-1", "TREE-1", "TAB-000-108C63", "TAB-001-20013D", "TAB-002-30641E",
                                 "TAB-003-FFFFFF"}));
    windowtest::fillRows(grid2, {{"0", "", "10.00.00"}, {"7", "2", "10.00.30"}, {"8", "2", "10.00.29"}, {"9", "2", "09.58.00"}});
    pages->setCurrentIndex(1);
    control<QSpinBox>(w, "Ako")->setValue(2);
    send->click();
    EXPECT_EQ(transfer(), (Lines{"RESET", "TOOT-0", "LINE-2", "TREE-0", "TAB-000-508C63", "TAB-001-70075B"}));
    EXPECT_EQ(told(), Lines{"information: Nr 8, 9 startar före föregående start och sänds inte till klockan."});

    pages->setCurrentIndex(0);
    fill(grid1, 1, {"1", "2", "10.00.00", " 0.30", "1"});
    send->click();
    w.Timer1Timer();
    w.Timer1Timer();  // "RESET" outstanding
    const Lines before = w.transfer().Sandlista();
    fill(grid1, 2, {"3", "4", "10.00.10", " 0.30", "1"});
    send->click();
    EXPECT_EQ(told(), Lines{"failure: Rad 2: första starten 10.00.10 ligger före föregående start 10.00.30"});
    EXPECT_EQ(std::tuple(w.transfer().Sandlista(), w.transfer().SandRad()), std::tuple(before, 2));
}

} // namespace
