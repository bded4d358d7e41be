#include "platform/Profile.h"

#include "platform/IntegerText.h"

namespace platform {

std::int32_t Profile::readInteger(const QString& section, const QString& key, std::int32_t fallback) const
{
    return parseInt32(readString(section, key, QString())).value_or(fallback);
}

void Profile::writeInteger(const QString& section, const QString& key, std::int32_t value)
{
    writeString(section, key, QString::number(value));
}

} // namespace platform
