#include "platform/settings/SettingsValueText.h"

#include "platform/IntegerText.h"

#include <optional>

namespace platform {
namespace {

const QString kIntegerPrefix = QStringLiteral("dword:");

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

bool isBlank(QChar c)
{
    return c == u' ' || isControl(c);
}

bool needsQuotes(const QString& text)
{
    if (text.isEmpty())
        return false;
    if (isBlank(text.front()) || isBlank(text.back()) || text.startsWith(u'"')
        || text.startsWith(kIntegerPrefix, Qt::CaseInsensitive))
        return true;
    for (QChar c : text) {
        if (isControl(c))
            return true;
    }
    return false;
}

std::optional<QString> unquote(const QString& quoted)
{
    if (quoted.size() < 2 || !quoted.startsWith(u'"') || !quoted.endsWith(u'"'))
        return std::nullopt;
    const QStringView body = QStringView(quoted).mid(1, quoted.size() - 2);
    QString text;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c == u'"')
            return std::nullopt;
        if (c != u'\\') {
            text += c;
            continue;
        }
        if (++i == body.size())
            return std::nullopt;
        switch (body[i].unicode()) {
        case '\\': text += u'\\'; break;
        case '"': text += u'"'; break;
        case 't': text += u'\t'; break;
        case 'n': text += u'\n'; break;
        case 'r': text += u'\r'; break;
        case 'x': {
            const int high = i + 1 < body.size() ? hexDigitValue(body[i + 1]) : -1;
            const int low = i + 2 < body.size() ? hexDigitValue(body[i + 2]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            text += QChar(static_cast<char16_t>(high * 16 + low));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return text;
}

std::optional<std::int32_t> readIntegerText(const QString& text)
{
    if (!text.startsWith(kIntegerPrefix, Qt::CaseInsensitive))
        return std::nullopt;
    const QStringView digits = QStringView(text).mid(kIntegerPrefix.size());
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t pattern = 0;
    for (QChar c : digits) {
        const int d = hexDigitValue(c);
        if (d < 0)
            return std::nullopt;
        pattern = pattern * 16 + static_cast<std::uint32_t>(d);
    }
    return static_cast<std::int32_t>(pattern);
}

} // namespace

QString encodeSettingsString(const QString& text)
{
    if (!needsQuotes(text))
        return text;
    QString quoted = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\': quoted += QStringLiteral("\\\\"); break;
        case '"': quoted += QStringLiteral("\\\""); break;
        case '\t': quoted += QStringLiteral("\\t"); break;
        case '\n': quoted += QStringLiteral("\\n"); break;
        case '\r': quoted += QStringLiteral("\\r"); break;
        default:
            if (isControl(c))
                quoted += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
            else
                quoted += c;
        }
    }
    return quoted + u'"';
}

QString encodeSettingsInteger(std::int32_t value)
{
    return kIntegerPrefix + QStringLiteral("%1").arg(static_cast<std::uint32_t>(value), 8, 16, QChar(u'0'));
}

SettingsValue decodeSettingsValue(const QString& valueText)
{
    if (const auto integer = readIntegerText(valueText))
        return {SettingsValueType::Integer, QString(), *integer};
    return {SettingsValueType::String, unquote(valueText).value_or(valueText), 0};
}

} // namespace platform
