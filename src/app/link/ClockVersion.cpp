#include "app/link/ClockVersion.h"

#include "timevalues/IntOfValue.h"
#include "timevalues/TextRut.h"

namespace app {

bool isIdentificationLine(const std::string& text)
{
    return timevalues::MatchPattern(text, kIdentificationPattern) != 0;
}

int clockFirmwareVersion(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    const std::size_t ver = upper.find("VER");
    // Counted from 0: the character after "VER" is skipped; without "VER",
    // characters 4 to 7 (from 1) are taken.
    const std::size_t from = ver == std::string::npos ? 3 : ver + 4;
    const std::string digits = from < upper.size() ? upper.substr(from, 4) : std::string();
    return timevalues::intOfValue(digits);
}

} // namespace app
