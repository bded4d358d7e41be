#include "app/windows/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace app {

bool loadQtTranslation(const QString& folder)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qt_sv"), folder))
        return false;
    // The application owns the translator from here on.
    translator->setParent(application);
    return QCoreApplication::installTranslator(translator.release());
}

bool loadQtTranslation()
{
    return loadQtTranslation(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace app
