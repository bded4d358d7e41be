#include "timevalues/TidRut.h"

#include <algorithm>
#include <array>
#include <limits>

#include "platform/LocalClock.h"
#include "timevalues/Utf8Char.h"

namespace timevalues {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSeparator(char c) { return c == ',' || c == '.' || c == ':'; }
bool isPlaceholder(char c) { return c == '#' || c == '$' || c == '@'; }

// A field value this large already takes any time beyond the 32-bit range,
// and small enough that hours of it still fit 64 bits.
constexpr int64_t kFieldCap = 10'000'000'000;

// The decimal number at the start of t[begin, end), up to the first non-digit.
int64_t readField(const std::string& t, std::size_t begin, std::size_t end)
{
    int64_t value = 0;
    for (std::size_t i = begin; i < end && isDigit(t[i]); ++i)
        value = std::min(kFieldCap, value * 10 + (t[i] - '0'));
    return value;
}

// The text with every character that is neither a digit nor a separator
// replaced by one "0".
std::string normalised(const std::string& s)
{
    std::string t;
    t.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (isDigit(c) || isSeparator(c)) {
            t += c;
            ++i;
        } else {
            t += '0';
            i += utf8::charLength(s, i);
        }
    }
    return t;
}

// The last "." or ":" before position `before`, or npos.
std::size_t lastFieldSeparator(const std::string& t, std::size_t before)
{
    if (before == 0 || before == std::string::npos)
        return std::string::npos;
    return t.find_last_of(".:", before - 1);
}

} // namespace

TTid StrToTid(const std::string& s, int decimals)
{
    const std::string t = normalised(s);
    const std::size_t last = t.find_last_of(",.:");

    int64_t total = 0;
    if (last == std::string::npos) {
        total = readField(t, 0, t.size()) * kTidSecond;
    } else {
        const bool hasColon = t.find(':') != std::string::npos;
        const char lastSep = t[last];
        const bool fraction = hasColon ? lastSep != ':' : lastSep == ',';

        std::size_t secondsEnd = t.size();
        std::size_t secondsSep = last;
        int64_t fractionValue = 0;
        if (fraction) {
            std::string digits = t.substr(last + 1, 4);
            digits.resize(4, '0');
            fractionValue = readField(digits, 0, digits.size());
            secondsEnd = last;
            secondsSep = lastFieldSeparator(t, last);
        }

        int64_t hours = 0;
        int64_t minutes = 0;
        int64_t seconds = 0;
        if (secondsSep == std::string::npos) {
            seconds = readField(t, 0, secondsEnd);
        } else {
            seconds = readField(t, secondsSep + 1, secondsEnd);
            const std::size_t minutesSep = lastFieldSeparator(t, secondsSep);
            if (minutesSep == std::string::npos) {
                minutes = readField(t, 0, secondsSep);
            } else {
                minutes = readField(t, minutesSep + 1, secondsSep);
                hours = readField(t, 0, minutesSep);
            }
        }
        total = hours * kTidHour + minutes * kTidMinute + seconds * kTidSecond + fractionValue;
    }

    auto result = static_cast<TTid>(std::min<int64_t>(total, std::numeric_limits<TTid>::max()));
    static constexpr std::array<TTid, 4> kCut = {1, 1000, 100, 10};
    if (decimals >= 1 && decimals <= 3)
        result -= result % kCut[static_cast<std::size_t>(decimals)];
    return result;
}

namespace {

// The 11 digit positions of a formatted time: 1-3 hours, 4-5 minutes,
// 6-7 seconds, 8-11 ten-thousandths (or, for masks whose first run has three
// or more placeholders, the value right-aligned). Positions outside 1..11
// read as blank.
class DigitString {
public:
    DigitString() { positions_.fill(' '); }

