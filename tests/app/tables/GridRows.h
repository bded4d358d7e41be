#pragma once
// Start grids in memory, filled and read a row at a time, and the texts of
// the failures that tables and files raise.
#include <string>
#include <vector>

#include "app/tables/StringGrid.h"
#include "timevalues/TidRut.h"

namespace gridtest {

using Row = std::vector<std::string>;

constexpr timevalues::TTid hms(int h, int m, int s)
{
    return ((h * 60 + m) * 60 + s) * timevalues::kTidSecond;
}

// A grid with `dataRows` data rows below the header, filled from row 1 down.
inline app::MemoryGrid gridOf(int cols, int dataRows, const std::vector<Row>& rows)
{
    app::MemoryGrid grid(cols, dataRows + 1);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            grid.SetCell(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
    return grid;
}

// The cells of column `col` (-1: of every column) of rows `first` to `last`.
inline Row cellsOf(const app::StringGrid& grid, int col, int first, int last)
{
    Row out;
    for (int r = first; r <= last; ++r)
        for (int c = col < 0 ? 0 : col; c <= (col < 0 ? grid.ColCount() - 1 : col); ++c)
            out.push_back(grid.Cell(c, r));
    return out;
}

// One column of data rows 1 to `last`.
inline Row columnOf(const app::StringGrid& grid, int col, int last) { return cellsOf(grid, col, 1, last); }

// The what() of the E that `f` raises; empty when it raises none.
template <class E, class F>
std::string errorOf(F f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return {};
}

} // namespace gridtest
