#pragma once
// The pursuit-start grid's operations: dealing the starters out to queues,
// the difference column, shifting selected start times, and appending the
// starters of an import.
//
// Rows whose "Nr" cell is empty are left alone by all of them.
#include <string>

#include "timevalues/TidRut.h"

namespace app {

class StringGrid;

// Numbers the starters into queues 1, 2, ..., `queues`, 1, 2, ... in row
// order, beginning again with queue 1 below each queue-start row, whose own
// "F" stays. Fewer than one queue puts every starter in queue 1.
void numberQueues(StringGrid& grid, int queues);

// Recomputes "Diff": each starter's time behind the nearest queue-start row
// above it (its own time above the first one). Queue-start rows keep theirs.
void fixDiff(StringGrid& grid);

// Moves the start times of the rows in the grid's selection by `amount`
// (negative: earlier), queue-start rows included. "Diff" is not recomputed.
void shiftSelectedStarts(StringGrid& grid, timevalues::TTid amount);

struct AppendedImport {
    int starters = 0;     // starters written
    bool cutOff = false;  // the grid ended before the result did
    int offered = 0;      // starters in the result
};

// What the operator is told of an import that was cut off.
std::string cutOffMessage(const AppendedImport& outcome);

// Appends an import result below the rows in use: first a queue-start row
// with the first result's time, then one row per result row ("Id" in column
// 0, "Tid" in column 1, from row 1 down to the first empty "Id"). A time
// earlier than the first one is an offset from the first start. "F" is left
// empty for numberQueues. The rows in use end at the last row with a "Nr";
// rows above it are never written. What does not fit above the end of the
// grid is cut off, and nothing is written unless the queue-start row and at
// least one starter fit.
AppendedImport appendImport(StringGrid& pursuit, const StringGrid& result);

} // namespace app
