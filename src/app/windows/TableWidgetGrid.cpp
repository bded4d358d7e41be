#include "app/windows/TableWidgetGrid.h"

#include <QTableWidget>
#include <QTableWidgetItem>

#include <algorithm>
#include <climits>

namespace app {

TableWidgetGrid::TableWidgetGrid(QTableWidget* table) : table_(table) {}

int TableWidgetGrid::ColCount() const
{
    return table_->columnCount();
}

int TableWidgetGrid::RowCount() const
{
    return table_->rowCount() + 1;
}

std::string TableWidgetGrid::Cell(int col, int row) const
{
    if (col < 0 || col >= table_->columnCount() || row < 0 || row > table_->rowCount())
        return {};
    const QTableWidgetItem* item = row == 0 ? table_->horizontalHeaderItem(col) : table_->item(row - 1, col);
    return item ? item->text().toStdString() : std::string();
}

void TableWidgetGrid::SetCell(int col, int row, const std::string& text)
{
    if (col < 0 || col >= table_->columnCount() || row < 1 || row > table_->rowCount())
        return;
    QTableWidgetItem* item = table_->item(row - 1, col);
    if (!item) {
        if (text.empty())
            return;
        item = new QTableWidgetItem;
        table_->setItem(row - 1, col, item);
    }
    item->setText(QString::fromStdString(text));
}

int TableWidgetGrid::Row() const
{
    const int current = table_->currentRow();
    return current < 0 ? 1 : current + 1;
}

int TableWidgetGrid::SelectionTop() const
{
    const QList<QTableWidgetSelectionRange> ranges = table_->selectedRanges();
    if (ranges.isEmpty())
        return Row();
    int top = INT_MAX;
    for (const QTableWidgetSelectionRange& r : ranges)
        top = std::min(top, r.topRow());
    return top + 1;
}

int TableWidgetGrid::SelectionBottom() const
{
    const QList<QTableWidgetSelectionRange> ranges = table_->selectedRanges();
    if (ranges.isEmpty())
        return Row();
    int bottom = -1;
    for (const QTableWidgetSelectionRange& r : ranges)
        bottom = std::max(bottom, r.bottomRow());
    return bottom + 1;
}

} // namespace app
