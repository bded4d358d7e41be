#include "app/tables/StartTableLayout.h"

#include <algorithm>
#include <limits>

#include "app/tables/StringGrid.h"

namespace app {

timevalues::TTid clampTid(std::int64_t value)
{
    return static_cast<timevalues::TTid>(std::clamp<std::int64_t>(value, std::numeric_limits<timevalues::TTid>::min(),
                                                      std::numeric_limits<timevalues::TTid>::max()));
}

void clearDataRows(StringGrid& grid)
{
    for (int row = 1; row < grid.RowCount(); ++row)
        for (int col = 0; col < grid.ColCount(); ++col)
            grid.SetCell(col, row, std::string());
}

} // namespace app
