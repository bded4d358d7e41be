#pragma once
// Start numbers and start times read from the lines of an import file: each
// line is cut into fields at one separator character; one field holds the
// start number, another the start time, and the first start is added to the
// time. No widgets: the import dialog shows what this gives.
//
// Lines are bytes in Windows-1252, as the file holds them.
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "timevalues/TidRut.h"

namespace app {

// Start numbers a line may carry.
inline constexpr int kFirstImportNumber = 1;
inline constexpr int kLastImportNumber = 998;
// At most this many starters are taken from one file: the start grids hold
// no more.
inline constexpr int kImportMaxStarters = 9999;

// How the lines are read.
struct ImportFormat {
    // The byte between fields; none when the separator cannot occur in the
    // file, and a line is then one field.
    std::optional<char> separator;
    int idColumn = 1;    // field of the start number, from 1
    int timeColumn = 2;  // field of the start time, from 1
    timevalues::TTid firstStart = 0; // added to every time read
};

// One accepted line: the result grid's "Id" and "Tid" texts.
struct ImportedStarter {
    std::string Id;
    std::string Tid;
    bool operator==(const ImportedStarter&) const = default;
};

// What a read gives the two grids, by data row from row 1.
struct ImportOutcome {
    // The raw-lines grid: row k shows the k-th accepted line; a refused line
    // stands in the row after the last accepted one until the next line
    // takes its place.
    std::vector<std::string> lineRows;
    std::vector<ImportedStarter> starters;
    // The file held more starters than kImportMaxStarters; the rest were
    // left out.
    bool cutShort = false;
};

// The separator byte for the first character of the separator text: nullopt
// for an empty text and for a character that Windows-1252 cannot hold.
std::optional<char> separatorOf(const QString& separatorText);

// The n-th field of `line` (from 1); empty for n below 1 and for a line with
// fewer fields.
std::string importField(const std::string& line, int n, std::optional<char> separator);

// The value of a column box: its text as a whole number, or 0 when it is
// none.
int columnValue(const QString& text);

// The file's lines, one at a time, as views into its bytes (which must
// outlive the reader), so a file of many short lines costs no memory per
// line: each ends at LF, with or without a CR before it; a last line without
// LF counts when it holds anything. A UTF-8 byte-order mark at the start is
// dropped.
class ImportLines {
public:
    explicit ImportLines(std::string_view bytes);
    // The next line, or nullopt after the last.
    std::optional<std::string_view> next();

private:
    std::string_view bytes_;
    std::size_t start_ = 0;
};

// The starter of one line, or nullopt when the line is refused: its start
// number lies outside 1..998 (a field that starts with "-" is negative
// whatever follows). The time is the time field plus the first start, as a
// time of day.
std::optional<ImportedStarter> importLine(const std::string& line, const ImportFormat& format);

// Reads every line of the file in order.
ImportOutcome importStarters(std::string_view bytes, const ImportFormat& format);

} // namespace app
