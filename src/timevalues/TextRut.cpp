#include "timevalues/TextRut.h"

#include <limits>

namespace timevalues {

namespace {

unsigned byteSum(const std::string& s)
{
    unsigned sum = 0;
    for (const char c : s)
        sum = (sum + static_cast<unsigned char>(c)) % 128;
    return sum;
}

char foldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool patternCharMatches(char p, char c)
{
    switch (p) {
    case '#':
        return (c >= '0' && c <= '9') || c == ' ';
    case '@':
        return true;
    default:
        return foldAscii(p) == foldAscii(c);
    }
}

} // namespace

char CheckChar(const std::string& text)
{
    unsigned c = (128 - byteSum(text)) % 128;
    if (c < 32)
        c += 128;
    return static_cast<char>(static_cast<unsigned char>(c));
}

void AddCheckChar(std::string& line)
{
    line += CheckChar(line);
}

bool StripCheckChar(std::string& line)
{
    if (byteSum(line) != 0 || line.size() <= 2)
        return false;
    line.pop_back();
    return true;
}

uint16_t MatchPattern(const std::string& s, const std::string& patterns)
{
    constexpr unsigned kMostAlternatives = std::numeric_limits<uint16_t>::max();
    std::size_t i = 0;
    for (unsigned number = 1; number <= kMostAlternatives && i < patterns.size(); ++number) {
        const std::size_t end = patterns.find(';', i);
        if (end == std::string::npos)
            return 0;
        bool matches = end - i <= s.size();
        for (std::size_t k = 0; matches && i + k < end; ++k)
            matches = patternCharMatches(patterns[i + k], s[k]);
        if (matches)
            return static_cast<uint16_t>(number);
        i = end + 1;
    }
    return 0;
}

std::string NextField(const std::string& s, int& pos, char delim)
{
    const auto length = static_cast<long long>(s.size());
    if (pos > length)
        return {};
    const std::size_t start = pos < 1 ? 0 : static_cast<std::size_t>(pos - 1);
    const std::size_t at = s.find(delim, start);
    if (at == std::string::npos) {
        pos = static_cast<int>(length + 2);
        return s.substr(start);
    }
    pos = static_cast<int>(at + 2);
    return s.substr(start, at - start);
}

std::string GetField(const std::string& s, int n, char delim)
{
    std::string field;
    int pos = 1;
    for (int k = 0; k < n; ++k)
        field = NextField(s, pos, delim);
    return field;
}

int HexDigitValue(char ch)
{
    const int code = static_cast<unsigned char>(ch);
    return code >= 'A' ? code - 55 : code - 48;
}

int32_t HexToInt(const std::string& s)
{
    uint32_t value = 0;
    for (const char c : s)
        value = value * 16 + static_cast<uint32_t>(HexDigitValue(foldAscii(c)));
    return static_cast<int32_t>(value);
}

std::string ByteToHex(unsigned int b)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(b >> 4) & 0xF], kDigits[b & 0xF]};
}

std::string FillStr(uint16_t count, char ch)
{
    return std::string(count, ch);
}

std::string BlankStr(uint16_t count)
{
    return FillStr(count, ' ');
}

} // namespace timevalues
