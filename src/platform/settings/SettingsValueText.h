#pragma once
// How a typed settings value is written as the value text of an ini line.
//
//   32-bit integer   "dword:" and eight hexadecimal digits, the value's bit
//                    pattern ("dword:ffffffff" is -1); reading takes one to
//                    eight digits and either letter case.
//   string           the text itself, when it reads back the same; else in
//                    double quotes with backslash escapes (\\ \" \t \n \r and
//                    \xHH for other control characters). That is the case
//                    for a text with blanks at either end, with a control
//                    character, starting with a double quote, or starting
//                    with "dword:".
// A value text that looks quoted but does not unquote cleanly is a string
// with the text as it stands.
#include <QString>

#include <cstdint>

namespace platform {

enum class SettingsValueType { None, String, Integer };

struct SettingsValue {
    SettingsValueType type = SettingsValueType::None;
    QString text;              // a string's text
    std::int32_t integer = 0;  // an integer's value
};

QString encodeSettingsString(const QString& text);
QString encodeSettingsInteger(std::int32_t value);
// The typed value of a value text read from a file.
SettingsValue decodeSettingsValue(const QString& valueText);

} // namespace platform
