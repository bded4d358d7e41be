#pragma once
// What the start tables need of a grid: text cells by column and row, the
// number of rows, the current row and the rows of the selection.
//
// Row 0 is the header row; data rows are 1 to RowCount() - 1. Cell texts are
// UTF-8, as the time and number routines write them.
#include <string>
#include <vector>

namespace app {

class StringGrid {
public:
    virtual ~StringGrid() = default;

    virtual int ColCount() const = 0;
    virtual int RowCount() const = 0;
    // The text of a cell; empty outside the grid.
    virtual std::string Cell(int col, int row) const = 0;
    // Writes a cell; ignored outside the grid.
    virtual void SetCell(int col, int row, const std::string& text) = 0;
    // The current row (the row of the current cell).
    virtual int Row() const = 0;
    // The top and bottom row of the selection (both included).
    virtual int SelectionTop() const = 0;
    virtual int SelectionBottom() const = 0;
};

// A grid held in memory: for the import result and for tests.
class MemoryGrid : public StringGrid {
public:
    MemoryGrid(int cols, int rows);

    int ColCount() const override { return cols_; }
    int RowCount() const override { return rows_; }
    std::string Cell(int col, int row) const override;
    void SetCell(int col, int row, const std::string& text) override;
    int Row() const override { return row_; }
    int SelectionTop() const override { return top_; }
    int SelectionBottom() const override { return bottom_; }

    void SetSelection(int top, int bottom) { top_ = top; bottom_ = bottom; }

private:
    int cols_;
    int rows_;
    int row_ = 1;
    int top_ = 1;
    int bottom_ = 1;
    std::vector<std::string> cells_;
};

} // namespace app
