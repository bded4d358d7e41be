#pragma once
// The start tables' grid over the windows' table widgets.
#include <string>

#include "app/tables/StringGrid.h"

class QTableWidget;

namespace app {

// The same grid over a QTableWidget whose row 0 is the widget's header: data
// row r is the widget's row r - 1, and Cell(c, 0) is the header text.
class TableWidgetGrid : public StringGrid {
public:
    explicit TableWidgetGrid(QTableWidget* table);

    int ColCount() const override;
    int RowCount() const override;
    std::string Cell(int col, int row) const override;
    void SetCell(int col, int row, const std::string& text) override;
    int Row() const override;
    int SelectionTop() const override;
    int SelectionBottom() const override;

    QTableWidget* table() const { return table_; }

private:
    QTableWidget* table_;
};

} // namespace app
