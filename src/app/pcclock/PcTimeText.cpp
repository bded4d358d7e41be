#include "app/pcclock/PcTimeText.h"

#include <QLocale>
#include <QTime>

namespace app {
namespace {

// The locale's long time format without its time-zone fields ("t"), which
// would name the zone of the process rather than anything the clock shows.
QString formatWithoutZone(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    return out.trimmed();
}

} // namespace

QString pcTimeText(timevalues::TTid timeOfDay)
{
    const QLocale locale = QLocale::system();
    const timevalues::TTid clamped = timeOfDay < 0 ? 0 : timeOfDay % timevalues::kTidDay;
    return locale.toString(QTime::fromMSecsSinceStartOfDay(clamped / 10), formatWithoutZone(locale)).trimmed();
}

} // namespace app
