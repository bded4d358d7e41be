// The pursuit-start grid: queue numbering, the difference column, shifting
// the selected start times and appending an import.
#include <gtest/gtest.h>

#include "GridRows.h"
#include "app/PursuitTable.h"

using gridtest::columnOf;
using gridtest::gridOf;
using gridtest::hms;
using gridtest::Row;
using gridtest::rowOf;

namespace {

constexpr int kCols = 4;
constexpr int kNr = 0;
constexpr int kF = 1;
constexpr int kTid = 2;
constexpr int kDiff = 3;

std::vector<std::string> nrOnly(std::initializer_list<const char*> nrs)
{
    return {nrs.begin(), nrs.end()};
}

app::MemoryGrid gridOfNrs(const std::vector<std::string>& nrs, const std::string& f)
{
    app::MemoryGrid grid(kCols, 101);
    for (std::size_t i = 0; i < nrs.size(); ++i) {
        grid.SetCell(kNr, static_cast<int>(i) + 1, nrs[i]);
        grid.SetCell(kF, static_cast<int>(i) + 1, f);
    }
    return grid;
}

TEST(PursuitTable, QueuesAreDealtOutInRowOrder)
{
    struct Case {
        const char* name;
        int queues;
        std::vector<std::string> nrs;
        std::vector<std::string> f;  // "k": kept as it was
    };
    const std::vector<Case> cases = {
        {"three queues, two queue starts", 3, nrOnly({"0", "5", "6", "7", "8", "0", "9"}),
         nrOnly({"k", "1", "2", "3", "1", "k", "1"})},
        {"two zeros are a starter", 3, nrOnly({"0", "00", "6"}), nrOnly({"k", "1", "2"})},
        {"empty Nr skipped, queue kept", 2, nrOnly({"5", "", "6", "7"}), nrOnly({"1", "k", "2", "1"})},
        {"starters above the first queue start", 2, nrOnly({"5", "6", "7", "0", "8"}),
         nrOnly({"1", "2", "1", "k", "1"})},
        {"one queue", 1, nrOnly({"0", "5", "6", "7"}), nrOnly({"k", "1", "1", "1"})},
        {"no queues counts as one", 0, nrOnly({"5", "6"}), nrOnly({"1", "1"})},
        {"negative queues counts as one", -4, nrOnly({"5", "6"}), nrOnly({"1", "1"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app::MemoryGrid grid = gridOfNrs(c.nrs, "k");
        app::numberQueues(grid, c.queues);
        EXPECT_EQ(columnOf(grid, kF, static_cast<int>(c.nrs.size())), c.f);
    }
}

TEST(PursuitTable, DiffIsTheTimeBehindTheQueueStartAbove)
{
    app::MemoryGrid grid = gridOf(kCols, 100,
                                  {
                                      {"5", "1", " 9.59.00", "old"},
                                      {"0", "", "10.00.00", "kept"},
                                      {"12", "1", "10.00.30", "old"},
                                      {"13", "2", "10.01.15", ""},
                                      {"", "", "10.05.00", "untouched"},
                                      {"0", "", "11.00.00", ""},
                                      {"14", "1", "11.00.45", ""},
                                  });
    app::fixDiff(grid);
    EXPECT_EQ(columnOf(grid, kDiff, 7), (std::vector<std::string>{" 9.59.00", "kept", "    0.30", "    1.15",
                                                                   "untouched", "", "    0.45"}));
}

TEST(PursuitTable, ShiftMovesTheSelectedRowsOnly)
{
    struct Case {
        const char* name;
        int top;
        int bottom;
        TTid amount;
        std::vector<std::string> tid;
    };
    const std::vector<Case> cases = {
        {"add to rows 2..4", 2, 4, hms(0, 1, 0),
         nrOnly({"10.00.00", "10.01.00", "10.00.30", "10.02.00", "10.02.00"})},
        {"sub from the queue start", 1, 1, -hms(1, 0, 0),
         nrOnly({" 9.00.00", "10.00.00", "10.00.30", "10.01.00", "10.02.00"})},
        {"selection beyond the grid", -5, 999, hms(0, 0, 1),
         nrOnly({"10.00.01", "10.00.01", "10.00.30", "10.01.01", "10.02.01"})},
        {"sub past midnight", 2, 2, -hms(10, 0, 30), nrOnly({"10.00.00", "    -.30", "10.00.30", "10.01.00", "10.02.00"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app::MemoryGrid grid = gridOf(kCols, 6,
                                      {
                                          {"0", "", "10.00.00"},
                                          {"1", "1", "10.00.00"},
                                          {"", "", "10.00.30"},  // no number: stays
                                          {"3", "1", "10.01.00"},
                                          {"4", "2", "10.02.00"},
                                      });
        grid.SetSelection(c.top, c.bottom);
        app::shiftSelectedStarts(grid, c.amount);
        EXPECT_EQ(columnOf(grid, kTid, 5), c.tid);
    }
}

// An import result as the dialog leaves it: "Id" and "Tid" from row 1 down.
app::MemoryGrid resultOf(const std::vector<Row>& rows)
{
    return gridOf(2, static_cast<int>(rows.size()) + 19, rows);
}

TEST(PursuitTable, ImportAppendsAQueueStartAndItsStarters)
{
    app::MemoryGrid grid(kCols, 10000);
    const app::MemoryGrid result = resultOf({{"1", "10.00.00"}, {"2", "    0.30"}, {"3", "10.01.00"}});
    const app::AppendedImport outcome = app::appendImport(grid, result);
    EXPECT_EQ(outcome.starters, 3);
    EXPECT_FALSE(outcome.cutOff);
    EXPECT_EQ(rowOf(grid, 1), (Row{"0", "", "10.00.00", ""}));
    EXPECT_EQ(rowOf(grid, 2), (Row{"1", "", "10.00.00", ""}));
    EXPECT_EQ(rowOf(grid, 3), (Row{"2", "", "10.00.30", ""}));
    EXPECT_EQ(rowOf(grid, 4), (Row{"3", "", "10.01.00", ""}));
    EXPECT_EQ(rowOf(grid, 5), (Row{"", "", "", ""}));

    // A second import goes below the first block, with its own queue start,
    // whose time text is taken as the dialog wrote it.
    const app::MemoryGrid second = resultOf({{"7", " 9.05.00"}, {"8", " 9.05.30"}});
    EXPECT_EQ(app::appendImport(grid, second).starters, 2);
    EXPECT_EQ(rowOf(grid, 5), (Row{"0", "", " 9.05.00", ""}));
    EXPECT_EQ(rowOf(grid, 6), (Row{"7", "", " 9.05.00", ""}));
    EXPECT_EQ(rowOf(grid, 7), (Row{"8", "", " 9.05.30", ""}));
}

TEST(PursuitTable, ImportStopsAtTheFirstEmptyId)
{
    app::MemoryGrid grid(kCols, 100);
    const app::MemoryGrid result = resultOf({{"1", "10.00.00"}, {"", "10.00.30"}, {"3", "10.01.00"}});
    EXPECT_EQ(app::appendImport(grid, result).starters, 1);
    EXPECT_EQ(grid.Cell(kNr, 3), "");

    const app::MemoryGrid empty = resultOf({});
    EXPECT_EQ(app::appendImport(grid, empty).starters, 0);
    EXPECT_EQ(grid.Cell(kNr, 3), "");
}

TEST(PursuitTable, ImportNeverWritesOverRowsBelowAnEmptiedNumber)
{
    app::MemoryGrid grid = gridOf(kCols, 100,
                                  {
                                      {"0", "", "10.00.00", ""},
                                      {"1", "1", "10.00.00", "    0.00"},
                                      {"", "1", "10.00.30", "    0.30"},  // number removed by hand
                                      {"3", "1", "10.01.00", "    1.00"},
                                      {"", "2", "stale", "stale"},
                                  });
    const app::MemoryGrid result = resultOf({{"20", "11.00.00"}, {"21", "11.00.30"}});
    EXPECT_EQ(app::appendImport(grid, result).starters, 2);
    EXPECT_EQ(rowOf(grid, 3), (Row{"", "1", "10.00.30", "    0.30"}));
    EXPECT_EQ(rowOf(grid, 4), (Row{"3", "1", "10.01.00", "    1.00"}));
    EXPECT_EQ(rowOf(grid, 5), (Row{"0", "", "11.00.00", ""}));
    EXPECT_EQ(rowOf(grid, 6), (Row{"20", "", "11.00.00", ""}));
    EXPECT_EQ(rowOf(grid, 7), (Row{"21", "", "11.00.30", ""}));
}

TEST(PursuitTable, ImportIsCutOffAtTheLastDataRow)
{
    struct Case {
        const char* name;
        int used;      // rows in use of 5 data rows
        int results;   // result rows
        int starters;  // starters written
        bool cutOff;
    };
    const std::vector<Case> cases = {
        {"fits exactly", 2, 2, 2, false},
        {"one too many", 2, 3, 2, true},
        {"far too many", 0, 50, 4, true},
        {"room for the queue start only", 4, 1, 0, true},
        {"grid full", 5, 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app::MemoryGrid grid(kCols, 6);
        for (int r = 1; r <= c.used; ++r)
            grid.SetCell(kNr, r, "9" + std::to_string(r));
        app::MemoryGrid result(2, c.results + 1);
        for (int r = 1; r <= c.results; ++r) {
            result.SetCell(0, r, std::to_string(r));
            result.SetCell(1, r, "10.00.00");
        }
        const app::AppendedImport outcome = app::appendImport(grid, result);
        EXPECT_EQ(outcome.starters, c.starters);
        EXPECT_EQ(outcome.cutOff, c.cutOff);
        // Written: the rows in use, then a queue start only with starters.
        std::vector<std::string> expected;
        for (int r = 1; r <= c.used; ++r)
            expected.push_back("9" + std::to_string(r));
        if (c.starters > 0)
            expected.push_back("0");
        for (int s = 1; s <= c.starters; ++s)
            expected.push_back(std::to_string(s));
        expected.resize(5);
        EXPECT_EQ(columnOf(grid, kNr, 5), expected);
    }
}

} // namespace
