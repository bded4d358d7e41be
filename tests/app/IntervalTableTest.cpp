// The interval-start rows: proposals when a row is selected, and the
// write-back when an entry field is left.
#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "GridRows.h"
#include "app/IntervalTable.h"
#include "app/StrictInt.h"

using app::IntervalEntry;
using gridtest::gridOf;
using gridtest::hms;
using gridtest::Row;
using gridtest::rowOf;

namespace app {
// Readable entries in test failures.
inline void PrintTo(const IntervalEntry& e, std::ostream* out)
{
    *out << "{" << e.from << ", " << e.to << ", " << e.start << ", " << e.interval << ", " << e.starters << "}";
}
} // namespace app

namespace {

constexpr int kCols = 5;
constexpr int kDataRows = 9999;

struct ProposalCase {
    const char* name;
    std::vector<Row> rows;
    int row;
    IntervalEntry expected;
};

app::MemoryGrid gridWith(const std::vector<Row>& rows)
{
    return gridOf(kCols, kDataRows, rows);
}

const Row kHundredFromTen = {"1", "100", "10.00.00", "   30", "1"};
const Row kPairsFromTen = {"1", "10", "10.00.00", " 1.00", "2"};

TEST(IntervalTable, ProposalCompletesTheRowFromTheRowAbove)
{
    const std::vector<ProposalCase> cases = {
        {"first row of an empty grid", {}, 1, {0, 0, 0, 0, 1}},
        {"after one starter per start", {kHundredFromTen}, 2, {101, 101, hms(10, 50, 0), hms(0, 0, 30), 1}},
        {"after pairs; starters not taken over", {kPairsFromTen}, 2, {11, 11, hms(10, 5, 0), hms(0, 1, 0), 1}},
        {"own from below the row above's to", {kHundredFromTen, {"50", "60"}}, 2,
         {101, 101, hms(10, 50, 0), hms(0, 0, 30), 1}},
        {"own from above its to raises the to", {kHundredFromTen, {"150", "120"}}, 2,
         {150, 150, hms(10, 50, 0), hms(0, 0, 30), 1}},
        {"own numbers and times kept", {kHundredFromTen, {"200", "250", "11.00.00", " 1.00", "3"}}, 2,
         {200, 250, hms(11, 0, 0), hms(0, 1, 0), 3}},
        {"first row loaded as it is", {{"5", "9", "10.00.00", "   30", "2"}}, 1,
         {5, 9, hms(10, 0, 0), hms(0, 0, 30), 2}},
        {"own starters below 1", {{"5", "9", "10.00.00", "   30", "0"}}, 1, {5, 9, hms(10, 0, 0), hms(0, 0, 30), 1}},
        {"own starters above 9", {{"5", "9", "10.00.00", "   30", "12"}}, 1, {5, 9, hms(10, 0, 0), hms(0, 0, 30), 9}},
        {"row above with 0 starters per start", {{"1", "10", "10.00.00", " 1.00", "0"}}, 2,
         {11, 11, hms(10, 10, 0), hms(0, 1, 0), 1}},
        {"row above with negative starters per start", {{"1", "10", "10.00.00", " 1.00", "-2"}}, 2,
         {11, 11, hms(10, 10, 0), hms(0, 1, 0), 1}},
        {"row above from 0: no start proposed", {{"0", "0", "10.00.00", "   30", "1"}}, 2, {0, 0, 0, hms(0, 0, 30), 1}},
        {"row above ends at the largest number", {{"1", "2147483647", "10.00.00", "   30", "1"}}, 2,
         {INT_MAX, INT_MAX, INT32_MAX, hms(0, 0, 30), 1}},
        {"time cells of any text", {{"1", "1", "abc", "xyz", "1"}}, 2, {2, 2, 0, 0, 1}},
    };
    for (const ProposalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const app::MemoryGrid grid = gridWith(c.rows);
        EXPECT_EQ(app::proposeIntervalRow(grid, c.row), c.expected);
    }
}

TEST(IntervalTable, ProposalRefusesNumberCellsThatHoldNoInteger)
{
    struct Case {
        const char* name;
        std::vector<Row> rows;
        int row;
    };
    const std::vector<Case> cases = {
        {"two rows below the last filled one", {kHundredFromTen}, 3},
        {"from above no number", {{"abc", "100", "10.00.00", "   30", "1"}}, 2},
        {"to above only blanks", {{"1", "  ", "10.00.00", "   30", "1"}}, 2},
        {"to above with trailing text", {{"1", "100a", "10.00.00", "   30", "1"}}, 2},
        {"starters above empty", {{"1", "100", "10.00.00", "   30", ""}}, 2},
        {"own to no number", {kHundredFromTen, {"101", "x"}}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const app::MemoryGrid grid = gridWith(c.rows);
        EXPECT_THROW(app::proposeIntervalRow(grid, c.row), app::InvalidInteger);
    }
}

TEST(IntervalTable, WriteBackNeedsARealRow)
{
    const IntervalEntry valid{1, 100, hms(10, 0, 0), hms(0, 0, 30), 1};
    struct Case {
        const char* name;
        IntervalEntry entry;
        std::optional<Row> written;  // nullopt: the row stays as it was
    };
    const std::vector<Case> cases = {
        {"a full row", valid, Row{"1", "100", "10.00.00", "   30", "1"}},
        {"to equal to from", {7, 7, hms(9, 5, 0), hms(0, 2, 0), 2}, Row{"7", "7", "09.05.00", " 2.00", "2"}},
        {"from 0", {0, 100, hms(10, 0, 0), hms(0, 0, 30), 1}, std::nullopt},
        {"to below from", {10, 9, hms(10, 0, 0), hms(0, 0, 30), 1}, std::nullopt},
        {"first start 00:00:00", {1, 100, 0, hms(0, 0, 30), 1}, std::nullopt},
        {"first start just 0.01 s", {1, 100, 100, hms(0, 0, 30), 1}, std::nullopt},
        {"first start just over 0.01 s", {1, 100, 101, hms(0, 0, 30), 1}, Row{"1", "100", "00.00.00", "   30", "1"}},
        {"interval 00:00", {1, 100, hms(10, 0, 0), 0, 1}, std::nullopt},
        {"interval just 0.01 s", {1, 100, hms(10, 0, 0), 100, 1}, std::nullopt},
        {"starters 0 written as 1", {1, 100, hms(10, 0, 0), hms(0, 0, 30), 0}, Row{"1", "100", "10.00.00", "   30", "1"}},
        {"starters 12 written as 9", {1, 100, hms(10, 0, 0), hms(0, 0, 30), 12},
         Row{"1", "100", "10.00.00", "   30", "9"}},
    };
    const Row before = {"old", "old", "old", "old", "old"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app::MemoryGrid grid = gridWith({before, before});
        EXPECT_EQ(app::writeIntervalRow(grid, 2, c.entry), c.written.has_value());
        EXPECT_EQ(rowOf(grid, 2), c.written.value_or(before));
        EXPECT_EQ(rowOf(grid, 1), before);
    }
}

TEST(IntervalTable, WriteBackGoesToTheGivenRowAnywhereInTheGrid)
{
    const IntervalEntry valid{1, 100, hms(10, 0, 0), hms(0, 0, 30), 1};
    app::MemoryGrid grid = gridWith({});
    EXPECT_TRUE(app::writeIntervalRow(grid, kDataRows, valid));
    EXPECT_EQ(grid.Cell(0, kDataRows), "1");
    EXPECT_FALSE(app::writeIntervalRow(grid, 0, valid));
    EXPECT_EQ(grid.Cell(0, 0), "");
    EXPECT_FALSE(app::writeIntervalRow(grid, kDataRows + 1, valid));
}

TEST(IntervalTable, AnIntervalOfAnHourOrMoreLosesItsHours)
{
    app::MemoryGrid grid = gridWith({});
    ASSERT_TRUE(app::writeIntervalRow(grid, 1, {1, 10, hms(10, 0, 0), hms(1, 5, 30), 1}));
    EXPECT_EQ(grid.Cell(3, 1), "05.30");
    EXPECT_EQ(app::proposeIntervalRow(grid, 1).interval, hms(0, 5, 30));
    EXPECT_EQ(app::proposeIntervalRow(grid, 2).interval, hms(0, 5, 30));
}

} // namespace
