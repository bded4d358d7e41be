#include "app/tables/StrictInt.h"

#include <QString>

#include "platform/IntegerText.h"

namespace app {

std::optional<int> tryStrictInt(const std::string& text)
{
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (const std::optional<std::int32_t> value = platform::parseInt32(s))
        return static_cast<int>(*value);
    return std::nullopt;
}

std::string notAnIntegerText(const std::string& text, const std::string& field)
{
    return "\"" + text + "\" i " + field + " är inget heltal";
}

int strictInt(const std::string& text, int row, const std::string& field)
{
    if (const std::optional<int> value = tryStrictInt(text))
        return *value;
    throw InvalidInteger("Rad " + std::to_string(row) + ": " + notAnIntegerText(text, field));
}

int spinTextValue(const std::string& text, int minValue)
{
    return tryStrictInt(text).value_or(minValue);
}

} // namespace app
