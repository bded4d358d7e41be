// Start-list files without the window: exact file texts, the readers line by
// line, and save-and-read round trips.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/StartListFile.h"
#include "app/StringGrid.h"

using app::IntervalTableSettings;
using app::MemoryGrid;
using app::PursuitTableSettings;

namespace app {

inline void PrintTo(const app::IntervalTableSettings& s, std::ostream* out)
{
    *out << "{tuta " << s.tuta << ", gran " << s.gran << ", antStart " << s.antStart << "}";
}

inline void PrintTo(const app::PursuitTableSettings& s, std::ostream* out)
{
    *out << "{antalKo \"" << s.antalKo << "\", forstaStart " << s.forstaStart << ", gran " << s.gran << "}";
}

} // namespace app

namespace {

constexpr int kRows = 10000;  // header row and data rows 1..9999, as in the window

struct Row {
    int row;
    std::vector<std::string> cells;
};

MemoryGrid gridWith(const std::vector<std::string>& headers, const std::vector<Row>& rows)
{
    MemoryGrid grid(static_cast<int>(headers.size()), kRows);
    for (std::size_t c = 0; c < headers.size(); ++c)
        grid.SetCell(static_cast<int>(c), 0, headers[c]);
    for (const Row& r : rows)
        for (std::size_t c = 0; c < r.cells.size(); ++c)
            grid.SetCell(static_cast<int>(c), r.row, r.cells[c]);
    return grid;
}

MemoryGrid intervalGrid(const std::vector<Row>& rows = {})
{
    return gridWith({"Från nr", "Till nr", "Tid", "Difftid", "Ant/sta"}, rows);
}

MemoryGrid pursuitGrid(const std::vector<Row>& rows = {})
{
    return gridWith({"Nr", "F", "Tid", "Diff"}, rows);
}

std::vector<std::string> rowOf(const app::StringGrid& grid, int row)
{
    std::vector<std::string> cells;
    for (int c = 0; c < grid.ColCount(); ++c)
        cells.push_back(grid.Cell(c, row));
    return cells;
}

// Every cell of the grid, header included.
std::vector<std::string> allCells(const app::StringGrid& grid)
{
    std::vector<std::string> cells;
    for (int r = 0; r < grid.RowCount(); ++r)
        for (int c = 0; c < grid.ColCount(); ++c)
            cells.push_back(grid.Cell(c, r));
    return cells;
}

TEST(StartListFile, IntervalLayoutIsWrittenLineForLine)
{
    const MemoryGrid grid = intervalGrid({
        {1, {"1", "50", "10.00.00", " 1.00", "1"}},
        {2, {"51", "80", "10.50.00", " 1.30", "1"}},
        {3, {"81", "", "11.00.00", " 1.00", "1"}},     // no "Till nr": not written
        {5, {"", " ", "", "", ""}},                    // a blank counts as filled
        {1000, {"900", "950", "12.00.00", " 0.30", "2"}},
        {1001, {"951", "960", "12.30.00", " 0.30", "2"}},  // past row 1000 too: no row is lost
        {9999, {"\xC3\x85sa", "\xC3\x96", "", "", "\xE2\x82\xAC"}},  // Åsa, Ö, € in Windows-1252
    });
    const std::string expected =
        "Tuta=2;\r\n"
        "Gran=true;\r\n"
        "AntStart=1;\r\n"
        "Grid=1;1;50;10.00.00; 1.00;1;\r\n"
        "Grid=2;51;80;10.50.00; 1.30;1;\r\n"
        "Grid=5;; ;;;;\r\n"
        "Grid=1000;900;950;12.00.00; 0.30;2;\r\n"
        "Grid=1001;951;960;12.30.00; 0.30;2;\r\n"
        "Grid=9999;\xC5sa;\xD6;;;\x80;\r\n";
    EXPECT_EQ(app::writeIntervalTable(grid, {2, true, 1}), expected);
}

TEST(StartListFile, PursuitLayoutIsWrittenLineForLine)
{
    const MemoryGrid grid = pursuitGrid({
        {1, {"0", "", "10.00.00", "ignored"}},
        {2, {"12", "1", "10.00.00", " 0.00.00"}},
        {3, {"7", "2", "10.00.45", " 0.00.45"}},
        {4, {"31", "1", "10.01.10", ""}},
        {5, {"5", "2", "10.02.05", ""}},
        {6, {"99", "1", "", "1.00"}},  // no "Tid": not written
    });
    const std::string expected =
        "Antalko=2;\r\n"
        "Forstastart=360000000;\r\n"
        "Gran=false\r\n"
        "Grid=1;0;;10.00.00;\r\n"
        "Grid=2;12;1;10.00.00;\r\n"
        "Grid=3;7;2;10.00.45;\r\n"
        "Grid=4;31;1;10.01.10;\r\n"
        "Grid=5;5;2;10.02.05;\r\n";
    EXPECT_EQ(app::writePursuitTable(grid, {"2", 360000000, false}), expected);
}

TEST(StartListFile, EmptyGridsGiveTheSettingLinesAlone)
{
    EXPECT_EQ(app::writeIntervalTable(intervalGrid(), {0, false, 9}), "Tuta=0;\r\nGran=false;\r\nAntStart=9;\r\n");
    EXPECT_EQ(app::writePursuitTable(pursuitGrid(), {"9", -5, true}),
              "Antalko=9;\r\nForstastart=-5;\r\nGran=true\r\n");
}

TEST(StartListFile, RefusesTextsThatWouldNotReadBackAsWritten)
{
    struct Case {
        std::string text;
        const char* why;
    };
    const Case cases[] = {
        {"12;13", ";"},
        {"12\n13", "radbrytning"},
        {"12\r", "radbrytning"},
        {"\xC5\x81ukasz", "Windows-1252"},  // Ł has no byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const MemoryGrid pursuit = pursuitGrid({{1, {"1", "1", "10.00.00"}}, {7, {c.text, "1", "10.00.00"}}});
        try {
            app::writePursuitTable(pursuit, {});
            ADD_FAILURE() << "saved";
        } catch (const app::StartListFileError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("rad 7"), std::string::npos) << message;
            EXPECT_NE(message.find("\"Nr\""), std::string::npos) << message;
            EXPECT_NE(message.find(c.why), std::string::npos) << message;
        }
        const MemoryGrid interval = intervalGrid({{3, {"1", "2", "10.00.00", " 0.30", c.text}}});
        EXPECT_THROW(app::writeIntervalTable(interval, {}), app::StartListFileError);
        EXPECT_THROW(app::writePursuitTable(pursuitGrid(), {c.text, 0, false}), app::StartListFileError);
    }
    // Only the written cells count: the pursuit grid's "Diff" and the cells
    // of rows that are not written.
    const MemoryGrid unwritten = pursuitGrid({{1, {"1", "1", "10.00.00", "a;b"}}, {2, {"x;y", "", ""}}});
    EXPECT_NO_THROW(app::writePursuitTable(unwritten, {}));
}

