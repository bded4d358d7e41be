#pragma once
// Time values: one integer count of 1/10000 s for every time in the program
// (a start time, an interval, an offset, the PC's time of day), and the
// routines that read it from text, write it by a picture mask, give the
// clock's whole-seconds field and read the PC clock.
//
// Picture masks are made of "#" (digit, blank while leading), "$" (digit, "0"
// where blank), "@" (optional digit: nothing where blank, one blank added at
// the end instead), the separators ",", "." and ":", an optional leading "+"
// (show the sign of values that are not negative) and literals. The decimal
// separator of a mask is "." when the mask holds a ":", else ",".
//
// None of these routines fails: every text reads as some value and every
// value writes some text.
#include <cstdint>
#include <string>

#include "platform/LocalClock.h"

namespace timevalues {

using TTid = int32_t;

inline constexpr TTid kTidSecond = 10000;
inline constexpr TTid kTidMinute = 60 * kTidSecond;
inline constexpr TTid kTidHour = 60 * kTidMinute;
inline constexpr TTid kTidDay = 24 * kTidHour;

// Written by FormatTid in mode 'T' where a separator falls in the leading
// blank area.
inline constexpr char kTidFillChar = 31;

// Reads a time from operator or file text. Anything that is not an ASCII
// digit or one of ",", ".", ":" counts as the digit 0 (a character outside
// ASCII counts once). One separator gives minutes and seconds, two give hours,
// minutes and seconds; "," (or, in a text with a ":", also ".") as the last
// separator starts a fraction of a second, of which the first four digits
// count. `decimals` 1..3 cut the result toward zero to tenths, hundredths or
// thousandths. A result beyond the 32-bit range reads as the largest value.
TTid StrToTid(const std::string& s, int decimals = 0);

// Writes `value` by a picture mask. Modes: ' ' and 'V' (display: separators
// in the leading blank area become blanks), 'T' (they become kTidFillChar),
// 'E' (edit text: separators always written, literals dropped). Any other
// mode, and an empty mask, give an empty text. Values beyond one day in
// absolute value show blank digit positions and no sign.
std::string FormatTid(TTid value, const std::string& mask, char mode);

// The clock's whole-seconds field: five digits of whole seconds ("36000" for
// 10:00:00), then for `decimals` 1..4 a "." and that many fraction digits.
std::string TidToSecStr(TTid value, int decimals);

// The PC clock's current local time of day.
TTid TidNow();

// The time of day of a reading of the local clock.
TTid tidOfDay(const platform::LocalDateTime& when);

} // namespace timevalues
