#include "serial/ComTexts.h"

#include <array>
#include <cstdint>

namespace serial {
namespace {

constexpr std::array<const char*, 16> kBaudRateTexts = {
    "Custom", "110", "300", "600", "1200", "2400", "4800", "9600", "14400",
    "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
constexpr std::array<const char*, 3> kStopBitsTexts = {"1", "1.5", "2"};
constexpr std::array<const char*, 4> kDataBitsTexts = {"5", "6", "7", "8"};
constexpr std::array<const char*, 5> kParityTexts = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array<const char*, 4> kFlowControlTexts = {"Hardware", "Software", "None", "Custom"};
constexpr std::array<const char*, 4> kRTSTexts = {"Disable", "Enable", "Handshake", "Toggle"};
constexpr std::array<const char*, 3> kDTRTexts = {"Disable", "Enable", "Handshake"};

std::string AsciiUpper(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The ordinal of the first text equal to `text` (ASCII case folded), or the
// default when none is.
template <class E, std::size_t N>
E Lookup(const std::array<const char*, N>& texts, const std::string& text, E fallback)
{
    const std::string wanted = AsciiUpper(text);
    for (std::size_t i = 0; i < N; ++i)
        if (AsciiUpper(texts[i]) == wanted)
            return static_cast<E>(i);
    return fallback;
}

// Decimal integer with optional sign and leading blanks, or hexadecimal after
// "$", "0x" or "0X". Returns false when the text is no integer.
bool ParseInteger(const std::string& text, std::int64_t& out)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return false;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFull)  // beyond any 32-bit integer: no integer
            return false;
    }
    out = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
    return true;
}

} // namespace

std::string BaudRateToStr(TBaudRate value) { return kBaudRateTexts[Ord(value)]; }
std::string StopBitsToStr(TStopBits value) { return kStopBitsTexts[Ord(value)]; }
std::string DataBitsToStr(TDataBits value) { return kDataBitsTexts[Ord(value)]; }
std::string ParityToStr(TParityBits value) { return kParityTexts[Ord(value)]; }
std::string FlowControlToStr(TFlowControl value) { return kFlowControlTexts[Ord(value)]; }
std::string RTSToStr(TRTSFlowControl value) { return kRTSTexts[Ord(value)]; }
std::string DTRToStr(TDTRFlowControl value) { return kDTRTexts[Ord(value)]; }
std::string BoolToStr(bool value) { return value ? "Yes" : "No"; }

TBaudRate StrToBaudRate(const std::string& text) { return Lookup(kBaudRateTexts, text, TBaudRate::br9600); }
TStopBits StrToStopBits(const std::string& text) { return Lookup(kStopBitsTexts, text, TStopBits::sbOneStopBit); }
TDataBits StrToDataBits(const std::string& text) { return Lookup(kDataBitsTexts, text, TDataBits::dbEight); }
TParityBits StrToParity(const std::string& text) { return Lookup(kParityTexts, text, TParityBits::prNone); }
TFlowControl StrToFlowControl(const std::string& text) { return Lookup(kFlowControlTexts, text, TFlowControl::fcCustom); }
TRTSFlowControl StrToRTS(const std::string& text) { return Lookup(kRTSTexts, text, TRTSFlowControl::rtsDisable); }
TDTRFlowControl StrToDTR(const std::string& text) { return Lookup(kDTRTexts, text, TDTRFlowControl::dtrDisable); }
bool StrToBool(const std::string& text) { return AsciiUpper(text) == "YES"; }

std::string CharToStr(char ch)
{
    const auto code = static_cast<unsigned char>(ch);
    if (code >= 33 && code <= 127)
        return std::string(1, ch);
    std::string text = "#";  // not "#" + ...: GCC 12 warns falsely on that in optimised builds
    text += std::to_string(code);
    return text;
}

char StrToChar(const std::string& text)
{
    if (text.empty())
        return '\0';
    if (text.size() > 1 && text[0] == '#') {
        std::int64_t value = 0;
        if (!ParseInteger(text.substr(1), value))
            return '\0';
        return static_cast<char>(static_cast<std::uint64_t>(value) & 0xFF);
    }
    return text[0];
}

} // namespace serial
