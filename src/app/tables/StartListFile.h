#pragma once
// Start-list files: a start table with the settings that go with it, as
// keyed text lines in Windows-1252. Written lines end with CR LF; a line read
// ends at LF, with or without a CR before it.
//
// Each table tab has its layout. The interval-start file:
//   Tuta=<beep code>;          0 "Inga", 1 "En Tut", 2 "6 tut", 3 "Alla tut"
//   Gran=true; | Gran=false;
//   AntStart=<starters per start>;
//   Grid=<row>;<Från nr>;<Till nr>;<Tid>;<Difftid>;<Ant/sta>;   per row with a "Till nr"
// The pursuit-start file:
//   Antalko=<queue count text>;
//   Forstastart=<first start in 1/10000 s>;
//   Gran=true | Gran=false     (no ";")
//   Grid=<row>;<Nr>;<F>;<Tid>;                                   per row with a "Tid"
//
// Readers take the lines in file order, each key compared upper-cased
// (ASCII letters only) and otherwise exactly. Unknown keys, lines too short
// for their reader and "Grid=" lines for rows outside the grid's data rows
// are skipped; numbers are read by intOfValue(). The grid is not cleared
// first: rows and settings the file does not name keep what they hold.
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/tables/StringGrid.h"

namespace app {

// A table that cannot be put into a file as it stands (a cell text the
// format cannot carry).
class StartListFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The interval-start tab's settings kept in its file.
struct IntervalTableSettings {
    int tuta = 3;          // beep code 0..3 of the checked "Tutinställning" button
    bool gran = false;     // "Gran på"
    int antStart = 1;      // "Ant/Start:"; the reader gives the file's integer, unclamped

    bool operator==(const IntervalTableSettings&) const = default;
};

// The pursuit-start tab's settings kept in its file.
struct PursuitTableSettings {
    std::string antalKo = "1";   // the text of "Antal köer:" (UTF-8), taken from a file unchanged
    int forstaStart = 0;         // "Första start:" in 1/10000 s
    bool gran = false;           // "Gran på"

    bool operator==(const PursuitTableSettings&) const = default;
};

// The file's bytes. Every data row of the grid (1 to RowCount() - 1) whose
// "Till nr" (interval) or "Tid" (pursuit) is not empty is written. Raises
// StartListFileError, before anything is produced, when a written cell holds
// a ";" or a line break (both would break the row apart on reading) or a
// character Windows-1252 has no byte for.
std::string writeIntervalTable(const StringGrid& grid, const IntervalTableSettings& settings);
std::string writePursuitTable(const StringGrid& grid, const PursuitTableSettings& settings);

// Applies a file's lines to the grid and the settings. A "Tuta" outside 0..3
// changes nothing; a Gran value is true when it reads "TRUE" in any letter
// case. `antalKoRead` runs right after an "Antalko" line has set
// settings.antalKo, before the later lines apply, so the queue column can be
// renumbered where the file puts that line.
void readIntervalTable(std::string_view bytes, StringGrid& grid, IntervalTableSettings& settings);
void readPursuitTable(std::string_view bytes, StringGrid& grid, PursuitTableSettings& settings,
                      const std::function<void()>& antalKoRead = {});

} // namespace app
