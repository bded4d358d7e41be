#include "app/tables/StringGrid.h"

#include <algorithm>

namespace app {

MemoryGrid::MemoryGrid(int cols, int rows)
    : cols_(std::max(cols, 0)), rows_(std::max(rows, 0)),
      cells_(static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_))
{
}

std::string MemoryGrid::Cell(int col, int row) const
{
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_)
        return {};
    return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col)];
}

void MemoryGrid::SetCell(int col, int row, const std::string& text)
{
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_)
        return;
    cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col)] = text;
}

} // namespace app
