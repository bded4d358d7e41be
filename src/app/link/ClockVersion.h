#pragma once
// The clock's identification line and the firmware version it carries.
#include <string>

namespace app {

// The pattern list an identification line matches: it begins with
// "VILO CORVALINDER", letters in either case.
inline constexpr const char* kIdentificationPattern = "VILO CORVALINDER;";
// Firmware up to this version takes the old command set.
inline constexpr int kLastOldCommandSetVersion = 2003;

// `text` (a valid line without its check character) is an identification line.
bool isIdentificationLine(const std::string& text);

// The firmware version in an identification text: the four characters that
// begin one place after the first "VER" (any case), or characters 4 to 7 when
// there is no "VER", read leniently as an integer ("2004", "$7D5"); 0 when
// nothing there reads as a number.
int clockFirmwareVersion(const std::string& text);

// The clock with this firmware takes the old command set.
inline bool takesOldCommandSet(int version)
{
    return version <= kLastOldCommandSetVersion;
}

} // namespace app
