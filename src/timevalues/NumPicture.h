#pragma once
// Numbers written into fixed-width texts by a picture mask, as the clock's
// command fields need them ("$" for the beep code, "$$$" for setting values
// and record indexes, "$$$$" for start numbers).
//
// Mask characters: "#" digit (blank while leading), "$" digit ("0" where
// blank), "@" optional digit (nothing where blank, one blank added at the end
// instead), separators, and literals copied as they are. Placeholders beyond
// the digits a routine has read as blanks. Results are UTF-8 text; apart from
// the no-break space below they are ASCII for ASCII masks.
#include <cstdint>
#include <string>

namespace timevalues {

// An unsigned value that may carry decimals: the first run of placeholders is
// the integer part, and the run that starts two characters after it (past one
// decimal point) the fraction part, so 1234 under "##.##" is "12.34".
// Separators are ",", "." and ":". A leading "T" (not part of the mask) turns
// on the no-break mode: a separator in the blank leading area becomes U+00A0
// instead of a blank. A leading "+" or "-" (after any "T") shows that sign
// when the digits leave room for it. A value too wide for the placeholders
// shows "9" in each of them.
std::string FormatWord(uint16_t value, const std::string& mask);

// A signed value: the placeholders show its last digits (leading digits
// beyond them are dropped: 1000 under "$$$" is "000"). Separators are "," and
// "." only. The first "+" of the mask shows for a value that is not negative
// and becomes a blank for a negative one. A negative value puts "-" before its
// first shown character, or in place of a leading "0"; when the digits fill
// the mask the sign is lost (-1234 under "$$$" is "234").
std::string FormatInt(int32_t value, const std::string& mask);

// One blank for every character of `mask` that is not "@".
std::string MaskBlank(const std::string& mask);

} // namespace timevalues
