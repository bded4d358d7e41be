#include "app/tables/PursuitTable.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "app/tables/StartTableLayout.h"
#include "app/tables/StringGrid.h"

namespace app {
namespace {

bool isQueueStart(const std::string& nr)
{
    return nr == kQueueStartNr;
}

// A start time cell as the grid keeps it. The fraction appended makes the
// last "." a separator of seconds, not of a fraction.
timevalues::TTid startTime(const StringGrid& grid, int row)
{
    return timevalues::StrToTid(grid.Cell(kJaktTidCol, row) + ",0", 0);
}

std::string formatStart(timevalues::TTid value)
{
    return timevalues::FormatTid(value, kJaktTidMask, 'V');
}

} // namespace

void numberQueues(StringGrid& grid, int queues)
{
    int q = 1;
    for (int row = 1; row < grid.RowCount(); ++row) {
        const std::string nr = grid.Cell(kNrCol, row);
        if (nr.empty())
            continue;
        if (isQueueStart(nr)) {
            q = 1;
            continue;
        }
        grid.SetCell(kKoCol, row, std::to_string(q));
        if (++q > queues)
            q = 1;
    }
}

void fixDiff(StringGrid& grid)
{
    timevalues::TTid base = 0;
    for (int row = 1; row < grid.RowCount(); ++row) {
        const std::string nr = grid.Cell(kNrCol, row);
        if (nr.empty())
            continue;
        if (isQueueStart(nr))
            base = startTime(grid, row);
        else
            grid.SetCell(kDiffCol, row, formatStart(clampTid(std::int64_t{startTime(grid, row)} - base)));
    }
}

void shiftSelectedStarts(StringGrid& grid, timevalues::TTid amount)
{
    const int top = std::max(grid.SelectionTop(), 1);
    const int bottom = std::min(grid.SelectionBottom(), grid.RowCount() - 1);
    for (int row = top; row <= bottom; ++row) {
        if (grid.Cell(kNrCol, row).empty())
            continue;
        grid.SetCell(kJaktTidCol, row, formatStart(clampTid(std::int64_t{startTime(grid, row)} + amount)));
    }
}

AppendedImport appendImport(StringGrid& pursuit, const StringGrid& result)
{
    constexpr int kIdCol = 0;
    constexpr int kResultTidCol = 1;

    int rows = 0;
    while (!result.Cell(kIdCol, rows + 1).empty())
        ++rows;
    if (rows == 0)
        return {};

    // Below the last row in use, so that a row emptied by hand higher up
    // does not let the import run over the rows beneath it.
    int dst = pursuit.RowCount() - 1;
    while (dst >= 1 && pursuit.Cell(kNrCol, dst).empty())
        --dst;
    ++dst;
    const int room = pursuit.RowCount() - dst;  // data rows from dst to the end
    if (room < 2)
        return {0, true, rows};

    AppendedImport outcome;
    outcome.offered = rows;
    const std::string firstText = result.Cell(kResultTidCol, 1);
    const timevalues::TTid first = timevalues::StrToTid(firstText, 0);
    pursuit.SetCell(kNrCol, dst, kQueueStartNr);
    pursuit.SetCell(kKoCol, dst, std::string());
    pursuit.SetCell(kJaktTidCol, dst, firstText);
    pursuit.SetCell(kDiffCol, dst, std::string());
    ++dst;
    for (int src = 1; src <= rows; ++src, ++dst) {
        if (dst >= pursuit.RowCount()) {
            outcome.cutOff = true;
            break;
        }
        timevalues::TTid v = timevalues::StrToTid(result.Cell(kResultTidCol, src), 0);
        if (v < first)
            v = clampTid(std::int64_t{v} + first);
        pursuit.SetCell(kNrCol, dst, result.Cell(kIdCol, src));
        pursuit.SetCell(kKoCol, dst, std::string());
        pursuit.SetCell(kJaktTidCol, dst, formatStart(v));
        ++outcome.starters;
    }
    return outcome;
}

std::string cutOffMessage(const AppendedImport& outcome)
{
    return "Tabellen rymmer inte hela filen: " + std::to_string(outcome.starters) + " av " +
           std::to_string(outcome.offered) + " startande lästes in.";
}

} // namespace app