// Each case reads one file over the same grid and settings.
TEST(StartListFile, IntervalReaderTakesItsFourKeys)
{
    struct Case {
        std::string file;
        IntervalTableSettings expected;
    };
    const IntervalTableSettings before{1, false, 4};
    const Case cases[] = {
        {"Tuta=2;", {2, false, 4}},
        {"tUtA=0;", {0, false, 4}},
        {"Tuta=3x;", {3, false, 4}},
        {"Tuta=2", before},     // one character after "=" is too short for this reader
        {"Tuta=4;", before},    // no such beep setting
        {" Tuta=0;", before},   // blanks are part of the key
        {"Tuta =0;", before},
        {"Tuta=", before},
        {"Gran=true", {1, true, 4}},
        {"GRAN=TrUe;", {1, true, 4}},
        {"Gran=1;", before},
        {"AntStart=7;", {1, false, 7}},
        {"AntStart=abc;", {1, false, 0}},
        {"Antalko=3;\r\nForstastart=5;\r\nTutor=2;", before},
        {"Tuta=2;\nTuta=0;", {0, false, 4}},               // later lines win
        {"\r\n\r\n\nTuta=2;\r\n\r\nGran=true;", {2, true, 4}},  // empty lines do not end the file
        {"", before},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        MemoryGrid grid = intervalGrid({{2, {"a", "b", "c", "d", "e"}}});
        const std::vector<std::string> cellsBefore = allCells(grid);
        IntervalTableSettings settings = before;
        app::readIntervalTable(c.file, grid, settings);
        EXPECT_EQ(settings, c.expected);
        EXPECT_EQ(allCells(grid), cellsBefore);
    }
}

