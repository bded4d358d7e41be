#pragma once
// The number behind the decimal spin entry's text, without any widget: the
// text is the only store of the value, so reading and writing the value are
// conversions between an integer (the shown number times ten to the power
// Decimals) and the text.
#include <QChar>
#include <QString>

#include <cstdint>
#include <optional>

namespace timevalues {

namespace spinvalue {

// Decimals beyond this would only ever overflow the 32-bit value.
inline constexpr int kMaxDecimals = 9;

// The clamp: equal limits mean no limits; below min gives min, else above
// max gives max (tested in that order).
int32_t checkValue(int32_t newValue, int32_t minValue, int32_t maxValue);

// Result of reading a text: the value, and the text the control must show
// instead when the reading cut or padded its decimals.
struct Reading {
    int32_t value = 0;
    std::optional<QString> rewrittenText;
};

// Reads the text as a value with the given number of decimals. The first "."
// (else the first ",") is the decimal separator; extra decimals are cut and
// missing ones padded with "0", both written back; the first "+" anywhere is
// ignored. A text that is then no 32-bit decimal integer reads as minValue.
// The result is not clamped.
Reading readValue(const QString& text, int decimals, int32_t minValue);

// Writes the value with the given number of decimals, always with "," as the
// separator and the sign in front ("-0,05" for -5 with two decimals).
QString formatValue(int32_t value, int decimals);

// Whether a typed character may go into the text: the number characters,
// the locale's decimal separator (when below 256), and control characters
// other than Enter. With the editor disabled only control characters other
// than Enter and Backspace pass.
bool isValidChar(QChar key, bool editorEnabled, QChar localeDecimalPoint);

// value + direction * increment, worked in 64 bits and saturated to the
// 32-bit range. direction is +1 or -1.
int32_t stepValue(int32_t value, int32_t increment, int direction);

} // namespace spinvalue

} // namespace timevalues
