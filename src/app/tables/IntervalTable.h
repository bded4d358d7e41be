#pragma once
// The interval-start grid's rows and the entry fields that edit them: a row
// selected is loaded into the fields with proposals from the row above, and
// the fields are written back into the current row when one of them is left.
#include "app/tables/StartTableLayout.h"
#include "timevalues/TidRut.h"

namespace app {

class StringGrid;

// The values of the entry fields for one row.
struct IntervalEntry {
    int from = 0;         // "Från nr:"
    int to = 0;           // "Till nr:"
    timevalues::TTid start = 0;       // "Första Starttid:"
    timevalues::TTid interval = 0;    // "Difftid:"
    int starters = kMinStarters;  // "Ant/Start:"

    bool operator==(const IntervalEntry&) const = default;
};

// The entry values for `row` of the interval-start grid, completed from the
// row above where the row leaves them open: a from-number after the row
// above's last number, a first start one interval after its last start, its
// interval. Starters per start come from the row itself, within 1 to 9.
//
// Throws InvalidInteger when a number cell of the row above (for rows below
// row 1) holds no integer, empty ones included, or when a filled number cell
// of the row itself holds none. A row above with fewer than one starter per
// start counts as one starter per start.
IntervalEntry proposeIntervalRow(const StringGrid& grid, int row);

// Writes `entry` into data row `row` when it makes a row: from above 0, to
// not below from, first start and interval both above 0.01 s. Starters per
// start are written within 1 to 9. Returns whether the row was written.
bool writeIntervalRow(StringGrid& grid, int row, const IntervalEntry& entry);

} // namespace app
