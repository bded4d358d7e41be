#pragma once
// Start grids in memory, filled and read a row at a time.
#include <string>
#include <vector>

#include "app/StringGrid.h"
#include "timevalues/TidRut.h"

namespace gridtest {

using Row = std::vector<std::string>;

constexpr TTid hms(int h, int m, int s)
{
    return ((h * 60 + m) * 60 + s) * kTidSecond;
}

// A grid with `dataRows` data rows below the header, filled from row 1 down.
inline app::MemoryGrid gridOf(int cols, int dataRows, const std::vector<Row>& rows)
{
    app::MemoryGrid grid(cols, dataRows + 1);
    int r = 1;
    for (const Row& row : rows) {
        for (int c = 0; c < static_cast<int>(row.size()); ++c)
            grid.SetCell(c, r, row[static_cast<std::size_t>(c)]);
        ++r;
    }
    return grid;
}

// The cells of data row `row`.
inline Row rowOf(const app::StringGrid& grid, int row)
{
    Row out;
    for (int c = 0; c < grid.ColCount(); ++c)
        out.push_back(grid.Cell(c, row));
    return out;
}

// One column of data rows 1 to `last`.
inline std::vector<std::string> columnOf(const app::StringGrid& grid, int col, int last)
{
    std::vector<std::string> out;
    for (int r = 1; r <= last; ++r)
        out.push_back(grid.Cell(col, r));
    return out;
}

} // namespace gridtest
