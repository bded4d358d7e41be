#include "timevalues/IntOfValue.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace timevalues {

namespace {

int digitValue(char c, int base)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

int intOfValue(const std::string& text)
{
    // One beyond the largest magnitude, so that a negative value can reach
    // the lowest integer.
    constexpr int64_t kCap = int64_t{std::numeric_limits<int>::max()} + 1;

    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    } else if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        i += 1;
    }

    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            return static_cast<int>(std::min<int64_t>(magnitude, std::numeric_limits<int>::max()));
        magnitude = std::min(kCap, magnitude * base + digit);
    }
    if (negative)
        return static_cast<int>(-magnitude);
    return static_cast<int>(std::min<int64_t>(magnitude, std::numeric_limits<int>::max()));
}

} // namespace timevalues
