#pragma once
// Small text routines: the check character that ends every line to and from
// the clock, the pattern test for the clock's identification line, field
// cutters for table and import files, hex conversion and repeated characters.
//
// Lines are bytes: sums are taken over unsigned byte values, and letter case
// is folded for the ASCII letters only. None of these routines fails.
#include <cstdint>
#include <string>

namespace timevalues {

// The byte that makes the sum of all bytes of `text` plus itself 0 modulo
// 128. It is never a control character: it lies in 32..127 or 128..159.
char CheckChar(const std::string& text);

// Appends CheckChar(line) to `line`.
void AddCheckChar(std::string& line);

// When `line` is valid (its byte sum is 0 modulo 128 and it holds at least
// two bytes of text plus the check character) removes the check character and
// answers true; otherwise leaves `line` unchanged and answers false.
bool StripCheckChar(std::string& line);

// `patterns` is a list of alternatives, each ended by ";", numbered from 1.
// Answers the number of the first alternative that matches the start of `s`,
// or 0. In an alternative "#" matches a digit or a blank, "@" any byte, an
// ASCII letter the same letter in either case, anything else itself. An
// alternative not ended by ";" never matches.
uint16_t MatchPattern(const std::string& s, const std::string& patterns);

// The field of `s` that starts at the 1-based position `pos`, up to the next
// `delim` or the end; `pos` moves past the delimiter (to length + 2 when there
// is none). When `pos` lies beyond the end the result is empty and `pos` stays.
// A `pos` below 1 reads from the first position.
std::string NextField(const std::string& s, int& pos, char delim);

// The n-th field of `s` (counted from 1); empty when there is none.
std::string GetField(const std::string& s, int n, char delim);

// The value of one upper-case hex digit: code - 55 from "A" on, else code - 48.
// Nothing is checked.
int HexDigitValue(char ch);

// The hex text `s` (either case) as a 32-bit integer; each character counts by
// HexDigitValue, and the value wraps at 32 bits ("FFFFFFFF" is -1).
int32_t HexToInt(const std::string& s);

// Two upper-case hex digits of the low eight bits of `b`.
std::string ByteToHex(unsigned int b);

// `count` copies of `ch`.
std::string FillStr(uint16_t count, char ch);

// `count` blanks.
std::string BlankStr(uint16_t count);

} // namespace timevalues
