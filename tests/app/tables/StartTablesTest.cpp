// The start tables: the send lists of "Sänd tider" in both command sets
// (the edges of the running reference, the tables the clock cannot be
// given), the interval-start row proposals, and an import appended to the
// pursuit-start grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>

#include "GridRows.h"
#include "app/tables/IntervalTable.h"
#include "app/tables/PursuitTable.h"
#include "app/tables/StartTableEncoders.h"

using namespace timevalues;

using app::IntervalEntry;
using namespace gridtest;
using std::make_tuple;
using Lines = std::vector<std::string>;
using Rows = std::vector<Row>;

namespace {

// Grids of the interval and the pursuit start holding `rows`, with a free row below.
app::MemoryGrid intervalGrid(const Rows& rows) { return gridOf(5, static_cast<int>(rows.size()) + 2, rows); }
app::MemoryGrid pursuitGrid(const Rows& rows) { return gridOf(4, static_cast<int>(rows.size()) + 2, rows); }

const Row kRow1To100 = {"1", "100", "10.00.00", " 0.30", "1"};
// A pursuit table of two queues, one starter out of time order (Nr, F, Tid).
const Rows kPursuit = {{"0", "", "10.00.00"},  {"12", "1", "10.00.00"}, {"7", "2", "10.00.30"}, {"3", "1", "10.01.15"},
                       {"25", "2", "10.07.00"}, {"40", "1", "10.06.00"}, {"41", "1", "10.05.00"}};

// New command set, interval start: ten-character records counted from the
// running reference, with absolute times where it is too far or not known,
// at most as many as the index counts.
TEST(Encoders, NewSetIntervalGivesTheRecords)
{
    struct Case { const char* name; Rows rows; Lines expected; };
    const Case cases[] = {
        {"one row", {kRow1To100}, {"000-108C63", "001-20013D", "002-30641E", "003-FFFFFF"}},
        {"second row follows the last start", {kRow1To100, {"101", "150", "10.50.00", " 1.00", "1"}},
         {"000-108C63", "001-20013D", "002-30641E", "003-20651E", "004-30963C", "005-FFFFFF"}},
        {"empty Till nr ends the table", {{"1", "", "10.00.00", " 0.30", "1"}, kRow1To100}, {"000-FFFFFF"}},
        {"early start counts from just before midnight", {{"1", "1", "00.03.00", " 0.30", "1"}},
         {"000-2001B4", "001-FFFFFF"}},
        {"exactly 250 seconds", {{"1", "1", "10.00.00", "", "1"}, {"2", "2", "10.04.10", "", "1"}},
         {"000-108C63", "001-20013D", "002-2002FA", "003-FFFFFF"}},
        {"251 seconds need an absolute time", {{"1", "1", "10.00.00", "", "1"}, {"2", "2", "10.04.11", "", "1"}},
         {"000-108C63", "001-20013D", "002-108D5E", "003-20023D", "004-FFFFFF"}},
        // After a range with several starters per start the next row sets
        // the reference anew.
        {"pair start then the proposed row", {{"1", "10", "10.00.00", " 1.00", "2"}, {"11", "11", "10.05.00", " 1.00", "1"}},
         {"000-108C63", "001-20013D", "002-420000", "003-300A3C", "004-420000", "005-108D8F", "006-200B3D",
          "007-FFFFFF"}},
        {"pair start then a row within 250 s of its first start",
         {{"1", "4", "10.00.00", " 1.00", "2"}, {"5", "5", "10.02.00", " 1.00", "1"}},
         {"000-108C63", "001-20013D", "002-420000", "003-30043C", "004-420000", "005-108CDB", "006-20053D",
          "007-FFFFFF"}},
        {"pair start without range keeps the reference",
         {{"1", "1", "10.00.00", " 1.00", "2"}, {"3", "3", "10.01.00", " 1.00", "1"}},
         {"000-108C63", "001-20013D", "002-420000", "003-20033C", "004-FFFFFF"}},
        {"fields at their limits", {{"0", "4095", "10.00.00", " 4.15", "15"}},
         {"000-108C63", "001-20003D", "002-4F0000", "003-3FFFFF", "004-4F0000", "005-FFFFFF"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::BuildTabVanlig(intervalGrid(c.rows)), c.expected) << c.name;
    // The three-digit index holds 1000 records, the end record among them.
    Rows rows;
    for (int i = 1; i <= 999; ++i)
        rows.push_back({std::to_string(i), std::to_string(i), "", "", "1"});
    EXPECT_EQ(app::BuildTabVanlig(intervalGrid(rows)).back(), "999-FFFFFF");
    rows.push_back({"1000", "1000", "", "", "1"});
    EXPECT_THROW(app::BuildTabVanlig(intervalGrid(rows)), app::StartTableError);
}

// Old command set, interval start: one line per start, up to the last moment
// the five-digit seconds field holds.
TEST(Encoders, OldSetIntervalGivesOneLinePerStart)
{
    const Lines lines = app::BuildOldVanlig(intervalGrid({kRow1To100}));
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(std::pair(lines[1], lines[99]), (std::pair<std::string, std::string>("S-0002-36030", "S-0100-38970")));
    const Rows pairs = {{"1", "10", "10.00.00", " 1.00", "2"}, {"9999", "9999", "27.46.39,9999", "", "1"}};
    EXPECT_EQ(app::BuildOldVanlig(intervalGrid(pairs)),
              (Lines{"S-0001-36000", "S-0003-36060", "S-0005-36120", "S-0007-36180", "S-0009-36240", "S-9999-99999"}));
}

// Pursuit start: the queue's starters in both sets, the queue start up to the
// last moment the old set's seconds field holds; every queue start is sent; a
// starter out of time order is left out of the new set and named.
TEST(Encoders, PursuitInBothSets)
{
    std::vector<int> leftOut;
    EXPECT_EQ(app::BuildTabJakt(pursuitGrid(kPursuit), 1, &leftOut),
              (Lines{"000-508C63", "001-700C3D", "002-70034B", "003-608DCB", "004-70283D"}));
    EXPECT_EQ(leftOut, std::vector<int>{41});
    EXPECT_EQ(app::leftOutMessage({8, 9}), "Nr 8, 9 startar före föregående start och sänds inte till klockan.");
    EXPECT_EQ(app::BuildOldJakt(pursuitGrid({{"0", "", "27.46.39,9999"}}), 1, "1"), Lines{"ELAPSE-1-99999"});
    // No integer in "Sänd Kö:" is queue 0: the starters without a queue.
    const app::MemoryGrid noQueue = pursuitGrid({{"3", "", "10.00.00"}, {"4", "1", "10.00.10"}});
    EXPECT_EQ(app::buildSendList(true, app::kPursuitStartTab, noQueue, noQueue, "?"), Lines{"S-0003-36000"});
    EXPECT_EQ(app::BuildOldJakt(pursuitGrid(kPursuit), 1, "1"),
              (Lines{"ELAPSE-1-36000", "S-0012-36000", "S-0003-36075", "S-0040-36360", "S-0041-36300"}));
    // The new set ends at an empty "Nr", the old set at an empty "Tid" (an
    // empty "Nr" is a queue start there).
    const app::MemoryGrid grid = pursuitGrid({{"0", "", "10.00.00"}, {"0", "2", "10.20.00"}, {"6", "", "10.20.10"},
                                              {"", "", "10.30.00"}, {"5", "", ""}, {"8", "", "10.40.00"}});
    EXPECT_EQ(app::BuildTabJakt(grid, 0), (Lines{"000-508C63", "001-509113", "002-700647"}));
    EXPECT_EQ(app::BuildOldJakt(grid, 0, "x"),
              (Lines{"ELAPSE-x-36000", "ELAPSE-x-37200", "S-0006-37210", "ELAPSE-x-37800"}));
}

// A table the clock cannot be given raises, naming the row and the reason.
TEST(Encoders, RefusedTableRaisesNamingTheRow)
{
    using Build = std::function<void(const Rows&)>;
    const Build tabVanlig = [](const Rows& r) { app::BuildTabVanlig(intervalGrid(r)); };
    const Build oldVanlig = [](const Rows& r) { app::BuildOldVanlig(intervalGrid(r)); };
    const Build tabJakt = [](const Rows& r) { app::BuildTabJakt(pursuitGrid(r), 1); };
    const Build oldJakt = [](const Rows& r) { app::BuildOldJakt(pursuitGrid(r), 1, "1"); };
    const Build negativeQueue = [](auto&) { app::buildSendList(false, 1, intervalGrid({}), pursuitGrid({}), "-1"); };
    const std::tuple<Build, Rows, std::string> cases[] = {
        {tabVanlig, {kRow1To100, {"6", "x7", "", "", "1"}}, "Rad 2: \"x7\" i Till nr är inget heltal"},
        {oldVanlig, {{"1", "5", "", "", "0"}}, "Rad 1: Ant/sta 0 är färre än en startande per start"},
        {tabVanlig, {{"1", "5", "10.00.00", "", "16"}}, "Rad 1: Ant/sta 16 ryms inte i klockans tabell (1 till 15)"},
        {tabVanlig, {{"1", "4096", "", "", "1"}}, "Rad 1: numret 4096 ryms inte i klockans tabell (0 till 4095)"},
        {tabVanlig, {{"-1", "5", "", "", "1"}}, "Rad 1: numret -1 ryms inte i klockans tabell (0 till 4095)"},
        {oldVanlig, {{"9999", "10000", "", "", "1"}}, "Rad 1: numret 10000 ryms inte i klockans tabell (0 till 9999)"},
        {tabVanlig, {{"1", "5", "", " 4.16", "1"}}, "Rad 1: Difftid 256 s ryms inte i klockans tabell (högst 255 s)"},
        {tabVanlig, {{"1", "10", "10.00.00", " 1.00", "2"}, {"11", "11", "10.03.59", "", "1"}},
         "Rad 2: första starten 10.03.59 ligger före föregående start 10.04.00"},
        {tabVanlig, {{"1", "2", "10.00.00", "", "1"}, {"3", "3", "09.59.59", "", "1"}},
         "Rad 2: första starten 09.59.59 ligger före föregående start 10.00.00"},
        {oldVanlig, {{"1", "2", "27.46.39", " 0.01", "1"}}, "Rad 1: starttiden 27.46.40 ryms inte i klockans sekundfält"},
        {tabJakt, {{"0", "", "00.01.00"}}, "Rad 1: starten 00.01.00 ligger före 00.01.01 och kan inte ges som klockslag"},
        {negativeQueue, {}, "Sänd Kö -1 är ingen kö"},
        {oldJakt, {{"0", "", "27.46.40"}}, "Rad 1: köstarten 27.46.40 ryms inte i klockans sekundfält"},
    };
    for (const auto& [build, rows, message] : cases)
        EXPECT_EQ(errorOf<app::StartTableError>([&] { build(rows); }), message);
}

const Row kHundredFromTen = {"1", "100", "10.00.00", "   30", "1"};
constexpr TTid kTen = hms(10, 0, 0);
constexpr TTid k30s = hms(0, 0, 30);

// A row selected is completed from the row above: numbers after its last,
// a first start one interval after its last start (starts in groups of its
// starters per start, fewer than one counting as one), its interval.
// Starters per start come from the row itself, within 1..9.
TEST(IntervalTable, ProposalCompletesTheRowFromTheRowAbove)
{
    const std::tuple<const char*, Rows, int, IntervalEntry> cases[] = {
        {"first row of an empty grid", {}, 1, {0, 0, 0, 0, 1}},
        {"after one starter per start", {kHundredFromTen}, 2, {101, 101, hms(10, 50, 0), k30s, 1}},
        {"after pairs", {{"1", "10", "10.00.00", " 1.00", "2"}}, 2, {11, 11, hms(10, 5, 0), hms(0, 1, 0), 1}},
        {"own from below the to above", {kHundredFromTen, {"50", "60"}}, 2, {101, 101, hms(10, 50, 0), k30s, 1}},
        {"own from above its to", {kHundredFromTen, {"150", "120"}}, 2, {150, 150, hms(10, 50, 0), k30s, 1}},
        {"own times to the hundredth", {kHundredFromTen, {"101", "101", "11.00.00,55", "   30,05"}}, 2,
         {101, 101, hms(11, 0, 0) + 5500, k30s + 500, 1}},
        {"own values kept", {kHundredFromTen, {"200", "250", "11.00.00", " 1.00", "3"}}, 2,
         {200, 250, hms(11, 0, 0), hms(0, 1, 0), 3}},
        {"own starters below 1", {{"5", "9", "10.00.00", "   30", "0"}}, 1, {5, 9, kTen, k30s, 1}},
        {"own starters above 9", {{"5", "9", "10.00.00", "   30", "12"}}, 1, {5, 9, kTen, k30s, 9}},
        {"0 starters above", {{"1", "10", "10.00.00", " 1.00", "0"}}, 2, {11, 11, hms(10, 10, 0), hms(0, 1, 0), 1}},
        {"from 0 above: no start", {{"0", "0", "10.00.00", "   30", "1"}}, 2, {0, 0, 0, k30s, 1}},
        {"largest number above", {{"1", "2147483647", "10.00.00", "   30", "1"}}, 2, {INT_MAX, INT_MAX, INT32_MAX, k30s, 1}},
    };
    for (const auto& [name, rows, row, e] : cases) {
        const IntervalEntry got = app::proposeIntervalRow(intervalGrid(rows), row);
        EXPECT_EQ(std::tie(got.from, got.to, got.start, got.interval, got.starters),
                  std::tie(e.from, e.to, e.start, e.interval, e.starters)) << name;
    }
}

// The entry fields go back into their row only as a valid row: both sides of
// each bound, on a grid of data rows 1 and 2.
TEST(IntervalTable, EntryIsWrittenBackOnlyAsAValidRow)
{
    const IntervalEntry ok{1, 1, kTen, k30s, 1};
    const auto with = [&ok](auto IntervalEntry::*field, auto value) { IntervalEntry e = ok; return e.*field = value, e; };
    const Row written{"1", "1", "10.00.00", "   30", "1"};
    const std::tuple<const char*, int, IntervalEntry, Row> cases[] = {
        {"row 0", 0, ok, Row(5)}, {"row 1", 1, ok, written}, {"last row", 2, ok, written}, {"beyond", 3, ok, Row(5)},
        {"from 0", 1, with(&IntervalEntry::from, 0), Row(5)},
        {"to below from", 1, {2, 1, kTen, k30s, 1}, Row(5)},
        {"start 0.01 s", 1, with(&IntervalEntry::start, 100), Row(5)},
        {"start above 0.01 s", 1, with(&IntervalEntry::start, 101), {"1", "1", "00.00.00", "   30", "1"}},
        {"interval 0.01 s", 1, with(&IntervalEntry::interval, 100), Row(5)},
        {"interval above 0.01 s", 1, with(&IntervalEntry::interval, 101), {"1", "1", "10.00.00", "   00", "1"}},
        {"starters 0", 1, with(&IntervalEntry::starters, 0), written},
        {"starters 10", 1, with(&IntervalEntry::starters, 10), {"1", "1", "10.00.00", "   30", "9"}},
        {"starters 9", 1, with(&IntervalEntry::starters, 9), {"1", "1", "10.00.00", "   30", "9"}},
    };
    for (const auto& [what, row, entry, expected] : cases) {
        app::MemoryGrid grid = gridOf(5, 2, {});
        const bool taken = expected != Row(5);
        Row both(10);
        if (taken)
            std::ranges::copy(expected, both.begin() + (row - 1) * 5);
        EXPECT_EQ(app::writeIntervalRow(grid, row, entry), taken) << what;
        EXPECT_EQ(cellsOf(grid, -1, 1, 2), both) << what;
    }
}

// Queues are dealt out in row order and begin again below each queue start;
// "Diff" is the time behind the queue start above; a shift moves only the
// selected rows with a number, and may make a time negative.
TEST(PursuitTable, QueuesDiffAndShiftFollowTheQueueStarts)
{
    app::MemoryGrid grid = gridOf(4, 8,
                                  {{"5", "", "0.00.20", ""}, {"0", "F", "10.00.00", "keep"}, {"1", "", "10.00.30", ""},
                                   {"", "x", "10.00.40", "x"}, {"2", "", "10.01.00", ""}, {"3", "", "10.02.00", ""},
                                   {"0", "", "11.00.00", ""}, {"4", "", "10.59.00", ""}});
    app::numberQueues(grid, 2);
    EXPECT_EQ(columnOf(grid, 1, 8), (Row{"1", "F", "1", "x", "2", "1", "", "1"}));
    app::numberQueues(grid, 0);
    EXPECT_EQ(columnOf(grid, 1, 8), (Row{"1", "F", "1", "x", "1", "1", "", "1"}));

    app::fixDiff(grid);
    EXPECT_EQ(columnOf(grid, 3, 8), (Row{"    0.20", "keep", "    0.30", "x", "    1.00", "    2.00", "", "   -1.00"}));

    grid.SetSelection(1, 4);
    app::shiftSelectedStarts(grid, -30 * kTidSecond);
    EXPECT_EQ(columnOf(grid, 2, 8),
              (Row{"    -.10", " 9.59.30", "10.00.00", "10.00.40", "10.01.00", "10.02.00", "11.00.00", "10.59.00"}));
}

// An import ("Id", "Tid" down to the first empty "Id") goes below the last
// row with a number, as a queue start with the first time and its
// starters; an earlier time is an offset from the first.
TEST(PursuitTable, ImportAppendsBelowTheLastNumberedRow)
{
    app::MemoryGrid grid = gridOf(4, 100,
                                  {{"0", "", "10.00.00", ""}, {"1", "1", "10.00.00", "    0.00"},
                                   {"", "1", "10.00.30", "    0.30"},  // number removed by hand
                                   {"3", "1", "10.01.00", "    1.00"}, {"", "2", "stale", "stale"}});
    const app::MemoryGrid result =
        gridOf(2, 20, {{"20", "11.00.00"}, {"21", "    0.30"}, {"22", "11.01.00"}, {"", "x"}, {"9", "x"}});
    const app::AppendedImport outcome = app::appendImport(grid, result);
    EXPECT_EQ(make_tuple(outcome.starters, outcome.cutOff), std::make_tuple(3, false));
    EXPECT_EQ(gridtest::cellsOf(grid, -1, 3, 9),
              (Row{"", "1", "10.00.30", "    0.30", "3", "1", "10.01.00", "    1.00", "0", "", "11.00.00", "",
                   "20", "", "11.00.00", "", "21", "", "11.00.30", "", "22", "", "11.01.00", "", "", "", "", ""}));
    EXPECT_EQ(app::appendImport(grid, gridOf(2, 20, {})).starters, 0);
    EXPECT_EQ(grid.Cell(0, 9), "");
}

// What does not fit above the last data row is cut off, and the operator is
// told; nothing is written unless the queue start and a starter fit.
TEST(PursuitTable, ImportIsCutOffAtTheLastDataRow)
{
    // Rows in use of 5 ("Nr" 91, 92, ...), starters offered; starters written, cut off, "Nr" after.
    const std::tuple<int, int, int, bool, Row> cases[] = {
        {2, 2, 2, false, {"91", "92", "0", "1", "2"}}, {2, 3, 2, true, {"91", "92", "0", "1", "2"}},
        {0, 50, 4, true, {"0", "1", "2", "3", "4"}}, {4, 1, 0, true, {"91", "92", "93", "94", ""}},
    };
    for (const auto& [used, offered, starters, cutOff, nrs] : cases) {
        app::MemoryGrid grid(4, 6), result(2, offered + 1);
        for (int r = 1; r <= used; ++r)
            grid.SetCell(0, r, "9" + std::to_string(r));
        for (int r = 1; r <= offered; ++r)
            result.SetCell(0, r, std::to_string(r)), result.SetCell(1, r, "10.00.00");
        const app::AppendedImport outcome = app::appendImport(grid, result);
        EXPECT_EQ(make_tuple(outcome.starters, outcome.cutOff, columnOf(grid, 0, 5)), make_tuple(starters, cutOff, nrs))
            << used << " used, " << offered << " offered";
    }
    EXPECT_EQ(app::cutOffMessage({2, true, 3}), "Tabellen rymmer inte hela filen: 2 av 3 startande lästes in.");
}

} // namespace
