#include "timevalues/SpinValueText.h"

#include <algorithm>
#include <limits>

namespace timevalues {

namespace spinvalue {
namespace {

constexpr int64_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMax32 = std::numeric_limits<int32_t>::max();

int32_t saturate(int64_t v)
{
    return static_cast<int32_t>(std::clamp(v, kMin32, kMax32));
}

// A signed decimal integer: an optional sign and at least one digit, nothing
// else, inside the 32-bit range.
std::optional<int32_t> strictInteger(const QString& s)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
        negative = s[i] == u'-';
        ++i;
    }
    if (i == s.size())
        return std::nullopt;
    int64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > kMax32 + 1)
            return std::nullopt;
    }
    const int64_t v = negative ? -magnitude : magnitude;
    if (v < kMin32 || v > kMax32)
        return std::nullopt;
    return static_cast<int32_t>(v);
}

} // namespace

int32_t checkValue(int32_t newValue, int32_t minValue, int32_t maxValue)
{
    if (minValue == maxValue)
        return newValue;
    if (newValue < minValue)
        return minValue;
    if (newValue > maxValue)
        return maxValue;
    return newValue;
}

Reading readValue(const QString& text, int decimals, int32_t minValue)
{
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    Reading reading;
    QString s;
    qsizetype sep = text.indexOf(u'.');
    if (sep < 0)
        sep = text.indexOf(u',');
    if (sep < 0) {
        s = text + QString(decimals, u'0');
    } else {
        QString t = text;
        const qsizetype following = t.size() - sep - 1;
        if (following > decimals) {
            t.truncate(sep + 1 + decimals);
            reading.rewrittenText = t;
        } else if (following < decimals) {
            t.append(QString(decimals - following, u'0'));
            reading.rewrittenText = t;
        }
        s = t.left(sep) + t.mid(sep + 1);
    }
    const qsizetype plus = s.indexOf(u'+');
    if (plus >= 0)
        s.remove(plus, 1);
    reading.value = strictInteger(s).value_or(minValue);
    return reading;
}

QString formatValue(int32_t value, int decimals)
{
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    if (decimals == 0)
        return QString::number(value);
    const int64_t wide = value;
    QString digits = QString::number(wide < 0 ? -wide : wide);
    if (digits.size() <= decimals)
        digits.prepend(QString(decimals + 1 - digits.size(), u'0'));
    const qsizetype whole = digits.size() - decimals;
    return (value < 0 ? QStringLiteral("-") : QString()) + digits.left(whole) + u',' + digits.mid(whole);
}

bool isValidChar(QChar key, bool editorEnabled, QChar localeDecimalPoint)
{
    const char16_t c = key.unicode();
    bool valid = QStringView(u"+,-.0123456789").contains(key)
        || (localeDecimalPoint.unicode() != 0 && localeDecimalPoint.unicode() < 256 && key == localeDecimalPoint);
    if (!valid)
        valid = c < 32 && c != 13;
    if (valid && !editorEnabled && (c >= 32 || c == 8))
        valid = false;
    return valid;
}

int32_t stepValue(int32_t value, int32_t increment, int direction)
{
    return saturate(int64_t{value} + (direction < 0 ? -int64_t{increment} : int64_t{increment}));
}

} // namespace spinvalue

} // namespace timevalues
