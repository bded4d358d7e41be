#pragma once
// Reading a stored integer from its text.
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace platform {

// The 32-bit integer the text stands for, or nullopt when it is no integer.
// Accepted: blanks around the number, an optional "+" or "-", then decimal
// digits in the 32-bit signed range, or hexadecimal digits after "0x", "0X"
// or "$" (one to eight, read as a 32-bit pattern, so "0xFFFFFFFF" is -1 and
// "-0x10" is -16). Anything else, also trailing text, is no integer.
std::optional<std::int32_t> parseInt32(QStringView text);

// The value of one hexadecimal digit (either letter case), or -1.
int hexDigitValue(QChar c);

} // namespace platform
