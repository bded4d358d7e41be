#pragma once
// Windows-1252, the single-byte code page of the clock's lines, the start-list
// files and the import files. Every byte decodes to one character; the five
// bytes the code page leaves undefined (81, 8D, 8F, 90, 9D) decode to the C1
// control character of the same number, so nothing is lost.
#include <QString>
#include <string>
#include <string_view>

namespace app {

QString fromCp1252(std::string_view bytes);
// Characters the code page cannot hold become "?".
std::string toCp1252(const QString& text);

} // namespace app
