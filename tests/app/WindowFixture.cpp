#include "WindowFixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include "platform/SettingsFolders.h"
#include "platform/SettingsStore.h"
#include "support/test_env.h"

namespace windowtest {

void WindowTest::SetUp()
{
    configFolder = testenv::makeTempDir("config");
    platform::setSettingsFolder(platform::SettingsRoot::CurrentUser, configFolder);
    app::ErrorReporter& reporter = app::ErrorReporter::instance();
    reporter.drain();
    reporter.setPresenter([this](app::ErrorReporter::Kind kind, const QString& text, std::function<void()> done) {
        reports.push_back({kind, text});
        done();
    });
    app::routeLibraryFailures(&reporter);
}

void WindowTest::TearDown()
{
    window.reset();
    settle();
    app::routeLibraryFailures(nullptr);
    app::ErrorReporter::instance().setPresenter(nullptr);
    platform::setSettingsFolder(platform::SettingsRoot::CurrentUser, {});
}

void WindowTest::storeSettings(const app::MainSettings& settings)
{
    platform::SettingsStore store;
    app::writeMainWindowSettings(store, settings, app::ImportColumns{settings.Tabid, settings.Tabtid});
    ASSERT_TRUE(store.openKey(QString::fromLatin1(app::kMainSettingsKey), false));
    store.writeString(QStringLiteral("Tabchar"), settings.Tabchar);
}

app::MainSettings WindowTest::storedSettings()
{
    platform::SettingsStore store;
    return app::readMainSettings(store);
}

std::string WindowTest::settingsFileText() const
{
    QFile file(QString::fromStdString(configFolder + "/Vilo/K4721/Corvalinder.ini"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

app::TMainForm& WindowTest::makeWindow()
{
    window = std::make_unique<app::TMainForm>();
    return *window;
}

void WindowTest::closeWindow()
{
    if (!window)
        return;
    window->close();
    window.reset();
    settle();
}

bool WindowTest::waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void WindowTest::settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

std::vector<QString> WindowTest::reportsOf(app::ErrorReporter::Kind kind) const
{
    std::vector<QString> out;
    for (const Report& r : reports)
        if (r.kind == kind)
            out.push_back(r.text);
    return out;
}

} // namespace windowtest
