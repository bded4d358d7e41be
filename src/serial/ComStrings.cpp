#include "serial/ComStrings.h"

#include <QString>

#include "platform/NameOrder.h"

namespace serial {

int ComStrings::IndexOf(const std::string& text) const
{
    const int count = Count();
    for (int i = 0; i < count; ++i)
        if (platform::sameName(QString::fromStdString(Item(i)), QString::fromStdString(text)))
            return i;
    return -1;
}

void ComStrings::Assign(const std::vector<std::string>& texts)
{
    Clear();
    for (const std::string& text : texts)
        Add(text);
}

} // namespace serial
