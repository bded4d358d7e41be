#pragma once
// The lenient integer of a value, as the start-list files, the import and the
// clock's version number read it.
#include <string>

namespace timevalues {

// Skips leading blanks, takes an optional "+" or "-", then decimal digits, or
// hex digits after "$", "x", "X", "0x" or "0X". When a character that does not
// belong comes before the end, reading stops there and the result is the
// number read so far WITHOUT its sign ("-12a" gives 12). A text without digits
// gives 0. Values beyond the 32-bit range saturate.
int intOfValue(const std::string& text);

} // namespace timevalues
