#pragma once
// The lines a start table becomes on its way to the clock.
//
// New command set: table records "iii-tddddd": a three-digit index (the number
// of lines before it), "-", a type digit and five upper-case hex digits (or
// the table end "FFFFFF"). Old command set: one "S-nnnn-sssss" line per start
// and one "ELAPSE-q-sssss" line per queue start.
//
// Every field has a fixed width the clock counts on. A value that does not fit
// its field raises StartTableError instead of being written cut or wrapped, so
// no record ever carries another start than the one meant.
#include <stdexcept>
#include <string>
#include <vector>

#include "timevalues/TidRut.h"

namespace app {

// A start table the clock cannot be given as it stands. The text says why,
// in the operator's words.
class StartTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The record types of the new command set.
inline constexpr char kAbsoluteTimeRecord = '1';  // interval start: whole seconds of the day
inline constexpr char kFirstStartRecord = '2';    // number, seconds from the running reference
inline constexpr char kRangeRecord = '3';         // last number of a row, interval in seconds
inline constexpr char kStartersRecord = '4';      // starters per start
inline constexpr char kQueueStartRecord = '5';    // pursuit start: a queue's first start
inline constexpr char kPursuitTimeRecord = '6';   // pursuit start: whole seconds of the day
inline constexpr char kStartRecord = '7';         // pursuit start: number, seconds from the reference
inline constexpr const char* kTableEndRecord = "FFFFFF";

// Field limits of the records.
inline constexpr int kMaxRecordNumber = 0xFFF;      // three hex digits
inline constexpr int kMaxRecordSeconds = 0xFF;      // two hex digits
inline constexpr int kMaxRecordDaySeconds = 0xFFFFF; // five hex digits
inline constexpr int kMaxRecordStarters = 0xF;       // one hex digit
// The index has three decimal digits.
inline constexpr std::size_t kMaxTableRecords = 1000;
// Old command set: four-digit numbers, five-digit seconds of the day.
inline constexpr int kMaxLineNumber = 9999;
inline constexpr timevalues::TTid kMaxLineTime = 99999 * timevalues::kTidSecond + (timevalues::kTidSecond - 1);

// A start time for the operator, as the grid shows it ("10.01.59"); hours
// beyond the day go on counting ("27.46.40").
std::string startTimeText(long long t);

// The six characters of a record with a seconds-of-the-day field (types 1, 5
// and 6).
std::string dayTimeRecord(char type, int daySeconds);
// The six characters of a record with a number and a seconds field (types 2,
// 3 and 7).
std::string numberRecord(char type, int number, int seconds);
// The six characters of the starters record.
std::string startersRecord(int starters);

// Appends a record to the send list with its index in front.
void appendRecord(std::vector<std::string>& list, const std::string& record);

// Old command set: the start of `number` at `t`, and the queue start at `t`.
std::string startLine(int number, timevalues::TTid t);
std::string elapseLine(const std::string& queueText, timevalues::TTid t);

} // namespace app
