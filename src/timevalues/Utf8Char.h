#pragma once
// Character boundaries in UTF-8 text, for routines that must count a
// character outside ASCII as one character.
#include <cstddef>
#include <string>

namespace timevalues {

namespace utf8 {

// The number of bytes of the character that starts at `i`: the length of a
// well-formed multi-byte sequence, else 1 (ASCII and stray bytes alike).
inline std::size_t charLength(const std::string& s, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 1 || i + length > s.size())
        return 1;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

} // namespace utf8

} // namespace timevalues
