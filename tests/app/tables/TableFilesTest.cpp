// The files: start-list files (the exact bytes written, the rows read back,
// the files on disk), and Windows-1252, their code page and the clock's.
#include <gtest/gtest.h>

#include <QDir>

#include <sys/stat.h>

#include "GridRows.h"
#include "app/tables/Cp1252.h"
#include "app/tables/StartListFile.h"
#include "app/tables/StartListFileIo.h"
#include "support/TestFiles.h"
#include "support/test_env.h"

using namespace timevalues;

using app::MemoryGrid;
using namespace gridtest;

namespace {

// Grids of the window's size (data rows 1..9999) with their headers in row 0;
// rows given by number.
using Numbered = std::vector<std::pair<int, Row>>;
const Row kInterval{"Från nr", "Till nr", "Tid", "Difftid", "Ant/sta"};
const Row kPursuit{"Nr", "F", "Tid", "Diff"};
MemoryGrid gridWith(const Row& headers, Numbered rows = {})
{
    MemoryGrid grid(static_cast<int>(headers.size()), 10000);
    rows.insert(rows.begin(), {0, headers});
    for (const auto& [row, cells] : rows)
        for (std::size_t c = 0; c < cells.size(); ++c)
            grid.SetCell(static_cast<int>(c), row, cells[c]);
    return grid;
}

// The interval file: its settings, then every row with a "Till nr" (up to
// row 9999) in Windows-1252 with CR LF.
TEST(StartListFile, IntervalLayoutIsWrittenLineForLine)
{
    const MemoryGrid grid = gridWith(kInterval, {
        {1, {"1", "50", "10.00.00", " 1.00", "1"}}, {2, {"51", "80", "10.50.00", " 1.30", "1"}},
        {3, {"81", "", "11.00.00", " 1.00", "1"}},  // no "Till nr": not written
        {5, {"", " ", "", "", ""}},                 // a blank counts as filled
        {1000, {"900", "950", "12.00.00", " 0.30", "2"}}, {1001, {"951", "960", "12.30.00", " 0.30", "2"}},
        {9999, {"\xC3\x85sa", "\xC3\x96", "", "", "\xE2\x82\xAC"}},  // Åsa, Ö, €
    });
    EXPECT_EQ(app::writeIntervalTable(grid, {2, true, 1}),
              "Tuta=2;\r\nGran=true;\r\nAntStart=1;\r\nGrid=1;1;50;10.00.00; 1.00;1;\r\nGrid=2;51;80;10.50.00; 1.30;1;\r\n"
              "Grid=5;; ;;;;\r\nGrid=1000;900;950;12.00.00; 0.30;2;\r\nGrid=1001;951;960;12.30.00; 0.30;2;\r\n"
              "Grid=9999;\xC5sa;\xD6;;;\x80;\r\n");
    EXPECT_EQ(app::writeIntervalTable(gridWith(kInterval), {0, false, 9}), "Tuta=0;\r\nGran=false;\r\nAntStart=9;\r\n");
}

// The pursuit file: its settings ("Gran" without ";"), then "Nr", "F" and
// "Tid" of every row with a "Tid".
TEST(StartListFile, PursuitLayoutIsWrittenLineForLine)
{
    const MemoryGrid grid = gridWith(kPursuit, {
        {1, {"0", "", "10.00.00", "ignored"}}, {2, {"12", "1", "10.00.00", " 0.00.00"}},
        {3, {"7", "2", "10.00.45", " 0.00.45"}}, {4, {"31", "1", "10.01.10", ""}},
        {6, {"99", "1", "", "1.00"}},  // no "Tid": not written
    });
    EXPECT_EQ(app::writePursuitTable(grid, {"2", 360000000, false}),
              "Antalko=2;\r\nForstastart=360000000;\r\nGran=false\r\n"
              "Grid=1;0;;10.00.00;\r\nGrid=2;12;1;10.00.00;\r\nGrid=3;7;2;10.00.45;\r\nGrid=4;31;1;10.01.10;\r\n");
    EXPECT_EQ(app::writePursuitTable(gridWith(kPursuit), {"9", -5, true}), "Antalko=9;\r\nForstastart=-5;\r\nGran=true\r\n");
}

// A written text with ";", a line break or a character without a byte in
// Windows-1252 would not read back: the save is refused naming the cell.
TEST(StartListFile, RefusesRowThatWouldNotReadBackAsWritten)
{
    const std::pair<std::string, const char*> cases[] = {
        {"12;13", "innehåller \";\", som skiljer cellerna åt i filen."},
        {"12\n13", "innehåller en radbrytning."}, {"12\r", "innehåller en radbrytning."},
        {"\xC5\x81ukasz", "innehåller ett tecken som inte finns i filens teckenuppsättning (Windows-1252)."},
    };
    for (const auto& [text, why] : cases) {
        SCOPED_TRACE(text);
        const MemoryGrid pursuit = gridWith(kPursuit, {{1, {"1", "1", "10.00.00"}}, {7, {text, "1", "10.00.00"}}});
        EXPECT_EQ(errorOf<app::StartListFileError>([&] { app::writePursuitTable(pursuit, {}); }),
                  "Tabellen kan inte sparas: rad 7, kolumn \"Nr\": texten \"" + text + "\" " + why);
        const MemoryGrid interval = gridWith(kInterval, {{3, {"1", "2", "10.00.00", " 0.30", text}}});
        EXPECT_THROW(app::writeIntervalTable(interval, {}), app::StartListFileError);
        EXPECT_THROW(app::writePursuitTable(gridWith(kPursuit), {text, 0, false}), app::StartListFileError);
    }
    // Only written cells count: "Diff", and rows that are not written.
    EXPECT_NO_THROW(app::writePursuitTable(gridWith(kPursuit, {{1, {"1", "1", "10.00.00", "a;b"}}, {2, {"x;y", "", ""}}}), {}));
}

// A "Grid=" line fills the data row it names, decoded from Windows-1252;
// missing values empty their cells; rows outside the data rows, the header
// among them, are left alone.
TEST(StartListFile, GridLinesFillTheirRowAndNoOther)
{
    MemoryGrid grid = gridWith(kInterval, {{2, {"a", "b", "c", "d", "e"}}});
    app::IntervalTableSettings settings;
    app::readIntervalTable("Grid=1;1;50;10.00.00; 1.00;1;\r\nGrid=2;7;8;\r\nGrid=6;0;;10.00.00;\r\n"
                           "grid=3;a\rb;x=y;;;;;more;\r\nGrid=4x;1;2;3;4;5;\r\nGrid=9999;1;2;3;4;5\r\n"
                           "Grid=5;\xC5sa;\xD6\xE4;\x80;;;\r\nGrid=0;h;h;h;h;h;\r\nGrid=10000;1;2;3;4;5;\r\n"
                           "Grid=-2;1;2;3;4;5;\r\nGrid=abc;1;2;\r\nGrid=99999999999;1;2;\r\n",
                           grid, settings);
    const MemoryGrid expected = gridWith(kInterval, {{1, {"1", "50", "10.00.00", " 1.00", "1"}}, {2, {"7", "8", "", "", ""}},
                                              {3, {"a\rb", "x=y", "", "", ""}}, {4, {"1", "2", "3", "4", "5"}},
                                              {5, {"\xC3\x85sa", "\xC3\x96\xC3\xA4", "\xE2\x82\xAC", "", ""}},
                                              {6, {"0", "", "10.00.00", "", ""}}, {9999, {"1", "2", "3", "4", "5"}}});
    EXPECT_EQ(cellsOf(grid, -1, 0, 9999), cellsOf(expected, -1, 0, 9999));
    EXPECT_EQ(settings, app::IntervalTableSettings{});
}

// Setting lines take effect in file order when enough follows their "=" (two
// characters for the interval reader, one for the pursuit reader) and their
// value is in range; other keys, a key with a blank among them, change nothing.
// The last line needs no line end.
TEST(StartListFile, SettingLinesTakeEffectInFileOrder)
{
    MemoryGrid grid = gridWith(kInterval);
    app::IntervalTableSettings first, second;
    app::readIntervalTable("Tuta=0;\r\nTuta=4;\r\nTuta=-1;\r\nTuta=2\r\nGRAN=TrUe\r\nAntStart=0;\r\n", grid, first);
    app::readIntervalTable("Tuta=1;\r\nTuta=3;\r\n Tuta=2;\r\nTuta =2;\r\nX=1;1;\r\nAntStart=12", grid, second);
    EXPECT_EQ(std::pair(first, second),
              std::pair(app::IntervalTableSettings{0, true, 0}, app::IntervalTableSettings{3, false, 12}));
    app::PursuitTableSettings pursuit;
    int told = 0;
    app::readPursuitTable("Antalko=\r\nForstastart=5\nY=1;\r\nantalko=3;x\r\nGran=true\r", grid, pursuit,
                          [&] { ++told; });
    EXPECT_EQ(std::tuple(pursuit, told), std::tuple(app::PursuitTableSettings{"3", 5, true}, 1));
}

// On disk: a regular file of at most 8 MiB is read byte for byte; anything
// else is refused without being opened; a save replaces the file whole.
TEST(StartListFile, ReadsAndWritesWholeRegularFilesOnly)
{
    const std::string dir = testenv::makeTempDir("listio");
    const std::string bytes = std::string("Tuta=2;\r\nGrid=1;\xC5\0;\r\n", 20) + "\x80\xFF";
    testfiles::putFile(dir + "/a.tid", bytes);
    testfiles::putSparseFile(dir + "/largest.tid", app::kStartListFileMaxBytes);
    testfiles::putSparseFile(dir + "/huge.tid", app::kStartListFileMaxBytes + 1);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir + "/folder.tid")));
    ASSERT_EQ(::mkfifo((dir + "/pipe.tid").c_str(), 0600), 0);  // opening it would wait for a writer
    EXPECT_EQ(app::readStartListFile(dir + "/a.tid"), bytes);
    EXPECT_EQ(app::readStartListFile(dir + "/largest.tid").size(), app::kStartListFileMaxBytes);
    const std::pair<std::string, const char*> refused[] = {
        {"missing.tid", "No such file or directory"}, {"folder.tid", "Det är ingen vanlig fil."},
        {"pipe.tid", "Det är ingen vanlig fil."}, {"huge.tid", "Filen är större än 8 MB."},
    };
    for (const auto& [name, why] : refused)
        EXPECT_EQ(errorOf<app::StartListIoError>([&] { app::readStartListFile(dir + "/" + name); }),
                  "Tidfilen kunde inte läsas: " + dir + "/" + name + "\n" + why);
    app::writeStartListFile(dir + "/a.tid", "new\r\n");
    EXPECT_EQ(testfiles::fileText(dir + "/a.tid"), "new\r\n");
    const std::string failed = errorOf<app::StartListIoError>([&] { app::writeStartListFile(dir + "/folder.tid", "x"); });
    EXPECT_EQ(failed.rfind("Tidfilen kunde inte sparas: " + dir + "/folder.tid\n", 0), 0u) << failed;
}

