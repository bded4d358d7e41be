#pragma once
// How names (ports, settings keys and sections, stored values) compare:
// ignoring letter case, the same whatever the locale.
#include <QString>
#include <QStringList>

namespace platform {

// Equal but for letter case.
bool sameName(const QString& a, const QString& b);
// Character by character ignoring letter case, so ttyS10 comes before ttyS2;
// names equal but for case in plain character order.
bool nameLess(const QString& a, const QString& b);
// Sorts by nameLess().
void sortNames(QStringList& names);

} // namespace platform
