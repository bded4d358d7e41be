#pragma once
// The start tables turned into the send list of "Sänd tider", in the command
// set of the identified clock.
//
// New command set: table records that give the starts compactly (absolute
// times, numbers with seconds since a running reference, number ranges with
// an interval, starters per start). Old command set: one explicit line per
// start. The transfer sends each new-set line behind "TAB-" and each old-set
// line as it is.
//
// A table the clock cannot be given, or a number cell that holds no integer,
// raises StartTableError naming the row; nothing is then to be sent.
#include <string>
#include <vector>

#include "app/tables/StartTableRecords.h"
#include "app/tables/StringGrid.h"

namespace app {

// The tabs of the main window, by index.
inline constexpr int kIntervalStartTab = 0;  // "Vanlig"
inline constexpr int kPursuitStartTab = 1;   // "Jaktstart"

// The running reference every new-set table begins with (0.1 s before midnight).
inline constexpr timevalues::TTid kReferenceAtStart = -1000;
// An absolute time lies this far before the start it announces.
inline constexpr timevalues::TTid kAbsoluteTimeLead = 61 * timevalues::kTidSecond;
// The largest gap from the running reference sent without a new absolute time.
inline constexpr timevalues::TTid kMaxReferenceGap = 250 * timevalues::kTidSecond;

// Each builder below, given `rows`, fills it with the grid row each record
// comes from (one entry per record; a closing record counts as the row after
// the last).

// Interval start, rows of the interval-start grid from row 1 down to the first
// row whose "Till nr" is empty.
std::vector<std::string> BuildTabVanlig(const StringGrid& grid, std::vector<int>* rows = nullptr);
std::vector<std::string> BuildOldVanlig(const StringGrid& grid, std::vector<int>* rows = nullptr);

// Pursuit start, the starters of `queue` from the pursuit-start grid: the new
// set reads down to the first row whose "Nr" is empty, the old set down to the
// first row whose "Tid" is empty. Every queue-start row ("Nr" 0) is sent; the
// old set names it by `queueText`.
//
// The new set counts each start from the one before: a starter of the queue
// who starts before the previous start sent (or more than 61 s before the
// queue start above) cannot be given and is left out. `leftOut`, when given,
// receives their start numbers in row order.
std::vector<std::string> BuildTabJakt(const StringGrid& grid, int queue, std::vector<int>* leftOut = nullptr,
                                      std::vector<int>* rows = nullptr);
std::vector<std::string> BuildOldJakt(const StringGrid& grid, int queue, const std::string& queueText,
                                      std::vector<int>* rows = nullptr);

// The queue of the text shown in "Sänd Kö:": its integer, 0 when it is none.
int queueValue(const std::string& queueText);

// What "Sänd tider" puts in the send list: the table of the active tab in the
// clock's command set; nothing for any other tab. `leftOut` as for BuildTabJakt,
// `rows` as for the builders.
std::vector<std::string> buildSendList(bool oldCommandSet, int tabIndex, const StringGrid& intervalGrid,
                                       const StringGrid& pursuitGrid, const std::string& queueText,
                                       std::vector<int>* leftOut = nullptr, std::vector<int>* rows = nullptr);

// What the operator is told when starters were left out of the send list.
std::string leftOutMessage(const std::vector<int>& numbers);

} // namespace app
