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

int strictInt(const std::string& text)
{
    if (const std::optional<int> value = tryStrictInt(text))
        return *value;
    throw InvalidInteger("\"" + text + "\" är inget heltal");
}

int spinTextValue(const std::string& text, int minValue)
{
    return tryStrictInt(text).value_or(minValue);
}

} // namespace app
