#include <gtest/gtest.h>

#include <QTableWidget>

#include "app/StringGrid.h"

using app::MemoryGrid;
using app::TableWidgetGrid;

TEST(StringGrid, WidgetGridKeepsRowZeroForTheHeader)
{
    QTableWidget table(3, 2);
    table.setHorizontalHeaderLabels({"Nr", "Tid"});
    TableWidgetGrid grid(&table);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Cell(1, 0), "Tid");
    grid.SetCell(0, 3, "5");
    grid.SetCell(0, 0, "lost");   // the header row is not data
    grid.SetCell(0, 4, "lost");   // below the last row
    EXPECT_EQ(table.item(2, 0)->text(), "5");
    EXPECT_EQ(grid.Cell(0, 0), "Nr");
    EXPECT_EQ(grid.Cell(0, 4), "");
    EXPECT_EQ(grid.Cell(1, 3), "");

    table.setCurrentCell(1, 0);
    table.setRangeSelected(QTableWidgetSelectionRange(0, 0, 2, 1), true);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.SelectionTop(), 1);
    EXPECT_EQ(grid.SelectionBottom(), 3);
}

TEST(StringGrid, MemoryGridIgnoresCellsOutside)
{
    MemoryGrid grid(2, 3);
    grid.SetCell(1, 2, "x");
    grid.SetCell(2, 0, "y");
    grid.SetCell(-1, 0, "y");
    EXPECT_EQ(grid.Cell(1, 2), "x");
    EXPECT_EQ(grid.Cell(2, 0), "");
    EXPECT_EQ(grid.Cell(0, 3), "");
}
