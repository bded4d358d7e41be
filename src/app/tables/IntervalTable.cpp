#include "app/tables/IntervalTable.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "app/tables/StrictInt.h"
#include "app/tables/StringGrid.h"

namespace app {
namespace {

int clampInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// A number cell that must hold an integer; a failure names the row and the
// column.
int numberIn(const StringGrid& grid, int col, int row)
{
    return strictInt(grid.Cell(col, row), row, kIntervalHeaders[col]);
}

// A number cell of the row being loaded: empty is 0, anything else must be
// an integer.
int ownNumber(const StringGrid& grid, int col, int row)
{
    return grid.Cell(col, row).empty() ? 0 : numberIn(grid, col, row);
}

} // namespace

IntervalEntry proposeIntervalRow(const StringGrid& grid, int row)
{
    // The row above; row 1 has none, so it counts as all zero.
    int pf = 0;
    int pt = 0;
    int pa = 0;
    timevalues::TTid ps = 0;
    timevalues::TTid pd = 0;
    if (row > 1) {
        pf = numberIn(grid, kFranNrCol, row - 1);
        pt = numberIn(grid, kTillNrCol, row - 1);
        ps = timevalues::StrToTid(grid.Cell(kTidCol, row - 1), 0);
        pd = timevalues::StrToTid(grid.Cell(kDifftidCol, row - 1), 0);
        pa = numberIn(grid, kAntStaCol, row - 1);
    }

    IntervalEntry e;
    e.from = ownNumber(grid, kFranNrCol, row);
    e.to = ownNumber(grid, kTillNrCol, row);
    e.start = timevalues::StrToTid(grid.Cell(kTidCol, row), 0);
    e.interval = timevalues::StrToTid(grid.Cell(kDifftidCol, row), 0);
    e.starters = std::clamp(ownNumber(grid, kAntStaCol, row), kMinStarters, kMaxStarters);

    if (e.from < pt)
        e.from = clampInt(std::int64_t{pt} + 1);
    if (e.from > e.to)
        e.to = e.from;
    if (pf > 0 && e.start == 0) {
        // One interval after the last start of the row above, whose numbers
        // start in groups of pa. A row that came in with no starters per
        // start (from a file) is taken as one starter per start.
        const std::int64_t perStart = std::max(pa, 1);
        const std::int64_t starts = (std::int64_t{pt} - pf + perStart) / perStart;
        e.start = clampTid(ps + starts * pd);
    }
    if (e.interval == 0 && pd > 0)
        e.interval = pd;
    return e;
}

bool writeIntervalRow(StringGrid& grid, int row, const IntervalEntry& entry)
{
    constexpr timevalues::TTid kShortest = 100;  // 0.01 s
    if (row < 1 || row >= grid.RowCount())
        return false;
    if (entry.from <= 0 || entry.to < entry.from || entry.start <= kShortest || entry.interval <= kShortest)
        return false;
    grid.SetCell(kFranNrCol, row, std::to_string(entry.from));
    grid.SetCell(kTillNrCol, row, std::to_string(entry.to));
    grid.SetCell(kTidCol, row, timevalues::FormatTid(entry.start, kIntervalTidMask, 'V'));
    grid.SetCell(kDifftidCol, row, timevalues::FormatTid(entry.interval, kDifftidMask, 'V'));
    grid.SetCell(kAntStaCol, row, std::to_string(std::clamp(entry.starters, kMinStarters, kMaxStarters)));
    return true;
}

} // namespace app
