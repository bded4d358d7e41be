#pragma once
// The layout and text forms of the two start grids, which every reader and
// writer of them follows.
//
// Interval-start grid: one row per range of start numbers. Pursuit-start
// grid: one row per starter, grouped below queue-start rows (the "Nr" text
// "0"). Numbers are plain decimal integers; times are written by FormatTid
// in mode 'V' with the masks below. Row 0 is the header row.
#include <cstdint>
#include <string>

#include "timevalues/TidRut.h"

namespace app {

class StringGrid;

// Interval-start grid columns.
inline constexpr int kFranNrCol = 0;   // "Från nr": first start number
inline constexpr int kTillNrCol = 1;   // "Till nr": last start number
inline constexpr int kTidCol = 2;      // "Tid": time of the first start
inline constexpr int kDifftidCol = 3;  // "Difftid": interval between starts
inline constexpr int kAntStaCol = 4;   // "Ant/sta": starters per start

// Column headers, for messages that name a cell.
inline constexpr const char* kIntervalHeaders[] = {"Från nr", "Till nr", "Tid", "Difftid", "Ant/sta"};

inline constexpr const char* kIntervalTidMask = "$$.$$.$$";
// Minutes and seconds only: an interval's hours are not written.
inline constexpr const char* kDifftidMask = "##.$$";

// Starters per start a row may hold.
inline constexpr int kMinStarters = 1;
inline constexpr int kMaxStarters = 9;

// Pursuit-start grid columns.
inline constexpr int kNrCol = 0;     // "Nr": start number, "0" for a queue-start row
inline constexpr int kKoCol = 1;     // "F": queue number
inline constexpr int kJaktTidCol = 2;  // "Tid": start time
inline constexpr int kDiffCol = 3;   // "Diff": time behind the queue start above

inline constexpr const char* kPursuitHeaders[] = {"Nr", "F", "Tid"};

inline constexpr const char* kJaktTidMask = "##.#$.$$";
// The "Nr" text of a queue-start row (exactly this text).
inline constexpr const char* kQueueStartNr = "0";

// A time sum brought within the range of TTid.
timevalues::TTid clampTid(std::int64_t value);

// Empties every cell of the data rows; the header row stays.
void clearDataRows(StringGrid& grid);

} // namespace app
