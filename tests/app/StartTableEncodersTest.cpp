// The send lists of "Sänd tider": whole tables in both command sets, the
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

// `rows` from row 1 down, empty rows below them.
MemoryGrid gridOf(const Rows& rows, int cols = 5)
{
    MemoryGrid grid(cols, static_cast<int>(rows.size()) + 3);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            grid.SetCell(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
    return grid;
}

const Rows kRow1To100 = {{"1", "100", "10.00.00", " 0.30", "1"}};
// A pursuit table of two queues, one starter out of time order (Nr, F, Tid).
const Rows kPursuit = {{"0", "", "10.00.00"},  {"12", "1", "10.00.00"}, {"7", "2", "10.00.30"}, {"3", "1", "10.01.15"},
                       {"25", "2", "10.07.00"}, {"40", "1", "10.06.00"}, {"41", "1", "10.05.00"}};

struct IntervalCase {
    const char* name;
    Rows rows;
    Lines expected;
};
void PrintTo(const IntervalCase& c, std::ostream* out) { *out << c.name; }

class NewSetInterval : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(NewSetInterval, GivesTheRecords)
{
    const Lines lines = app::BuildTabVanlig(gridOf(GetParam().rows));
    EXPECT_EQ(lines, GetParam().expected);
    for (const std::string& line : lines)
        EXPECT_EQ(line.size(), 10u) << line;
}

INSTANTIATE_TEST_SUITE_P(Tables, NewSetInterval, ::testing::Values(
    IntervalCase{"OneRow", kRow1To100, {"000-108C63", "001-20013D", "002-30641E", "003-FFFFFF"}},
    IntervalCase{"SecondRowFollowsTheLastStart", {kRow1To100[0], {"101", "150", "10.50.00", " 1.00", "1"}},
                 {"000-108C63", "001-20013D", "002-30641E", "003-20651E", "004-30963C", "005-FFFFFF"}},
    IntervalCase{"EmptyTillNrEndsTheTable", {{"1", "", "10.00.00", " 0.30", "1"}, kRow1To100[0]}, {"000-FFFFFF"}},
    IntervalCase{"EarlyStartCountsFromJustBeforeMidnight", {{"1", "1", "00.03.00", " 0.30", "1"}},
                 {"000-2001B4", "001-FFFFFF"}},
    IntervalCase{"Exactly250Seconds", {{"1", "1", "10.00.00", "", "1"}, {"2", "2", "10.04.10", "", "1"}},
                 {"000-108C63", "001-20013D", "002-2002FA", "003-FFFFFF"}},
    IntervalCase{"251SecondsNeedAnAbsoluteTime", {{"1", "1", "10.00.00", "", "1"}, {"2", "2", "10.04.11", "", "1"}},
                 {"000-108C63", "001-20013D", "002-108D5E", "003-20023D", "004-FFFFFF"}},
    // After a range with several starters per start the next row sets the
    // reference anew; the proposed row starts one interval after the last start.
    IntervalCase{"PairStartThenTheProposedRow",
                 {{"1", "10", "10.00.00", " 1.00", "2"}, {"11", "11", "10.05.00", " 1.00", "1"}},
                 {"000-108C63", "001-20013D", "002-420000", "003-300A3C", "004-420000", "005-108D8F", "006-200B3D",
                  "007-FFFFFF"}},
    IntervalCase{"PairStartWithoutRangeKeepsTheReference",
                 {{"1", "1", "10.00.00", " 1.00", "2"}, {"3", "3", "10.01.00", " 1.00", "1"}},
                 {"000-108C63", "001-20013D", "002-420000", "003-20033C", "004-FFFFFF"}},
    IntervalCase{"FieldsAtTheirLimits", {{"0", "4095", "10.00.00", " 4.15", "15"}},
                 {"000-108C63", "001-20003D", "002-4F0000", "003-3FFFFF", "004-4F0000", "005-FFFFFF"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Encoders, OldSetIntervalGivesOneLinePerStart)
{
    const Lines lines = app::BuildOldVanlig(gridOf(kRow1To100));
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines[1], "S-0002-36030");
    EXPECT_EQ(lines[99], "S-0100-38970");
    const Rows pairs = {{"1", "10", "10.00.00", " 1.00", "2"}, {"9999", "9999", "27.46.39", "", "1"}};
    EXPECT_EQ(app::BuildOldVanlig(gridOf(pairs)),
              (Lines{"S-0001-36000", "S-0003-36060", "S-0005-36120", "S-0007-36180", "S-0009-36240", "S-9999-99999"}));
}

TEST(Encoders, PursuitInBothSets)
{
    // Number 41 starts before the running reference: the new set leaves it out
    // and names it.
    std::vector<int> leftOut;
    EXPECT_EQ(app::BuildTabJakt(gridOf(kPursuit, 4), 1, &leftOut),
              (Lines{"000-508C63", "001-700C3D", "002-70034B", "003-608DCB", "004-70283D"}));
    EXPECT_EQ(leftOut, std::vector<int>{41});
    EXPECT_EQ(app::BuildOldJakt(gridOf(kPursuit, 4), 1, "1"),
              (Lines{"ELAPSE-1-36000", "S-0012-36000", "S-0003-36075", "S-0040-36360", "S-0041-36300"}));
    // Every queue start is sent and resets the reference. The new set ends at
    // an empty "Nr", the old set at an empty "Tid" (an empty "Nr" is a queue start).
    const MemoryGrid grid = gridOf({{"0", "", "10.00.00"}, {"0", "2", "10.20.00"}, {"6", "", "10.20.10"},
                                    {"", "", "10.30.00"}, {"5", "", ""}, {"8", "", "10.40.00"}}, 4);
    EXPECT_EQ(app::BuildTabJakt(grid, 0), (Lines{"000-508C63", "001-509113", "002-700647"}));
    EXPECT_EQ(app::BuildOldJakt(grid, 0, "x"),
              (Lines{"ELAPSE-x-36000", "ELAPSE-x-37200", "S-0006-37210", "ELAPSE-x-37800"}));
}

TEST(Encoders, SendListByTabAndCommandSet)
{
    const MemoryGrid interval = gridOf({{"1", "2", "10.00.00", " 0.30", "1"}});
    const MemoryGrid pursuit = gridOf(kPursuit, 4);
    EXPECT_EQ(app::buildSendList(false, 0, interval, pursuit, "1").size(), 4u);
    EXPECT_EQ(app::buildSendList(true, 0, interval, pursuit, "1"), (Lines{"S-0001-36000", "S-0002-36030"}));
    EXPECT_EQ(app::buildSendList(false, 1, interval, pursuit, "1").size(), 5u);
    // No integer in "Sänd Kö:" is queue 0: the starters without a queue.
    EXPECT_EQ(app::buildSendList(true, 1, interval, gridOf({{"3", "", "10.00.00"}, {"4", "1", "10.00.10"}}, 4), "?"),
              Lines{"S-0003-36000"});
    EXPECT_TRUE(app::buildSendList(false, 2, interval, pursuit, "1").empty());
}

// ---- tables the clock cannot be given ----

enum class Builder { TabVanlig, OldVanlig, TabJakt, OldJakt, SendList };

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
        case Builder::TabVanlig: app::BuildTabVanlig(gridOf(p.rows)); break;
        case Builder::OldVanlig: app::BuildOldVanlig(gridOf(p.rows)); break;
        case Builder::TabJakt: app::BuildTabJakt(gridOf(p.rows, 4), 1); break;
        case Builder::OldJakt: app::BuildOldJakt(gridOf(p.rows, 4), 1, "1"); break;
        case Builder::SendList: app::buildSendList(false, 1, gridOf({}), gridOf({}, 4), "-1"); break;
        }
        ADD_FAILURE() << "no error";
    } catch (const app::StartTableError& e) {
        EXPECT_EQ(std::string(e.what()), p.message);
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, RefusedTable, ::testing::Values(
    Refusal{"NoInteger", Builder::TabVanlig, {kRow1To100[0], {"6", "x7", "", "", "1"}},
            "Rad 2: \"x7\" i Till nr är inget heltal"},
    Refusal{"NoStarters", Builder::OldVanlig, {{"1", "5", "", "", "0"}},
            "Rad 1: Ant/sta 0 är färre än en startande per start"},
    Refusal{"TooManyStarters", Builder::TabVanlig, {{"1", "5", "10.00.00", "", "16"}},
            "Rad 1: Ant/sta 16 ryms inte i klockans tabell (1 till 15)"},
    Refusal{"NumberTooLarge", Builder::TabVanlig, {{"1", "4096", "", "", "1"}},
            "Rad 1: numret 4096 ryms inte i klockans tabell (0 till 4095)"},
    Refusal{"NegativeNumber", Builder::TabVanlig, {{"-1", "5", "", "", "1"}},
            "Rad 1: numret -1 ryms inte i klockans tabell (0 till 4095)"},
    Refusal{"NumberTooLargeOld", Builder::OldVanlig, {{"9999", "10000", "", "", "1"}},
            "Rad 1: numret 10000 ryms inte i klockans tabell (0 till 9999)"},
    Refusal{"IntervalTooLong", Builder::TabVanlig, {{"1", "5", "", " 4.16", "1"}},
            "Rad 1: Difftid 256 s ryms inte i klockans tabell (högst 255 s)"},
    Refusal{"RowBeforeTheLastStart", Builder::TabVanlig,
            {{"1", "10", "10.00.00", " 1.00", "2"}, {"11", "11", "10.03.59", "", "1"}},
            "Rad 2: första starten 10.03.59 ligger före föregående start 10.04.00"},
    Refusal{"StartPastFiveDigitSeconds", Builder::OldVanlig, {{"1", "2", "27.46.39", " 0.01", "1"}},
            "Rad 1: starttiden 27.46.40 ryms inte i klockans sekundfält"},
    Refusal{"QueueStartTooEarly", Builder::TabJakt, {{"0", "", "00.01.00"}},
            "Rad 1: starten 00.01.00 ligger före 00.01.01 och kan inte ges som klockslag"},
    Refusal{"NegativeQueue", Builder::SendList, {}, "Sänd Kö -1 är ingen kö"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RefusedTable, MoreRecordsThanTheIndexCounts)
{
    // One record per row: 999 rows and the end record fill the index.
    Rows rows;
    for (int i = 1; i <= 999; ++i)
        rows.push_back({std::to_string(i), std::to_string(i), "", "", "1"});
    EXPECT_EQ(app::BuildTabVanlig(gridOf(rows)).back(), "999-FFFFFF");
    rows.push_back({"1000", "1000", "", "", "1"});
    EXPECT_THROW(app::BuildTabVanlig(gridOf(rows)), app::StartTableError);
}

} // namespace
