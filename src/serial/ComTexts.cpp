#include "serial/ComTexts.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

#include "platform/IntegerText.h"

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

std::string asciiUpper(const std::string& text)
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
E lookup(const std::array<const char*, N>& texts, const std::string& text, E fallback)
{
    const std::string wanted = asciiUpper(text);
    for (std::size_t i = 0; i < N; ++i)
        if (asciiUpper(texts[i]) == wanted)
            return static_cast<E>(i);
    return fallback;
}

} // namespace

std::string BaudRateToStr(TBaudRate value) { return kBaudRateTexts[ord(value)]; }
std::string StopBitsToStr(TStopBits value) { return kStopBitsTexts[ord(value)]; }
std::string DataBitsToStr(TDataBits value) { return kDataBitsTexts[ord(value)]; }
std::string ParityToStr(TParityBits value) { return kParityTexts[ord(value)]; }
std::string FlowControlToStr(TFlowControl value) { return kFlowControlTexts[ord(value)]; }
std::string RTSToStr(TRTSFlowControl value) { return kRTSTexts[ord(value)]; }
std::string DTRToStr(TDTRFlowControl value) { return kDTRTexts[ord(value)]; }
std::string BoolToStr(bool value) { return value ? "Yes" : "No"; }

TBaudRate StrToBaudRate(const std::string& text) { return lookup(kBaudRateTexts, text, TBaudRate::br9600); }
TStopBits StrToStopBits(const std::string& text) { return lookup(kStopBitsTexts, text, TStopBits::sbOneStopBit); }
TDataBits StrToDataBits(const std::string& text) { return lookup(kDataBitsTexts, text, TDataBits::dbEight); }
TParityBits StrToParity(const std::string& text) { return lookup(kParityTexts, text, TParityBits::prNone); }
TFlowControl StrToFlowControl(const std::string& text) { return lookup(kFlowControlTexts, text, TFlowControl::fcCustom); }
TRTSFlowControl StrToRTS(const std::string& text) { return lookup(kRTSTexts, text, TRTSFlowControl::rtsDisable); }
TDTRFlowControl StrToDTR(const std::string& text) { return lookup(kDTRTexts, text, TDTRFlowControl::dtrDisable); }
bool StrToBool(const std::string& text) { return asciiUpper(text) == "YES"; }

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
        const std::optional<std::int32_t> value = platform::parseInt32(QString::fromStdString(text.substr(1)));
        return value ? static_cast<char>(static_cast<std::uint32_t>(*value) & 0xFFu) : '\0';
    }
    return text[0];
}

} // namespace serial
