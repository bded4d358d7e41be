#include "app/StrictInt.h"

#include <QString>

#include "platform/IntegerText.h"

namespace app {

std::optional<int> TryStrToInt(const std::string& text)
{
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (const std::optional<std::int32_t> value = platform::parseInt32(s))
        return static_cast<int>(*value);
    return std::nullopt;
}

int StrToInt(const std::string& text)
{
    if (const std::optional<int> value = TryStrToInt(text))
        return *value;
    throw InvalidInteger("\"" + text + "\" är inget heltal");
}

int SpinTextValue(const std::string& text, int minValue)
{
    return TryStrToInt(text).value_or(minValue);
}

} // namespace app
