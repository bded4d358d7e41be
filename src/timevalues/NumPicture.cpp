#include "timevalues/NumPicture.h"

#include <algorithm>
#include <string_view>

#include "timevalues/Utf8Char.h"

namespace timevalues {

namespace {

bool isPlaceholder(char c) { return c == '#' || c == '$' || c == '@'; }

// The digits a mask's placeholders take one by one; positions outside the
// text read as blank.
class Digits {
public:
    explicit Digits(std::string text, long first = 1) : text_(std::move(text)), index_(first) {}

    char next()
    {
        const long at = index_++;
        current_ = at >= 1 && at <= static_cast<long>(text_.size()) ? static_cast<std::size_t>(at - 1) : std::string::npos;
        return current_ == std::string::npos ? ' ' : text_[current_];
    }
    // Replaces the character taken by the last next(), when it exists.
    void setCurrent(char c)
    {
        if (current_ != std::string::npos)
            text_[current_] = c;
    }
    bool holds(char c) const { return text_.find(c) != std::string::npos; }

private:
    std::string text_;
    long index_;
    std::size_t current_ = std::string::npos;
};

constexpr std::string_view kNoBreakSpace = "\xC2\xA0";

// True for an empty output too, and in no-break mode also after U+00A0.
bool endsWithBlank(const std::string& out, bool noBreak)
{
    return out.empty() || out.back() == ' ' || (noBreak && out.ends_with(kNoBreakSpace));
}

std::string wordDigits(uint16_t value, const std::string& mask, std::string& workMask, std::size_t integerCount,
                       std::size_t fractionCount)
{
    const std::size_t width = integerCount + fractionCount;
    std::string digits = std::to_string(value);
    if (digits.size() < fractionCount + 1)
        digits.insert(0, fractionCount + 1 - digits.size(), '0');

    if (!mask.empty() && (mask[0] == '+' || mask[0] == '-')) {
        const bool room = width > digits.size();
        if (room)
            digits.insert(0, 1, mask[0]);
        if (room || mask[0] == '+')
            workMask[0] = ' ';
    }
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), ' ');
    if (digits.size() > width)
        digits = "99999";
    if (value == 0)
        std::replace(digits.begin(), digits.end(), '0', ' ');
    if (fractionCount >= 1 && digits.size() >= fractionCount) {
        const auto tail = digits.end() - static_cast<std::ptrdiff_t>(fractionCount);
        if (std::all_of(tail, digits.end(), [](char c) { return c == '0'; }))
            std::fill(tail, digits.end(), ' ');
    }
    return digits;
}

} // namespace

std::string FormatWord(uint16_t value, const std::string& maskIn)
{
    const bool noBreak = !maskIn.empty() && maskIn[0] == 'T';
    const std::string mask = noBreak ? maskIn.substr(1) : maskIn;

    const auto intBegin = std::find_if(mask.begin(), mask.end(), isPlaceholder);
    const auto intEnd = std::find_if_not(intBegin, mask.end(), isPlaceholder);
    const auto integerCount = static_cast<std::size_t>(intEnd - intBegin);
    std::size_t fractionCount = 0;
    if (intEnd != mask.end() && intEnd + 1 != mask.end()) {
        const auto fractionBegin = intEnd + 1;
        fractionCount = static_cast<std::size_t>(std::find_if_not(fractionBegin, mask.end(), isPlaceholder) - fractionBegin);
    }

    std::string workMask = mask;
    Digits digits(wordDigits(value, mask, workMask, integerCount, fractionCount));

    std::string out;
    bool shown = false;
    int omitted = 0;
    for (const char m : workMask) {
        if (isPlaceholder(m)) {
            char d = digits.next();
            if (d == ' ' && (m == '$' || (m == '#' && shown))) {
                d = '0';
                digits.setCurrent(d);
            }
            if (m == '@' && d == ' ')
                ++omitted;
            else
                out += d;
        } else if (m == ',' || m == '.' || m == ':') {
            if (endsWithBlank(out, noBreak)) {
                out += noBreak ? kNoBreakSpace : std::string_view(" ");
            } else {
                shown = true;
                out += m;
            }
        } else {
            out += m;
        }
    }
    out.append(static_cast<std::size_t>(omitted), ' ');

    if (value == 0 && !digits.holds('0'))
        return MaskBlank(mask);
    return out;
}

std::string FormatInt(int32_t value, const std::string& mask)
{
    std::string workMask = mask;
    const bool negative = value < 0;
    const int64_t magnitude = negative ? -int64_t{value} : value;
    if (negative) {
        const std::size_t plus = workMask.find('+');
        if (plus != std::string::npos)
            workMask[plus] = ' ';
    }

    const auto placeholders = std::count_if(workMask.begin(), workMask.end(), isPlaceholder);
    std::string text = std::to_string(magnitude);
    text.insert(0, 10 - text.size(), ' ');
    Digits digits(text, 11 - static_cast<long>(placeholders));

    std::string out;
    bool leading = true;
    int omitted = 0;
    for (const char m : workMask) {
        if (m == '#') {
            const char d = digits.next();
            if (d != ' ' && d != '0')
                leading = false;
            out += leading && d == '0' ? ' ' : d;
        } else if (m == '$') {
            const char d = digits.next();
            out += d == ' ' ? '0' : d;
            leading = false;
        } else if (m == '@') {
            const char d = digits.next();
            if (d == ' ')
                ++omitted;
            else
                out += d;
        } else if (m == ',' || m == '.') {
            out += leading ? ' ' : m;
        } else {
            out += m;
        }
    }
    out.append(static_cast<std::size_t>(omitted), ' ');

    if (negative && !out.empty()) {
        std::size_t first = 0;
        while (first + 1 < out.size() && out[first] == ' ')
            ++first;
        if (first > 0)
            out[first - 1] = '-';
        else if (out[0] == '0')
            out[0] = '-';
    }
    return out;
}

std::string MaskBlank(const std::string& mask)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < mask.size(); i += utf8::charLength(mask, i)) {
        if (mask[i] != '@')
            ++count;
    }
    return std::string(count, ' ');
}

} // namespace timevalues
