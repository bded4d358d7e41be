#include "platform/NameOrder.h"

#include <algorithm>

namespace platform {

bool sameName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool nameLess(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

void sortNames(QStringList& names)
{
    std::sort(names.begin(), names.end(), nameLess);
}

} // namespace platform