// Every byte decodes to one character (the five undefined ones to the C1
// control of the same number, never as UTF-8), and encodes back to itself;
// a character outside the page, even outside the BMP, becomes one "?".
TEST(Cp1252, DecodesEveryByteAndEncodesBack)
{
    const std::pair<std::string, QString> cases[] = {
        {"VER\x93", QString::fromUtf16(u"VER\u201C")}, {"\x80\x8A\x9F", QString::fromUtf16(u"\u20AC\u0160\u0178")},
        {"K\xC4LLA \xE5\xE4\xF6", QString::fromUtf16(u"K\u00C4LLA \u00E5\u00E4\u00F6")},
        {"\x81\x8D\x8F\x90\x9D", QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D")},
        {std::string("\x06\x00\x7F", 3), QString::fromUtf16(u"\u0006") + QChar(0) + QChar(0x7F)},
        {"\xC3\xA5", QString::fromUtf16(u"\u00C3\u00A5")},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(app::fromCp1252(bytes), text) << bytes;
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(app::toCp1252(app::fromCp1252(all)), all);
    EXPECT_EQ(app::toCp1252(QString::fromUtf16(u"\u0080\u0100\u4E2D")), "???");
    EXPECT_EQ(app::toCp1252(QString::fromUtf8("a\xF0\x9F\x98\x80z")), "a?z");
    EXPECT_EQ(app::toCp1252(QString("a") + QChar(0xD83D)), "a?");  // a lone high surrogate at the end
}

} // namespace
