// The send lists of "Sänd tider": the worked tables of both command sets, the
// edges of the running reference, and the tables the clock cannot be given.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/StartTableEncoders.h"

using app::MemoryGrid;
using Lines = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

namespace {

// A grid with `rows` from row 1 down and empty rows below them.
MemoryGrid gridOf(int cols, const Rows& rows, int rowCount = 0)
{
    MemoryGrid grid(cols, rowCount > 0 ? rowCount : static_cast<int>(rows.size()) + 3);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            grid.SetCell(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
    return grid;
}

MemoryGrid intervalGrid(const Rows& rows) { return gridOf(5, rows); }
MemoryGrid pursuitGrid(const Rows& rows) { return gridOf(4, rows); }

// The pursuit table of the worked example (Nr, F, Tid).
const Rows kPursuitExample = {{"0", "", "10.00.00"},  {"12", "1", "10.00.00"}, {"7", "2", "10.00.30"},
                              {"3", "1", "10.01.15"}, {"25", "2", "10.07.00"}, {"40", "1", "10.06.00"},
                              {"41", "1", "10.05.00"}};

void expectRecordsFitTheirWidth(const Lines& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].size(), 10u) << lines[i];
        EXPECT_EQ(std::stoi(lines[i].substr(0, 3)), static_cast<int>(i)) << lines[i];
    }
}

struct IntervalCase {
    const char* name;
    Rows rows;
    Lines expected;
};

void PrintTo(const IntervalCase& c, std::ostream* out) { *out << c.name; }

