#include "serial/ComStrings.h"

#include <QString>

namespace serial {

bool SameTextIgnoringCase(const std::string& a, const std::string& b)
{
    return QString::compare(QString::fromStdString(a), QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

int TComStrings::IndexOf(const std::string& text) const
{
    const int count = Count();
    for (int i = 0; i < count; ++i)
        if (SameTextIgnoringCase(Item(i), text))
            return i;
    return -1;
}

void TComStrings::Assign(const std::vector<std::string>& texts)
{
    Clear();
    for (const std::string& text : texts)
        Add(text);
}

} // namespace serial