    char at(int pos) const { return inRange(pos) ? positions_[static_cast<std::size_t>(pos - 1)] : ' '; }
    void set(int pos, char c)
    {
        if (inRange(pos))
            positions_[static_cast<std::size_t>(pos - 1)] = c;
    }
    // Writes `text` right-aligned so that it ends on position `lastPos`.
    void putRight(const std::string& text, int lastPos)
    {
        int pos = lastPos - static_cast<int>(text.size()) + 1;
        for (char c : text)
            set(pos++, c);
    }
    int firstNonBlank() const
    {
        int pos = 1;
        while (pos < 11 && at(pos) == ' ')
            ++pos;
        return pos;
    }

private:
    static bool inRange(int pos) { return pos >= 1 && pos <= 11; }
    std::array<char, 11> positions_{};
};

std::string padded(int64_t value, std::size_t width, char pad)
{
    std::string text = std::to_string(value);
    if (text.size() < width)
        text.insert(0, width - text.size(), pad);
    return text;
}

// Fills the digit positions from a value of at most one day.
void fillDigits(DigitString& digits, int64_t value, int firstRun)
{
    if (firstRun >= 3) {
        digits.putRight(std::to_string(value), 11);
        return;
    }
    const int64_t hours = value / kTidHour;
    const int64_t minutes = value % kTidHour / kTidMinute;
    const int64_t rest = value % kTidMinute;
    const bool hoursShown = hours != 0;
    if (hoursShown)
        digits.putRight(std::to_string(hours), 3);
    if (hoursShown)
        digits.putRight(padded(minutes, 2, '0'), 5);
    else if (minutes != 0)
        digits.putRight(std::to_string(minutes), 5);
    if (hoursShown || minutes != 0)
        digits.putRight(padded(rest, 6, '0'), 11);
    else if (rest != 0)
        digits.putRight(std::to_string(rest), 11);
}

int firstPlaceholderRun(const std::string& mask)
{
    const auto first = std::find_if(mask.begin(), mask.end(), isPlaceholder);
    return static_cast<int>(std::find_if_not(first, mask.end(), isPlaceholder) - first);
}

std::string walkDisplay(const std::string& mask, DigitString& digits, int index, char mode)
{
    std::string out;
    bool leading = true;
    int omitted = 0;
    for (const char m : mask) {
        if (isPlaceholder(m)) {
            char d = digits.at(index);
            if (m == '#') {
                out += d;
                if (d != ' ' && d != '+' && d != '-')
                    leading = false;
            } else if (m == '$') {
                if (d == ' ') {
                    d = '0';
                    digits.set(index, d);
                }
                out += d;
                leading = false;
            } else if (d == ' ') {
                ++omitted;
            } else {
                out += d;
                leading = false;
            }
            ++index;
        } else if (isSeparator(m)) {
            if (!leading) {
                out += m;
            } else if (mode == 'T') {
                out += kTidFillChar;
            } else if (!out.empty() && (out.back() == '+' || out.back() == '-')) {
                const char sign = out.back();
                out.back() = ' ';
                out += sign;
            } else {
                out += ' ';
            }
        } else {
            out += m;
        }
    }
    out.append(static_cast<std::size_t>(omitted), ' ');
    return out;
}

std::string walkEdit(const std::string& mask, const DigitString& digits, int index)
{
    std::string out;
    for (const char m : mask) {
        if (isPlaceholder(m)) {
            const char d = digits.at(index++);
            if (m == '#')
                out += d;
            else if (m == '$')
                out += d == ' ' ? '0' : d;
            else if (d != ' ')
                out += d;
        } else if (isSeparator(m)) {
            out += m;
        }
    }
    return out;
}

} // namespace

std::string FormatTid(TTid value, const std::string& mask, char mode)
{
    if (mask.empty() || (mode != ' ' && mode != 'V' && mode != 'T' && mode != 'E'))
        return {};

    std::string workMask = mask;
    const char decimalSep = mask.find(':') != std::string::npos ? '.' : ',';
    char sign = ' ';
    if (workMask[0] == '+') {
        sign = '+';
        workMask[0] = ' ';
    }
    int64_t magnitude = value;
    if (magnitude < 0) {
        sign = '-';
        magnitude = -magnitude;
    }

    DigitString digits;
    int index = 1;
    if (magnitude <= kTidDay) {
        fillDigits(digits, magnitude, firstPlaceholderRun(workMask));
        const int p = digits.firstNonBlank();
        if (p > 1)
            digits.set(p - 1, sign);
        const std::size_t sepAt = workMask.find(decimalSep);
        const auto wholePlaceholders =
            std::count_if(workMask.begin(), sepAt == std::string::npos ? workMask.end() : workMask.begin() + static_cast<std::ptrdiff_t>(sepAt), isPlaceholder);
        index = 8 - static_cast<int>(wholePlaceholders);
    }

    return mode == 'E' ? walkEdit(workMask, digits, index) : walkDisplay(workMask, digits, index, mode);
}

std::string TidToSecStr(TTid value, int decimals)
{
    std::string text = padded(value, 9, ' ');
    std::replace(text.begin(), text.end(), ' ', '0');
    std::string result = text.substr(0, 5);
    if (decimals >= 1)
        result += '.' + text.substr(5, static_cast<std::size_t>(std::min(decimals, 4)));
    return result;
}

TTid tidOfDay(const platform::LocalDateTime& when)
{
    const int64_t ms = ((int64_t{when.hour} * 60 + when.minute) * 60 + when.second) * 1000 + when.millisecond;
    return static_cast<TTid>(ms * 10);
}

TTid TidNow()
{
    return tidOfDay(platform::localClock().now());
}

} // namespace timevalues