class NewSetInterval : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(NewSetInterval, GivesTheRecords)
{
    const Lines lines = app::BuildTabVanlig(intervalGrid(GetParam().rows));
    EXPECT_EQ(lines, GetParam().expected);
    expectRecordsFitTheirWidth(lines);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, NewSetInterval,
    ::testing::Values(
        IntervalCase{"OneRow", {{"1", "100", "10.00.00", " 0.30", "1"}},
                     {"000-108C63", "001-20013D", "002-30641E", "003-FFFFFF"}},
        IntervalCase{"SecondRowFollowsTheLastStart",
                     {{"1", "100", "10.00.00", " 0.30", "1"}, {"101", "150", "10.50.00", " 1.00", "1"}},
                     {"000-108C63", "001-20013D", "002-30641E", "003-20651E", "004-30963C", "005-FFFFFF"}},
        IntervalCase{"EmptyGrid", {}, {"000-FFFFFF"}},
        IntervalCase{"RowsBelowAnEmptyTillNrAreNotRead",
                     {{"1", "", "10.00.00", " 0.30", "1"}, {"2", "5", "10.00.00", " 0.30", "1"}},
                     {"000-FFFFFF"}},
        IntervalCase{"EarlyStartCountsFromJustBeforeMidnight", {{"1", "1", "00.03.00", " 0.30", "1"}},
                     {"000-2001B4", "001-FFFFFF"}},
        IntervalCase{"StartAtMidnight", {{"7", "7", "00.00.00", " 0.30", "1"}}, {"000-200700", "001-FFFFFF"}},
        IntervalCase{"Exactly250SecondsNeedNoAbsoluteTime",
                     {{"1", "1", "10.00.00", " 0.30", "1"}, {"2", "2", "10.04.10", " 0.30", "1"}},
                     {"000-108C63", "001-20013D", "002-2002FA", "003-FFFFFF"}},
        IntervalCase{"251SecondsNeedAnAbsoluteTime",
                     {{"1", "1", "10.00.00", " 0.30", "1"}, {"2", "2", "10.04.11", " 0.30", "1"}},
                     {"000-108C63", "001-20013D", "002-108D5E", "003-20023D", "004-FFFFFF"}},
        IntervalCase{"SameTimeAsTheLastStart",
                     {{"1", "1", "10.00.00", " 0.30", "1"}, {"2", "2", "10.00.00", " 0.30", "1"}},
                     {"000-108C63", "001-20013D", "002-200200", "003-FFFFFF"}},
        // Several starters per start: the row after the range sets the
        // clock's reference anew, one interval after the row's last start.
        IntervalCase{"PairStartThenTheProposedRow",
                     {{"1", "10", "10.00.00", " 1.00", "2"}, {"11", "11", "10.05.00", " 1.00", "1"}},
                     {"000-108C63", "001-20013D", "002-420000", "003-300A3C", "004-420000", "005-108D8F",
                      "006-200B3D", "007-FFFFFF"}},
        IntervalCase{"PairStartWithoutRangeKeepsTheReference",
                     {{"1", "1", "10.00.00", " 1.00", "2"}, {"3", "3", "10.01.00", " 1.00", "1"}},
                     {"000-108C63", "001-20013D", "002-420000", "003-20033C", "004-FFFFFF"}},
        IntervalCase{"FieldsAtTheirLimits", {{"0", "4095", "10.00.00", " 4.15", "15"}},
                     {"000-108C63", "001-20003D", "002-4F0000", "003-3FFFFF", "004-4F0000", "005-FFFFFF"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OldSetInterval, OneLinePerStart)
{
    const Lines lines = app::BuildOldVanlig(intervalGrid({{"1", "100", "10.00.00", " 0.30", "1"}}));
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines[0], "S-0001-36000");
    EXPECT_EQ(lines[1], "S-0002-36030");
    EXPECT_EQ(lines[99], "S-0100-38970");

    EXPECT_EQ(app::BuildOldVanlig(intervalGrid({{"1", "10", "10.00.00", " 1.00", "2"}})),
              (Lines{"S-0001-36000", "S-0003-36060", "S-0005-36120", "S-0007-36180", "S-0009-36240"}));
    EXPECT_EQ(app::BuildOldVanlig(intervalGrid({{"9999", "9999", "27.46.39", " 1.00", "1"}})),
              Lines{"S-9999-99999"});
    EXPECT_TRUE(app::BuildOldVanlig(intervalGrid({})).empty());
    EXPECT_TRUE(app::BuildOldVanlig(intervalGrid({{"5", "3", "10.00.00", " 1.00", "1"}})).empty());
}

TEST(Pursuit, WorkedExampleInBothSets)
{
    const MemoryGrid grid = pursuitGrid(kPursuitExample);
    const Lines tab = app::BuildTabJakt(grid, 1);
    // Number 41 starts before the running reference and is left out.
    EXPECT_EQ(tab, (Lines{"000-508C63", "001-700C3D", "002-70034B", "003-608DCB", "004-70283D"}));
    expectRecordsFitTheirWidth(tab);
    EXPECT_EQ(app::BuildOldJakt(grid, 1, "1"),
              (Lines{"ELAPSE-1-36000", "S-0012-36000", "S-0003-36075", "S-0040-36360", "S-0041-36300"}));
}

TEST(Pursuit, EveryQueueStartIsSentAndResetsTheReference)
{
    const MemoryGrid grid = pursuitGrid({{"0", "", "10.00.00"},
                                         {"12", "1", "10.00.00"},
                                         {"0", "2", "10.20.00"},
                                         {"5", "2", "10.20.00"},
                                         {"6", "1", "10.20.10"}});
    EXPECT_EQ(app::BuildTabJakt(grid, 1), (Lines{"000-508C63", "001-700C3D", "002-509113", "003-700647"}));
    EXPECT_EQ(app::BuildOldJakt(grid, 2, "2"),
              (Lines{"ELAPSE-2-36000", "ELAPSE-2-37200", "S-0005-37200"}));
}

TEST(Pursuit, TheTwoSetsEndTheTableAtDifferentCells)
{
    // Row 2 has no number but a time: the new set ends there; the old set
    // takes it as a queue start and goes on to the first empty time.
    const MemoryGrid grid = pursuitGrid({{"0", "", "10.00.00"}, {"", "", "10.10.00"}, {"4", "", "10.10.30"},
                                         {"5", "", ""}, {"6", "", "10.11.00"}});
    EXPECT_EQ(app::BuildTabJakt(grid, 0), Lines{"000-508C63"});
    EXPECT_EQ(app::BuildOldJakt(grid, 0, "x"), (Lines{"ELAPSE-x-36000", "ELAPSE-x-36600", "S-0004-36630"}));
}

TEST(SendList, ChoosesTheTableByTabAndCommandSet)
{
    const MemoryGrid interval = intervalGrid({{"1", "2", "10.00.00", " 0.30", "1"}});
    const MemoryGrid pursuit = pursuitGrid(kPursuitExample);
    EXPECT_EQ(app::buildSendList(false, 0, interval, pursuit, "1").size(), 4u);
    EXPECT_EQ(app::buildSendList(true, 0, interval, pursuit, "1"), (Lines{"S-0001-36000", "S-0002-36030"}));
    EXPECT_EQ(app::buildSendList(false, 1, interval, pursuit, "1").size(), 5u);
    EXPECT_EQ(app::buildSendList(true, 1, interval, pursuit, "2"), (Lines{"ELAPSE-2-36000", "S-0007-36030",
                                                                          "S-0025-36420"}));
    // No integer in "Sänd Kö:": queue 0, the starters without a queue.
    EXPECT_EQ(app::buildSendList(true, 1, interval, pursuitGrid({{"3", "", "10.00.00"}, {"4", "1", "10.00.10"}}),
                                 "?"),
              Lines{"S-0003-36000"});
    EXPECT_TRUE(app::buildSendList(false, 2, interval, pursuit, "1").empty());
    EXPECT_TRUE(app::buildSendList(true, 2, interval, pursuit, "1").empty());
}

TEST(SendList, ReadsAFullGridDownToItsLastDataRow)
{
    MemoryGrid grid(5, 10000);
    for (int row = 1; row < grid.RowCount(); ++row)
        for (int col = 0; col < 5; ++col)
            grid.SetCell(col, row, std::vector<std::string>{"1", "1", "10.00.00", " 0.30", "1"}[col]);
    EXPECT_EQ(app::BuildOldVanlig(grid).size(), 9999u);
}

// ---- tables the clock cannot be given ----

enum class Builder { TabVanlig, OldVanlig, TabJakt, OldJakt, SendListJakt };

struct Refusal {
    const char* name;
    Builder builder;
    Rows rows;
    std::string message;
};

void PrintTo(const Refusal& c, std::ostream* out) { *out << c.name; }

class RefusedTable : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedTable, RaisesNamingTheRow)
{
    const Refusal& p = GetParam();
    try {
        switch (p.builder) {
        case Builder::TabVanlig: app::BuildTabVanlig(intervalGrid(p.rows)); break;
        case Builder::OldVanlig: app::BuildOldVanlig(intervalGrid(p.rows)); break;
        case Builder::TabJakt: app::BuildTabJakt(pursuitGrid(p.rows), 1); break;
        case Builder::OldJakt: app::BuildOldJakt(pursuitGrid(p.rows), 1, "1"); break;
        case Builder::SendListJakt: app::buildSendList(false, 1, intervalGrid({}), pursuitGrid(p.rows), "-1"); break;
        }
        ADD_FAILURE() << "no error";
    } catch (const app::StartTableError& e) {
        EXPECT_EQ(std::string(e.what()), p.message);
    }
}

const Rows kGoodRow = {{"1", "5", "10.00.00", " 0.30", "1"}};

Rows withSecondRow(std::vector<std::string> row)
{
    Rows rows = kGoodRow;
    rows.push_back(std::move(row));
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, RefusedTable,
    ::testing::Values(
        Refusal{"NoInteger", Builder::TabVanlig, withSecondRow({"6", "x7", "10.00.00", " 0.30", "1"}),
                "Rad 2: \"x7\" i Till nr är inget heltal"},
        Refusal{"EmptyStarters", Builder::OldVanlig, withSecondRow({"6", "7", "10.00.00", " 0.30", ""}),
                "Rad 2: \"\" i Ant/sta är inget heltal"},
        Refusal{"NoStartersOld", Builder::OldVanlig, {{"1", "5", "10.00.00", " 0.30", "0"}},
                "Rad 1: Ant/sta 0 är färre än en startande per start"},
        Refusal{"NegativeStartersNew", Builder::TabVanlig, {{"1", "5", "10.00.00", " 0.30", "-2"}},
                "Rad 1: Ant/sta -2 är färre än en startande per start"},
        Refusal{"TooManyStarters", Builder::TabVanlig, {{"1", "5", "10.00.00", " 0.30", "16"}},
                "Rad 1: Ant/sta 16 ryms inte i klockans tabell (1 till 15)"},
        Refusal{"NumberTooLarge", Builder::TabVanlig, {{"1", "4096", "10.00.00", " 0.30", "1"}},
                "Rad 1: numret 4096 ryms inte i klockans tabell (0 till 4095)"},
        Refusal{"NegativeNumber", Builder::TabVanlig, {{"-1", "5", "10.00.00", " 0.30", "1"}},
                "Rad 1: numret -1 ryms inte i klockans tabell (0 till 4095)"},
        Refusal{"NumberTooLargeOld", Builder::OldVanlig, {{"9998", "10000", "10.00.00", " 0.30", "1"}},
                "Rad 1: numret 10000 ryms inte i klockans tabell (0 till 9999)"},
        Refusal{"IntervalTooLong", Builder::TabVanlig, {{"1", "5", "10.00.00", " 4.16", "1"}},
                "Rad 1: Difftid 256 s ryms inte i klockans tabell (högst 255 s)"},
        Refusal{"RowBeforeTheLastStart", Builder::TabVanlig, withSecondRow({"6", "7", "10.01.59", " 0.30", "1"}),
                "Rad 2: första starten 10.01.59 ligger före föregående start 10.02.00"},
        Refusal{"PairRowBeforeTheLastStart", Builder::TabVanlig,
                {{"1", "10", "10.00.00", " 1.00", "2"}, {"11", "11", "10.03.59", " 1.00", "1"}},
                "Rad 2: första starten 10.03.59 ligger före föregående start 10.04.00"},
        Refusal{"StartPastFiveDigitSeconds", Builder::OldVanlig, {{"1", "2", "27.46.39", " 0.01", "1"}},
                "Rad 1: starttiden 27.46.40 ryms inte i klockans sekundfält"},
        Refusal{"QueueStartTooEarly", Builder::TabJakt, {{"0", "", "00.01.00"}},
                "Rad 1: starten 00.01.00 ligger före 00.01.01 och kan inte ges som klockslag"},
        Refusal{"StarterNumberTooLarge", Builder::TabJakt, {{"0", "", "10.00.00"}, {"4096", "1", "10.00.10"}},
                "Rad 2: numret 4096 ryms inte i klockans tabell (0 till 4095)"},
        Refusal{"QueueNoInteger", Builder::OldJakt, {{"3", "ett", "10.00.00"}}, "Rad 1: \"ett\" i F är inget heltal"},
        Refusal{"ElapsePastFiveDigitSeconds", Builder::OldJakt, {{"0", "", "27.46.40"}},
                "Rad 1: köstarten 27.46.40 ryms inte i klockans sekundfält"},
        Refusal{"NegativeQueue", Builder::SendListJakt, {}, "Sänd Kö -1 är ingen kö"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RefusedTable, MoreRecordsThanTheIndexCounts)
{
    // One record per row: 999 rows and the end record fill the index.
    Rows rows;
    for (int i = 0; i < 999; ++i)
        rows.push_back({std::to_string(i + 1), std::to_string(i + 1), "00.00.00", " 0.00", "1"});
    EXPECT_EQ(app::BuildTabVanlig(intervalGrid(rows)).back(), "999-FFFFFF");
    rows.push_back({"1000", "1000", "00.00.00", " 0.00", "1"});
    EXPECT_THROW(app::BuildTabVanlig(intervalGrid(rows)), app::StartTableError);
}

} // namespace