TEST(StartListFile, GridLinesFillTheirRowAndNoOther)
{
    struct Case {
        std::string line;
        int row;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {"Grid=1;1;50;10.00.00; 1.00;1;", 1, {"1", "50", "10.00.00", " 1.00", "1"}},
        {"Grid=2;7;8;", 2, {"7", "8", "", "", ""}},                    // missing values empty their cells
        {"Grid=2;0;;10.00.00;", 2, {"0", "", "10.00.00", "", ""}},    // a pursuit line
        {"grid=3;a\rb;x=y;;;;;more;", 3, {"a\rb", "x=y", "", "", ""}},
        {"Grid=4x;1;2;3;4;5;", 4, {"1", "2", "3", "4", "5"}},
        {"Grid=9999;1;2;3;4;5", 9999, {"1", "2", "3", "4", "5"}},
        {"Grid=5;\xC5sa;\xD6\xE4;\x80;;;", 5, {"\xC3\x85sa", "\xC3\x96\xC3\xA4", "\xE2\x82\xAC", "", ""}},
        // Rows outside the data rows: no row at all, the header least of all.
        {"Grid=0;h;h;h;h;h;", 0, {}},
        {"Grid=10000;1;2;3;4;5;", 0, {}},
        {"Grid=-2;1;2;3;4;5;", 0, {}},
        {"Grid=abc;1;2;", 0, {}},
        {"Grid=99999999999;1;2;", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        MemoryGrid grid = intervalGrid({{2, {"a", "b", "c", "d", "e"}}});
        const MemoryGrid expected = intervalGrid({{2, {"a", "b", "c", "d", "e"}}, {c.row, c.cells}});
        IntervalTableSettings settings;
        app::readIntervalTable(c.line + "\r\n", grid, settings);
        EXPECT_EQ(allCells(grid), allCells(expected));
    }
}

TEST(StartListFile, PursuitReaderTakesItsFourKeys)
{
    struct Case {
        std::string file;
        PursuitTableSettings expected;
        std::vector<std::string> row5;
    };
    const PursuitTableSettings before{"4", 100, false};
    const std::vector<std::string> row5{"a", "b", "c", "d"};
    const Case cases[] = {
        {"Antalko=3", {"3", 100, false}, row5},  // one character after "=" is enough here
        {"ANTALKO= 2x;", {" 2x", 100, false}, row5},  // the text as it stands
        {"Antalko=;", {"", 100, false}, row5},
        {"Forstastart=360000000;", {"4", 360000000, false}, row5},
        {"forstastart=$10;", {"4", 16, false}, row5},
        {"Gran=true", {"4", 100, true}, row5},
        {"Tuta=2;\r\nAntStart=3;\r\nG=1;\r\nGrid", before, row5},
        {"Grid=5;12;1;10.00.00;", before, {"12", "1", "10.00.00", "d"}},  // "Diff" is left alone
        {"Grid=5;12", before, {"12", "", "", "d"}},
        {"Grid=0;x;x;x;", before, row5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        MemoryGrid grid = pursuitGrid({{5, row5}});
        PursuitTableSettings settings = before;
        app::readPursuitTable(c.file, grid, settings);
        EXPECT_EQ(settings, c.expected);
        EXPECT_EQ(rowOf(grid, 5), c.row5);
        EXPECT_EQ(rowOf(grid, 0), rowOf(pursuitGrid(), 0));
    }
}

TEST(StartListFile, QueueCountTakesEffectWhereTheFileHasIt)
{
    MemoryGrid grid = pursuitGrid();
    PursuitTableSettings settings;
    std::vector<std::vector<std::string>> seen;  // antalKo, row 1 "Nr", row 2 "Nr" at each call
    app::readPursuitTable("Grid=1;5;;10.00.00;\r\nAntalko=2;\r\nGrid=2;6;;10.00.10;\r\nAntalko=3;\r\n", grid,
                          settings, [&] { seen.push_back({settings.antalKo, grid.Cell(0, 1), grid.Cell(0, 2)}); });
    const std::vector<std::vector<std::string>> expected = {{"2", "5", ""}, {"3", "5", "6"}};
    EXPECT_EQ(seen, expected);
}

TEST(StartListFile, ReadersFindWhatTheWritersWrote)
{
    const MemoryGrid interval = intervalGrid({
        {1, {"1", "50", "10.00.00", " 1.00", "1"}},
        {4, {" ", "60", "", "", ""}},
        {1500, {"\xC3\x85", "\xC3\xA4\xC3\xB6", "=", "\xC3\x9F", "9"}},
        {9999, {"1", "2", "3", "4", "5"}},
    });
    for (const IntervalTableSettings& settings :
         {IntervalTableSettings{0, true, 1}, IntervalTableSettings{3, false, 9}}) {
        MemoryGrid back = intervalGrid();
        IntervalTableSettings read{1, !settings.gran, 5};
        app::readIntervalTable(app::writeIntervalTable(interval, settings), back, read);
        EXPECT_EQ(allCells(back), allCells(interval));
        EXPECT_EQ(read, settings);
    }

    const MemoryGrid pursuit = pursuitGrid({
        {1, {"0", "", "10.00.00"}},
        {2, {"12", "1", "10.00.00"}},
        {3, {"", "", "10.00.30"}},
        {2000, {"J\xC3\xB6rn", "2", "11.00.00"}},
    });
    const PursuitTableSettings settings{"3", 360000000, true};
    MemoryGrid back = pursuitGrid();
    PursuitTableSettings read;
    app::readPursuitTable(app::writePursuitTable(pursuit, settings), back, read);
    EXPECT_EQ(allCells(back), allCells(pursuit));
    EXPECT_EQ(read, settings);
}

} // namespace
